// Child processes for the tests that run the real program.
#include "support/process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

namespace vexal {

namespace {

// The texts as the null-ended array of C strings exec takes (pointing into them).
std::vector<char*> c_strings(std::vector<std::string>& texts) {
  std::vector<char*> out;
  for (std::string& t : texts) out.push_back(t.data());
  out.push_back(nullptr);
  return out;
}

constexpr auto kPatience = std::chrono::seconds(60);  // how long a test waits for a process
constexpr auto kPollStep = std::chrono::milliseconds(10);

}  // namespace

std::string slurp(const std::string& name) {
  std::ifstream in(name, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

RunResult run_process(const std::vector<std::string>& command, const std::string& input_file,
                      std::vector<std::string> env) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, input_file.c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, "stdout.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, "stderr.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
  std::vector<std::string> words = {"timeout", "20"};
  words.insert(words.end(), command.begin(), command.end());
  std::vector<char*> argv = c_strings(words), envp = c_strings(env);
  pid_t pid = 0;
  RunResult r;
  if (posix_spawnp(&pid, "timeout", &actions, nullptr, argv.data(), envp.data()) == 0) {
    int status = 0;
    waitpid(pid, &status, 0);
    if (WIFEXITED(status)) r.status = WEXITSTATUS(status);
  }
  posix_spawn_file_actions_destroy(&actions);
  r.out = slurp("stdout.txt");
  r.err = slurp("stderr.txt");
  return r;
}

BackgroundProcess::BackgroundProcess(const std::vector<std::string>& command,
                                     std::vector<std::string> env, bool own_group)
    : own_group_(own_group) {
  int ends[2];
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) return;
  input_ = ends[0];
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, ends[1], 0);
  posix_spawn_file_actions_addopen(&actions, 1, "stdout.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, "stderr.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  sigset_t all, none;
  sigfillset(&all);
  sigemptyset(&none);
  posix_spawnattr_setsigdefault(&attr, &all);
  posix_spawnattr_setsigmask(&attr, &none);
  short flags = POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK;
  if (own_group) {
    posix_spawnattr_setpgroup(&attr, 0);
    flags |= POSIX_SPAWN_SETPGROUP;
  }
  posix_spawnattr_setflags(&attr, flags);
  std::vector<std::string> words = command;
  std::vector<char*> argv = c_strings(words), envp = c_strings(env);
  if (posix_spawnp(&pid_, argv[0], &actions, &attr, argv.data(), envp.data()) != 0) pid_ = 0;
  posix_spawnattr_destroy(&attr);
  posix_spawn_file_actions_destroy(&actions);
  ::close(ends[1]);
}

BackgroundProcess::~BackgroundProcess() {
  if (pid_ > 0) {
    ::kill(own_group_ ? -pid_ : pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
  }
  if (input_ >= 0) ::close(input_);
}

void BackgroundProcess::send(std::string_view text) {
  while (input_ >= 0 && !text.empty()) {
    const ssize_t n = ::send(input_, text.data(), text.size(), MSG_NOSIGNAL);
    if (n <= 0) return;
    text.remove_prefix(static_cast<size_t>(n));
  }
}

RunResult BackgroundProcess::wait() {
  RunResult r;
  if (pid_ > 0) {
    int status = 0;
    pid_t done = 0;
    wait_until([&] { return (done = ::waitpid(pid_, &status, WNOHANG)) != 0; });
    if (done == 0) {  // still running after all that time
      ::kill(own_group_ ? -pid_ : pid_, SIGKILL);
      ::waitpid(pid_, &status, 0);
    } else if (done == pid_ && WIFEXITED(status)) {
      r.status = WEXITSTATUS(status);
    }
    pid_ = 0;
  }
  r.out = slurp("stdout.txt");
  r.err = slurp("stderr.txt");
  return r;
}

bool wait_until(const std::function<bool()>& ready) {
  const auto give_up = std::chrono::steady_clock::now() + kPatience;
  while (!ready()) {
    if (std::chrono::steady_clock::now() > give_up) return false;
    std::this_thread::sleep_for(kPollStep);
  }
  return true;
}

}  // namespace vexal
