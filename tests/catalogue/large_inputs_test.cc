// Inputs too large to keep as files, made when the test runs and converted by the real
// binary: each must end with the outcome its test states, in bounded time.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "expected_text.h"
#include "tool_run.h"

namespace torvane {

namespace fs = std::filesystem;

namespace {

const std::string kEmptySections = "REM Modules\nREM Structures\nREM Functions\nREM Symbols\n";

struct Converted {
  ToolRun run;
  std::string dvk;
};

Converted convertInput(const std::string& input, const std::string& options = "") {
  fs::path dir = scratchDirectory();
  writeFile(dir / "big.cdb", input);
  Converted c{runTool(dir, options + "big.cdb"), readOutput(dir / "big.dvk")};
  EXPECT_TRUE(input == readFile(dir / "big.cdb")) << "the input changed";
  if (fs::exists(dir / "big.dvk")) {
    EXPECT_EQ("", c.run.err);
  }
  return c;
}

std::size_t count(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
    ++n;
  }
  return n;
}

TEST(LargeInputTest, TenMegabyteLines) {
  const std::string name(10 << 20, 'n');
  Converted ok = convertInput("S:G$" + name + "$0$0({1}SC:U),E,0,0\nL:G$" + name + "$0$0:2A\n");
  EXPECT_EQ(0, ok.run.exitCode);
  EXPECT_EQ(kBanner, ok.run.out);
  EXPECT_TRUE(ok.dvk == kHeader + kEmptySections + "DEF " + name + " 0:0x2a %U08\nLOAD big.ihx\nMODE 2");

  // A damaged line is quoted in its message up to 200 characters.
  const std::string junk(10 << 20, '#');
  Converted bad = convertInput("M:a\n" + junk + "\nM:b\n");
  EXPECT_EQ(3, bad.run.exitCode);
  EXPECT_EQ(kBanner + "Bad CDB record format:" + junk.substr(0, 200) + "... (" +
                std::to_string(junk.size() - 200) +
                " more characters)\nbig.cdb:2: error: this record was not converted\n",
            bad.run.out);
}

// A line longer than 64 MiB is refused where it stands, never held whole; skipped when
// asked to, and the rest is converted.
TEST(LargeInputTest, LineLongerThanTheLimit) {
  const std::string input = "M:a\nS:G$" + std::string(70 << 20, 'n') + "$0$0({1}SC:U),E,0,0\nM:b\n";
  Converted refused = convertInput(input);
  EXPECT_EQ(3, refused.run.exitCode);
  EXPECT_EQ(kBanner + "big.cdb:2: error: line longer than 64 MiB\n", refused.run.out);
  EXPECT_EQ(kHeader + "FILE a\nLOAD big.ihx\nENDFILE\nMODE 2", refused.dvk);
  Converted skipped = convertInput(input, "-k ");
  EXPECT_EQ(0, skipped.run.exitCode);
  EXPECT_EQ(kBanner + "line longer than 64 MiB\nbig.cdb:2: warning: record skipped\n",
            skipped.run.out);
  EXPECT_EQ(convertInput("M:a\nM:b\n").dvk, skipped.dvk);
}

TEST(LargeInputTest, MillionBlankLines) {
  std::string blanks(1000000, '\n');
  Converted lf = convertInput(blanks);
  EXPECT_EQ(3, lf.run.exitCode);
  EXPECT_EQ(kBanner, lf.run.out);
  EXPECT_EQ("big.cdb is not a CDB file; nothing was written\n", lf.run.err);

  std::string crlf;
  for (int i = 0; i < 1000000; ++i) crlf += "\r\n";
  Converted both = convertInput("M:a\r\n" + crlf);
  EXPECT_EQ(3, both.run.exitCode);
  EXPECT_EQ(kBanner + "Bad CDB record format:\nbig.cdb:2: error: this record was not converted\n",
            both.run.out);
  EXPECT_EQ(kHeader + "FILE a\nLOAD big.ihx\nENDFILE\nMODE 2", both.dvk);
}

// A million copies of one symbol, all bound by one link record.
TEST(LargeInputTest, MillionRecordsOfOneIdentity) {
  std::string input;
  for (int i = 0; i < 1000000; ++i) input += "S:G$x$0$0({1}SC:U),E,0,0\n";
  input += "L:G$x$0$0:42\n";
  Converted c = convertInput(input);
  EXPECT_EQ(0, c.run.exitCode);
  EXPECT_EQ(1000000u, count(c.dvk, "\nDEF x 0:0x42 %U08\n"));
  EXPECT_EQ(0u, count(c.dvk, "0:0x0 %U08"));
}

// Copies and links of one identity in turn: every copy ends with the last address, and
// the work stays proportional to the input rather than to copies times links.
TEST(LargeInputTest, CopiesAndLinksOfOneIdentityInTurn) {
  std::string input;
  for (int i = 0; i < 300000; ++i) {
    input += "S:G$x$0$0({1}SC:U),E,0,0\nL:G$x$0$0:" + std::to_string(i % 50) + "\n";
  }
  input += "L:G$x$0$0:77\n";
  Converted c = convertInput(input);
  EXPECT_EQ(0, c.run.exitCode);
  EXPECT_EQ(300000u, count(c.dvk, "\nDEF x 0:0x77 %U08\n"));
}

}  // namespace

}  // namespace torvane
