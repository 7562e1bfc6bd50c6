#include "records/link_record.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "cdb/field_scanner.h"
#include "program_fixture.h"
#include "records/function_record.h"
#include "records/symbol_record.h"

namespace torvane {

namespace {

using LinkRecordTest = ProgramTest;

// The address each symbol of `list` ends with, in list order.
std::vector<int32_t> addressesOf(const RecordList<SymbolRecord, Lookup::indexedWhenSought>& list) {
  std::vector<int32_t> addresses;
  for (const SymbolRecord& r : list) addresses.push_back(r.address.value());
  return addresses;
}

struct LinkFieldRow {
  const char* body;  // after "L:"
  char kind;
  char scope;
  const char* scopeName;
  const char* name;
  int32_t level;
  int32_t block;
  int32_t address;
};

TEST_F(LinkRecordTest, ReadsIdentityAndAddress) {
  const LinkFieldRow rows[] = {
      {"G$counter$0$0:30", 'G', 'G', "", "counter", 0, 0, 0x30},
      {"Lmain$i$1$0:8", 'L', 'L', "main", "i", 1, 0, 8},
      {"Fblink$helper$0$0:62", 'F', 'F', "blink", "helper", 0, 0, 0x62},
      {"XG$main$0$0:1F3", 'X', 'G', "", "main", 0, 0, 0x1f3},
      {"XFmod$f$2$3:ab", 'X', 'F', "mod", "f", 2, 3, 0xab},
      {"G$x$0$0:0x10", 'G', 'G', "", "x", 0, 0, 0x10},
      {"G$x$0$0", 'G', 'G', "", "x", 0, 0, 0},
      {"G$x", 'G', 'G', "", "x", 0, 0, 0},
      {"G$P0$0_0$0:80", 'G', 'G', "", "P0", 0, 0, 0x80},
      {"Lblink.helper$b$1_0$1:16", 'L', 'L', "blink.helper", "b", 1, 1, 0x16},
      {"XG$main$0$0:153", 'X', 'G', "", "main", 0, 0, 0x153},
  };
  for (const LinkFieldRow& r : rows) {
    SCOPED_TRACE(r.body);
    LinkRecord link;
    FieldScanner scanner(r.body);
    ASSERT_TRUE(link.parse(scanner, program, diagnostics));
    EXPECT_EQ(r.kind, link.kind);
    EXPECT_EQ(r.scope, link.scope);
    EXPECT_EQ(r.scopeName, link.scopeName);
    EXPECT_EQ(r.name, link.name);
    EXPECT_EQ(r.level, link.level);
    EXPECT_EQ(r.block, link.block);
    EXPECT_EQ(r.address, link.address);
  }
}

struct LineRow {
  const char* line;
  bool ok;
  const char* written;
  const char* message;
};

TEST_F(LinkRecordTest, LinesAndOtherKinds) {
  const LineRow rows[] = {
      {"L:C$main.c$12$0$0:120", true, "FILE main.c\nLINE 12 C:0x120\n", ""},
      {"L:Cmain.c$12$0$0:120", true, "LINE 12 C:0x120\n", ""},
      {"L:C$util.c$7$1$1:0", true, "ENDFILE\nFILE util.c\nLINE 7 C:0x0\n", ""},
      {"L:C$blink.c$9$1_0$6:AA", true, "ENDFILE\nFILE blink.c\nLINE 9 C:0xaa\n", ""},
      {"L:A$anything at all", true, "", ""},
      {"L:A", true, "", ""},
      {"L:Q$x", false, "", "Unknown Link record type Q\n  $x\n"},
      {"L:", false, "", "Unknown Link record type \n  \n"},
      {"L:g$x$0$0:1", false, "", "Unknown Link record type g\n  $x$0$0:1\n"},
  };
  for (const LineRow& r : rows) {
    SCOPED_TRACE(r.line);
    messages.clear();
    std::size_t before = linesOfReading().size();
    EXPECT_EQ(r.ok, parseLine(r.line));
    EXPECT_EQ(r.written, linesOfReading().substr(before));
    EXPECT_EQ(r.message, messages);
  }
}

TEST_F(LinkRecordTest, BindsEveryRecordOfTheIdentity) {
  ASSERT_TRUE(parseLine("S:G$dup$0$0({2}SI:S),F,0,1"));
  ASSERT_TRUE(parseLine("S:G$dup$0$0({2}SI:S),F,0,2"));
  ASSERT_TRUE(parseLine("S:G$dup$1$0({2}SI:S),F,0,3"));
  ASSERT_TRUE(parseLine("F:G$dup$0$0({2}DF,SI:S),C,0,0,0,0,0"));
  ASSERT_TRUE(parseLine("F:G$dup$0$0({2}DF,SI:S),C,0,0,0,0,0"));
  ASSERT_TRUE(parseLine("L:G$dup$0$0:40"));
  ASSERT_TRUE(parseLine("L:XG$dup$0$0:4F"));

  EXPECT_EQ((std::vector<int32_t>{0x40, 0x40, 3}), addressesOf(program.symbols));
  for (const FunctionRecord& f : program.functions) {
    EXPECT_EQ(0x40, f.address.value());
    EXPECT_EQ(0x4f, f.endAddress.value());
  }
  // find keeps its first-match meaning.
  EXPECT_EQ(&firstOf(program.symbols), program.symbols.find({"dup", 'G', "", 0, 0}));
}

// Copies and links interleaved: a link reaches the copies read before it, the last link
// read after a copy wins for it, and a copy read after the last link keeps its own.
TEST_F(LinkRecordTest, LastLinkWinsForEveryCopyReadBeforeIt) {
  const char* const lines[] = {
      "S:G$v$0$0({1}SC:U),E,0,1", "L:G$v$0$0:10",              "S:G$v$0$0({1}SC:U),E,0,2",
      "S:G$v$0$0({1}SC:U),E,0,3", "L:G$v$0$0:20",              "S:G$v$0$0({1}SC:U),E,0,4",
      "L:G$v$0$0:30",             "S:G$v$0$0({1}SC:U),E,0,5",  "S:G$v$0$0({1}SC:U),E,0,6",
  };
  for (const char* line : lines) ASSERT_TRUE(parseLine(line)) << line;
  EXPECT_EQ((std::vector<int32_t>{0x30, 0x30, 0x30, 0x30, 5, 6}), addressesOf(program.symbols));
  ASSERT_TRUE(parseLine("L:G$v$0$0:40"));
  EXPECT_EQ((std::vector<int32_t>(6, 0x40)), addressesOf(program.symbols));
}

// Link records write levels without a sublevel where the records have one.
TEST_F(LinkRecordTest, BindsAcrossLevelForms) {
  ASSERT_TRUE(parseLine("F:G$main$0_0$0({2}DF,SV:S),C,0,0,0,0,0"));
  ASSERT_TRUE(parseLine("S:G$P0$0_0$0({1}SC:U),I,0,0"));
  ASSERT_TRUE(parseLine("L:G$main$0$0:D7"));
  ASSERT_TRUE(parseLine("L:XG$main$0$0:153"));
  ASSERT_TRUE(parseLine("L:G$P0$0_0$0:80"));
  EXPECT_EQ(0xd7, firstOf(program.functions).address.value());
  EXPECT_EQ(0x153, firstOf(program.functions).endAddress.value());
  EXPECT_EQ(0x80, firstOf(program.symbols).address.value());
}

// Two modules' static functions of one name stay apart by their module.function scope.
TEST_F(LinkRecordTest, LocalsOfSameNamedFunctionsStayApart) {
  ASSERT_TRUE(parseLine("S:La.helper$x$1_0$1({1}SC:U),E,0,0"));
  ASSERT_TRUE(parseLine("S:Lb.helper$x$1_0$1({1}SC:U),E,0,0"));
  ASSERT_TRUE(parseLine("L:Lb.helper$x$1_0$1:22"));
  EXPECT_EQ((std::vector<int32_t>{0, 0x22}), addressesOf(program.symbols));
}

TEST_F(LinkRecordTest, EndAddressReachesOnlyFunctions) {
  ASSERT_TRUE(parseLine("S:G$main$0$0({2}DF,SI:S),C,0,0"));
  ASSERT_TRUE(parseLine("F:G$main$0$0({2}DF,SI:S),C,0,0,0,0,0"));
  ASSERT_TRUE(parseLine("L:XG$main$0$0:1F3"));
  ASSERT_TRUE(parseLine("L:G$main$0$0:100"));
  EXPECT_EQ(0x100, firstOf(program.symbols).address.value());
  EXPECT_EQ(0x100, firstOf(program.functions).address.value());
  EXPECT_EQ(0x1f3, firstOf(program.functions).endAddress.value());
}

// Links held and bound together bind exactly as links bound one by one: each link reaches
// the records of its identity read before it, the last such link wins, and a record with
// no link after it keeps its own address. On random programs of symbols, functions and
// links of every kind, with runs of links longer than what is held at once and names too
// long to hold.
TEST(LinkBindingTest, HeldLinksBindAsEachLinkAtOnce) {
  std::mt19937 random(20261209);
  const std::string kLong(5000, 'n');
  for (int round = 0; round < 300; ++round) {
    SCOPED_TRACE(round);
    struct Record {
      bool function;
      char scope;
      std::string name;
      int32_t start, end;
    };
    std::vector<Record> records;
    std::string cdb = "M:m\n";
    auto nameOf = [&]() -> std::string {
      int n = static_cast<int>(random() % 7);
      return n == 6 ? kLong : std::string(1, static_cast<char>('a' + n % 3));
    };
    for (int i = 0, lines = 20 + static_cast<int>(random() % 200); i < lines; ++i) {
      std::string name = nameOf();
      const char scope = "GFL"[random() % 3];
      const std::string scopeName = scope == 'G' ? "" : "m";
      int32_t address = static_cast<int32_t>(random() % 4096);
      switch (random() % 4) {
        case 0:  // a symbol
          cdb += std::string("S:") + scope + scopeName + "$" + name + "$0$0({1}SC:U),E,0," +
                 std::to_string(address) + "\n";
          records.push_back({false, scope, name, address, 0});
          break;
        case 1:  // a function, global or file-static
          if (scope == 'L') break;
          cdb += std::string("F:") + scope + scopeName + "$" + name + "$0$0({2}DF,SV:S),C,0," +
                 std::to_string(address) + ",0,0,0\n";
          records.push_back({true, scope, name, address, 0});
          break;
        default: {  // a link: of an address, or of a function's end
          bool end = random() % 4 == 0;
          char hex[16];
          std::snprintf(hex, sizeof hex, "%X", static_cast<unsigned>(address));
          cdb += std::string("L:") + (end ? "X" : "") + scope + scopeName + "$" + name + "$0$0:" + hex + "\n";
          for (Record& r : records) {
            if (r.name != name || r.scope != scope) continue;
            if (end && r.function) r.end = address;
            if (!end && (!r.function || scope != 'L')) r.start = address;
          }
        }
      }
    }
    MemoryProgram m;
    ASSERT_TRUE(m.readAll(cdb));
    auto symbol = m.program.symbols.begin();
    auto function = m.program.functions.begin();
    for (const Record& r : records) {
      const SymbolRecord& read = r.function ? *function : *symbol;
      EXPECT_EQ(r.start, read.address.value());
      if (r.function) {
        EXPECT_EQ(r.end, function->endAddress.value());
      }
      r.function ? void(++function) : void(++symbol);
    }
  }
}

}  // namespace

}  // namespace torvane
