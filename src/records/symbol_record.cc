#include "records/symbol_record.h"

#include <string_view>

#include "cdb/field_scanner.h"
#include "output/command_file.h"

bool SymbolRecord::parse(FieldScanner& scanner, CommandFile& file) {
  scope = scanner.next();
  std::string_view text;
  scanner.readUntil(text, "$");
  scopeName = file.keep(text);
  scanner.readUntil(text, "$");
  name = file.keep(text);
  scanner.readLevel(level);
  scanner.readNumber(block, 10);  // also takes the "(" that opens the type chain
  if (!parseTypeChain(scanner, file)) return file.fault("Failed definition of symbol ", name);

  scanner.skip(1);
  addressSpace = scanner.next();
  scanner.skip(1);
  int32_t stackNumber = 0;
  scanner.readNumber(stackNumber, 10);
  onStack = stackNumber != 0;
  if (onStack) file.usesStackRelative = true;
  scanner.readNumber(address.own, 10);
  // A register variable lists its registers in brackets; it has no address to write.
  if (addressSpace == 'R' && scanner.peek() == '[') {
    std::string_view list = scanner.rest();
    std::size_t close = list.find(']');
    registers = file.keep(list.substr(0, close == std::string_view::npos ? close : close + 1));
  }
  return true;  // further fields (an F record has more) are not needed
}

bool SymbolRecord::emit(CommandFile& file) {
  const char* command = "DEFS ";
  switch (scope) {
    case 'F':
      // A file static belongs to its file alone: a function left open by the symbol
      // before it is closed first, or the static would read as that function's local.
      file.enterFunction("");
      file.enterFile(scopeName);
      break;
    case 'G':
      command = "DEF ";  // a global is written in whatever scope is open
      break;
    case 'L': {
      // Newer compilers name a local's scope module.function: the function is declared
      // under its module's FILE scope, so the local is written there too.
      std::size_t dot = scopeName.rfind('.');
      if (dot != std::string_view::npos) {
        file.enterFile(scopeName.substr(0, dot));
        file.enterFunction(scopeName.substr(dot + 1));
      } else {
        file.enterFunction(scopeName);
      }
      break;
    }
    default:
      return file.fault("Unknown symbol scope ", scope);
  }
  if (addressSpace == 'R') {
    // Registers hold no address the debugger could use: leave a note instead.
    file.writeText("REM ");
    file.writeText(name);
    if (!registers.empty()) {
      file.writeText(" ");
      file.writeText(registers);
    }
    file.endLine();
    return true;
  }
  file.writeText(command);
  file.writeText(name);
  file.writeText(" ");
  int32_t location = address.value();
  if (onStack) {
    // The offset's magnitude as an unsigned number, so the most negative offset too
    // reads as bp-0x80000000.
    uint32_t magnitude = location < 0 ? 0u - static_cast<uint32_t>(location)
                                      : static_cast<uint32_t>(location);
    file.writeText(location < 0 ? "bp-" : "bp+");
    file.writeNumber(static_cast<int32_t>(magnitude), 16);
  } else {
    file.writeSpaceAddress(addressSpace, location);
  }
  file.writeText(" %");
  file.writeText(typeText);
  file.endLine();
  return true;
}
