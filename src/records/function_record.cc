#include "records/function_record.h"

#include "cdb/field_scanner.h"
#include "output/command_writer.h"
#include "records/program.h"
#include "torvane/diagnostics.h"

namespace torvane {

bool FunctionRecord::parse(FieldScanner& scanner, Program& program, Diagnostics& diagnostics) {
  sourceFile = program.keep(program.currentFile());
  return SymbolRecord::parse(scanner, program, diagnostics);
}

bool FunctionRecord::emit(CommandWriter& out, const Program& program, Diagnostics& diagnostics) {
  out.enterFunction("");
  std::string_view home;
  const char* keyword;
  switch (scope) {
    case 'F':
      home = scopeName;
      keyword = "SFUNC ";
      break;
    case 'G':
      home = sourceFile;
      keyword = "FUNC ";
      break;
    default:
      return diagnostics.fault("Bad function scope ", scope);
  }
  out.enterFile(home);
  // The range lines are plain text: they open no FUNC scope of the writer's.
  out.writeText(keyword);
  out.writeText(name);
  out.writeText(" C:");
  out.writeNumber(address.value(), 16);
  out.endLine();
  out.writeText("ENDF C:");
  out.writeNumber(endAddress.value(), 16);
  out.endLine();
  return SymbolRecord::emit(out, program, diagnostics);
}

}  // namespace torvane
