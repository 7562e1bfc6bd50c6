#include "output/command_writer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "expected_text.h"

namespace torvane {

namespace {

// A writer, opened, whose lines are kept in `out`.
class CommandWriterTest : public ::testing::Test {
 protected:
  CommandWriterTest() { writer.header(); }
  std::string written() const { return out.substr(kHeader.size()); }

  std::string out;
  TextSink sink{out};
  CommandWriter writer{sink};
};

TEST_F(CommandWriterTest, HeaderOpensTheFile) { EXPECT_EQ(kHeader, out); }

// Numbers in decimal and, as "0x" and lower-case digits, in hexadecimal: a line
// address writes its line in decimal and its address in hexadecimal.
struct NumberRow {
  int32_t value;
  const char* line;
};

const NumberRow kNumberRows[] = {
    {255, "LINE 255 C:0xff"},
    {0, "LINE 0 C:0x0"},
    {4660, "LINE 4660 C:0x1234"},
    {-8, "LINE -8 C:0xfffffff8"},
    {-1, "LINE -1 C:0xffffffff"},
    {INT32_MIN, "LINE -2147483648 C:0x80000000"},
    {INT32_MAX, "LINE 2147483647 C:0x7fffffff"},
};

TEST_F(CommandWriterTest, NumbersInTheirBases) {
  for (const NumberRow& r : kNumberRows) {
    SCOPED_TRACE(r.line);
    out.clear();
    writer.lineAddress(r.value, r.value);
    EXPECT_EQ(std::string(r.line) + "\n", out);
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

TEST_F(CommandWriterTest, SymbolsAtTheirPages) {
  for (const SpaceRow& r : kSpaceRows) {
    SCOPED_TRACE(std::string("letter ") + std::to_string(static_cast<unsigned char>(r.space)));
    out.clear();
    writer.symbol(true, "x", r.space, r.address, "U08");
    writer.symbol(false, "y", r.space, r.address, "S16");
    EXPECT_EQ("DEF x " + std::string(r.text) + " %U08\nDEFS y " + r.text + " %S16\n", out);
  }
}

// Every other kind of line, as the debugger reads it.
TEST_F(CommandWriterTest, LinesOfEachKind) {
  writer.section("Symbols");
  writer.functionRange(false, "main", 0x64, 0x7a);
  writer.functionRange(true, "tick", 0x20, 0x2f);
  writer.stackSymbol(false, "i", -2, "S16");
  writer.stackSymbol(false, "j", 0, "S16");
  writer.stackSymbol(true, "k", INT32_MIN, "U08");
  writer.registerNote("n", "[r6,r7]");
  writer.registerNote("t", "");
  writer.noAddressNote("cp");
  writer.structureStart("point");
  writer.structureMember(2, "y", ">*S08[2]");
  writer.structureEnd(4);
  writer.framePointer(0x21);
  writer.load("out/prog.ihx");
  EXPECT_EQ(
      "REM Symbols\nFUNC main C:0x64\nENDF C:0x7a\nSFUNC tick C:0x20\nENDF C:0x2f\n"
      "DEFS i bp-0x2 %S16\nDEFS j bp+0x0 %S16\nDEF k bp-0x80000000 %U08\nREM n [r6,r7]\n"
      "REM t\nREM cp (no address)\nSTRUCT 0 point\nDEFT 0x2 y %>*S08[2]\nENDS 4\nDEFREG bp 0:0x21 1\n"
      "LOAD out/prog.ihx\n",
      written());
  // The range lines open no function scope: nothing closes them.
  writer.trailer();
  EXPECT_EQ("MODE 2", written().substr(written().size() - 6));
  EXPECT_EQ(std::string::npos, written().find("ENDF\n"));
}

TEST(CommandFileStartTest, RecognisesACommandFile) {
  EXPECT_TRUE(CommandWriter::startsCommandFile(CommandWriter::kHeader));
  EXPECT_TRUE(CommandWriter::startsCommandFile("CLEARLINEINFO Y\r\nRADIX 10\r\n"));
  EXPECT_TRUE(CommandWriter::startsCommandFile("CLEARLINEINFO Y"));
  EXPECT_FALSE(CommandWriter::startsCommandFile("CLEARLINEINFO Y2\n"));
  EXPECT_FALSE(CommandWriter::startsCommandFile("/* Blinks an LED */\n"));
  EXPECT_FALSE(CommandWriter::startsCommandFile(""));
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

TEST(CommandWriterScopeTest, Scopes) {
  for (const ScopeRow& r : kScopeRows) {
    std::string script;
    for (const std::string& step : r.steps) script += "[" + step + "]";
    SCOPED_TRACE(script);
    std::string out;
    TextSink sink(out);
    CommandWriter writer(sink);
    writer.header();
    for (const std::string& step : r.steps) {
      std::string name = step.size() > 2 ? step.substr(2) : "";
      if (step[0] == 'F') writer.enterFile(name);
      if (step[0] == 'f') writer.enterFunction(name);
      if (step[0] == 'C') writer.trailer();
    }
    EXPECT_EQ(r.lines, out.substr(kHeader.size()));
  }
}

TEST_F(CommandWriterTest, TrailerEndsWithoutLineEndAndOnlyOnce) {
  writer.enterFile("a.c");
  writer.enterFunction("f");
  writer.trailer();
  writer.trailer();
  writer.section("late");
  EXPECT_EQ("FILE a.c\nFUNC f\nENDF\nENDFILE\nMODE 2", written());
}

// Each line reaches the sink as soon as it is complete; a writer without its header
// writes nothing.
TEST(CommandWriterSinkTest, LinesReachTheSinkWhenComplete) {
  std::string never;
  {
    TextSink sink(never);
    CommandWriter writer(sink);
    writer.section("lost");
    writer.trailer();
  }
  EXPECT_EQ("", never);

  std::string out;
  TextSink sink(out);
  CommandWriter writer(sink);
  writer.header();
  writer.enterFunction("main");
  EXPECT_EQ(kHeader + "FUNC main\n", out);
  writer.trailer();
  EXPECT_EQ(kHeader + "FUNC main\nENDF\nMODE 2", out);
}

// A sink that refuses its second delivery, and counts what it is handed.
class RefusingSink : public LineSink {
 public:
  bool take(std::string_view line) override {
    taken.emplace_back(line);
    return taken.size() < 2;
  }
  std::vector<std::string> taken;
};

TEST(CommandWriterSinkTest, NothingFollowsARefusedLine) {
  RefusingSink sink;
  CommandWriter writer(sink);
  writer.header();
  EXPECT_FALSE(writer.failed());
  writer.section("refused");
  EXPECT_TRUE(writer.failed());
  writer.section("after");
  writer.trailer();
  EXPECT_TRUE(writer.failed());
  EXPECT_EQ((std::vector<std::string>{kHeader, "REM refused\n"}), sink.taken);
}

}  // namespace

}  // namespace torvane
