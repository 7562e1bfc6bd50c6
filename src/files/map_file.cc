#include <cerrno>
#include <cstring>

#include "files/file_access.h"
#include "torvane/files.h"
#include "torvane/linker_map.h"
#include "util/message_codes.h"

namespace torvane {

std::optional<Diagnostic> readMapFile(const std::string& name, LinkerMap& map) {
  std::string why;
  InputFile input = openInput(name, why);
  if (!input) return fileFailure(name, code::kMapUnopenable, "Cannot open .map input file", why);
  std::string text;
  if (!readRest(input.get(), text)) {
    return fileFailure(name, code::kMapUnreadable, "Cannot read .map input file",
                       std::strerror(errno));
  }
  if (map.read(text)) return std::nullopt;
  Diagnostic notMap;
  notMap.kind = Diagnostic::Kind::failure;
  notMap.code = code::kNotAMap;
  notMap.file = name;
  notMap.text = name + " is not a linker map";
  return notMap;
}

}  // namespace torvane
