#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace torvane {

/// The most bytes formatHex writes: "0x" and eight digits.
constexpr std::size_t kHexTextSize = 2 + 8;

/// Writes "0x" and `value` in lower-case hexadecimal digits, without leading zeros, so
/// that the text ends just before `end` (kHexTextSize bytes are always enough); returns
/// its start.
inline char* formatHex(uint32_t value, char* end) {
  char* p = end;
  do {
    *--p = "0123456789abcdef"[value & 0xF];
    value >>= 4;
  } while (value != 0);
  *--p = 'x';
  *--p = '0';
  return p;
}

/// "0x" and `value` in lower-case hexadecimal digits, as the command file writes
/// addresses: for messages about them.
inline std::string hexText(uint32_t value) {
  char digits[kHexTextSize];
  char* end = digits + sizeof digits;
  return std::string(formatHex(value, end), end);
}

/// A byte as two lower-case hexadecimal digits ("d2").
inline std::string byteText(uint8_t value) {
  return {"0123456789abcdef"[value >> 4], "0123456789abcdef"[value & 0xF]};
}

}  // namespace torvane
