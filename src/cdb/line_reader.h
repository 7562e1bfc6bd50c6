#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

/// Splits CDB input into lines. A line feed ends a line, and a carriage return directly
/// before it (or before the end of the input) belongs to the line end. The character
/// Ctrl-Z ends the input where it stands. A last line without a line feed is a line like
/// any other, and lines of any length are delivered whole.
class LineReader {
 public:
  static constexpr std::size_t kBlockSize = 256 * 1024;

  /// Reads the open stream `file` in blocks; the caller keeps it open and closes it.
  explicit LineReader(std::FILE* file, std::size_t blockSize = kBlockSize);
  /// Reads text held in memory, which must outlive the reader.
  explicit LineReader(std::string_view bytes);

  /// The next line without its line end, valid until the next call; false at the end of
  /// the input or after a read error.
  bool nextLine(std::string_view& line);

  /// The next line as nextLine gives it, left to be read again by nextLine.
  bool peekLine(std::string_view& line);

  /// How many lines were delivered so far: the number of the line last delivered,
  /// counting from 1.
  std::size_t lineNumber() const { return lineNumber_; }

  /// True when the line last delivered holds a NUL byte.
  bool lineHasNul() const { return lineHasNul_; }

  /// True when reading stopped at a read error rather than at the end of the input.
  bool failed() const { return !error_.empty(); }
  /// The system's description of the read error.
  const std::string& error() const { return error_; }

 private:
  bool refill();
  void endAtControlZ(const char* from);
  void findNul(const char* from);

  std::FILE* file_ = nullptr;
  std::vector<char> buffer_;
  const char* cursor_ = nullptr;  // first unread byte
  const char* end_ = nullptr;     // end of the bytes read so far
  bool exhausted_ = false;        // no more bytes will come
  std::size_t searched_ = 0;      // bytes from the cursor known to hold no line feed
  const char* nul_ = nullptr;     // the first NUL byte from the cursor on, or end_
  bool lineHasNul_ = false;
  std::size_t lineNumber_ = 0;
  std::string error_;
};
