// Fragments cut from relocated listings that SDCC 4.2 wrote: examples/bits (main.rst,
// flags.rst) and the same module assembled without -p, whose page heading is kept but
// for its first line, which names the assembler's makers.

#include "listing/relocated_listing.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace torvane {

namespace {

// The bit space of the first module: two globals, a file static and two locals.
const std::string kMainBits =
    "                                    355 \t.area BSEG    (BIT)\n"
    "                           000000   356 G$ready$0_0$0==.\n"
    "      000000                        357 _ready::\n"
    "      000000                        358 \t.ds 1\n"
    "                           000001   359 G$overflow$0_0$0==.\n"
    "      000001                        360 _overflow::\n"
    "      000001                        361 \t.ds 1\n"
    "                           000002   362 Fmain$toggled$0_0$0==.\n"
    "      000002                        363 _toggled:\n"
    "      000002                        364 \t.ds 1\n"
    "                           000003   365 Lmain.check$low$1_0$6==.\n"
    "      000003                        366 _check_low_65536_6:\n"
    "      000003                        367 \t.ds 1\n"
    "                           000004   368 Lmain.check$high$1_0$6==.\n"
    "      000004                        369 _check_high_65536_6:\n"
    "      000004                        370 \t.ds 1\n";

// The bit space of the second module, linked after the first: the value column still
// counts from 0, the location column holds the linked address.
const std::string kFlagsBits =
    "                                     57 \t.area BSEG    (BIT)\n"
    "                           000000    58 G$flags_a$0_0$0==.\n"
    "      000005                         59 _flags_a::\n"
    "      000005                         60 \t.ds 1\n"
    "                           000001    61 G$flags_b$0_0$0==.\n"
    "      000006                         62 _flags_b::\n"
    "      000006                         63 \t.ds 1\n"
    "                           000002    64 G$flags_c$0_0$0==.\n"
    "      000007                         65 _flags_c::\n"
    "      000007                         66 \t.ds 1\n"
    "                           000003    67 Lflags.check_level$sloc0$0_1$0==.\n"
    "      000008                         68 _check_level_sloc0_1_0:\n"
    "      000008                         69 \t.ds 1\n";

// An interrupt handler's closing line, defined before and after it restores what it
// saved; the function's end is no symbol.
const std::string kTwiceDefined =
    "                           000009   458 \tC$main.c$22$1_0$4 ==.\n"
    "                                    459 ;\tmain.c:22: overflow = ticks == 0;\n"
    "      000076 E5 09            [12]  460 \tmov\ta,_ticks\n"
    "      000078 B4 01 00         [24]  461 \tcjne\ta,#0x01,00103$\n"
    "      00007B                        462 00103$:\n"
    "      00007B 92 01            [24]  463 \tmov\t_overflow,c\n"
    "                           000010   464 \tC$main.c$23$1_0$4 ==.\n"
    "                                    465 ;\tmain.c:23: }\n"
    "      00007D D0 D0            [24]  466 \tpop\tpsw\n"
    "      00007F D0 E0            [24]  467 \tpop\tacc\n"
    "                           000014   468 \tC$main.c$23$1_0$4 ==.\n"
    "                           000014   469 \tXG$timer0_isr$0$0 ==.\n"
    "      000081 32               [24]  470 \treti\n";

// A page heading between a source line's equate and its code.
const std::string kPageBreak =
    "      000083 24 FF            [12]  493 \tadd\ta,#0xff\n"
    "      000085 92 00            [24]  494 \tmov\t_ready,c\n"
    "                           000025   495 \tC$main.c$28$3_0$7 ==.\n"
    "\n"
    "Hexadecimal [24-Bits]\n"
    "\n"
    "\n"
    "\n"
    "                                    496 ;\tmain.c:28: overflow = count == 0;\n"
    "      000087 E5 08            [12]  497 \tmov\ta,_count\n"
    "      000089 B4 01 00         [24]  498 \tcjne\ta,#0x01,00122$\n"
    "      00008C                        499 00122$:\n"
    "      00008C 92 01            [24]  500 \tmov\t_overflow,c\n";

// A string literal longer than a listing line holds: its last bytes go on in a line of
// bytes alone, at the addresses after the first line's.
const std::string kLongString =
    "      000E3F                        354 ___str_1:\n"
    "      000E3F 74 68 65 20 77 6F 72   355 \t.ascii \"the words\"\n"
    "             64 73\n"
    "      000E48 00                     356 \t.db 0x00\n";

using Equates = std::vector<std::pair<std::string, uint32_t>>;
using Code = std::vector<std::pair<uint32_t, std::vector<uint8_t>>>;

Code codeOf(const RelocatedListing& listing) {
  Code code = {};
  for (const RelocatedListing::Code& c : listing.code()) {
    code.emplace_back(c.address, std::vector<uint8_t>(c.bytes.begin(), c.bytes.begin() + c.count));
  }
  return code;
}

Equates equatesOf(const std::vector<RelocatedListing::Equate>& list) {
  Equates equates;
  for (const RelocatedListing::Equate& e : list) equates.emplace_back(e.identity, e.address);
  return equates;
}

struct ListingRow {
  const char* what;
  std::string text;
  Equates symbols;
  Equates lines;
  Code code = {};
};

const ListingRow kListingRows[] = {
    {"globals, a file static and locals of the first module", kMainBits,
     {{"G$ready$0_0$0", 0}, {"G$overflow$0_0$0", 1}, {"Fmain$toggled$0_0$0", 2},
      {"Lmain.check$low$1_0$6", 3}, {"Lmain.check$high$1_0$6", 4}},
     {}},
    {"globals and a bit temporary of the second module", kFlagsBits,
     {{"G$flags_a$0_0$0", 5}, {"G$flags_b$0_0$0", 6}, {"G$flags_c$0_0$0", 7},
      {"Lflags.check_level$sloc0$0_1$0", 8}},
     {}},
    {"a line defined twice takes its last address", kTwiceDefined, {},
     {{"C$main.c$22$1_0$4", 0x76}, {"C$main.c$23$1_0$4", 0x81}},
     {{0x76, {0xE5, 0x09}}, {0x78, {0xB4, 0x01, 0x00}}, {0x7B, {0x92, 0x01}},
      {0x7D, {0xD0, 0xD0}}, {0x7F, {0xD0, 0xE0}}, {0x81, {0x32}}}},
    {"an equate waits across a page heading", kPageBreak, {}, {{"C$main.c$28$3_0$7", 0x87}},
     {{0x83, {0x24, 0xFF}}, {0x85, {0x92, 0x00}}, {0x87, {0xE5, 0x08}},
      {0x89, {0xB4, 0x01, 0x00}}, {0x8C, {0x92, 0x01}}}},
    {"bytes that go on in a line of their own", kLongString, {}, {},
     {{0xE3F, {0x74, 0x68, 0x65, 0x20, 0x77, 0x6F, 0x72}}, {0xE46, {0x64, 0x73}},
      {0xE48, {0x00}}}},
    {"a line of bytes alone counts only after a line of code",
     "      00007B                        462 00103$:\n             64 73\n", {}, {}, {}},
    {"an area directive ends the wait",
     "                           000002   356 Fmain$toggled$0_0$0==.\n"
     "                                    357 \t.area\tCSEG    (CODE)\n"
     "      000062                        358 _main:\n",
     {}, {}},
    {"Windows line ends",
     "                           000000   351 G$ready$0_0$0==.\r\n"
     "      000003                        352 _ready::\r\n",
     {{"G$ready$0_0$0", 3}}, {}},
    {"an equate with a value alone, no debug identity",
     "                           000007   436 \tar7 = 0x07\n"
     "      000062 AF 82            [24]  444 \tmov\tr7,dpl\n",
     {}, {}, {{0x62, {0xAF, 0x82}}}},
};

TEST(RelocatedListingTest, EquatesTakeTheLocationAfterThem) {
  for (const ListingRow& r : kListingRows) {
    SCOPED_TRACE(r.what);
    RelocatedListing listing;
    listing.read(r.text);
    EXPECT_EQ(r.symbols, equatesOf(listing.symbols()));
    EXPECT_EQ(r.lines, equatesOf(listing.lines()));
    EXPECT_EQ(r.code, codeOf(listing));
  }
}

}  // namespace

}  // namespace torvane
