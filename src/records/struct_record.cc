#include "records/struct_record.h"

#include <deque>
#include <string>
#include <unordered_map>
#include <vector>

#include "cdb/field_scanner.h"
#include "output/command_writer.h"
#include "records/program.h"
#include "records/symbol_record.h"
#include "torvane/diagnostics.h"

namespace torvane {

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

namespace {

// The structure that `tag` names in `file`: the first read that is not left out.
StructRecord* structureNamed(const Program& program, std::string_view tag, std::string_view file) {
  const auto& structures = program.structures;
  StructRecord* first = structures.find({tag, '\0', file, 0, 0});
  if (!first || !first->leftOut) return first;
  // The other records of the identity come newest first: the last one not left out is
  // the first read.
  StructRecord* found = nullptr;
  for (StructRecord* s = structures.nextOfIdentity(*first); s; s = structures.nextOfIdentity(*s)) {
    if (!s->leftOut) found = s;
  }
  return found;
}

}  // namespace

// note [structure order]
// A structure is written after every structure its members refer to, found by tag in
// its own file: depth first, in member order, each structure once. A structure counts
// as written from the moment it is first reached, which ends self- and mutual
// references; inside a cycle the later block is therefore written first. Chains of
// structures can be arbitrarily long, so the depth-first walk keeps its own stack of
// structures whose members are still being visited instead of recursing.
bool StructRecord::emit(CommandWriter& out, const Program& program, Diagnostics& diagnostics) {
  return writeBlocks(out, program, diagnostics) == nullptr;
}

const StructRecord* StructRecord::writeBlocks(CommandWriter& out, const Program& program,
                                              Diagnostics& diagnostics) {
  if (emitted) return nullptr;
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

    StructRecord* used = structureNamed(program, member.structTag, from->scopeName);
    if (!used) {
      diagnostics.fault("Undefined datatype ",
                        std::string(member.structTag) + " in struct " + std::string(from->name));
      return from;
    }
    if (used->emitted) continue;
    used->emitted = true;
    pending.push_back({used, used->members.begin()});
  }
  return nullptr;
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
std::size_t leaveOutUnwritableStructures(const Program& program, Diagnostics& diagnostics) {
  const auto& structures = program.structures;
  // What is known of each tag that a member names, by the first record of its identity.
  struct Referred {
    std::size_t kept = 0;                   // its records not left out
    std::vector<StructRecord*> referrers;  // the structures whose members name it
  };
  std::unordered_map<const StructRecord*, Referred> referred;
  auto firstOfTag = [&](const SymbolRecord& member, const StructRecord& from) {
    return structures.find({member.structTag, '\0', from.scopeName, 0, 0});
  };
  std::vector<StructRecord*> newlyLeftOut;
  for (StructRecord& s : structures) {
    for (const SymbolRecord& member : s.members) {
      if (member.structTag.empty()) continue;
      if (const StructRecord* first = firstOfTag(member, s)) {
        referred[first].referrers.push_back(&s);
      } else if (!s.leftOut) {
        s.leftOut = true;
        newlyLeftOut.push_back(&s);
      }
    }
  }
  for (StructRecord& s : structures) {
    auto it = referred.find(structures.find(s.identity()));
    if (it != referred.end()) ++it->second.kept;
  }
  while (!newlyLeftOut.empty()) {
    StructRecord* gone = newlyLeftOut.back();
    newlyLeftOut.pop_back();
    auto it = referred.find(structures.find(gone->identity()));
    if (it == referred.end() || --it->second.kept > 0) continue;
    for (StructRecord* referrer : it->second.referrers) {
      if (referrer->leftOut) continue;
      referrer->leftOut = true;
      newlyLeftOut.push_back(referrer);
    }
  }

  // Each structure left out is named with its first member that is to blame.
  std::size_t count = 0;
  for (const StructRecord& s : structures) {
    if (!s.leftOut) continue;
    ++count;
    const SymbolRecord* undefined = nullptr;
    const SymbolRecord* leftOutTag = nullptr;
    for (const SymbolRecord& member : s.members) {
      if (member.structTag.empty()) continue;
      const StructRecord* first = firstOfTag(member, s);
      if (!first) {
        undefined = &member;
        break;
      }
      if (!leftOutTag && referred[first].kept == 0) leftOutTag = &member;
    }
    std::string name(s.name);
    if (undefined) {
      diagnostics.fault("Undefined datatype ",
                        std::string(undefined->structTag) + " in struct " + name);
      diagnostics.warning("structure " + name + " was left out from where it failed", s.line);
    } else {
      diagnostics.warning("structure " + name + " was left out: it refers to structure " +
                              std::string(leftOutTag->structTag) + ", which was left out",
                          s.line);
    }
  }
  return count;
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

}  // namespace torvane
