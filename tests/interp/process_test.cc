// The real program as a process: what reaches standard output and standard
// error, the exit status, and the files it leaves, where only a whole run
// shows them.
#include "support/process.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/ghostscript.h"
#include "support/lines.h"
#include "support/scratch_dir.h"

namespace vexal {
namespace {

namespace fs = std::filesystem;

class ProcessTest : public ScratchDirTest {
 protected:
  // Runs the program with `args` in the scratch directory (also HOME), with
  // standard input from `input`, and waits for it.
  RunResult vexal(const std::vector<std::string>& args, const std::string& input = "") {
    std::vector<std::string> words = {VEXAL_BINARY};
    words.insert(words.end(), args.begin(), args.end());
    return program(words, input);
  }
  // Runs `command` (a program and its arguments, under a 20 s limit) the same way.
  RunResult program(const std::vector<std::string>& command, const std::string& input) {
    write("stdin.txt", input);
    return run_process(command, "stdin.txt",
                       {"HOME=" + fs::current_path().string(), "PATH=/usr/bin:/bin"});
  }
};

// One bad line among good ones: --where names its file and line, --strict
// fails the run (the document still finished); ECHOERR's own lines are
// neither errors nor unmarked.
TEST_F(ProcessTest, WhereAndStrictForBatchRuns) {
  write("job.vx", "ECHO start\nXMIN 0\nBOGUS line\nXMAX 1\nECHOERR note\nQUIT\n");
  RunResult plain = vexal({"-d", "-q", "job.vx"});
  EXPECT_EQ(plain.status, 0);
  EXPECT_EQ(plain.err, "Invalid Command> BOGUS line\nnote\n");
  RunResult where = vexal({"-d", "-q", "--where", "job.vx"});
  EXPECT_EQ(where.status, 0);
  EXPECT_EQ(where.err, "job.vx:3: Invalid Command> BOGUS line\njob.vx:5: note\n");
  fs::remove("vexal.ps");
  RunResult strict = vexal({"-d", "-q", "--strict", "--where", "job.vx"});
  EXPECT_EQ(strict.status, 1);
  EXPECT_NE(slurp("vexal.ps").find("%%EOF"), std::string::npos);
  write("good.vx", "ECHO fine\nECHOERR only mine\nQUIT\n");
  EXPECT_EQ(vexal({"-d", "-q", "--strict", "good.vx"}).status, 0);
  const std::string help = vexal({"--help"}).out;
  EXPECT_NE(help.find("  --where"), std::string::npos);
  EXPECT_NE(help.find("  --strict"), std::string::npos);
}

// At a terminal (made here by script(1)) lines are read with editing after
// the same prompt and kept in ~/.vexal_history across sessions; input from a
// file or a pipe is read as before and keeps no history.
TEST_F(ProcessTest, TerminalLinesAreKeptInTheHistory) {
  if (!fs::exists("/usr/bin/script")) GTEST_SKIP() << "no script(1) to make a terminal";
  const std::vector<std::string> at_terminal = {
      "script", "-qec", std::string(VEXAL_BINARY) + " -d -o t.ps", "/dev/null"};
  RunResult r = program(at_terminal, "ECHO hello there\nQUIT\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("$VEXAL: "), std::string::npos);
  EXPECT_NE(r.out.find("hello there"), std::string::npos);
  program(at_terminal, "ECHO second\nQUIT\n");
  const std::string history = slurp(".vexal_history");
  EXPECT_NE(history.find("ECHO\\040hello\\040there"), std::string::npos) << history;
  EXPECT_NE(history.find("ECHO\\040second"), std::string::npos) << history;
  fs::remove(".vexal_history");
  EXPECT_EQ(vexal({"-d"}, "ECHO from a file\nQUIT\n").status, 0);
  EXPECT_FALSE(fs::exists(".vexal_history"));
  check_document_later(slurp("t.ps"));
}

// Lines pasted at the terminal in one go all run, whichever command reads
// them: a loop body, a PROMPT answer, inline data (a Tab in it kept), a
// definition (its long line cut at 256 as from a file) and the commands after
// each. Only the lines typed at the command prompt go into the history.
TEST_F(ProcessTest, PastedLinesAllRunWhicheverCommandReadsThem) {
  if (!fs::exists("/usr/bin/script")) GTEST_SKIP() << "no script(1) to make a terminal";
  const std::string long_line = "#" + std::string(299, 'x');
  const std::string pasted =
      "LOOP 2\nECHO pass \\$loop\nENDLOOP\nECHO after the loop\n"
      "PROMPT %who= Your name?\nWorld wide\nECHO got [\\%who]\n"
      "DATA\n1 2\n3 4\n5\t6\nENDDATA\nPLOT\nECHO read \\$npts points averaging \\$yaverage\n"
      "DEFINECOM greet.vx\nECHO hello from greet\n" +
      long_line + "\nENDDEFINE\ngreet.vx\nQUIT\n";
  RunResult r = program(
      {"script", "-qec", std::string(VEXAL_BINARY) + " -d -o paste.ps", "/dev/null"}, pasted);
  EXPECT_EQ(r.status, 0);
  std::string out = r.out;
  std::erase(out, '\r');
  const std::vector<std::string> lines = split_lines(out);
  for (const char* want : {"pass 1", "pass 2", "after the loop", "got [World wide]",
                           "read 3 points averaging 4", "hello from greet"})
    EXPECT_TRUE(std::find(lines.begin(), lines.end(), want) != lines.end())
        << "no line \"" << want << "\" in:\n"
        << out;
  EXPECT_EQ(slurp("greet.vx"), "ECHO hello from greet\n" + long_line.substr(0, 256) + "\n");
  const std::string history = slurp(".vexal_history");
  EXPECT_NE(history.find("ECHO\\040after\\040the\\040loop"), std::string::npos) << history;
  for (const char* not_typed_at_the_prompt : {"pass", "World", "3\\0404", "hello"})
    EXPECT_EQ(history.find(not_typed_at_the_prompt), std::string::npos)
        << not_typed_at_the_prompt << "\n"
        << history;
  check_document_later(slurp("paste.ps"));
}

TEST_F(ProcessTest, ShellOutputStaysOutOfADocumentOnStandardOutput) {
  RunResult r = vexal({"-s"}, "SYSTEM echo from-the-shell\nQUIT\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out.find("\nfrom-the-shell\n"), std::string::npos);  // only as a comment
  EXPECT_EQ(r.err, "from-the-shell\n");
  check_document_later(r.out);
}

TEST_F(ProcessTest, AnOutputFileThatIsACommandFileIsRefused) {
  const std::string script = "ECHO hello\n";
  write("cmd.vx", script);
  fs::create_symlink("cmd.vx", "link.ps");
  for (const char* output : {"cmd.vx", "link.ps"}) {
    RunResult r = vexal({"-q", "-o", output, "cmd.vx"});
    EXPECT_EQ(r.status, 1) << output;
    EXPECT_EQ(r.err,
              std::string("The output file ") + output +
                  " is also a command file of the command line; nothing is run or written.\n");
    EXPECT_EQ(slurp("cmd.vx"), script);
  }
}

// Closed standard descriptors are not taken by the document; standard input
// that cannot be read (a directory) is said and fails the run.
TEST_F(ProcessTest, ClosedDescriptorsAndUnreadableInput) {
  RunResult closed = program({"sh", "-c",
                              std::string("exec '") + VEXAL_BINARY +
                                  "' -d -o doc.ps 'ECHO hello' 'ECHOERR there' QUIT >&- 2>&-"},
                             "");
  EXPECT_EQ(closed.status, 0);
  const std::string doc = slurp("doc.ps");
  EXPECT_TRUE(doc.starts_with("%!PS")) << doc.substr(0, 40);
  check_document_later(doc);
  RunResult dir = run_process({VEXAL_BINARY, "-q", "-o", "dir.ps"}, ".", {"PATH=/usr/bin:/bin"});
  EXPECT_EQ(dir.status, 1);
  EXPECT_EQ(dir.err, "Error reading standard input: Is a directory\n");
}

// A reader that goes away is a write error, reported once, with exit status
// 1: for the document on standard output and for terminal output alike.
TEST_F(ProcessTest, AClosedPipeIsAWriteError) {
  const std::string vexal = std::string("'") + VEXAL_BINARY + "'";
  const std::string tail = " | head -c 10 > /dev/null; exit ${PIPESTATUS[0]}";
  RunResult doc =
      program({"bash", "-c", vexal + " -s 'INVENT 100000 0 1' 'SYMBOLN 1' PLOT QUIT" + tail}, "");
  EXPECT_EQ(doc.status, 1);
  EXPECT_EQ(doc.err, "Error writing the PostScript output to standard output: Broken pipe\n");
  RunResult term = program({"bash", "-c", vexal + " -d -o out.ps" + tail},
                           "LOOP 30000\nECHO line \\$loop\nENDLOOP\n");
  EXPECT_EQ(term.status, 1);
  EXPECT_EQ(term.err, "Error writing to the terminal output: Broken pipe\n");
  check_document_later(slurp("out.ps"));
}

// The document is written into a new file and takes its name at the end:
// an older, longer document goes whole, its permissions kept (and no listing
// writes it meanwhile); a command file of that name run by COM is read before
// it is replaced; a symbolic link there is replaced, not followed; /dev/null
// and /dev/stdout are written as they are. No other file is left.
TEST_F(ProcessTest, TheDocumentTakesItsNameAtTheEnd) {
  auto names = [] {
    std::vector<std::string> found;
    for (const fs::directory_entry& e : fs::directory_iterator("."))
      found.push_back(e.path().filename().string());
    std::sort(found.begin(), found.end());
    return found;
  };
  write("older.ps", "%!PS-Adobe-2.0\n" + std::string(100000, '%') + "\n");
  fs::permissions("older.ps",
                  fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  RunResult older = vexal({"-d", "-q", "-o", "older.ps", "DRAW 1 1", "QUIT"});
  EXPECT_EQ(older.status, 0);
  const std::string doc = slurp("older.ps");
  EXPECT_TRUE(doc.ends_with("%%EOF\n")) << doc.size();
  EXPECT_EQ(doc.find("%%%%"), std::string::npos);
  EXPECT_EQ(fs::status("older.ps").permissions(),
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  check_document_later(doc);
  // The file the document will replace is in use: no listing writes it.
  RunResult listing = vexal({"-d", "-q", "-o", "older.ps", "DUMPVAR older.ps", "QUIT"});
  EXPECT_EQ(listing.status, 1);
  EXPECT_EQ(listing.err, "Cannot open older.ps: it is the document or a command file in use\n");
  check_document_later(slurp("older.ps"));

  write("p.vx", "ECHOERR from p.vx\nDRAW 2 2\n");
  RunResult self = vexal({"-d", "-q", "-o", "p.vx", "COM p.vx"});
  EXPECT_EQ(self.status, 0);
  EXPECT_EQ(self.err, "from p.vx\n");
  const std::string replaced = slurp("p.vx");
  EXPECT_NE(replaced.find("\n%! ECHOERR from p.vx\n"), std::string::npos);
  check_document_later(replaced);

  write("victim.txt", "not a document\n");
  fs::create_symlink("victim.txt", "link.ps");
  EXPECT_EQ(vexal({"-d", "-q", "-o", "link.ps", "DRAW 1 1", "QUIT"}).status, 0);
  EXPECT_FALSE(fs::is_symlink("link.ps"));
  EXPECT_EQ(slurp("victim.txt"), "not a document\n");
  check_document_later(slurp("link.ps"));

  RunResult discarded = vexal({"-d", "-o", "/dev/null", "DRAW 1 1", "QUIT"});
  EXPECT_EQ(discarded.status, 0);
  EXPECT_EQ(discarded.err, "");
  EXPECT_TRUE(fs::is_character_file("/dev/null"));
  // A link to the program's own output (here a file) leads where it leads.
  RunResult streamed = vexal({"-d", "-q", "-o", "/dev/stdout", "DRAW 1 1", "QUIT"});
  EXPECT_EQ(streamed.status, 0);
  EXPECT_TRUE(streamed.out.ends_with("%%EOF\n"));
  EXPECT_TRUE(fs::is_symlink("/dev/stdout"));
  check_document_later(streamed.out);
  EXPECT_EQ(names(), (std::vector<std::string>{"link.ps", "older.ps", "p.vx", "stderr.txt",
                                               "stdin.txt", "stdout.txt", "victim.txt"}));
}

TEST_F(ProcessTest, AnOutputFileThatCannotBeOpenedFailsTheRun) {
  RunResult r = vexal({"-q", "-o", "no-such-dir/out.ps"}, "DRAW 1 1\n");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err,
            "Cannot open the PostScript output file no-such-dir/out.ps; no document is written.\n");
}

TEST_F(ProcessTest, StartupFilesCannotReachTheShellUnderShellOff) {
  write(".vexal", "SYSTEM touch from-startup\n");
  RunResult r = vexal({"-q", "-S", "-o", "out.ps"}, "SYSTEM touch typed\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_FALSE(fs::exists("from-startup"));
  EXPECT_FALSE(fs::exists("typed"));
  EXPECT_EQ(r.err, "Shell commands are off (-S); not run: SYSTEM touch from-startup\n");
}

}  // namespace
}  // namespace vexal
