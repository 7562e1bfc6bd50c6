#include "records/symbol_record.h"

#include "cdb/field_scanner.h"
#include "output/command_file.h"

// Symbol lines are accepted unread until their fields are parsed.
bool SymbolRecord::parse(FieldScanner&, CommandFile&) { return true; }
