#include "util/unfinished_files.h"

#include <atomic>
#include <cstring>

#include "util/system_files.h"

#ifdef _WIN32
#include <io.h>
#include <stdio.h>
#else
#include <unistd.h>
#endif

namespace torvane {

namespace {

// note [unfinished files]
// A signal handler may do little: no lock, no allocation. So each unfinished file has a
// slot of fixed size, claimed with an atomic flag, which holds its name in the system's
// own form; the handler removes what the claimed slots name. A slot is written whole
// before it is marked as used, and marked unused before it is reused. Windows cannot
// remove a file that is open, so its handler closes the file first; there the handler
// runs on a thread of its own, while the process stops.
#ifdef _WIN32
using NativeChar = wchar_t;
#else
using NativeChar = char;
#endif

constexpr int kSlots = 16;
constexpr std::size_t kLongestName = 4096;

struct Slot {
  std::atomic<int> state{0};  // 0 free, 1 being written, 2 used
  int descriptor = -1;
  NativeChar name[kLongestName];
};

Slot slots[kSlots];

}  // namespace

int noteUnfinished(const std::string& name, int descriptor) {
  std::filesystem::path path = pathOf(name);
  const auto& native = path.native();
  if (native.size() >= kLongestName) return -1;
  for (int i = 0; i < kSlots; ++i) {
    int expected = 0;
    if (!slots[i].state.compare_exchange_strong(expected, 1)) continue;
    std::memcpy(slots[i].name, native.c_str(), (native.size() + 1) * sizeof(NativeChar));
    slots[i].descriptor = descriptor;
    slots[i].state.store(2);
    return i;
  }
  return -1;
}

void forgetUnfinished(int slot) {
  if (slot >= 0 && slot < kSlots) slots[slot].state.store(0);
}

void removeUnfinished() noexcept {
  for (Slot& slot : slots) {
    if (slot.state.load() != 2) continue;
#ifdef _WIN32
    _close(slot.descriptor);
    _wunlink(slot.name);
#else
    ::unlink(slot.name);
#endif
  }
}

}  // namespace torvane
