#include "cdb/record_reader.h"

#include <gtest/gtest.h>

#include <string>

#include "cdb/line_reader.h"
#include "command_file_test.h"

namespace {

using RecordReaderTest = CommandFileTest;

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

TEST_F(RecordReaderTest, StopsAtTheFirstRejectedLine) {
  LineReader input{std::string_view("L:A\nX:1\nY:2\n")};
  EXPECT_FALSE(readRecords(input, file));
  EXPECT_EQ("Unknown CDB record type X\n", messages);  // Y:2 is never read

  std::string_view rest;
  ASSERT_TRUE(input.nextLine(rest));
  EXPECT_EQ("Y:2", rest);
}

TEST_F(RecordReaderTest, EmptyInputIsAccepted) {
  LineReader input{std::string_view("")};
  EXPECT_TRUE(readRecords(input, file));
  EXPECT_EQ("", messages);
  EXPECT_EQ("", written());
}

}  // namespace
