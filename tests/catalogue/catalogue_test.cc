// The catalogue of bad inputs, each converted in memory by the library (and a few of
// them by the real binary too, which must agree). Each case's exit code, messages and
// command file are recorded in a transcript that must match the one kept in
// tests/catalogue/<group>.expected (CATALOGUE_UPDATE=1 rewrites it for review with git
// diff). Every case must also keep the properties any run must have: nothing fails that
// would go to standard error, the command file is complete, and a rejected input
// always says why; through the binary, the input is left unchanged too.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "driver/driver.h"
#include "driver/messages.h"
#include "expected_text.h"
#include "tool_run.h"
#include "torvane/converter.h"
#include "torvane/diagnostics.h"

namespace torvane {

namespace fs = std::filesystem;

namespace {

// Shows bytes as one readable line: C escapes for line ends and other control bytes.
std::string escape(const std::string& bytes) {
  std::string shown;
  for (unsigned char c : bytes) {
    if (c == '\n') {
      shown += "\\n";
    } else if (c == '\r') {
      shown += "\\r";
    } else if (c == '\t') {
      shown += "\\t";
    } else if (c == '\\') {
      shown += "\\\\";
    } else if (c < 0x20 || c >= 0x7f) {
      const char* hex = "0123456789abcdef";
      shown += "\\x";
      shown += hex[c >> 4];
      shown += hex[c & 15];
    } else {
      shown += static_cast<char>(c);
    }
  }
  return shown;
}

std::string unescape(const std::string& text) {
  std::string bytes;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\' || i + 1 == text.size()) {
      bytes += text[i];
      continue;
    }
    char e = text[++i];
    if (e == 'n') {
      bytes += '\n';
    } else if (e == 'r') {
      bytes += '\r';
    } else if (e == 't') {
      bytes += '\t';
    } else if (e == 'x' && i + 2 < text.size()) {
      bytes += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
      i += 2;
    } else {
      bytes += e;
    }
  }
  return bytes;
}

struct Case {
  std::string name;
  std::string input;
};

// One case's run: its exit code, the messages it printed after the banner, what went to
// standard error, and the command file it left (null when it left none).
struct CaseRun {
  int exitCode = -1;
  std::string messages;
  std::string err;
  std::unique_ptr<std::string> dvk;
};

// The case converted in memory as the command line converts case.cdb.
CaseRun runInMemory(const std::string& input) {
  ConvertOptions options;
  options.inputName = "case.cdb";
  options.image = "case.ihx";
  std::string dvk;
  ConvertResult conversion = convert(input, options, dvk);
  EXPECT_FALSE(conversion.outcome == Outcome::readError ||
               conversion.outcome == Outcome::outOfMemory ||
               conversion.outcome == Outcome::writeFailed);
  CaseRun r;
  r.exitCode = static_cast<int>(exitCodeOf(conversion, false));
  PrintedMessages printed = printedMessages(conversion.diagnostics, false);
  r.messages = printed.out;
  r.err = printed.err;
  if (conversion.outcome != Outcome::notCdb) r.dvk = std::make_unique<std::string>(dvk);
  return r;
}

// The case converted by the real binary, in a folder of its own.
CaseRun runThroughTheBinary(const fs::path& dir, const std::string& input) {
  fs::create_directories(dir);
  writeFile(dir / "case.cdb", input);
  ToolRun run = runTool(dir, "case.cdb");
  CaseRun r;
  r.exitCode = run.exitCode;
  EXPECT_EQ(0u, run.out.find(kBanner));
  r.messages = run.out.substr(std::min(run.out.size(), kBanner.size()));
  r.err = run.err;
  if (fs::exists(dir / "case.dvk")) {
    r.dvk = std::make_unique<std::string>(readOutput(dir / "case.dvk"));
  }
  EXPECT_EQ(input, readFile(dir / "case.cdb")) << "the input changed";
  return r;
}

// Every this many cases, one runs through the real binary as well.
constexpr std::size_t kThroughTheBinaryEvery = 97;

// Runs every case and returns the transcript; checks the common properties on the way.
std::string runCases(const std::vector<Case>& cases) {
  fs::path root = scratchDirectory();
  std::string transcript;
  for (std::size_t i = 0; i < cases.size(); ++i) {
    const Case& c = cases[i];
    SCOPED_TRACE(c.name + ": " + escape(c.input));
    CaseRun r = runInMemory(c.input);
    if (i % kThroughTheBinaryEvery == 0) {
      CaseRun binary = runThroughTheBinary(root / std::to_string(i), c.input);
      EXPECT_EQ(r.exitCode, binary.exitCode);
      EXPECT_EQ(r.messages, binary.messages);
      EXPECT_EQ(r.err, binary.err);
      EXPECT_EQ(r.dvk == nullptr, binary.dvk == nullptr);
      if (r.dvk && binary.dvk) {
        EXPECT_EQ(*r.dvk, *binary.dvk);
      }
    }
    std::string dvk = r.dvk ? *r.dvk : "";
    const std::string& messages = r.messages;

    if (!r.dvk) {
      // Only an input whose first line is no record is refused without a command file,
      // and in one line.
      EXPECT_EQ(3, r.exitCode);
      EXPECT_EQ("case.cdb is not a CDB file; nothing was written\n", r.err);
      EXPECT_EQ("", messages);
      transcript += "== " + c.name + "\nin:   " + escape(c.input) + "\nexit: 3\nerr:  " +
                    escape(r.err) + "\ndvk:  none\n";
      continue;
    }
    EXPECT_TRUE(r.exitCode == 0 || r.exitCode == 3) << r.exitCode;
    if (r.exitCode == 3) {
      EXPECT_NE("", messages) << "a rejected input must say why";
    } else {
      // A converted input may only warn: that bp is missing, that it was never linked,
      // that it holds no records, or that its last line may be cut short.
      std::string said = messages;
      if (said.compare(0, kMissingBp.size(), kMissingBp) == 0) said.erase(0, kMissingBp.size());
      std::istringstream lines(said);
      for (std::string line; std::getline(lines, line);) {
        bool warning =
            line.rfind("Warning: ", 0) == 0 || line.find(": warning: ") != std::string::npos;
        EXPECT_TRUE(warning) << messages;
      }
    }
    EXPECT_EQ(0u, dvk.find(kHeader));
    EXPECT_NE(std::string::npos, dvk.find("\nLOAD case.ihx\n"));
    EXPECT_TRUE(dvk.size() >= 6 && dvk.substr(dvk.size() - 6) == "MODE 2");

    std::string body = dvk.substr(std::min(dvk.size(), kHeader.size()));
    transcript += "== " + c.name + "\n";
    transcript += "in:   " + escape(c.input) + "\n";
    transcript += "exit: " + std::to_string(r.exitCode) + "\n";
    transcript += "out:  " + escape(messages) + "\n";
    transcript += "dvk:  " + escape(body) + "\n";
  }
  return transcript;
}

void compareWithExpected(const std::string& group, const std::string& transcript) {
  fs::path expected = fs::path(TORVANE_CATALOGUE) / (group + ".expected");
  const char* update = std::getenv("CATALOGUE_UPDATE");
  if (update && std::string(update) == "1") {
    writeFile(expected, transcript);
    return;
  }
  std::string want = readFile(expected);
  if (want == transcript) return;
  // Point at the first case that differs.
  std::size_t at = 0;
  while (at < want.size() && at < transcript.size() && want[at] == transcript[at]) ++at;
  std::size_t start = transcript.rfind("== ", at);
  if (start == std::string::npos) start = 0;
  std::size_t wantStart = want.rfind("== ", at);
  if (wantStart == std::string::npos) wantStart = 0;
  ADD_FAILURE() << group << " differs from " << expected << "\nexpected:\n"
                << want.substr(wantStart, 600) << "\nactual:\n"
                << transcript.substr(start, 600);
}

// Complete records of every kind, in both dialects, from which the generated groups cut
// and spoil their cases.
const char* const kRecords[] = {
    "M:blink$x",
    "F:G$main$0_0$0({2}DF,SV:S),C,0,0,0,0,0",
    "F:Fblink$helper$0$0({2}DF,SI:S),C,0,0,0,0,0",
    "S:Lblink.main$i$1_0$1({1}SC:S),B,1,-2",
    "S:G$p$0$0({6}DA2d,DG,SC:S),F,0,16",
    "S:Lm.f$n$1_0$7({2}SI:S),R,0,0,[r6,r7]",
    "S:G$b$0$0({1}SB4$2:U),E,0,0",
    "S:G$flag$0_0$0({1}:S),E,0,0",
    "T:Fblink$pt[({0}S:S$x$0$0({1}SC:S),Z,0,0)({1}S:S$next$0$0({3}DG,STpt:S),Z,0,0)]",
    "L:G$p$0$0:10",
    "L:Lm.f$n$1_0$7:8",
    "L:XG$main$0$0:5B",
    "L:C$blink.c$7$1_0$1:44",
    "L:A$blink$1:0",
};

TEST(CatalogueTest, ExplicitCases) {
  std::vector<Case> cases;
  std::ifstream in(fs::path(TORVANE_CATALOGUE) / "explicit.cases", std::ios::binary);
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') continue;
    std::size_t bar = line.find(" | ");
    ASSERT_NE(std::string::npos, bar) << line;
    cases.push_back({line.substr(0, bar), unescape(line.substr(bar + 3))});
  }
  ASSERT_GT(cases.size(), 50u);
  compareWithExpected("explicit", runCases(cases));
}

// Every record cut off after every one of its characters.
TEST(CatalogueTest, TruncatedRecords) {
  std::vector<Case> cases;
  for (std::string record : kRecords) {
    for (std::size_t cut = 0; cut < record.size(); ++cut) {
      cases.push_back({record + " cut to " + std::to_string(cut), record.substr(0, cut) + "\n"});
    }
  }
  compareWithExpected("truncated", runCases(cases));
}

// Every letter of every record replaced by a letter no field knows.
TEST(CatalogueTest, UnknownLetters) {
  std::vector<Case> cases;
  for (std::string record : kRecords) {
    for (std::size_t at = 0; at < record.size(); ++at) {
      char c = record[at];
      if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))) continue;
      std::string spoiled = record;
      spoiled[at] = 'Q';
      cases.push_back({record + " with Q at " + std::to_string(at), spoiled + "\n"});
    }
  }
  compareWithExpected("unknown_letters", runCases(cases));
}

// A Ctrl-Z anywhere ends the input there: the run is the run of the text before it, with
// the text between the last line end and the Ctrl-Z handled as a last line.
TEST(CatalogueTest, ControlZAtEveryPosition) {
  const std::string cdb =
      "M:blink\r\nS:Lmain$i$1$1({1}SC:S),B,1,2\nS:G$bp$0$0({1}SC:U),E,0,0\n"
      "L:G$bp$0$0:8\nL:C$blink.c$7$1$1:44\n";
  for (std::size_t at = 0; at <= cdb.size(); ++at) {
    SCOPED_TRACE("Ctrl-Z at " + std::to_string(at));
    std::string input = cdb;
    input.insert(at, 1, '\x1a');
    CaseRun a = runInMemory(input + "Q:never read\n");
    CaseRun b = runInMemory(cdb.substr(0, at));
    EXPECT_EQ(b.exitCode, a.exitCode);
    EXPECT_EQ(b.messages, a.messages);
    ASSERT_EQ(b.dvk == nullptr, a.dvk == nullptr);
    if (a.dvk) {
      EXPECT_EQ(*b.dvk, *a.dvk);
    }
  }
}

}  // namespace

}  // namespace torvane
