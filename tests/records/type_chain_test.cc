#include <gtest/gtest.h>

#include <string>

#include "cdb/field_scanner.h"
#include "program_fixture.h"
#include "records/symbol_record.h"

namespace torvane {

namespace {

using TypeChainTest = ProgramTest;

struct ChainRow {
  const char* chain;  // from its "(" on, as the symbol parse meets it
  bool ok;
  int32_t size;
  const char* typeText;
  const char* message;
};

// Chains read while the current file is main, in a top-level symbol.
const ChainRow kChainRows[] = {
    {"({2}SI:S)", true, 2, "S16", ""},
    {"({1}SC:U)", true, 1, "U08", ""},
    {"({1}SS:S)", true, 1, "S08", ""},
    {"({1}SS:U)", true, 1, "U08", ""},
    {"({2}SI:U)", true, 2, "U16", ""},
    {"({4}SL:S)", true, 4, "S32", ""},
    {"({4}SL:U)", true, 4, "U32", ""},
    {"({4}SF:S)", true, 4, "float", ""},
    {"({4}SF:U)", true, 4, "float", ""},
    {"({1}SV:U)", true, 1, "X08", ""},
    {"({1}SX:U)", true, 1, "B08", ""},
    {"({3}DG,SC:S)", true, 3, ">*S08", ""},
    {"({2}DD,SI:U)", true, 2, "<*U16", ""},
    {"({1}DI,SC:U)", true, 1, "<*U08", ""},
    {"({1}DP,SC:U)", true, 1, "<*U08", ""},
    {"({2}DC,SC:S)", true, 2, "*S08", ""},
    {"({2}DX,SC:S)", true, 2, "*S08", ""},
    {"({10}DA10d,SC:S)", true, 10, "S08[10]", ""},
    {"({12}DA2d,DA3d,SI:S)", true, 12, "S16[2][3]", ""},
    {"({6}DA2d,DG,SC:S)", true, 6, ">*S08[2]", ""},
    {"({2}DF,SI:S)", true, 2, "S16", ""},
    {"({1}SB0$3:U)", true, 1, "uint:3@0", ""},
    {"({1}SB4$2:S)", true, 1, "int:2@4", ""},
    {"({1}SB4$2)", true, 1, "int:2@4", ""},
    // A bit variable, a bit temporary and a function returning a bit, as newer compilers
    // write them: one-bit (or zero-width) fields at bit 0, plain bits outside a structure.
    {"({1}SB0$1:U)", true, 1, "B08", ""},
    {"({1}SB0$0:S)", true, 1, "B08", ""},
    {"({1}SB0$1:S)", true, 1, "B08", ""},
    {"({1}DF,SB0$1:U)", true, 1, "B08", ""},
    {"({1}SB1$1:U)", true, 1, "uint:1@1", ""},
    {"({1}SB0$2:U)", true, 1, "uint:2@0", ""},
    {"({3}DG,STnode:S)", true, 3, ">*node", ""},
    {"({4}ST__00010000:S)", true, 4, "main__00010000", ""},
    {"({4}ST__10010000:S)", true, 4, "__10010000", ""},
    {"({4}ST_0x:S)", true, 4, "_0x", ""},
    {"({4}ST__:S)", true, 4, "__", ""},
    {"({2}DG)", true, 2, ">*", ""},              // declarators only: no base
    {"({2}DG:U,SC:U)", true, 2, ">*U08", ""},      // a mark after a declarator is dropped
    {"({5}DA5,SC:S)", true, 5, "S08[5]", ""},      // any character may follow the count
    {"({4}DA2d,STpt:S)", true, 4, "pt[2]", ""},
    {"({0})", true, 0, "", ""},
    {"({1}:S)", true, 1, "S08", ""},               // bool
    {"({1}:U)", true, 1, "U08", ""},               // bool bit-field member
    {"({2}DF,:S)", true, 2, "S08", ""},            // function returning bool
    {"({3}DG,:U)", true, 3, ">*U08", ""},
    {"({2}DC,DF,SI:S)", true, 2, "*S16", ""},      // function pointer
    // Integers typed by their own size where it differs from their letter's: long long
    // (an I of 8 bytes) and the like, and _BitInt(N) (a bare mark, as a boolean is
    // written). Sizes without an integer type of the debugger's show their bytes, after
    // the arrays; behind a pointer or a function the letter's width stands.
    {"({8}SI:U)", true, 8, "U08[8]", ""},
    {"({8}SI:S)", true, 8, "U08[8]", ""},
    {"({4}SI:S)", true, 4, "S32", ""},
    {"({2}SS:S)", true, 2, "S16", ""},
    {"({16}DA2d,SI:U)", true, 16, "U08[2][8]", ""},
    {"({48}DA2d,DA3d,SI:S)", true, 48, "U08[2][3][8]", ""},
    {"({3}DG,SI:U)", true, 3, ">*U16", ""},
    {"({2}DF,SI:U)", true, 2, "U16", ""},
    {"({7}DA2d,SI:S)", true, 7, "S16[2]", ""},       // no whole element size
    {"({0}DA0d,SI:S)", true, 0, "S16[0]", ""},
    {"({2}:S)", true, 2, "S16", ""},
    {"({2}:U)", true, 2, "U16", ""},
    {"({3}:S)", true, 3, "U08[3]", ""},
    {"({4}:S)", true, 4, "S32", ""},
    {"({4}:U)", true, 4, "U32", ""},
    {"({5}:U)", true, 5, "U08[5]", ""},
    {"({8}DA4d,:U)", true, 8, "U16[4]", ""},
    {"({24}DA4d,:S)", true, 24, "U08[4][6]", ""},
    {"({2}DQ,SI:S)", false, 0, "", "Unknown type declarator Q\n"},
    {"({2}SZ:S)", false, 0, "", "Unknown type specifier Z\n"},
    {"({1}SB0,3:U)", false, 0, "", "Bad Bitfield\n"},
    {"({2}SI:S", false, 0, "", ""},                 // no closing ")"
    {"({2}S", false, 0, "", "Unknown type specifier \n"},
    {"({3}DG,STnode", false, 0, "", "Unknown type specifier o\n"},  // tag read again as items
    {"", false, 0, "", ""},
    {"({1}:Q)", false, 0, "", "Unknown type specifier Q\n"},
    {"({1}:", false, 0, "", "Unknown type specifier \n"},
};

TEST_F(TypeChainTest, TranslatesChains) {
  program.enterFile("main");
  for (const ChainRow& r : kChainRows) {
    SCOPED_TRACE(r.chain);
    messages.clear();
    SymbolRecord symbol;
    symbol.scope = 'G';
    FieldScanner scanner(r.chain);
    scanner.next();  // the "(" is taken by the caller
    bool ok = symbol.parseTypeChain(scanner, program, diagnostics);
    EXPECT_EQ(r.ok, ok);
    // The faults go with the message the reader adds for a record it rejects.
    if (!ok) diagnostics.add(Diagnostic::Kind::error, "record-rejected", "this record was not converted", 1);
    noteMessages();
    EXPECT_EQ(r.message, messages);
    if (!r.ok) continue;
    EXPECT_EQ(r.size, symbol.size);
    EXPECT_EQ(r.typeText, symbol.typeText);
    EXPECT_EQ("", symbol.structTag());  // only members keep a tag
    EXPECT_EQ("", scanner.rest());    // the ")" is taken
  }
}

struct TagRow {
  const char* chain;
  const char* currentFile;
  const char* structTag;
  const char* typeText;
};

const TagRow kTagRows[] = {
    {"({4}STnode:S),Z", "main", "node", "node"},
    {"({3}DG,STnode:S),Z", "main", "node", ">*node"},
    {"({8}DA2d,STpt:S),Z", "main", "pt", "pt[2]"},
    {"({4}ST__00010000:S),Z", "main", "main__00010000", "main__00010000"},
    {"({4}ST__00010000:S),Z", "main.c", "main.c__00010000", "main.c__00010000"},
    {"({4}ST__00010000:S),Z", "", "__00010000", "__00010000"},
    {"({2}SI:S),Z", "main", "", "S16"},
    {"({8}SI:U),Z", "main", "", "U08[8]"},
    {"({2}:U),Z", "main", "", "U16"},
    // A one-bit member is a bit-field of its structure, not a bit variable.
    {"({1}SB0$1:U),Z", "main", "", "uint:1@0"},
    {"({1}SB0$0:S),Z", "main", "", "int:0@0"},
};

TEST_F(TypeChainTest, MembersKeepTheirStructureTagAndFields) {
  for (const TagRow& r : kTagRows) {
    SCOPED_TRACE(std::string(r.chain) + " in " + r.currentFile);
    program.enterFile(r.currentFile);
    SymbolRecord member;
    member.scope = 'S';
    FieldScanner scanner(r.chain);
    scanner.next();
    ASSERT_TRUE(member.parseTypeChain(scanner, program, diagnostics));
    EXPECT_EQ(r.structTag, member.structTag());
    EXPECT_EQ(r.typeText, member.typeText);
    EXPECT_EQ(",Z", scanner.rest());
  }
}

}  // namespace

}  // namespace torvane
