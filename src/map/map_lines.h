#pragma once

#include <cstddef>

#include "torvane/linker_map.h"
#include "util/line_reader.h"

namespace torvane {

/// A linker map read line by line, from a file of any length, and what it lists.
class MapLines {
 public:
  /// Reads the symbol tables of what `lines` reads into `map`; false when it holds no
  /// table with a row, or a line longer than the reader's limit (which it then tells).
  static bool read(LinkerMap& map, LineReader& lines) { return map.readLines(lines); }

  /// How many names `map` lists.
  static std::size_t namesListed(const LinkerMap& map) { return map.symbols_.size(); }
};

}  // namespace torvane
