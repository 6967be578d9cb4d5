// vexal: builds a session from the command line and runs the command loop.
#include <string>
#include <vector>

#include "interp/session.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  vexal::Session session;
  session.start(args);
  session.loop();
  return session.run.exit_status;
}
