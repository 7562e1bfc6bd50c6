// The library's entry: a conversion in memory that keeps going past bad records, and
// that takes what the CDB file leaves out from the build's listings and map.

#include "torvane/converter.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "expected_text.h"
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

// Lines of a relocated listing: a debug equate, a line located at `address`, and a
// line of code bytes there, as the linker rewrites them.
std::string equate(const std::string& identity) {
  return "                           000000   100 " + identity + "==.\n";
}
std::string located(uint32_t address) {
  char text[64];
  std::snprintf(text, sizeof text, "      %06X                        101 _label:\n", address);
  return text;
}
std::string code(uint32_t address, const std::vector<uint8_t>& bytes) {
  char text[96];
  int at = std::snprintf(text, sizeof text, "      %06X", address);
  for (std::size_t i = 0; i < 7; ++i) {
    at += i < bytes.size() ? std::snprintf(text + at, sizeof text - at, " %02X", bytes[i])
                           : std::snprintf(text + at, sizeof text - at, "   ");
  }
  std::snprintf(text + at, sizeof text - at, "   102 \tsetb\t_fa1\n");
  return text;
}

// A program image in Intel HEX: `bytes` from `address` on, and the end record.
std::string image(uint32_t address, const std::vector<uint8_t>& bytes) {
  char text[16];
  std::snprintf(text, sizeof text, ":%02X%04X00", static_cast<unsigned>(bytes.size()), address);
  std::string record = text;
  unsigned sum = bytes.size() + (address >> 8) + (address & 0xFF);
  for (uint8_t b : bytes) {
    std::snprintf(text, sizeof text, "%02X", b);
    record += text;
    sum += b;
  }
  std::snprintf(text, sizeof text, "%02X\n", (0x100 - (sum & 0xFF)) & 0xFF);
  return record + text + ":00000001FF\n";
}

// A linker map of the newer linkers: a symbol table of `rows`, name and address.
std::string mapOf(const std::vector<std::pair<std::string, uint32_t>>& rows) {
  std::string text =
      "      Value  Global                              Global Defined In Module\n"
      "      -----  --------------------------------   ------------------------\n";
  for (const auto& [name, address] : rows) {
    char value[16];
    std::snprintf(value, sizeof value, "%08X", address);
    text += "C:   " + std::string(value) + "  " + name + "   m\n";
  }
  return text;
}

const char kLinked[] = "M:m\nL:A$m$1:0\n";  // a module, and a record of the link

// How many symbol records were written without an address, and placed by the map and
// by the listings.
struct Placed {
  std::size_t withoutAddress, byMap, byListings;
};

struct WitnessRow {
  const char* what;
  std::string cdb;
  std::map<std::string, std::string> listings;  // by module; none: no --listings
  std::vector<std::string> lines;               // lines the command file must hold
  std::string messages;                         // as printed
  Placed placed;
  std::string mapText = "";  // a linker map, where there is one
  std::string image = "";    // the program image, where it can be read
};

const std::string kBitWarning =
    "Warning: 1 bit variable of p.cdb has no address (SDCC writes none); name the folder of "
    "the listings\n";
const std::string kBitFa1 = "L:C$m.c$3$1_0$1:62\nS:G$fa1$0_0$0({1}SB0$1:U),H,0,0\n";
const std::string kListingOfFa1 =
    equate("C$m.c$3$1_0$1") + code(0x62, {0xD2, 0x00}) + equate("G$fa1$0_0$0") + located(0);

const WitnessRow kWitnessRows[] = {
    {"a listing binds what no record binds, every copy alike",
     kLinked + std::string("S:G$b$0_0$0({1}SB0$1:U),H,0,0\nS:G$b$0_0$0({1}SB0$1:U),H,0,0\n") +
         "S:Fm$s$0_0$0({1}SB0$1:U),H,0,0\nS:Lm.f$sloc0$0_1$0({1}SB0$0:S),H,0,0\n",
     {{"m", equate("G$b$0_0$0") + located(5) + equate("Fm$s$0_0$0") + located(6) +
                equate("Lm.f$sloc0$0_1$0") + located(7)}},
     {"DEF b b:0x5 %B08\nDEF b b:0x5 %B08\n", "DEFS s b:0x6 %B08\n", "DEFS sloc0 b:0x7 %B08\n"},
     "",
     {0, 0, 4}},
    {"an address record wins, and a stack local keeps its offset",
     kLinked + std::string("S:G$x$0$0({1}SC:U),E,0,0\nL:G$x$0$0:30\n") +
         "S:Lm.f$i$1_0$1({1}SC:S),B,1,2\nS:G$bp$0$0({1}SC:U),E,0,0\nL:G$bp$0$0:8\n",
     {{"m", equate("G$x$0$0") + located(0x40) + equate("Lm.f$i$1_0$1") + located(9)}},
     {"DEF x 0:0x30 %U08\n", "DEFS i bp+0x2 %S08\n", "DEFREG bp 0:0x8 1\n"},
     "",
     {0, 0, 0}},
    {"without listings, the bit variables are counted, not their records",
     kLinked + std::string("S:G$b$0_0$0({1}SB0$1:U),H,0,0\nS:G$b$0_0$0({1}SB0$1:U),H,0,0\n") +
         "S:G$c$0_0$0({1}SB0$1:U),H,0,0\n",
     {},
     {"REM b (no address)\nREM b (no address)\nREM c (no address)\n"},
     "Warning: 2 bit variables of p.cdb have no address (SDCC writes none); name the folder "
     "of the listings\n",
     {3, 0, 0}},
    {"one bit variable left, and a listing missing",
     kLinked + std::string("M:n\nS:G$b$0_0$0({1}SB0$1:U),H,0,0\n"),
     {{"m", equate("G$c$0_0$0") + located(3)}},
     {"REM b (no address)\n"},
     "Warning: 1 bit variable of p.cdb has no address (SDCC writes none); no listing in obj "
     "gives it (1 of 2 listings missing: obj/n.rst)\n",
     {1, 0, 0}},
    {"a module repeated is looked for once, and an empty listing is missing",
     "M:m\nM:n\nM:m\nL:A$m$1:0\nS:G$b$0_0$0({1}SB0$1:U),H,0,0\n",
     {{"m", ""}, {"x", equate("G$b$0_0$0") + located(3)}},
     {"REM b (no address)\n"},
     "Warning: 1 bit variable of p.cdb has no address (SDCC writes none); no listing in obj "
     "gives it (2 of 2 listings missing: obj/m.rst, ...)\n",
     {1, 0, 0}},
    {"a file never linked is written as its records say, bits too",
     "M:m\nS:G$b$0_0$0({1}SB0$1:U),H,0,0\nS:G$memccpy$0_0$0({2}DF,DG,SV:S),C,0,2\n",
     {},
     {"DEF b b:0x0 %B08\n", "DEF memccpy c:0x2 %>*X08\n"},
     "",
     {0, 0, 0}},
    {"a file never linked takes from a map its bit globals alone",
     "M:m\nS:G$b$0_0$0({1}SB0$1:U),H,0,0\nS:G$errno$0_0$0({2}SI:S),E,0,0\n",
     {},
     {"DEF b b:0x3 %B08\n", "DEF errno 0:0x0 %S16\n"},
     "",
     {0, 1, 0},
     mapOf({{"_b", 3}, {"_errno", 8}})},
    {"a listing of the same build: a line defined twice is compared by its last address",
     kLinked + std::string("L:C$m.c$3$1_0$1:12\nS:G$b$0_0$0({1}SB0$1:U),H,0,0\n"),
     {{"m", equate("C$m.c$3$1_0$1") + located(0x10) + equate("C$m.c$3$1_0$1") + located(0x12) +
                equate("G$b$0_0$0") + located(4)}},
     {"DEF b b:0x4 %B08\n"},
     "",
     {0, 0, 1}},
    {"a line record given twice: the last counts",
     kLinked + std::string("L:C$m.c$3$1_0$1:10\nL:C$m.c$3$1_0$1:12\nS:G$b$0_0$0({1}SB0$1:U),H,0,0\n"),
     {{"m", equate("C$m.c$3$1_0$1") + located(0x10) + equate("G$b$0_0$0") + located(4)}},
     {"REM b (no address)\n"},
     "Warning: m.rst is not from the same build as p.cdb (m.c:3: 0x12 here, 0x10 in the "
     "listing)\nWarning: 1 bit variable of p.cdb has no address (SDCC writes none); no listing "
     "in obj gives it\n",
     {1, 0, 0}},
    {"a listing of another build: a line elsewhere",
     kLinked + std::string("L:C$m.c$3$1_0$1:12\nS:G$b$0_0$0({1}SB0$1:U),H,0,0\n"),
     {{"m", equate("C$m.c$3$1_0$1") + located(0x14) + equate("G$b$0_0$0") + located(4)}},
     {"REM b (no address)\n"},
     "Warning: m.rst is not from the same build as p.cdb (m.c:3: 0x12 here, 0x14 in the "
     "listing)\nWarning: 1 bit variable of p.cdb has no address (SDCC writes none); no listing "
     "in obj gives it\n",
     {1, 0, 0}},
    {"a listing of another build: a line the CDB file lacks",
     kLinked + std::string("L:C$m.c$3$1_0$1:12\nS:G$b$0_0$0({1}SB0$1:U),H,0,0\n"),
     {{"m", equate("C$m.c$3$1_0$1") + located(0x12) + equate("C$m.c$4$1_0$1") + located(0x15) +
                equate("G$b$0_0$0") + located(4)}},
     {"REM b (no address)\n"},
     "Warning: m.rst is not from the same build as p.cdb (m.c:4: no line record here, 0x15 in "
     "the listing)\nWarning: 1 bit variable of p.cdb has no address (SDCC writes none); no "
     "listing in obj gives it\n",
     {1, 0, 0}},
    {"a listing whose code bytes are the image's",
     kLinked + kBitFa1, {{"m", kListingOfFa1}}, {"DEF fa1 b:0x0 %B08\n"}, "", {0, 0, 1}, "",
     image(0x60, {0x00, 0x00, 0xD2, 0x00, 0x22})},
    {"a listing of another link whose source lines all stand where they stood",
     kLinked + kBitFa1, {{"m", kListingOfFa1}}, {"REM fa1 (no address)\n"},
     "Warning: m.rst is not from the same build as p.cdb (0x62: d2 01 in the image, d2 00 in "
     "the listing)\nWarning: 1 bit variable of p.cdb has no address (SDCC writes none); no "
     "listing in obj gives it\n",
     {1, 0, 0}, "", image(0x62, {0xD2, 0x01})},
    {"bytes the image lacks are not compared",
     kLinked + kBitFa1, {{"m", kListingOfFa1}}, {"DEF fa1 b:0x0 %B08\n"}, "", {0, 0, 1}, "",
     image(0x63, {0x00})},
    {"an image that cannot be read leaves the listing to its lines",
     kLinked + kBitFa1, {{"m", kListingOfFa1}}, {"DEF fa1 b:0x0 %B08\n"}, "", {0, 0, 1}, "",
     ":02006200D201C8\n"},
    {"a trusted map places the globals nothing else placed, by whole and cut names",
     kLinked +
         std::string("S:G$errno$0_0$0({2}SI:S),E,0,0\nS:G$printf_small$0_0$0({2}DF,SV:S),C,0,0\n") +
         "S:G$a_function_named_beyond_the_width$0_0$0({2}DF,SV:S),C,0,0\n"
         "S:G$a_function_named_beyond_the_widths$0_0$0({2}DF,SV:S),C,0,0\n"
         "S:G$an_unlisted_function_beyond_width$0_0$0({2}DF,SV:S),C,0,0\n"
         "S:G$name_written_whole_in_the_map$0_0$0({1}SC:U),F,0,0\n"
         "S:G$memccpy$0_0$0({2}DF,DG,SV:S),C,0,0\nS:G$bp$0$0({1}SC:U),E,0,0\n"
         "S:Lm.f$i$1_0$1({1}SC:S),B,1,2\nF:G$main$0_0$0({2}DF,SV:S),C,0,0,0,0,0\n"
         "L:G$main$0_0$0:64\n",
     {},
     {"DEF errno 0:0x8 %S16\nDEF printf_small c:0x315 %X08\n",
      "REM a_function_named_beyond_the_width (no address)\n"
      "REM a_function_named_beyond_the_widths (no address)\n",
      "REM an_unlisted_function_beyond_width (no address)\n",
      "DEF name_written_whole_in_the_map d:0x20 %U08\nREM memccpy (no address)\n",
      "DEF bp 0:0x21 %U08\n", "DEFREG bp 0:0x21 1\n"},
     "",
     {4, 4, 0},
     mapOf({{"_main", 0x64}, {"_errno", 8}, {"_printf_small", 0x315}, {"_bp", 0x21},
            {"_a_function_named_beyond_the_wid", 0x400},
            {"_name_written_whole_in_the_map", 0x20}})},
    {"a cut name places and is compared only where it is certainly the global's",
     kLinked + std::string("S:G$a_function_named_beyond_the_width$0_0$0({2}DF,SV:S),C,0,0\n") +
         "S:G$bound_global_cut_on_two_map_rows$0_0$0({1}SC:U),E,0,0\n"
         "L:G$bound_global_cut_on_two_map_rows$0_0$0:50\n"
         "S:G$unbound_global_cut_on_two_map_rows$0_0$0({1}SC:U),E,0,0\n"
         "S:G$x$0$0({1}SC:U),E,0,0\nL:G$x$0$0:30\nS:Lm.f$i$1_0$1({1}SC:S),B,1,2\n",
     {},
     {"DEF a_function_named_beyond_the_width c:0x400 %X08\n",
      "DEF bound_global_cut_on_two_map_rows 0:0x50 %U08\n",
      "REM unbound_global_cut_on_two_map_rows (no address)\n", "DEFREG bp 0:0x21 1\n"},
     "bp taken from p.map: 0x21\n",
     {1, 1, 0},
     mapOf({{"_x", 0x30}, {"_bp", 0x21}, {"_a_function_named_beyond_the_wid", 0x400},
            {"_bound_global_cut_on_two_map_row", 0x30}, {"_bound_global_cut_on_two_map_row", 0x50},
            {"_unbound_global_cut_on_two_map_r", 0x30},
            {"_unbound_global_cut_on_two_map_r", 0x50}})},
    {"what nothing places in a linked program is a note, whatever its placeholder",
     kLinked + std::string("S:G$memccpy$0_0$0({2}DF,DG,SV:S),C,0,0\n") +
         "S:G$isblank$0_0$0({2}DF,SI:S),C,0,2\nS:Lformat.isblank$c$1_0$79({2}SI:S),E,0,0\n"
         "S:Lm.strcat$cp$1_0$5({3}DG,SC:U),F,0,0\nS:G$errno$0_0$0({2}SI:S),E,0,0\n"
         "S:Fm$count$0_0$0({1}SC:U),E,0,0\nS:G$ready$0_0$0({1}SB0$1:U),H,0,0\n"
         "S:Lm.f$i$1_0$1({1}SC:S),B,1,2\nS:Lm.f$n$1_0$1({2}SI:S),R,0,0,[r6,r7]\n"
         "S:G$bp$0$0({1}SC:U),E,0,0\nL:G$bp$0$0:8\n",
     {},
     {"REM memccpy (no address)\nREM isblank (no address)\n",
      "FILE format\nFUNC isblank\nREM c (no address)\nENDF\nENDFILE\nFILE m\nFUNC strcat\nREM cp (no address)\n"
      "REM errno (no address)\nENDF\nREM count (no address)\nREM ready (no address)\nFUNC f\n"
      "DEFS i bp+0x2 %S08\nREM n [r6,r7]\nDEF bp 0:0x8 %U08\n"},
     kBitWarning,
     {7, 0, 0}},
    {"a copy read after its address record is not placed by it",
     kLinked + std::string("S:G$x$0_0$0({1}SC:U),E,0,0\nL:G$x$0_0$0:30\n") +
         "S:G$x$0_0$0({1}SC:U),E,0,0\n",
     {},
     {"DEF x 0:0x30 %U08\nREM x (no address)\n"},
     "",
     {1, 0, 0}},
    {"a record of bp that nothing placed gives no frame pointer",
     kLinked + std::string("S:G$bp$0$0({1}SC:U),E,0,0\nS:Lm.f$i$1_0$1({1}SC:S),B,1,2\n"),
     {},
     {"REM Structures\nREM Functions\n", "REM bp (no address)\n"},
     kMissingBp,
     {1, 0, 0}},
    {"an older map gives the bit globals it lists",
     kLinked + std::string("S:G$ready$0$0({1}SX:U),H,0,0\nF:G$main$0$0({2}DF,SV:S),C,0,0,0,0,0\n") +
         "L:G$main$0$0:64\n",
     {},
     {"DEF ready b:0x3 %B08\n"},
     "",
     {0, 1, 0},
     "      Value  Global\n   --------   --------------------------------\n"
     "  0C:0064    _main\n  0B:0003    _ready\n"},
    {"a map of another link gives nothing",
     kLinked + std::string("S:G$ready$0$0({1}SX:U),H,0,0\nF:G$main$0$0({2}DF,SV:S),C,0,0,0,0,0\n") +
         "L:G$main$0$0:64\nS:G$errno$0_0$0({2}SI:S),E,0,0\n",
     {},
     {"REM ready (no address)\n", "REM errno (no address)\n"},
     "Warning: 1 of 1 addresses differ from p.map (main: 0x64 here, 0x66 in the map); the CDB "
     "file and the map are not from the same link\n" + kBitWarning,
     {2, 0, 0},
     "      Value  Global\n   --------   --------------------------------\n"
     "  0C:0066    _main\n  0B:0003    _ready\n  0008    _errno\n"},
    {"a map without a global written whole is another link's",
     kLinked + std::string("F:G$main$0$0({2}DF,SV:S),C,0,0,0,0,0\nL:G$main$0$0:64\n") +
         "S:G$thirty_one_characters_long_name$0$0({1}SC:U),E,0,0\n"
         "L:G$thirty_one_characters_long_name$0$0:30\n"
         "S:G$a_global_beyond_the_width_of_names$0$0({1}SC:U),E,0,0\n"
         "L:G$a_global_beyond_the_width_of_names$0$0:31\n",
     {},
     {"DEF thirty_one_characters_long_name 0:0x30 %U08\n"},
     "Warning: p.map lacks 1 of the 3 globals of p.cdb (first: thirty_one_characters_long_name); "
     "it is not the map of this link\n",
     {0, 0, 0},
     mapOf({{"_main", 0x64}})},
    {"a map that lists none of the globals, all cut, gives no bp",
     kLinked + std::string("S:G$a_global_beyond_the_width_of_names$0$0({1}SC:U),E,0,0\n") +
         "L:G$a_global_beyond_the_width_of_names$0$0:31\nS:Lm.f$i$1_0$1({1}SC:S),B,1,2\n",
     {},
     {"REM Structures\nREM Functions\n"},
     kMissingBp + "  bp not taken from p.map (0x21): it is not the map of this link\n" +
         "Warning: p.map lists none of the 1 globals of p.cdb; it is not the map of this program\n",
     {0, 0, 0},
     mapOf({{"_bp", 0x21}})},
};

TEST(WitnessTest, ListingsAndMapsGiveWhatTheCdbFileLeavesOut) {
  for (const WitnessRow& r : kWitnessRows) {
    SCOPED_TRACE(r.what);
    ConvertOptions options;
    options.inputName = "p.cdb";
    options.image = "p.ihx";
    if (!r.listings.empty()) {
      options.listingsName = "obj";
      options.readListing = [&r](std::string_view module, ListingFile& listing) {
        listing.name = "obj/" + std::string(module) + ".rst";
        auto it = r.listings.find(std::string(module));
        if (it == r.listings.end()) return false;
        listing.text = it->second;
        return true;
      };
      options.readImage = [&r](std::string& text) {
        text = r.image;
        return !r.image.empty();
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
    for (const std::string& line : r.lines) EXPECT_NE(std::string::npos, dvk.find(line)) << line << dvk;
    EXPECT_EQ(r.messages, renderDiagnostics(result.diagnostics));
    EXPECT_EQ(r.placed.withoutAddress, result.symbolsWithoutAddress);
    EXPECT_EQ(r.placed.byMap, result.symbolsPlacedByMap);
    EXPECT_EQ(r.placed.byListings, result.symbolsPlacedByListings);
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
  options.readListing = [](std::string_view, ListingFile& listing) {
    listing.text = equate("C$stack.c$9$0_0$2") + located(0x62);
    return true;
  };
  std::string with;
  ConvertResult result = convert(cdb, options, with);
  EXPECT_EQ("", renderDiagnostics(result.diagnostics));
  EXPECT_TRUE(without == with);
}

}  // namespace

}  // namespace torvane
