#include "torvane/converter.h"

#include <map>
#include <new>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "torvane/line_reader.h"
#include "convert/emission.h"
#include "torvane/linker_map.h"
#include "output/address_space.h"
#include "output/command_writer.h"
#include "records/function_record.h"
#include "records/program.h"
#include "records/record_reader.h"
#include "records/symbol_record.h"

namespace torvane {

namespace {

// Functions no link record gave a start address: the file is of an unlinked module.
void warnOfUnlinkedFunctions(const Program& program, Diagnostics& diagnostics) {
  std::size_t functions = 0;
  std::size_t unlinked = 0;
  for (const FunctionRecord& f : program.functions) {
    ++functions;
    if (!f.address.follows()) ++unlinked;
  }
  if (unlinked == 0) return;
  diagnostics.warning("Warning: " + std::to_string(unlinked) + " of " + std::to_string(functions) +
                      " functions have no code address; convert the CDB file of the linked"
                      " program");
}

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
// or getchar at the same library address. The linker writes at most kNameWidth
// characters of a name, and several globals may begin with the same cut name: a cut
// name counts as listed for each of them, and its address is compared only where it
// can be told whose it is (one global begins with it, and one row bears it). A global
// whose name is cut and whose cut name is missing is not counted as lacking: only a
// name the map would write whole can be missed for certain.

// What the map says of the CDB file's globals.
struct MapVerdict {
  std::size_t globals = 0;    // the distinct globals compared
  std::size_t listed = 0;     // those the map lists, by their whole or their cut name
  std::size_t lacking = 0;    // those it lacks, among names it would write whole
  std::string firstLacking;
  std::size_t compared = 0;   // addresses compared
  std::size_t differing = 0;  // addresses that differ
  std::string firstDifference;

  bool ofAnotherLink() const { return lacking > 0 || (globals > 0 && listed == 0); }
  bool trusted() const { return !ofAnotherLink() && differing == 0; }
};

MapVerdict judgeMap(const Program& program, const LinkerMap& map) {
  // The globals to compare, each once (a global is repeated in every module that
  // declares it), in reading order: functions, then variables.
  std::vector<std::pair<std::string_view, int32_t>> globals;
  std::set<std::string_view> seen;
  auto collect = [&](std::string_view name, int32_t address) {
    if (seen.insert(name).second) globals.emplace_back(name, address);
  };
  for (const FunctionRecord& f : program.functions) {
    if (f.scope == 'G' && f.address.follows()) collect(f.name, f.address.value());
  }
  for (const SymbolRecord& s : program.symbols) {
    if (s.scope == 'G' && !s.onStack && addressSpaceOf(s.addressSpace).linked &&
        s.address.follows()) {
      collect(s.name, s.address.value());
    }
  }
  std::map<std::string, std::size_t> sharingCutName;  // globals that begin with each cut name
  for (const auto& global : globals) {
    std::string linkerName = "_" + std::string(global.first);
    if (linkerName.size() >= LinkerMap::kNameWidth) {
      ++sharingCutName[linkerName.substr(0, LinkerMap::kNameWidth)];
    }
  }

  MapVerdict verdict;
  verdict.globals = globals.size();
  for (const auto& [name, address] : globals) {
    std::string linkerName = "_" + std::string(name);
    bool cut = linkerName.size() >= LinkerMap::kNameWidth;
    if (cut) linkerName.resize(LinkerMap::kNameWidth);
    const LinkerMap::Listing* listed = map.listing(linkerName);
    if (!listed) {
      if (!cut && verdict.lacking++ == 0) verdict.firstLacking = name;
      continue;
    }
    ++verdict.listed;
    if (cut && (sharingCutName[linkerName] > 1 || listed->rows > 1)) continue;
    ++verdict.compared;
    uint32_t here = static_cast<uint32_t>(address);
    if (here == listed->address || verdict.differing++ > 0) continue;
    verdict.firstDifference = std::string(name) + ": " + hexText(here) + " here, " +
                              hexText(listed->address) + " in the map";
  }
  return verdict;
}

// The warning a map that is not this link's gets, if any.
void warnOfMap(const MapVerdict& verdict, const ConversionOptions& options,
               Diagnostics& diagnostics) {
  std::string differ = std::to_string(verdict.differing) + " of " +
                       std::to_string(verdict.compared) + " addresses differ";
  std::string difference = " (" + verdict.firstDifference + ")";
  if (verdict.globals > 0 && verdict.listed == 0) {
    diagnostics.warning("Warning: " + options.mapName + " lists none of the " +
                        std::to_string(verdict.globals) + " globals of " + options.inputName +
                        "; it is not the map of this program");
  } else if (verdict.lacking > 0) {
    std::string text = "Warning: " + options.mapName + " lacks " +
                       std::to_string(verdict.lacking) + " of the " +
                       std::to_string(verdict.globals) + " globals of " + options.inputName +
                       " (first: " + verdict.firstLacking + ")";
    if (verdict.differing > 0) text += " and " + differ + difference;
    diagnostics.warning(text + "; it is not the map of this link");
  } else if (verdict.differing > 0) {
    diagnostics.warning("Warning: " + differ + " from " + options.mapName + difference +
                        "; the CDB file and the map are not from the same link");
  }
}

// Reads and writes everything, up to the sections; the caller ends the command file.
Outcome readAndWrite(LineReader& input, const ConversionOptions& options, Program& program,
                     CommandWriter& out, Diagnostics& diagnostics,
                     std::optional<MapVerdict>& verdict) {
  ReadResult read = readRecords(input, program, diagnostics, options.keepGoing);
  if (read.end == ReadResult::End::failed) return Outcome::readError;
  if (read.end == ReadResult::End::rejected) return Outcome::rejected;
  FramePointerElsewhere bp;
  bp.hint = options.mapHint;
  if (options.map) {
    // A map of another link gives no frame pointer: it would be another program's.
    verdict = judgeMap(program, *options.map);
    std::optional<uint32_t> listed = options.map->addressOf("bp");
    if (verdict->trusted()) {
      bp.source = options.mapName;
      bp.address = listed;
    } else if (listed) {
      bp.hint = "  bp not taken from " + options.mapName + " (" + hexText(*listed) + "): " +
                (verdict->ofAnotherLink() ? "it is not the map of this link"
                                          : "its addresses differ from the CDB file's");
    }
  }
  EmissionResult emitted = emitAll(program, out, diagnostics, bp, options.keepGoing);
  if (!emitted.complete && !options.keepGoing) return Outcome::emitFailed;
  return read.skipped + emitted.skipped > 0 ? Outcome::skipped : Outcome::converted;
}

// What the user must know of a conversion beyond the messages of its records.
void report(Outcome outcome, const LineReader& input, const Program& program,
            const ConversionOptions& options, const std::optional<MapVerdict>& verdict,
            Diagnostics& diagnostics) {
  if (outcome == Outcome::readError || outcome == Outcome::outOfMemory) return;
  if (outcome != Outcome::rejected) {
    warnOfUnlinkedFunctions(program, diagnostics);
    if (verdict) warnOfMap(*verdict, options, diagnostics);
  }
  // SDCC ends every line it writes: a last line without its line end is most likely
  // cut short, and its last field (an address, say) with it.
  if (input.lastLineUnended()) {
    diagnostics.warning("the last line has no line end; the file may be cut short",
                        input.lineNumber());
  }
  if (input.lineNumber() == 0) {
    diagnostics.warning("Warning: " + options.inputName + " holds no records");
  }
}

}  // namespace

std::string notCdbMessage(std::string_view inputName) {
  return std::string(inputName) + " is not a CDB file; nothing was written";
}

Conversion convert(LineReader& input, const ConversionOptions& options, LineSink& sink) {
  Conversion result;
  // A file whose first line is no record is no CDB file at all (a map, an image or a
  // source given by mistake): it gives no command file.
  if (!startsAsCdb(input)) {
    result.diagnostics.add(Diagnostic::Kind::error, notCdbMessage(options.inputName));
    result.outcome = Outcome::notCdb;
    return result;
  }
  CommandWriter out(sink);
  out.open();
  try {
    Program program(out);
    std::optional<MapVerdict> verdict;
    result.outcome = readAndWrite(input, options, program, out, result.diagnostics, verdict);
    if (result.outcome == Outcome::readError) result.readError = input.error();
    report(result.outcome, input, program, options, verdict, result.diagnostics);
  } catch (const std::bad_alloc&) {
    out.dropLine();
    result.outcome = Outcome::outOfMemory;
  }
  // Whatever happened, the command file ends with its LOAD line and trailer.
  out.writeText("LOAD ");
  out.writeText(options.image);
  out.endLine();
  out.close();
  result.writeFailed = out.failed();
  return result;
}

Conversion convert(std::string_view cdb, const ConversionOptions& options,
                   std::string& commandFile) {
  LineReader input(cdb);
  TextSink sink(commandFile);
  return convert(input, options, sink);
}

}  // namespace torvane
