#pragma once

#include <string>
#include <string_view>

/// The names a run writes and loads, derived from the input name.
struct OutputNames {
  std::string commandFile;  ///< the command file to write ("prog.dvk")
  std::string image;        ///< the program image named in the LOAD line ("prog.ihx")
};

/// Keeps the directory part of `inputName` and cuts its file name at the first "." after
/// the file name's first character (no such dot: the whole file name is the base).
OutputNames deriveOutputNames(std::string_view inputName);

class CommandFile;
class LineReader;

/// Converts the CDB records of `input` into the open command file `file`: reads them all,
/// writes them out when every line was accepted, ends with the LOAD line for `image` and
/// closes the file. True when every record was converted; false after a rejected record
/// (its message printed) or a read error (`input` tells which). `readAll`, when given,
/// tells whether every line was read and accepted.
bool convert(LineReader& input, CommandFile& file, std::string_view image,
             bool* readAll = nullptr);

/// Runs one conversion for the command line and returns the process exit code.
int runTorvane(int argc, const char* const* argv);
