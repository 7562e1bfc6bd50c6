#pragma once

#include <string>

namespace torvane {

// The new files that stand beside command files until they take their place: noted
// while they are written, so that a process stopped by a signal removes them first.

/// Notes the new file `name`, open as `descriptor`, to be removed if the process is
/// stopped before it takes its place; returns its slot, or -1 where none is free (then
/// a stop leaves it, as a kill that cannot be caught does).
int noteUnfinished(const std::string& name, int descriptor);

/// Forgets the file of `slot` (-1: none), put in place or removed.
void forgetUnfinished(int slot);

/// Removes every file still noted. Safe in a signal handler: it takes no lock and
/// allocates nothing.
void removeUnfinished() noexcept;

}  // namespace torvane
