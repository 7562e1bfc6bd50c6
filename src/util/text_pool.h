#pragma once

#include <cstddef>
#include <memory>
#include <string_view>
#include <vector>

/// Owns the text of every stored record: names, scope names and type texts are copied
/// here once, and records keep views of them. Text never moves while the pool lives.
class TextPool {
 public:
  TextPool() = default;
  TextPool(const TextPool&) = delete;
  TextPool& operator=(const TextPool&) = delete;

  /// A copy of `text` that lives as long as the pool.
  std::string_view keep(std::string_view text);

 private:
  static constexpr std::size_t kChunkSize = 64 * 1024;

  std::vector<std::unique_ptr<char[]>> chunks_;
  char* free_ = nullptr;
  std::size_t left_ = 0;
};
