#pragma once

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace torvane {

/// Splits text into lines: CDB files, and the maps, listings and images read beside
/// them. A line feed ends a line, and a carriage return directly
/// before it (or before the end of the input) belongs to the line end. The character
/// Ctrl-Z ends the input where it stands. A last line without a line feed is a line like
/// any other. A line longer than the limit is read past, never held: it is delivered
/// empty, and marked as too long, so that no input costs more memory than the limit.
class LineReader {
 public:
  static constexpr std::size_t kBlockSize = 256 * 1024;
  /// The longest line read: 64 MiB, far beyond any line SDCC writes.
  static constexpr std::size_t kLineLimit = std::size_t{64} << 20;

  /// Reads the open stream `file` in blocks; the caller keeps it open and closes it.
  explicit LineReader(std::FILE* file, std::size_t blockSize = kBlockSize,
                      std::size_t lineLimit = kLineLimit);
  /// Reads text held in memory, which must outlive the reader.
  explicit LineReader(std::string_view bytes, std::size_t lineLimit = kLineLimit);

  /// The next line without its line end, valid until the next call; false at the end of
  /// the input or after a read error.
  bool nextLine(std::string_view& line) {
    // Nearly every line stands whole in the buffer: such a line is delivered here.
    if (cursor_ != end_) {
      const char* from = cursor_ + searched_;
      const void* found = std::memchr(from, '\n', static_cast<std::size_t>(end_ - from));
      if (found && static_cast<const char*>(found) - cursor_ <= static_cast<std::ptrdiff_t>(lineLimit_)) {
        return deliverLine(line, static_cast<const char*>(found));
      }
    }
    return nextLineFromMoreInput(line);
  }

  /// Up to `count` bytes from the start of the next line, left to be read again, for a
  /// look at how it starts: reads no more of the input than that needs. False at the
  /// end of the input.
  bool peekStart(std::size_t count, std::string_view& start);

  /// How many lines were delivered so far: the number of the line last delivered,
  /// counting from 1.
  std::size_t lineNumber() const { return lineNumber_; }

  /// True when the line last delivered holds a NUL byte.
  bool lineHasNul() const { return lineHasNul_; }

  /// True when the line last delivered was longer than the limit, and so delivered empty.
  bool lineTooLong() const { return lineTooLong_; }
  /// The longest line delivered whole.
  std::size_t lineLimit() const { return lineLimit_; }

  /// True when the line last delivered is the last of the input and has no line feed
  /// (the input ended, or a Ctrl-Z ended it, in the middle of the line).
  bool lastLineUnended() const { return lastLineUnended_; }

  /// True when reading stopped at a read error rather than at the end of the input.
  bool failed() const { return !error_.empty(); }
  /// The system's description of the read error.
  const std::string& error() const { return error_; }

 private:
  static std::string_view withoutCarriageReturn(const char* begin, const char* end) {
    if (end > begin && end[-1] == '\r') --end;
    return std::string_view(begin, static_cast<std::size_t>(end - begin));
  }

  // Delivers the line from the cursor up to the line feed at `stop`.
  bool deliverLine(std::string_view& line, const char* stop) {
    line = withoutCarriageReturn(cursor_, stop);
    cursor_ = stop + 1;
    searched_ = 0;
    lineHasNul_ = nul_ < stop;
    if (lineHasNul_) findNul(cursor_);
    lineTooLong_ = false;
    ++lineNumber_;
    return true;
  }
  bool nextLineFromMoreInput(std::string_view& line);
  bool deliverLongLine(std::string_view& line);
  bool finishReadingPast();
  bool refill();
  void endAtControlZ(const char* from);
  void findNul(const char* from);

  std::FILE* file_ = nullptr;
  std::size_t lineLimit_ = kLineLimit;
  // Grown by realloc, which may move a large block without copying it: a line near the
  // limit costs the limit once, not twice while it is copied.
  struct Free {
    void operator()(char* bytes) const { std::free(bytes); }
  };
  std::unique_ptr<char, Free> buffer_;
  std::size_t bufferSize_ = 0;
  const char* cursor_ = nullptr;  // first unread byte
  const char* end_ = nullptr;     // end of the bytes read so far
  bool exhausted_ = false;        // no more bytes will come
  std::size_t searched_ = 0;      // bytes from the cursor known to hold no line feed
  const char* nul_ = nullptr;     // the first NUL byte from the cursor on, or end_
  bool lineHasNul_ = false;
  bool lineTooLong_ = false;
  bool readingPast_ = false;  // the rest of a long line is still to be read past
  bool lastLineUnended_ = false;
  std::size_t lineNumber_ = 0;
  std::string error_;
};

/// What a message says of a line longer than `limit`: "line longer than 64 MiB".
std::string tooLongText(std::size_t limit);

}  // namespace torvane
