#include "map/linker_names.h"

#include <set>

namespace torvane {

// note [linker names]
// The linker lists a C global x under its own name for it, _x, and writes at most
// kNameWidth characters of a name (its "%-32.32s"). A name of up to kNameWidth
// characters stands whole, so a map without it lacks it for certain; a longer one stands
// cut, and may stand for several globals that begin alike, or for another module's
// symbol that no record of the CDB file describes. A row is taken as a global's only
// where that cannot be: its name written whole (up to one character less than the
// width, since only then no longer name is cut to it), or the cut name of one global
// alone, on one row.

LinkerNames::LinkerNames(const LinkerMap& map, const std::vector<std::string_view>& globals)
    : map_(map) {
  std::set<std::string_view> counted;
  for (std::string_view name : globals) {
    std::string written = writtenName(name);
    if (written.size() < LinkerMap::kNameWidth || !counted.insert(name).second) continue;
    ++sharing_[written];
  }
}

std::string LinkerNames::writtenName(std::string_view name) {
  std::string written = "_" + std::string(name);
  if (written.size() > LinkerMap::kNameWidth) written.resize(LinkerMap::kNameWidth);
  return written;
}

bool LinkerNames::writtenWhole(std::string_view name) {
  return name.size() + 1 <= LinkerMap::kNameWidth;
}

const LinkerMap::Listing* LinkerNames::rows(std::string_view name) const {
  return map_.listing(writtenName(name));
}

std::optional<uint32_t> LinkerNames::addressOf(std::string_view name) const {
  std::string written = writtenName(name);
  const LinkerMap::Listing* listed = map_.listing(written);
  if (!listed) return std::nullopt;
  if (written.size() == LinkerMap::kNameWidth) {
    auto sharing = sharing_.find(written);
    if (listed->rows > 1 || (sharing != sharing_.end() && sharing->second > 1)) return std::nullopt;
  }
  return listed->address;
}

}  // namespace torvane
