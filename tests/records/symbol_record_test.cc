#include "records/symbol_record.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "cdb/field_scanner.h"
#include "program_fixture.h"

namespace torvane {

namespace {

using SymbolRecordTest = ProgramTest;

struct ParseRow {
  const char* line;  // an S record's body, after "S:"
  char scope;
  const char* scopeName;
  const char* name;
  int32_t level;
  int32_t block;
  int32_t size;
  const char* typeText;
  char addressSpace;
  bool onStack;
  int32_t address;
};

const ParseRow kParseRows[] = {
    {"G$counter$0$0({2}SI:S),E,0,0", 'G', "", "counter", 0, 0, 2, "S16", 'E', false, 0},
    {"Lmain$i$1$1({2}SI:S),B,1,-2", 'L', "main", "i", 1, 1, 2, "S16", 'B', true, -2},
    {"Fmain$count$0$0({1}SC:U),E,0,0", 'F', "main", "count", 0, 0, 1, "U08", 'E', false, 0},
    {"Lf$x$2$7({1}SC:U),B,-1,4", 'L', "f", "x", 2, 7, 1, "U08", 'B', true, 4},
    {"Lf$x$2$7({1}SC:U),B,2,0", 'L', "f", "x", 2, 7, 1, "U08", 'B', true, 0},
    {"G$main$0$0({2}DF,SV:S),C,0,0,0,0,0", 'G', "", "main", 0, 0, 2, "X08", 'C', false, 0},
    {"G$v$0$0({2}SI:S),F,0,300,junk", 'G', "", "v", 0, 0, 2, "S16", 'F', false, 300},
    {"G$end$0$0({2}SI:S)", 'G', "", "end", 0, 0, 2, "S16", '\0', false, 0},
    {"S$x$0$0({1}SC:S),Z,0,0", 'S', "", "x", 0, 0, 1, "S08", 'Z', false, 0},
    {"G$big$0$0({2}SI:S),E,0,99999999999", 'G', "", "big", 0, 0, 2, "S16", 'E', false,
     INT32_MAX},
    // The dialect of newer compilers: N_M levels, module.function local scopes.
    {"G$flag$0_0$0({1}:S),E,0,0", 'G', "", "flag", 0, 0, 1, "S08", 'E', false, 0},
    {"Lutil.add$b$1_0$1({2}SI:S),B,1,-4", 'L', "util.add", "b", 1, 1, 2, "S16", 'B', true, -4},
    {"Lblink.recur$n$3_2$7({2}SI:S),R,0,0,[r6,r7]", 'L', "blink.recur", "n", 3, 7, 2, "S16", 'R',
     false, 0},
};

TEST_F(SymbolRecordTest, KeepsTheRegisterList) {
  const std::pair<const char*, const char*> rows[] = {
      {"S:Lm.f$n$1_0$7({2}SI:S),R,0,0,[r6,r7]", "[r6,r7]"},
      {"S:Lm.f$t$1_0$7({2}SI:S),R,0,0,[]", "[]"},
      {"S:Lm.f$t$1_0$7({2}SI:S),R,0,0", ""},
      {"S:Lm.f$t$1_0$7({2}SI:S),R,0,0,[r2,r3", "[r2,r3"},
      {"S:Lm.f$t$1_0$7({2}SI:S),R,0,0,[r2]junk", "[r2]"},
      {"S:Lm.f$t$1_0$7({2}SI:S),E,0,0,[r2]", ""},  // only registers keep a list
  };
  for (const auto& [line, registers] : rows) {
    SCOPED_TRACE(line);
    ASSERT_TRUE(parseLine(line));
    EXPECT_EQ(registers, lastOf(program.symbols).registers);
  }
}

TEST_F(SymbolRecordTest, ParsesFields) {
  for (const ParseRow& r : kParseRows) {
    SCOPED_TRACE(r.line);
    SymbolRecord s;
    FieldScanner scanner(r.line);
    ASSERT_TRUE(s.parse(scanner, program, diagnostics));
    EXPECT_EQ(r.scope, s.scope);
    EXPECT_EQ(r.scopeName, s.scopeName);
    EXPECT_EQ(r.name, s.name);
    EXPECT_EQ(r.level, s.level);
    EXPECT_EQ(r.block, s.block);
    EXPECT_EQ(r.size, s.size);
    EXPECT_EQ(r.typeText, s.typeText);
    EXPECT_EQ(r.addressSpace, s.addressSpace);
    EXPECT_EQ(r.onStack, s.onStack);
    EXPECT_EQ(r.address, s.address.own);
  }
  EXPECT_EQ("", messages);
}

TEST_F(SymbolRecordTest, StackNumberSetsTheFlagOnlyWhenNonZero) {
  EXPECT_TRUE(parseLine("S:G$a$0$0({2}SI:S),E,0,0"));
  EXPECT_FALSE(program.usesStackRelative);
  EXPECT_TRUE(parseLine("S:Lf$b$1$1({2}SI:S),B,-1,2"));
  EXPECT_TRUE(program.usesStackRelative);
  EXPECT_TRUE(parseLine("S:G$c$0$0({2}SI:S),E,0,0"));
  EXPECT_TRUE(program.usesStackRelative);  // never cleared
}

TEST_F(SymbolRecordTest, FailedChainNamesTheSymbol) {
  EXPECT_FALSE(parseLine("S:G$bad$0$0({2}SZ:S),E,0,0"));
  EXPECT_EQ("Unknown type specifier Z\nFailed definition of symbol bad\n", messages);
  EXPECT_TRUE(program.symbols.empty());
  messages.clear();
  EXPECT_FALSE(parseLine("S:G$cut$0$0({2}SI:S"));
  EXPECT_EQ("Failed definition of symbol cut\n", messages);
}

}  // namespace

}  // namespace torvane
