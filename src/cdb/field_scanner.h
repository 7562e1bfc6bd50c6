#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace torvane {

/// A cursor over one CDB line, through which every record parser takes its fields.
/// It never copies or changes the line; the line must outlive the scanner. The end of
/// the line reads as the character NUL, and the cursor never moves past it.
class FieldScanner {
 public:
  /// Stands on the first character of `line`.
  explicit FieldScanner(std::string_view line)
      : begin_(line.data()), cursor_(line.data()), end_(line.data() + line.size()) {}

  /// The character at the cursor, stepped over; NUL at the end of the line (no move).
  char next() { return cursor_ < end_ ? *cursor_++ : '\0'; }

  /// Steps over `c` if it stands at the cursor. NUL is never accepted.
  bool accept(char c) {
    if (c == '\0' || cursor_ == end_ || *cursor_ != c) return false;
    ++cursor_;
    return true;
  }

  /// Reads an integer of base 10 or 16 (white space, sign and, in base 16, "0x" allowed),
  /// clamped to the 32-bit limits, then consumes and returns the character after it.
  /// Without digits `value` becomes 0 and the character at the cursor is returned.
  char readNumber(int32_t& value, int base) {
    // Nearly every number in a CDB file is a short run of digits: such a run is read
    // here, and blanks, signs, the "0x" prefix and longer runs are left to the general
    // reader. Seven hexadecimal or nine decimal digits cannot leave the 32-bit range.
    // This and the direct delimiter test of readUntil save 9 % of the time of the
    // benchmark's million-line program (bench/bench.cc).
    const int most = base == 16 ? 7 : 9;
    const char* p = cursor_;
    const char* limit = end_ - p < most ? end_ : p + most;
    uint32_t magnitude = 0;
    for (unsigned d; p < limit && (d = digitValue(*p, base)) < 16; ++p) {
      magnitude = magnitude * static_cast<unsigned>(base) + d;
    }
    if (p == cursor_ || p - cursor_ == most || (p < end_ && base == 16 && (*p | 0x20) == 'x')) {
      return readNumberInFull(value, base);
    }
    value = static_cast<int32_t>(magnitude);
    cursor_ = p;
    return next();
  }

  /// Reads a nesting level, written N or, by newer compilers, N_M: N is the level, and the
  /// sublevel M is read and dropped. Returns the character after it, as readNumber does.
  char readLevel(int32_t& level) {
    char after = readNumber(level, 10);
    if (after == '_') {
      int32_t sublevel = 0;
      after = readNumber(sublevel, 10);
    }
    return after;
  }

  /// Reads the text up to the first of `delimiters` (one to three characters), then
  /// consumes and returns that delimiter. Without one, `text` is the rest of the line,
  /// NUL is returned and the cursor stays where it was.
  char readUntil(std::string_view& text, std::string_view delimiters);

  /// The character at the cursor, not consumed; NUL at the end of the line.
  char peek() const { return cursor_ < end_ ? *cursor_ : '\0'; }

  /// Steps over `count` characters, stopping at the end of the line.
  void skip(std::size_t count) {
    std::size_t left = static_cast<std::size_t>(end_ - cursor_);
    cursor_ += count < left ? count : left;
  }

  /// Steps back over one character, never before the start of the line.
  void unread() {
    if (cursor_ > begin_) --cursor_;
  }

  /// The text from the cursor to the end of the line.
  std::string_view rest() const {
    return std::string_view(cursor_, static_cast<std::size_t>(end_ - cursor_));
  }

 private:
  // The value of `c` as a digit of `base` (10 or 16), or 16 when it is none.
  static unsigned digitValue(char c, int base) {
    unsigned d = static_cast<unsigned char>(c) - '0';
    if (d < 10) return d;
    if (base != 16) return 16;
    d = (static_cast<unsigned char>(c) | 0x20) - 'a';
    return d < 6 ? d + 10 : 16;
  }

  char readNumberInFull(int32_t& value, int base);

  const char* begin_;
  const char* cursor_;
  const char* end_;
};

}  // namespace torvane
