#include "records/debug_record.h"

bool DebugRecord::emit(CommandWriter&, const Program&, Diagnostics&) { return true; }
