#include "records/struct_record.h"

#include "cdb/field_scanner.h"
#include "output/command_file.h"

// Structure lines are accepted unread until their fields are parsed.
bool StructRecord::parse(FieldScanner&, CommandFile&) { return true; }
