#include "records/link_record.h"

#include <cstring>

#include "cdb/field_scanner.h"
#include "records/function_record.h"
#include "records/program.h"
#include "records/symbol_record.h"
#include "util/reporter.h"

namespace torvane {

namespace {

// note [binding every copy]
// A linked program repeats a global's record in every module that declares it: all
// copies are one symbol at one address, so a link record binds its address to every
// record of its identity read before it, and the last link wins. Rather than rewrite
// every copy at every link, which costs copies times links, the copies follow one
// address kept in the first of them (LinkedAddress). A link binds it there and makes
// follow it the copies that do not follow yet: those read since the identity's
// previous link, which the index keeps right behind the first record, newest first.
// So every copy is attached once, and each link costs one lookup however many copies
// and links there are. A copy read after the last link follows nothing and keeps its
// own address. (For 300,000 copies, each followed by a link, rewriting every copy at
// every link would be 4.5 * 10^10 writes; LargeInputTest in tests/catalogue converts
// such inputs within its time limit.)
// Returns how many records newly follow the address.
template <class List, class Owner>
std::size_t bindAll(List& list, const RecordIdentity& identity, int32_t address,
                    LinkedAddress Owner::*bound) {
  auto* first = list.find(identity);
  if (!first) return 0;
  const LinkedAddress& shared = first->*bound;
  std::size_t attached = (first->*bound).follows() ? 0 : 1;
  (first->*bound).bind(address);
  for (auto* copy = list.nextOfIdentity(*first); copy; copy = list.nextOfIdentity(*copy)) {
    if ((copy->*bound).follows()) break;  // this one and all older ones follow already
    (copy->*bound).follow(shared);
    ++attached;
  }
  return attached;
}

}  // namespace

// Another witness than a link record (a listing, a map) gives only what no link record
// gave: the first record of an identity follows a bound address once any link record
// of it was read.
std::size_t bindUnlinkedSymbol(Program& program, const RecordIdentity& identity,
                               int32_t address) {
  const SymbolRecord* first = program.symbols.find(identity);
  if (!first || first->address.follows() || first->onStack) return 0;
  return bindAll(program.symbols, identity, address, &SymbolRecord::address);
}

bool LinkRecord::readFields(FieldScanner& scanner) {
  kind = scanner.next();
  switch (kind) {
    case 'F':
    case 'G':
    case 'L':
    case 'X':
      // X (a function's end) names the function's scope letter after the X; the
      // others are themselves the scope letter.
      scope = kind == 'X' ? scanner.next() : kind;
      scanner.readUntil(scopeName, "$");
      scanner.readUntil(name, "$");
      scanner.readLevel(level);
      scanner.readNumber(block, 10);
      break;
    case 'C':
      scanner.accept('$');  // older compilers leave it out
      scanner.readUntil(name, "$");
      scanner.readNumber(sourceLine, 10);
      scanner.readLevel(level);
      scanner.readNumber(block, 10);
      break;
    default:
      return false;
  }
  scanner.readNumber(address, 16);
  return true;
}

bool LinkRecord::parse(FieldScanner& scanner, Program& program, Reporter& diagnostics) {
  if (!readFields(scanner)) {
    diagnostics.fault("Unknown Link record type ", kind);
    return diagnostics.fault("  ", scanner.rest());
  }
  switch (kind) {
    case 'C':
      program.addLine(name, sourceLine, level, block, address);
      break;
    default:
      program.heldLinks.hold(*this, program);
  }
  return true;
}

namespace {

// Binds one address link: kind X a function's end; the others a symbol's address, and a
// function's start (a function is global or file-static: a local's link names none).
void bindLink(Program& program, char kind, const RecordIdentity& id, int32_t address) {
  if (kind == 'X') {
    bindAll(program.functions, id, address, &FunctionRecord::endAddress);
    return;
  }
  bindAll(program.symbols, id, address, &SymbolRecord::address);
  if (kind != 'L') bindAll(program.functions, id, address, &SymbolRecord::address);
}

}  // namespace

// note [links bound together]
// A linked program's CDB file ends with the address links of all its symbols, each
// looked up by identity in an index far larger than the cache: bound one by one, the
// reading of each waits for memory twice, the index and the record. Held a few at a
// time, the parts of the index each will search are fetched as they are read, and the
// waits overlap. The meaning is that of binding each at once: links are bound in the
// order read, and every one held is bound before any other record is read, and at the
// end of the input (see readRecords), so each binds only the records read before it.
void HeldLinks::hold(const LinkRecord& link, Program& program) {
  std::size_t texts = link.name.size() + link.scopeName.size();
  if (texts > kTextRoom) {  // too long to hold: bound at once, after those held
    bind(program);
    bindLink(program, link.kind, link.identity(), link.address);
    return;
  }
  if (count_ == kLinks || used_ + texts > kTextRoom) bind(program);
  Held& h = held_[count_++];
  h = {link.kind, link.scope, link.level, link.block, link.address, used_, link.name.size(),
       link.scopeName.size()};
  std::memcpy(texts_ + used_, link.name.data(), link.name.size());
  std::memcpy(texts_ + used_ + link.name.size(), link.scopeName.data(), link.scopeName.size());
  used_ += texts;
  RecordIdentity id = link.identity();
  if (link.kind != 'X') program.symbols.prefetch(id);
  if (link.kind != 'L') program.functions.prefetch(id);
}

void HeldLinks::bind(Program& program) {
  for (std::size_t i = 0; i < count_; ++i) {
    const Held& h = held_[i];
    std::string_view name(texts_ + h.name, h.nameSize);
    std::string_view scopeName(texts_ + h.name + h.nameSize, h.scopeNameSize);
    bindLink(program, h.kind, {name, h.scope, scopeName, h.block, h.level}, h.address);
  }
  count_ = 0;
  used_ = 0;
}

}  // namespace torvane
