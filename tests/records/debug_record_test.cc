#include "records/debug_record.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "util/arena.h"

namespace torvane {

namespace {

// A record that notes when it is destroyed.
class ProbeRecord : public DebugRecord {
 public:
  ProbeRecord(std::vector<std::string>* log, const char* tag) : log_(log), tag_(tag) {}
  ~ProbeRecord() { log_->push_back(std::string("delete ") + tag_); }

 private:
  std::vector<std::string>* log_;
  const char* tag_;
};

// Records live in an arena, as the command file's do; it outlives every list below.
Arena arena;

template <class Record>
ArenaPtr<Record> identified(ArenaPtr<Record> r, const RecordIdentity& id) {
  r->name = arena.copy(id.name);
  r->scope = id.scope;
  r->scopeName = arena.copy(id.scopeName);
  r->block = id.block;
  r->level = id.level;
  return r;
}

struct MatchRow {
  const char* name;
  char scope;
  const char* scopeName;
  int32_t block;
  int32_t level;
  bool matches;
};

// Against the record (main, L, blink, 1, 2).
const MatchRow kMatchRows[] = {
    {"main", 'L', "blink", 1, 2, true},     {"Main", 'L', "blink", 1, 2, false},
    {"mai", 'L', "blink", 1, 2, false},     {"main", 'G', "blink", 1, 2, false},
    {"main", 'L', "blin", 1, 2, false},     {"main", 'L', "blink.c", 1, 2, false},
    {"main", 'L', "", 1, 2, false},         {"main", 'L', "blink", 0, 2, false},
    {"main", 'L', "blink", 1, 0, false},    {"main", 'L', "blink", 2, 1, false},
};

TEST(DebugRecordTest, MatchesAllFiveIdentityValues) {
  auto r = identified(arena.make<DebugRecord>(), {"main", 'L', "blink", 1, 2});
  RecordIdentityHash hash;
  for (const MatchRow& m : kMatchRows) {
    SCOPED_TRACE(std::string(m.name) + " " + m.scope + " " + m.scopeName + " " +
                 std::to_string(m.block) + " " + std::to_string(m.level));
    RecordIdentity id{m.name, m.scope, m.scopeName, m.block, m.level};
    EXPECT_EQ(m.matches, r->identity() == id);
    if (m.matches) {
      EXPECT_EQ(hash(r->identity()), hash(id));
    }
  }
}

TEST(RecordListTest, FindReturnsTheFirstOfEqualIdentities) {
  std::vector<std::string> log;
  RecordList<ProbeRecord, Lookup::indexedAsAppended> list;
  EXPECT_EQ(nullptr, list.find({"x", 'G', "", 0, 0}));
  auto add = [&](const char* tag, const RecordIdentity& id) {
    auto record = identified(arena.make<ProbeRecord>(&log, tag), id);
    ProbeRecord* added = record.get();
    list.append(std::move(record));
    return added;
  };
  ProbeRecord* first = add("1", {"x", 'G', "", 0, 0});
  ProbeRecord* other = add("2", {"x", 'G', "", 1, 0});
  ProbeRecord* second = add("3", {"x", 'G', "", 0, 0});
  EXPECT_EQ(first, list.find({"x", 'G', "", 0, 0}));
  EXPECT_EQ(other, list.find({"x", 'G', "", 1, 0}));
  EXPECT_EQ(nullptr, list.find({"x", 'F', "", 0, 0}));

  // Both equal records stay in the list, in order.
  std::vector<ProbeRecord*> walked;
  for (ProbeRecord& r : list) walked.push_back(&r);
  EXPECT_EQ((std::vector<ProbeRecord*>{first, other, second}), walked);
}

TEST(RecordListTest, DestroysEveryRecordHeadFirst) {
  std::vector<std::string> log;
  {
    RecordList<ProbeRecord> list;
    list.append(arena.make<ProbeRecord>(&log, "a"));
    list.append(arena.make<ProbeRecord>(&log, "b"));
    list.append(arena.make<ProbeRecord>(&log, "c"));
  }
  EXPECT_EQ((std::vector<std::string>{"delete a", "delete b", "delete c"}), log);
}

// Objects of every size, small ones packed into shared blocks (several of them) and
// large ones in blocks of their own, each aligned and none overlapping another.
// A record that remembers its place in the order of appending.
class NumberedRecord : public DebugRecord {
 public:
  explicit NumberedRecord(int n) : number(n) {}
  int number;
};

// The index must give exactly what a walk of the list gives: the first record of an
// identity for find, and every record of it through nextOfIdentity; whenever its
// records are indexed, and with lookups between the appends.
template <Lookup lookup>
void expectIndexAgreesWithWalk() {
  const char* const kNames[] = {"a", "b", "ab", "main", "x"};
  const char* const kScopeNames[] = {"", "a", "b", "blink", "blink.main"};
  const char kScopes[] = {'G', 'F', 'L', 'S', '\0'};
  std::mt19937 random(7);
  auto pick = [&random](std::size_t n) { return static_cast<std::size_t>(random() % n); };

  RecordList<NumberedRecord, lookup> list;
  auto add = [&](int i) {
    list.append(identified(arena.make<NumberedRecord>(i),
                           {kNames[pick(5)], kScopes[pick(5)], kScopeNames[pick(5)],
                            static_cast<int32_t>(pick(3)), static_cast<int32_t>(pick(3)) - 1}));
  };
  auto walked = [&list](const RecordIdentity& id) {
    std::vector<int> all;
    for (const NumberedRecord& r : list) {
      if (r.identity() == id) all.push_back(r.number);
    }
    return all;  // in list order: the first is what find must return
  };
  auto indexed = [&list](const RecordIdentity& id) {
    std::vector<int> all;
    for (const NumberedRecord* r = list.find(id); r; r = list.nextOfIdentity(*r)) {
      all.push_back(r->number);
    }
    if (!all.empty()) std::sort(all.begin() + 1, all.end());
    return all;
  };
  for (int batch = 0, i = 0; batch < 3; ++batch) {
    for (int end = i + 7000; i < end; ++i) add(i);
    for (const char* n : kNames) {
      for (char sc : kScopes) {
        for (const char* sn : kScopeNames) {
          for (int32_t b = 0; b < 4; ++b) {
            for (int32_t l = -1; l < 2; ++l) {
              SCOPED_TRACE(std::string(n) + " " + sc + " " + sn + " " + std::to_string(b) + " " +
                           std::to_string(l) + " after batch " + std::to_string(batch));
              RecordIdentity id{n, sc, sn, b, l};
              ASSERT_EQ(walked(id), indexed(id));
            }
          }
        }
      }
    }
  }
}

TEST(RecordListTest, IndexedLookupAgreesWithTheWalk) {
  expectIndexAgreesWithWalk<Lookup::indexedAsAppended>();
  expectIndexAgreesWithWalk<Lookup::indexedWhenSought>();
}

}  // namespace

}  // namespace torvane
