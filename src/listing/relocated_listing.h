#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace torvane {

/// The debug equates of a relocated listing (.rst): the assembler's listing of one
/// module, in which the linker has put the linked address of every line that has one.
/// Each equate ("G$ready$0_0$0==.") names an identity as a CDB file writes it, and
/// stands just before the line it describes: its label, or the code of a source line.
/// See note [relocated listings] in relocated_listing.cc.
class RelocatedListing {
 public:
  /// An identity and its address in the linked program.
  struct Equate {
    std::string identity;
    uint32_t address = 0;
  };

  /// The most code bytes a listing line shows.
  static constexpr std::size_t kMostBytes = 7;
  /// The code bytes of a listing line, as linked, from the linked address `address` on.
  struct Code {
    uint32_t address = 0;
    uint8_t count = 0;
    std::array<uint8_t, kMostBytes> bytes{};
  };

  /// Reads the listing `text`: every debug equate takes the address of the next line
  /// that has one, unless an .area directive comes first. An identity defined again
  /// takes its last address.
  void read(std::string_view text);

  /// The equates of source lines ("C$file$line$level$block"), in the order of their
  /// first definition.
  const std::vector<Equate>& lines() const { return lines_; }
  /// The equates of symbols and functions (scopes G, F and L), likewise.
  const std::vector<Equate>& symbols() const { return symbols_; }
  /// The code bytes of every line that shows some, in the order of the listing.
  const std::vector<Code>& code() const { return code_; }

 private:
  void define(std::string_view identity, uint32_t address);

  std::vector<Equate> lines_;
  std::vector<Equate> symbols_;
  std::vector<Code> code_;
  std::unordered_map<std::string, std::size_t> index_;  // by identity, into its list
};

}  // namespace torvane
