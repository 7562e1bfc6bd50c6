// The real examples, compiled by SDCC, checked against what SDCC's own linker says:
// every global's and function's address in the map is the one the command file gives,
// every line-number entry has its LINE command, and every function has a real range.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "expected_text.h"
#include "tool_run.h"
#include "torvane/converter.h"

namespace torvane {

namespace fs = std::filesystem;

namespace {

struct Example {
  const char* name;
  const char* options;   // before the input's name
  const char* messages;  // what the conversion says beyond the banner
};

// blink and bits are converted with their listings, which give every bit variable its
// address, and library with its listing and its map, which gives the library's
// functions and errno theirs.
const Example kExamples[] = {
    {"blink", "--listings examples/blink ", ""},
    {"structs", "", ""},
    {"stack", "", ""},
    {"paged", "", ""},
    {"multi", "", ""},
    {"bits", "--listings examples/bits ", ""},
    {"library", "--map examples/library/library.map --listings examples/library ", ""},
};

// What the command file says, reduced to what the map can confirm.
struct Declared {
  std::map<std::string, std::set<uint32_t>> defAddresses;  // "DEF name page:0xA"
  std::map<std::string, uint32_t> functionStarts;          // "FUNC name C:0xA", SFUNC too
  std::set<std::tuple<std::string, int, uint32_t>> lines;  // LINE n C:0xA under FILE f
  std::vector<std::string> emptyRanges;
};

Declared readCommandFile(const std::string& text) {
  static const std::regex def(R"(^DEF (\S+) [0-9a-f]+:0x([0-9a-f]+) %.*$)");
  static const std::regex function(R"(^S?FUNC (\S+) C:0x([0-9a-f]+)$)");
  static const std::regex end(R"(^ENDF C:0x([0-9a-f]+)$)");
  static const std::regex line(R"(^LINE (\d+) C:0x([0-9a-f]+)$)");
  Declared d;
  std::string file;
  std::string lastFunction;
  std::smatch m;
  for (const std::string& l : linesOf(text)) {
    if (l.rfind("FILE ", 0) == 0) file = l.substr(5);
    if (l == "ENDFILE") file.clear();
    if (std::regex_match(l, m, def)) {
      d.defAddresses[m[1]].insert(std::stoul(m[2], nullptr, 16));
    } else if (std::regex_match(l, m, function)) {
      lastFunction = m[1];
      uint32_t start = std::stoul(m[2], nullptr, 16);
      d.functionStarts[lastFunction] = start;
      if (start == 0) d.emptyRanges.push_back(lastFunction + " starts at 0");
    } else if (std::regex_match(l, m, end)) {
      if (std::stoul(m[1], nullptr, 16) == 0) d.emptyRanges.push_back(lastFunction + " ends at 0");
    } else if (std::regex_match(l, m, line)) {
      d.lines.insert({file, std::stoi(m[1]), std::stoul(m[2], nullptr, 16)});
    }
  }
  return d;
}

// The addresses the build's own files give each name, read apart from the converter: the
// address records of the CDB file, the debug equates of its listings (each at the next
// located line), and the rows of its map under a name written whole, once.
std::map<std::string, std::set<uint32_t>> witnessedAddresses(const fs::path& example) {
  std::map<std::string, std::set<uint32_t>> given;
  static const std::regex record(R"(^L:[FGL][^$]*\$([^$]*)\$[^:]*:([0-9A-Fa-f]+)$)");
  static const std::regex row(R"(^(?:[A-Z]:)?\s+([0-9A-F]{8})\s+_(\S+)\s.*$)");
  static const std::regex equate(R"(^ {27}[0-9A-F]{6} +\d+\s+[GFL][^$]*\$([^$]+)\$\S* ?==\.$)");
  static const std::regex located(R"(^ {6}([0-9A-F]{6}) .{20,}\d .*$)");
  std::smatch m;
  std::map<std::string, int> rows;
  for (const auto& file : fs::directory_iterator(example)) {
    std::string extension = file.path().extension().string();
    std::vector<std::string> waiting;
    for (const std::string& line : linesOf(readFile(file.path()))) {
      if (extension == ".cdb" && std::regex_match(line, m, record)) {
        given[m[1]].insert(std::stoul(m[2], nullptr, 16));
      } else if (extension == ".map" && std::regex_match(line, m, row) && m[2].length() < 31) {
        if (++rows[m[2]] == 1) given[m[2]].insert(std::stoul(m[1], nullptr, 16));
      } else if (extension == ".rst" && std::regex_match(line, m, equate)) {
        waiting.push_back(m[1]);
      } else if (extension == ".rst" && std::regex_match(line, m, located)) {
        for (const std::string& name : waiting) given[name].insert(std::stoul(m[1], nullptr, 16));
        waiting.clear();
      }
    }
  }
  return given;
}

// No line places a symbol where none of the build's files puts it.
void expectEveryAddressWitnessed(const fs::path& example, const std::string& commandFile) {
  std::map<std::string, std::set<uint32_t>> given = witnessedAddresses(example);
  static const std::regex def(R"(^DEFS? (\S+) [0-9a-f]+:0x([0-9a-f]+) %.*$)");
  std::smatch m;
  int checked = 0;
  for (const std::string& line : linesOf(commandFile)) {
    if (!std::regex_match(line, m, def)) continue;
    ++checked;
    EXPECT_EQ(1u, given[m[1]].count(std::stoul(m[2], nullptr, 16))) << line;
  }
  EXPECT_GT(checked, 0);
}

class ExamplesTest : public ::testing::TestWithParam<Example> {};

TEST_P(ExamplesTest, AgreesWithTheLinkerMap) {
  const std::string name = GetParam().name;
  const fs::path source = fs::path(TORVANE_EXAMPLES) / name;
  fs::path dir = scratchDirectory();
  fs::create_directories(dir / "examples" / name);
  for (const auto& file : fs::directory_iterator(source)) {
    if (file.path().extension() != ".dvk" && file.path().extension() != ".c") {
      fs::copy_file(file.path(), dir / "examples" / name / file.path().filename());
    }
  }

  const std::string input = GetParam().options + ("examples/" + name + "/" + name + ".cdb");
  ToolRun run = runTool(dir, input);
  ASSERT_EQ(0, run.exitCode) << run.out << run.err;
  EXPECT_EQ(kBanner + GetParam().messages, run.out);
  EXPECT_EQ("", run.err);
  const std::string written = readOutput(dir / "examples" / name / (name + ".dvk"));
  EXPECT_TRUE(written == readFile(source / (name + ".dvk")))
      << "the command file differs from the committed one";

  // Checked against its own map, without a word: the map places the globals it lists
  // that nothing else placed, and changes no other line.
  ToolRun mapped = runTool(dir, "--map examples/" + name + "/" + name + ".map " + input);
  EXPECT_EQ(0, mapped.exitCode);
  EXPECT_EQ(run.out, mapped.out);
  const std::string withMap = readOutput(dir / "examples" / name / (name + ".dvk"));
  std::vector<std::string> plainLines = linesOf(written);
  std::vector<std::string> mapLines = linesOf(withMap);
  ASSERT_EQ(plainLines.size(), mapLines.size());
  for (std::size_t i = 0; i < plainLines.size(); ++i) {
    if (plainLines[i] == mapLines[i]) continue;
    std::size_t space = mapLines[i].find(' ', 4);
    ASSERT_EQ(0u, mapLines[i].rfind("DEF ", 0)) << mapLines[i];
    EXPECT_EQ("REM " + mapLines[i].substr(4, space - 4) + " (no address)", plainLines[i]);
  }
  expectEveryAddressWitnessed(source, withMap);

  Declared declared = readCommandFile(withMap);
  EXPECT_EQ(std::vector<std::string>{}, declared.emptyRanges);

  // Map rows: optional space letter and colon, the value, the symbol, the module.
  static const std::regex row(R"(^\s*(?:[A-Z]:)?\s+([0-9A-F]{8})\s+([GC])\$(\S+)\s+\S+\s*$)");
  int globals = 0;
  int lineEntries = 0;
  std::smatch m;
  for (const std::string& l : linesOf(readFile(source / (name + ".map")))) {
    if (!std::regex_match(l, m, row)) continue;
    uint32_t value = std::stoul(m[1], nullptr, 16);
    std::vector<std::string> parts;
    std::istringstream fields(m[3].str());
    for (std::string part; std::getline(fields, part, '$');) parts.push_back(part);
    if (m[2] == "G") {
      const std::string& symbol = parts.at(0);
      SCOPED_TRACE("global " + symbol);
      ++globals;
      ASSERT_EQ(1u, declared.defAddresses.count(symbol));
      EXPECT_EQ(std::set<uint32_t>{value}, declared.defAddresses[symbol]);
      if (declared.functionStarts.count(symbol)) {
        EXPECT_EQ(value, declared.functionStarts[symbol]);
      }
    } else {
      SCOPED_TRACE("line " + m[3].str());
      ++lineEntries;
      EXPECT_EQ(1u, declared.lines.count({parts.at(0), std::stoi(parts.at(1)), value}));
    }
  }
  EXPECT_GT(globals, 0);
  EXPECT_GT(lineEntries, 0);
}

INSTANTIATE_TEST_SUITE_P(Sdcc, ExamplesTest, ::testing::ValuesIn(kExamples),
                         [](const ::testing::TestParamInfo<Example>& example) {
                           return std::string(example.param.name);
                         });

// The bit variables of the example with listings stand where the linked code sets and
// tests them: the operand of every instruction on a bit of a global or a file static,
// in the relocated listings, is the address its DEF line gives.
TEST(ExamplesBitsTest, BitsStandWhereTheCodeUsesThem) {
  const fs::path bits = fs::path(TORVANE_EXAMPLES) / "bits";
  std::map<std::string, uint32_t> declared;  // the bit symbols of the command file
  static const std::regex def(R"(^DEFS? (\S+) b:0x([0-9a-f]+) %B08$)");
  std::smatch m;
  for (const std::string& line : linesOf(readFile(bits / "bits.dvk"))) {
    if (std::regex_match(line, m, def)) declared[m[1]] = std::stoul(m[2], nullptr, 16);
  }
  ASSERT_EQ(9u, declared.size());
  // An instruction on a bit: its opcode, the bit's address, maybe a jump; "_name" in it.
  static const std::regex use(
      R"(^      [0-9A-F]{6} [0-9A-F]{2} ([0-9A-F]{2}).*\t(?:mov|setb|clr|cpl|jn?b|jbc|anl|orl)\t(?:c,)?_(\w+)\b.*$)");
  int checked = 0;
  for (const char* listing : {"main.rst", "flags.rst"}) {
    for (const std::string& line : linesOf(readFile(bits / listing))) {
      if (!std::regex_match(line, m, use) || !declared.count(m[2])) continue;
      SCOPED_TRACE(line);
      EXPECT_EQ(declared[m[2]], std::stoul(m[1], nullptr, 16));
      ++checked;
    }
  }
  EXPECT_GE(checked, 8);
}

// The map of another program: it lacks most of the globals, and the one it lists, main,
// is elsewhere; both are said in one line.
TEST(ExamplesMapTest, MapOfAnotherLinkIsNamed) {
  const fs::path examples(TORVANE_EXAMPLES);
  fs::path dir = scratchDirectory();
  for (const char* name : {"blink.cdb", "blink.rst"}) {
    fs::copy_file(examples / "blink" / name, dir / name);
  }
  fs::copy_file(examples / "paged" / "paged.map", dir / "paged.map");
  ToolRun run = runTool(dir, "blink.cdb --map paged.map --listings .");
  EXPECT_EQ(0, run.exitCode);
  EXPECT_EQ(kBanner +
                "Warning: paged.map lacks 5 of the 6 globals of blink.cdb (first: timer0_isr) and "
                "1 of 1 addresses differ (main: 0x12e here, 0xb1 in the map); it is not the map "
                "of this link\n",
            run.out);
  std::string expected = readFile(examples / "blink" / "blink.dvk");
  expected.replace(expected.find("LOAD examples/blink/"), 20, "LOAD ");
  EXPECT_TRUE(expected == readOutput(dir / "blink.dvk")) << "the map changed the command file";
}

// The stack example without its bp record: the map gives the same frame pointer, and
// the command file lacks only the record's own line.
TEST(ExamplesMapTest, MapGivesTheFramePointer) {
  const fs::path examples(TORVANE_EXAMPLES);
  fs::path dir = scratchDirectory();
  std::string cdb;
  for (const std::string& line : linesOf(readFile(examples / "stack" / "stack.cdb"))) {
    if (line.find("G$bp$") == std::string::npos) cdb += line + "\n";
  }
  writeFile(dir / "stack.cdb", cdb);
  fs::copy_file(examples / "stack" / "stack.map", dir / "stack.map");
  ToolRun run = runTool(dir, "--map stack.map stack.cdb");
  EXPECT_EQ(0, run.exitCode);
  EXPECT_EQ(kBanner + "bp taken from stack.map: 0x21\n", run.out);
  std::string expected;
  for (const std::string& line : linesOf(readFile(examples / "stack" / "stack.dvk"))) {
    if (line.rfind("DEF bp ", 0) == 0) continue;
    expected += (line.rfind("LOAD ", 0) == 0 ? "LOAD stack.ihx" : line) + "\n";
  }
  expected.pop_back();  // the trailer has no line end
  EXPECT_NE(std::string::npos, expected.find("\nDEFREG bp 0:0x21 1\n"));
  EXPECT_TRUE(expected == readOutput(dir / "stack.dvk"));
}

}  // namespace

}  // namespace torvane
