// vexal: builds a session from the command line and runs the command loop.
#include <fcntl.h>

#include <cerrno>
#include <csignal>
#include <string>
#include <vector>

#include "interp/session.h"

int main(int argc, char** argv) {
  // A closed standard descriptor would be taken by the next file opened (the
  // document), and the banner, echoes or messages would land in it.
  for (int fd = 0; fd <= 2; ++fd)
    if (::fcntl(fd, F_GETFD) == -1 && errno == EBADF)
      ::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
  // A reader that goes away (vexal -s ... | head) makes writes fail with
  // EPIPE, which the writers report, instead of killing the run unannounced.
  std::signal(SIGPIPE, SIG_IGN);
  std::vector<std::string> args(argv + 1, argv + argc);
  vexal::Session session;
  session.start(args);
  session.loop();
  // --strict: a message on the error stream (besides ECHOERR's lines) fails the run.
  const vexal::Units& u = session.units;
  if (u.strict && session.errbuf.bytes_written() > u.echoed_errors) return 1;
  return session.run.exit_status;
}
