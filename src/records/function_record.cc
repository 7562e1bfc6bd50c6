#include "records/function_record.h"

#include "cdb/field_scanner.h"
#include "records/program.h"
#include "torvane/diagnostics.h"

namespace torvane {

bool FunctionRecord::parse(FieldScanner& scanner, Program& program, Diagnostics& diagnostics) {
  sourceFile = program.currentFile();
  return SymbolRecord::parse(scanner, program, diagnostics);
}

}  // namespace torvane
