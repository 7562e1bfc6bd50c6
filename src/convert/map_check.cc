#include "convert/map_check.h"

#include <set>
#include <string>
#include <utility>
#include <vector>

#include "map/linker_names.h"
#include "records/address_space.h"
#include "records/function_record.h"
#include "records/program.h"
#include "records/symbol_record.h"
#include "torvane/converter.h"
#include "torvane/linker_map.h"
#include "util/hex_text.h"
#include "util/message_codes.h"
#include "util/quoted.h"
#include "util/reporter.h"

namespace torvane {

// note [comparing with the map]
// A CDB file left over from another build converts without a fault, to addresses that
// are all wrong. The map of the link says where each global really is, so every address
// a link record gave is compared with it: the start of each global function and the
// address of each global variable in the spaces the linker places (code, internal RAM
// direct and indirect, external RAM paged too, and bit space), which both files give
// as the same linked address (banked code with its bank above the 16-bit address). Not
// compared: file-static and local names, which the map does not list as globals (or
// lists for another module); symbols on the stack or in registers, which have no place
// in the map; and special function registers and their bits, fixed by the source and
// so the same whatever the link.
//
// The linker lists every global it links, so a map that lacks one is another link's,
// even when the globals it does list agree: nearly every program shares main, putchar
// or getchar at the same library address. A cut name counts as listed for each global
// that begins with it, and its address is compared only where it is certainly the
// global's (note [linker names] in map/linker_names.cc). A global whose name is cut and
// whose cut name is missing is not counted as lacking: only a name the map would write
// whole can be missed for certain.

namespace {

// A global to compare: its C name and the address a link record gave it.
using Global = std::pair<std::string_view, int32_t>;

// The globals to compare, each once (a global is repeated in every module that
// declares it), in reading order: functions, then variables.
std::vector<Global> globalsToCompare(const Program& program) {
  std::vector<Global> globals;
  std::set<std::string_view> seen;
  auto collect = [&](std::string_view name, int32_t address) {
    if (seen.insert(name).second) globals.emplace_back(name, address);
  };
  for (const FunctionRecord& f : program.functions) {
    if (f.scope == 'G' && f.address.follows()) collect(f.name, f.address.value());
  }
  for (const SymbolRecord& s : program.symbols) {
    if (s.scope == 'G' && !s.onStack && isPlacedByLinker(s.addressSpace) &&
        s.address.follows()) {
      collect(s.name, s.address.value());
    }
  }
  return globals;
}

}  // namespace

std::vector<std::string_view> globalNames(const Program& program) {
  std::vector<std::string_view> names;
  for (const FunctionRecord& f : program.functions) {
    if (f.scope == 'G') names.push_back(f.name);
  }
  for (const SymbolRecord& s : program.symbols) {
    if (s.scope == 'G') names.push_back(s.name);
  }
  return names;
}

MapVerdict judgeMap(const Program& program, const LinkerMap& map) {
  LinkerNames names(map, globalNames(program));
  MapVerdict verdict;
  std::vector<Global> globals = globalsToCompare(program);
  verdict.globals = globals.size();
  for (const auto& [name, address] : globals) {
    if (!names.rows(name)) {
      if (LinkerNames::writtenWhole(name) && verdict.lacking++ == 0) verdict.firstLacking = quoted(name);
      continue;
    }
    ++verdict.listed;
    std::optional<uint32_t> listed = names.addressOf(name);
    if (!listed) continue;  // a cut name that is not certainly this global's
    ++verdict.compared;
    uint32_t here = static_cast<uint32_t>(address);
    if (here == *listed || verdict.differing++ > 0) continue;
    verdict.firstDifference = quoted(name) + ": " + hexText(here) + " here, " +
                              hexText(*listed) + " in the map";
  }
  return verdict;
}

void warnOfMap(const MapVerdict& verdict, const ConvertOptions& options,
               Reporter& diagnostics) {
  std::string differ = std::to_string(verdict.differing) + " of " +
                       std::to_string(verdict.compared) + " addresses differ";
  std::string difference = " (" + verdict.firstDifference + ")";
  if (verdict.globals > 0 && verdict.listed == 0) {
    diagnostics.addAbout(options.mapName, Diagnostic::Kind::warning, code::kMapOfAnotherProgram,
                         options.mapName + " lists none of the " +
                        std::to_string(verdict.globals) + " globals of " + options.inputName +
                        "; it is not the map of this program");
  } else if (verdict.lacking > 0) {
    std::string text = options.mapName + " lacks " +
                       std::to_string(verdict.lacking) + " of the " +
                       std::to_string(verdict.globals) + " globals of " + options.inputName +
                       " (first: " + verdict.firstLacking + ")";
    if (verdict.differing > 0) text += " and " + differ + difference;
    diagnostics.addAbout(options.mapName, Diagnostic::Kind::warning, code::kMapOfAnotherLink,
                         text + "; it is not the map of this link");
  } else if (verdict.differing > 0) {
    diagnostics.addAbout(options.mapName, Diagnostic::Kind::warning, code::kMapAddressesDiffer,
                         differ + " from " + options.mapName + difference +
                        "; the CDB file and the map are not from the same link");
  }
}

}  // namespace torvane
