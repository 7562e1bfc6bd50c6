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

Diagnostic fileFailure(std::string file, std::string_view code, std::string_view what,
                       std::string_view why) {
  Diagnostic d;
  d.kind = Diagnostic::Kind::failure;
  d.code = code;
  d.file = std::move(file);
  d.text.append(what).append(": ").append(why);
  return d;
}

Diagnostic lineTooLong(std::string file, const LineReader& lines) {
  Diagnostic d;
  d.kind = Diagnostic::Kind::failure;
  d.code = code::kLineTooLong;
  d.file = std::move(file);
  d.line = lines.lineNumber();
  d.text = tooLongText(lines.lineLimit());
  return d;
}

}  // namespace torvane
