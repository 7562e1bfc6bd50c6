// The library's entry: a conversion in memory that keeps going past bad records.

#include "torvane/converter.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tool_run.h"

namespace torvane {

namespace {

namespace fs = std::filesystem;

struct BadLineRow {
  const char* what;
  std::string line;
  const char* says;  // a message the conversion gives for it
};

// Lines that reading rejects, and records that reading accepts but that cannot be
// written, each failing before it writes a line.
const BadLineRow kBadLines[] = {
    {"an unknown record kind", "X:whatever", "record skipped"},
    {"a blank line", "", "record skipped"},
    {"a NUL byte", std::string("S:G$n\0l$0$0({1}SC:U),E,0,0", 26), "record skipped"},
    {"an unknown type", "S:G$odd$0$0({1}SQ:U),B,1,2", "record skipped"},
    {"an unknown link kind", "L:Q$x", "record skipped"},
    {"a member of an unknown type", "T:Fblink$bad[({0}S:S$m$0$0({1}SC:U),B,1,0)({1}S:S$n$0$0({1}SQ:U),Z,0,0)]",
     "record skipped"},
    {"a symbol of an unknown scope", "S:Q$lost$0$0({1}SC:U),E,0,0",
     "symbol lost was left out from where it failed"},
    {"a structure of an unknown member type", "T:Fblink$orphan[({0}S:S$m$0$0({2}STnowhere:S),Z,0,0)]",
     "structure orphan was left out from where it failed"},
};

// Bad lines put into a real program's CDB file: skipping them, the conversion writes
// exactly the command file of the file without them, and ends as a success.
TEST(KeepGoingTest, SkippedRecordsLeaveTheCommandFileOfTheRest) {
  std::vector<std::string> lines = linesOf(readFile(fs::path(TORVANE_EXAMPLES) / "blink" / "blink.cdb"));
  ASSERT_GT(lines.size(), 300u);
  auto joined = [](const std::vector<std::string>& part) {
    std::string text;
    for (const std::string& l : part) text += l + "\n";
    return text;
  };
  ConvertOptions options;
  options.inputName = "blink.cdb";
  options.image = "blink.ihx";
  std::string expected;
  ASSERT_EQ(Outcome::complete, convert(joined(lines), options, expected).outcome);
  options.keepGoing = true;

  std::vector<std::string> all = lines;
  for (std::size_t i = 0; i < std::size(kBadLines); ++i) {
    const BadLineRow& r = kBadLines[i];
    SCOPED_TRACE(r.what);
    std::vector<std::string> spoiled = lines;
    spoiled.insert(spoiled.begin() + 9, r.line);
    all.insert(all.begin() + 9 + 37 * i, r.line);
    std::string dvk;
    ConvertResult conversion = convert(joined(spoiled), options, dvk);
    EXPECT_EQ(Outcome::skipped, conversion.outcome);
    EXPECT_TRUE(expected == dvk);
    bool said = false;
    for (const Diagnostic& d : conversion.diagnostics) {
      if (d.kind == Diagnostic::Kind::warning && d.text == r.says) said = true;
    }
    EXPECT_TRUE(said);
  }
  std::string dvk;
  EXPECT_EQ(Outcome::skipped, convert(joined(all), options, dvk).outcome);
  EXPECT_TRUE(expected == dvk) << "all the bad lines at once";
}

}  // namespace

}  // namespace torvane
