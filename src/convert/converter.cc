#include "torvane/converter.h"

#include <cerrno>
#include <cstring>
#include <new>
#include <optional>
#include <string>

#include "convert/conversion.h"
#include "convert/emission.h"
#include "convert/map_check.h"
#include "convert/witnesses.h"
#include "output/command_writer.h"
#include "records/function_record.h"
#include "records/program.h"
#include "records/record_reader.h"
#include "torvane/line_sink.h"
#include "torvane/linker_map.h"
#include "util/hex_text.h"
#include "util/line_reader.h"
#include "util/message_codes.h"
#include "util/reporter.h"

namespace torvane {

namespace {

// Functions no link record gave a start address: the file is of an unlinked module. The
// emission counted them as it wrote them, unless it stopped short of some.
void warnOfUnlinkedFunctions(const Program& program, const EmissionResult& written,
                             Reporter& diagnostics) {
  std::size_t functions = written.functions;
  std::size_t unlinked = written.functionsUnlinked;
  if (!written.everyFunctionCome) {
    functions = unlinked = 0;
    for (const FunctionRecord& f : program.functions) {
      ++functions;
      if (!f.address.follows()) ++unlinked;
    }
  }
  if (unlinked == 0) return;
  diagnostics.warning(code::kUnlinkedFunctions,
                      std::to_string(unlinked) + " of " + std::to_string(functions) +
                          " functions have no code address; convert the CDB file of the linked"
                          " program");
}

// What the map gives of the frame pointer: nothing unless it is this link's map.
FramePointerInMap framePointerInMap(const ConvertOptions& options, const MapVerdict* verdict) {
  FramePointerInMap bp;
  bp.mapBeside = options.mapBeside;
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

// What the build's other outputs say of the program read, and what writing it found.
struct Witnesses {
  std::optional<MapVerdict> map;
  WitnessReport others;
  EmissionResult written;
};

// Everything between the header and the LOAD line: the records read, the lines of
// reading, and the sections when reading went through.
Outcome readAndWrite(LineReader& input, const ConvertOptions& options, Program& program,
                     CommandWriter& out, ConvertResult& result, Reporter& diagnostics,
                     Witnesses& witnesses) {
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
  // The one step that changes what was read: the witnesses place what the records leave
  // unplaced. From here on the program is only written.
  witnesses.others = bindFromWitnesses(program, options, verdict);
  result.symbolsPlacedByMap = witnesses.others.placedByMap;
  result.symbolsPlacedByListings = witnesses.others.placedByListings;
  FramePointerInMap bp = framePointerInMap(options, verdict);
  EmissionResult& written = witnesses.written;
  written = writeSections(program, out, diagnostics, bp, options.keepGoing);
  result.symbolsWithoutAddress = written.withoutAddress;
  noteBitsWithoutAddress(program, options, written, witnesses.others);
  if (!written.allWritten && !options.keepGoing) return Outcome::unwritten;
  return read.skipped + written.leftOut > 0 ? Outcome::skipped : Outcome::complete;
}

// What the user must know of a conversion beyond the messages of its records.
void report(Outcome outcome, const LineReader& input, const Program& program,
            const ConvertOptions& options, const Witnesses& witnesses, Reporter& diagnostics) {
  if (outcome == Outcome::readError) {
    std::string named = options.inputName.empty() ? "" : options.inputName + ": ";
    diagnostics.add(Diagnostic::Kind::failure, code::kInputUnreadable,
                    "Cannot read .cdb input file: " + named + input.error());
    return;
  }
  if (outcome != Outcome::rejected) {
    warnOfUnlinkedFunctions(program, witnesses.written, diagnostics);
    if (witnesses.map) warnOfMap(*witnesses.map, options, diagnostics);
    warnOfWitnesses(witnesses.others, options, diagnostics);
  }
  // SDCC ends every line it writes: a last line without its line end is most likely
  // cut short, and its last field (an address, say) with it.
  if (input.lastLineUnended()) {
    diagnostics.warning(code::kLastLineUnended,
                        "the last line has no line end; the file may be cut short",
                        input.lineNumber());
  }
  if (input.lineNumber() == 0) {
    diagnostics.warning(code::kNoRecords, options.inputName + " holds no records");
  }
}

// The sink's failure: what it says of itself, where it says anything.
std::string sinkFailure(const LineSink& sink) {
  std::string why = sink.failure();
  return "Cannot write .dvk output file" + (why.empty() ? std::string() : ": " + why);
}

}  // namespace

bool succeeded(const ConvertResult& result, bool warningsFatal) {
  if (result.outcome != Outcome::complete && result.outcome != Outcome::skipped) return false;
  return !warningsFatal || (result.diagnostics.count(Diagnostic::Kind::warning) == 0 &&
                            result.diagnostics.count(Diagnostic::Kind::error) == 0);
}

ConvertResult convertLines(LineReader& input, const ConvertOptions& options, LineSink& sink,
                           const std::string& outputName) {
  ConvertResult result;
  Reporter diagnostics(result.diagnostics, options.inputName);
  if (options.image.empty()) {
    diagnostics.add(Diagnostic::Kind::failure, code::kImageUnnamed,
                    "no image named for the LOAD line; nothing was written");
    result.outcome = Outcome::outputUnusable;
    return result;
  }
  // A file whose first line is no record is no CDB file at all (a map, an image or a
  // source given by mistake): it gives no command file.
  if (!startsAsCdb(input)) {
    diagnostics.add(Diagnostic::Kind::failure, code::kNotCdb,
                    options.inputName + " is not a CDB file");
    result.outcome = Outcome::notCdb;
    return result;
  }
  CommandWriter out(sink);
  out.header();
  try {
    Program program;
    Witnesses witnesses;
    result.outcome =
        readAndWrite(input, options, program, out, result, diagnostics, witnesses);
    report(result.outcome, input, program, options, witnesses, diagnostics);
  } catch (const std::bad_alloc&) {
    result.outcome = Outcome::outOfMemory;
    diagnostics.add(Diagnostic::Kind::failure, code::kOutOfMemory,
                    "Cannot convert .cdb input file: " + std::string(std::strerror(ENOMEM)));
  }
  // Whatever happened, the command file ends with its LOAD line and trailer.
  out.load(options.image);
  out.trailer();
  if (out.failed()) {
    // A command file cut short outranks whatever else happened.
    result.outcome = Outcome::writeFailed;
    diagnostics.addAbout(outputName, Diagnostic::Kind::failure, code::kOutputUnwritable,
                         sinkFailure(sink));
  }
  return result;
}

ConvertResult convert(std::string_view cdb, const ConvertOptions& options, LineSink& sink) {
  LineReader input(cdb);
  return convertLines(input, options, sink);
}

ConvertResult convert(std::string_view cdb, const ConvertOptions& options,
                      std::string& commandFile) {
  TextSink sink(commandFile);
  return convert(cdb, options, sink);
}

ConvertResult convert(std::FILE* input, const ConvertOptions& options, LineSink& sink) {
  LineReader reader(input);
  return convertLines(reader, options, sink);
}

}  // namespace torvane
