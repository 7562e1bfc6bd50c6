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

/// Reads an identity written as a link record writes it after its kind ("G$ready$0_0$0",
/// "Lmain.f$i$1_0$2"); false where it is not one of a symbol (scopes F, G and L).
[[nodiscard]] bool readSymbolIdentity(std::string_view text, RecordIdentity& identity);

/// Gives the symbols of `identity` `address`, where no link record gave them one and
/// they do not live on the stack: every copy of the identity alike, as a link record
/// binds them. True when it bound them.
bool bindUnlinkedSymbol(Program& program, const RecordIdentity& identity, int32_t address);

}  // namespace torvane
