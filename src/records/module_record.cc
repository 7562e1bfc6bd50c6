#include "records/module_record.h"

#include <string>

#include "cdb/field_scanner.h"
#include "records/program.h"

namespace torvane {

bool ModuleRecord::parse(FieldScanner& scanner, Program& program, Reporter&) {
  std::string_view moduleName;
  scanner.readUntil(moduleName, "$");
  name = program.keep(moduleName);
  fileName = program.keep(std::string(moduleName) + ".c");
  // Functions read from here on belong to this module: they note the current file.
  program.enterFile(name);
  return true;
}

}  // namespace torvane
