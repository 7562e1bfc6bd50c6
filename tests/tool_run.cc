#include "tool_run.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <io.h>
#include <windows.h>

#include "util/system_files.h"
#else
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace torvane {


namespace fs = std::filesystem;

namespace {

// The running test's full name, usable as one file name.
std::string testName() {
  const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string name = std::string(test->test_suite_name()) + "." + test->name();
  for (char& c : name) {
    if (c == '/') c = '_';
  }
  return name;
}

// Where a test's runs leave what they printed: outside every directory a test lists.
fs::path captureBase() {
  static int runs = 0;
  fs::path dir = fs::path(TORVANE_SCRATCH) / "captures";
  fs::create_directories(dir);
  return dir / (testName() + "." + std::to_string(++runs));
}

}  // namespace

#ifdef _WIN32
// A path that cmd.exe takes: absolute, with a drive, in backslashes.
std::string nativePath(const fs::path& path) {
  return fs::absolute(path).make_preferred().string();
}

// Runs torvane through the command shell; returns its exit code.
int runInShell(const fs::path& directory, const std::string& arguments, const fs::path& out,
               const fs::path& err) {
  std::wstring command =
      pathOf("cd /d \"" + nativePath(directory) + "\" && \"" + nativePath(TORVANE_BINARY) + "\" " +
             arguments + " >\"" + nativePath(out) + "\" 2>\"" + nativePath(err) + "\"")
          .wstring();
  // -1 means the command shell itself could not be started, and 9009 that the shell did
  // not recognise the command it was given (the program's quoted name): both happen now
  // and then under Wine while another test starts its own shell. Neither is a result of
  // torvane's, whose exit codes are 0 to 3, so the run is tried again.
  int exitCode = -1;
  for (int attempt = 0; attempt < 5 && (exitCode == -1 || exitCode == 9009); ++attempt) {
    if (attempt > 0) Sleep(200);
    exitCode = _wsystem(command.c_str());
  }
  return exitCode;
}

std::string fromPlatformText(const std::string& bytes) {
  std::string text;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') continue;
    if (bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r')) {
      ADD_FAILURE() << "a line end without CR at byte " << i;
    }
    text += bytes[i];
  }
  return text;
}
#else
// Runs torvane through the shell; returns its exit code.
int runInShell(const fs::path& directory, const std::string& arguments, const fs::path& out,
               const fs::path& err) {
  std::string command = "cd '" + directory.string() + "' && '" TORVANE_BINARY "' " + arguments +
                        " >'" + out.string() + "' 2>'" + err.string() + "'";
  int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string fromPlatformText(const std::string& bytes) { return bytes; }
#endif

ToolRun runTool(const fs::path& directory, const std::string& arguments) {
  fs::path base = captureBase();
  fs::path out = base.string() + ".stdout";
  fs::path err = base.string() + ".stderr";
  ToolRun run;
  run.exitCode = runInShell(directory, arguments, out, err);
  run.out = readOutput(out);
  run.err = readOutput(err);
  return run;
}

std::string readOutput(const fs::path& path) { return fromPlatformText(readFile(path)); }

fs::path scratchDirectory() {
  fs::path dir = fs::path(TORVANE_SCRATCH) / testName();
  fs::remove_all(dir);
  fs::create_directories(dir);
  return dir;
}

std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

void writeFile(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
}

}  // namespace torvane
