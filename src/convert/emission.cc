// The emission pass: everything collected while the CDB file was read is written in
// four sections, each under a REM line.

#include "convert/emission.h"

#include <cstdint>
#include <string>
#include <type_traits>

#include "output/command_writer.h"
#include "records/function_record.h"
#include "records/module_record.h"
#include "records/program.h"
#include "records/struct_record.h"
#include "records/symbol_record.h"
#include "torvane/diagnostics.h"

namespace torvane {

namespace {

// Writes one record; on failure `faultLine` is the line of the record at fault, which
// for a structure may be another structure that it needs.
template <class Record>
bool emitRecord(Record& record, const Program& program, CommandWriter& out,
                Diagnostics& diagnostics, uint32_t& faultLine) {
  faultLine = record.line;
  return record.emit(out, program, diagnostics);
}

bool emitRecord(StructRecord& record, const Program& program, CommandWriter& out,
                Diagnostics& diagnostics, uint32_t& faultLine) {
  if (record.leftOut) return true;  // already named as left out
  const StructRecord* failed = record.writeBlocks(out, program, diagnostics);
  if (failed) faultLine = failed->line;
  return failed == nullptr;
}

// Writes every record of `list` in order. A record that fails stops the section, or is
// left out from where it failed: the line it was composing is dropped, and the lines
// it ended stand. Either way the record at fault is located.
template <class List>
bool emitEach(const List& list, const Program& program, CommandWriter& out,
              Diagnostics& diagnostics, bool keepGoing, EmissionResult& result) {
  for (auto& record : list) {
    uint32_t faultLine = 0;
    if (emitRecord(record, program, out, diagnostics, faultLine)) continue;
    out.dropLine();
    result.complete = false;
    if (!keepGoing) {
      diagnostics.add(Diagnostic::Kind::error, "this record was not written", faultLine);
      return false;
    }
    using Record = std::remove_reference_t<decltype(record)>;
    diagnostics.warning(std::string(Record::kKind) + " " + std::string(record.name) +
                            " was left out from where it failed",
                        faultLine);
    ++result.skipped;
  }
  return true;
}

void section(CommandWriter& out, const char* heading) {
  out.writeText(heading);
  out.endLine();
}

// The debugger resolves stack-relative symbols through the frame pointer register,
// which the library module _bp.c defines as a global. Its record wins; without one,
// the linker map may still say where the register is.
void defineFramePointer(const Program& program, CommandWriter& out, Diagnostics& diagnostics,
                        const FramePointerElsewhere& bp) {
  auto defineBp = [&out](int32_t address) {
    out.writeText("DEFREG bp 0:");
    out.writeNumber(address, 16);
    out.writeText(" 1");
    out.endLine();
  };
  if (const SymbolRecord* record = program.symbols.find({"bp", 'G', "", 0, 0})) {
    defineBp(record->address.value());
  } else if (bp.address) {
    defineBp(static_cast<int32_t>(*bp.address));
    diagnostics.add(Diagnostic::Kind::plain,
                    "bp taken from " + bp.source + ": " + hexText(*bp.address));
  } else {
    std::string text =
        "Error: you have used stack-relative symbols, but have not defined bp.\n"
        "  You must compile the library module _bp.c with --debug\n"
        "  Either add _bp.c to your build, or place _bp.cdb in the library\n"
        "  directory with _bp.rel.";
    if (!bp.hint.empty()) text += "\n" + bp.hint;
    diagnostics.warning(std::move(text));
  }
}

}  // namespace

EmissionResult emitAll(const Program& program, CommandWriter& out, Diagnostics& diagnostics,
                       const FramePointerElsewhere& bp, bool keepGoing) {
  EmissionResult result;
  section(out, "REM Modules");
  if (!emitEach(program.modules, program, out, diagnostics, keepGoing, result)) return result;
  section(out, "REM Structures");
  // Structures refer to one another: see note [structures left out].
  if (keepGoing) result.skipped += leaveOutUnwritableStructures(program, diagnostics);
  if (!emitEach(program.structures, program, out, diagnostics, keepGoing, result)) return result;
  if (program.usesStackRelative) defineFramePointer(program, out, diagnostics, bp);
  section(out, "REM Functions");
  if (!emitEach(program.functions, program, out, diagnostics, keepGoing, result)) return result;
  section(out, "REM Symbols");
  emitEach(program.symbols, program, out, diagnostics, keepGoing, result);
  return result;
}

}  // namespace torvane
