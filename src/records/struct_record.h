#pragma once

#include <cstdint>

#include "records/debug_record.h"

class FieldScanner;

/// The layout of a C structure (a T record): its tag, its file and its members.
class StructRecord : public DebugRecord {
 public:
  /// Reads the file, the tag and every member with its offset.
  [[nodiscard]] bool parse(FieldScanner& scanner, CommandFile& file);

  RecordList members;
  int32_t size = 0;
  bool emitted = false;
};
