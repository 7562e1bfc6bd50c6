#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
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
  DebugRecord* sameIdentity = nullptr;  ///< another record of this identity, once indexed
  std::string_view name;
  char scope = '\0';
  uint32_t identityHash = 0;  ///< set when the list's index takes the record
  std::string_view scopeName;
  int32_t block = 0;
  int32_t level = 0;
};

/// An owning singly linked list of records in the order they were appended. Lookups by
/// identity take constant expected time: the first one builds an index, which appending
/// then keeps up to date.
class RecordList {
 public:
  RecordList() = default;
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
                    int32_t block, int32_t level) const {
    return find(hashIdentity(name, scope, scopeName, block, level), name, scope, scopeName,
                block, level);
  }

  /// As above, with the identity's hash already computed by hashIdentity, for a caller
  /// that looks the same identity up in several lists.
  DebugRecord* find(uint32_t hash, std::string_view name, char scope,
                    std::string_view scopeName, int32_t block, int32_t level) const;

  /// The hash the index keeps for an identity.
  static uint32_t hashIdentity(std::string_view name, char scope, std::string_view scopeName,
                               int32_t block, int32_t level);

  /// Another record of the identity of `record`, which must be in this list; null after
  /// the last. Starting from what find returned, the records after the first come
  /// newest first.
  DebugRecord* nextOfIdentity(const DebugRecord* record) const {
    if (!index_) buildIndex();
    return record->sameIdentity;
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
  void index(DebugRecord* record) const;
  void buildIndex() const;
  void growIndex() const;

  // See note [identity index] in debug_record.cc. Built by the first lookup, so lists
  // that are never searched (every structure's members, the modules) carry none.
  struct Index {
    std::vector<DebugRecord*> slots;
    std::size_t identities = 0;
  };

  DebugRecord* head_ = nullptr;
  DebugRecord* tail_ = nullptr;
  mutable std::unique_ptr<Index> index_;
};
