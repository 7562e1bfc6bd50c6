#pragma once

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

 private:
  Arena& memory_;
};
