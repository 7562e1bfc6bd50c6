// The library's entry: a conversion in memory that keeps going past bad records, and
// that takes what the CDB file leaves out from the build's listings and map.

#include "torvane/converter.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "tool_run.h"
#include "torvane/linker_map.h"

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

// Lines of a relocated listing: a debug equate, and a line located at `address`.
std::string equate(const std::string& identity) {
  return "                           000000   100 " + identity + "==.\n";
}
std::string located(uint32_t address) {
  char text[64];
  std::snprintf(text, sizeof text, "      %06X                        101 _label:\n", address);
  return text;
}

const char kLinked[] = "M:m\nL:A$m$1:0\n";  // a module, and a record of the link

struct WitnessRow {
  const char* what;
  std::string cdb;
  std::map<std::string, std::string> listings;  // by module; none: no --listings
  std::vector<std::string> lines;               // lines the command file must hold
  std::string messages;                         // as printed
  std::string mapText = "";                     // a linker map, where there is one
};

const WitnessRow kWitnessRows[] = {
    {"a listing binds what no record binds, every copy alike",
     kLinked + std::string("S:G$b$0_0$0({1}SB0$1:U),H,0,0\nS:G$b$0_0$0({1}SB0$1:U),H,0,0\n") +
         "S:Fm$s$0_0$0({1}SB0$1:U),H,0,0\nS:Lm.f$sloc0$0_1$0({1}SB0$0:S),H,0,0\n",
     {{"m", equate("G$b$0_0$0") + located(5) + equate("Fm$s$0_0$0") + located(6) +
                equate("Lm.f$sloc0$0_1$0") + located(7)}},
     {"DEF b b:0x5 %B08\nDEF b b:0x5 %B08\n", "DEFS s b:0x6 %B08\n", "DEFS sloc0 b:0x7 %B08\n"},
     ""},
    {"an address record wins, and a stack local keeps its offset",
     kLinked + std::string("S:G$x$0$0({1}SC:U),E,0,0\nL:G$x$0$0:30\n") +
         "S:Lm.f$i$1_0$1({1}SC:S),B,1,2\nS:G$bp$0$0({1}SC:U),E,0,0\nL:G$bp$0$0:8\n",
     {{"m", equate("G$x$0$0") + located(0x40) + equate("Lm.f$i$1_0$1") + located(9)}},
     {"DEF x 0:0x30 %U08\n", "DEFS i bp+0x2 %S08\n"},
     ""},
    {"without listings, the bit variables are counted, not their records",
     kLinked + std::string("S:G$b$0_0$0({1}SB0$1:U),H,0,0\nS:G$b$0_0$0({1}SB0$1:U),H,0,0\n") +
         "S:G$c$0_0$0({1}SB0$1:U),H,0,0\n",
     {},
     {"DEF b b:0x0 %B08\n"},
     "Warning: 2 bit variables of p.cdb have no address (SDCC writes none); name the folder "
     "of the listings: torvane --listings DIR p.cdb\n"},
    {"one bit variable left, and a listing missing",
     kLinked + std::string("M:n\nS:G$b$0_0$0({1}SB0$1:U),H,0,0\n"),
     {{"m", equate("G$c$0_0$0") + located(3)}},
     {"DEF b b:0x0 %B08\n"},
     "Warning: 1 bit variable of p.cdb has no address (SDCC writes none); no listing in obj "
     "gives it (1 of 2 listings missing)\n"},
    {"a file never linked is not warned of its bits",
     "M:m\nS:G$b$0_0$0({1}SB0$1:U),H,0,0\n", {}, {"DEF b b:0x0 %B08\n"}, ""},
    {"a listing of the same build: a line defined twice is compared by its last address",
     kLinked + std::string("L:C$m.c$3$1_0$1:12\nS:G$b$0_0$0({1}SB0$1:U),H,0,0\n"),
     {{"m", equate("C$m.c$3$1_0$1") + located(0x10) + equate("C$m.c$3$1_0$1") + located(0x12) +
                equate("G$b$0_0$0") + located(4)}},
     {"DEF b b:0x4 %B08\n"},
     ""},
    {"a listing of another build: a line elsewhere",
     kLinked + std::string("L:C$m.c$3$1_0$1:12\nS:G$b$0_0$0({1}SB0$1:U),H,0,0\n"),
     {{"m", equate("C$m.c$3$1_0$1") + located(0x14) + equate("G$b$0_0$0") + located(4)}},
     {"DEF b b:0x0 %B08\n"},
     "Warning: m.rst is not from the same build as p.cdb (m.c:3: 0x12 here, 0x14 in the "
     "listing)\nWarning: 1 bit variable of p.cdb has no address (SDCC writes none); no listing "
     "in obj gives it\n"},
    {"a listing of another build: a line the CDB file lacks",
     kLinked + std::string("L:C$m.c$3$1_0$1:12\nS:G$b$0_0$0({1}SB0$1:U),H,0,0\n"),
     {{"m", equate("C$m.c$3$1_0$1") + located(0x12) + equate("C$m.c$4$1_0$1") + located(0x15) +
                equate("G$b$0_0$0") + located(4)}},
     {"DEF b b:0x0 %B08\n"},
     "Warning: m.rst is not from the same build as p.cdb (m.c:4: no line record here, 0x15 in "
     "the listing)\nWarning: 1 bit variable of p.cdb has no address (SDCC writes none); no "
     "listing in obj gives it\n"},
    {"an older map gives the bit globals it lists",
     kLinked + std::string("S:G$ready$0$0({1}SX:U),H,0,0\nF:G$main$0$0({2}DF,SV:S),C,0,0,0,0,0\n") +
         "L:G$main$0$0:64\n",
     {},
     {"DEF ready b:0x3 %B08\n"},
     "",
     "      Value  Global\n   --------   --------------------------------\n"
     "  0C:0064    _main\n  0B:0003    _ready\n"},
    {"a map of another link gives nothing",
     kLinked + std::string("S:G$ready$0$0({1}SX:U),H,0,0\nF:G$main$0$0({2}DF,SV:S),C,0,0,0,0,0\n") +
         "L:G$main$0$0:64\n",
     {},
     {"DEF ready b:0x0 %B08\n"},
     "Warning: 1 of 1 addresses differ from p.map (main: 0x64 here, 0x66 in the map); the CDB "
     "file and the map are not from the same link\nWarning: 1 bit variable of p.cdb has no "
     "address (SDCC writes none); name the folder of the listings: torvane --listings DIR "
     "p.cdb\n",
     "      Value  Global\n   --------   --------------------------------\n"
     "  0C:0066    _main\n  0B:0003    _ready\n"},
};

TEST(WitnessTest, ListingsAndMapsGiveWhatTheCdbFileLeavesOut) {
  for (const WitnessRow& r : kWitnessRows) {
    SCOPED_TRACE(r.what);
    ConvertOptions options;
    options.inputName = "p.cdb";
    options.image = "p.ihx";
    if (!r.listings.empty()) {
      options.listingsName = "obj";
      options.readListing = [&r](std::string_view module, std::string& text) {
        auto it = r.listings.find(std::string(module));
        if (it == r.listings.end()) return false;
        text = it->second;
        return true;
      };
    }
    LinkerMap map;
    if (!r.mapText.empty()) {
      ASSERT_TRUE(map.read(r.mapText));
      options.map = &map;
      options.mapName = "p.map";
    }
    std::string dvk;
    ConvertResult result = convert(r.cdb, options, dvk);
    EXPECT_EQ(Outcome::complete, result.outcome);
    for (const std::string& line : r.lines) EXPECT_NE(std::string::npos, dvk.find(line)) << dvk;
    EXPECT_EQ(r.messages, renderDiagnostics(result.diagnostics, "p.cdb"));
  }
}

// Listings that give nothing new leave the command file byte for byte as it was.
TEST(WitnessTest, ListingsThatGiveNothingNewChangeNothing) {
  std::string cdb = readFile(fs::path(TORVANE_EXAMPLES) / "stack" / "stack.cdb");
  ConvertOptions options;
  options.inputName = "stack.cdb";
  options.image = "stack.ihx";
  std::string without;
  ASSERT_EQ(Outcome::complete, convert(cdb, options, without).outcome);
  options.listingsName = "obj";
  options.readListing = [](std::string_view, std::string& text) {
    text = equate("C$stack.c$9$0_0$2") + located(0x62);
    return true;
  };
  std::string with;
  ConvertResult result = convert(cdb, options, with);
  EXPECT_EQ("", renderDiagnostics(result.diagnostics, "stack.cdb"));
  EXPECT_TRUE(without == with);
}

}  // namespace

}  // namespace torvane
