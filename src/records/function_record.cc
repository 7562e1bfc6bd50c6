#include "records/function_record.h"

#include "cdb/field_scanner.h"
#include "output/command_file.h"

// Function lines are accepted unread until their fields are parsed.
bool FunctionRecord::parse(FieldScanner&, CommandFile&) { return true; }
