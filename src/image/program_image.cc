#include "image/program_image.h"

#include <vector>

#include "util/characters.h"
#include "util/line_reader.h"

namespace torvane {

namespace {

// note [Intel HEX]
// Each line of the image is a record: a colon, then pairs of hexadecimal digits, the
// count of data bytes, a 16-bit load address, the record type, the data, and a checksum
// that makes the sum of all the pairs 0 modulo 256. SDCC's linker (its lkihx.c) writes
// data records (type 0) and the end record (1); a program beyond 64 KB gets extended
// linear address records (4), whose data are the upper 16 bits of the addresses that
// follow, and a banked one a start address record (5), which places nothing. The
// segment records of other tools (2, and 3 for a start address) are read as such too.

// The bytes of a record line after its colon; false when it is not all pairs of digits.
bool recordBytes(std::string_view digits, std::vector<uint8_t>& bytes) {
  if (digits.size() % 2 != 0) return false;
  bytes.clear();
  for (std::size_t i = 0; i < digits.size(); i += 2) {
    int byte = hexByte(digits[i], digits[i + 1]);
    if (byte < 0) return false;
    bytes.push_back(static_cast<uint8_t>(byte));
  }
  return true;
}

}  // namespace

bool ProgramImage::read(std::string_view text) {
  pages_.clear();
  uint32_t base = 0;  // what extended address records add to the load addresses
  std::vector<uint8_t> bytes;
  bool ended = false;
  LineReader lines(text);
  for (std::string_view line; !ended && lines.nextLine(line);) {
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.remove_suffix(1);
    if (line.empty()) continue;
    if (line[0] != ':' || !recordBytes(line.substr(1), bytes) || bytes.size() < 5 ||
        bytes.size() != 5u + bytes[0]) {
      pages_.clear();
      return false;
    }
    uint8_t sum = 0;
    for (uint8_t b : bytes) sum = static_cast<uint8_t>(sum + b);
    uint32_t offset = static_cast<uint32_t>(bytes[1]) << 8 | bytes[2];
    uint8_t type = bytes[3];
    const uint8_t* data = bytes.data() + 4;
    std::size_t count = bytes[0];
    bool known = true;
    switch (type) {
      case 0:
        for (std::size_t i = 0; i < count; ++i) {
          uint32_t address = base + ((offset + i) & 0xFFFF);
          auto [page, added] = pages_.try_emplace(address / kPageSize);
          if (added) page->second.fill(-1);
          page->second[address % kPageSize] = data[i];
        }
        break;
      case 1:
        ended = true;
        break;
      case 2:
        known = count == 2;
        if (known) base = (static_cast<uint32_t>(data[0]) << 8 | data[1]) << 4;
        break;
      case 4:
        known = count == 2;
        if (known) base = (static_cast<uint32_t>(data[0]) << 8 | data[1]) << 16;
        break;
      case 3:
      case 5:
        break;
      default:
        known = false;
    }
    if (sum != 0 || !known) {
      pages_.clear();
      return false;
    }
  }
  return true;
}

std::optional<uint8_t> ProgramImage::byteAt(uint32_t address) const {
  auto page = pages_.find(address / kPageSize);
  if (page == pages_.end()) return std::nullopt;
  int16_t value = page->second[address % kPageSize];
  if (value < 0) return std::nullopt;
  return static_cast<uint8_t>(value);
}

}  // namespace torvane
