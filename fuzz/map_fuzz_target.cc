// Feeds arbitrary bytes to the linker map reader, as --map hands it a file's text.
// Besides what the sanitizers catch, it checks what every reading must give: a text is
// accepted as a map exactly when it yields a symbol, and reading is the same for the
// same text, whatever the line ends.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "map/map_lines.h"
#include "torvane/linker_map.h"

using namespace torvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  LinkerMap map;
  bool accepted = map.read(text);
  if (accepted != (MapLines::namesListed(map) > 0)) std::abort();

  // A carriage return before every line feed reads alike: CR LF maps are the same maps.
  std::string crlf;
  for (char c : text) {
    if (c == '\n') crlf += '\r';
    crlf += c;
  }
  LinkerMap again;
  if (again.read(crlf) != accepted || MapLines::namesListed(again) != MapLines::namesListed(map)) std::abort();
  return 0;
}
