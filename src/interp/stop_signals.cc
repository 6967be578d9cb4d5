// Waiting for a child process while the stop signals may come.
#include "interp/stop_signals.h"

#include <sys/wait.h>

#include <cerrno>

namespace vexal {

bool wait_for_child(pid_t pid, int& status, const StopSignals& stop) {
  bool passed_on = false;
  // The handlers do not restart waitpid: each signal wakes this loop. One
  // that came before the child started is looked at first.
  for (;;) {
    const int signal = stop.pending();
    if (!passed_on && signal != 0 && signal != SIGINT) {
      ::kill(pid, signal);
      passed_on = true;
    }
    if (::waitpid(pid, &status, 0) >= 0) return true;
    if (errno != EINTR) return false;
  }
}

}  // namespace vexal
