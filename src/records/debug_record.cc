#include "records/debug_record.h"

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
}

void RecordList::append(DebugRecord* record) {
  record->next = nullptr;
  if (!head_) head_ = record;
  if (tail_) tail_->next = record;
  tail_ = record;
}

DebugRecord* RecordList::find(std::string_view name, char scope, std::string_view scopeName,
                              int32_t block, int32_t level) const {
  for (DebugRecord* r = head_; r; r = r->next) {
    if (r->matches(name, scope, scopeName, block, level)) return r;
  }
  return nullptr;
}

bool RecordList::emitEach(CommandFile& file) const {
  for (DebugRecord* r = nextAfter(nullptr); r; r = nextAfter(r)) {
    if (!r->emit(file)) return false;
  }
  return true;
}
