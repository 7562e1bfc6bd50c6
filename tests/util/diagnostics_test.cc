#include "torvane/diagnostics.h"

#include <gtest/gtest.h>

#include <string>

namespace torvane {

namespace {

struct RenderRow {
  const char* what;
  Diagnostic message;
  const char* printed;
};

using Kind = Diagnostic::Kind;

// Each kind of message, located or not, as the command line prints it.
const RenderRow kRenderRows[] = {
    {"a located error", {Kind::error, 7, "this record was not converted", {}, false},
     "prog.cdb:7: error: this record was not converted\n"},
    {"a located warning", {Kind::warning, 3, "record skipped", {}, false},
     "prog.cdb:3: warning: record skipped\n"},
    {"a located note", {Kind::note, 2, "here", {}, false}, "prog.cdb:2: note: here\n"},
    {"a located failure reads as an error", {Kind::failure, 1, "cut", {}, false},
     "prog.cdb:1: error: cut\n"},
    {"the record's own messages come first",
     {Kind::error, 4, "this record was not converted",
      {"Unknown type specifier Q", "Failed definition of symbol x"}, false},
     "Unknown type specifier Q\nFailed definition of symbol x\n"
     "prog.cdb:4: error: this record was not converted\n"},
    {"a warning of the whole run", {Kind::warning, 0, "prog.cdb holds no records", {}, false},
     "Warning: prog.cdb holds no records\n"},
    {"an error of the whole run, over several lines",
     {Kind::error, 0, "no bp.\n  Compile _bp.c", {}, false}, "Error: no bp.\n  Compile _bp.c\n"},
    {"a note", {Kind::note, 0, "bp taken from prog.map: 0xd", {}, false},
     "bp taken from prog.map: 0xd\n"},
    {"a failure", {Kind::failure, 0, "prog.c is not a CDB file; nothing was written", {}, false},
     "prog.c is not a CDB file; nothing was written\n"},
    {"said of the command line", {Kind::warning, 0, "extra argument b.cdb ignored", {}, true},
     "torvane: extra argument b.cdb ignored\n"},
};

TEST(DiagnosticsTest, RendersEachKind) {
  for (const RenderRow& r : kRenderRows) {
    SCOPED_TRACE(r.what);
    Diagnostics diagnostics;
    for (const std::string& detail : r.message.details) diagnostics.fault(detail);
    if (r.message.aboutCommandLine) {
      diagnostics.addAboutCommandLine(r.message.kind, r.message.text);
    } else {
      diagnostics.add(r.message.kind, r.message.text, r.message.line);
    }
    EXPECT_EQ(r.printed, renderDiagnostics(diagnostics, "prog.cdb"));
  }
}

// A record's faults belong to the next message only, and are counted with none.
TEST(DiagnosticsTest, FaultsGoWithTheNextMessage) {
  Diagnostics diagnostics;
  EXPECT_FALSE(diagnostics.fault("Unknown symbol scope ", 'Q'));
  EXPECT_FALSE(diagnostics.fault("Bad Bitfield", '\0'));
  diagnostics.warning("symbol x was left out from where it failed", 5);
  diagnostics.warning("2 of 3 functions have no code address");
  EXPECT_EQ(2u, diagnostics.count(Kind::warning));
  EXPECT_EQ(0u, diagnostics.count(Kind::error));
  EXPECT_EQ(
      "Unknown symbol scope Q\nBad Bitfield\n"
      "p.cdb:5: warning: symbol x was left out from where it failed\n"
      "Warning: 2 of 3 functions have no code address\n",
      renderDiagnostics(diagnostics, "p.cdb"));
}

}  // namespace

}  // namespace torvane
