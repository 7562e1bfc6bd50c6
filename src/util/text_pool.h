#pragma once

#include <array>
#include <cstddef>
#include <string_view>

#include "util/arena.h"

/// A text kept in a TextPool, held by one pointer to its length and its bytes, which
/// lie together in the pool: half the room of a std::string_view, for records that
/// keep several texts each and come by the million. Reads as a std::string_view.
class Text {
 public:
  /// The empty text.
  Text() = default;

  std::string_view view() const {
    if (!stored_) return {};
    auto length = static_cast<unsigned char>(*stored_);
    if (length < 0x80) return {stored_ + 1, length};
    return longView();
  }
  operator std::string_view() const { return view(); }  // implicit, on purpose
  bool empty() const { return stored_ == nullptr; }

  friend bool operator==(Text a, Text b) { return a.view() == b.view(); }
  friend bool operator==(Text a, std::string_view b) { return a.view() == b; }
  friend bool operator==(std::string_view a, Text b) { return a == b.view(); }
  friend bool operator!=(Text a, Text b) { return !(a == b); }
  friend bool operator!=(Text a, std::string_view b) { return !(a == b); }
  friend bool operator!=(std::string_view a, Text b) { return !(a == b); }

 private:
  friend class TextPool;
  explicit Text(const char* stored) : stored_(stored) {}

  // A text of 128 bytes or more: its length takes more than one byte.
  std::string_view longView() const;

  // The length, seven bits to a byte with the high bit set on every byte but the last,
  // then the bytes of the text; null for the empty text.
  const char* stored_ = nullptr;
};

/// Owns the text of every stored record: names, scope names and type texts are copied
/// here once, and records keep them as Texts. The pool takes its memory from an arena,
/// the one the records live in, so that a record's texts lie close to the record. Text
/// never moves while the arena lives.
class TextPool {
 public:
  explicit TextPool(Arena& memory) : memory_(memory) {}

  /// A copy of `text` that lives as long as the arena.
  Text keep(std::string_view text);

  /// As keep, for texts that recur from record to record (scope names, type texts):
  /// a text equal to one kept lately is not copied again, and the earlier copy is
  /// returned.
  Text keepRecurring(std::string_view text);

 private:
  // The texts kept lately by keepRecurring, one per slot chosen by their hash.
  static constexpr std::size_t kRecentSlots = 64;

  Arena& memory_;
  std::array<Text, kRecentSlots> recent_{};
};
