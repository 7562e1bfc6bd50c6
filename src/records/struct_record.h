#pragma once

#include <cstdint>

#include "records/debug_record.h"
#include "records/symbol_record.h"

namespace torvane {

class Reporter;
class FieldScanner;
class Program;

/// The layout of a C structure (a T record): its tag, its file and its members, each a
/// symbol whose address is its offset in the structure.
class StructRecord : public DebugRecord {
 public:
  static constexpr const char* kKind = "structure";

  /// Reads the file, the tag and every member with its offset.
  [[nodiscard]] bool parse(FieldScanner& scanner, Program& program, Reporter& diagnostics);

  uint32_t ordinal = 0;  ///< a number of its own among the structures read, from 0
  int32_t size = 0;
  RecordList<SymbolRecord> members;
};

}  // namespace torvane
