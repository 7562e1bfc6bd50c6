#include "records/function_record.h"

#include "cdb/field_scanner.h"
#include "output/command_file.h"

bool FunctionRecord::parse(FieldScanner& scanner, CommandFile& file) {
  sourceFile = file.keep(file.currentFile());
  return SymbolRecord::parse(scanner, file);
}

bool FunctionRecord::emit(CommandFile& file) {
  file.enterFunction("");
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
      return file.fault("Bad function scope ", scope);
  }
  file.enterFile(home);
  // The range lines are plain text: they open no FUNC scope of the writer's.
  file.writeText(keyword);
  file.writeText(name);
  file.writeText(" C:");
  file.writeNumber(address.value(), 16);
  file.endLine();
  file.writeText("ENDF C:");
  file.writeNumber(endAddress.value(), 16);
  file.endLine();
  return SymbolRecord::emit(file);
}
