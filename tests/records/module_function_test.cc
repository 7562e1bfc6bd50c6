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
    std::size_t before = out.size();
    ASSERT_TRUE(parseLine(r.line));
    EXPECT_EQ(r.writtenWhileRead, out.substr(before));
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

struct FunctionEmitRow {
  const char* line;
  const char* current;  // the file current when the function is emitted
  const char* written;
  bool ok;
};

TEST_F(FunctionRecordTest, EmitsItsRangeUnderItsFile) {
  const FunctionEmitRow rows[] = {
      {"F:G$main$0$0({2}DF,SI:S),C,0,0,0,0,0", "main.c",
       "ENDFILE\nFILE main\nFUNC main C:0x0\nENDF C:0x0\nDEF main c:0x0 %S16\n", true},
      {"F:G$main$0$0({2}DF,SI:S),C,0,0,0,0,0", "main",
       "FUNC main C:0x0\nENDF C:0x0\nDEF main c:0x0 %S16\n", true},
      {"F:Futil$tick$0$0({2}DF,SV:S),C,0,0,0,0,0", "main",
       "ENDFILE\nFILE util\nSFUNC tick C:0x0\nENDF C:0x0\nDEFS tick c:0x0 %X08\n", true},
      {"F:Lmain$bad$0$0({2}DF,SV:S),C,0,0,0,0,0", "main", "", false},
  };
  for (const FunctionEmitRow& r : rows) {
    SCOPED_TRACE(r.line);
    MemoryProgram m;
    ASSERT_TRUE(m.parseLine("M:main"));
    ASSERT_TRUE(m.parseLine(r.line));
    m.program.enterFile(r.current);
    m.writer.enterFunction("open");  // an open function scope is closed first
    std::size_t before = m.out.size();
    EXPECT_EQ(r.ok, m.emitEach(m.program.functions));
    // The open function scope is closed before anything else, even for a bad scope.
    EXPECT_EQ("ENDF\n" + std::string(r.written), m.out.substr(before));
    EXPECT_EQ(r.ok ? "" : "Bad function scope L\n", m.messages);
  }
}

}  // namespace

}  // namespace torvane
