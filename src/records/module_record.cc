#include "records/module_record.h"

#include "cdb/field_scanner.h"
#include "output/command_file.h"

// Module lines are accepted unread until their fields are parsed.
bool ModuleRecord::parse(FieldScanner&, CommandFile&) { return true; }
