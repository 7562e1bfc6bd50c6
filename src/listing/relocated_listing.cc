#include "listing/relocated_listing.h"

#include <charconv>

#include "util/characters.h"
#include "util/line_reader.h"

namespace torvane {

namespace {

// note [relocated listings]
// The 8051 assembler writes 24-bit listing lines whatever the width of the addresses:
// the location at columns 6 to 11 in six hexadecimal digits, code bytes and cycles
// after it, an equate's value at columns 27 to 32, the listing's line number ending at
// column 38, and the source line after it. The linker rewrites only the location of a
// line that has both a location and a line number; an equate's value (an offset in its
// module's area) and everything else stay as assembled. So only the location column
// tells where a symbol was linked, and an equate, which has none, takes the location
// of the line after it. Lines without a line number (the page headings of a listing
// assembled without SDCC's -p) are no lines of the source, and the equates before them
// wait for the next line that has a location. An .area directive starts another area,
// where an equate still waiting has no line of its own.
//
// The code bytes of a line follow its location, each after a blank at columns 12, 15,
// and so on, seven at most (six when the cycle count in brackets follows them). The
// linker rewrites each with the byte as linked, the very byte of the image, over the
// assembler's mark of a relocated byte. A line with more bytes than fit goes on in
// lines of bytes alone: twelve blanks, the bytes, no location and no line number.
constexpr std::size_t kLocationColumn = 6;
constexpr std::size_t kLocationWidth = 6;
constexpr std::size_t kLineNumberEnd = 38;
constexpr std::size_t kFirstByteColumn = 12;
constexpr std::size_t kByteWidth = 3;

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
  return text;
}

// The location of a listing line; false for a line without one.
bool locationOf(std::string_view line, uint32_t& location) {
  if (line.size() < kLocationColumn + kLocationWidth) return false;
  const char* begin = line.data() + kLocationColumn;
  const char* end = begin + kLocationWidth;
  auto [stop, error] = std::from_chars(begin, end, location, 16);
  return error == std::errc() && stop == end;
}

// The source text of a listing line after its line number; false for a line without
// a line number, which is no line of the source.
bool sourceOf(std::string_view line, std::string_view& source) {
  if (line.size() <= kLineNumberEnd || !isDigit(line[kLineNumberEnd])) return false;
  std::size_t at = kLineNumberEnd + 1;
  while (at < line.size() && isDigit(line[at])) ++at;  // a number wider than its field
  source = trimmed(line.substr(at));
  return true;
}

// The identity a debug equate ("IDENT==." or "IDENT ==.") defines, or empty.
std::string_view equatedIdentity(std::string_view source) {
  std::size_t equals = source.find("==");
  if (equals == std::string_view::npos || trimmed(source.substr(equals + 2)) != ".") return {};
  std::string_view identity = trimmed(source.substr(0, equals));
  if (identity.find('$') == std::string_view::npos) return {};
  for (char c : identity) {
    if (isBlank(c)) return {};
  }
  return identity;
}

// The code bytes a listing line shows after its location column, as linked.
RelocatedListing::Code bytesOf(std::string_view line, uint32_t address) {
  RelocatedListing::Code code;
  code.address = address;
  for (std::size_t at = kFirstByteColumn; code.count < RelocatedListing::kMostBytes;
       at += kByteWidth) {
    if (line.size() < at + kByteWidth || line[at] != ' ') break;
    int byte = hexByte(line[at + 1], line[at + 2]);
    if (byte < 0) break;
    code.bytes[code.count++] = static_cast<uint8_t>(byte);
  }
  return code;
}

// True for a line that goes on with the bytes of the line before: blank up to its bytes.
bool continuesBytes(std::string_view line) {
  if (line.size() <= kFirstByteColumn) return false;
  for (std::size_t at = 0; at < kFirstByteColumn; ++at) {
    if (line[at] != ' ') return false;
  }
  return true;
}

bool isAreaDirective(std::string_view source) {
  return source.size() > 5 && source.substr(0, 5) == ".area" && isBlank(source[5]);
}

}  // namespace

void RelocatedListing::read(std::string_view text) {
  std::vector<std::string_view> waiting;  // equates before their line
  // Where bytes that go on from the line before stand, if they may.
  bool bytesMayGoOn = false;
  uint32_t nextByte = 0;
  LineReader lines(text);
  for (std::string_view line; lines.nextLine(line);) {
    std::string_view source;
    if (!sourceOf(line, source)) {
      // Bytes that did not fit on the line before, at the addresses after its bytes.
      if (bytesMayGoOn && continuesBytes(line)) {
        Code more = bytesOf(line, nextByte);
        if (more.count > 0) {
          code_.push_back(more);
          nextByte += more.count;
          continue;
        }
      }
      bytesMayGoOn = false;
      continue;
    }
    bytesMayGoOn = false;
    uint32_t location = 0;
    if (locationOf(line, location)) {
      for (std::string_view identity : waiting) define(identity, location);
      waiting.clear();
      Code code = bytesOf(line, location);
      if (code.count > 0) {
        code_.push_back(code);
        bytesMayGoOn = true;
        nextByte = location + code.count;
      }
    } else if (isAreaDirective(source)) {
      waiting.clear();
    } else if (std::string_view identity = equatedIdentity(source); !identity.empty()) {
      waiting.push_back(identity);
    }
  }
}

void RelocatedListing::define(std::string_view identity, uint32_t address) {
  bool line = identity.substr(0, 2) == "C$";
  char scope = identity[0];
  if (!line && scope != 'G' && scope != 'F' && scope != 'L') return;
  std::vector<Equate>& list = line ? lines_ : symbols_;
  auto [it, added] = index_.try_emplace(std::string(identity), list.size());
  if (added) {
    list.push_back({std::string(identity), address});
  } else {
    list[it->second].address = address;
  }
}

}  // namespace torvane
