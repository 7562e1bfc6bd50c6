#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace torvane {

class Reporter;
class LinkerMap;
class Program;
struct EmissionResult;
struct ConvertOptions;
struct MapVerdict;

/// What the build's other outputs gave of the addresses the CDB file leaves out.
struct WitnessReport {
  /// Each listing of another build, and what is said of it.
  std::vector<std::pair<std::string, std::string>> staleListings;
  std::size_t modules = 0;                 ///< the modules whose listing was looked for
  std::size_t missingListings = 0;         ///< those without one
  std::string firstMissing;                ///< where the first missing one was looked for
  std::string listingsFound;               ///< where listings lie though none were named
  /// The listings not used for a line too long, and that line.
  std::vector<std::pair<std::string, std::size_t>> longLines;
  std::size_t unboundBits = 0;             ///< bit variables left without an address
  std::size_t placedByListings = 0;        ///< symbol records the listings placed
  std::size_t placedByMap = 0;             ///< symbol records the map placed
};

/// Binds what the CDB file leaves unbound from the relocated listings of its modules,
/// where asked for, and from the map of the same link, where `verdict` trusts it: the
/// addresses of the symbols without an address record. See note [bit variables] in
/// witnesses.cc.
[[nodiscard]] WitnessReport bindFromWitnesses(Program& program, const ConvertOptions& options,
                                              const MapVerdict* verdict);

/// Notes in `report` how many bit variables stay without an address (the emission
/// counts them as it writes), and where their listings lie though none were named.
void noteBitsWithoutAddress(const Program& program, const ConvertOptions& options,
                            const EmissionResult& written, WitnessReport& report);

/// The warnings of `report`: listings of another build, and bit variables still without
/// an address in a linked program.
void warnOfWitnesses(const WitnessReport& report, const ConvertOptions& options,
                     Reporter& diagnostics);

}  // namespace torvane
