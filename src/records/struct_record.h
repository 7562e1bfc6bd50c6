#pragma once

#include <cstdint>

#include "records/debug_record.h"
#include "records/symbol_record.h"

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

  bool emitted = false;
  int32_t size = 0;
  RecordList<SymbolRecord> members;

 private:
  void writeBlock(CommandWriter& out) const;
};
