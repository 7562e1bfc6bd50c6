#pragma once

#include <cstddef>
#include <cstdint>

#include "records/debug_record.h"
#include "records/symbol_record.h"

namespace torvane {

class FieldScanner;

/// The layout of a C structure (a T record): its tag, its file and its members, each a
/// symbol whose address is its offset in the structure.
class StructRecord : public DebugRecord {
 public:
  static constexpr const char* kKind = "structure";

  /// Reads the file, the tag and every member with its offset.
  [[nodiscard]] bool parse(FieldScanner& scanner, Program& program, Diagnostics& diagnostics);

  /// Writes this structure's STRUCT block once, after the blocks of every structure its
  /// members refer to; false when one of them is not defined in this structure's file.
  [[nodiscard]] bool emit(CommandWriter& out, const Program& program,
                          Diagnostics& diagnostics) override;

  /// As emit; returns null when every block was written, or else the structure whose
  /// member names a structure not defined in its file.
  const StructRecord* writeBlocks(CommandWriter& out, const Program& program,
                                  Diagnostics& diagnostics);

  bool emitted = false;
  /// Left out of the command file, as a structure that cannot be written, or that
  /// refers only to such structures; lookups pass over it.
  bool leftOut = false;
  int32_t size = 0;
  RecordList<SymbolRecord> members;

 private:
  void writeBlock(CommandWriter& out) const;
};

/// Marks left out every structure that cannot be written: one whose member names a
/// structure that its file does not define, and, until nothing changes, one whose
/// member names a structure whose every record is left out. Says so for each, in
/// reading order, and returns how many were left out.
std::size_t leaveOutUnwritableStructures(const Program& program, Diagnostics& diagnostics);

}  // namespace torvane
