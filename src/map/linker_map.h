#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

/// The global symbols of a linker map, the .map file that SDCC's linker writes at every
/// link: each symbol's value and the area it was listed under. Only the symbol tables
/// are read; everything else in the map is passed over.
class LinkerMap {
 public:
  /// A global symbol as the map lists it.
  struct Symbol {
    uint32_t value = 0;  ///< banked code as the bank above the 16-bit address
    std::string area;    ///< the area whose table lists it; empty where none is named
  };

  /// Reads the symbol tables of `text`; false when it holds none, so that the text is
  /// not a linker map. A symbol listed twice keeps its first value.
  [[nodiscard]] bool read(std::string_view text);

  /// The symbol of that name as the map writes it (a C name x is _x), if listed.
  std::optional<Symbol> find(std::string_view name) const;

  std::size_t size() const { return symbols_.size(); }

 private:
  std::unordered_map<std::string, Symbol> symbols_;
};
