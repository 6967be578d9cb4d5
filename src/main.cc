// vexal: builds a session from the command line and runs the command loop.
#include <fcntl.h>

#include <cerrno>
#include <csignal>
#include <string>
#include <vector>

#include "interp/session.h"
#include "interp/stop_signals.h"

namespace {

// The stop signal caught and not yet dealt with: the one piece of state the
// process keeps outside its session, which sees it through StopSignals.
vexal::SignalFlag caught_signal{0};

void note_signal(int signal) { vexal::note_stop_signal(caught_signal, signal); }

// Interrupt, termination and hang-up end the run cleanly instead of killing
// it: the handler only notes the signal. Without SA_RESTART, a blocking read
// of the terminal or a wait for a child returns at once, so the run sees it.
// A signal the process was started ignoring (nohup, a background job of a
// shell without job control) stays ignored.
void catch_stop_signals() {
  struct sigaction action = {};
  action.sa_handler = note_signal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = 0;
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
    struct sigaction before = {};
    if (sigaction(signal, nullptr, &before) == 0 && before.sa_handler != SIG_IGN)
      sigaction(signal, &action, nullptr);
  }
}

}  // namespace

int main(int argc, char** argv) {
  // A closed standard descriptor would be taken by the next file opened (the
  // document), and the banner, echoes or messages would land in it.
  for (int fd = 0; fd <= 2; ++fd)
    if (::fcntl(fd, F_GETFD) == -1 && errno == EBADF)
      ::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
  // A reader that goes away (vexal -s ... | head) makes writes fail with
  // EPIPE, which the writers report, instead of killing the run unannounced.
  std::signal(SIGPIPE, SIG_IGN);
  catch_stop_signals();
  std::vector<std::string> args(argv + 1, argv + argc);
  vexal::SessionIo io;
  io.stop = vexal::StopSignals(&caught_signal);
  vexal::Session session(io);
  session.start(args);
  session.loop();
  // A stop signal ended the run: its status says which, whatever else happened.
  if (session.run.stopped_by != 0) return 128 + session.run.stopped_by;
  // --strict: a message on the error stream (besides ECHOERR's lines) fails the run.
  const vexal::Units& u = session.units;
  if (u.strict && session.errbuf.bytes_written() > u.echoed_errors) return 1;
  return session.run.exit_status;
}
