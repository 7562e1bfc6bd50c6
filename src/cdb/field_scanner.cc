#include "cdb/field_scanner.h"

#include <cstring>

namespace {

// A blank, or one of tab, line feed, vertical tab, form feed and carriage return.
bool isBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// The value of `c` as a hexadecimal digit, or 16 when it is none.
unsigned hexValue(char c) {
  unsigned d = static_cast<unsigned char>(c) - '0';
  if (d < 10) return d;
  d = (static_cast<unsigned char>(c) | 0x20) - 'a';
  return d < 6 ? d + 10 : 16;
}

}  // namespace

char FieldScanner::readNumber(int32_t& value, int base) {
  const char* p = cursor_;
  while (p < end_ && isBlank(*p)) ++p;
  bool negative = false;
  if (p < end_ && (*p == '+' || *p == '-')) {
    negative = *p == '-';
    ++p;
  }
  if (base == 16 && end_ - p >= 2 && p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) p += 2;

  // Magnitudes stop growing just past the 32-bit range, so any run of digits is read
  // whole without overflow and still clamps to the right limit.
  constexpr int64_t kSaturated = int64_t{1} << 32;
  int64_t magnitude = 0;
  const char* digits = p;
  if (base == 16) {
    for (unsigned d; p < end_ && (d = hexValue(*p)) < 16; ++p) {
      if (magnitude < kSaturated) magnitude = magnitude * 16 + d;
    }
  } else {
    for (unsigned d; p < end_ && (d = static_cast<unsigned char>(*p) - '0') < 10; ++p) {
      if (magnitude < kSaturated) magnitude = magnitude * 10 + d;
    }
  }

  if (p == digits) {
    value = 0;  // No digits: blanks, sign and prefix stay unread.
  } else {
    int64_t v = negative ? -magnitude : magnitude;
    if (v > INT32_MAX) v = INT32_MAX;
    if (v < INT32_MIN) v = INT32_MIN;
    value = static_cast<int32_t>(v);
    cursor_ = p;
  }
  return next();
}

char FieldScanner::readUntil(std::string_view& text, std::string_view delimiters) {
  // Fields end at one of at most three delimiters; testing them directly is much faster
  // than a search of the set for every character.
  const char* p = cursor_;
  const char d0 = delimiters[0];
  const char d1 = delimiters.size() > 1 ? delimiters[1] : d0;
  const char d2 = delimiters.size() > 2 ? delimiters[2] : d1;
  if (delimiters.size() == 1) {
    const void* found = std::memchr(p, d0, static_cast<std::size_t>(end_ - p));
    p = found ? static_cast<const char*>(found) : end_;
  } else if (delimiters.size() <= 3) {
    while (p < end_ && *p != d0 && *p != d1 && *p != d2) ++p;
  } else {
    while (p < end_ && delimiters.find(*p) == std::string_view::npos) ++p;
  }
  text = std::string_view(cursor_, static_cast<std::size_t>(p - cursor_));
  if (p == end_) return '\0';
  cursor_ = p;
  return next();
}
