// The emission pass: what each record kind writes, in which scope, and the order of
// the structures, through writeSections over programs read from CDB lines.

#include "convert/emission.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "program_fixture.h"
#include "tool_run.h"
#include "torvane/converter.h"
#include "torvane/diagnostics.h"

namespace torvane {

namespace {

// What the sections of a program come to, after the header: each section's lines, and
// the records' own messages.
struct Sections {
  std::string structures;
  std::string functions;
  std::string symbols;
  std::string messages;
  bool allWritten = false;
};

// The text between `from` and `to` (empty: the end) in `text`, without them.
std::string between(const std::string& text, const std::string& from, const std::string& to) {
  std::size_t start = text.find(from);
  if (start == std::string::npos) return "";
  start += from.size();
  std::size_t end = to.empty() ? std::string::npos : text.find(to, start);
  return text.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

// Writes the sections of the program `m` read, with the scopes `file` and `function`
// open before them.
Sections sectionsOf(const MemoryProgram& m, std::string_view file = {},
                    std::string_view function = {}) {
  std::string out;
  TextSink sink(out);
  CommandWriter writer(sink);
  writer.header();
  writer.enterFile(file);
  writer.enterFunction(function);
  Diagnostics said;
  Reporter diagnostics(said, "p.cdb");
  Sections s;
  s.allWritten = writeSections(m.program, writer, diagnostics, {}, false).allWritten;
  s.structures = between(out, "REM Structures\n", "REM Functions\n");
  // The frame pointer's line, or its message, stands between structures and functions.
  std::size_t defreg = s.structures.find("DEFREG");
  if (defreg != std::string::npos) s.structures.erase(defreg);
  s.functions = between(out, "REM Functions\n", "REM Symbols\n");
  s.symbols = between(out, "REM Symbols\n", "");
  for (const Diagnostic& d : said) {
    for (const std::string& detail : d.details) s.messages += detail + "\n";
  }
  return s;
}

Sections sectionsOf(const std::string& cdb) {
  MemoryProgram m;
  EXPECT_TRUE(m.readAll(cdb));
  return sectionsOf(m);
}

struct EmitRow {
  std::vector<const char*> lines;
  const char* written;
  const char* message;
};

const EmitRow kEmitRows[] = {
    {{"S:G$counter$0$0({2}SI:S),E,0,0"}, "DEF counter 0:0x0 %S16\n", ""},
    {{"S:Lmain$i$1$1({2}SI:S),B,1,-2"}, "FUNC main\nDEFS i bp-0x2 %S16\n", ""},
    {{"S:Fmain$count$0$0({1}SC:U),E,0,0"}, "FILE main\nDEFS count 0:0x0 %U08\n", ""},
    {{"S:Lf$z$1$1({1}SC:U),B,1,0", "S:Lf$m$1$1({1}SC:U),B,1,-5", "S:Lf$p$1$1({1}SC:U),B,1,4"},
     "FUNC f\nDEFS z bp+0x0 %U08\nDEFS m bp-0x5 %U08\nDEFS p bp+0x4 %U08\n", ""},
    {{"S:Lf$m$1$1({1}SC:U),B,1,-2147483648"}, "FUNC f\nDEFS m bp-0x80000000 %U08\n", ""},
    // A global changes no scope: it is written inside the function open before it.
    {{"S:Lf$a$1$1({1}SC:U),B,1,1", "S:G$g$0$0({1}SC:U),F,0,32", "S:Lf$b$1$1({1}SC:U),B,1,2"},
     "FUNC f\nDEFS a bp+0x1 %U08\nDEF g d:0x20 %U08\nDEFS b bp+0x2 %U08\n", ""},
    {{"S:Lf$a$1$1({1}SC:U),E,0,1", "S:Lg$b$1$1({1}SC:U),E,0,2"},
     "FUNC f\nDEFS a 0:0x1 %U08\nENDF\nFUNC g\nDEFS b 0:0x2 %U08\n", ""},
    // A file static closes the function of its file left open before it; the next
    // local opens that function again. In both dialects.
    {{"S:Lm$x$1$1({1}SC:U),E,0,8", "S:Fm$s$0$0({1}SC:U),E,0,9", "S:Lm$y$1$1({1}SC:U),E,0,10"},
     "FUNC m\nDEFS x 0:0x8 %U08\nENDF\nFILE m\nDEFS s 0:0x9 %U08\nFUNC m\n"
     "DEFS y 0:0xa %U08\n", ""},
    {{"S:Lm.f$x$1_0$1({1}SC:U),E,0,8", "S:Fm$s$0_0$0({1}SC:U),E,0,9"},
     "FILE m\nFUNC f\nDEFS x 0:0x8 %U08\nENDF\nDEFS s 0:0x9 %U08\n", ""},
    {{"S:Lm.f$x$1_0$1({1}SC:U),E,0,8", "S:Fn$s$0_0$0({1}SC:U),E,0,9"},
     "FILE m\nFUNC f\nDEFS x 0:0x8 %U08\nENDF\nENDFILE\nFILE n\nDEFS s 0:0x9 %U08\n", ""},
    {{"S:Fa.c$x$0$0({1}SC:U),E,0,1", "S:Fb.c$y$0$0({1}SC:U),E,0,2"},
     "FILE a.c\nDEFS x 0:0x1 %U08\nENDFILE\nFILE b.c\nDEFS y 0:0x2 %U08\n", ""},
    {{"S:G$pt$0$0({6}DA2d,DG,SC:S),A,0,16"}, "DEF pt d1:0x10 %>*S08[2]\n", ""},
    // Locals of newer compilers are written under their module and function.
    {{"S:Lutil.helper$t$1_0$1({1}SC:U),E,0,3", "S:Lutil.helper$u$1_0$1({1}SC:U),E,0,4"},
     "FILE util\nFUNC helper\nDEFS t 0:0x3 %U08\nDEFS u 0:0x4 %U08\n", ""},
    {{"S:Lutil.helper$t$1_0$1({1}SC:U),E,0,3", "S:Lmain.main$v$1_0$1({1}SC:U),E,0,4"},
     "FILE util\nFUNC helper\nDEFS t 0:0x3 %U08\nENDF\nENDFILE\nFILE main\nFUNC main\n"
     "DEFS v 0:0x4 %U08\n", ""},
    {{"S:La.b.f$t$1_0$1({1}SC:U),E,0,3"}, "FILE a.b\nFUNC f\nDEFS t 0:0x3 %U08\n", ""},
    // Register variables get a note, after their scope step.
    {{"S:Lblink.recur$n$1_0$7({2}SI:S),R,0,0,[r6,r7]", "S:Lblink.recur$t$1_0$7({2}SI:S),R,0,0,[]",
      "S:G$g$0_0$0({2}SI:S),R,0,0"},
     "FILE blink\nFUNC recur\nREM n [r6,r7]\nREM t []\nREM g\n", ""},
    {{"S:G$p1$0_0$0({1}SC:U),P,0,1"}, "DEF p1 d:0x1 %U08\n", ""},
    {{"S:S$x$0$0({1}SC:S),Z,0,0"}, "", "Unknown symbol scope S\n"},
    {{"S:Q$x$0$0({1}SC:S),Z,0,0"}, "", "Unknown symbol scope Q\n"},
};

TEST(EmissionTest, SymbolsInTheirScopes) {
  for (const EmitRow& r : kEmitRows) {
    SCOPED_TRACE(r.lines[0]);
    MemoryProgram m;
    for (const char* line : r.lines) ASSERT_TRUE(m.parseLine(line));
    Sections s = sectionsOf(m);
    EXPECT_EQ(*r.message == '\0', s.allWritten);
    EXPECT_EQ(r.written, s.symbols);
    EXPECT_EQ(r.message, s.messages);
  }
}

struct FunctionEmitRow {
  const char* line;
  const char* current;  // the file current when the function is emitted
  const char* written;
  bool ok;
};

TEST(EmissionTest, FunctionRangesUnderTheirFiles) {
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
    m.program.enterFile("main");  // the file in effect when the function is read
    ASSERT_TRUE(m.parseLine(r.line));
    // An open function scope is closed before anything else, even for a bad scope.
    Sections s = sectionsOf(m, r.current, "open");
    EXPECT_EQ(r.ok, s.allWritten);
    EXPECT_EQ("ENDF\n" + std::string(r.written), s.functions);
    EXPECT_EQ(r.ok ? "" : "Bad function scope L\n", s.messages);
  }
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

    Sections s = sectionsOf(cdb);
    bool ok = s.allWritten;

    // Reduce the command lines to the same shorthand as the reference.
    const std::string& written = s.structures;
    const std::string& said = s.messages;
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
  Sections s = sectionsOf(cdb);
  ASSERT_TRUE(s.allWritten);

  std::string expected;
  for (int i = kDepth - 1; i >= 0; --i) {
    expected += "STRUCT 0 s" + std::to_string(i) + "\nDEFT 0x0 n %>*s" +
                std::to_string(i + 1 < kDepth ? i + 1 : 0) + "\nENDS 3\n";
  }
  EXPECT_TRUE(expected == s.structures);
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
  ConvertResult conversion;
  std::string dvk;
  std::string messages;
  std::vector<std::size_t> leftOut;  // the lines of the structures named as left out
};

KeepGoingRun convertKeepingGoing(const std::string& cdb, bool keepGoing = true) {
  ConvertOptions options;
  options.inputName = "p.cdb";
  options.image = "p.ihx";
  options.keepGoing = keepGoing;
  KeepGoingRun r;
  r.conversion = convert(cdb, options, r.dvk);
  r.messages = renderDiagnostics(r.conversion.diagnostics);
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
  EXPECT_EQ(Outcome::complete, rest.conversion.outcome) << rest.messages;
  EXPECT_EQ(rest.dvk, k.dvk);
  EXPECT_EQ(k.leftOut.empty() ? Outcome::complete : Outcome::skipped, k.conversion.outcome);
  for (std::size_t line : k.leftOut) {
    std::vector<std::size_t> others = k.leftOut;
    others.erase(std::find(others.begin(), others.end(), line));
    EXPECT_EQ(Outcome::unwritten, convertKeepingGoing(without(cdb, others), false).conversion.outcome)
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
    {"a structure whose two members name two structures left out names the first",
     "T:Fm$b[({0}S:S$p$0$0({2}STnone:S),Z,0,0)]\nT:Fm$c[({0}S:S$p$0$0({2}STnone:S),Z,0,0)]\n"
     "T:Fm$u[({0}S:S$q$0$0({2}STb:S),Z,0,0)({2}S:S$r$0$0({2}STc:S),Z,0,0)]\n",
     "Undefined datatype none in struct b\n"
     "p.cdb:1: warning: structure b was left out from where it failed\n"
     "Undefined datatype none in struct c\n"
     "p.cdb:2: warning: structure c was left out from where it failed\n"
     "p.cdb:3: warning: structure u was left out: it refers to structure b, which was left out\n"},
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
  EXPECT_EQ(Outcome::unwritten, stopped.conversion.outcome);
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
