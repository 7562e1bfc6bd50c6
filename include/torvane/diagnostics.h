#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace torvane {

/// One message for the user of a run.
struct Diagnostic {
  enum class Kind {
    failure,  ///< the run could not be done: a file that cannot be used, say
    error,    ///< a record that could not be converted, or a program the debugger cannot serve
    warning,  ///< something the command file may get wrong, or that was left out
    note,     ///< what was done where nothing else said it
  };
  Kind kind = Kind::note;
  std::size_t line = 0;  ///< the input line it is about, counted from 1; 0 where none
  std::string text;      ///< without a prefix or location; further lines after line feeds
  /// The messages of the record at fault, in the order they arose, shown before it.
  std::vector<std::string> details;
  bool aboutCommandLine = false;  ///< said of the command line itself
};

/// The messages of a run, in the order they arose. Nothing here prints them: whoever
/// runs the conversion counts them, holds them back or shows them.
class Diagnostics {
 public:
  /// Adds a message. The faults noted since the message before it become its details.
  void add(Diagnostic::Kind kind, std::string text, std::size_t line = 0);
  void warning(std::string text, std::size_t line = 0) {
    add(Diagnostic::Kind::warning, std::move(text), line);
  }
  /// Adds a message about the command line, such as an argument ignored.
  void addAboutCommandLine(Diagnostic::Kind kind, std::string text);

  /// Notes a record's own message, `text` followed directly by `detail`, as a detail of
  /// the next message added, and returns false, so that a parser can report and fail in
  /// one statement.
  bool fault(std::string_view text, std::string_view detail = {});
  /// As above with a single offending letter; a NUL letter adds nothing to the text.
  bool fault(std::string_view text, char letter);

  /// How many messages of `kind` there are.
  [[nodiscard]] std::size_t count(Diagnostic::Kind kind) const;
  std::vector<Diagnostic>::const_iterator begin() const { return list_.begin(); }
  std::vector<Diagnostic>::const_iterator end() const { return list_.end(); }

 private:
  std::vector<Diagnostic> list_;
  std::vector<std::string> faults_;  // details waiting for their message
};

/// The messages as the command line prints them, a line each (a message of several
/// lines, several): a record's details first, as they stand; then a message about an
/// input line as "NAME:N: error: ..." ("warning: ", "note: "), as editors and build
/// logs expect; one about the command line after the program's name ("torvane: ...");
/// any other error after "Error: ", warning after "Warning: ", failure or note as it
/// stands. `inputName` is the name of the CDB file the lines are in.
std::string renderDiagnostics(const Diagnostics& diagnostics, std::string_view inputName);

}  // namespace torvane
