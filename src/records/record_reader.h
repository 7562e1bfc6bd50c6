#pragma once

#include <cstddef>

namespace torvane {

class Reporter;
class LineReader;
class Program;

/// How reading a CDB file ended.
struct ReadResult {
  enum class End {
    complete,  ///< every line was read: accepted, or skipped where asked to
    rejected,  ///< reading stopped at a line that was not accepted
    failed,    ///< the input could not be read to its end; the line reader tells why
  };
  End end = End::complete;
  std::size_t skipped = 0;  ///< lines not accepted and passed over
};

/// Reads every line of `input` into the records of `program`, reporting into
/// `diagnostics`. A line that is not accepted is followed by a message naming its line
/// number, and stops the reading, or, with `keepGoing`, is skipped as if it were not
/// there, and reading goes on.
[[nodiscard]] ReadResult readRecords(LineReader& input, Program& program, Reporter& diagnostics,
                                     bool keepGoing = false);

/// True when `input` opens as a CDB file: its first line is framed as a record (a record
/// letter, whichever it is, then a colon), or there is none. Reads nothing away: the
/// line is read again.
[[nodiscard]] bool startsAsCdb(LineReader& input);

}  // namespace torvane
