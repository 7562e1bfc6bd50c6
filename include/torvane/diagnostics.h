#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace torvane {

/// One message for the user of a run.
struct Diagnostic {
  enum class Kind { error, warning, plain };
  Kind kind = Kind::plain;
  std::size_t line = 0;  ///< the input line it is about, counted from 1; 0 where none
  std::string text;      ///< without the location, which whoever shows it adds
};

/// The messages of a run, in the order they arose. Nothing here prints them: whoever
/// runs the conversion counts them, holds them back or shows them.
class Diagnostics {
 public:
  void add(Diagnostic::Kind kind, std::string text, std::size_t line = 0);
  /// Adds an error, `text` followed directly by `detail`, and returns false, so that a
  /// parser can report and fail in one statement.
  bool fault(std::string_view text, std::string_view detail = {});
  /// As above with a single offending letter; a NUL letter adds nothing to the text.
  bool fault(std::string_view text, char letter);
  void warning(std::string text, std::size_t line = 0);

  /// How many messages of `kind` there are.
  std::size_t count(Diagnostic::Kind kind) const;
  bool empty() const { return list_.empty(); }
  std::vector<Diagnostic>::const_iterator begin() const { return list_.begin(); }
  std::vector<Diagnostic>::const_iterator end() const { return list_.end(); }

 private:
  std::vector<Diagnostic> list_;
};

}  // namespace torvane
