#include "files/file_access.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <utility>

#include "util/line_reader.h"
#include "util/message_codes.h"
#include "util/system_files.h"

namespace torvane {

// A directory opens on some systems and is refused for want of permission on others;
// everywhere it fails as what it is.
InputFile openInput(const std::string& name, std::string& why) {
  std::error_code ec;
  if (std::filesystem::is_directory(pathOf(name), ec)) {
    why = std::strerror(EISDIR);
    return nullptr;
  }
  InputFile input(openForReading(name));
  if (!input) why = std::strerror(errno);
  return input;
}

bool readRest(std::FILE* input, std::string& text, std::size_t most) {
  char block[64 * 1024];
  for (std::size_t got; (got = std::fread(block, 1, sizeof block, input)) > 0;) {
    if (got > most - text.size()) return false;
    text.append(block, got);
  }
  return !std::ferror(input);
}

bool namesListing(std::string_view module) {
  return !module.empty() && module.find_first_of("/\\:") == std::string_view::npos;
}

std::string listingName(const std::string& folder, std::string_view module) {
  bool separated = !folder.empty() && (folder.back() == '/' || folder.back() == '\\');
  return folder + (separated ? "" : "/") + std::string(module) + ".rst";
}

Diagnostic failureAbout(std::string file, std::string_view code, std::string text) {
  Diagnostic d;
  d.kind = Diagnostic::Kind::failure;
  d.code = code;
  d.file = std::move(file);
  d.text = std::move(text);
  return d;
}

Diagnostic fileFailure(std::string file, std::string_view code, std::string_view what,
                       std::string_view why) {
  std::string text(what);
  text.append(": ").append(why);
  return failureAbout(std::move(file), code, std::move(text));
}

Diagnostic lineTooLong(std::string file, const LineReader& lines) {
  Diagnostic d = failureAbout(std::move(file), code::kLineTooLong, tooLongText(lines.lineLimit()));
  d.line = lines.lineNumber();
  return d;
}

}  // namespace torvane
