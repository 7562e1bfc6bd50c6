#pragma once

#include <string_view>

#include "util/arena.h"

/// Owns the text of every stored record: names, scope names and type texts are copied
/// here once, and records keep views of them. Text never moves while the pool lives.
class TextPool {
 public:
  /// A copy of `text` that lives as long as the pool.
  std::string_view keep(std::string_view text);

 private:
  Arena memory_;
};
