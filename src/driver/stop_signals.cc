#include "driver/stop_signals.h"

#include <csignal>

#include "torvane/files.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace torvane {

// note [stopped by a signal]
// A command file is written to a new file beside it, which takes its place when whole.
// A signal that stops the program meanwhile would leave that file behind, so the
// handler removes it, then lets the signal take its usual course: the program stops as
// that signal stops any program, and the shell sees it so. A signal of a file grown past
// its size limit (ulimit -f) is ignored, so that the write fails and is reported like a
// full disk, and the old command file stays. Only a kill that cannot be caught (SIGKILL)
// leaves the new file, whose name tells what it was.

#ifdef _WIN32

namespace {

BOOL WINAPI onConsoleStop(DWORD event) {
  if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT || event == CTRL_CLOSE_EVENT) {
    removeUnfinishedCommandFiles();
  }
  return FALSE;  // the system's own handling follows: the process ends
}

}  // namespace

void removeUnfinishedFilesOnStop() { SetConsoleCtrlHandler(onConsoleStop, TRUE); }

#else

namespace {

extern "C" void onStop(int signal) {
  removeUnfinishedCommandFiles();
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

}  // namespace

void removeUnfinishedFilesOnStop() {
  for (int stop : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) {
    struct sigaction action {};
    action.sa_handler = onStop;
    sigemptyset(&action.sa_mask);
    sigaction(stop, &action, nullptr);
  }
  std::signal(SIGXFSZ, SIG_IGN);
}

#endif

}  // namespace torvane
