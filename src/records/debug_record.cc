#include "records/debug_record.h"

#include <cstring>

namespace {

// Folds the bytes of `text` into `h` eight at a time, ending with the length so that
// ("ab", "c") and ("a", "bc") differ.
uint64_t mixText(uint64_t h, std::string_view text) {
  constexpr uint64_t kMultiplier = 0x9E3779B97F4A7C15ull;
  const char* p = text.data();
  std::size_t left = text.size();
  for (; left >= 8; p += 8, left -= 8) {
    uint64_t word;
    std::memcpy(&word, p, 8);
    h = (h ^ word) * kMultiplier;
    h ^= h >> 29;
  }
  uint64_t tail = uint64_t{text.size()} << 56;
  for (std::size_t i = 0; i < left; ++i) tail ^= uint64_t{static_cast<unsigned char>(p[i])} << (8 * i);
  h = (h ^ tail) * kMultiplier;
  return h ^ (h >> 32);
}

}  // namespace

uint32_t RecordList::hashIdentity(std::string_view name, char scope, std::string_view scopeName,
                                  int32_t block, int32_t level) {
  uint64_t h = static_cast<unsigned char>(scope) ^
               (uint64_t{static_cast<uint32_t>(block)} << 8) ^
               (uint64_t{static_cast<uint32_t>(level)} << 40);
  h = mixText(mixText(h, name), scopeName);
  return static_cast<uint32_t>(h);
}

bool DebugRecord::matches(std::string_view otherName, char otherScope,
                          std::string_view otherScopeName, int32_t otherBlock,
                          int32_t otherLevel) const {
  return scope == otherScope && block == otherBlock && level == otherLevel &&
         name == otherName && scopeName == otherScopeName;
}

bool DebugRecord::emit(CommandFile&) { return true; }

void RecordList::deleteAll() {
  while (head_) {
    DebugRecord* doomed = head_;
    head_ = head_->next;
    delete doomed;
  }
  tail_ = nullptr;
  index_.reset();
}

void RecordList::append(DebugRecord* record) {
  record->next = nullptr;
  if (!head_) head_ = record;
  if (tail_) tail_->next = record;
  tail_ = record;
  if (index_) index(record);
}

DebugRecord* RecordList::find(uint32_t hash, std::string_view name, char scope,
                              std::string_view scopeName, int32_t block, int32_t level) const {
  if (!index_) buildIndex();
  if (index_->slots.empty()) return nullptr;
  return index_->slots[slotFor(hash, name, scope, scopeName, block, level)];
}

// note [identity index]
// The index is an open-addressing table beside the list: one slot per distinct identity,
// holding the first record appended with it, so find keeps its first-match meaning.
// Later records of the same identity hang off the first through sameIdentity, newest
// first, so all copies of an identity are reached from one lookup. The table is at most
// half full.
std::size_t RecordList::slotFor(uint32_t hash, std::string_view name, char scope,
                                std::string_view scopeName, int32_t block,
                                int32_t level) const {
  const std::vector<DebugRecord*>& slots = index_->slots;
  std::size_t mask = slots.size() - 1;
  for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
    const DebugRecord* r = slots[i];
    // No record kind changes what matching means, so the base's test is called
    // directly, where the compiler can inline it.
    if (!r || (r->identityHash == hash &&
               r->DebugRecord::matches(name, scope, scopeName, block, level))) {
      return i;
    }
  }
}

void RecordList::buildIndex() const {
  index_ = std::make_unique<Index>();
  for (DebugRecord* r = head_; r; r = r->next) index(r);
}

void RecordList::index(DebugRecord* record) const {
  if (2 * (index_->identities + 1) > index_->slots.size()) growIndex();
  record->identityHash = hashIdentity(record->name, record->scope, record->scopeName,
                                      record->block, record->level);
  record->sameIdentity = nullptr;
  DebugRecord*& first = index_->slots[slotFor(record->identityHash, record->name, record->scope,
                                        record->scopeName, record->block, record->level)];
  if (!first) {
    first = record;
    ++index_->identities;
    return;
  }
  // Behind the first record of its identity: the first stays what find returns.
  record->sameIdentity = first->sameIdentity;
  first->sameIdentity = record;
}

void RecordList::growIndex() const {
  std::vector<DebugRecord*>& slots = index_->slots;
  std::vector<DebugRecord*> old(slots.empty() ? 16 : slots.size() * 2, nullptr);
  old.swap(slots);
  std::size_t mask = slots.size() - 1;
  for (DebugRecord* r : old) {
    if (!r) continue;
    std::size_t i = r->identityHash & mask;
    while (slots[i]) i = (i + 1) & mask;
    slots[i] = r;
  }
}

bool RecordList::emitEach(CommandFile& file) const {
  for (DebugRecord* r = nextAfter(nullptr); r; r = nextAfter(r)) {
    if (!r->emit(file)) return false;
  }
  return true;
}
