#pragma once

#include <string_view>

#include "records/debug_record.h"

namespace torvane {

class Reporter;
class FieldScanner;
class Program;

/// A compilation module (an M record).
class ModuleRecord : public DebugRecord {
 public:
  static constexpr const char* kKind = "module";

  /// Reads the module name (up to a "$") and makes it the current file at once.
  [[nodiscard]] bool parse(FieldScanner& scanner, Program& program, Reporter& diagnostics);

  std::string_view fileName;  ///< the module's C source file
};

}  // namespace torvane
