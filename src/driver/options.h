#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace torvane {

/// What the command line asks for.
struct Request {
  enum class Action { run, help, version, usage, unknownOption, missingValue };
  Action action = Action::usage;
  const char* inputName = nullptr;
  const char* outputName = nullptr;  ///< null: derived from the input name
  const char* imageName = nullptr;   ///< the image the LOAD line names; null: derived
  const char* mapName = nullptr;     ///< the linker map to check against; null: none
  /// The folders of the relocated listings, searched in this order; none: not read.
  std::vector<const char*> listings;
  bool keepGoing = false;
  bool fatalWarnings = false;
  bool quiet = false;
  std::vector<std::string_view> extra;  ///< file names after the first, not converted
  std::string_view option;              ///< the option at fault
  const char* missingValueNoun = "";    ///< what the option at fault lacks ("file name")

  /// Takes `action` as what is done, unless an earlier help, version or fault decided;
  /// `at` is the option at fault, and `lacking` what it lacks.
  void decide(Action action, std::string_view at = {}, const char* lacking = "");

 private:
  bool decided_ = false;
};

/// One option of the command line: its spellings, what the help says of it, and what
/// it does to the request.
struct Option {
  const char* shortName;  ///< "-o"; null where there is none
  const char* longName;   ///< "--output"
  const char* value;      ///< the value's name ("FILE"); null for an option without one
  const char* valueNoun;  ///< what the value is, for a message ("file name")
  const char* text;       ///< what the help says of it; each "\n" starts a further line
  /// Applies the option, with its value; null for "--", which ends the options.
  void (*apply)(Request& request, const char* value);
};

/// Every option, in the order the help lists them: the one declaration of each.
const std::vector<Option>& commandLineOptions();

/// The option lines of the help, from the table.
std::vector<std::string> optionHelpLines();

/// Reads the command line. Options are taken wherever they stand before "--", as GNU
/// tools take them; a lone "-" is a file name. The first file name is converted, any
/// other is kept as ignored. The first of help, version and a fault decides what is
/// done; --quiet counts wherever it stands.
[[nodiscard]] Request parseArguments(int argc, const char* const* argv);

}  // namespace torvane
