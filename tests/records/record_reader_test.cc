#include "records/record_reader.h"

#include <gtest/gtest.h>

#include <string>

#include "program_fixture.h"
#include "util/line_reader.h"

namespace torvane {

namespace {

using RecordReaderTest = ProgramTest;

struct FrameRow {
  std::string line;
  bool accepted;
  std::string message;
};

const FrameRow kFrameRows[] = {
    {"", false, "Bad CDB record format:\n"},
    {"S", false, "Bad CDB record format:S\n"},
    {" S:x", false, "Bad CDB record format: S:x\n"},
    {"SS:x", false, "Bad CDB record format:SS:x\n"},
    {"s:x", false, "Unknown CDB record type s\n"},
    {"Q:", false, "Unknown CDB record type Q\n"},
    {"::", false, "Unknown CDB record type :\n"},
    {" :", false, "Unknown CDB record type  \n"},
    {std::string("M:a\0b", 5), false, "Bad CDB record format:M:a^@b\n"},
    {"L:A$blink$398:0", true, ""},
};

TEST_F(RecordReaderTest, FramesEachLine) {
  for (const FrameRow& r : kFrameRows) {
    SCOPED_TRACE(r.line);
    messages.clear();
    EXPECT_EQ(r.accepted, parseLine(r.line));
    EXPECT_EQ(r.message, messages);
  }
}

// The located messages, as "N kind: text" lines.
std::string locatedMessages(const Diagnostics& diagnostics) {
  std::string said;
  for (const Diagnostic& d : diagnostics) {
    if (d.line == 0) continue;
    said += std::to_string(d.line) +
            (d.kind == Diagnostic::Kind::warning ? " warning: " : " error: ") + d.text + "\n";
  }
  return said;
}

TEST_F(RecordReaderTest, StopsAtTheFirstRejectedLine) {
  LineReader input{std::string_view("L:A\nX:1\nY:2\n")};
  EXPECT_EQ(ReadResult::End::rejected, readRecords(input, program, diagnostics).end);
  noteMessages();
  EXPECT_EQ("Unknown CDB record type X\n", messages);  // Y:2 is never read
  EXPECT_EQ("2 error: this record was not converted\n", locatedMessages(said));

  std::string_view rest;
  ASSERT_TRUE(input.nextLine(rest));
  EXPECT_EQ("Y:2", rest);
}

// Asked to, the reader skips every line it does not accept, says which, and reads on;
// a rejected record leaves no mark on the program.
TEST_F(RecordReaderTest, SkipsRejectedLinesWhenAskedTo) {
  LineReader input{std::string_view(
      "M:a\nX:1\n\nS:G$x$0$0({1}SQ:U),B,1,0\nT:Fa$t[({0}S:S$m$0$0({1}SC:U),B,1,0)"
      "({1}S:S$n$0$0({1}SQ:U),Z,0,0)]\nS:G$y$0$0({1}SC:U),E,0,0\n")};
  ReadResult read = readRecords(input, program, diagnostics, /*keepGoing=*/true);
  EXPECT_EQ(ReadResult::End::complete, read.end);
  EXPECT_EQ(4u, read.skipped);
  noteMessages();
  EXPECT_EQ(
      "Unknown CDB record type X\nBad CDB record format:\nUnknown type specifier Q\n"
      "Failed definition of symbol x\nUnknown type specifier Q\n"
      "Failed definition of symbol n\nFailed definition of structure t\n",
      messages);
  EXPECT_EQ(
      "2 warning: record skipped\n3 warning: record skipped\n4 warning: record skipped\n"
      "5 warning: record skipped\n",
      locatedMessages(said));
  EXPECT_EQ("y", firstOf(program.symbols).name);
  EXPECT_TRUE(program.structures.empty());
  EXPECT_FALSE(program.usesStackRelative);
}

TEST_F(RecordReaderTest, EmptyInputIsAccepted) {
  LineReader input{std::string_view("")};
  EXPECT_EQ(ReadResult::End::complete, readRecords(input, program, diagnostics).end);
  noteMessages();
  EXPECT_EQ("", messages);
  EXPECT_EQ("", linesOfReading());
}

}  // namespace

}  // namespace torvane
