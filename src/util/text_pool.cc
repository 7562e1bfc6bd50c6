#include "util/text_pool.h"

#include <cstring>

#include "util/hash.h"

std::string_view Text::longView() const {
  const auto* p = reinterpret_cast<const unsigned char*>(stored_);
  std::size_t length = 0;
  for (int shift = 0;; shift += 7) {
    length |= std::size_t{*p & 0x7fu} << shift;
    if (*p++ < 0x80) break;
  }
  return {reinterpret_cast<const char*>(p), length};
}

Text TextPool::keep(std::string_view text) {
  if (text.empty()) return {};  // an empty view may have no storage to copy from
  unsigned char length[(sizeof(std::size_t) * 8 + 6) / 7];
  std::size_t lengthBytes = 0;
  std::size_t left = text.size();
  for (; left >= 0x80; left >>= 7) {
    length[lengthBytes++] = static_cast<unsigned char>(left | 0x80);
  }
  length[lengthBytes++] = static_cast<unsigned char>(left);
  char* copy = static_cast<char*>(memory_.allocate(lengthBytes + text.size(), 1));
  std::memcpy(copy, length, lengthBytes);
  std::memcpy(copy + lengthBytes, text.data(), text.size());
  return Text(copy);
}

Text TextPool::keepRecurring(std::string_view text) {
  if (text.empty()) return {};
  Text& slot = recent_[hashBytes(0, text) % kRecentSlots];
  if (slot != text) slot = keep(text);
  return slot;
}
