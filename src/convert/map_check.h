#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace torvane {

class Reporter;
class LinkerMap;
class Program;
struct ConvertOptions;

/// What a linker map says of the globals of a program read: whether it is the map of
/// the same link. See note [comparing with the map] in map_check.cc.
struct MapVerdict {
  std::size_t globals = 0;    ///< the distinct globals compared
  std::size_t listed = 0;     ///< those the map lists, by their whole or their cut name
  std::size_t lacking = 0;    ///< those it lacks, among the names it would write whole
  std::string firstLacking;
  std::size_t compared = 0;   ///< addresses compared
  std::size_t differing = 0;  ///< addresses that differ
  std::string firstDifference;

  /// The map lacks globals that the linker lists for every link.
  bool ofAnotherLink() const { return lacking > 0 || (globals > 0 && listed == 0); }
  /// The map is of this link, as far as can be told.
  bool trusted() const { return !ofAnotherLink() && differing == 0; }
};

/// The names of the globals of `program`, functions and variables, bound or not, in
/// reading order; a global declared in several modules comes once for each.
[[nodiscard]] std::vector<std::string_view> globalNames(const Program& program);

/// Compares every linked global of `program` with `map`.
[[nodiscard]] MapVerdict judgeMap(const Program& program, const LinkerMap& map);

/// The warning a map that is not this link's gets, if any.
void warnOfMap(const MapVerdict& verdict, const ConvertOptions& options, Reporter& diagnostics);

}  // namespace torvane
