#pragma once

#include <cstdint>
#include <string_view>

#include "records/debug_record.h"

namespace torvane {

class Diagnostics;
class FieldScanner;
class Program;

/// A link record (an L record): binds addresses into records already read, or gives a
/// source line's address. It is never stored, so its texts are views of its line.
/// Assembler line addresses (L:A) have no work: the reader passes them over.
class LinkRecord : public DebugRecord {
 public:
  /// Reads the line and does its work; false for an unknown kind letter.
  [[nodiscard]] bool parse(FieldScanner& scanner, Program& program, Diagnostics& diagnostics);

  char kind = '\0';
  int32_t line = 0;
  int32_t address = 0;
};

}  // namespace torvane
