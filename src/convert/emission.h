#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace torvane {

class CommandWriter;
class Diagnostics;
class Program;

/// Where the frame pointer bp is when no record describes it, and what to say.
struct FramePointerElsewhere {
  std::string source;               ///< the file that gave `address` (the linker map)
  std::optional<uint32_t> address;  ///< none: nothing gave it
  std::string hint;                 ///< where nothing gave it: a line on how else to find it
};

/// How the emission pass ended.
struct EmissionResult {
  bool complete = true;     ///< no record failed
  std::size_t skipped = 0;  ///< records left out from where they failed, as asked
};

/// Writes the four sections of everything read: modules, structures, functions and
/// symbols, each under a REM line, with the frame pointer's DEFREG line before the
/// functions when a symbol lives on the stack. A record that fails stops the pass, or,
/// with `keepGoing`, is left out from where it failed, and the pass goes on.
[[nodiscard]] EmissionResult emitAll(const Program& program, CommandWriter& out,
                                     Diagnostics& diagnostics, const FramePointerElsewhere& bp,
                                     bool keepGoing);

}  // namespace torvane
