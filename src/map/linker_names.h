#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "torvane/linker_map.h"

namespace torvane {

/// The rows of a linker map that are the C globals of one program. The linker names a C
/// global x _x, and writes at most LinkerMap::kNameWidth characters of a name: a longer
/// one is listed under its cut name, which several globals may share. See note [linker
/// names] in linker_names.cc.
class LinkerNames {
 public:
  /// For the globals named `globals` (a name may come more than once) of a program
  /// whose map is `map`, which must outlive this.
  LinkerNames(const LinkerMap& map, const std::vector<std::string_view>& globals);

  /// The rows under the name the map writes for the global `name`; null for none.
  const LinkerMap::Listing* rows(std::string_view name) const;

  /// The address of the row that is certainly the global `name`'s: the row of a name
  /// written whole, or of a cut name that one global alone begins with and one row
  /// bears; none where there is no such row.
  std::optional<uint32_t> addressOf(std::string_view name) const;

  /// True when the map writes the linker's name for `name` whole, so that a map without
  /// it lacks the global for certain.
  static bool writtenWhole(std::string_view name);

 private:
  // The name the map writes for the global `name`.
  static std::string writtenName(std::string_view name);

  const LinkerMap& map_;
  // For each name as the map writes it that a longer name may be cut to: how many
  // distinct globals the map would list under it.
  std::unordered_map<std::string, std::size_t> sharing_;
};

}  // namespace torvane
