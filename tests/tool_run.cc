#include "tool_run.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

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
