#include "records/symbol_record.h"

#include <string>
#include <string_view>

#include "cdb/field_scanner.h"
#include "output/address_space.h"
#include "output/command_writer.h"
#include "records/program.h"
#include "torvane/diagnostics.h"

namespace torvane {

bool SymbolRecord::parse(FieldScanner& scanner, Program& program, Diagnostics& diagnostics) {
  scope = scanner.next();
  std::string_view text;
  scanner.readUntil(text, "$");
  scopeName = program.keep(text);
  scanner.readUntil(text, "$");
  name = program.keep(text);
  scanner.readLevel(level);
  scanner.readNumber(block, 10);  // also takes the "(" that opens the type chain
  if (!parseTypeChain(scanner, program, diagnostics)) {
    return diagnostics.fault("Failed definition of symbol ", name);
  }

  scanner.skip(1);
  addressSpace = scanner.next();
  scanner.skip(1);
  int32_t stackNumber = 0;
  scanner.readNumber(stackNumber, 10);
  onStack = stackNumber != 0;
  if (onStack) program.usesStackRelative = true;
  scanner.readNumber(address.own, 10);
  // A register variable lists its registers in brackets; it has no address to write.
  if (addressSpace == kRegisterSpace && scanner.peek() == '[') {
    std::string_view list = scanner.rest();
    std::size_t close = list.find(']');
    registers = program.keep(list.substr(0, close == std::string_view::npos ? close : close + 1));
  }
  return true;  // further fields (an F record has more) are not needed
}

bool SymbolRecord::emit(CommandWriter& out, const Program&, Diagnostics& diagnostics) {
  const char* command = "DEFS ";
  switch (scope) {
    case 'F':
      // A file static belongs to its file alone: a function left open by the symbol
      // before it is closed first, or the static would read as that function's local.
      out.enterFunction("");
      out.enterFile(scopeName);
      break;
    case 'G':
      command = "DEF ";  // a global is written in whatever scope is open
      break;
    case 'L': {
      // Newer compilers name a local's scope module.function: the function is declared
      // under its module's FILE scope, so the local is written there too.
      std::size_t dot = scopeName.rfind('.');
      if (dot != std::string_view::npos) {
        out.enterFile(scopeName.substr(0, dot));
        out.enterFunction(scopeName.substr(dot + 1));
      } else {
        out.enterFunction(scopeName);
      }
      break;
    }
    default:
      return diagnostics.fault("Unknown symbol scope ", scope);
  }
  if (addressSpace == kRegisterSpace) {
    // Registers hold no address the debugger could use: leave a note instead.
    out.writeText("REM ");
    out.writeText(name);
    if (!registers.empty()) {
      out.writeText(" ");
      out.writeText(registers);
    }
    out.endLine();
    return true;
  }
  out.writeText(command);
  out.writeText(name);
  out.writeText(" ");
  int32_t location = address.value();
  if (onStack) {
    // The offset's magnitude as an unsigned number, so the most negative offset too
    // reads as bp-0x80000000.
    uint32_t magnitude = location < 0 ? 0u - static_cast<uint32_t>(location)
                                      : static_cast<uint32_t>(location);
    out.writeText(location < 0 ? "bp-" : "bp+");
    out.writeNumber(static_cast<int32_t>(magnitude), 16);
  } else {
    out.writeSpaceAddress(addressSpace, location);
  }
  out.writeText(" %");
  out.writeText(typeText);
  out.endLine();
  return true;
}

}  // namespace torvane
