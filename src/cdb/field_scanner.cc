#include "cdb/field_scanner.h"

namespace {

bool isBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// The value of `c` as a digit of `base`, or -1.
int digitValue(char c, int base) {
  int v = -1;
  if (c >= '0' && c <= '9') {
    v = c - '0';
  } else if (c >= 'a' && c <= 'f') {
    v = c - 'a' + 10;
  } else if (c >= 'A' && c <= 'F') {
    v = c - 'A' + 10;
  }
  return v < base ? v : -1;
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

  // Magnitudes saturate just past the 32-bit range, so any run of digits is read
  // whole without overflow and still clamps to the right limit.
  constexpr int64_t kSaturated = int64_t{1} << 32;
  int64_t magnitude = 0;
  const char* digits = p;
  for (int d; p < end_ && (d = digitValue(*p, base)) >= 0; ++p) {
    magnitude = magnitude * base + d;
    if (magnitude > kSaturated) magnitude = kSaturated;
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
  const char* p = cursor_;
  while (p < end_ && delimiters.find(*p) == std::string_view::npos) ++p;
  text = std::string_view(cursor_, static_cast<std::size_t>(p - cursor_));
  if (p == end_) return '\0';
  cursor_ = p;
  return next();
}
