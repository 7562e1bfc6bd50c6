#include "convert/listings.h"

#include <set>
#include <string>
#include <string_view>
#include <unordered_map>

#include "cdb/field_scanner.h"
#include "convert/map_check.h"
#include "listing/relocated_listing.h"
#include "output/command_writer.h"
#include "records/address_space.h"
#include "records/link_record.h"
#include "records/module_record.h"
#include "records/program.h"
#include "records/symbol_record.h"
#include "torvane/converter.h"
#include "torvane/diagnostics.h"
#include "torvane/linker_map.h"

namespace torvane {

namespace {

// note [bit variables]
// SDCC writes no address record for a variable in bit space (a __bit global, a file
// static, a local of a function that is not reentrant, a bit temporary), and the newer
// linkers list none of them in the map, so the CDB file alone would show every one at
// bit 0. The relocated listing of each module has them, under the very identity of
// their CDB records, at the address the linker gave them; older linkers list the
// globals in the map too. A listing counts only when its source lines stand where the
// CDB file's line records put them: one of another build would give other addresses
// without a word. An address record always wins, and every copy of an identity is
// bound, as link records bind them.

// A source line as a key: its file, number, level and block.
std::string lineKey(std::string_view file, int32_t line, int32_t level, int32_t block) {
  std::string key(file);
  key.append("$").append(std::to_string(line)).append("$").append(std::to_string(level));
  return key.append("$").append(std::to_string(block));
}

// The code address of each source line the CDB file gives, by its whole identity; the
// last record of an identity wins.
std::unordered_map<std::string, int32_t> lineRecords(const Program& program) {
  std::unordered_map<std::string, int32_t> records;
  if (program.linePlaces().size() != program.lineAddresses().size()) return records;
  auto change = program.fileChanges().begin();
  std::string_view file;
  std::size_t at = 0;
  for (const Program::LineAddress& line : program.lineAddresses()) {
    for (; change != program.fileChanges().end() && change->from == at; ++change) {
      file = change->file;
    }
    const Program::LinePlace& place = program.linePlaces()[at++];
    records[lineKey(file, line.line, place.level, place.block)] = line.address;
  }
  return records;
}

// Why the listing `name` is not of the build of the CDB file, or empty: the first source
// line it places elsewhere than the CDB file does, or where the CDB file has none.
std::string staleness(const RelocatedListing& listing,
                      const std::unordered_map<std::string, int32_t>& records) {
  for (const RelocatedListing::Equate& equate : listing.lines()) {
    LinkRecord source;  // the line's identity, read as its link record would be
    FieldScanner scanner(equate.identity);
    if (!source.readFields(scanner)) continue;
    std::string place = std::string(source.name) + ":" + std::to_string(source.line) + ": ";
    auto record = records.find(lineKey(source.name, source.line, source.level, source.block));
    if (record == records.end()) {
      return place + "no line record here, " + hexText(equate.address) + " in the listing";
    }
    uint32_t here = static_cast<uint32_t>(record->second);
    if (here != equate.address) {
      return place + hexText(here) + " here, " + hexText(equate.address) + " in the listing";
    }
  }
  return {};
}

// Reads each module's listing, and binds from those of this build.
void bindFromListings(Program& program, const ConvertOptions& options, WitnessReport& report) {
  std::unordered_map<std::string, int32_t> records = lineRecords(program);
  std::set<std::string_view> read;
  for (const ModuleRecord& module : program.modules) {
    if (!read.insert(module.name).second) continue;  // a module repeated
    ++report.modules;
    std::string text;
    if (!options.readListing(module.name, text)) {
      ++report.missingListings;
      continue;
    }
    RelocatedListing listing;
    listing.read(text);
    std::string stale = staleness(listing, records);
    if (!stale.empty()) {
      report.staleListings.push_back(std::string(module.name) + ".rst is not from the same build as " +
                                     options.inputName + " (" + stale + ")");
      continue;
    }
    for (const RelocatedListing::Equate& equate : listing.symbols()) {
      LinkRecord symbol;  // the symbol's identity, read as its link record would be
      FieldScanner scanner(equate.identity);
      if (symbol.readFields(scanner)) {
        bindUnlinkedSymbol(program, symbol.identity(), static_cast<int32_t>(equate.address));
      }
    }
  }
}

// The bit variables an older map lists: globals, by their linker name.
void bindFromMap(Program& program, const LinkerMap& map) {
  for (const SymbolRecord& s : program.symbols) {
    if (s.scope != 'G' || s.addressSpace != kBitSpace) continue;
    if (std::optional<uint32_t> listed = map.addressOf(s.name)) {
      bindUnlinkedSymbol(program, s.identity(), static_cast<int32_t>(*listed));
    }
  }
}

// The bit variables still without an address, each identity once.
std::size_t unboundBitVariables(const Program& program) {
  std::size_t count = 0;
  for (const SymbolRecord& s : program.symbols) {
    if (s.addressSpace != kBitSpace || s.onStack || s.address.follows()) continue;
    if (program.symbols.find(s.identity()) == &s) ++count;
  }
  return count;
}

}  // namespace

WitnessReport bindFromWitnesses(Program& program, const ConvertOptions& options,
                                const MapVerdict* verdict) {
  WitnessReport report;
  if (options.readListing) bindFromListings(program, options, report);
  if (verdict && verdict->trusted()) bindFromMap(program, *options.map);
  if (program.hasLinkRecords) report.unboundBits = unboundBitVariables(program);
  return report;
}

void warnOfWitnesses(const WitnessReport& report, const ConvertOptions& options,
                     Diagnostics& diagnostics) {
  for (const std::string& stale : report.staleListings) diagnostics.warning(stale);
  if (report.unboundBits == 0) return;
  std::string text = std::to_string(report.unboundBits) +
                     (report.unboundBits == 1 ? " bit variable of " : " bit variables of ") +
                     options.inputName + (report.unboundBits == 1 ? " has" : " have") +
                     " no address (SDCC writes none); ";
  if (!options.readListing) {
    text += "name the folder of the listings: torvane --listings DIR " + options.inputName;
  } else {
    text += "no listing in " + options.listingsName + (report.unboundBits == 1 ? " gives it" : " gives them");
    if (report.missingListings > 0) {
      text += " (" + std::to_string(report.missingListings) + " of " +
              std::to_string(report.modules) + " listings missing)";
    }
  }
  diagnostics.warning(text);
}

}  // namespace torvane
