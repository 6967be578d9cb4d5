// vexal: builds a session from the command line and runs the command loop.
#include <string>
#include <vector>

#include "interp/session.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  vexal::Session session;
  session.start(args);
  session.loop();
  // --strict: a message on the error stream (besides ECHOERR's lines) fails the run.
  const vexal::Units& u = session.units;
  if (u.strict && session.errbuf.bytes_written() > u.echoed_errors) return 1;
  return session.run.exit_status;
}
