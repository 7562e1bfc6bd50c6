#include "records/struct_record.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "torvane/converter.h"
#include "driver/driver.h"
#include "program_fixture.h"
#include "records/symbol_record.h"
#include "tool_run.h"

namespace torvane {

namespace {

using StructRecordTest = ProgramTest;

struct MemberView {
  std::string name;
  int32_t offset;
  std::string typeText;
  std::string structTag;
};

std::vector<MemberView> membersOf(const StructRecord& s) {
  std::vector<MemberView> views;
  for (const SymbolRecord& m : s.members) {
    views.push_back({std::string(m.name), m.address.own, std::string(m.typeText),
                     std::string(m.structTag)});
  }
  return views;
}

bool operator==(const MemberView& a, const MemberView& b) {
  return a.name == b.name && a.offset == b.offset && a.typeText == b.typeText &&
         a.structTag == b.structTag;
}

struct StructRow {
  const char* line;
  const char* file;
  const char* tag;
  int32_t size;
  std::vector<MemberView> members;
};

TEST_F(StructRecordTest, ParsesTagFileAndMembers) {
  program.enterFile("main");
  const StructRow rows[] = {
      {"T:Fmain$point[({0}S:S$x$0$0({2}SI:S),Z,0,0)({2}S:S$y$0$0({2}SI:S),Z,0,0)]", "main",
       "point", 4, {{"x", 0, "S16", ""}, {"y", 2, "S16", ""}}},
      {"T:Fmain$node[({0}S:S$v$0$0({2}SI:S),Z,0,0)({2}S:S$next$0$0({3}DG,STnode:S),Z,0,0)]",
       "main", "node", 5, {{"v", 0, "S16", ""}, {"next", 2, ">*node", "node"}}},
      {"T:Fmain$__00010000[({0}S:S$a$0$0({4}ST__00020000:S),Z,0,0)]", "main",
       "main__00010000", 4, {{"a", 0, "main__00020000", "main__00020000"}}},
      {"T:Fmain$bits[({0}S:S$a$0$0({1}SB0$3:U),Z,0,0)({0}S:S$b$0$0({1}SB3$2:S),Z,0,0)]", "main",
       "bits", 1, {{"a", 0, "uint:3@0", ""}, {"b", 0, "int:2@3", ""}}},
      {"T:Fmain$empty[]", "main", "empty", 0, {}},
      {"T:Fmain$notag", "main", "notag", 0, {}},
      {"T:", "", "", 0, {}},
      {"T:Fmain$big[({2147483647}S:S$a$0$0({2}SI:S),Z,0,0)]", "main", "big", INT32_MAX,
       {{"a", INT32_MAX, "S16", ""}}},
  };
  for (const StructRow& r : rows) {
    SCOPED_TRACE(r.line);
    ASSERT_TRUE(parseLine(r.line));
    const StructRecord* s = &lastOf(program.structures);
    EXPECT_EQ(r.file, s->scopeName);
    EXPECT_EQ(r.tag, s->name);
    EXPECT_EQ('\0', s->scope);
    EXPECT_EQ(0, s->block);
    EXPECT_EQ(0, s->level);
    EXPECT_EQ(r.size, s->size);
    EXPECT_EQ(r.members, membersOf(*s));
    EXPECT_FALSE(s->emitted);
  }
  EXPECT_EQ("", messages);
}

TEST_F(StructRecordTest, FailedMemberFailsTheStructure) {
  EXPECT_FALSE(parseLine("T:Fmain$pt[({0}S:S$x$0$0({2}SQ:S),Z,0,0)]"));
  EXPECT_EQ(
      "Unknown type specifier Q\nFailed definition of symbol x\n"
      "Failed definition of structure pt\n",
      messages);
  EXPECT_TRUE(program.structures.empty());
}

// The emission order of structures, as a plain recursive walk writes it: the reference
// the iterative walk must agree with on every graph.
std::string recursiveOrder(const std::vector<std::string>& tags,
                           const std::vector<std::vector<std::string>>& refs) {
  std::vector<bool> emitted(tags.size());
  std::string out;
  std::function<bool(std::size_t)> emit = [&](std::size_t i) {
    if (emitted[i]) return true;
    emitted[i] = true;
    for (const std::string& ref : refs[i]) {
      std::size_t j = 0;
      while (j < tags.size() && tags[j] != ref) ++j;
      if (j == tags.size()) {
        out += "!" + ref + " in " + tags[i] + "\n";
        return false;
      }
      if (!emit(j)) return false;
    }
    out += tags[i] + "\n";
    return true;
  };
  for (std::size_t i = 0; i < tags.size(); ++i) {
    if (!emit(i)) break;
  }
  return out;
}

// A random set of structures of one file, each with up to three members, most naming
// one of six tags (or a tag that no structure has), as CDB text; `refs` gets the tags
// each structure's members name, in member order.
std::string randomStructures(std::mt19937& random, std::vector<std::string>& tags,
                             std::vector<std::vector<std::string>>& refs) {
  std::size_t count = 1 + random() % 7;
  tags.clear();
  refs.assign(count, {});
  std::string cdb;
  for (std::size_t i = 0; i < count; ++i) tags.push_back("s" + std::to_string(random() % 6));
  for (std::size_t i = 0; i < count; ++i) {
    cdb += "T:Fm$" + tags[i] + "[";
    std::size_t members = random() % 4;
    for (std::size_t k = 0; k < members; ++k) {
      bool plain = random() % 3 == 0;
      std::string ref = random() % 15 == 0 ? "u" : "s" + std::to_string(random() % 6);
      cdb += "({" + std::to_string(k) + "}S:S$m" + std::to_string(k) + "$0$0(";
      cdb += plain ? "{1}SC:U" : "{3}DG,ST" + ref + ":S";
      cdb += "),Z,0,0)";
      if (!plain) refs[i].push_back(ref);
    }
    cdb += "]\n";
  }
  return cdb;
}

TEST(StructOrderTest, AgreesWithTheRecursiveWalkOnRandomGraphs) {
  std::mt19937 random(20261208);
  for (int round = 0; round < 2000; ++round) {
    std::vector<std::string> tags;
    std::vector<std::vector<std::string>> refs;
    std::string cdb = randomStructures(random, tags, refs);

    MemoryProgram m;
    ASSERT_TRUE(m.readAll(cdb));
    bool ok = m.emitEach(m.program.structures);

    // Reduce the command lines to the same shorthand as the reference.
    const std::string written = m.written();
    const std::string& said = m.messages;
    std::string order;
    std::size_t at = 0;
    while (at < written.size()) {
      std::size_t end = written.find('\n', at);
      std::string line = written.substr(at, end - at);
      if (line.rfind("STRUCT 0 ", 0) == 0) order += line.substr(9) + "\n";
      at = end + 1;
    }
    // "Undefined datatype X in struct Y" becomes "!X in Y".
    const std::string kUndefined = "Undefined datatype ";
    const std::string kIn = " in struct ";
    if (!said.empty()) {
      ASSERT_EQ(0u, said.find(kUndefined));
      std::string detail = said.substr(kUndefined.size());
      order += "!" + detail.replace(detail.find(kIn), kIn.size(), " in ");
    }
    SCOPED_TRACE(cdb);
    EXPECT_EQ(recursiveOrder(tags, refs), order);
    EXPECT_EQ(said.empty(), ok);
  }
}

// A chain far deeper than any call stack: s0 refers to s1, s1 to s2, and so on, so
// the first structure's emission must first write all the others, last first.
TEST(StructOrderTest, MillionDeepChainIsWrittenWithoutRecursion) {
  const int kDepth = 1000000;
  std::string cdb;
  for (int i = 0; i < kDepth; ++i) {
    cdb += "T:Fm$s" + std::to_string(i) + "[({0}S:S$n$0$0({3}DG,STs" +
           std::to_string(i + 1 < kDepth ? i + 1 : 0) + ":S),Z,0,0)]\n";
  }
  MemoryProgram m;
  ASSERT_TRUE(m.readAll(cdb));
  ASSERT_TRUE(m.emitEach(m.program.structures));

  std::string expected;
  for (int i = kDepth - 1; i >= 0; --i) {
    expected += "STRUCT 0 s" + std::to_string(i) + "\nDEFT 0x0 n %>*s" +
                std::to_string(i + 1 < kDepth ? i + 1 : 0) + "\nENDS 3\n";
  }
  EXPECT_TRUE(expected == m.written());
}

// The input without the lines whose numbers are in `lines`.
std::string without(const std::string& cdb, const std::vector<std::size_t>& lines) {
  std::string kept;
  std::size_t number = 0;
  for (const std::string& line : linesOf(cdb)) {
    if (std::find(lines.begin(), lines.end(), ++number) == lines.end()) kept += line + "\n";
  }
  return kept;
}

struct KeepGoingRun {
  Conversion conversion;
  std::string dvk;
  std::string messages;
  std::vector<std::size_t> leftOut;  // the lines of the structures named as left out
};

KeepGoingRun convertKeepingGoing(const std::string& cdb, bool keepGoing = true) {
  ConversionOptions options;
  options.inputName = "p.cdb";
  options.image = "p.ihx";
  options.keepGoing = keepGoing;
  KeepGoingRun r;
  r.conversion = convert(cdb, options, r.dvk);
  r.messages = renderDiagnostics(r.conversion.diagnostics, "p.cdb");
  for (const Diagnostic& d : r.conversion.diagnostics) {
    if (d.kind == Diagnostic::Kind::warning && d.text.rfind("structure ", 0) == 0) {
      r.leftOut.push_back(d.line);
    }
  }
  return r;
}

// Under keep-going the structures left out are exactly those that cannot be written:
// the command file is that of the input without them, which converts without a fault,
// and putting any one of them back makes that input fail.
void expectOnlyTheUnwritableLeftOut(const std::string& cdb) {
  SCOPED_TRACE(cdb);
  KeepGoingRun k = convertKeepingGoing(cdb);
  KeepGoingRun rest = convertKeepingGoing(without(cdb, k.leftOut), false);
  EXPECT_EQ(Outcome::converted, rest.conversion.outcome) << rest.messages;
  EXPECT_EQ(rest.dvk, k.dvk);
  EXPECT_EQ(k.leftOut.empty() ? Outcome::converted : Outcome::skipped, k.conversion.outcome);
  for (std::size_t line : k.leftOut) {
    std::vector<std::size_t> others = k.leftOut;
    others.erase(std::find(others.begin(), others.end(), line));
    EXPECT_EQ(Outcome::emitFailed, convertKeepingGoing(without(cdb, others), false).conversion.outcome)
        << "line " << line << " could have been written";
  }
}

struct LeftOutRow {
  const char* what;
  const char* cdb;
  const char* messages;  // as the run prints them
};

const LeftOutRow kLeftOutRows[] = {
    {"a structure that refers to one that cannot be written",
     "T:Fm$b[({0}S:S$p$0$0({2}STnone:S),Z,0,0)]\nT:Fm$u[({0}S:S$q$0$0({2}STb:S),Z,0,0)]\n",
     "Undefined datatype none in struct b\n"
     "p.cdb:1: warning: structure b was left out from where it failed\n"
     "p.cdb:2: warning: structure u was left out: it refers to structure b, which was left out\n"},
    {"the same, the referring structure first",
     "T:Fm$u[({0}S:S$q$0$0({2}STb:S),Z,0,0)]\nT:Fm$b[({0}S:S$p$0$0({2}STnone:S),Z,0,0)]\n",
     "p.cdb:1: warning: structure u was left out: it refers to structure b, which was left out\n"
     "Undefined datatype none in struct b\n"
     "p.cdb:2: warning: structure b was left out from where it failed\n"},
    {"a global of the type left out keeps its line",
     "T:Fm$b[({0}S:S$p$0$0({2}STnone:S),Z,0,0)]\nT:Fm$u[({0}S:S$q$0$0({2}STb:S),Z,0,0)]\n"
     "S:G$g$0$0({2}STu:S),E,0,0\nT:Fm$w[({0}S:S$r$0$0({1}SC:U),Z,0,0)]\n",
     "Undefined datatype none in struct b\n"
     "p.cdb:1: warning: structure b was left out from where it failed\n"
     "p.cdb:2: warning: structure u was left out: it refers to structure b, which was left out\n"},
    {"a cycle through a structure that cannot be written, and one that can",
     "T:Fm$a[({0}S:S$x$0$0({3}DG,STb:S),Z,0,0)]\n"
     "T:Fm$b[({0}S:S$y$0$0({3}DG,STa:S),Z,0,0)({3}S:S$z$0$0({2}STnone:S),Z,0,0)]\n"
     "T:Fm$c[({0}S:S$v$0$0({3}DG,STd:S),Z,0,0)]\nT:Fm$d[({0}S:S$w$0$0({3}DG,STc:S),Z,0,0)]\n",
     "p.cdb:1: warning: structure a was left out: it refers to structure b, which was left out\n"
     "Undefined datatype none in struct b\n"
     "p.cdb:2: warning: structure b was left out from where it failed\n"},
    {"a tag whose first record is left out and second is not",
     "T:Fm$t[({0}S:S$p$0$0({2}STnone:S),Z,0,0)]\nT:Fm$t[({0}S:S$q$0$0({1}SC:U),Z,0,0)]\n"
     "T:Fm$u[({0}S:S$r$0$0({1}STt:S),Z,0,0)]\n",
     "Undefined datatype none in struct t\n"
     "p.cdb:1: warning: structure t was left out from where it failed\n"},
};

TEST(StructLeftOutTest, LeavesOutWhatCannotBeWritten) {
  for (const LeftOutRow& r : kLeftOutRows) {
    SCOPED_TRACE(r.what);
    EXPECT_EQ(r.messages, convertKeepingGoing(r.cdb).messages);
    expectOnlyTheUnwritableLeftOut(r.cdb);
  }
  // Without keep-going the first structure at fault is located, and nothing is left out.
  KeepGoingRun stopped = convertKeepingGoing(kLeftOutRows[1].cdb, false);
  EXPECT_EQ(Outcome::emitFailed, stopped.conversion.outcome);
  EXPECT_EQ("Undefined datatype none in struct b\np.cdb:2: error: this record was not written\n",
            stopped.messages);
}

TEST(StructLeftOutTest, LeavesOutWhatCannotBeWrittenOnRandomGraphs) {
  std::mt19937 random(20261209);
  for (int round = 0; round < 1500; ++round) {
    std::vector<std::string> tags;
    std::vector<std::vector<std::string>> refs;
    expectOnlyTheUnwritableLeftOut(randomStructures(random, tags, refs));
  }
}

}  // namespace

}  // namespace torvane
