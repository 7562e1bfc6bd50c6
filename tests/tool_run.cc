#include "tool_run.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>

#include "util/wide_names.h"
#else
#include <sys/wait.h>
#endif

#include <cstdlib>
#include <fstream>
#include <sstream>

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

ToolRun runTool(const fs::path& directory, const std::string& arguments) {
  fs::path base = captureBase();
  fs::path out = base.string() + ".stdout";
  fs::path err = base.string() + ".stderr";
  std::string command = "cd /d \"" + nativePath(directory) + "\" && \"" +
                        nativePath(TORVANE_BINARY) + "\" " + arguments + " >\"" +
                        nativePath(out) + "\" 2>\"" + nativePath(err) + "\"";
  ToolRun run;
  // -1 means the command shell itself could not be started, which happens now and then
  // under Wine while another test starts its own: that is no result of torvane's, so
  // the run is tried again.
  for (int attempt = 0; attempt < 5; ++attempt) {
    run.exitCode = _wsystem(widen(command).c_str());
    if (run.exitCode != -1) break;
    Sleep(200);
  }
  run.out = fromPlatformText(readFile(out));
  run.err = fromPlatformText(readFile(err));
  return run;
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
ToolRun runTool(const fs::path& directory, const std::string& arguments) {
  fs::path base = captureBase();
  fs::path out = base.string() + ".stdout";
  fs::path err = base.string() + ".stderr";
  std::string command = "cd '" + directory.string() + "' && '" TORVANE_BINARY "' " + arguments +
                        " >'" + out.string() + "' 2>'" + err.string() + "'";
  int status = std::system(command.c_str());
  ToolRun run;
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.out = readFile(out);
  run.err = readFile(err);
  return run;
}

std::string fromPlatformText(const std::string& bytes) { return bytes; }
#endif

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

void writeFile(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
}
