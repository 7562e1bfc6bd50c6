#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace torvane {

class Diagnostics;
struct Conversion;

/// The names a run writes and loads, derived from the input name.
struct OutputNames {
  std::string commandFile;  ///< the command file to write ("prog.dvk")
  std::string image;        ///< the program image named in the LOAD line ("prog.ihx")
  std::string map;          ///< the linker map of the same link, by SDCC's name ("prog.map")
  std::string cdb;          ///< the debug records of the same build ("prog.cdb")
};

/// Keeps the directory part of `inputName` and cuts its file name at its last ".", as
/// SDCC names its outputs; a dot that starts the file name does not count (no other
/// dot: the whole file name is the base).
OutputNames deriveOutputNames(std::string_view inputName);

/// One option of the command line, as the parser takes it and the help shows it.
struct Option {
  enum class Id { output, image, map, keepGoing, fatalWarnings, quiet, help, version, endOfOptions };
  Id id;
  const char* shortName;  ///< "-o"; null where there is none
  const char* longName;   ///< "--output"
  const char* value;      ///< the value's name ("FILE"); null for an option without one
  const char* text;       ///< what the help says of it; each "\n" starts a further line
};

/// Every option, in the order the help lists them: the one declaration of each.
const std::vector<Option>& commandLineOptions();

/// The messages as the run prints them, one line each: a message about a line of the
/// input reads "NAME:N: error: ..." or "NAME:N: warning: ...", as editors and build
/// logs expect.
std::string renderDiagnostics(const Diagnostics& diagnostics, std::string_view inputName);

/// The exit code of a run whose conversion ended as `conversion` and which gave
/// `warnings` warnings in all; with `fatalWarnings` a warning fails the run.
int exitCodeOf(const Conversion& conversion, bool fatalWarnings, std::size_t warnings);

/// Runs one conversion for the command line and returns the process exit code.
int runTorvane(int argc, const char* const* argv);

}  // namespace torvane
