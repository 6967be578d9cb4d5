// Interrupt, termination and hang-up sent to the real program while it runs:
// a stopped run leaves no scratch file and no half-written document, the
// document it was to replace stays as it was, and Ctrl-C at the terminal or
// during a shell command does not end the session.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "support/ghostscript.h"
#include "support/process.h"
#include "support/scratch_dir.h"

namespace vexal {
namespace {

namespace fs = std::filesystem;

// What the harness itself leaves in the folder.
const std::set<std::string> kHarnessFiles = {"stdout.txt", "stderr.txt", "started"};

// A document of an earlier run, longer than any the tests write.
const std::string kPreviousDocument =
    "%!PS-Adobe-2.0\n" + std::string(20000, '%') + "\n0 0 moveto 72 72 lineto stroke showpage\n";

class StopSignalsTest : public ScratchDirTest {
 protected:
  std::vector<std::string> environment() const {
    return {"HOME=" + fs::current_path().string(), "PATH=/usr/bin:/bin"};
  }
  // The names in the folder, the harness's own left out.
  static std::set<std::string> folder() {
    std::set<std::string> names;
    for (const fs::directory_entry& e : fs::directory_iterator("."))
      if (!kHarnessFiles.contains(e.path().filename().string()))
        names.insert(e.path().filename().string());
    return names;
  }
  static bool any_named(std::string_view prefix) {
    for (const std::string& name : folder())
      if (name.starts_with(prefix)) return true;
    return false;
  }
};

// True when the process is blocked in read(2) (false where /proc does not tell).
bool blocked_reading(pid_t pid) {
  const std::string call = slurp("/proc/" + std::to_string(pid) + "/syscall");
  return call.starts_with(std::to_string(SYS_read) + " ");
}

// A run stopped by a signal while it computes (a long loop), waits for a
// shell command, or waits for input from a pipe: the exit status is 128 + the
// signal, the loop files, the scratch data file and the unfinished document
// are gone, and the document of the previous run is byte for byte as it was.
// An interrupt sent to the process group (as a terminal sends Ctrl-C) ends
// the shell command and the run of command files with it.
TEST_F(StopSignalsTest, AStoppedRunLeavesNothingBehind) {
  const std::string data = "DRAW 1 1\nDATA\n1 2\n3 4\nENDDATA\n";
  const std::string loop = data + "LOOP 2000000000\nXMIN 0\nENDLOOP\n";
  // The shell command outlives the test's patience unless the signal ends it.
  const std::string shell = data + "LOOP 1\nSYSTEM touch started && exec sleep 300\nENDLOOP\n" +
                            "ECHOERR after the shell command\nQUIT\n";
  const bool proc_tells = !slurp("/proc/self/syscall").empty();
  enum class Waits { kLoop, kShell, kPipe };
  struct Case {
    const char* name;
    Waits waits;
    int signal;
    bool to_group;  // sent to the process group, as a terminal does
    int status;
  };
  constexpr Case kCases[] = {
      {"loop, interrupt", Waits::kLoop, SIGINT, false, 130},
      {"loop, termination", Waits::kLoop, SIGTERM, false, 143},
      {"loop, hang-up", Waits::kLoop, SIGHUP, false, 129},
      {"shell, termination", Waits::kShell, SIGTERM, false, 143},
      {"shell, hang-up", Waits::kShell, SIGHUP, false, 129},
      {"pipe, termination", Waits::kPipe, SIGTERM, false, 143},
      {"pipe, interrupt", Waits::kPipe, SIGINT, false, 130},
      {"shell, interrupt to the group", Waits::kShell, SIGINT, true, 130},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    if (c.waits == Waits::kPipe && !proc_tells) continue;  // no telling when it reads
    for (const std::string& name : folder()) fs::remove_all(name);
    fs::remove("started");
    write("vexal.ps", kPreviousDocument);
    std::vector<std::string> command = {VEXAL_BINARY, "-d", "-q"};
    if (c.waits != Waits::kPipe) {
      write("job.vx", c.waits == Waits::kLoop ? loop : shell);
      command.push_back("job.vx");
    }
    BackgroundProcess run(command, environment(), c.to_group);
    ASSERT_GT(run.pid(), 0);
    if (c.waits == Waits::kPipe) run.send(data + "DATA\n5 6\n");
    const bool ready = wait_until([&] {
      switch (c.waits) {
        case Waits::kLoop:
          return any_named(".vexal_b");
        case Waits::kShell:
          return fs::exists("started");
        case Waits::kPipe:
          return blocked_reading(run.pid()) && any_named("data");
      }
      return false;
    });
    ASSERT_TRUE(ready);
    ::kill(c.to_group ? -run.pid() : run.pid(), c.signal);
    const RunResult r = run.wait();
    EXPECT_EQ(r.status, c.status) << r.err;
    const std::set<std::string> left = folder();
    const std::set<std::string> want = c.waits == Waits::kPipe
                                           ? std::set<std::string>{"vexal.ps"}
                                           : std::set<std::string>{"job.vx", "vexal.ps"};
    EXPECT_EQ(left, want);
    EXPECT_EQ(slurp("vexal.ps"), kPreviousDocument);
    EXPECT_EQ(r.err, "");
  }
}

// At a terminal (made by script(1)), Ctrl-C drops the line being typed and
// the prompt comes again; Ctrl-C during a shell command ends the command
// alone, and the session goes on with the next line.
TEST_F(StopSignalsTest, CtrlCAtTheTerminalKeepsTheSession) {
  if (!fs::exists("/usr/bin/script")) GTEST_SKIP() << "no script(1) to make a terminal";
  BackgroundProcess run(
      {"script", "-qec", "exec " + std::string(VEXAL_BINARY) + " -d -o t.ps", "/dev/null"},
      environment());
  ASSERT_GT(run.pid(), 0);
  auto shown = [] { return slurp("stdout.txt"); };
  auto prompts = [&](size_t n) {
    return wait_until([&] {
      const std::string out = shown();
      size_t count = 0;
      for (size_t at = 0; (at = out.find("$VEXAL: ", at)) != std::string::npos; ++at) ++count;
      return count >= n;
    });
  };
  ASSERT_TRUE(prompts(1));
  run.send("ECHO dropped");
  ASSERT_TRUE(wait_until([&] { return shown().find("ECHO dropped") != std::string::npos; }));
  run.send("\x03");
  ASSERT_TRUE(prompts(2)) << shown();
  // The child outlives the test's patience unless the Ctrl-C ends it.
  run.send("SYSTEM touch started && exec sleep 300\n");
  ASSERT_TRUE(wait_until([] { return fs::exists("started"); }));
  run.send("\x03");
  ASSERT_TRUE(prompts(3)) << shown();
  run.send("ECHO alive\nQUIT\n");
  const RunResult r = run.wait();
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("\nalive"), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find("\ndropped"), std::string::npos) << r.out;
  const std::string doc = slurp("t.ps");
  EXPECT_TRUE(doc.ends_with("%%EOF\n")) << doc.substr(0, 100);
  check_document_later(doc);
}

}  // namespace
}  // namespace vexal
