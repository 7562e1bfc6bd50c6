#include "output/command_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "command_file_test.h"
#include "expected_text.h"
#include "tool_run.h"

namespace {

TEST_F(CommandFileTest, OpenWritesTheHeader) { EXPECT_EQ(kHeader, out); }

struct NumberRow {
  int32_t value;
  int base;
  const char* text;
};

const NumberRow kNumberRows[] = {
    {255, 16, "0xff"},      {0, 16, "0x0"},       {4660, 16, "0x1234"},
    {-8, 16, "0xfffffff8"}, {-1, 16, "0xffffffff"}, {INT32_MIN, 16, "0x80000000"},
    {INT32_MAX, 16, "0x7fffffff"}, {-8, 10, "-8"}, {-1, 10, "-1"},
    {42, 10, "42"},         {42, 8, "42"},        {INT32_MIN, 10, "-2147483648"},
};

TEST_F(CommandFileTest, WriteNumber) {
  for (const NumberRow& r : kNumberRows) {
    SCOPED_TRACE(r.text);
    out.clear();
    file.writeNumber(r.value, r.base);
    file.endLine();
    EXPECT_EQ(std::string(r.text) + "\n", out);
  }
}

struct SpaceRow {
  char space;
  int32_t address;
  const char* text;
};

const SpaceRow kSpaceRows[] = {
    {'A', 16, "d1:0x10"}, {'B', 8, "0:0x8"},     {'C', 4660, "c:0x1234"}, {'D', 1, "c:0x1"},
    {'E', 0, "0:0x0"},    {'F', 0x10, "d:0x10"}, {'G', 2, "0:0x2"},       {'H', 3, "b:0x3"},
    {'I', 0x80, "1:0x80"}, {'J', 144, "b1:0x90"}, {'K', 5, "c:0x5"},      {'Z', 5, "c:0x5"},
    {'a', 5, "c:0x5"},    {'@', 5, "c:0x5"},     {'\0', 5, "c:0x5"},      {'\xc1', 5, "c:0x5"},
    {'\xcb', 5, "c:0x5"}, {'B', -2, "0:0xfffffffe"}, {'P', 1, "d:0x1"}, {'p', 1, "c:0x1"},
    {'R', 0, "c:0x0"},
};

TEST_F(CommandFileTest, WriteSpaceAddress) {
  for (const SpaceRow& r : kSpaceRows) {
    SCOPED_TRACE(std::string("letter ") + std::to_string(static_cast<unsigned char>(r.space)));
    out.clear();
    file.writeSpaceAddress(r.space, r.address);
    file.writeText(" ");
    file.writeNumber(r.address, 10);  // the stream is back to decimal
    file.endLine();
    EXPECT_EQ(std::string(r.text) + " " + std::to_string(r.address) + "\n", out);
  }
}

// A scope script: "F name" enters a file, "f name" a function, "C" closes; a name may be
// empty. Lines are written as the scopes really change.
struct ScopeRow {
  std::vector<std::string> steps;
  const char* lines;
};

const ScopeRow kScopeRows[] = {
    {{"F a.c"}, "FILE a.c\n"},
    {{"F a.c", "F a.c"}, "FILE a.c\n"},
    {{"F "}, ""},
    {{"F a.c", "F "}, "FILE a.c\nENDFILE\n"},
    {{"F a.c", "f main", "F b.c"}, "FILE a.c\nFUNC main\nENDF\nENDFILE\nFILE b.c\n"},
    {{"f main", "F a.c"}, "FUNC main\nFILE a.c\n"},
    {{"f main", "F a.c", "f main"}, "FUNC main\nFILE a.c\n"},
    {{"f main", "F a.c", "f isr"}, "FUNC main\nFILE a.c\nENDF\nFUNC isr\n"},
    {{"f main", "f main"}, "FUNC main\n"},
    {{"f main", "f "}, "FUNC main\nENDF\n"},
    {{"F a.c", "F A.c"}, "FILE a.c\nENDFILE\nFILE A.c\n"},
    {{"F a.c", "f main", "C"}, "FILE a.c\nFUNC main\nENDF\nENDFILE\nMODE 2"},
    {{"C"}, "MODE 2"},
    {{"C", "F a.c", "C"}, "MODE 2"},
};

TEST_F(CommandFileTest, Scopes) {
  for (const ScopeRow& r : kScopeRows) {
    std::string script;
    for (const std::string& step : r.steps) script += "[" + step + "]";
    SCOPED_TRACE(script);
    MemoryCommandFile m;
    for (const std::string& step : r.steps) {
      std::string name = step.size() > 2 ? step.substr(2) : "";
      if (step[0] == 'F') m.file.enterFile(name);
      if (step[0] == 'f') m.file.enterFunction(name);
      if (step[0] == 'C') m.file.close();
    }
    EXPECT_EQ(r.lines, m.written());
  }
}

TEST_F(CommandFileTest, CloseEndsWithoutLineEndAndOnlyOnce) {
  file.enterFile("a.c");
  file.close();
  file.close();
  file.writeText("late");
  file.endLine();
  EXPECT_EQ("FILE a.c\nENDFILE\nMODE 2", written());
  EXPECT_TRUE(file.currentFile().empty());
  EXPECT_TRUE(file.currentFunction().empty());
}

TEST(CommandFileOnDiskTest, ClosedAndNeverOpenedFiles) {
  std::filesystem::path dir = scratchDirectory();
  {
    CommandFile never;
    never.writeText("lost");
    never.endLine();
    never.close();
  }
  EXPECT_TRUE(std::filesystem::is_empty(dir));

  std::string path = (dir / "p.dvk").string();
  {
    CommandFile f;
    ASSERT_TRUE(f.open(path));
    f.enterFunction("main");
    // Each line reaches the file when it is ended, a line being composed does not.
    f.writeText("REM");
    EXPECT_EQ(kHeader + "FUNC main\n", readOutput(path));
    f.dropLine();
    f.close();
  }  // the teardown's close adds nothing
  EXPECT_EQ(kHeader + "FUNC main\nENDF\nMODE 2", readOutput(path));

  CommandFile blocked;
  EXPECT_FALSE(blocked.open((dir / "missing" / "p.dvk").string()));
}

TEST(CommandFileOnDiskTest, WriteFailureIsReportedOnce) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows has no full device";
#endif
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
  CommandFile f;
  ASSERT_TRUE(f.open("/dev/full"));
  EXPECT_TRUE(f.writeFailed());
  EXPECT_EQ("No space left on device", f.writeError());
  f.writeText("more");
  f.endLine();
  f.close();
  EXPECT_EQ("No space left on device", f.writeError());
}

}  // namespace
