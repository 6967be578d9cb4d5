// The command loop: matching by prefix, the command table, parameters,
// synonyms, IF blocks, calculator lines, unknown commands and the comment
// that every executed line leaves in the document.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>

#include "interp/command_table.h"
#include "interp/params.h"
#include "support/command_tables.h"
#include "support/scratch_dir.h"

namespace vexal {
namespace {

TEST(CommandTable, EveryNameOnceAndReachable) {
  const CommandTable& t = command_table();
  std::set<std::string_view> seen;
  for (const Command& c : t.commands()) {
    EXPECT_TRUE(seen.insert(c.name).second) << "duplicate " << c.name;
    const Command* found = t.find(c.name);
    ASSERT_NE(found, nullptr) << c.name;
    EXPECT_EQ(found->name, c.name) << "unreachable";
  }
  // 692 named commands and the 17 calculator and variable line words, each in
  // one subsystem's table and dispatched there (help_test.cc checks them
  // against the command reference).
  EXPECT_EQ(t.commands().size(), 709u);
  for (std::span<const Command> table : subsystem_commands()) expect_dispatched_here(table);
}

TEST(CommandTable, LongerNamesWinOverTheirPrefixes) {
  struct Case {
    const char* word;
    const char* name;
  };
  constexpr Case kCases[] = {
      {"XLABEL", "XLAB"},
      {"XLABELS", "XLABELS"},
      {"COMMANDFILE", "COM"},
      {"COLORCOL", "COLORCOL"},
      {"COLORS", "COLOR"},
      {"COLUMN", "COL"},
      {"DATAFILE", "DATA"},
      {"DATATOXVAR", "DATATOXVAR"},
      {"ARRAY2NORTHPOLAR", "ARRAY2NORTHPOLAR"},
      {"ARRAY2X", "ARRAY2"},
      {"ARRAYXSCALE", "ARRAYXSCALE"},
      {"ARRAYXY", "ARRAYX"},
      {"ARRAY/NOMATH", "ARRAY/NOMATH"},
      {"ECHOERR", "ECHOERR"},
      {"LIBEXEC", "LIBEXEC"},
      {"RETURN/DELETE", "RETURN/DELETE"},
      {"SHOWSECONDXAX/NOANNOTATION", "SHOWSECONDXAX/NO"},
      {"NOFAST/FORCE", "NOFAST/FORCE"},
      {"XA", "XA"},
      {"XABS", "XABS"},
      {"XAXIS", "XAX"},
      {"XD5", "XD"},
      {"XDIM", "XDIM"},
      {"TEXTBLOCKW", "TEXTBLOCKW"},
      {"TEXTSIZE", "TEXTSI"},
      {"TEXTX", "TEXT"},
      {"SSK", "SSK"},
      {"SS", "SS"},
      {"PLOT3D", "PLOT3D"},
      {"PLOTS", "PLOT"},
      {"3DROT", "3DROT"},
      {"3.5", "3"},
      {"NETCDFVOLUMEXYTOARRAY", "NETCDFVOLUMEXYTOARRAY"},
      {"NETCDFVOLUMEXQ", "NETCDFVOLUMEX"},
      {"HMSNUMBER", "HMSNUMBER"},
      {"HMSX", "HMS"},
      {"CLEARW", "CLEARW"},
      {"YLABELO", "YLABELO"},
      {"ZMINMAX", "ZMINMAX"},
      {"NOXDELTASKIP", "NOXDELTASKIP"},
  };
  for (const Case& c : kCases) {
    const Command* found = command_table().find(c.word);
    ASSERT_NE(found, nullptr) << c.word;
    EXPECT_EQ(found->name, c.name) << c.word;
  }
  EXPECT_EQ(command_table().find("JUNK"), nullptr);
  EXPECT_EQ(command_table().find("W"), nullptr);
}

class LoopTest : public SessionTest {};

TEST_F(LoopTest, EveryExecutedLineIsACommentInTheDocument) {
  run("ECHO Hello World\nsurface Time\n");
  auto lines = new_ps_lines(true);
  EXPECT_NE(std::find(lines.begin(), lines.end(), "%! ECHO Hello World"), lines.end());
  EXPECT_NE(std::find(lines.begin(), lines.end(), "%! surface Time"), lines.end());
  EXPECT_EQ(take_out(), "Hello World\n");
  EXPECT_EQ(take_err(), "SURF: the array needs at least 2 x 2 values with their coordinates.\n");
  finish();
}

TEST_F(LoopTest, EqualsEndsTheCommandWordAndCaseIsKeptInParameters) {
  run("echo=Mixed Case\nxmin=3\n");
  EXPECT_EQ(take_out(), "Mixed Case\n");
  EXPECT_EQ(take_err(), "");
  EXPECT_EQ(num("XMIN"), 3);
}

using LoopFileTest = ScratchDirTest;

TEST_F(LoopFileTest, UnknownCommandsAndCommandFilesRunByName) {
  std::ofstream("myplot") << "ECHO myplot ran\n";
  run("myplot a b\nnothing here\nW\n");
  EXPECT_EQ(take_out(), "ECHO myplot ran\nmyplot ran\n");  // file lines are echoed
  EXPECT_EQ(chr("COMMANDFILE"), "myplot");
  EXPECT_EQ(take_err(), "Invalid Command> nothing here\nInvalid Command> W\n");
}

TEST_F(LoopTest, ParametersNumericAndText) {
  start();
  s->cs.raw = "TEST line";
  Params p{*s, "1.5, 2e3\t-4 x1F 12:30 GMT 50% \"quoted text\" {a b} word"};
  EXPECT_DOUBLE_EQ(getparm(p), 1.5);
  EXPECT_DOUBLE_EQ(getparm(p), 2000);
  EXPECT_DOUBLE_EQ(getparm(p), -4);
  EXPECT_DOUBLE_EQ(getparm(p), 31);
  EXPECT_DOUBLE_EQ(getparm(p), 12.5);  // the zone word goes with the time
  EXPECT_DOUBLE_EQ(getparm(p), 0.5);
  EXPECT_EQ(getcparm(p), "quoted text");
  EXPECT_EQ(getcparm(p), "{a b}");
  EXPECT_EQ(getcparm(p), "word");
  bool error = false;
  EXPECT_EQ(getparm(p, &error), 0.0);
  EXPECT_TRUE(error);
  EXPECT_EQ(getcparm(p), "");
  EXPECT_EQ(take_err(),
            " A parameter was missing or invalid: TEST line\n"
            " A parameter was missing or invalid: TEST line\n");
  Params quiet{*s, "abc"};
  EXPECT_EQ(getparm(quiet, &error, false), 0.0);
  EXPECT_TRUE(error);
  EXPECT_EQ(take_err(), "");
}

TEST_F(LoopTest, SynonymsReplaceWholeWordsOnly) {
  run("SYN P ECHO via synonym\nP one\nPX\nALIAS p ECHO redefined\nP two\nDUMPALIAS\n");
  EXPECT_EQ(take_out(),
            "via synonym one\nredefined two\n"
            "P                                ECHO redefined\n");
  EXPECT_EQ(take_err(), "Invalid Command> PX\n");
  run("UNALIAS P\nP three\nUNSYN nosuch\n");
  EXPECT_EQ(take_err(), "Invalid Command> P three\n");
  EXPECT_TRUE(s->synonyms.empty());
}

TEST_F(LoopTest, SynonymThatExpandsIntoItselfIsStopped) {
  run("SYN LOOPY LOOPY again\nLOOPY\nECHO alive\n");
  EXPECT_EQ(take_err(), "Synonym LOOPY expands into itself: the line is dropped.\n");
  EXPECT_EQ(take_out(), "alive\n");
  EXPECT_TRUE(s->stream.pending.empty());
  // A ";" in the replacement starts a new piece, not a new count.
  run("SYN AA ECHO x\\;AA\nAA\nECHO alive\n");
  EXPECT_EQ(take_err(), "Synonym AA expands into itself: the line is dropped.\n");
  std::string want;
  for (int i = 0; i < 100; ++i) want += "x\n";
  EXPECT_EQ(take_out(), want + "alive\n");
}

TEST_F(LoopTest, AtMostOneHundredSynonyms) {
  std::string lines;
  for (int i = 0; i < 101; ++i) lines += "SYN S" + std::to_string(i) + " NULL\n";
  run(lines);
  EXPECT_EQ(s->synonyms.size(), 100u);
  EXPECT_EQ(take_err(), "Too many synonyms (100); not defined: S100\n");
}

TEST_F(LoopTest, IfElseEndif) {
  run("IF 1\nECHO t1\nELSE\nECHO f1\nENDIF\n"
      "IF 0\nECHO t2\nELSE\nECHO f2\nENDIF\n"
      "IF -1\nECHO t3\nENDIF\nECHO after\n"
      "IF\nECHO missing-is-false\nENDIF\n");
  EXPECT_EQ(take_out(), "t1\nf2\nafter\n");
  EXPECT_EQ(take_err(), "");
  EXPECT_EQ(s->blocks.depth(), 0u);
}

TEST_F(LoopTest, NestedBlocksInsideAFalseBranchAreSkippedWhole) {
  run("IF 0\nIF 1\nIF 1\nECHO deep\nENDIF\nENDIF\nECHO skipped\nENDIF\nECHO out\n");
  EXPECT_EQ(take_out(), "out\n");
  EXPECT_EQ(s->blocks.depth(), 0u);
  run("IF 1\nIF 0\nECHO a\nELSE\nIF 1\nECHO b\nENDIF\nENDIF\nELSE\nECHO c\nENDIF\nECHO d\n");
  EXPECT_EQ(take_out(), "b\nd\n");
}

TEST_F(LoopTest, ElseOutsideABlockAndDeepNesting) {
  run("ELSE\nECHO still runs\nENDIF\n");
  EXPECT_EQ(take_err(), "ELSE outside an IF block is ignored.\n");
  EXPECT_EQ(take_out(), "still runs\n");
  std::string deep;
  for (int i = 0; i < 12; ++i) deep += "IF 1\n";
  deep += "ECHO inside\n";
  for (int i = 0; i < 12; ++i) deep += "ENDIF\n";
  deep += "ECHO outside\n";
  run(deep);
  EXPECT_EQ(take_out(), "inside\noutside\n");
  EXPECT_EQ(s->blocks.depth(), 0u);
  // However deep, a false IF skips and only one branch runs.
  std::string nested;
  for (int i = 0; i < 10; ++i) nested += "IF 1\n";
  nested += "IF 0\nECHO A\nELSE\nECHO B\nENDIF\n";
  for (int i = 0; i < 10; ++i) nested += "ENDIF\n";
  run(nested);
  EXPECT_EQ(take_out(), "B\n");
  EXPECT_EQ(take_err(), "");
}

TEST_F(LoopTest, CalculatorLines) {
  run("3.5\n-2\nX1F\n.25\n");
  EXPECT_EQ(take_out(),
            " 3.5000000000000000\n -2.0000000000000000\n 31.000000000000000\n"
            " 0.25000000000000000\n");
  run("QUIET\n3.5\n");
  EXPECT_EQ(take_out(), "");
}

TEST_F(LoopTest, ArithmeticFormsBecomeMathLines) {
  run("C1=C2\nx = 3\nY=4\nVAR=1\n");
  EXPECT_EQ(take_err(), "");
  EXPECT_EQ(s->math_list.commands.size(), 4u);  // C1, X, Y and V commands
  EXPECT_TRUE(s->math_list.any_xmath);
  EXPECT_TRUE(s->math_list.any_ymath);
  auto lines = new_ps_lines(true);
  EXPECT_NE(std::find(lines.begin(), lines.end(), "%! MATH x = 3"), lines.end());
}

TEST_F(LoopTest, NullAndRinexhourlyDoNothing) {
  run("NULL whatever\nRINEXHOURLY file\n");
  EXPECT_EQ(take_err(), "");
  EXPECT_EQ(take_out(), "");
  finish();
}

}  // namespace
}  // namespace vexal
