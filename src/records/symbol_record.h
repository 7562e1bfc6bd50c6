#pragma once

#include <cstdint>
#include <string_view>

#include "records/debug_record.h"

class FieldScanner;

/// A symbol of the program: a global, file-static or local variable (an S record), and
/// the base of function records and of every structure member.
class SymbolRecord : public DebugRecord {
 public:
  /// Reads an S record's body: identity, type chain, address space, stack flag, address.
  /// A non-zero on-stack number marks the symbol, and the command file, stack-relative.
  [[nodiscard]] bool parse(FieldScanner& scanner, CommandFile& file);

  /// Writes the DEF or DEFS line (a REM note for a register variable), after entering
  /// the file or function scope it needs.
  [[nodiscard]] bool emit(CommandFile& file) override;

  /// Reads a type chain from just after its "(" through its ")" into `size`, `typeText`
  /// and, for a structure member, `structTag`; false when the chain is not understood.
  [[nodiscard]] bool parseTypeChain(FieldScanner& scanner, CommandFile& file);

  /// The address the last link record of this identity bound, or else `address`.
  int32_t linkedAddress() const { return linked ? *linked : address; }

  int32_t size = 0;
  int32_t address = 0;  ///< as the record gives it (a member: its offset)
  std::string_view typeText;
  std::string_view structTag;
  std::string_view registers;  ///< a register variable's bracketed register list
  // See note [binding every copy] in link_record.cc.
  const int32_t* linked = nullptr;  ///< the cell of the first record of this identity
  int32_t linkedCell = 0;           ///< in that first record: the address bound last
  char addressSpace = '\0';
  bool onStack = false;
};
