#include "records/link_record.h"

#include "cdb/field_scanner.h"
#include "output/command_file.h"

// Link lines are accepted unread until their kinds are handled.
bool LinkRecord::parse(FieldScanner&, CommandFile&) { return true; }
