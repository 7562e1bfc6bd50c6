#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "torvane/diagnostics.h"

namespace torvane {

/// Adds the messages of a conversion to its Diagnostics, each with its code, about the
/// CDB file unless said otherwise; and notes a record's own messages, which go with the
/// next message added.
class Reporter {
 public:
  /// Reports into `diagnostics` about the CDB file named `file`.
  Reporter(Diagnostics& diagnostics, std::string file)
      : diagnostics_(diagnostics), file_(std::move(file)) {}

  /// Adds a message about line `line` of the CDB file (0: the whole file), and returns it
  /// for what more it says, until the next is added. The faults noted since the message
  /// before become its details.
  Diagnostic& add(Diagnostic::Kind kind, std::string_view code, std::string text,
                  std::size_t line = 0);
  Diagnostic& warning(std::string_view code, std::string text, std::size_t line = 0) {
    return add(Diagnostic::Kind::warning, code, std::move(text), line);
  }
  /// Adds `diagnostic` as it stands, with the faults noted since the message before.
  Diagnostic& add(Diagnostic diagnostic);
  /// As add, about the file `file` (a map, a listing, the command file).
  Diagnostic& addAbout(std::string file, Diagnostic::Kind kind, std::string_view code,
                       std::string text);

  /// Notes a record's own message, `text` followed directly by `detail` (quoted: see
  /// quoted.h), as a detail of the next message added, and returns false, so that a
  /// parser can report and fail in one statement.
  bool fault(std::string_view text, std::string_view detail = {});
  /// As above with a single offending letter; a NUL letter adds nothing to the text.
  bool fault(std::string_view text, char letter);

 private:
  Diagnostics& diagnostics_;
  std::string file_;
  std::vector<std::string> faults_;  // details waiting for their message
};

}  // namespace torvane
