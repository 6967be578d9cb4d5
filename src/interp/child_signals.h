// Spawn attributes for child processes: this process ignores SIGPIPE (a write
// to a closed pipe is an error it reports), a child gets the default action.
#pragma once

#include <signal.h>
#include <spawn.h>

namespace vexal {

class ChildSignals {
 public:
  ChildSignals() {
    posix_spawnattr_init(&attr_);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    posix_spawnattr_setsigdefault(&attr_, &defaults);
    posix_spawnattr_setflags(&attr_, POSIX_SPAWN_SETSIGDEF);
  }
  ~ChildSignals() { posix_spawnattr_destroy(&attr_); }
  ChildSignals(const ChildSignals&) = delete;
  ChildSignals& operator=(const ChildSignals&) = delete;
  // The attributes to hand to posix_spawn.
  const posix_spawnattr_t* get() const { return &attr_; }

 private:
  posix_spawnattr_t attr_;
};

}  // namespace vexal
