#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "torvane/converter.h"
#include "torvane/diagnostics.h"
#include "torvane/line_sink.h"

namespace torvane {

class LinkerMap;

// The file rules of the command line, for every caller that works with files: the names
// of a build's files, the map and the listings read from their files, and the command
// file written whole, never over a file that is not one. Names are UTF-8 on Windows.

/// The files SDCC writes for one build, named after its CDB file.
struct FileNames {
  std::string commandFile;  ///< the command file to write ("prog.dvk")
  std::string image;        ///< the program image that the LOAD line names ("prog.ihx")
  std::string map;          ///< the linker map of the same link ("prog.map")
  std::string cdb;          ///< the debug records ("prog.cdb")
};

/// The names of the files beside `input`: its folder part kept and its file name cut at
/// its last ".", as SDCC names its outputs; a dot that starts the file name does not
/// count (with no other dot, the whole file name is the base).
[[nodiscard]] FileNames namesBeside(std::string_view input);

/// Reads the linker map file `name` into `map`. Returns a failure (map-unopenable,
/// map-unreadable, not-a-map) where the file cannot be read or holds no symbol table,
/// and nothing otherwise.
[[nodiscard]] std::optional<Diagnostic> readMapFile(const std::string& name, LinkerMap& map);

/// The relocated listings of a build: MODULE.rst in one folder or several, searched in
/// the order given.
class ListingFolders {
 public:
  explicit ListingFolders(std::vector<std::string> folders);

  /// A failure (listings-folder-unopenable) for the first name that is no folder, or
  /// nothing.
  [[nodiscard]] std::optional<Diagnostic> check() const;

  /// Reads the listing of `module` from the first folder that holds one; false where
  /// none does, and then `listing.name` is where it was looked for first. A module name
  /// that would lead out of the folders names none. Usable as ConvertOptions::readListing.
  bool operator()(std::string_view module, ListingFile& listing) const;

  /// The folders as messages name them: "obj", or "a or b".
  [[nodiscard]] std::string name() const;

 private:
  std::vector<std::string> folders_;
};

/// The command file, as a conversion writes it: a LineSink. It is replaced whole or not
/// at all: its lines go to a new file beside it, which takes its place once complete,
/// so a failure never leaves a cut file where a good one stood. Written in place: what
/// is no regular file (/dev/null, a pipe) and a file of several hard links. A symbolic
/// link stays a link, and the new file takes the old one's permissions.
class CommandFileOutput : public LineSink {
 public:
  CommandFileOutput();
  /// Removes the new file if it was not put in place.
  ~CommandFileOutput() override;
  CommandFileOutput(const CommandFileOutput&) = delete;
  CommandFileOutput& operator=(const CommandFileOutput&) = delete;

  /// Opens the command file `name`, which may replace neither the input `input`, the
  /// map `map` (empty for none) nor the image `image`, nor a file that is not a command
  /// file (its first line "CLEARLINEINFO Y"), an empty file or no regular file; refused
  /// in that order. Returns a failure (output-is-input, output-is-map, output-is-image,
  /// output-not-command-file, output-unopenable) where it may not or cannot, and then
  /// nothing was written; nothing otherwise.
  [[nodiscard]] std::optional<Diagnostic> open(const std::string& name, const std::string& input,
                                               const std::string& map, const std::string& image);

  bool take(std::string_view lines) override;
  /// True for a new file that takes the command file's place once whole.
  bool takesBlocks() const override;
  std::string failure() const override;

  /// Closes the command file and puts it in place. Returns a failure (output-unwritable)
  /// where a write, closing or the replacing failed, and then the file that was there
  /// before is left as it was; nothing otherwise.
  [[nodiscard]] std::optional<Diagnostic> finish();

 private:
  struct State;
  std::unique_ptr<State> state_;
};

/// Removes the new files of the command files being written, which would otherwise be
/// left beside them: for a caller's handler of a signal that stops the process. Safe in
/// a signal handler.
void removeUnfinishedCommandFiles() noexcept;

/// What convertFile converts, with what, and where it writes.
struct FileOptions {
  std::string input{};                  ///< the CDB file
  std::string commandFile{};            ///< where to write; empty: beside the input
  std::string image{};                  ///< what the LOAD line names; empty: beside the input
  std::string map{};                    ///< the linker map of the same link; empty: none
  std::vector<std::string> listings{};  ///< folders of the relocated listings; none: not read
  bool keepGoing = false;             ///< as ConvertOptions::keepGoing
  /// Where the lines go instead of a command file (standard output, say), which the
  /// rules of the command file do not concern; null: the command file.
  LineSink* output = nullptr;
};

/// Converts the CDB file `options.input` into its command file as the command line
/// does, in this order: the input must open (else inputUnusable) and be a CDB file
/// (notCdb, with the note input-is-map where it is a linker map), the map must read and
/// each listings folder be one (witnessUnusable), the command file may be made
/// (outputUnusable); then the conversion, the command file replaced whole (writeFailed
/// where it cannot be), or the lines handed to `options.output`. The listings are
/// compared with the image where it can be read, and a map beside the input that was not
/// named is suggested where bp is missing.
/// Writes no other file and prints nothing: the messages come back in the result.
[[nodiscard]] ConvertResult convertFile(const FileOptions& options);

}  // namespace torvane
