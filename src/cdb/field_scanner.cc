#include "cdb/field_scanner.h"

#include <algorithm>
#include <cstring>

#include "util/characters.h"

namespace torvane {

char FieldScanner::readNumberInFull(int32_t& value, int base) {
  const char* p = cursor_;
  while (p < end_ && isBlank(*p)) ++p;
  bool negative = false;
  if (p < end_ && (*p == '+' || *p == '-')) {
    negative = *p == '-';
    ++p;
  }
  if (base == 16 && end_ - p >= 2 && p[0] == '0' && (p[1] | 0x20) == 'x') p += 2;

  // The magnitude stops growing just past 2^32, so any run of digits, leading zeros
  // included, is read whole without overflow and still clamps to the right limit.
  constexpr uint64_t kPastLimit = uint64_t{1} << 32;
  const char* digits = p;
  uint64_t magnitude = 0;
  if (base == 16) {
    for (unsigned d; p < end_ && (d = digitValue(*p, 16)) < 16; ++p) {
      magnitude = std::min(magnitude * 16 + d, kPastLimit);
    }
  } else {
    for (unsigned d; p < end_ && (d = static_cast<unsigned char>(*p) - '0') < 10; ++p) {
      magnitude = std::min(magnitude * 10 + d, kPastLimit);
    }
  }

  if (p == digits) {
    value = 0;  // No digits: blanks, sign and prefix stay unread.
  } else {
    if (negative) {
      value = magnitude >= (uint64_t{1} << 31) ? INT32_MIN : -static_cast<int32_t>(magnitude);
    } else {
      value = magnitude > INT32_MAX ? INT32_MAX : static_cast<int32_t>(magnitude);
    }
    cursor_ = p;
  }
  return next();
}

char FieldScanner::readUntil(std::string_view& text, std::string_view delimiters) {
  // Fields end at one of at most three delimiters; testing them directly is much faster
  // than a search of the set for every character.
  const char* p = cursor_;
  const char d0 = delimiters[0];
  if (delimiters.size() == 1) {
    const void* found = std::memchr(p, d0, static_cast<std::size_t>(end_ - p));
    p = found ? static_cast<const char*>(found) : end_;
  } else {
    const char d1 = delimiters[1];
    const char d2 = delimiters.size() > 2 ? delimiters[2] : d1;
    while (p < end_ && *p != d0 && *p != d1 && *p != d2) ++p;
  }
  text = std::string_view(cursor_, static_cast<std::size_t>(p - cursor_));
  if (p == end_) return '\0';
  cursor_ = p;
  return next();
}

}  // namespace torvane
