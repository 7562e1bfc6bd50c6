#pragma once

namespace torvane {

/// Makes the signals that stop the program (Ctrl-C and Ctrl-Break on Windows) remove
/// the new file of a command file being written before the program stops as they stop
/// it; and makes a write past the limit on a file's size a failure of the write, not a
/// stop. See note [stopped by a signal] in stop_signals.cc.
void removeUnfinishedFilesOnStop();

}  // namespace torvane
