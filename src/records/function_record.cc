#include "records/function_record.h"

#include "cdb/field_scanner.h"
#include "records/program.h"
#include "util/reporter.h"

namespace torvane {

bool FunctionRecord::parse(FieldScanner& scanner, Program& program, Reporter& diagnostics) {
  sourceFile = program.currentFile();
  return SymbolRecord::parse(scanner, program, diagnostics);
}

}  // namespace torvane
