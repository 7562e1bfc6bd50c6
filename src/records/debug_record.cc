#include "records/debug_record.h"

namespace torvane {

bool DebugRecord::emit(CommandWriter&, const Program&, Diagnostics&) { return true; }

}  // namespace torvane
