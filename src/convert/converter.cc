#include "convert/converter.h"

#include <new>
#include <optional>
#include <set>
#include <string>

#include "cdb/line_reader.h"
#include "convert/emission.h"
#include "map/linker_map.h"
#include "output/address_space.h"
#include "output/command_writer.h"
#include "records/function_record.h"
#include "records/program.h"
#include "records/record_reader.h"
#include "records/symbol_record.h"

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
// so the same whatever the link. A map that lists none of the globals compared is of
// another program: nothing could be compared, which must not pass for a check that
// found nothing.
void checkAgainstMap(const Program& program, const ConversionOptions& options,
                     Diagnostics& diagnostics) {
  const LinkerMap& map = *options.map;
  std::size_t globals = 0;  // the distinct globals that the map should list
  std::size_t compared = 0;
  std::size_t differing = 0;
  std::string firstDifference;
  std::set<std::string_view> seen;  // a global is repeated in every module that declares it
  auto compare = [&](std::string_view name, int32_t address) {
    if (!seen.insert(name).second) return;
    ++globals;
    std::optional<uint32_t> listed = map.addressOf(name);
    if (!listed) return;
    ++compared;
    uint32_t here = static_cast<uint32_t>(address);
    if (here == *listed || differing++ > 0) return;
    firstDifference = std::string(name) + ": " + hexText(here) + " here, " + hexText(*listed) +
                      " in the map";
  };
  for (const FunctionRecord& f : program.functions) {
    if (f.scope == 'G' && f.address.follows()) compare(f.name, f.address.value());
  }
  for (const SymbolRecord& s : program.symbols) {
    if (s.scope == 'G' && !s.onStack && addressSpaceOf(s.addressSpace).linked &&
        s.address.follows()) {
      compare(s.name, s.address.value());
    }
  }
  if (globals > 0 && compared == 0) {
    diagnostics.warning("Warning: " + options.mapName + " lists none of the " +
                        std::to_string(globals) + " globals of " + options.inputName +
                        "; it is not the map of this program");
  } else if (differing > 0) {
    diagnostics.warning("Warning: " + std::to_string(differing) + " of " +
                        std::to_string(compared) + " addresses differ from " + options.mapName +
                        " (" + firstDifference +
                        "); the CDB file and the map are not from the same link");
  }
}

// Reads and writes everything, up to the sections; the caller ends the command file.
Outcome readAndWrite(LineReader& input, const ConversionOptions& options, Program& program,
                     CommandWriter& out, Diagnostics& diagnostics) {
  ReadResult read = readRecords(input, program, diagnostics, options.keepGoing);
  if (read.end == ReadResult::End::failed) return Outcome::readError;
  if (read.end == ReadResult::End::rejected) return Outcome::rejected;
  FramePointerElsewhere bp;
  if (options.map) {
    bp.source = options.mapName;
    bp.address = options.map->addressOf("bp");
  }
  bp.hint = options.mapHint;
  EmissionResult emitted = emitAll(program, out, diagnostics, bp, options.keepGoing);
  if (!emitted.complete && !options.keepGoing) return Outcome::emitFailed;
  return read.skipped + emitted.skipped > 0 ? Outcome::skipped : Outcome::converted;
}

// What the user must know of a conversion beyond the messages of its records.
void report(Outcome outcome, const LineReader& input, const Program& program,
            const ConversionOptions& options, Diagnostics& diagnostics) {
  if (outcome == Outcome::readError || outcome == Outcome::outOfMemory) return;
  if (outcome != Outcome::rejected) {
    warnOfUnlinkedFunctions(program, diagnostics);
    if (options.map) checkAgainstMap(program, options, diagnostics);
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

Conversion convert(LineReader& input, const ConversionOptions& options, LineSink& sink) {
  Conversion result;
  // A file whose first line is no record is no CDB file at all (a map, an image or a
  // source given by mistake): it gives no command file.
  if (!startsAsCdb(input, result.diagnostics)) {
    result.outcome = Outcome::notCdb;
    return result;
  }
  CommandWriter out(sink);
  out.open();
  try {
    Program program(out);
    result.outcome = readAndWrite(input, options, program, out, result.diagnostics);
    if (result.outcome == Outcome::readError) result.readError = input.error();
    report(result.outcome, input, program, options, result.diagnostics);
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
