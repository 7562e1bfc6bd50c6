#pragma once

#include <string>
#include <string_view>

/// The names a run writes and loads, derived from the input name.
struct OutputNames {
  std::string commandFile;  ///< the command file to write ("prog.dvk")
  std::string image;        ///< the program image named in the LOAD line ("prog.ihx")
  std::string map;          ///< the linker map of the same link, by SDCC's name ("prog.map")
};

/// Keeps the directory part of `inputName` and cuts its file name at its last ".", as
/// SDCC names its outputs; a dot that starts the file name does not count (no other
/// dot: the whole file name is the base).
OutputNames deriveOutputNames(std::string_view inputName);

class CommandFile;
class LineReader;

/// How a conversion ended.
enum class Outcome {
  converted,    ///< every record was read and written
  rejected,     ///< a record was rejected while reading; the reader's line number tells which
  emitFailed,   ///< every line was accepted, but a record could not be written
  readError,    ///< the input failed while being read; the reader tells why
  outOfMemory,  ///< memory ran out
};

/// Converts the CDB records of `input` into the open command file `file`: reads them all,
/// writes them out when every line was accepted, ends with the LOAD line for `image` and
/// closes the file, whatever happened. A rejected record has printed its message.
[[nodiscard]] Outcome convert(LineReader& input, CommandFile& file, std::string_view image);

/// Runs one conversion for the command line and returns the process exit code.
int runTorvane(int argc, const char* const* argv);
