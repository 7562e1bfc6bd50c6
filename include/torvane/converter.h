#pragma once

#include <cstddef>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>

#include "torvane/diagnostics.h"

namespace torvane {

class LineSink;
class LinkerMap;

// Promises of the whole library:
// - Conversions share no state: any number may run at once, on as many threads, each
//   with its own options, sink and result (a LinkerMap may be shared: it is only read).
//   The one thing held for the whole process, the list of new command files being
//   written that removeUnfinishedCommandFiles removes, is safe to use from any thread.
// - Nothing in the library throws, but for what a caller's own function throws (a
//   LineSink, readListing, findListing, readImage), which passes through unchanged;
//   memory running out is an outcome, not an exception.

/// A module's relocated listing, as ConvertOptions::readListing finds it.
struct ListingFile {
  std::string name;  ///< where it is, or where it was looked for first; for messages
  std::string text;  ///< the listing itself
  /// A line of it longer than any listing has (0 for none): it is not used, and said so.
  std::size_t longLine = 0;
};

/// What a conversion needs to know besides its input.
struct ConvertOptions {
  /// The CDB file's name, for messages about it; any text.
  std::string inputName;
  /// The program image that the LOAD line names; must not be empty (an empty name is
  /// refused with a failure, image-unnamed, and nothing is written).
  std::string image;
  /// The linker map of the same link, to compare the addresses with, to place what the
  /// CDB file leaves unplaced and to take bp from where no record gives it; null for
  /// none. It must outlive the conversion.
  const LinkerMap* map = nullptr;
  std::string mapName;  ///< the map's name, for messages about it
  /// A map that lies beside the input but was not named, suggested where bp is missing;
  /// empty for none.
  std::string mapBeside;
  /// Reads the relocated listing (.rst) of the module `module`; false where there is
  /// none. The listings place what the CDB file leaves out, such as bit variables. Empty
  /// for none.
  std::function<bool(std::string_view module, ListingFile& listing)> readListing;
  std::string listingsName;  ///< where the listings are, for messages ("obj")
  /// Where no listings were named (no readListing): the folder where the listing of
  /// `module` lies all the same, or empty; suggested where bit variables stay without
  /// an address. Empty for none.
  std::function<std::string(std::string_view module)> findListing;
  /// Reads the program image (the Intel HEX file the LOAD line names) into `text`; false
  /// where it cannot. A listing whose code bytes differ from the image's is of another
  /// link, and gives nothing. Empty: the listings are not compared with it.
  std::function<bool(std::string& text)> readImage;
  /// Skip what is not accepted and go on, instead of stopping at the first.
  bool keepGoing = false;
};

/// How a conversion ended. Only complete and skipped give a command file a build may
/// use: see succeeded.
enum class Outcome {
  complete,          ///< every record was read and written
  skipped,           ///< every record was read and written but those skipped, as asked
  rejected,          ///< a record was rejected while reading; the messages say where
  unwritten,         ///< every line was accepted, but a record could not be written
  notCdb,            ///< the first line is no record: nothing was written at all
  readError,         ///< the input failed while being read
  outOfMemory,       ///< memory ran out
  writeFailed,       ///< the command file could not be written whole; the messages say why
  inputUnusable,     ///< the input could not be opened: nothing was written
  witnessUnusable,   ///< the map or a listings folder could not be used: nothing was written
  outputUnusable,    ///< the command file may not or cannot be made: nothing was written
};

/// What a conversion found: how it ended, and its messages in order.
struct ConvertResult {
  Outcome outcome = Outcome::complete;
  Diagnostics diagnostics;
  /// Symbol records of a linked program that nothing placed: each is written as a note,
  /// "REM name (no address)", not at the placeholder address its record carries.
  std::size_t symbolsWithoutAddress = 0;
  std::size_t symbolsPlacedByMap = 0;       ///< symbol records the linker map placed
  std::size_t symbolsPlacedByListings = 0;  ///< symbol records the listings placed
};

/// Whether a build may use the command file of `result`, as the command line decides
/// its status:
///
/// | outcome                               | succeeded | with warningsFatal         |
/// |---------------------------------------|-----------|----------------------------|
/// | complete, skipped                     | yes       | only without any warning   |
/// |                                       |           | or error among the messages|
/// | every other outcome                   | no        | no                         |
///
/// Notes never count; failures come only with an outcome that fails.
[[nodiscard]] bool succeeded(const ConvertResult& result, bool warningsFatal = false);

/// Converts the CDB file held in `cdb` into a command file whose lines go to `sink`:
/// the header, the file scopes and line addresses the records give, the sections when
/// every record was accepted (or skipped), the LOAD line and the trailer, whatever
/// happened in between. An input that is no CDB file gives no line at all. A sink that
/// refuses a line ends the conversion as writeFailed. Touches no file and prints
/// nothing: the messages come back in the result.
[[nodiscard]] ConvertResult convert(std::string_view cdb, const ConvertOptions& options,
                                    LineSink& sink);

/// As above for a CDB file held in memory; the command file is appended to `commandFile`.
[[nodiscard]] ConvertResult convert(std::string_view cdb, const ConvertOptions& options,
                                    std::string& commandFile);

/// As above, reading the CDB file from the open stream `input` (which the caller keeps
/// and closes) block by block, however large it is.
[[nodiscard]] ConvertResult convert(std::FILE* input, const ConvertOptions& options,
                                    LineSink& sink);

}  // namespace torvane
