// The command input stream: the pending stack, splitting, comments, command
// files and their nesting, packed files, DEFINECOM and the shell commands.
#include "interp/command_stream.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "support/scratch_dir.h"

namespace vexal {
namespace {

namespace fs = std::filesystem;

using StreamTest = ScratchDirTest;

TEST(PendingStack, PushAppendInsertKeepTheirOrderAndLimit) {
  CommandStream cs;
  push_command(cs, "B");
  push_command(cs, "A");
  append_command(cs, "C");
  insert_command(cs, 2, "AB");
  ASSERT_EQ(cs.pending.size(), 4u);
  EXPECT_EQ(cs.pending[0].text, "A");
  EXPECT_EQ(cs.pending[1].text, "AB");
  EXPECT_EQ(cs.pending[3].text, "C");

  CommandStream full;
  for (int i = 0; i < kMaxPending; ++i) append_command(full, "L" + std::to_string(i));
  push_command(full, "front");  // the last line is lost
  EXPECT_EQ(full.pending.size(), static_cast<size_t>(kMaxPending));
  EXPECT_EQ(full.pending.front().text, "front");
  EXPECT_EQ(full.pending.back().text, "L498");
  append_command(full, "back");  // the last line is overwritten
  EXPECT_EQ(full.pending.back().text, "back");
  insert_command(full, 2, "second");
  EXPECT_EQ(full.pending[1].text, "second");
  EXPECT_EQ(full.pending.size(), static_cast<size_t>(kMaxPending));
}

TEST(PendingStack, LongLinesAreCut) {
  CommandStream cs;
  push_command(cs, std::string(300, 'x'));
  EXPECT_EQ(cs.pending.front().text.size(), 256u);
}

TEST_F(StreamTest, SemicolonsSplitAndEscapesKeepThem) {
  run("ECHO one; ECHO two\n;ECHO three\nECHO a\\;b\nECHO c|;d\nECHO e\\;f; ECHO g\n");
  EXPECT_EQ(take_out(), "one\ntwo\nthree\na;b\nc;d\ne;f; ECHO g\n");
}

TEST_F(StreamTest, CommentFromTheStackEmptiesIt) {
  run("ECHO a; ! note; ECHO lost\nECHO b\n# label\nECHO c\n");
  EXPECT_EQ(take_out(), "a\nb\nc\n");
}

TEST_F(StreamTest, TabsAndLeadingBlanks) {
  run("  \tECHO\ta\tb\n");
  EXPECT_EQ(take_out(), "a b\n");
}

TEST_F(StreamTest, EndOfTerminalInputQuits) {
  start();
  s->stream.terminal = nullptr;  // nothing to read
  s->loop();
  EXPECT_TRUE(s->run.quit);
  EXPECT_NE(doc.find("%%EOF"), std::string::npos);
}

TEST_F(StreamTest, NestedCommandFilesUseUnitsAndReturn) {
  write("outer", "ECHO outer\nCOM inner\nECHO back in outer\n");
  write("inner", "ECHO inner\nRETURN\nECHO never\n");
  start({"-d", "-q"});
  s->units.verbose = 1;  // echo of file lines on
  run("COM outer\nECHO terminal\n");
  std::string o = take_out();
  EXPECT_NE(o.find("inner\n"), std::string::npos);
  EXPECT_EQ(o.find("never"), std::string::npos);
  EXPECT_NE(o.find("back in outer\n"), std::string::npos);
  EXPECT_NE(o.find("terminal\n"), std::string::npos);
  EXPECT_EQ(s->units.input_unit, 5);
  EXPECT_EQ(chr("COMMANDFILE"), "inner");
}

TEST_F(StreamTest, UnitNumbersFollowTheNesting) {
  write("a", "COM b\nECHO a2\n");
  write("b", "ECHO b1\nRETURN\n");
  start();
  push_command(s->stream, "COM a");
  std::vector<int> units;
  for (int i = 0; i < 6; ++i) {
    s->turn(false);
    units.push_back(s->units.input_unit);
  }
  // COM a, COM b, ECHO b1, RETURN, ECHO a2, end of a.
  EXPECT_EQ(units, (std::vector<int>{31, 32, 32, 31, 31, 5}));
  EXPECT_TRUE(s->stream.files.empty());
}

TEST_F(StreamTest, MissingCommandFileIsReported) {
  run("COM nosuchfile\nECHO still here\n");
  EXPECT_EQ(take_err(), "Error--cannot open command file nosuchfile\n");
  EXPECT_EQ(take_out(), "still here\n");
}

TEST_F(StreamTest, AFileThatCallsItselfStopsAtTheNestingLimit) {
  write("self", "COM self\n");
  start({"-d", "-q"});
  run("COM self\nECHOERR done\n");
  EXPECT_EQ(take_err(), "Command files nest deeper than 250 levels; not opened: self\ndone\n");
  EXPECT_TRUE(s->stream.files.empty());
}

// A file that calls itself twice meets the nesting limit once: the whole
// chain is left there, with one message, instead of running 2^250 times.
TEST_F(StreamTest, AFileThatCallsItselfTwiceUnwindsAtTheLimit) {
  write("twice.vx", "ECHOERR in\ntwice.vx\ntwice.vx\n");
  run("COM twice.vx\nECHOERR after\n");
  std::string want;
  for (int i = 0; i < kMaxFileNesting; ++i) want += "in\n";
  EXPECT_EQ(take_err(), want +
                            "Command files nest deeper than 250 levels; not opened: twice.vx\n"
                            "after\n");
  EXPECT_TRUE(s->stream.files.empty());
}

// A listing or DEFINECOM never writes onto a command file being run, nor
// onto a name holding a NUL byte; either fails the run's exit status.
TEST_F(StreamTest, ListingsNeverWriteFilesInUse) {
  write("self.vx", "DUMPVAR self.vx\nDEFINECOM self.vx\nENDDEFINE\nECHOERR still here\n");
  run("COM self.vx\n");
  EXPECT_EQ(take_err(),
            "Cannot open self.vx: it is the document or a command file in use\n"
            "Cannot create self.vx: it is the document or a command file in use\n"
            "still here\n");
  EXPECT_EQ(file_text("self.vx").substr(0, 15), "DUMPVAR self.vx");
  EXPECT_EQ(s->run.exit_status, 1);
  s->run.exit_status = 0;
  run(std::string("DUMPVAR a\0b\n", 13));
  EXPECT_EQ(take_err(), "Cannot open a: the name holds a NUL byte\n");
  EXPECT_FALSE(fs::exists("a"));
  EXPECT_EQ(s->run.exit_status, 1);
}

TEST_F(StreamTest, ReturnDeleteRemovesTheFile) {
  write("tmpcmd", "ECHO x\nRETURN/DELETE\n");
  run("COM tmpcmd\n");
  EXPECT_FALSE(fs::exists("tmpcmd"));
}

TEST_F(StreamTest, DefinecomWritesAFileRunByName) {
  run("DEFINECOM smooth\n  ECHO first \\%1\nECHO second\n enddefine\nsmooth a b\n");
  std::ifstream in("smooth");
  std::string body((std::istreambuf_iterator<char>(in)), {});
  EXPECT_EQ(body, "  ECHO first \\%1\nECHO second\n");
  std::string o = take_out();
  EXPECT_NE(o.find("second\n"), std::string::npos);
}

TEST_F(StreamTest, DefinecomOverwritesAFileButNeverALink) {
  write("victim", "keep\n");
  fs::create_symlink("victim", "linked");
  write("plain", "ECHO an older and longer text\n");
  run("DEFINECOM linked\nECHO x\nENDDEFINE\nDEFINECOM plain\nECHO y\nENDDEFINE\n");
  EXPECT_EQ(take_err(), "Cannot create linked: it is a symbolic link\n");
  std::ifstream victim("victim"), plain("plain");
  EXPECT_EQ(std::string((std::istreambuf_iterator<char>(victim)), {}), "keep\n");
  EXPECT_EQ(std::string((std::istreambuf_iterator<char>(plain)), {}), "ECHO y\n");
}

TEST_F(StreamTest, DefinecomOnAFullDeviceSaysSo) {
  run("DEFINECOM /dev/full\nECHO x\nENDDEFINE\n");
  EXPECT_EQ(take_err(), "Error writing the command file /dev/full: No space left on device\n");
  EXPECT_EQ(s->run.exit_status, 1);
}

TEST_F(StreamTest, PackedCommandFileRunsItsCommentRecords) {
  // "$P" header, 1 column (8-byte records), 2 comment records.
  std::string f = "$P\r\n";
  int16_t cols = 1, comments = 2;
  f.append(reinterpret_cast<char*>(&cols), 2);
  f.append(reinterpret_cast<char*>(&comments), 2);
  f += "ECHO ab\nECHO cd\n";
  write("packed", f);
  run("ECHO before; COM packed; ECHO after\n");
  EXPECT_EQ(take_out(), "before\nab\ncd\nafter\n");
  EXPECT_EQ(s->units.input_unit, 5);
}

TEST_F(StreamTest, CgiqueryAssignsCharacterVariables) {
  run("CGIQUERY a=1&b=two words& c=3&&d=4\n");
  EXPECT_EQ(chr("A"), "1");
  EXPECT_EQ(chr("B"), "two words");
  EXPECT_EQ(chr("C"), "3");
  EXPECT_EQ(chr("D"), "<unset>");
}

TEST_F(StreamTest, SystemLibAndDelete) {
  run("SYSTEM echo made > made.txt\n");
  EXPECT_TRUE(fs::exists("made.txt"));
  run("DELETE made.txt\n");
  EXPECT_FALSE(fs::exists("made.txt"));
  fs::create_directories("lib");
  write("lib/hello", "ECHO from lib\n");
  run("%LIB=" + fs::current_path().string() + "/lib\nLIB hello\n");
  EXPECT_EQ(take_out(), "ECHO from lib\nfrom lib\n");
  run("ALIAS SYSTEM NULL\nSYSTEM touch never.txt\n");
  EXPECT_FALSE(fs::exists("never.txt"));
}

TEST_F(StreamTest, LibexecAndNetlibBuildTheirShellLines) {
  fs::create_directories("lib");
  write("lib/tool", "#!/bin/sh\necho \"$@\" > tool.out\n");
  fs::permissions("lib/tool", fs::perms::owner_all);
  run("%LIB=" + fs::current_path().string() + "/lib\nLIBEXEC tool a b\n");
  std::ifstream in("tool.out");
  std::string args;
  std::getline(in, args);
  EXPECT_EQ(args, "a b +");
  // A file already present is not fetched again; it then runs as a command file.
  write("fetched", "ECHO fetched runs\n");
  run("%NETLIB=http://127.0.0.1:9/none\nNETLIB fetched\n");
  EXPECT_EQ(take_out(), "ECHO fetched runs\nfetched runs\n");
}

// A line cut at its width is said once for the command that read it, with
// its length and start (and with --where its own file and line): a command
// line, typed or read from a file, and the array lines a command reads.
TEST_F(StreamTest, CutLinesAreReported) {
  const std::string values = "1 2 3 " + std::string(294, ' ') + "4\n";
  write("long.vx",
        "ECHO " + std::string(300, 'x') + "\nARRAY 2 2\n" + values + values + "1 2\n3 4\n");
  const std::string x40 = "ECHO " + std::string(35, 'x') + "...";
  struct Case {
    std::vector<std::string> args;
    std::string lines, err;
  };
  const Case kCases[] = {
      {{"-d", "-q"},
       "ECHO " + std::string(260, 'y') + "\n",
       "Warning--a line of 265 characters is cut to 256: ECHO " + std::string(35, 'y') + "...\n"},
      {{"-d", "-q"},
       "COM long.vx\n",
       "Warning--a line of 305 characters is cut to 256: " + x40 +
           "\nWarning--a line of 301 characters is cut to 256: 1 2 3" + std::string(35, ' ') +
           "...\n"},
      {{"-d", "-q", "--where"},
       "COM long.vx\n",
       "long.vx:1: Warning--a line of 305 characters is cut to 256: " + x40 +
           "\nlong.vx:3: Warning--a line of 301 characters is cut to 256: 1 2 3" +
           std::string(35, ' ') + "...\n"},
  };
  for (const Case& c : kCases) {
    if (s) restart();
    start(c.args);
    run(c.lines);
    EXPECT_EQ(take_err(), c.err) << c.lines;
  }
  // The cut array lines read as their first values: 1 2 3 and 1 2 3, then
  // "1 2" completes nothing more than the 4 values asked for.
  EXPECT_EQ(s->array.values, (std::vector<double>{1, 2, 3, 1}));
}

TEST_F(StreamTest, ASandboxedSessionRunsNoShellAndDeletesNothing) {
  start({"-d", "--sandbox"});
  write("keep", "x");
  run("SYSTEM touch made.txt\nDELETE keep\nDEFINECOM newcmd\nECHO x\nENDDEFINE\n");
  EXPECT_FALSE(fs::exists("made.txt"));
  EXPECT_TRUE(fs::exists("keep"));
  EXPECT_FALSE(fs::exists("newcmd"));
  EXPECT_EQ(take_out(), "");
  EXPECT_EQ(take_err(),
            "Shell commands are off (-S); not run: SYSTEM touch made.txt\n"
            "Only the run's scratch files are deleted (--sandbox); not deleted: keep\n"
            "Only the document is written (--sandbox); not written: newcmd\n");
}

TEST_F(StreamTest, PromptPushesTheAnswerAsACommand) {
  run("PROMPT ECHO Your name?\nWorld\n");
  EXPECT_EQ(take_out(), " Your name?World\n");
}

TEST_F(StreamTest, HelpAndEchoerr) {
  run("HELP\nECHOERR oops\nQUIET\nECHO silent\nECHOERR loud\n");
  std::string e = take_err();
  EXPECT_EQ(e.substr(0, 48), "Vexal help is available on the internet via WWW\n");
  EXPECT_NE(e.find("oops\nloud\n"), std::string::npos);
  EXPECT_EQ(take_out(), "");
}

TEST_F(StreamTest, AllowcomSwitch) {
  run("NOALLOWCOM\n");
  EXPECT_FALSE(s->stream.allow_commands_in_data);
  run("ALLOWCOM\n");
  EXPECT_TRUE(s->stream.allow_commands_in_data);
  finish();
}

TEST_F(StreamTest, CgiqueryFieldsAreDataNeverCommands) {
  // A query taken from the environment: its ";" and braces stay in the values.
  ::setenv("QUERY_STRING", "a=1;SYSTEM touch f&b=\\{1 2 +}&a=2&c", 1);
  run("CGIQUERY \\%QUERY_STRING\n");
  ::unsetenv("QUERY_STRING");
  EXPECT_EQ(chr("A"), "1;SYSTEM touch f");  // the first of two equal names wins
  EXPECT_EQ(chr("B"), "\\{1 2 +}");
  EXPECT_FALSE(fs::exists("f"));
  EXPECT_EQ(take_err(), "C is not a known variable--please re-enter command.\n");
}

TEST_F(StreamTest, ShellOffStopsEveryWayToTheShell) {
  write("fetched", "ECHO fetched runs\n");
  start({"-d", "-S"});
  run("SYSTEMX touch x1\nUNSYN SYSTEM\nSYSTEM touch x2\nLIBEXEC x3\nNETLIB fetched\n");
  for (const char* f : {"x1", "x2"}) EXPECT_FALSE(fs::exists(f)) << f;
  EXPECT_EQ(take_err(),
            "Shell commands are off (-S); not run: SYSTEMX touch x1\n"
            "Shell commands are off (-S); not run: SYSTEM touch x2\n"
            "Shell commands are off (-S); not run: LIBEXEC x3\n"
            "Shell commands are off (-S); not run: NETLIB fetched\n");
}

TEST_F(StreamTest, NetlibFetchesOnlyPlainNamesAndQuotesThem) {
  run("NETLIB `touch$IFS'x'`\nNETLIB ../up\n");
  EXPECT_FALSE(fs::exists("x"));
  EXPECT_EQ(take_err(),
            "NETLIB fetches only plain file names (letters, digits, . _ - /, no ..): "
            "`touch$IFS'x'`\n"
            "NETLIB fetches only plain file names (letters, digits, . _ - /, no ..): ../up\n");
  // The address is quoted too: a quote in it cannot end the word.
  write("got", "ECHO got runs\n");
  run("%NETLIB=http://127.0.0.1:9/';touch q;'\nNETLIB got\n");
  EXPECT_FALSE(fs::exists("q"));
}

TEST_F(StreamTest, ComOnADirectorySaysSo) {
  fs::create_directories("sub");
  run("COM sub\n");
  EXPECT_EQ(take_err(), "Error--cannot open command file sub (it is a directory)\n");
}

// A small command file a RETURN left is run again from its kept text only
// while the file still holds that text.
TEST_F(StreamTest, ACommandFileRunAgainIsReadAsItIsNow) {
  write("a.vx", "$x = 1\n");
  run("COM a.vx\n");
  EXPECT_EQ(num("X"), 1);
  // Rewritten in place, the same size, within the same clock tick.
  write("a.vx", "$x = 2\n");
  run("COM a.vx\n");
  EXPECT_EQ(num("X"), 2);
  // Replaced by another file under the name.
  write("b.vx", "$x = 3\n");
  fs::rename("b.vx", "a.vx");
  run("COM a.vx\n");
  EXPECT_EQ(num("X"), 3);
  // Run again unchanged, with a GOTO back to its start on the first pass.
  write("g.vx", "$n = {$n 1 +}\n#TOP\n$k = {$k 1 +}\nIF {$k 2 <}\nGOTO TOP\nENDIF\n");
  run("$n = 0\n$k = 0\nCOM g.vx\n$k = 0\nCOM g.vx\n");
  EXPECT_EQ(num("N"), 2);
  EXPECT_EQ(num("K"), 2);
  // A large file, and one that is gone.
  std::string big = "$x = 0\n";
  int adds = 0;
  for (; big.size() <= 5000; ++adds) big += "$x = {$x 1 +}\n";
  write("big.vx", big);
  run("COM big.vx\nCOM big.vx\n");
  EXPECT_EQ(num("X"), adds);
  fs::remove("a.vx");
  take_err();
  run("COM a.vx\n");
  EXPECT_EQ(take_err(), "Error--cannot open command file a.vx\n");
}

// Messages of lines from command files name the file and line; the array's
// data lines count, a GOTO moves the count, and lines typed at the terminal
// have no mark. ECHOERR's own lines are kept apart from the errors.
TEST_F(StreamTest, WhereMarksMessagesWithTheirFileAndLine) {
  write("inner.vx", "BOGUS two\n");
  write("w.vx",
        "ECHO fine\nBOGUS one\nARRAY 2 1\n1 2\nCOM inner.vx\nGOTO END\nBOGUS never\n#END\n"
        "ECHOERR mine\nBOGUS three\n");
  start();
  s->units.where = true;
  run("COM w.vx\nBOGUS four\n");
  EXPECT_EQ(take_err(),
            "w.vx:2: Invalid Command> BOGUS one\n"
            "inner.vx:1: Invalid Command> BOGUS two\n"
            "w.vx:9: mine\n"
            "w.vx:10: Invalid Command> BOGUS three\n"
            "Invalid Command> BOGUS four\n");
  EXPECT_EQ(s->units.echoed_errors, std::string("w.vx:9: mine\n").size());
}

// A command file on a pipe that begins with "$" (not packed) keeps every byte.
TEST_F(StreamTest, ComFromAPipeLosesNothing) {
  int fds[2];
  ASSERT_EQ(::pipe(fds), 0);
  const char text[] = "$x = 7\n$y = {$x 2 *}\n";
  ASSERT_EQ(::write(fds[1], text, sizeof text - 1), static_cast<ssize_t>(sizeof text - 1));
  ::close(fds[1]);
  run("COM /dev/fd/" + std::to_string(fds[0]) + "\n");
  ::close(fds[0]);
  EXPECT_EQ(num("X"), 7);
  EXPECT_EQ(num("Y"), 14);
}

}  // namespace
}  // namespace vexal
