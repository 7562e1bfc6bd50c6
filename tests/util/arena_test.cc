#include "util/arena.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <utility>
#include <vector>

namespace torvane {

namespace {

TEST(ArenaTest, KeepsObjectsApartAndAligned) {
  struct alignas(16) Wide {
    char bytes[48];
  };
  Arena local;
  std::vector<ArenaPtr<char>> small;
  std::vector<ArenaPtr<Wide>> wide;
  std::vector<ArenaPtr<std::array<char, 600000>>> large;
  for (int i = 0; i < 50000; ++i) {
    small.push_back(local.make<char>(static_cast<char>(i)));
    wide.push_back(local.make<Wide>());
    if (i % 12500 == 0) large.push_back(local.make<std::array<char, 600000>>());
  }
  std::vector<std::pair<const char*, std::size_t>> spans;
  for (const auto& p : small) spans.push_back({p.get(), 1});
  for (const auto& p : wide) {
    EXPECT_EQ(0u, reinterpret_cast<std::uintptr_t>(p.get()) % 16);
    spans.push_back({reinterpret_cast<const char*>(p.get()), sizeof(Wide)});
  }
  for (const auto& p : large) spans.push_back({p->data(), p->size()});
  std::sort(spans.begin(), spans.end());
  for (std::size_t i = 1; i < spans.size(); ++i) {
    ASSERT_LE(spans[i - 1].first + spans[i - 1].second, spans[i].first);
  }
  for (int i = 0; i < 50000; ++i) EXPECT_EQ(static_cast<char>(i), *small[i]);
}

}  // namespace

}  // namespace torvane
