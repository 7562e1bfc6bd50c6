#pragma once

#include <cstddef>

namespace torvane {

struct ConvertResult;

/// The process's exit codes.
enum class ExitCode : int {
  success = 0,   ///< converted; warnings alone do not change it
  noInput = 1,   ///< no file named, a bad option, or an input or map that cannot be used
  noOutput = 2,  ///< the command file cannot be written, or may not be
  failure = 3,   ///< a record not converted, no CDB file, or a warning made fatal
};

/// The exit code of a run whose conversion ended as `result`, after `otherWarnings`
/// warnings of its own; with `fatalWarnings` any warning, or an error that leaves the
/// command file whole, fails the run.
[[nodiscard]] ExitCode exitCodeOf(const ConvertResult& result, bool fatalWarnings,
                                  std::size_t otherWarnings = 0);

/// Runs the command line and returns the process exit code.
int runTorvane(int argc, const char* const* argv);

}  // namespace torvane
