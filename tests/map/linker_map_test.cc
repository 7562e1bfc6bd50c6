#include "map/linker_map.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <regex>
#include <string>

#include "tool_run.h"

namespace fs = std::filesystem;

namespace {

struct RowCase {
  const char* what;
  const char* text;
  const char* name;
  bool listed;
  uint32_t value;
  const char* area;
};

// Excerpts of maps as SDCC's linker writes them, newer and older, and hand-made rows of
// the older form.
const RowCase kRows[] = {
    {"newer code row", "C:   0000014A  _main                              main\n", "_main", true,
     0x14a, ""},
    {"newer data row", "     0000000D  _bp                                _bp\n", "_bp", true, 0xd,
     ""},
    {"older banked row", "  0C:0F6E    _main\n", "_main", true, 0x0c0f6e, ""},
    {"older plain row", "     0014    _bp\n", "_bp", true, 0x14, ""},
    {"CR LF line ends", "     0014    _bp\r\n     0016    _x\r\n", "_x", true, 0x16, ""},
    {"a form feed between pages", "     0014    _a\n\f\n     0015    _bp\n", "_bp", true, 0x15, ""},
    {"the area heading names the area",
     "Area                       Addr        Size        Decimal Bytes (Attributes)\n"
     "--------------------       ----        ----        ------- ----- ------------\n"
     "DSEG                   00000000    00000080 =         128. bytes (REL,CON)\n"
     "\n"
     "      Value  Global                              Global Defined In Module\n"
     "      -----  --------------------------------   ------------------------\n"
     "     00000021  G$bp$0_0$0                         _bp\n"
     "     00000021  _bp                                _bp\n",
     "_bp", true, 0x21, "DSEG"},
    {"older heading and rows",
     "Hexadecimal\n\nArea                    Addr   Size   Decimal Bytes (Attributes)\n"
     "--------------------    ----   ----   ------- ----- ------------\n"
     "CSEG                    0000   0F70 =   3952. bytes (REL,CON)\n\n"
     "      Value  Global\n   --------   --------------------------------\n"
     "  0C:0F6E    _main\n",
     "_main", true, 0x0c0f6e, "CSEG"},
    {"library lines are no symbols", "[ _bp.rel ]\n_bp.rel     [  ]\n     0014    _bp\n",
     "_bp.rel", false, 0, ""},
    {"base address lines are no symbols", "     0014    _bp\nHOME = 0x0000\n", "HOME", false, 0,
     ""},
    {"the area row is no symbol",
     "     0014    _bp\nFACE                00000062    00000183 =  387. bytes (REL,CON,CODE)\n",
     "FACE", false, 0, ""},
    {"the first listing wins", "     0014    _x\n     0099    _x\n", "_x", true, 0x14, ""},
    {"a name not listed", "     0014    _bp\n", "_main", false, 0, ""},
};

TEST(LinkerMapTest, ReadsSymbolRows) {
  for (const RowCase& r : kRows) {
    SCOPED_TRACE(r.what);
    LinkerMap map;
    ASSERT_TRUE(map.read(r.text));
    std::optional<LinkerMap::Symbol> symbol = map.find(r.name);
    ASSERT_EQ(r.listed, symbol.has_value());
    if (!symbol) continue;
    EXPECT_EQ(r.value, symbol->value);
    EXPECT_EQ(r.area, symbol->area);
  }
}

// Texts with no symbol table: an empty file, a CDB file, a map's page heading alone.
TEST(LinkerMapTest, RefusesWhatIsNoMap) {
  const char* const kTexts[] = {
      "",
      "M:blink\nS:G$ticks$0$0({2}SI:U),F,0,0\nL:G$ticks$0$0:10\n",
      "Hexadecimal  [32-Bits]\n\nArea    Addr    Size\n-----   ----    ----\n",
  };
  for (const char* text : kTexts) {
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
    EXPECT_GT(map.size(), 100u);
    std::string dvk = readFile(examples / name / (std::string(name) + ".dvk"));
    std::smatch m;
    ASSERT_TRUE(std::regex_search(dvk, m, mainRange));
    ASSERT_TRUE(map.find("_main"));
    EXPECT_EQ(std::stoul(m[1], nullptr, 16), map.find("_main")->value);
    EXPECT_EQ("CSEG", map.find("_main")->area);
  }
  LinkerMap stack;
  ASSERT_TRUE(stack.read(readFile(examples / "stack" / "stack.map")));
  ASSERT_TRUE(stack.find("_bp"));
  EXPECT_EQ(0x21u, stack.find("_bp")->value);
  EXPECT_EQ("DSEG", stack.find("_bp")->area);
}

}  // namespace
