#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace torvane {

class LineReader;

/// The global symbols of a linker map, the .map file that SDCC's linker writes at every
/// link, with the address of each. Only the rows of its symbol tables are read; the
/// rest of the map, and any row-like line outside a table, is passed over. Once read, it
/// is only read: several conversions may share it.
class LinkerMap {
 public:
  /// Reads the symbol tables of `text`; false when it holds no table with a row, so
  /// that the text is not a linker map. A symbol listed twice keeps its first address.
  [[nodiscard]] bool read(std::string_view text);

  /// The address of the C global `name`, if listed: the map lists a C name x as the
  /// linker's name _x.
  [[nodiscard]] std::optional<uint32_t> addressOf(std::string_view name) const;

 private:
  friend class LinkerNames;  // the library's reading of the names the linker cuts
  friend class MapLines;     // and of a map's file, line by line

  // Reads the map line by line; false when it is no map, or a line is too long (the
  // reader tells).
  bool readLines(LineReader& lines);

  // The most characters of a name the linker writes; it cuts longer names to this.
  static constexpr std::size_t kNameWidth = 32;

  // A name the map lists: the address of its first row, and how many rows name it.
  struct Listing {
    uint32_t address = 0;
    uint32_t rows = 0;
  };
  // The rows of the linker's name `linkerName` ("_main", or a name cut to kNameWidth),
  // as the map writes it; null when it has none.
  const Listing* listing(std::string_view linkerName) const;

  std::unordered_map<std::string, Listing> symbols_;
};

}  // namespace torvane
