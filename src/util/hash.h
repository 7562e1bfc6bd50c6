#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace torvane {

/// Folds the bytes of `text` into the hash `h`, eight at a time, ending with the length
/// so that ("ab", "c") and ("a", "bc") differ. Inline, so that hashing the short names
/// of a CDB file costs no call.
inline uint64_t hashBytes(uint64_t h, std::string_view text) {
  constexpr uint64_t kMultiplier = 0x9E3779B97F4A7C15ull;
  const char* p = text.data();
  std::size_t left = text.size();
  for (; left >= 8; p += 8, left -= 8) {
    uint64_t word;
    std::memcpy(&word, p, 8);
    h = (h ^ word) * kMultiplier;
    h ^= h >> 29;
  }
  uint64_t tail = uint64_t{text.size()} << 56;
  for (std::size_t i = 0; i < left; ++i) {
    tail ^= uint64_t{static_cast<unsigned char>(p[i])} << (8 * i);
  }
  h = (h ^ tail) * kMultiplier;
  return h ^ (h >> 32);
}

}  // namespace torvane
