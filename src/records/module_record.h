#pragma once

#include <string_view>

#include "records/debug_record.h"

class FieldScanner;

/// A compilation module (an M record).
class ModuleRecord : public DebugRecord {
 public:
  /// Reads the module name (up to a "$") and makes it the current file at once.
  [[nodiscard]] bool parse(FieldScanner& scanner, CommandFile& file);

  /// Declares the module's C source file.
  [[nodiscard]] bool emit(CommandFile& file) override;

  std::string_view fileName;
};
