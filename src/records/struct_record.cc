#include "records/struct_record.h"

#include <deque>
#include <string>

#include "cdb/field_scanner.h"
#include "output/command_file.h"
#include "records/symbol_record.h"

bool StructRecord::parse(FieldScanner& scanner, CommandFile& file) {
  scanner.skip(1);  // the scope letter
  std::string_view text;
  scanner.readUntil(text, "$");
  scopeName = file.keep(text);
  scanner.readUntil(text, "[");
  name = isAnonymousTag(text) ? file.keep(std::string(scopeName).append(text)) : file.keep(text);

  while (scanner.accept('(')) {
    int32_t offset = 0;
    scanner.skip(1);  // "{"
    scanner.readNumber(offset, 10);
    scanner.skip(2);  // "S:"
    auto member = file.make<SymbolRecord>();
    if (!member->parse(scanner, file)) return file.fault("Failed definition of structure ", name);
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
bool StructRecord::emit(CommandFile& file) {
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
      from->writeBlock(file);
      pending.pop_back();
      continue;
    }
    const SymbolRecord& member = *top.member;
    ++top.member;
    if (member.structTag.empty()) continue;

    StructRecord* used = file.structures.find({member.structTag, '\0', from->scopeName, 0, 0});
    if (!used) {
      return file.fault("Undefined datatype ",
                        std::string(member.structTag) + " in struct " + std::string(from->name));
    }
    if (used->emitted) continue;
    used->emitted = true;
    pending.push_back({used, used->members.begin()});
  }
  return true;
}

void StructRecord::writeBlock(CommandFile& file) const {
  file.writeText("STRUCT 0 ");
  file.writeText(name);
  file.endLine();
  for (const SymbolRecord& member : members) {
    file.writeText("DEFT ");
    file.writeNumber(member.address.own, 16);
    file.writeText(" ");
    file.writeText(member.name);
    file.writeText(" %");
    file.writeText(member.typeText);
    file.endLine();
  }
  file.writeText("ENDS ");
  file.writeNumber(size, 10);
  file.endLine();
}
