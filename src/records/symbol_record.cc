#include "records/symbol_record.h"

#include <string_view>

#include "cdb/field_scanner.h"
#include "output/command_file.h"

bool SymbolRecord::parse(FieldScanner& scanner, CommandFile& file) {
  scope = scanner.next();
  std::string_view text;
  scanner.readUntil(text, "$");
  scopeName = file.pool.keep(text);
  scanner.readUntil(text, "$");
  name = file.pool.keep(text);
  scanner.readNumber(level, 10);
  scanner.readNumber(block, 10);  // also takes the "(" that opens the type chain
  if (!parseTypeChain(scanner, file)) return file.fault("Failed definition of symbol ", name);

  scanner.skip(1);
  addressSpace = scanner.next();
  scanner.skip(1);
  int32_t stackNumber = 0;
  scanner.readNumber(stackNumber, 10);
  onStack = stackNumber != 0;
  if (onStack) file.usesStackRelative = true;
  scanner.readNumber(address, 10);
  return true;  // further fields (an F record has more) are not needed
}

bool SymbolRecord::emit(CommandFile& file) {
  const char* command = "DEFS ";
  switch (scope) {
    case 'F':
      file.enterFile(scopeName);
      break;
    case 'G':
      command = "DEF ";  // a global is written in whatever scope is open
      break;
    case 'L':
      file.enterFunction(scopeName);
      break;
    default:
      return file.fault("Unknown symbol scope ", scope);
  }
  file.writeText(command);
  file.writeText(name);
  file.writeText(" ");
  if (onStack) {
    // The offset's magnitude as an unsigned number, so the most negative offset too
    // reads as bp-0x80000000.
    uint32_t magnitude = address < 0 ? 0u - static_cast<uint32_t>(address)
                                     : static_cast<uint32_t>(address);
    file.writeText(address < 0 ? "bp-" : "bp+");
    file.writeNumber(static_cast<int32_t>(magnitude), 16);
  } else {
    file.writeSpaceAddress(addressSpace, address);
  }
  file.writeText(" %");
  file.writeText(typeText);
  file.endLine();
  return true;
}
