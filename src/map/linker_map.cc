#include "torvane/linker_map.h"

#include <charconv>
#include <cstdint>
#include <system_error>
#include <vector>

#include "util/characters.h"
#include "util/line_reader.h"

namespace torvane {

namespace {

std::vector<std::string_view> wordsOf(std::string_view line) {
  std::vector<std::string_view> words;
  std::size_t at = 0;
  while (at < line.size()) {
    while (at < line.size() && isBlank(line[at])) ++at;
    std::size_t start = at;
    while (at < line.size() && !isBlank(line[at])) ++at;
    if (at > start) words.push_back(line.substr(start, at - start));
  }
  return words;
}

// The value of a run of one to `most` hexadecimal digits, or nothing.
std::optional<uint32_t> hexValue(std::string_view digits, std::size_t most = 8) {
  if (digits.empty() || digits.size() > most) return std::nullopt;
  uint32_t value = 0;
  const char* end = digits.data() + digits.size();
  auto [stop, error] = std::from_chars(digits.data(), end, value, 16);
  if (error != std::errc() || stop != end) return std::nullopt;
  return value;
}

// note [memory-space tags]
// The linker writes a memory-space tag in front of the value of a symbol of an area of
// code (0C), external RAM (0D) or bit space (0B); a symbol of internal RAM has none.
// Newer linkers write the tag in one digit as a word of its own ("C:   0000014A"),
// older ones in two digits joined to a four-digit address ("0C:0F6E"). Either way the
// tag only says where the address lies: the address is the value after the colon.

// True for a tag standing alone as newer linkers write it: one or two hexadecimal
// digits and a colon.
bool isTag(std::string_view word) {
  return word.size() >= 2 && word.back() == ':' && hexValue(word.substr(0, word.size() - 1), 2);
}

// The address that opens a symbol row: "0000014A" and "0014" as they stand, and in
// "0C:0F6E" the part after the tag.
std::optional<uint32_t> rowAddress(std::string_view word) {
  std::size_t colon = word.find(':');
  if (colon == std::string_view::npos) return hexValue(word);
  if (!hexValue(word.substr(0, colon), 2)) return std::nullopt;
  return hexValue(word.substr(colon + 1));
}

// A symbol's name: never a number, which the area rows have in that column, nor a
// text with the brackets of library lines or the "=" of base address lines.
bool isName(std::string_view word) {
  return !isDigit(word[0]) && word.find_first_of("[]=") == std::string_view::npos;
}

// A line of dashes under a heading.
bool isDashes(std::string_view word) { return word.find_first_not_of('-') == std::string_view::npos; }

}  // namespace

// A symbol table opens with its heading, "Value  Global" and more in newer maps, and
// its line of dashes; rows follow, one symbol each. The table ends at the next area's
// heading ("Area ..."), and at any other line that is no row: the page heading of a
// page break, which the area's heading and the table's follow again, or the list of
// files linked after the last table. So a line that merely looks like a row counts
// only inside a table.
bool LinkerMap::read(std::string_view text) {
  LineReader lines(text);
  return readLines(lines) && !lines.lineTooLong();
}

// Reading stops at a line longer than the reader's limit: no map has one, and an
// endless line would never end.
bool LinkerMap::readLines(LineReader& lines) {
  bool inTable = false;
  std::size_t rows = 0;
  for (std::string_view line; lines.nextLine(line);) {
    if (lines.lineTooLong()) return false;
    std::vector<std::string_view> words = wordsOf(line);
    if (words.empty()) continue;
    if (words.size() >= 2 && words[0] == "Value" && words[1] == "Global") {
      inTable = true;
      continue;
    }
    if (!inTable || isDashes(words[0])) continue;
    std::size_t first = isTag(words[0]) ? 1 : 0;  // see note [memory-space tags]
    std::optional<uint32_t> address;
    if (words.size() >= first + 2) address = rowAddress(words[first]);
    if (!address || !isName(words[first + 1])) {
      inTable = false;
      continue;
    }
    ++rows;
    Listing& listed = symbols_.try_emplace(std::string(words[first + 1]), Listing{*address, 0})
                          .first->second;
    if (listed.rows < UINT32_MAX) ++listed.rows;
  }
  return rows > 0;
}

std::optional<uint32_t> LinkerMap::addressOf(std::string_view name) const {
  const Listing* listed = listing("_" + std::string(name));
  if (!listed) return std::nullopt;
  return listed->address;
}

const LinkerMap::Listing* LinkerMap::listing(std::string_view linkerName) const {
  auto it = symbols_.find(std::string(linkerName));
  return it == symbols_.end() ? nullptr : &it->second;
}

}  // namespace torvane
