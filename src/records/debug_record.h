#pragma once

#include <cstddef>
#include <memory>
#include <type_traits>
#include <string_view>
#include <utility>

#include "records/record_identity.h"
#include "util/arena.h"
#include "util/pointer_index.h"

namespace torvane {

/// Whether a record list is searched by identity, and when its records are indexed:
/// as each is appended, or all those appended since at the next lookup. Chosen where the
/// list is declared; see note [when records are indexed].
enum class Lookup { none, indexedAsAppended, indexedWhenSought };

/// The base of every record read from a CDB file: its identity, by which records are
/// found, and its place in the file. Nothing dispatches on the kind of a record: each
/// list holds records of one kind, so a record carries no table of virtual functions.
class DebugRecord {
 public:
  DebugRecord() = default;
  DebugRecord(const DebugRecord&) = delete;
  DebugRecord& operator=(const DebugRecord&) = delete;

  /// This record's identity, as a value that views its texts.
  RecordIdentity identity() const { return {name, scope, scopeName, block, level}; }

  std::string_view name;
  std::string_view scopeName;

 private:
  template <class Record, Lookup>
  friend class RecordList;
  DebugRecord* next_ = nullptr;          // the next record of the list that holds this one
  DebugRecord* sameIdentity_ = nullptr;  // see note [identity index]

 public:
  int32_t block = 0;
  int32_t level = 0;
  /// The line of the CDB file the record was read from, counted from 1, for messages
  /// about it; 0 for a record made otherwise. See note [record lines] in record_reader.cc.
  uint32_t line = 0;
  // Last, so that the single-byte fields of derived records fill the space behind it.
  char scope = '\0';
};

/// The records of one kind, owned, in the order they were appended: a singly linked
/// list through the records' own links, so holding a record costs the list nothing
/// beyond the record. Records are made in an Arena, which must outlive the list. A list
/// declared searched indexes its records, so that a lookup takes constant expected
/// time; other lists carry no index.
template <class Record, Lookup lookup = Lookup::none>
class RecordList {
 public:
  RecordList() = default;
  RecordList(const RecordList&) = delete;
  RecordList& operator=(const RecordList&) = delete;
  /// Destroys every record, head first; their memory goes back with the arena.
  ~RecordList() {
    for (Record* r = head_; r;) {
      Record* next = following(*r);
      // Every record is of exactly the list's kind (append takes no other), so its
      // destructor is called directly. Where it has nothing to do, the compiler drops
      // the whole walk, which would otherwise miss the cache at every record.
      r->Record::~Record();
      r = next;
    }
  }

  /// Walks the records in order, as references: const ones through a const list.
  template <class Item>
  class Walk {
   public:
    explicit Walk(Item* at) : at_(at) {}
    Item& operator*() const { return *at_; }
    Item* operator->() const { return at_; }
    Walk& operator++() {
      at_ = following(*at_);
      return *this;
    }
    bool operator==(const Walk& other) const { return at_ == other.at_; }
    bool operator!=(const Walk& other) const { return at_ != other.at_; }

   private:
    Item* at_;
  };
  using Iterator = Walk<Record>;
  using ConstIterator = Walk<const Record>;

  Iterator begin() { return Iterator(head_); }
  Iterator end() { return Iterator(nullptr); }
  ConstIterator begin() const { return ConstIterator(head_); }
  ConstIterator end() const { return ConstIterator(nullptr); }
  bool empty() const { return head_ == nullptr; }

  /// Takes `record`, of exactly the list's kind, and keeps it after the others;
  /// duplicates are kept.
  template <class Kind, std::enable_if_t<std::is_same_v<Kind, Record>, int> = 0>
  void append(ArenaPtr<Kind> record) {
    Record* r = record.release();
    r->next_ = nullptr;
    if (tail_) {
      tail_->next_ = r;
    } else {
      head_ = r;
    }
    tail_ = r;
    if constexpr (lookup == Lookup::indexedAsAppended) index(*r);
    if constexpr (lookup == Lookup::indexedWhenSought) {
      if (!index_.unindexed) index_.unindexed = r;
    }
    if constexpr (kSearched) ++index_.count;
  }

  /// The first record appended with this identity, or null.
  Record* find(const RecordIdentity& identity) {
    static_assert(kSearched, "only a list declared searched is searched");
    if (index_.unindexed) indexTheRest();
    return index_.table.find(RecordIdentityHash{}(identity), hasIdentity(identity));
  }
  const Record* find(const RecordIdentity& identity) const {
    return const_cast<RecordList*>(this)->find(identity);
  }

  /// Readies a find of `identity` a little later: the memory system fetches the part of
  /// the index it will search meanwhile.
  void prefetch(const RecordIdentity& identity) {
    static_assert(kSearched, "only a list declared searched is searched");
    if (index_.unindexed) indexTheRest();
    index_.table.prefetch(RecordIdentityHash{}(identity));
  }

  /// Another record of the identity of `record`, which must be in this list; null after
  /// the last. Starting from what find returned, the records after the first come
  /// newest first.
  Record* nextOfIdentity(const Record& record) {
    static_assert(kSearched, "only a list declared searched is searched");
    if (index_.unindexed) indexTheRest();
    return static_cast<Record*>(record.sameIdentity_);
  }
  const Record* nextOfIdentity(const Record& record) const {
    return const_cast<RecordList*>(this)->nextOfIdentity(record);
  }

 private:
  // note [identity index]
  // The index maps each identity to the first record appended with it, so find keeps
  // its first-match meaning. Later records of the same identity hang off the first,
  // newest first, so all copies of an identity are reached from one lookup.
  //
  // The index is a hand-made open-addressing table (PointerIndex) because, measured
  // with the benchmark (bench/bench.cc) on its linked program of a million lines and
  // its chain of structures, std::unordered_map keyed by the identity
  // ran 22 % more instructions and took the peak memory from 1.52 to 1.87 times the
  // input (11 MB more); on a chain of a million structures, 32 % more instructions
  // and 57 MB more.
  //
  // note [when records are indexed]
  // A record indexed as it is appended is fresh in the cache; records indexed together
  // at the next lookup, in the order they came, fill a table grown once for them all,
  // and their inserts overlap in the memory system instead of each waiting between the
  // parsing of lines. Measured with the benchmark (bench/bench.cc), the symbols and
  // functions of its linked program of two million lines, sought by the link records
  // that follow them all, took 12 % less time indexed when sought, at the same peak
  // memory. The chain of a million structures, sought only when written, took 14 % less
  // time so but 15 MB more memory: indexed as they are read, the tables outgrown on the
  // way are freed while the records still come, and hold records in their stead. So
  // structures are indexed as appended, and symbols and functions when sought.

  // The test by which the index knows the records of `identity`.
  static auto hasIdentity(const RecordIdentity& identity) {
    return [&identity](const Record& r) { return r.identity() == identity; };
  }

  // The record after `record`: every record linked into this list is a Record.
  static Record* following(const Record& record) { return static_cast<Record*>(record.next_); }

  // Indexes the records appended since the last lookup, in the order they came, in one
  // sweep with the table grown once for them all.
  void indexTheRest() {
    index_.table.reserve(index_.count);
    for (Record* r = index_.unindexed; r; r = following(*r)) index(*r);
    index_.unindexed = nullptr;
  }

  void index(Record& record) {
    RecordIdentity identity = record.identity();
    record.sameIdentity_ = nullptr;
    Record* first =
        index_.table.insert(RecordIdentityHash{}(identity), &record, hasIdentity(identity));
    if (first == &record) return;
    record.sameIdentity_ = first->sameIdentity_;
    first->sameIdentity_ = &record;
  }

  static constexpr bool kSearched = lookup != Lookup::none;
  // A searched list's index, and what is not in it yet; a list not searched has none,
  // and costs no more than its two ends.
  struct Index {
    PointerIndex<Record> table;
    Record* unindexed = nullptr;  // the first record not indexed yet
    std::size_t count = 0;        // records appended
  };
  struct NoIndex {};

  Record* head_ = nullptr;
  Record* tail_ = nullptr;
  std::conditional_t<kSearched, Index, NoIndex> index_;
};

}  // namespace torvane
