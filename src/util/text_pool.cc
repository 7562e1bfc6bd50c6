#include "util/text_pool.h"

#include <cstring>

#include "util/hash.h"

std::string_view TextPool::keep(std::string_view text) {
  if (text.empty()) return {};  // an empty view may have no storage to copy from
  char* copy = static_cast<char*>(memory_.allocate(text.size(), 1));
  std::memcpy(copy, text.data(), text.size());
  return {copy, text.size()};
}

std::string_view TextPool::keepRecurring(std::string_view text) {
  if (text.empty()) return {};
  std::string_view& slot = recent_[hashBytes(0, text) % kRecentSlots];
  if (slot != text) slot = keep(text);
  return slot;
}
