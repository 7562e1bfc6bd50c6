#pragma once

namespace torvane {

/// The letter of a variable held in registers, which has no address to write.
constexpr char kRegisterSpace = 'R';

/// The letter of bit space, whose variables SDCC gives no address record.
constexpr char kBitSpace = 'H';

/// True for the address spaces the linker places, listing their globals in the map:
/// code, internal RAM direct and indirect, external RAM paged too, and bit space. Not
/// the stacks and registers, which have no place in the map, nor the special function
/// registers and their bits, fixed by the source whatever the link.
constexpr bool isPlacedByLinker(char letter) {
  switch (letter) {
    case 'C':  // code
    case 'D':  // code, constant data
    case 'E':  // internal RAM
    case 'G':  // internal RAM, indirectly addressed
    case 'F':  // external RAM
    case 'P':  // paged external RAM
    case kBitSpace:
      return true;
    default:
      return false;
  }
}

}  // namespace torvane
