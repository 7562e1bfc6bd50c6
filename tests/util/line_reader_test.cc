#include "util/line_reader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tool_run.h"

namespace torvane {

namespace {

// The lines, each checked against the reader's own word on whether it holds a NUL.
std::vector<std::string> linesFrom(LineReader& reader) {
  std::vector<std::string> lines;
  std::string_view line;
  while (reader.nextLine(line)) {
    EXPECT_EQ(line.find('\0') != std::string_view::npos, reader.lineHasNul()) << lines.size();
    lines.emplace_back(line);
  }
  return lines;
}

struct LinesRow {
  const char* name;
  std::string input;
  std::vector<std::string> lines;
};

const std::string kZ(1, '\x1a');

const LinesRow kRows[] = {
    {"empty", "", {}},
    {"two lines", "M:a\nM:b\n", {"M:a", "M:b"}},
    {"last line without line feed", "M:a\nM:b", {"M:a", "M:b"}},
    {"CR LF", "M:a\r\nM:b\r\n", {"M:a", "M:b"}},
    {"CR at the very end", "M:a\r\nM:b\r", {"M:a", "M:b"}},
    {"CR elsewhere is a character", "M:a\rb\n\r\r\n", {"M:a\rb", "\r"}},
    {"blank lines", "\n\nM:a\n\n", {"", "", "M:a", ""}},
    {"Ctrl-Z after the last line feed", "M:a\n" + kZ + "M:b\n", {"M:a"}},
    {"Ctrl-Z inside a line keeps the text before it", "M:a\nM:b" + kZ + "c\n", {"M:a", "M:b"}},
    {"CR before Ctrl-Z belongs to the line end", "M:a\r" + kZ, {"M:a"}},
    {"Ctrl-Z first", kZ + "M:a\n", {}},
    {"NUL bytes are characters", std::string("M:\0x\n", 5), {std::string("M:\0x", 4)}},
    {"NUL bytes in some lines", std::string("a\0\0\nb\nc\r\0\nd\0", 12),
     {std::string("a\0\0", 3), "b", std::string("c\r\0", 3), std::string("d\0", 2)}},
};

TEST(LineReaderTest, SplitsMemory) {
  for (const LinesRow& r : kRows) {
    SCOPED_TRACE(r.name);
    LineReader reader{std::string_view(r.input)};
    EXPECT_EQ(r.lines, linesFrom(reader));
    EXPECT_FALSE(reader.failed());
  }
}

// A text without storage, as a default view is, reads as empty.
TEST(LineReaderTest, ViewWithoutStorage) {
  LineReader reader{std::string_view()};
  std::string_view line;
  EXPECT_FALSE(reader.nextLine(line));
  EXPECT_FALSE(reader.failed());
}

// Streams are read in blocks; lines, Ctrl-Z and carriage returns that straddle block
// ends must come out as they do from memory.
TEST(LineReaderTest, SplitsFilesLikeMemory) {
  for (std::size_t block : {std::size_t{1}, std::size_t{2}, std::size_t{3}, LineReader::kBlockSize}) {
    for (const LinesRow& r : kRows) {
      SCOPED_TRACE(std::string(r.name) + ", blocks of " + std::to_string(block));
      std::FILE* f = std::tmpfile();
      ASSERT_NE(nullptr, f);
      std::fwrite(r.input.data(), 1, r.input.size(), f);
      std::rewind(f);
      LineReader reader(f, block);
      EXPECT_EQ(r.lines, linesFrom(reader));
      EXPECT_FALSE(reader.failed());
      std::fclose(f);
    }
  }
}

// Lines longer than a read block, and lines that straddle block ends, arrive whole.
TEST(LineReaderTest, LongLinesAcrossBlocks) {
  std::vector<std::string> expected = {std::string(3 * 1024 * 1024, 'a'), "S:x",
                                       std::string(256 * 1024 - 1, 'b'), std::string(5, 'c')};
  std::string input;
  for (const std::string& line : expected) input += line + "\r\n";
  input.pop_back();
  input.pop_back();  // the last line without a line end
  std::FILE* f = std::tmpfile();
  ASSERT_NE(nullptr, f);
  std::fwrite(input.data(), 1, input.size(), f);
  std::rewind(f);
  LineReader reader(f);
  std::vector<std::string> lines = linesFrom(reader);
  ASSERT_EQ(expected.size(), lines.size());
  for (std::size_t i = 0; i < lines.size(); ++i) EXPECT_TRUE(expected[i] == lines[i]) << i;
  std::fclose(f);
}

struct LimitRow {
  const char* name;
  std::string input;
  std::vector<std::string> lines;  // "!" for a line too long, delivered empty
  bool lastUnended;
};

// With a limit of 8 bytes: longer lines are read past and delivered empty, marked, from
// memory and from streams read in blocks of any size alike.
const LimitRow kLimitRows[] = {
    {"a line at the limit, and one past it", "12345678\n123456789\nM:b\n",
     {"12345678", "!", "M:b"}, false},
    {"a long last line without a line end", "M:a\n" + std::string(100, 'x'), {"M:a", "!"}, true},
    {"a long line ended by Ctrl-Z", std::string(20, 'x') + kZ + "M:b\n", {"!"}, true},
    {"two long lines in a row", std::string(30, 'x') + "\n" + std::string(9, 'y') + "\r\nz\n",
     {"!", "!", "z"}, false},
};

TEST(LineReaderTest, LinesBeyondTheLimit) {
  for (std::size_t block : {std::size_t{0}, std::size_t{1}, std::size_t{3}, std::size_t{16}}) {
    for (const LimitRow& r : kLimitRows) {
      SCOPED_TRACE(std::string(r.name) + (block ? ", blocks of " + std::to_string(block) : ""));
      std::FILE* f = std::tmpfile();
      ASSERT_NE(nullptr, f);
      std::fwrite(r.input.data(), 1, r.input.size(), f);
      std::rewind(f);
      LineReader fromFile(f, block, 8);
      LineReader fromMemory(std::string_view(r.input), 8);
      LineReader& reader = block ? fromFile : fromMemory;
      std::vector<std::string> lines;
      for (std::string_view line; reader.nextLine(line);) {
        lines.push_back(reader.lineTooLong() ? "!" : std::string(line));
        if (reader.lineTooLong()) {
          EXPECT_EQ("", line);
        }
      }
      EXPECT_EQ(r.lines, lines);
      EXPECT_EQ(r.lastUnended, reader.lastLineUnended());
      std::fclose(f);
    }
  }
}

// A look at how a line starts reads no further than it needs: not to the end of an
// endless first line.
TEST(LineReaderTest, PeekAtTheStart) {
  struct Row {
    std::string input;
    bool any;
    std::string start;
  };
  const Row rows[] = {{"M:abc\n", true, "M:"}, {"\nM:a\n", true, ""}, {"M", true, "M"}, {"", false, ""}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.input);
    LineReader reader{std::string_view(r.input)};
    std::string_view start;
    EXPECT_EQ(r.any, reader.peekStart(2, start));
    EXPECT_EQ(r.start, start);
    std::string_view line;
    if (r.any) {
      EXPECT_TRUE(reader.nextLine(line) && line.substr(0, 2) == r.start);
    }
  }
#ifndef _WIN32
  std::FILE* zeros = std::fopen("/dev/zero", "rb");
  ASSERT_NE(nullptr, zeros);
  LineReader endless(zeros);
  std::string_view start;
  EXPECT_TRUE(endless.peekStart(2, start));
  EXPECT_EQ(std::string(2, '\0'), start);
  std::fclose(zeros);
#endif
}

// A stream that cannot be read (a directory, on this system) is a read error, not an
// empty input.
TEST(LineReaderTest, ReadErrorIsNotTheEnd) {
#ifdef _WIN32
  GTEST_SKIP() << "a directory does not open as a stream on Windows";
#endif
  std::filesystem::path dir = scratchDirectory();
  std::FILE* f = std::fopen(dir.string().c_str(), "rb");
  ASSERT_NE(nullptr, f);
  LineReader reader(f);
  std::string_view line;
  EXPECT_FALSE(reader.nextLine(line));
  EXPECT_TRUE(reader.failed());
  EXPECT_EQ("Is a directory", reader.error());
  std::fclose(f);
}

}  // namespace

}  // namespace torvane
