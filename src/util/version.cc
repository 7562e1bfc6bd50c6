#include "torvane/version.h"

namespace torvane {

// TORVANE_LIBRARY_VERSION is given to this file alone by the build, from the project's
// version, so that the library answers with the version it was built as.
const char* version() { return TORVANE_LIBRARY_VERSION; }

}  // namespace torvane
