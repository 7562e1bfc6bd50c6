#include <gtest/gtest.h>

#include <string>

#include "program_fixture.h"
#include "records/function_record.h"
#include "records/module_record.h"

namespace torvane {

namespace {

using ModuleRecordTest = ProgramTest;
using FunctionRecordTest = ProgramTest;

struct ModuleRow {
  const char* line;
  const char* name;
  const char* fileName;
  const char* writtenWhileRead;
};

TEST_F(ModuleRecordTest, SwitchesTheFileAtOnce) {
  const ModuleRow rows[] = {
      {"M:main", "main", "main.c", "FILE main\n"},
      {"M:main", "main", "main.c", ""},  // already current
      {"M:util$x$y", "util", "util.c", "ENDFILE\nFILE util\n"},
      {"M:", "", ".c", "ENDFILE\n"},
      {"M:a.b", "a.b", "a.b.c", "FILE a.b\n"},
  };
  for (const ModuleRow& r : rows) {
    SCOPED_TRACE(r.line);
    std::size_t before = linesOfReading().size();
    ASSERT_TRUE(parseLine(r.line));
    EXPECT_EQ(r.writtenWhileRead, linesOfReading().substr(before));
    EXPECT_EQ(r.name, program.currentFile());
    ASSERT_FALSE(program.modules.empty());
    const ModuleRecord* module = &lastOf(program.modules);
    EXPECT_EQ(r.name, module->name);
    EXPECT_EQ(r.fileName, module->fileName);
    EXPECT_EQ('\0', module->scope);
  }
}

struct SourceRow {
  std::vector<const char*> before;  // lines read before the F record
  const char* sourceFile;
};

TEST_F(FunctionRecordTest, RemembersTheFileCurrentWhenRead) {
  const SourceRow rows[] = {
      {{}, ""},
      {{"M:blink"}, "blink"},
      {{"M:blink", "L:C$blink.c$3$0$0:10"}, "blink.c"},
      {{"L:C$x.c$3$0$0:10", "M:other"}, "other"},
  };
  for (const SourceRow& r : rows) {
    SCOPED_TRACE(r.sourceFile);
    MemoryProgram m;
    for (const char* line : r.before) ASSERT_TRUE(m.parseLine(line));
    ASSERT_TRUE(m.parseLine("F:G$main$0$0({2}DF,SI:S),C,0,0,0,0,0"));
    ASSERT_FALSE(m.program.functions.empty());
    const FunctionRecord* fn = &firstOf(m.program.functions);
    EXPECT_EQ(r.sourceFile, fn->sourceFile);
    EXPECT_EQ("main", fn->name);
    EXPECT_EQ("S16", fn->typeText);
    EXPECT_EQ('C', fn->addressSpace);
    EXPECT_EQ(0, fn->address.value());
    EXPECT_EQ(0, fn->endAddress.value());
    EXPECT_TRUE(m.program.symbols.empty());  // functions live in their own list only
  }
}

TEST_F(FunctionRecordTest, FailsWhereTheSymbolFails) {
  EXPECT_FALSE(parseLine("F:G$f$0$0({2}DF,SZ:S),C,0,0,0,0,0"));
  EXPECT_EQ("Unknown type specifier Z\nFailed definition of symbol f\n", messages);
  EXPECT_TRUE(program.functions.empty());
}

}  // namespace

}  // namespace torvane
