// Loops and jumps as users write them: LOOP in command files and at the
// terminal, nested, with a count below 1; GOTO forward, outward through the
// calling files, and at the terminal; the loop files never left behind.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "support/ghostscript.h"
#include "support/scratch_dir.h"

namespace vexal {
namespace {

namespace fs = std::filesystem;
using LoopGotoTest = ScratchDirTest;

// Names of the loop files in the current directory.
std::vector<std::string> loop_files() {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator("."))
    if (entry.path().filename().string().starts_with(".vexal_"))
      names.push_back(entry.path().filename().string());
  return names;
}

TEST_F(LoopGotoTest, LoopsRunTheirBodyWithTheCounterAndLeaveNoFiles) {
  write("nested.vx",
        "LOOP 3\n"
        "ECHOERR pass \\$loop\n"
        "  LOOP 2\n"
        "  ECHOERR inner \\$loop\n"
        "  ENDLOOP\n"
        "ENDLOOP\n"
        "LOOP 0\nECHOERR never\nENDLOOP\n"
        "LOOP -1\nLOOP 2\nECHOERR never\nENDLOOP\nENDLOOP\n"
        "ECHOERR done\n");
  start({"-d", "-q"});
  run("COM nested.vx\n");
  std::string want;
  for (int pass = 1; pass <= 3; ++pass)
    want += "pass " + std::to_string(pass) + "\ninner 1\ninner 2\n";
  EXPECT_EQ(take_err(), want + "done\n");
  EXPECT_EQ(loop_files(), std::vector<std::string>{});
  // At the terminal the body is typed up to ENDLOOP, then runs.
  run("LOOP 2\nECHOERR typed \\$loop\nENDLOOP\n");
  EXPECT_EQ(take_err(), "typed 1\ntyped 2\n");
  finish();
}

TEST_F(LoopGotoTest, GotoFindsLabelsForwardThenInTheCallingFiles) {
  write("caller.vx",
        "COM inner.vx\n"
        "ECHOERR caller not skipped\n"
        "#OUTER label\n"
        "ECHOERR after the outer label\n");
  write("inner.vx",
        "GOTO ski\n"  // a label matches every label line it begins
        "ECHOERR inner not skipped\n"
        "#SKIPPED\n"
        "ECHOERR after skipped\n"
        "GOTO outer\n"
        "ECHOERR inner end not skipped\n");
  start({"-d", "-q"});
  run("COM caller.vx\nGOTO nowhere\n");
  EXPECT_EQ(take_err(), "after skipped\nafter the outer label\nCould not find label: nowhere\n");
  finish();
}

TEST_F(LoopGotoTest, LoopFilesAreRemovedWhereverTheRunLeftTheLoop) {
  // A GOTO out of the body leaves the driver without its last lines; QUIT
  // inside a body ends the run there. Neither leaves files behind.
  write("leave.vx", "LOOP 2\nGOTO out\nENDLOOP\n#OUT\nECHOERR out\n");
  start({"-d", "-q"});
  run("COM leave.vx\nLOOP 3\nQUIT\nENDLOOP\n");
  EXPECT_EQ(take_err(), "out\n");
  EXPECT_TRUE(s->run.quit);
  EXPECT_EQ(loop_files(), std::vector<std::string>{});
  check_document_later(doc);

  // SAVET keeps them, as it keeps every temporary file.
  restart();
  run("SAVET\nLOOP 2\nQUIT\nENDLOOP\n");
  EXPECT_EQ(loop_files().size(), 2u);
}

TEST_F(LoopGotoTest, ALoopWhoseFileCannotBeMadeDoesNotRun) {
  start({"-d", "-q"});
  const std::string body = ".vexal_a" + s->run.pid + "005";
  write("precious", "keep me\n");
  fs::create_symlink("precious", body);
  run("LOOP 2\nECHOERR never\nENDLOOP\nECHOERR goes on\n");
  EXPECT_EQ(take_err(), "Cannot write the loop file " + body +
                            ": it exists and was not made by this run; the loop does not run.\n"
                            "goes on\n");
  std::ifstream in("precious");
  std::string kept;
  std::getline(in, kept);
  EXPECT_EQ(kept, "keep me");
  finish();
}

// A long loop's driver holds a block of passes at a time, written as the
// loop reaches them: the disk holds what the next passes need, never the
// whole count. Stepping the loop turn by turn watches the driver's size.
TEST_F(LoopGotoTest, LongLoopsWriteTheirDriverAsTheyRun) {
  write("long.vx", "LOOP 5000\nECHOERR \\$loop\nENDLOOP\nECHOERR done\n");
  start({"-d", "-q"});
  const std::string driver = ".vexal_b" + s->run.pid + "031";
  std::string input = "COM long.vx\n";
  std::FILE* in = fmemopen(input.data(), input.size(), "r");
  s->stream.terminal = in;
  uintmax_t largest = 0;
  while (s->turn(false)) {
    std::error_code ec;
    const uintmax_t size = fs::file_size(driver, ec);
    if (!ec) largest = std::max(largest, size);
  }
  s->stream.terminal = nullptr;
  std::fclose(in);
  EXPECT_GT(largest, 0u);
  EXPECT_LT(largest, 80000u);  // the whole driver would be about 250 kB
  std::string want;
  for (int pass = 1; pass <= 5000; ++pass) want += std::to_string(pass) + "\n";
  EXPECT_EQ(take_err(), want + "done\n");
  EXPECT_EQ(loop_files(), std::vector<std::string>{});

  // A GOTO out of a long loop leaves its driver; the next loop at that level
  // starts afresh, and a count beyond the int range is refused.
  write("leave.vx",
        "LOOP 3000\nGOTO out\nENDLOOP\n#OUT\nLOOP 1200\nECHOERR \\$loop\nENDLOOP\n"
        "LOOP 3e9\nECHOERR never\nENDLOOP\n");
  run("COM leave.vx\n");
  std::string err = take_err();
  EXPECT_TRUE(
      err.ends_with("1199\n1200\nLOOP: a count of 3000000000 is more than 2147483647 "
                    "passes; the loop does not run.\n"))
      << err;
  EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1201);
  finish();
  EXPECT_EQ(loop_files(), std::vector<std::string>{});
}

// Leaving a command file ends the blocks it left open, and a GOTO closes
// the blocks it jumps out of: a loop made of a label, an IF and a GOTO runs
// to its end, and blocks a called file leaves open do not pile up.
TEST_F(LoopGotoTest, JumpsAndReturnsCloseTheirBlocks) {
  write("count.vx", "$i=0\n#TOP\n$i={$i 1 +}\nIF {$i 15 LT}\n  GOTO top\nENDIF\nECHOERR i \\$i\n");
  write("ret.vx", "IF 1\nRETURN\nENDIF\n");
  write("inner.vx", "IF 1; IF 1\n#IN\nIF {$j 3 LT}\n$j={$j 1 +}\nGOTO in\nENDIF\nENDIF\n");
  start({"-d", "-q"});
  run("COM count.vx\n");
  EXPECT_EQ(take_err(), "i 15\n");
  EXPECT_EQ(s->blocks.depth(), 0u);
  std::string calls;
  for (int i = 0; i < 11; ++i) calls += "COM ret.vx\n";
  run(calls + "IF 0\nECHOERR wrong\nENDIF\nECHOERR right\n");
  EXPECT_EQ(take_err(), "right\n");
  EXPECT_EQ(s->blocks.depth(), 0u);
  // A jump inside a block keeps the blocks that hold its label.
  run("$j=0\nIF 1\nCOM inner.vx\nECHOERR j \\$j\nELSE\nECHOERR wrong\nENDIF\n");
  EXPECT_EQ(take_err(), "j 3\n");
  EXPECT_EQ(s->blocks.depth(), 0u);
  finish();
}

TEST_F(LoopGotoTest, GotoWithoutALabelWarnsOnce) {
  write("bare.vx", "GOTO\n");
  start({"-d", "-q"});
  run("COM bare.vx\nGOTO\n");
  EXPECT_EQ(
      take_err(),
      " A parameter was missing or invalid: GOTO\n A parameter was missing or invalid: GOTO\n");
  finish();
}

}  // namespace
}  // namespace vexal
