#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

#include "torvane/diagnostics.h"

namespace torvane {

class LineReader;

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
/// An input file, open for reading as bytes.
using InputFile = std::unique_ptr<std::FILE, FileCloser>;

/// Opens an input for reading; null with the system's reason in `why`. A folder fails
/// as what it is, everywhere.
[[nodiscard]] InputFile openInput(const std::string& name, std::string& why);

/// Reads the rest of `input` into `text`; false on a read error, or where it holds more
/// than `most` bytes.
[[nodiscard]] bool readRest(std::FILE* input, std::string& text,
                            std::size_t most = static_cast<std::size_t>(-1));

/// A failure about the file `file`, saying `text`.
[[nodiscard]] Diagnostic failureAbout(std::string file, std::string_view code, std::string text);

/// A failure about the file `file`: `what`, a colon and `why` ("Cannot open .map input
/// file: No such file or directory").
[[nodiscard]] Diagnostic fileFailure(std::string file, std::string_view code,
                                     std::string_view what, std::string_view why);

/// A failure about the line of `file` that `lines` last read, longer than its limit.
[[nodiscard]] Diagnostic lineTooLong(std::string file, const LineReader& lines);

/// True when `module` may name a listing: a module name with a separator would lead
/// out of the folder, and names none.
[[nodiscard]] bool namesListing(std::string_view module);

/// The listing of `module` in `folder`, named as the user would type it: the folder as
/// given, a slash where it has none at its end, and MODULE.rst, on every system.
[[nodiscard]] std::string listingName(const std::string& folder, std::string_view module);

/// True when the open `file`, read from where it stands, is a linker map.
[[nodiscard]] bool isLinkerMap(std::FILE* file);

}  // namespace torvane
