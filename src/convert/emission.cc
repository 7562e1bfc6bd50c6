// The emission pass: everything collected while the CDB file was read is written in
// four sections, each under a REM line, after the file scopes and line addresses that
// reading gave.

#include "convert/emission.h"

#include <cstdint>
#include <deque>
#include <string>
#include <type_traits>
#include <unordered_map>
#include <vector>

#include "output/command_writer.h"
#include "records/address_space.h"
#include "records/function_record.h"
#include "records/module_record.h"
#include "records/program.h"
#include "records/struct_record.h"
#include "records/symbol_record.h"
#include "util/hex_text.h"
#include "util/message_codes.h"
#include "util/quoted.h"
#include "util/reporter.h"

namespace torvane {

namespace {

// One run of the emission pass over a program.
class Emission {
 public:
  Emission(const Program& program, CommandWriter& out, Reporter& diagnostics, bool keepGoing)
      : program_(program),
        out_(out),
        diagnostics_(diagnostics),
        keepGoing_(keepGoing),
        marks_(program.structureOrdinals(), 0) {}

  EmissionResult run(const FramePointerInMap& bp);

 private:
  // What the pass has done with a structure, by its ordinal.
  enum Mark : uint8_t { kWritten = 1, kLeftOut = 2 };

  template <class List>
  bool writeEach(const List& list);
  // Each writes one record; on failure `faultLine` is the line of the record at fault,
  // which for a structure may be another structure that it needs.
  bool write(const ModuleRecord& module, uint32_t& faultLine);
  bool write(const StructRecord& structure, uint32_t& faultLine);
  bool write(const FunctionRecord& function, uint32_t& faultLine);
  bool write(const SymbolRecord& symbol, uint32_t& faultLine);
  // Opens the FILE or FUNC scope a symbol of its scope letter is written in.
  bool enterScopeOf(const SymbolRecord& symbol);
  // The line of a symbol at its address, its stack offset or its registers.
  void writeSymbolLine(const SymbolRecord& symbol);

  const StructRecord* writeWithWhatItNeeds(const StructRecord& structure);
  void writeBlock(const StructRecord& structure);
  const StructRecord* structureNamed(std::string_view tag, std::string_view file) const;

  // What is known of a tag that members name, by the first record of its identity.
  struct Referred {
    std::size_t kept = 0;                        // its records not left out
    std::vector<const StructRecord*> referrers;  // the structures whose members name it
  };
  using Referrals = std::unordered_map<const StructRecord*, Referred>;
  void leaveOutUnwritableStructures();
  Referrals settleStructuresLeftOut();
  // The first record of the structure that `member` of `from` names, left out or not.
  const StructRecord* firstOfTag(const SymbolRecord& member, const StructRecord& from) const;
  void defineFramePointer(const FramePointerInMap& bp);

  bool has(const StructRecord& s, Mark mark) const { return marks_[s.ordinal] & mark; }
  void mark(const StructRecord& s, Mark mark) { marks_[s.ordinal] |= mark; }

  const Program& program_;
  CommandWriter& out_;
  Reporter& diagnostics_;
  const bool keepGoing_;
  EmissionResult result_;
  std::vector<uint8_t> marks_;
};

// Writes every record of `list` in order. A record that fails stops the pass, or is
// left out from where it failed: the lines it wrote stand. Either way the record at
// fault is located.
template <class List>
bool Emission::writeEach(const List& list) {
  for (const auto& record : list) {
    uint32_t faultLine = record.line;
    if (write(record, faultLine)) continue;
    result_.allWritten = false;
    if (!keepGoing_) {
      diagnostics_.add(Diagnostic::Kind::error, code::kRecordNotWritten, "this record was not written",
                       faultLine);
      return false;
    }
    using Record = std::remove_cv_t<std::remove_reference_t<decltype(record)>>;
    diagnostics_.warning(code::kRecordLeftOut,
                         std::string(Record::kKind) + " " + quoted(record.name) +
                             " was left out from where it failed",
                         faultLine);
    ++result_.leftOut;
  }
  return true;
}

bool Emission::write(const ModuleRecord& module, uint32_t&) {
  out_.enterFile(module.fileName);
  return true;
}

bool Emission::write(const FunctionRecord& function, uint32_t&) {
  ++result_.functions;
  if (!function.address.follows()) ++result_.functionsUnlinked;
  out_.enterFunction("");
  std::string_view home;
  switch (function.scope) {
    case 'F':
      home = function.scopeName;
      break;
    case 'G':
      home = function.sourceFile;
      break;
    default:
      return diagnostics_.fault("Bad function scope ", function.scope);
  }
  out_.enterFile(home);
  out_.functionRange(function.scope == 'F', function.name, function.address.value(),
                     function.endAddress.value());
  if (!enterScopeOf(function)) return false;
  writeSymbolLine(function);
  return true;
}

// note [symbols without an address]
// SDCC writes a placeholder address into every symbol record (0, or the register bank
// of a declaration in a reentrant build), and a linked program gets the real one from
// the records of the link. What no record of the link, no listing and no map placed
// (a function declared in a header and never linked, one linked from a library built
// without debug records, a local the compiler kept in registers alone, a parameter of
// an inline function never emitted) has no address at all: a line at the placeholder
// would have the debugger show whatever lies there under the symbol's name, so a note
// stands in its place instead. A symbol on the stack has its offset, and one held in
// registers its note. A module compiled alone, never linked, has no records of the
// link at all: its symbols are written as their records give them.
bool Emission::write(const SymbolRecord& symbol, uint32_t&) {
  bool placed = !program_.hasLinkRecords || symbol.hasPlace();
  // A bit variable is counted once, by the first record of its identity.
  if (!placed && symbol.addressSpace == kBitSpace &&
      program_.symbols.find(symbol.identity()) == &symbol) {
    ++result_.bitsWithoutAddress;
  }
  if (!enterScopeOf(symbol)) return false;
  if (!placed) {
    out_.noAddressNote(symbol.name);
    ++result_.withoutAddress;
  } else {
    writeSymbolLine(symbol);
  }
  return true;
}

bool Emission::enterScopeOf(const SymbolRecord& symbol) {
  switch (symbol.scope) {
    case 'F':
      // A file static belongs to its file alone: a function left open by the symbol
      // before it is closed first, or the static would read as that function's local.
      out_.enterFunction("");
      out_.enterFile(symbol.scopeName);
      break;
    case 'G':
      break;  // a global is written in whatever scope is open
    case 'L': {
      // Newer compilers name a local's scope module.function: the function is declared
      // under its module's FILE scope, so the local is written there too.
      std::string_view scope = symbol.scopeName;
      std::size_t dot = scope.rfind('.');
      if (dot != std::string_view::npos) {
        out_.enterFile(scope.substr(0, dot));
        out_.enterFunction(scope.substr(dot + 1));
      } else {
        out_.enterFunction(scope);
      }
      break;
    }
    default:
      return diagnostics_.fault("Unknown symbol scope ", symbol.scope);
  }
  return true;
}

void Emission::writeSymbolLine(const SymbolRecord& symbol) {
  bool global = symbol.scope == 'G';
  if (symbol.addressSpace == kRegisterSpace) {
    // Registers hold no address the debugger could use: a note stands instead.
    out_.registerNote(symbol.name, symbol.registers);
  } else if (symbol.onStack) {
    out_.stackSymbol(global, symbol.name, symbol.address.value(), symbol.typeText);
  } else {
    out_.symbol(global, symbol.name, symbol.addressSpace, symbol.address.value(),
                symbol.typeText);
  }
}

bool Emission::write(const StructRecord& structure, uint32_t& faultLine) {
  if (has(structure, kLeftOut)) return true;  // already named as left out
  const StructRecord* failed = writeWithWhatItNeeds(structure);
  if (failed) faultLine = failed->line;
  return failed == nullptr;
}

// The structure that `tag` names in `file`: the first read that is not left out.
const StructRecord* Emission::structureNamed(std::string_view tag, std::string_view file) const {
  const auto& structures = program_.structures;
  const StructRecord* first = structures.find({tag, '\0', file, 0, 0});
  if (!first || !has(*first, kLeftOut)) return first;
  // The other records of the identity come newest first: the last one not left out is
  // the first read.
  const StructRecord* found = nullptr;
  for (const StructRecord* s = structures.nextOfIdentity(*first); s;
       s = structures.nextOfIdentity(*s)) {
    if (!has(*s, kLeftOut)) found = s;
  }
  return found;
}

// note [structure order]
// A structure is written after every structure its members refer to, found by tag in
// its own file: depth first, in member order, each structure once. A structure counts
// as written from the moment it is first reached, which ends self- and mutual
// references; inside a cycle the later block is therefore written first. Chains of
// structures can be arbitrarily long, so the depth-first walk keeps its own stack of
// structures whose members are still being visited instead of recursing. Returns null
// when every block was written, or else the structure whose member names a structure
// not defined in its file.
const StructRecord* Emission::writeWithWhatItNeeds(const StructRecord& structure) {
  if (has(structure, kWritten)) return nullptr;
  mark(structure, kWritten);

  // Each structure whose block waits, with the next of its members to look at.
  struct Visit {
    const StructRecord* structure;
    RecordList<SymbolRecord>::ConstIterator member;
  };
  // A deque grows without moving what it holds: a chain a million deep costs its
  // depth in visits, never twice that while a vector would reallocate.
  std::deque<Visit> pending{{&structure, structure.members.begin()}};
  while (!pending.empty()) {
    Visit& top = pending.back();
    const StructRecord* from = top.structure;
    if (top.member == from->members.end()) {
      writeBlock(*from);
      pending.pop_back();
      continue;
    }
    const SymbolRecord& member = *top.member;
    ++top.member;
    if (member.structTag().empty()) continue;

    const StructRecord* used = structureNamed(member.structTag(), from->scopeName);
    if (!used) {
      diagnostics_.fault("Undefined datatype ",
                         std::string(member.structTag()) + " in struct " + std::string(from->name));
      return from;
    }
    if (has(*used, kWritten)) continue;
    mark(*used, kWritten);
    pending.push_back({used, used->members.begin()});
  }
  return nullptr;
}

void Emission::writeBlock(const StructRecord& structure) {
  out_.structureStart(structure.name);
  for (const SymbolRecord& member : structure.members) {
    out_.structureMember(member.address.own, member.name, member.typeText);
  }
  out_.structureEnd(structure.size);
}

// note [structures left out]
// Skipping a structure that cannot be written must not leave a structure that refers
// to it naming a block the command file lacks. So under keep-going the structures left
// out are settled before any is written: those whose member names a tag that has no
// record in their file, and then, until nothing changes, those whose member names a tag
// whose every record is left out. Each record of a tag counts, since the lookup passes
// over the records left out to the first that is not. A cycle of structures is left
// out only when it leads to one of the first kind. The rest are written as if the
// structures left out were not in the file.
void Emission::leaveOutUnwritableStructures() {
  Referrals referred = settleStructuresLeftOut();
  // Each structure left out is named, in reading order, with its first member to blame.
  for (const StructRecord& s : program_.structures) {
    if (!has(s, kLeftOut)) continue;
    ++result_.leftOut;
    const SymbolRecord* undefined = nullptr;
    const SymbolRecord* needsLeftOut = nullptr;
    for (const SymbolRecord& member : s.members) {
      if (member.structTag().empty()) continue;
      const StructRecord* first = firstOfTag(member, s);
      if (!first) {
        undefined = &member;
        break;
      }
      if (!needsLeftOut && referred[first].kept == 0) needsLeftOut = &member;
    }
    std::string name = quoted(s.name);
    if (undefined) {
      diagnostics_.fault("Undefined datatype ",
                         std::string(undefined->structTag()) + " in struct " + name);
      diagnostics_.warning(code::kRecordLeftOut,
                           "structure " + name + " was left out from where it failed", s.line);
    } else {
      diagnostics_.warning(code::kStructureLeftOut,
                           "structure " + name + " was left out: it refers to structure " +
                               quoted(needsLeftOut->structTag()) + ", which was left out",
                           s.line);
    }
  }
}

Emission::Referrals Emission::settleStructuresLeftOut() {
  const auto& structures = program_.structures;
  Referrals referred;
  std::vector<const StructRecord*> newlyLeftOut;
  for (const StructRecord& s : structures) {
    for (const SymbolRecord& member : s.members) {
      if (member.structTag().empty()) continue;
      if (const StructRecord* first = firstOfTag(member, s)) {
        referred[first].referrers.push_back(&s);
      } else if (!has(s, kLeftOut)) {
        mark(s, kLeftOut);
        newlyLeftOut.push_back(&s);
      }
    }
  }
  for (const StructRecord& s : structures) {
    auto it = referred.find(structures.find(s.identity()));
    if (it != referred.end()) ++it->second.kept;
  }
  while (!newlyLeftOut.empty()) {
    const StructRecord* gone = newlyLeftOut.back();
    newlyLeftOut.pop_back();
    auto it = referred.find(structures.find(gone->identity()));
    if (it == referred.end() || --it->second.kept > 0) continue;
    for (const StructRecord* referrer : it->second.referrers) {
      if (has(*referrer, kLeftOut)) continue;
      mark(*referrer, kLeftOut);
      newlyLeftOut.push_back(referrer);
    }
  }
  return referred;
}

const StructRecord* Emission::firstOfTag(const SymbolRecord& member,
                                         const StructRecord& from) const {
  return program_.structures.find({member.structTag(), '\0', from.scopeName, 0, 0});
}

// The debugger resolves stack-relative symbols through the frame pointer register,
// which the library module _bp.c defines as a global. Its record wins; without one,
// the linker map may still say where the register is.
void Emission::defineFramePointer(const FramePointerInMap& bp) {
  // A record of bp that nothing placed in a linked program gives no address either.
  const SymbolRecord* record = program_.symbols.find({"bp", 'G', "", 0, 0});
  if (record && program_.hasLinkRecords && !record->hasPlace()) record = nullptr;
  if (record) {
    out_.framePointer(record->address.value());
  } else if (bp.address) {
    out_.framePointer(static_cast<int32_t>(*bp.address));
    diagnostics_.add(Diagnostic::Kind::note, code::kBpFromMap,
                     "bp taken from " + bp.mapName + ": " + hexText(*bp.address));
  } else {
    std::string text =
        "you have used stack-relative symbols, but have not defined bp.\n"
        "  You must compile the library module _bp.c with --debug\n"
        "  Either add _bp.c to your build, or place _bp.cdb in the library\n"
        "  directory with _bp.rel.";
    if (!bp.note.empty()) text += "\n" + bp.note;
    diagnostics_.add(Diagnostic::Kind::error, code::kBpMissing, std::move(text)).suggestion =
        bp.mapBeside;
  }
}

EmissionResult Emission::run(const FramePointerInMap& bp) {
  out_.section("Modules");
  if (!writeEach(program_.modules)) return result_;
  out_.section("Structures");
  // Structures refer to one another: see note [structures left out].
  if (keepGoing_) leaveOutUnwritableStructures();
  if (!writeEach(program_.structures)) return result_;
  if (program_.usesStackRelative) defineFramePointer(bp);
  out_.section("Functions");
  result_.everyFunctionCome = writeEach(program_.functions);
  if (!result_.everyFunctionCome) return result_;
  out_.section("Symbols");
  result_.everySymbolCome = writeEach(program_.symbols);
  return result_;
}

}  // namespace

void writeLinesOfReading(const Program& program, CommandWriter& out) {
  auto change = program.fileChanges().begin();
  const auto changed = program.fileChanges().end();
  std::size_t at = 0;
  for (const Program::LineAddress& line : program.lineAddresses()) {
    for (; change != changed && change->from == at; ++change) out.enterFile(change->file);
    out.lineAddress(line.line, line.address);
    ++at;
  }
  for (; change != changed; ++change) out.enterFile(change->file);
}

EmissionResult writeSections(const Program& program, CommandWriter& out, Reporter& diagnostics,
                             const FramePointerInMap& bp, bool keepGoing) {
  return Emission(program, out, diagnostics, keepGoing).run(bp);
}

}  // namespace torvane
