#include "util/mapped_file.h"

#include <pthread.h>
#include <setjmp.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <ucontext.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <mutex>

namespace vexal {

namespace {

// The guarded call running on this thread, if any, and where to go back to.
struct GuardFrame {
  sigjmp_buf back;
  const char* lo;
  const char* hi;
};

[[gnu::tls_model("initial-exec")]] thread_local GuardFrame* t_frame = nullptr;

// The bus-error handler is installed while any file is mapped; what was
// there before comes back after.
std::mutex g_install_lock;
int g_mapped_files = 0;
struct sigaction g_previous;

void on_bus_error(int sig, siginfo_t* info, void* context) {
  GuardFrame* frame = t_frame;
  const char* at = static_cast<const char*>(info->si_addr);
  if (frame && info->si_code > 0 && at >= frame->lo && at < frame->hi) {
    t_frame = nullptr;
    // Back to the signal mask of the code the fault interrupted: whatever
    // calls this handler may have blocked more signals for it.
    ::pthread_sigmask(SIG_SETMASK, &static_cast<const ucontext_t*>(context)->uc_sigmask, nullptr);
    siglongjmp(frame->back, 1);
  }
  // Not a fault in a guarded mapping: what was there before handles it. A
  // fault happens again on return; a sent signal is sent again.
  ::sigaction(SIGBUS, &g_previous, nullptr);
  if (info->si_code <= 0) ::raise(sig);
}

void install_handler() {
  std::lock_guard<std::mutex> lock(g_install_lock);
  if (g_mapped_files++ > 0) return;
  struct sigaction action {};
  action.sa_sigaction = on_bus_error;
  action.sa_flags = SA_SIGINFO | SA_NODEFER;
  sigemptyset(&action.sa_mask);
  ::sigaction(SIGBUS, &action, &g_previous);
}

void remove_handler() {
  std::lock_guard<std::mutex> lock(g_install_lock);
  if (--g_mapped_files == 0) ::sigaction(SIGBUS, &g_previous, nullptr);
}

}  // namespace

bool MappedFile::map(int fd, uint64_t end, uint64_t from) {
  unmap();
  struct stat st;
  const uint64_t page = static_cast<uint64_t>(::sysconf(_SC_PAGESIZE));
  from = from / page * page;
  if (end <= from || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) return false;
  if (end - from > static_cast<uint64_t>(SIZE_MAX)) return false;
  install_handler();
  void* p = ::mmap(nullptr, static_cast<size_t>(end - from), PROT_READ, MAP_PRIVATE, fd,
                   static_cast<off_t>(from));
  if (p == MAP_FAILED) {
    remove_handler();
    return false;
  }
  data_ = static_cast<const char*>(p);
  offset_ = from;
  size_ = end - from;
  released_ = 0;
  return true;
}

void MappedFile::unmap() {
  if (!data_) return;
  ::munmap(const_cast<char*>(data_), static_cast<size_t>(size_));
  data_ = nullptr;
  offset_ = size_ = released_ = 0;
  remove_handler();
}

void MappedFile::release_before(uint64_t bytes) {
  const uint64_t page = static_cast<uint64_t>(::sysconf(_SC_PAGESIZE));
  const uint64_t upto = std::min(bytes, size_) / page * page;
  if (!data_ || upto <= released_) return;
  ::madvise(const_cast<char*>(data_) + released_, static_cast<size_t>(upto - released_),
            MADV_DONTNEED);
  released_ = upto;
}

bool MappedFile::run_guarded(void (*fn)(void*), void* context) const {
  GuardFrame frame;
  frame.lo = data_;
  frame.hi = data_ + size_;
  GuardFrame* const outer = t_frame;
  // No signal mask is saved (that would cost a system call on every call):
  // the handler puts back the mask of the code it interrupted.
  if (sigsetjmp(frame.back, 0) != 0) {
    t_frame = outer;
    return false;
  }
  t_frame = &frame;
  std::atomic_signal_fence(std::memory_order_seq_cst);
  fn(context);
  std::atomic_signal_fence(std::memory_order_seq_cst);
  t_frame = outer;
  return true;
}

}  // namespace vexal
