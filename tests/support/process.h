// The real program run as a child process by the tests that need a whole
// run: its standard output and error, and its exit status.
#pragma once

#include <string>
#include <vector>

namespace vexal {

struct RunResult {
  int status = -1;  // exit status, or -1 when the program did not exit normally
  std::string out, err;
};

// The whole content of a file ("" when it cannot be read).
std::string slurp(const std::string& name);

// Runs `command` (a program, found on the PATH when its name has no "/", and
// its arguments) under a 20 s limit in the current directory, with standard
// input from `input_file`, standard output and error into stdout.txt and
// stderr.txt there, and the environment `env`; waits for it.
RunResult run_process(const std::vector<std::string>& command, const std::string& input_file,
                      std::vector<std::string> env);

}  // namespace vexal
