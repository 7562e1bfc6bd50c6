#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

#include "torvane/line_sink.h"
#include "util/output_file.h"

namespace torvane {

class LinkerMap;

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
[[nodiscard]] OutputNames deriveOutputNames(std::string_view inputName);

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
/// An input file, open for reading as bytes.
using InputFile = std::unique_ptr<std::FILE, FileCloser>;

/// Opens an input for reading; null with the system's reason in `why`.
[[nodiscard]] InputFile openInput(const char* name, std::string& why);

/// Reads the rest of `input` into `text`; false on a read error.
[[nodiscard]] bool readRest(std::FILE* input, std::string& text);

/// Why the command file may not be written where `names` put it, or empty: it never
/// replaces the input, the map (null for none) or the image, which are only read or
/// named, nor a file that is not a command file.
[[nodiscard]] std::string refusalOf(const char* inputName, const char* mapName,
                                    const OutputNames& names);

/// The command file as it is written. See note [replaced whole] in files.cc.
class CommandFileOutput : public LineSink {
 public:
  CommandFileOutput() = default;
  ~CommandFileOutput() override;
  CommandFileOutput(const CommandFileOutput&) = delete;
  CommandFileOutput& operator=(const CommandFileOutput&) = delete;

  /// Opens the command file `name`; false with the reason in `why`.
  [[nodiscard]] bool open(const std::string& name, std::string& why);

  bool take(std::string_view line) override;

  /// Closes the file and puts it in place; false with the reason in `why`, and then the
  /// file that was there before is left as it was wherever it can be.
  [[nodiscard]] bool finish(std::string& why);

 private:
  void noteFailure();

  OutputFile file_;
  std::string target_;     // the file that is replaced
  std::string temporary_;  // where the lines go until then; empty when written in place
  std::string error_;      // the first failure
};

}  // namespace torvane
