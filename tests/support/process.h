// The real program run as a child process by the tests that need a whole
// run: its standard output and error, and its exit status.
#pragma once

#include <sys/types.h>

#include <functional>
#include <string>
#include <string_view>
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

// A program left running while the test acts on it (sends it input or
// signals). Its standard input is a socket the test writes into (so that a
// reader gone early gives an error, not SIGPIPE), its standard output and
// error go to stdout.txt and stderr.txt in the current directory, and it
// starts with the default action for every signal.
class BackgroundProcess {
 public:
  // Starts `command` (found on the PATH when its name has no "/") with the
  // environment `env`; in a process group of its own when `own_group`.
  BackgroundProcess(const std::vector<std::string>& command, std::vector<std::string> env,
                    bool own_group = false);
  // Kills a process still running (its group too when it has its own).
  ~BackgroundProcess();
  BackgroundProcess(const BackgroundProcess&) = delete;
  BackgroundProcess& operator=(const BackgroundProcess&) = delete;

  pid_t pid() const { return pid_; }  // 0 when it could not be started
  // Writes `text` to its standard input.
  void send(std::string_view text);
  // Waits for it to end, killing it after 60 s; its status is -1 unless it
  // exited. Standard input stays open meanwhile.
  RunResult wait();

 private:
  pid_t pid_ = 0;
  int input_ = -1;  // the test's end of the standard-input socket
  bool own_group_ = false;
};

// Polls `ready` until it holds (true) or 60 s have passed (false).
bool wait_until(const std::function<bool()>& ready);

}  // namespace vexal
