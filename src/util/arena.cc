#include "util/arena.h"

#include <cstdint>

void* Arena::allocate(std::size_t size, std::size_t align) {
  std::size_t skip = (align - reinterpret_cast<std::uintptr_t>(free_) % align) % align;
  if (!free_ || skip + size > left_) {
    // An object larger than a quarter block gets a block of its own.
    std::size_t bytes = size > kBlockSize / 4 ? size : kBlockSize;
    std::size_t units = (bytes + sizeof(std::max_align_t) - 1) / sizeof(std::max_align_t);
    blocks_.emplace_back(new std::max_align_t[units]);
    char* block = reinterpret_cast<char*>(blocks_.back().get());
    if (bytes != kBlockSize) return block;
    free_ = block;
    left_ = kBlockSize;
    skip = 0;
  }
  char* object = free_ + skip;
  free_ = object + size;
  left_ -= skip + size;
  return object;
}
