#include "torvane/diagnostics.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "tool_run.h"
#include "util/message_codes.h"
#include "util/reporter.h"

namespace torvane {

namespace {

struct RenderRow {
  const char* what;
  Diagnostic::Kind kind;
  std::size_t line;
  const char* text;
  std::vector<std::string> details;
  const char* printed;
};

using Kind = Diagnostic::Kind;

// Each kind of message, located or not, as the renderer words it.
const RenderRow kRenderRows[] = {
    {"a located error", Kind::error, 7, "this record was not converted", {},
     "prog.cdb:7: error: this record was not converted\n"},
    {"a located warning", Kind::warning, 3, "record skipped", {},
     "prog.cdb:3: warning: record skipped\n"},
    {"a located note", Kind::note, 2, "here", {}, "prog.cdb:2: note: here\n"},
    {"a located failure reads as an error", Kind::failure, 1, "cut", {}, "prog.cdb:1: error: cut\n"},
    {"the record's own messages come first", Kind::error, 4, "this record was not converted",
     {"Unknown type specifier Q", "Failed definition of symbol x"},
     "Unknown type specifier Q\nFailed definition of symbol x\n"
     "prog.cdb:4: error: this record was not converted\n"},
    {"a warning of the whole run", Kind::warning, 0, "prog.cdb holds no records", {},
     "Warning: prog.cdb holds no records\n"},
    {"an error of the whole run, over several lines", Kind::error, 0, "no bp.\n  Compile _bp.c",
     {}, "Error: no bp.\n  Compile _bp.c\n"},
    {"a note", Kind::note, 0, "bp taken from prog.map: 0xd", {}, "bp taken from prog.map: 0xd\n"},
    {"a failure", Kind::failure, 0, "prog.c is not a CDB file", {}, "prog.c is not a CDB file\n"},
};

TEST(DiagnosticsTest, RendersEachKind) {
  for (const RenderRow& r : kRenderRows) {
    SCOPED_TRACE(r.what);
    Diagnostics diagnostics;
    Reporter reporter(diagnostics, "prog.cdb");
    for (const std::string& detail : r.details) reporter.fault(detail);
    reporter.add(r.kind, code::kRecordRejected, r.text, r.line);
    EXPECT_EQ(r.printed, renderDiagnostics(diagnostics));
  }
}

// A record's faults belong to the next message only, and are counted with none; a
// message about another file carries that file.
TEST(DiagnosticsTest, FaultsGoWithTheNextMessage) {
  Diagnostics diagnostics;
  Reporter reporter(diagnostics, "p.cdb");
  EXPECT_FALSE(reporter.fault("Unknown symbol scope ", 'Q'));
  EXPECT_FALSE(reporter.fault("Bad Bitfield", '\0'));
  reporter.warning(code::kRecordLeftOut, "symbol x was left out from where it failed", 5);
  reporter.warning(code::kUnlinkedFunctions, "2 of 3 functions have no code address");
  reporter.addAbout("p.map", Kind::warning, code::kMapOfAnotherLink, "p.map lacks 1 of the 2");
  EXPECT_EQ(3u, diagnostics.count(Kind::warning));
  EXPECT_EQ(0u, diagnostics.count(Kind::error));
  EXPECT_EQ(
      "Unknown symbol scope Q\nBad Bitfield\n"
      "p.cdb:5: warning: symbol x was left out from where it failed\n"
      "Warning: 2 of 3 functions have no code address\nWarning: p.map lacks 1 of the 2\n",
      renderDiagnostics(diagnostics));
  std::vector<std::string> files;
  for (const Diagnostic& d : diagnostics) files.push_back(d.file);
  EXPECT_EQ((std::vector<std::string>{"p.cdb", "p.cdb", "p.map"}), files);
}

// Every code is a word of its own, and the README's message table lists each.
TEST(DiagnosticsTest, EveryCodeIsUniqueAndDocumented) {
  std::string readme = readFile(std::string(TORVANE_SOURCE) + "/README.md");
  std::set<std::string_view> seen;
  for (std::string_view c : code::kAll) {
    SCOPED_TRACE(std::string(c));
    EXPECT_TRUE(seen.insert(c).second) << "used twice";
    EXPECT_EQ(std::string::npos, c.find_first_not_of("abcdefghijklmnopqrstuvwxyz-"));
    EXPECT_NE(std::string::npos, readme.find("| `" + std::string(c) + "` |")) << "not in the README";
  }
}

}  // namespace

}  // namespace torvane
