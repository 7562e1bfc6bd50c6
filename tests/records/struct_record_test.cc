#include "records/struct_record.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "program_fixture.h"
#include "records/symbol_record.h"

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
                     std::string(m.structTag())});
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
    EXPECT_EQ(program.structureOrdinals() - 1, s->ordinal);
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

}  // namespace

}  // namespace torvane
