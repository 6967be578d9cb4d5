// Start-up and shutdown: flags, arguments, start-up files, the banner and the
// document that every run writes.
#include <filesystem>
#include <fstream>

#include "support/ghostscript.h"
#include "support/scratch_dir.h"

namespace vexal {
namespace {

namespace fs = std::filesystem;

// Runs in a scratch directory with HOME pointing at a scratch home.
class StartupTest : public ScratchDirTest {
 protected:
  void SetUp() override {
    ScratchDirTest::SetUp();
    fs::create_directories(dir_ / "home");
    const char* h = std::getenv("HOME");
    old_home_ = h ? h : "";
    ::setenv("HOME", (dir_ / "home").c_str(), 1);
  }
  void TearDown() override {
    ::setenv("HOME", old_home_.c_str(), 1);
    ScratchDirTest::TearDown();
  }
  std::string old_home_;
};

TEST_F(StartupTest, BannerAndDefaults) {
  start({});
  EXPECT_EQ(banner,
            "PostScript output is to  vexal.ps\nVexal version 2020.06.28\n"
            "Vexal: command-driven scientific plotting\n\n");
  EXPECT_EQ(num("VERSION"), 751654);
  EXPECT_EQ(chr("VERSION"), "Vexal version 2020.06.28");
  EXPECT_EQ(num("PRECISION"), 300);
  EXPECT_EQ(num("ECHO_LEVEL"), 1);
  EXPECT_EQ(num("PORTRAIT"), 1);
  EXPECT_EQ(num("NCOLORS"), 11);
  EXPECT_EQ(num("XDIM"), 6);
  EXPECT_EQ(chr("XNPLACE"), "C");
  EXPECT_EQ(chr("DATE").size(), 11u);
  EXPECT_EQ(chr("TIME").size(), 8u);
  EXPECT_EQ(chr("PS_OUTPUT_FILE"), "vexal.ps");
  EXPECT_EQ(s->run.pid.size(), 8u);
  finish();
}

TEST_F(StartupTest, FlagLettersAnywhereInOneArgument) {
  start({"-qlt"});
  EXPECT_EQ(s->units.verbose, 0);
  EXPECT_EQ(s->run.orientation, "Landscape");
  EXPECT_EQ(num("LANDSCAPE"), 1);
  run("");
  EXPECT_FALSE(s->run.stamp);  // "notime" ran
  EXPECT_EQ(take_out(), "");
  finish();
  EXPECT_NE(doc.find("612 0 translate\n90 rotate\n"), std::string::npos);
}

TEST_F(StartupTest, OutputPrecisionAndVersionFlags) {
  start({"-opV", "out.ps", "600", "1995.05.26"});
  EXPECT_EQ(s->run.ps_output_file, "out.ps");
  EXPECT_EQ(s->run.precision, 600);
  EXPECT_EQ(s->compat.level, 742321);
  EXPECT_EQ(take_err(), "Vexal compatibility set to 1995.05.26\n");
  finish();
}

TEST_F(StartupTest, MissingAndBadFlagValues) {
  start({"-p", "abc", "-o"});
  EXPECT_EQ(take_err(),
            " A parameter was missing or invalid: abc\n"
            "Bad precision specified: using default.\n"
            "Output flag on command line, but no output file specified, using default.\n");
  EXPECT_EQ(s->run.precision, 300);
  s.reset();
  start({"-p", "0", "-V"});
  EXPECT_EQ(take_err(),
            "Bad precision specified: using default.\n"
            "Version flag on command line, but no version specified, using default.\n");
}

TEST_F(StartupTest, StandardOutputCarriesOnlyTheDocument) {
  start({"-s"});
  run("VERBOSE\nDEBUG\nECHO hidden\n");
  EXPECT_EQ(s->units.verbose, 0);
  EXPECT_EQ(s->units.debug, 0);
  EXPECT_EQ(out, "");
  finish();
  EXPECT_NE(doc.find("%%BoundingBox: (atend)"), std::string::npos);
}

TEST_F(StartupTest, ArgumentsAreCommandFilesOrCommandLines) {
  std::ofstream("script.vx") << "ECHO from file\n";
  start({"-d", "ECHO as a line", "script.vx"});
  s->stream.prompt = true;
  s->loop();  // the terminal is /dev/null now: the run ends after the file
  EXPECT_TRUE(s->run.quit);
  std::string o = take_out();
  EXPECT_NE(banner.find("Vexal version"), std::string::npos);
  EXPECT_NE(o.find("as a line\n"), std::string::npos);
  EXPECT_NE(o.find("ECHO from file\nfrom file\n"), std::string::npos);
  EXPECT_EQ(o.find("$VEXAL:"), std::string::npos);
}

TEST_F(StartupTest, StartupFilesRunCurrentDirectoryFirstAndLastLineFirst) {
  std::ofstream(dir_ / "home" / ".vexal") << "ECHO home A\nECHO home B\n";
  std::ofstream(".vexal") << "ECHO here A\nECHO here B\n";
  start({"-t"});
  run("");
  // Each file's lines run last line first; the current directory's file
  // runs before the home file.
  EXPECT_EQ(take_out(), "here B\nhere A\nhome B\nhome A\n");
}

// Comment and blank lines of a start-up file are dropped as it is read (from
// the stack a comment would empty it); a byte-order mark is skipped; a
// start-up file that is not a regular file is not read; the home folder
// written another way is still read once.
TEST_F(StartupTest, StartupFilesSkipCommentsMarksAndSpecialFiles) {
  std::ofstream(dir_ / "home" / ".vexal") << "\xEF\xBB\xBF"
                                             "ECHO home A\n! note\n\n# label\nECHO home B\n";
  std::ofstream(".vexal") << "ECHO here\n  ! indented note\n";
  start({"-t"});
  run("");
  EXPECT_EQ(take_out(), "here\nhome B\nhome A\n");
  EXPECT_EQ(take_err(), "");

  finish();
  s.reset();
  fs::remove(".vexal");
  fs::create_symlink("/dev/zero", ".vexal");  // would hold start-up for ever
  ::setenv("HOME", (dir_.string() + "/").c_str(), 1);
  start({"-t"});
  run("");
  EXPECT_EQ(take_out(), "");
  finish();

  // HOME is the current folder, written with a trailing "/": read once.
  s.reset();
  fs::remove(".vexal");
  std::ofstream(".vexal") << "ECHO once\n";
  start({"-t"});
  run("");
  EXPECT_EQ(take_out(), "once\n");
}

// A byte-order mark at the start of a command file is not a command.
TEST_F(StartupTest, CommandFilesSkipAByteOrderMark) {
  std::ofstream("bom.vx") << "\xEF\xBB\xBF"
                             "ECHO marked\n";
  start({"-d"});
  run("COM bom.vx\n");
  EXPECT_EQ(take_err(), "");
  EXPECT_NE(take_out().find("marked\n"), std::string::npos);
}

TEST_F(StartupTest, FlagCommands) {
  run("DEBUG\nECHO x\nNODEBUG\n");
  EXPECT_EQ(take_out(), "ECHO x\nx\nNODEBUG\n");
  EXPECT_EQ(num("ECHO_LEVEL"), 1);
  run("QUIET\n");
  EXPECT_EQ(num("ECHO_LEVEL"), 0);
  run("VERBOSE\nVERSION 1995.05.26\nSAVET\n");
  EXPECT_EQ(num("ECHO_LEVEL"), 1);
  EXPECT_EQ(num("VERSION"), 742321);
  EXPECT_TRUE(s->run.save_temps);
  // What is no date keeps the level: a level of 0 would run the comment
  // records of binary data files as commands.
  const std::string bad =
      "The version must be a date written yyyy.mm.dd; the compatibility level is unchanged.\n";
  run("VERSION 1e60.1.1\nVERSION 2000.13.1\n");
  EXPECT_EQ(num("VERSION"), 742321);
  EXPECT_EQ(take_err(), bad + bad);
  run("VERSION 2000\n");
  EXPECT_EQ(take_err(),
            " A parameter was missing or invalid: VERSION 2000\n"
            " A parameter was missing or invalid: VERSION 2000\n" +
                bad);
  EXPECT_EQ(num("VERSION"), 742321);
  for (const char* v : {"2019-05-01", "abc"}) {
    finish();
    s.reset();
    doc.clear();
    doc_seen = 0;
    start({"-d", "-V", v});
    EXPECT_EQ(num("VERSION"), 751654) << v;
    EXPECT_NE(take_err().find(bad), std::string::npos) << v;
  }
}

TEST_F(StartupTest, QuitEndsTheDocumentAndRemovesTemporaryFiles) {
  start();
  std::string tmp = "data" + s->run.pid + ".tmp";
  std::ofstream(tmp) << "x";
  run("QUIT\nECHO never\n");
  EXPECT_TRUE(s->run.quit);
  EXPECT_FALSE(fs::exists(tmp));
  EXPECT_EQ(take_out().find("never"), std::string::npos);
  // Header lines 1 and 2 are 72 bytes each; line 2 holds the real box.
  ASSERT_GT(doc.size(), 144u);
  EXPECT_EQ(doc[71], '\n');
  EXPECT_EQ(doc[143], '\n');
  EXPECT_EQ(doc.substr(72, 15), "%%BoundingBox: ");
  EXPECT_EQ(doc.find("(atend)", 72), doc.find("%%Pages: (atend)") + 9);
  check_document_later(doc);
}

TEST_F(StartupTest, SavetKeepsTemporaryFiles) {
  start();
  std::string tmp = "error" + s->run.pid + ".tmp";
  std::ofstream(tmp) << "x";
  run("SAVET\nQUIT\n");
  EXPECT_TRUE(fs::exists(tmp));
}

}  // namespace
}  // namespace vexal
