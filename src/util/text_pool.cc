#include "util/text_pool.h"

#include <cstring>

std::string_view TextPool::keep(std::string_view text) {
  if (text.empty()) return {};  // an empty view may have no storage to copy from
  char* copy = static_cast<char*>(memory_.allocate(text.size(), 1));
  std::memcpy(copy, text.data(), text.size());
  return {copy, text.size()};
}
