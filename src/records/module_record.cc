#include "records/module_record.h"

#include <string>

#include "cdb/field_scanner.h"
#include "output/command_file.h"

bool ModuleRecord::parse(FieldScanner& scanner, CommandFile& file) {
  std::string_view moduleName;
  scanner.readUntil(moduleName, "$");
  name = file.keep(moduleName);
  fileName = file.keep(std::string(moduleName) + ".c");
  // Functions read from here on belong to this module: they note the current file.
  file.enterFile(name);
  return true;
}

bool ModuleRecord::emit(CommandFile& file) {
  file.enterFile(fileName);
  return true;
}
