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
  CommandWriterTest() { writer.open(); }
  std::string written() const { return out.substr(kHeader.size()); }

  std::string out;
  TextSink sink{out};
  CommandWriter writer{sink};
};

TEST_F(CommandWriterTest, OpenWritesTheHeader) { EXPECT_EQ(kHeader, out); }

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

TEST_F(CommandWriterTest, WriteNumber) {
  for (const NumberRow& r : kNumberRows) {
    SCOPED_TRACE(r.text);
    out.clear();
    writer.writeNumber(r.value, r.base);
    writer.endLine();
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

TEST_F(CommandWriterTest, WriteSpaceAddress) {
  for (const SpaceRow& r : kSpaceRows) {
    SCOPED_TRACE(std::string("letter ") + std::to_string(static_cast<unsigned char>(r.space)));
    out.clear();
    writer.writeSpaceAddress(r.space, r.address);
    writer.writeText(" ");
    writer.writeNumber(r.address, 10);  // the stream is back to decimal
    writer.endLine();
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

TEST(CommandWriterScopeTest, Scopes) {
  for (const ScopeRow& r : kScopeRows) {
    std::string script;
    for (const std::string& step : r.steps) script += "[" + step + "]";
    SCOPED_TRACE(script);
    std::string out;
    TextSink sink(out);
    CommandWriter writer(sink);
    writer.open();
    for (const std::string& step : r.steps) {
      std::string name = step.size() > 2 ? step.substr(2) : "";
      if (step[0] == 'F') writer.enterFile(name);
      if (step[0] == 'f') writer.enterFunction(name);
      if (step[0] == 'C') writer.close();
    }
    EXPECT_EQ(r.lines, out.substr(kHeader.size()));
  }
}

TEST_F(CommandWriterTest, CloseEndsWithoutLineEndAndOnlyOnce) {
  writer.enterFile("a.c");
  writer.enterFunction("f");
  writer.close();
  writer.close();
  writer.writeText("late");
  writer.endLine();
  EXPECT_EQ("FILE a.c\nFUNC f\nENDF\nENDFILE\nMODE 2", written());
}

// Each line reaches the sink when it is ended, a line being composed does not; a
// writer never opened writes nothing.
TEST(CommandWriterSinkTest, LinesReachTheSinkWhenEnded) {
  std::string never;
  {
    TextSink sink(never);
    CommandWriter writer(sink);
    writer.writeText("lost");
    writer.endLine();
    writer.close();
  }
  EXPECT_EQ("", never);

  std::string out;
  TextSink sink(out);
  CommandWriter writer(sink);
  writer.open();
  writer.enterFunction("main");
  writer.writeText("REM");
  EXPECT_EQ(kHeader + "FUNC main\n", out);
  writer.dropLine();
  writer.close();
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
  writer.open();
  EXPECT_FALSE(writer.failed());
  writer.writeText("REM refused");
  writer.endLine();
  EXPECT_TRUE(writer.failed());
  writer.writeText("REM after");
  writer.endLine();
  writer.close();
  EXPECT_TRUE(writer.failed());
  EXPECT_EQ((std::vector<std::string>{kHeader, "REM refused\n"}), sink.taken);
}

}  // namespace

}  // namespace torvane
