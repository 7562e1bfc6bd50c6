// The emission pass: everything collected while the CDB file was read is written in
// four sections, each under a REM line.

#include "output/command_file.h"
#include "records/function_record.h"
#include "records/module_record.h"
#include "records/struct_record.h"
#include "records/symbol_record.h"

bool CommandFile::emitAll() {
  writeText("REM Modules");
  endLine();
  if (!modules.emitEach(*this)) return false;

  writeText("REM Structures");
  endLine();
  if (!structures.emitEach(*this)) return false;

  // The debugger resolves stack-relative symbols through the frame pointer register,
  // which the library module _bp.c defines as a global. Its record wins; without one,
  // the linker map may still say where the register is.
  if (usesStackRelative) {
    auto defineBp = [this](int32_t address) {
      writeText("DEFREG bp 0:");
      writeNumber(address, 16);
      writeText(" 1");
      endLine();
    };
    if (const SymbolRecord* bp = symbols.find({"bp", 'G', "", 0, 0})) {
      defineBp(bp->address.value());
    } else if (bpElsewhere) {
      defineBp(static_cast<int32_t>(bpElsewhere->address));
      message("bp taken from " + bpElsewhere->source + ": ", hexText(bpElsewhere->address));
    } else {
      message("Error: you have used stack-relative symbols, but have not defined bp.");
      message("  You must compile the library module _bp.c with --debug");
      message("  Either add _bp.c to your build, or place _bp.cdb in the library");
      message("  directory with _bp.rel.");
      if (!missingBpHint.empty()) message(missingBpHint);
    }
  }

  writeText("REM Functions");
  endLine();
  if (!functions.emitEach(*this)) return false;

  writeText("REM Symbols");
  endLine();
  return symbols.emitEach(*this);
}
