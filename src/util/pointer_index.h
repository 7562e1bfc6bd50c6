#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

/// An index from keys to the objects that hold them, as an open-addressing table that
/// keeps each object's address with its key's hash. The caller computes the hashes and
/// says whether an object holds the key looked for; equal keys must hash alike. Objects
/// are never removed, and the first object added with a key keeps it.
///
/// See note [identity index] in records/debug_record.h for why this table is made by hand.
template <class T>
class PointerIndex {
 public:
  /// Makes room for `count` keys without growing.
  void reserve(std::size_t count) {
    std::size_t size = 16;
    while (size < 2 * count) size *= 2;
    if (size > slots_.size()) rehash(size);
  }

  /// The object with this hash for which `isKey(object)` holds, or null.
  template <class IsKey>
  T* find(uint64_t hash, IsKey isKey) const {
    if (slots_.empty()) return nullptr;
    return slots_[slotFor(static_cast<uint32_t>(hash), isKey)].object;
  }

  /// Adds `object` under its key unless the key is there already; returns the object
  /// that has the key from now on (the earlier one, if any).
  template <class IsKey>
  T* insert(uint64_t hash, T* object, IsKey isKey) {
    if (2 * (used_ + 1) > slots_.size()) rehash(slots_.empty() ? 16 : 2 * slots_.size());
    Slot& s = slots_[slotFor(static_cast<uint32_t>(hash), isKey)];
    if (s.object) return s.object;
    s = {static_cast<uint32_t>(hash), object};
    ++used_;
    return object;
  }

 private:
  struct Slot {
    uint32_t hash = 0;
    T* object = nullptr;
  };

  // The slot that holds the key, or the empty slot where it would go. The table is at
  // most half full, so a search always meets an empty slot.
  template <class IsKey>
  std::size_t slotFor(uint32_t hash, IsKey& isKey) const {
    std::size_t mask = slots_.size() - 1;
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
      const Slot& s = slots_[i];
      if (!s.object || (s.hash == hash && isKey(*s.object))) return i;
    }
  }

  void rehash(std::size_t size) {
    std::vector<Slot> old(size);
    old.swap(slots_);
    std::size_t mask = size - 1;
    for (const Slot& s : old) {
      if (!s.object) continue;
      std::size_t i = s.hash & mask;
      while (slots_[i].object) i = (i + 1) & mask;
      slots_[i] = s;
    }
  }

  std::vector<Slot> slots_;
  std::size_t used_ = 0;
};
