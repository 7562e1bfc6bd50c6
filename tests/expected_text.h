#pragma once

#include <string>

#include "driver/version.h"

namespace torvane {

// Fixed texts the program prints or writes in every run.

inline const std::string kBanner =
    "Torvane version " TORVANE_VERSION ".  Process SDC51 CDB files for Drevik.\n"
    "  Written by the Torvane developers for 8051 firmware teams.\n";

inline const std::string kHeader =
    "CLEARLINEINFO Y\nRADIX 10\nMSBFIRST 0\nCASE 2\n"
    "SMALLPOINTERSIZE 1\nPOINTERSIZE 2\nLARGEPOINTERSIZE 3\n";

inline const std::string kMissingBp =
    "Error: you have used stack-relative symbols, but have not defined bp.\n"
    "  You must compile the library module _bp.c with --debug\n"
    "  Either add _bp.c to your build, or place _bp.cdb in the library\n"
    "  directory with _bp.rel.\n";

}  // namespace torvane
