#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "torvane/diagnostics.h"

namespace torvane {

class LineReader;
class LineSink;
class LinkerMap;

/// What a conversion needs to know besides its input.
struct ConvertOptions {
  std::string inputName;  ///< the CDB file's name, for messages about the whole file or the map
  std::string image;      ///< the program image that the LOAD line names
  /// The linker map of the same link, to compare the addresses with and to take bp
  /// from where no record gives it; null for none.
  const LinkerMap* map = nullptr;
  std::string mapName;  ///< the map's name, for messages about it
  /// Where bp is missing and no map was given: a line that points to one; empty for none.
  std::string mapHint;
  /// Reads the relocated listing (.rst) of the module `module` into `text`; false where
  /// there is none. The listings give the addresses the CDB file leaves out, those of
  /// bit variables; empty for none.
  std::function<bool(std::string_view module, std::string& text)> readListing;
  std::string listingsName;  ///< where the listings are, for messages ("obj")
  /// Reads the program image (the Intel HEX file the LOAD line names) into `text`; false
  /// where it cannot. A listing whose code bytes differ from the image's is of another
  /// link, and gives nothing; empty, or false: the listings are not compared with it.
  std::function<bool(std::string& text)> readImage;
  /// Skip what is not accepted and go on, instead of stopping at the first.
  bool keepGoing = false;
};

/// How a conversion ended.
enum class Outcome {
  complete,     ///< every record was read and written
  skipped,      ///< every record was read and written but those skipped, as asked
  rejected,     ///< a record was rejected while reading; the messages say where
  unwritten,    ///< every line was accepted, but a record could not be written
  notCdb,       ///< the first line is no record: nothing was written at all
  readError,    ///< the input failed while being read
  outOfMemory,  ///< memory ran out
};

/// What a conversion found: how it ended, and its messages in order.
struct ConvertResult {
  Outcome outcome = Outcome::complete;
  Diagnostics diagnostics;
  std::string readError;     ///< the system's reason, where the input failed
  bool writeFailed = false;  ///< the sink refused a line; what followed was not written
  /// Symbol records of a linked program that nothing placed: each is written as a note,
  /// "REM name (no address)", not at the placeholder address its record carries.
  std::size_t symbolsWithoutAddress = 0;
  std::size_t symbolsPlacedByMap = 0;       ///< symbol records the linker map placed
  std::size_t symbolsPlacedByListings = 0;  ///< symbol records the listings placed
};

/// What is said of an input named `inputName` whose first line is no record.
[[nodiscard]] std::string notCdbMessage(std::string_view inputName);

/// Converts the CDB records of `input` into a command file whose lines go to `sink`:
/// the header, the file scopes and line addresses the records give, the sections when
/// every record was accepted (or skipped), the LOAD line and the trailer, whatever
/// happened in between. An input that is no CDB file gives no line at all, and only
/// notCdbMessage, as a failure. Touches no file and prints nothing: the messages come
/// back in the result.
[[nodiscard]] ConvertResult convert(LineReader& input, const ConvertOptions& options,
                                    LineSink& sink);

/// As above for a CDB file held in memory; the command file is appended to `commandFile`.
[[nodiscard]] ConvertResult convert(std::string_view cdb, const ConvertOptions& options,
                                    std::string& commandFile);

}  // namespace torvane
