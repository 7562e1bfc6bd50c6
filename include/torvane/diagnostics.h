#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace torvane {

/// One message for the user of a conversion.
struct Diagnostic {
  enum class Kind {
    failure,  ///< the conversion could not be done: a file that cannot be used, say
    error,    ///< a record that could not be converted, or a program the debugger cannot serve
    warning,  ///< something the command file may get wrong, or that was left out
    note,     ///< what was done where nothing else said it
  };
  Kind kind = Kind::note;
  /// What the message is, in a word that never changes and is never reused, whatever its
  /// text ("record-skipped", "map-of-another-link"): the README's table lists them all.
  std::string_view code;
  /// The file it is about, as the caller named it: the CDB file, the map, a listing, the
  /// command file; empty for none.
  std::string file;
  std::size_t line = 0;  ///< the line of `file` it is about, counted from 1; 0 where none
  std::string text;      ///< without a prefix or location; further lines after line feeds
  /// The messages of the record at fault, in the order they arose, shown before it.
  std::vector<std::string> details;
  /// A file or folder that, named, would settle the message: the map beside the input
  /// where bp is missing, the folder of the listings where bit variables have no
  /// address, the CDB file of a map given as the input; empty for none.
  std::string suggestion;
};

class Reporter;

/// The messages of a conversion, in the order they arose. Nothing here prints them:
/// whoever runs the conversion counts them, holds them back or shows them.
class Diagnostics {
 public:
  /// How many messages of `kind` there are.
  [[nodiscard]] std::size_t count(Diagnostic::Kind kind) const;
  /// How many messages there are.
  [[nodiscard]] std::size_t size() const { return list_.size(); }
  std::vector<Diagnostic>::const_iterator begin() const { return list_.begin(); }
  std::vector<Diagnostic>::const_iterator end() const { return list_.end(); }

 private:
  friend class Reporter;  // the conversion's own, which adds them
  std::vector<Diagnostic> list_;
};

/// A message as text, a line each (a message of several lines, several): the record's
/// details first, as they stand; then a message about a line of a file as
/// "FILE:N: error: ..." ("warning: ", "note: "), as editors and build logs expect; any
/// other error after "Error: ", warning after "Warning: ", failure or note as it stands.
[[nodiscard]] std::string renderDiagnostic(const Diagnostic& diagnostic);

/// Every message as renderDiagnostic words it, in order.
[[nodiscard]] std::string renderDiagnostics(const Diagnostics& diagnostics);

}  // namespace torvane
