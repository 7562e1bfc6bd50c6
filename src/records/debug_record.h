#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

class CommandFile;

/// The base of every record read from a CDB file: its identity (name, scope letter,
/// scope name, block, level), by which records are found, and the link of its list.
class DebugRecord {
 public:
  DebugRecord() = default;
  virtual ~DebugRecord() = default;
  DebugRecord(const DebugRecord&) = delete;
  DebugRecord& operator=(const DebugRecord&) = delete;

  /// True when all five identity values equal this record's (strings byte for byte).
  virtual bool matches(std::string_view otherName, char otherScope,
                       std::string_view otherScopeName, int32_t otherBlock,
                       int32_t otherLevel) const;

  /// Writes this record's commands; the base writes nothing and succeeds.
  [[nodiscard]] virtual bool emit(CommandFile& file);

  DebugRecord* next = nullptr;
  DebugRecord* sameIdentity = nullptr;  ///< the next record of this identity in an indexed list
  uint32_t identityHash = 0;            ///< set when an indexed list takes the record
  std::string_view name;
  char scope = '\0';
  std::string_view scopeName;
  int32_t block = 0;
  int32_t level = 0;
};

/// An owning singly linked list of records in the order they were appended. An indexed
/// list also finds records by identity in constant expected time.
class RecordList {
 public:
  enum class Lookup { linear, indexed };

  explicit RecordList(Lookup lookup = Lookup::linear) : indexed_(lookup == Lookup::indexed) {}
  ~RecordList() { deleteAll(); }
  RecordList(const RecordList&) = delete;
  RecordList& operator=(const RecordList&) = delete;

  /// Forgets every record without deleting any.
  void clear() { head_ = tail_ = nullptr; }

  /// Deletes every record, head first, through its virtual destructor.
  void deleteAll();

  /// Takes ownership of `record` and links it at the tail; duplicates are kept.
  void append(DebugRecord* record);

  /// The first record appended with this identity, or null.
  DebugRecord* find(std::string_view name, char scope, std::string_view scopeName,
                    int32_t block, int32_t level) const;

  /// Calls `visit` with every record of this identity.
  template <class Visit>
  void forEachMatch(std::string_view name, char scope, std::string_view scopeName,
                    int32_t block, int32_t level, Visit visit) const {
    if (indexed_) {
      for (DebugRecord* r = find(name, scope, scopeName, block, level); r; r = r->sameIdentity) {
        visit(r);
      }
      return;
    }
    for (DebugRecord* r = head_; r; r = r->next) {
      if (r->matches(name, scope, scopeName, block, level)) visit(r);
    }
  }

  /// The record after `record`, or the head when `record` is null; null at the end.
  DebugRecord* nextAfter(const DebugRecord* record) const {
    return record ? record->next : head_;
  }

  /// Emits every record in order, stopping at the first that fails.
  [[nodiscard]] bool emitEach(CommandFile& file) const;

  bool empty() const { return head_ == nullptr; }

 private:
  std::size_t slotFor(uint32_t hash, std::string_view name, char scope,
                      std::string_view scopeName, int32_t block, int32_t level) const;
  void index(DebugRecord* record);
  void growIndex();

  DebugRecord* head_ = nullptr;
  DebugRecord* tail_ = nullptr;
  bool indexed_;
  std::vector<DebugRecord*> slots_;  // see note [identity index] in debug_record.cc
  std::size_t identities_ = 0;
};
