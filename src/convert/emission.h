#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace torvane {

class CommandWriter;
class Reporter;
class Program;

/// What the linker map says of the frame pointer bp, for a program whose records do not
/// describe it.
struct FramePointerInMap {
  std::string mapName;              ///< the map that gave `address`
  std::optional<uint32_t> address;  ///< none: no trusted map gave it
  std::string note;                 ///< a further line for the message where bp is missing
  std::string mapBeside;            ///< a map not named that may give bp, to suggest
};

/// How the emission pass ended.
struct EmissionResult {
  bool allWritten = true;   ///< no record failed
  std::size_t leftOut = 0;  ///< records left out, as asked
  /// Symbol records of a linked program that nothing placed, written as a note.
  std::size_t withoutAddress = 0;
  /// The bit variables among the symbols of a linked program that nothing placed, each
  /// identity once; counted only where every symbol record was come to.
  std::size_t bitsWithoutAddress = 0;
  bool everySymbolCome = false;  ///< the pass came to every symbol record
  std::size_t functions = 0;          ///< function records come to
  std::size_t functionsUnlinked = 0;  ///< of those, the ones no link record gave a start
  bool everyFunctionCome = false;     ///< the pass came to every function record
};

/// Writes the file scopes and line addresses of reading, in reading order: all of the
/// command file that a run writes before its sections.
void writeLinesOfReading(const Program& program, CommandWriter& out);

/// Writes the four sections of everything read: modules, structures, functions and
/// symbols, each under a REM line, with the frame pointer's DEFREG line before the
/// functions when a symbol lives on the stack. A record that fails stops the pass, or,
/// with `keepGoing`, is left out from where it failed, and the pass goes on.
[[nodiscard]] EmissionResult writeSections(const Program& program, CommandWriter& out,
                                          Reporter& diagnostics, const FramePointerInMap& bp,
                                          bool keepGoing);

}  // namespace torvane
