#include <cerrno>
#include <cstring>

#include "files/file_access.h"
#include "map/map_lines.h"
#include "torvane/files.h"
#include "torvane/linker_map.h"
#include "util/line_reader.h"
#include "util/message_codes.h"

namespace torvane {

std::optional<Diagnostic> readMapFile(const std::string& name, LinkerMap& map) {
  std::string why;
  InputFile input = openInput(name, why);
  if (!input) {
    return fileFailure(name, code::kMapUnopenable, "Cannot open .map input file", name + ": " + why);
  }
  // Read line by line: no map, however long, costs more than a line at a time.
  LineReader lines(input.get());
  bool read = MapLines::read(map, lines);
  if (lines.failed()) {
    return fileFailure(name, code::kMapUnreadable, "Cannot read .map input file",
                       name + ": " + lines.error());
  }
  if (lines.lineTooLong()) return lineTooLong(name, lines);
  if (read) return std::nullopt;
  return failureAbout(name, code::kNotAMap, name + " is not a linker map");
}

// A map's lines are short: a file whose lines are not (an image, or the zeros of a
// device) is told from a map within its first such line.
bool isLinkerMap(std::FILE* file) {
  constexpr std::size_t kLongestMapLine = 64 * 1024;
  LineReader lines(file, LineReader::kBlockSize, kLongestMapLine);
  LinkerMap map;
  return MapLines::read(map, lines);
}

}  // namespace torvane
