#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "util/arena.h"

namespace torvane {

/// An index from keys to the objects that hold them, as an open-addressing table that
/// keeps each object's address with its key's hash. The caller computes the hashes and
/// says whether an object holds the key looked for; equal keys must hash alike. Objects
/// are never removed, and the first object added with a key keeps it.
///
/// See note [identity index] in records/debug_record.h for why this table is made by hand.
template <class T>
class PointerIndex {
 public:
  /// The object with this hash for which `isKey(object)` holds, or null.
  template <class IsKey>
  T* find(uint64_t hash, IsKey isKey) const {
    if (size_ == 0) return nullptr;
    return slot(slotFor(static_cast<uint32_t>(hash), isKey)).object;
  }

  /// Asks the memory system for the slot where a search for `hash` begins, so that a
  /// search a little later finds it at hand.
  void prefetch(uint64_t hash) const {
    if (size_ > 0) __builtin_prefetch(&slot(static_cast<uint32_t>(hash) & (size_ - 1)));
  }

  /// Makes room for `count` keys in all, so that adding them grows the table no more.
  void reserve(std::size_t count) {
    std::size_t size = size_ == 0 ? 16 : size_;
    while (!roomFor(count, size)) size *= 2;
    if (size != size_) rehash(size);
  }

  /// Adds `object` under its key unless the key is there already; returns the object
  /// that has the key from now on (the earlier one, if any).
  template <class IsKey>
  T* insert(uint64_t hash, T* object, IsKey isKey) {
    if (!roomFor(used_ + 1, size_)) rehash(size_ == 0 ? 16 : 2 * size_);
    Slot& s = slot(slotFor(static_cast<uint32_t>(hash), isKey));
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

  // True when `count` keys leave a table of `size` slots at most three quarters full:
  // full enough to stay small in the cache, empty enough for short searches.
  static bool roomFor(std::size_t count, std::size_t size) { return 4 * count <= 3 * size; }

  // The slot that holds the key, or the empty slot where it would go. The table is at
  // most three quarters full, so a search always meets an empty slot.
  template <class IsKey>
  std::size_t slotFor(uint32_t hash, IsKey& isKey) const {
    std::size_t mask = size_ - 1;
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
      const Slot& s = slot(i);
      if (!s.object || (s.hash == hash && isKey(*s.object))) return i;
    }
  }

  Slot& slot(std::size_t i) const { return slots_.get()[i]; }

  struct FreeSlots {
    void operator()(Slot* slots) const { freeBlock(slots); }
  };

  // The table lives in memory of its own (allocateBlock), so that a large one can sit
  // on huge pages.
  void rehash(std::size_t size) {
    std::unique_ptr<Slot, FreeSlots> old(
        static_cast<Slot*>(allocateBlock(size * sizeof(Slot))));
    std::uninitialized_value_construct_n(old.get(), size);
    old.swap(slots_);
    std::size_t oldSize = size_;
    size_ = size;
    std::size_t mask = size - 1;
    for (const Slot* s = old.get(); s != old.get() + oldSize; ++s) {
      if (!s->object) continue;
      std::size_t i = s->hash & mask;
      while (slot(i).object) i = (i + 1) & mask;
      slot(i) = *s;
    }
  }

  std::unique_ptr<Slot, FreeSlots> slots_;
  std::size_t size_ = 0;  // slots, a power of two
  std::size_t used_ = 0;
};

}  // namespace torvane
