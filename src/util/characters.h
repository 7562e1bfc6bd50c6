#pragma once

namespace torvane {

/// A blank: a space, or one of tab, line feed, vertical tab, form feed (between the
/// pages of a map or listing) and carriage return (of CR LF line ends).
constexpr bool isBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

/// A decimal digit.
constexpr bool isDigit(char c) { return c >= '0' && c <= '9'; }

/// The value of a hexadecimal digit of either case, or -1 for any other character.
constexpr int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

/// The byte two hexadecimal digits give, high digit first, or -1 where either is none.
constexpr int hexByte(char high, char low) {
  return hexDigit(high) < 0 || hexDigit(low) < 0 ? -1 : hexDigit(high) * 16 + hexDigit(low);
}

}  // namespace torvane
