#include "map/linker_map.h"

#include <charconv>
#include <system_error>
#include <vector>

namespace {

// A blank, a tab, a form feed (between the map's pages) or a carriage return (of CR LF
// line ends).
bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\f' || c == '\r' || c == '\v'; }

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

// The value of a run of one to eight hexadecimal digits, or nothing.
std::optional<uint32_t> hexValue(std::string_view digits) {
  if (digits.empty() || digits.size() > 8) return std::nullopt;
  uint32_t value = 0;
  const char* end = digits.data() + digits.size();
  auto [stop, error] = std::from_chars(digits.data(), end, value, 16);
  if (error != std::errc() || stop != end) return std::nullopt;
  return value;
}

// The value that opens a symbol row, in the forms the linker has written over the
// years: "0014" and "0000014A" (a code symbol of a newer map after its "C:", which the
// caller passes over), and "0C:0F6E", a bank and the address within it.
std::optional<uint32_t> rowValue(std::string_view word) {
  std::size_t colon = word.find(':');
  if (colon == std::string_view::npos) return hexValue(word);
  std::optional<uint32_t> bank = hexValue(word.substr(0, colon));
  std::optional<uint32_t> address = hexValue(word.substr(colon + 1));
  if (!bank || !address || *bank > 0xff || *address > 0xffff) return std::nullopt;
  return *bank << 16 | *address;
}

// A symbol's name: never a number, which the area rows have in that column.
bool isName(std::string_view word) {
  char c = word[0];
  return !(c >= '0' && c <= '9') && word.find_first_of("[]=") == std::string_view::npos;
}

}  // namespace

bool LinkerMap::read(std::string_view text) {
  std::string area;
  bool areaFollows = false;  // the area's own row comes after the heading's dashes
  std::size_t rows = 0;
  while (!text.empty()) {
    std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);

    std::vector<std::string_view> words = wordsOf(line);
    if (words.empty()) continue;
    if (words[0] == "Area") {
      areaFollows = true;
      continue;
    }
    if (areaFollows && words[0].find_first_not_of('-') != std::string_view::npos) {
      area = std::string(words[0]);
      areaFollows = false;
      continue;
    }
    // A newer map marks a code symbol with "C:" (one letter and a colon) before it.
    std::size_t first = words[0].size() == 2 && words[0][1] == ':' && words.size() > 1 ? 1 : 0;
    if (words.size() < first + 2) continue;
    std::optional<uint32_t> value = rowValue(words[first]);
    std::string_view name = words[first + 1];
    if (!value || !isName(name)) continue;
    ++rows;
    symbols_.emplace(std::string(name), Symbol{*value, area});
  }
  return rows > 0;
}

std::optional<LinkerMap::Symbol> LinkerMap::find(std::string_view name) const {
  auto it = symbols_.find(std::string(name));
  if (it == symbols_.end()) return std::nullopt;
  return it->second;
}
