// Lines the program queues itself: text taken from a label, a variable, a
// file or an already substituted parameter reads back exactly as it was. It
// is not split at ";", its escapes are not removed and it is not substituted
// a second time; lines the user wrote (and synonyms' replacements) still are.
#include <filesystem>
#include <string>

#include "support/scratch_dir.h"

namespace vexal {
namespace {

namespace fs = std::filesystem;

// A text holding everything the stream or substitution would act on: ";"
// (plain and escaped), both escape characters, references and a braced
// expression. Were it split, "ECHO ran" would print and "DELETE victim"
// would remove the file.
const std::string kHostile =
    "a;ECHO ran;DELETE victim \\;x |;y \\ | |%t \\$t |{1 2 +} %t $t {1 2 +}";

class QueuedTextTest : public ScratchDirTest {
 protected:
  void SetUp() override {
    ScratchDirTest::SetUp();
    write("victim", "keep me\n");
    write("data", "1 2\n2 3\n3 1\n");
    start();
    setcvariable(s->vars, "T", "T-VALUE", s->err());
    setvariable(s->vars, "T", 7);
  }
  // Runs `line` as if it had been queued with its text already substituted.
  void run_queued(const std::string& line) {
    push_command(s->stream, line, kVerbatim);
    run("");
  }
  // No line of the terminal output begins with "ran", and the victim is there.
  void expect_nothing_else_ran() {
    const std::string o = "\n" + take_out();
    EXPECT_EQ(o.find("\nran"), std::string::npos) << o;
    EXPECT_TRUE(fs::exists("victim"));
  }
  bool document_has_comment(const std::string& text) {
    for (const std::string& l : new_ps_lines(true))
      if (l == "%! " + text) return true;
    return false;
  }
};

struct LabelCase {
  const char* commands;  // run after the label is set and a small array loaded
  bool swaps;            // the X label becomes the Y label
};

TEST_F(QueuedTextTest, LabelsQueuedByArrayRewritesArriveWhole) {
  const LabelCase cases[] = {
      {"TRANSPOSE3DXY", true},
      {"3DTRAN", true},
      {"ARRAY2NORTHPOLAR", true},
      {"ARRAY2SOUTHPOLAR", true},
  };
  for (const LabelCase& c : cases) {
    SCOPED_TRACE(c.commands);
    run_queued("XLAB " + kHostile);
    run_queued("YLAB y " + kHostile);
    run("ARRAYXSCALE 3 0 2\nARRAYYSCALE 2 0 90\nARRAY 3 2\n1 2 3 4 5 6\n");
    run(c.commands);
    EXPECT_EQ(s->axes[AxisId::Y].layout.label, c.swaps ? kHostile : "y " + kHostile);
    EXPECT_EQ(s->axes[AxisId::X].layout.label, c.swaps ? "y " + kHostile : kHostile);
    expect_nothing_else_ran();
    take_err();
  }
}

TEST_F(QueuedTextTest, TextstringKeepsItsTextExactly) {
  run_queued("TEXTSTRING2 " + kHostile);
  EXPECT_EQ(chr("TEXTSTRING2"), kHostile);
  expect_nothing_else_ran();
  // A typed line: "\;" is an escaped ";" and the reference is substituted once.
  run("%u=1\\;ECHO ran\nTEXTSTRING1 |%u\n");
  EXPECT_EQ(chr("TEXTSTRING1"), "1;ECHO ran");
  expect_nothing_else_ran();
}

// Commands that queue "DO" plus their own line, or a line of their
// parameters: the queued line runs as one command and stands whole in the
// document.
TEST_F(QueuedTextTest, PlotHistAndBinQueueTheirLineWhole) {
  const struct {
    const char* typed;
    const char* queued;
  } cases[] = {
      {"PLOT |%u", "DOPLOT 1;ECHO ran;DELETE victim"},
      {"HIST |%u", "DOHIST 1;ECHO ran;DELETE victim"},
      {"BIN |%u", "DOHIST 1;ECHO ran;DELETE victim"},
  };
  run("%u=1\\;ECHO ran\\;DELETE victim\n");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.typed);
    new_ps_lines();
    run(c.typed);
    EXPECT_TRUE(document_has_comment(c.queued));
    expect_nothing_else_ran();
    take_err();
  }
}

// Names the program builds into COM, GOTO and SYSTEM lines are names, not
// command lines.
TEST_F(QueuedTextTest, QueuedNamesAreNotSplit) {
  run("%LIB=lib\\;ECHO ran\nLIB x\\;ECHO ran\n");
  EXPECT_EQ(take_err(), "Error--cannot open command file lib;ECHO\n");
  write("jump.vx", "GOTO nowhere\\;ECHO ran\n");
  run("COM jump.vx\n");
  EXPECT_EQ(take_err(), "Could not find label: nowhere;ECHO\n");
  expect_nothing_else_ran();
}

// READXLAB takes a word of the data file's header; MULTIPLOT the words of
// LABELH; BUILD the first word of its text.
TEST_F(QueuedTextTest, WordsFromFilesAndParametersAreNotCommands) {
  run_queued("BUILD MOVE;ECHO ran");
  EXPECT_TRUE(document_has_comment("MOVE;ECHO"));
  write("data", "x a;ECHO|%t;DELETE\\victim\n1 2\n2 3\n");
  run("XCOL 2\nREADXLAB\n");
  EXPECT_EQ(s->axes[AxisId::X].layout.label, "a;ECHO|%t;DELETE\\victim");
  run_queued("LABELH x;ECHO|$t y;ECHO\\ran");
  write("data", "1 2\n2 3\n");
  run("MULTIPLOT\n");
  EXPECT_EQ(s->axes[AxisId::Y].layout.label, "y;ECHO\\ran");
  expect_nothing_else_ran();
  take_err();
}

// A synonym's replacement is read as typed (its ";" separates commands, its
// references are substituted); the rest of the line, substituted already,
// is not read again.
TEST_F(QueuedTextTest, SynonymsSplitTheirReplacementButNotTheLine) {
  run("ALIAS SAY ECHO\nSAY a\\;ECHO ran |%t\n");
  EXPECT_EQ(take_out(), "a;ECHO ran T-VALUE\n");
  run("ALIAS TWICE ECHO one\\;ECHO two |%t\nTWICE\n");
  EXPECT_EQ(take_out(), "one\ntwo T-VALUE\n");
  expect_nothing_else_ran();
}

// Lines rewritten from their raw copy (arithmetic, command files run by
// name) are substituted when they come back, once, and not split again.
TEST_F(QueuedTextTest, RawCopiesRunAgainAsTyped) {
  write("say", "ECHO said\n");
  run("say a\\;ECHO ran\n");
  EXPECT_EQ(take_out(), "ECHO said\nsaid\n");
  run("$V=1\\;ECHO ran\nC1 1\\;ECHO ran\n");
  expect_nothing_else_ran();
  take_err();
  run("$V={|$t 1 +}\nECHO |$v\n");
  EXPECT_EQ(take_out(), "8\n");
}

}  // namespace
}  // namespace vexal
