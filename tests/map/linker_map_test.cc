#include "torvane/linker_map.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <regex>
#include <string>

#include "map/map_lines.h"
#include "tool_run.h"

namespace torvane {

namespace fs = std::filesystem;

namespace {

struct RowCase {
  const char* what;
  std::string text;
  const char* name;  // a C name, which the map lists as _name
  bool listed;
  uint32_t value;
  std::size_t symbols;  // how many symbols the map lists in all
};

// The headings of a symbol table as newer and older linkers write them.
const std::string kNewer =
    "      Value  Global                              Global Defined In Module\n"
    "      -----  --------------------------------   ------------------------\n";
const std::string kOlder =
    "      Value  Global\n"
    "   --------   --------------------------------\n";

// Excerpts of maps as SDCC's linker writes them, newer and older.
const RowCase kRows[] = {
    {"newer code row", kNewer + "C:   0000014A  _main                              main\n", "main",
     true, 0x14a, 1},
    {"newer data row", kNewer + "     0000000D  _bp                                _bp\n", "bp",
     true, 0xd, 1},
    {"newer external RAM row", kNewer + "D:   00000013  _settings                          main\n",
     "settings", true, 0x13, 1},
    {"newer banked code, above 16 bits", kNewer + "C:   0003A010  _far                  far\n",
     "far", true, 0x3a010, 1},
    // An older map joins the memory-space tag to the address: 0C code, 0D external RAM,
    // 0B bits, and internal RAM without a tag.
    {"older code row", kOlder + "  0C:0F6E    _main\n", "main", true, 0xf6e, 1},
    {"older external RAM row", kOlder + "  0D:0102    _buffer\n", "buffer", true, 0x102, 1},
    {"older bit row", kOlder + "  0B:0003    _ready\n", "ready", true, 0x3, 1},
    {"older data row without a tag", kOlder + "     0030    _ticks\n", "ticks", true, 0x30, 1},
    {"older frame pointer", kOlder + "     0014    _bp\n", "bp", true, 0x14, 1},
    {"CR LF line ends", kOlder + "     0014    _bp\r\n     0016    _x\r\n", "x", true, 0x16, 2},
    {"a page break inside a table",
     kNewer + "     00000014  _a   m\nHexadecimal  [32-Bits]\n\f\n"
              "Area                     Addr        Size        Decimal Bytes (Attributes)\n"
              "--------------------     ----        ----        ------- ----- ------------\n"
              "DSEG                 00000000    00000080 =         128. bytes (REL,CON)\n\n" +
         kNewer + "     00000015  _bp  _bp\n",
     "bp", true, 0x15, 2},
    {"the first listing wins", kOlder + "     0014    _x\n     0099    _x\n", "x", true, 0x14, 1},
    {"a name not listed", kOlder + "     0014    _bp\n", "main", false, 0, 1},
    // Lines that look like rows count only inside a table.
    {"a row before any table", "     0020    _early\n" + kOlder + "     0014    _bp\n", "early",
     false, 0, 1},
    {"the area row is no symbol",
     kOlder + "     0014    _bp\n"
              "Area                    Addr   Size   Decimal Bytes (Attributes)\n"
              "--------------------    ----   ----   ------- ----- ------------\n"
              "FACE                    0062   0183 =    387. bytes (REL,CON,CODE)\n"
              "     0016    _late\n",
     "late", false, 0, 1},
    {"a row after the area heading, before the table",
     kOlder + "     0014    _bp\nArea\n  0C:0016    _late\n", "late", false, 0, 1},
    {"the files linked after the last table",
     kOlder + "     0014    _bp\n\nFiles Linked   [ module(s) ]\n\nCAFE  [  ]\n"
              "Libraries Linked  [ object file ]\n[ _bp.rel ]\nHOME = 0x0000\n",
     "bp", true, 0x14, 1},
};

TEST(LinkerMapTest, ReadsSymbolRows) {
  for (const RowCase& r : kRows) {
    SCOPED_TRACE(r.what);
    LinkerMap map;
    ASSERT_TRUE(map.read(r.text));
    EXPECT_EQ(r.symbols, MapLines::namesListed(map));
    std::optional<uint32_t> address = map.addressOf(r.name);
    ASSERT_EQ(r.listed, address.has_value());
    if (address) {
      EXPECT_EQ(r.value, *address);
    }
  }
}

// Texts with no symbol table that has a row: an empty file, a CDB file, a map's page
// heading alone, a table without rows, and notes whose lines look like rows.
TEST(LinkerMapTest, RefusesWhatIsNoMap) {
  const std::string kTexts[] = {
      "",
      "M:blink\nS:G$ticks$0$0({2}SI:U),F,0,0\nL:G$ticks$0$0:10\n",
      "Hexadecimal  [32-Bits]\n\nArea    Addr    Size\n-----   ----    ----\n",
      kNewer + "\n\nFiles Linked   [ module(s) ]\n",
      "Shopping\n  12 apples\n  0C:0F6E    pears\n     0014    _bp\n",
  };
  for (const std::string& text : kTexts) {
    SCOPED_TRACE(text);
    LinkerMap map;
    EXPECT_FALSE(map.read(text));
  }
}

// The maps SDCC wrote for the examples: every one gives main where the committed command
// file has it, and the stack example's frame pointer where its bp record has it.
TEST(LinkerMapTest, ExampleMapsAgreeWithTheirCommandFiles) {
  const fs::path examples(TORVANE_EXAMPLES);
  static const std::regex mainRange(R"(\nFUNC main C:0x([0-9a-f]+)\n)");
  for (const char* name : {"blink", "structs", "stack", "paged", "multi"}) {
    SCOPED_TRACE(name);
    LinkerMap map;
    ASSERT_TRUE(map.read(readFile(examples / name / (std::string(name) + ".map"))));
    EXPECT_GT(MapLines::namesListed(map), 100u);
    std::string dvk = readFile(examples / name / (std::string(name) + ".dvk"));
    std::smatch m;
    ASSERT_TRUE(std::regex_search(dvk, m, mainRange));
    ASSERT_TRUE(map.addressOf("main"));
    EXPECT_EQ(std::stoul(m[1], nullptr, 16), *map.addressOf("main"));
  }
  LinkerMap stack;
  ASSERT_TRUE(stack.read(readFile(examples / "stack" / "stack.map")));
  ASSERT_TRUE(stack.addressOf("bp"));
  EXPECT_EQ(0x21u, *stack.addressOf("bp"));
}

}  // namespace

}  // namespace torvane
