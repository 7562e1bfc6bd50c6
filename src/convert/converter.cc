#include "torvane/converter.h"

#include <new>
#include <optional>
#include <string>

#include "convert/emission.h"
#include "convert/map_check.h"
#include "convert/witnesses.h"
#include "output/command_writer.h"
#include "records/function_record.h"
#include "records/program.h"
#include "records/record_reader.h"
#include "torvane/line_reader.h"
#include "torvane/line_sink.h"
#include "torvane/linker_map.h"
#include "util/hex_text.h"

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
  diagnostics.warning(std::to_string(unlinked) + " of " + std::to_string(functions) +
                      " functions have no code address; convert the CDB file of the linked"
                      " program");
}

// What the map gives of the frame pointer: nothing unless it is this link's map.
FramePointerInMap framePointerInMap(const ConvertOptions& options, const MapVerdict* verdict) {
  FramePointerInMap bp;
  bp.note = options.mapHint;
  if (!verdict) return bp;
  std::optional<uint32_t> listed = options.map->addressOf("bp");
  if (verdict->trusted()) {
    bp.mapName = options.mapName;
    bp.address = listed;
  } else if (listed) {
    // Another program's frame pointer would misplace every local on the stack.
    bp.note = "  bp not taken from " + options.mapName + " (" + hexText(*listed) + "): " +
              (verdict->ofAnotherLink() ? "it is not the map of this link"
                                        : "its addresses differ from the CDB file's");
  }
  return bp;
}

// What the build's other outputs say of the program read.
struct Witnesses {
  std::optional<MapVerdict> map;
  WitnessReport others;
};

// Everything between the header and the LOAD line: the records read, the lines of
// reading, and the sections when reading went through.
Outcome readAndWrite(LineReader& input, const ConvertOptions& options, Program& program,
                     CommandWriter& out, ConvertResult& result, Witnesses& witnesses) {
  Diagnostics& diagnostics = result.diagnostics;
  if (options.readListing) program.keepLinePlaces();
  ReadResult read;
  try {
    read = readRecords(input, program, diagnostics, options.keepGoing);
  } catch (const std::bad_alloc&) {
    writeLinesOfReading(program, out);  // what was read before memory ran out
    throw;
  }
  writeLinesOfReading(program, out);
  if (read.end == ReadResult::End::failed) return Outcome::readError;
  if (read.end == ReadResult::End::rejected) return Outcome::rejected;
  if (options.map) witnesses.map = judgeMap(program, *options.map);
  const MapVerdict* verdict = witnesses.map ? &*witnesses.map : nullptr;
  witnesses.others = bindFromWitnesses(program, options, verdict);
  result.symbolsPlacedByMap = witnesses.others.placedByMap;
  result.symbolsPlacedByListings = witnesses.others.placedByListings;
  FramePointerInMap bp = framePointerInMap(options, verdict);
  EmissionResult written = writeSections(program, out, diagnostics, bp, options.keepGoing);
  result.symbolsWithoutAddress = written.withoutAddress;
  if (!written.allWritten && !options.keepGoing) return Outcome::unwritten;
  return read.skipped + written.leftOut > 0 ? Outcome::skipped : Outcome::complete;
}

// What the user must know of a conversion beyond the messages of its records.
void report(Outcome outcome, const LineReader& input, const Program& program,
            const ConvertOptions& options, const Witnesses& witnesses, Diagnostics& diagnostics) {
  if (outcome == Outcome::readError) return;
  if (outcome != Outcome::rejected) {
    warnOfUnlinkedFunctions(program, diagnostics);
    if (witnesses.map) warnOfMap(*witnesses.map, options, diagnostics);
    warnOfWitnesses(witnesses.others, options, diagnostics);
  }
  // SDCC ends every line it writes: a last line without its line end is most likely
  // cut short, and its last field (an address, say) with it.
  if (input.lastLineUnended()) {
    diagnostics.warning("the last line has no line end; the file may be cut short",
                        input.lineNumber());
  }
  if (input.lineNumber() == 0) diagnostics.warning(options.inputName + " holds no records");
}

}  // namespace

std::string notCdbMessage(std::string_view inputName) {
  return std::string(inputName) + " is not a CDB file; nothing was written";
}

ConvertResult convert(LineReader& input, const ConvertOptions& options, LineSink& sink) {
  ConvertResult result;
  // A file whose first line is no record is no CDB file at all (a map, an image or a
  // source given by mistake): it gives no command file.
  if (!startsAsCdb(input)) {
    result.diagnostics.add(Diagnostic::Kind::failure, notCdbMessage(options.inputName));
    result.outcome = Outcome::notCdb;
    return result;
  }
  CommandWriter out(sink);
  out.header();
  try {
    Program program;
    Witnesses witnesses;
    result.outcome = readAndWrite(input, options, program, out, result, witnesses);
    if (result.outcome == Outcome::readError) result.readError = input.error();
    report(result.outcome, input, program, options, witnesses, result.diagnostics);
  } catch (const std::bad_alloc&) {
    result.outcome = Outcome::outOfMemory;
  }
  // Whatever happened, the command file ends with its LOAD line and trailer.
  out.load(options.image);
  out.trailer();
  result.writeFailed = out.failed();
  return result;
}

ConvertResult convert(std::string_view cdb, const ConvertOptions& options,
                      std::string& commandFile) {
  LineReader input(cdb);
  TextSink sink(commandFile);
  return convert(input, options, sink);
}

}  // namespace torvane
