#include "records/debug_record.h"

namespace {

// FNV-1a over the identity, with a separator between the two names so that
// ("ab", "c") and ("a", "bc") differ.
uint32_t hashIdentity(std::string_view name, char scope, std::string_view scopeName,
                      int32_t block, int32_t level) {
  uint64_t h = 14695981039346656037ull;
  auto mix = [&h](unsigned char c) {
    h ^= c;
    h *= 1099511628211ull;
  };
  for (char c : name) mix(static_cast<unsigned char>(c));
  mix(0xFF);
  for (char c : scopeName) mix(static_cast<unsigned char>(c));
  mix(static_cast<unsigned char>(scope));
  for (int shift = 0; shift < 32; shift += 8) {
    mix(static_cast<unsigned char>(static_cast<uint32_t>(block) >> shift));
    mix(static_cast<unsigned char>(static_cast<uint32_t>(level) >> shift));
  }
  return static_cast<uint32_t>(h ^ (h >> 32));
}

}  // namespace

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
  slots_.clear();
  identities_ = 0;
}

void RecordList::append(DebugRecord* record) {
  record->next = nullptr;
  if (!head_) head_ = record;
  if (tail_) tail_->next = record;
  tail_ = record;
  if (indexed_) index(record);
}

DebugRecord* RecordList::find(std::string_view name, char scope, std::string_view scopeName,
                              int32_t block, int32_t level) const {
  if (indexed_) {
    if (slots_.empty()) return nullptr;
    uint32_t hash = hashIdentity(name, scope, scopeName, block, level);
    return slots_[slotFor(hash, name, scope, scopeName, block, level)];
  }
  for (DebugRecord* r = head_; r; r = r->next) {
    if (r->matches(name, scope, scopeName, block, level)) return r;
  }
  return nullptr;
}

// note [identity index]
// An indexed list keeps an open-addressing table beside the list: one slot per distinct
// identity, holding the first record appended with it, so find keeps its first-match
// meaning. Later records of the same identity hang off the first through sameIdentity,
// so binding every copy costs one lookup. The table is at most half full.
std::size_t RecordList::slotFor(uint32_t hash, std::string_view name, char scope,
                                std::string_view scopeName, int32_t block,
                                int32_t level) const {
  std::size_t mask = slots_.size() - 1;
  for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
    const DebugRecord* r = slots_[i];
    if (!r || (r->identityHash == hash && r->matches(name, scope, scopeName, block, level))) {
      return i;
    }
  }
}

void RecordList::index(DebugRecord* record) {
  if (2 * (identities_ + 1) > slots_.size()) growIndex();
  record->identityHash = hashIdentity(record->name, record->scope, record->scopeName,
                                      record->block, record->level);
  record->sameIdentity = nullptr;
  DebugRecord*& first = slots_[slotFor(record->identityHash, record->name, record->scope,
                                        record->scopeName, record->block, record->level)];
  if (!first) {
    first = record;
    ++identities_;
    return;
  }
  // Behind the first record of its identity: the first stays what find returns.
  record->sameIdentity = first->sameIdentity;
  first->sameIdentity = record;
}

void RecordList::growIndex() {
  std::vector<DebugRecord*> old(slots_.empty() ? 16 : slots_.size() * 2, nullptr);
  old.swap(slots_);
  std::size_t mask = slots_.size() - 1;
  for (DebugRecord* r : old) {
    if (!r) continue;
    std::size_t i = r->identityHash & mask;
    while (slots_[i]) i = (i + 1) & mask;
    slots_[i] = r;
  }
}

bool RecordList::emitEach(CommandFile& file) const {
  for (DebugRecord* r = nextAfter(nullptr); r; r = nextAfter(r)) {
    if (!r->emit(file)) return false;
  }
  return true;
}
