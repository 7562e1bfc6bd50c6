#include "records/symbol_record.h"

#include <string>
#include <string_view>

#include "cdb/field_scanner.h"
#include "records/address_space.h"
#include "records/program.h"
#include "util/reporter.h"

namespace torvane {

bool SymbolRecord::parse(FieldScanner& scanner, Program& program, Reporter& diagnostics) {
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

}  // namespace torvane
