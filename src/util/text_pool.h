#pragma once

#include <array>
#include <cstddef>
#include <string_view>

#include "util/arena.h"

/// Owns the text of every stored record: names, scope names and type texts are copied
/// here once, and records keep them as views. The pool takes its memory from an arena,
/// the one the records live in, so that a record's texts lie close to the record. Text
/// never moves while the arena lives.
class TextPool {
 public:
  explicit TextPool(Arena& memory) : memory_(memory) {}

  /// A copy of `text` that lives as long as the arena.
  std::string_view keep(std::string_view text);

  /// As keep, for texts that recur from record to record (scope names, type texts):
  /// a text equal to one kept lately is not copied again, and the earlier copy is
  /// returned.
  std::string_view keepRecurring(std::string_view text);

 private:
  // The texts kept lately by keepRecurring, one per slot chosen by their hash.
  static constexpr std::size_t kRecentSlots = 64;

  Arena& memory_;
  std::array<std::string_view, kRecentSlots> recent_{};
};
