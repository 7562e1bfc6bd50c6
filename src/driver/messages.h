#pragma once

#include <string>

namespace torvane {

class Diagnostics;

/// The messages of a conversion as the command line prints them. See note [messages of
/// the command line] in messages.cc.
struct PrintedMessages {
  std::string out;  ///< for standard output
  std::string err;  ///< for standard error: failures of files, and the notes on them
};

/// Words `diagnostics` for the command line, which named folders of listings or not;
/// `quiet` leaves out the notes, but for those on a failure.
[[nodiscard]] PrintedMessages printedMessages(const Diagnostics& diagnostics, bool listingsNamed,
                                              bool quiet = false);

}  // namespace torvane
