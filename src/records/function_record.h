#pragma once

#include <cstdint>
#include <string_view>

#include "records/symbol_record.h"

namespace torvane {

/// A function (an F record): a symbol that also knows its source file and code range.
class FunctionRecord : public SymbolRecord {
 public:
  static constexpr const char* kKind = "function";

  /// Notes the current file as the source file, then reads the line as a symbol.
  [[nodiscard]] bool parse(FieldScanner& scanner, Program& program, Reporter& diagnostics);

  std::string_view sourceFile;  ///< the file in effect when the record was read
  LinkedAddress endAddress;  ///< 0 until a link record gives the end
};

}  // namespace torvane
