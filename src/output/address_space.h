#pragma once

#include <string_view>

namespace torvane {

/// What an address-space letter of a CDB record means to the debugger and to the
/// linker: every rule about the letters is here.
struct AddressSpace {
  std::string_view page;  ///< the debugger's memory page, in hexadecimal
  bool linked = false;    ///< placed by the linker, which lists its globals in the map
};

/// The meaning of `letter`; a letter the debugger has no page for reads as code.
constexpr AddressSpace addressSpaceOf(char letter) {
  switch (letter) {
    case 'A':  // external stack
      return {"d1", false};
    case 'B':  // internal stack
      return {"0", false};
    case 'C':  // code
    case 'D':  // code, constant data
      return {"c", true};
    case 'E':  // internal RAM
    case 'G':  // internal RAM, indirectly addressed
      return {"0", true};
    case 'F':  // external RAM
    case 'P':  // paged external RAM, which lives in external RAM too
      return {"d", true};
    case 'H':  // bit space
      return {"b", true};
    case 'I':  // special function registers, fixed by the source whatever the link
      return {"1", false};
    case 'J':  // special function register bits, as fixed
      return {"b1", false};
    default:  // code of other kinds (K), registers (R) and every letter without a page
      return {"c", false};
  }
}

/// The letter of a variable held in registers, which has no address to write.
constexpr char kRegisterSpace = 'R';

}  // namespace torvane
