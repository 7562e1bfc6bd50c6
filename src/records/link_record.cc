#include "records/link_record.h"

#include "cdb/field_scanner.h"
#include "output/command_file.h"
#include "records/function_record.h"
#include "records/symbol_record.h"

namespace {

// note [binding every copy]
// A linked program repeats a global's record in every module that declares it: all
// copies are one symbol at one address, so a link record binds its address to every
// record of its identity read before it, and the last link wins. Rather than rewrite
// every copy at every link, which costs copies times links, the copies share one cell
// kept in the first of them. A link sets the cell and points at it the copies that do
// not point there yet: those read since the identity's previous link, which the index
// keeps right behind the first record, newest first. So every copy is attached once,
// and each link costs one lookup however many copies and links there are. A copy read
// after the last link points nowhere and keeps its own address.
template <class Record>
void bindAll(const RecordList& list, const LinkRecord& link, uint32_t hash,
             int32_t Record::*cell, const int32_t* Record::*linked) {
  auto* first = static_cast<Record*>(
      list.find(hash, link.name, link.scope, link.scopeName, link.block, link.level));
  if (!first) return;
  first->*cell = link.address;
  first->*linked = &(first->*cell);
  for (DebugRecord* r = list.nextOfIdentity(first); r; r = list.nextOfIdentity(r)) {
    auto* copy = static_cast<Record*>(r);
    if (copy->*linked) break;  // this one and all older ones share the cell already
    copy->*linked = &(first->*cell);
  }
}

}  // namespace

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
      uint32_t hash = RecordList::hashIdentity(name, scope, scopeName, block, level);
      if (kind == 'X') {
        bindAll(file.functions, *this, hash, &FunctionRecord::linkedEndCell,
                &FunctionRecord::linkedEnd);
      } else {
        bindAll(file.symbols, *this, hash, &SymbolRecord::linkedCell, &SymbolRecord::linked);
        bindAll<SymbolRecord>(file.functions, *this, hash, &SymbolRecord::linkedCell,
                              &SymbolRecord::linked);
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
      file.message("Unknown Link record type ", kind);
      return file.fault("  ", scanner.rest());
  }
}
