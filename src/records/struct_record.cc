#include "records/struct_record.h"

#include <deque>
#include <string>

#include "cdb/field_scanner.h"
#include "output/command_writer.h"
#include "records/program.h"
#include "records/symbol_record.h"
#include "util/diagnostics.h"

bool StructRecord::parse(FieldScanner& scanner, Program& program, Diagnostics& diagnostics) {
  scanner.skip(1);  // the scope letter
  std::string_view text;
  scanner.readUntil(text, "$");
  scopeName = program.keep(text);
  scanner.readUntil(text, "[");
  std::string_view prefix = tagPrefix(scopeName, text);
  name = prefix.empty() ? program.keep(text) : program.keep(std::string(prefix).append(text));

  while (scanner.accept('(')) {
    int32_t offset = 0;
    scanner.skip(1);  // "{"
    scanner.readNumber(offset, 10);
    scanner.skip(2);  // "S:"
    auto member = program.make<SymbolRecord>();
    if (!member->parse(scanner, program, diagnostics)) {
      return diagnostics.fault("Failed definition of structure ", name);
    }
    member->address.own = offset;
    // The size is the largest end of any member (bit-fields share offsets); it is
    // summed wide so that absurd offsets cannot overflow.
    int64_t end = int64_t{offset} + member->size;
    if (end > size) size = end > INT32_MAX ? INT32_MAX : static_cast<int32_t>(end);
    members.append(std::move(member));
    scanner.accept(')');
  }
  return true;
}

// note [structure order]
// A structure is written after every structure its members refer to, found by tag in
// its own file: depth first, in member order, each structure once. A structure counts
// as written from the moment it is first reached, which ends self- and mutual
// references; inside a cycle the later block is therefore written first. Chains of
// structures can be arbitrarily long, so the depth-first walk keeps its own stack of
// structures whose members are still being visited instead of recursing.
bool StructRecord::emit(CommandWriter& out, const Program& program, Diagnostics& diagnostics) {
  if (emitted) return true;
  emitted = true;

  // Each structure whose block waits, with the next of its members to look at.
  struct Visit {
    StructRecord* structure;
    RecordList<SymbolRecord>::Iterator member;
  };
  // A deque grows without moving what it holds: a chain a million deep costs its
  // depth in visits, never twice that while a vector would reallocate.
  std::deque<Visit> pending{{this, members.begin()}};
  while (!pending.empty()) {
    Visit& top = pending.back();
    StructRecord* from = top.structure;
    if (top.member == from->members.end()) {
      from->writeBlock(out);
      pending.pop_back();
      continue;
    }
    const SymbolRecord& member = *top.member;
    ++top.member;
    if (member.structTag.empty()) continue;

    StructRecord* used = program.structures.find({member.structTag, '\0', from->scopeName, 0, 0});
    if (!used) {
      return diagnostics.fault("Undefined datatype ", std::string(member.structTag) +
                                                           " in struct " + std::string(from->name));
    }
    if (used->emitted) continue;
    used->emitted = true;
    pending.push_back({used, used->members.begin()});
  }
  return true;
}

void StructRecord::writeBlock(CommandWriter& out) const {
  out.writeText("STRUCT 0 ");
  out.writeText(name);
  out.endLine();
  for (const SymbolRecord& member : members) {
    out.writeText("DEFT ");
    out.writeNumber(member.address.own, 16);
    out.writeText(" ");
    out.writeText(member.name);
    out.writeText(" %");
    out.writeText(member.typeText);
    out.endLine();
  }
  out.writeText("ENDS ");
  out.writeNumber(size, 10);
  out.endLine();
}
