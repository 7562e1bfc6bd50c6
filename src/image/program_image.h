#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <unordered_map>

namespace torvane {

/// The bytes of a program image as SDCC's linker writes it, in Intel HEX (the .ihx
/// file): data records, an end record, and extended linear address records above 64 KB.
/// See note [Intel HEX] in program_image.cc.
class ProgramImage {
 public:
  /// Reads the records of `text`; false when a line is no record, a record is damaged
  /// (its length or checksum wrong) or of a type the linker never writes, and then
  /// nothing of it is kept.
  [[nodiscard]] bool read(std::string_view text);

  /// The byte the image holds at `address`; none where it holds none.
  std::optional<uint8_t> byteAt(uint32_t address) const;

 private:
  static constexpr uint32_t kPageSize = 256;
  // A page of the address space: each byte, or -1 where the image has none.
  using Page = std::array<int16_t, kPageSize>;
  std::unordered_map<uint32_t, Page> pages_;  // by address / kPageSize
};

}  // namespace torvane
