#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

/// An index from keys to positions in the caller's own storage, as an open-addressing
/// table that keeps each position with its key's hash. The caller computes the hashes
/// and says, for a position, whether it holds the key looked for; equal keys must hash
/// alike. Positions are never removed.
///
/// See note [position index] in record lists for why this table is made by hand.
class PositionIndex {
 public:
  static constexpr uint32_t kNone = UINT32_MAX;

  /// Makes room for `count` keys without growing.
  void reserve(std::size_t count) {
    std::size_t size = 16;
    while (size < 2 * count) size *= 2;
    if (size > slots_.size()) rehash(size);
  }

  /// The position of the key with this hash for which `isKey(position)` holds, or kNone.
  template <class IsKey>
  uint32_t find(uint64_t hash, IsKey isKey) const {
    if (slots_.empty()) return kNone;
    const Slot& s = slots_[slotFor(static_cast<uint32_t>(hash), isKey)];
    return s.position;
  }

  /// Adds `position` under its key unless the key is there already; returns the position
  /// the key has from now on (the earlier one, if any).
  template <class IsKey>
  uint32_t insert(uint64_t hash, uint32_t position, IsKey isKey) {
    if (2 * (used_ + 1) > slots_.size()) rehash(slots_.empty() ? 16 : 2 * slots_.size());
    Slot& s = slots_[slotFor(static_cast<uint32_t>(hash), isKey)];
    if (s.position != kNone) return s.position;
    s = {static_cast<uint32_t>(hash), position};
    ++used_;
    return position;
  }

 private:
  struct Slot {
    uint32_t hash = 0;
    uint32_t position = kNone;
  };

  // The slot that holds the key, or the empty slot where it would go. The table is at
  // most half full, so a search always meets an empty slot.
  template <class IsKey>
  std::size_t slotFor(uint32_t hash, IsKey& isKey) const {
    std::size_t mask = slots_.size() - 1;
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
      const Slot& s = slots_[i];
      if (s.position == kNone || (s.hash == hash && isKey(s.position))) return i;
    }
  }

  void rehash(std::size_t size) {
    std::vector<Slot> old(size);
    old.swap(slots_);
    std::size_t mask = size - 1;
    for (const Slot& s : old) {
      if (s.position == kNone) continue;
      std::size_t i = s.hash & mask;
      while (slots_[i].position != kNone) i = (i + 1) & mask;
      slots_[i] = s;
    }
  }

  std::vector<Slot> slots_;
  std::size_t used_ = 0;
};
