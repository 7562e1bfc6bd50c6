#include "records/link_record.h"

#include "cdb/field_scanner.h"
#include "output/command_file.h"
#include "records/function_record.h"
#include "records/symbol_record.h"

bool LinkRecord::parse(FieldScanner& scanner, CommandFile& file) {
  kind = scanner.next();
  switch (kind) {
    case 'F':
    case 'G':
    case 'L':
    case 'X': {
      // X (a function's end) names the function's scope letter after the X; the
      // others are themselves the scope letter.
      scope = kind == 'X' ? scanner.next() : kind;
      scanner.readUntil(scopeName, "$");
      scanner.readUntil(name, "$");
      scanner.readLevel(level);
      scanner.readNumber(block, 10);
      scanner.readNumber(address, 16);
      // A linked program repeats a global's record in every module that declares it:
      // all copies are one symbol at one address, so every copy is bound.
      auto bindStart = [this](DebugRecord* r) { static_cast<SymbolRecord*>(r)->address = address; };
      auto bindEnd = [this](DebugRecord* r) { static_cast<FunctionRecord*>(r)->endAddress = address; };
      if (kind == 'X') {
        file.functions.forEachMatch(name, scope, scopeName, block, level, bindEnd);
      } else {
        file.symbols.forEachMatch(name, scope, scopeName, block, level, bindStart);
        file.functions.forEachMatch(name, scope, scopeName, block, level, bindStart);
      }
      return true;
    }
    case 'C': {
      scanner.accept('$');  // older compilers leave it out
      scanner.readUntil(name, "$");
      scanner.readNumber(line, 10);
      scanner.readLevel(level);
      scanner.readNumber(block, 10);
      scanner.readNumber(address, 16);
      file.enterFile(name);
      file.writeText("LINE ");
      file.writeNumber(line, 10);
      file.writeText(" C:");
      file.writeNumber(address, 16);
      file.endLine();
      return true;
    }
    case 'A':
      return true;  // assembler line addresses: the debugger has no use for them
    default:
      file.message("Unknown Link record type ", std::string_view(&kind, kind ? 1 : 0));
      return file.fault("  ", scanner.rest());
  }
}
