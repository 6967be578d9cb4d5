// The signals that stop a run (interrupt, termination, hang-up) as the run
// sees them: the program's handlers only note the signal in a flag, and the
// run looks at the flag between commands and while it waits for a line or a
// child process. The session reaches the flag only through StopSignals.
#pragma once

#include <sys/types.h>

#include <atomic>
#include <csignal>

namespace vexal {

// The flag the handlers set: the stop signal that came and was not dealt
// with (SIGINT, SIGTERM or SIGHUP), 0 for none. Lock-free, so that a
// handler may write it.
using SignalFlag = std::atomic<int>;
static_assert(SignalFlag::is_always_lock_free);

// Notes `signal` in `flag`, as a handler does: a termination or hang-up is
// never replaced by an interrupt, so the run cannot miss the one that ends it.
inline void note_stop_signal(SignalFlag& flag, int signal) {
  if (signal != SIGINT) {
    flag.store(signal);
    return;
  }
  int none = 0;
  flag.compare_exchange_strong(none, signal);
}

// What the run may do with the flag: look at it, and forget an interrupt it
// has dealt with. A default-made one has no flag and sees no signal (a
// session inside the tests).
class StopSignals {
 public:
  StopSignals() = default;
  explicit StopSignals(SignalFlag* flag) : flag_(flag) {}

  // The stop signal waiting to be dealt with; 0 for none.
  int pending() const { return flag_ ? flag_->load() : 0; }
  // Forgets a waiting interrupt; a termination or hang-up stays. True when
  // there was an interrupt.
  bool clear_interrupt() const {
    int interrupt = SIGINT;
    return flag_ && flag_->compare_exchange_strong(interrupt, 0);
  }

 private:
  SignalFlag* flag_ = nullptr;
};

// Waits for the child process `pid` and stores its status as waitpid gives
// it; false (errno set) when waiting failed. A termination or hang-up that
// comes meanwhile is passed on to the child, once, so that the run ends soon
// after it; an interrupt is not: typed at the terminal, it reached the child
// (in the same process group) already.
bool wait_for_child(pid_t pid, int& status, const StopSignals& stop);

}  // namespace vexal
