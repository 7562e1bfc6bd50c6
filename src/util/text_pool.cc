#include "util/text_pool.h"

#include <cstring>

std::string_view TextPool::keep(std::string_view text) {
  if (text.empty()) return {};
  if (text.size() > left_) {
    // A text larger than a chunk gets a chunk of its own; the current chunk keeps
    // serving the small texts that follow.
    if (text.size() > kChunkSize / 4) {
      chunks_.emplace_back(new char[text.size()]);
      std::memcpy(chunks_.back().get(), text.data(), text.size());
      return std::string_view(chunks_.back().get(), text.size());
    }
    chunks_.emplace_back(new char[kChunkSize]);  // not zeroed: every byte is written first
    free_ = chunks_.back().get();
    left_ = kChunkSize;
  }
  std::memcpy(free_, text.data(), text.size());
  std::string_view kept(free_, text.size());
  free_ += text.size();
  left_ -= text.size();
  return kept;
}
