#pragma once

#include <string_view>

namespace torvane {

/// The debugger's memory page, in hexadecimal, for the address-space letter of a CDB
/// record; a letter the debugger has no page for reads as code.
constexpr std::string_view addressPageOf(char letter) {
  switch (letter) {
    case 'A':  // external stack
      return "d1";
    case 'B':  // internal stack
    case 'E':  // internal RAM
    case 'G':  // internal RAM, indirectly addressed
      return "0";
    case 'F':  // external RAM
    case 'P':  // paged external RAM, which lives in external RAM too
      return "d";
    case 'H':  // bit space
      return "b";
    case 'I':  // special function registers
      return "1";
    case 'J':  // special function register bits
      return "b1";
    default:  // code (C, D, K), registers (R) and every letter without a page
      return "c";
  }
}

}  // namespace torvane
