// --sandbox: command files from elsewhere write and delete nothing but the
// document and the run's scratch files, and read nothing outside the
// current folder, however the name reaches out.
#include <unistd.h>

#include <filesystem>
#include <string>

#include "support/scratch_dir.h"

namespace vexal {
namespace {

namespace fs = std::filesystem;

constexpr const char* kNotWritten = "Only the document is written (--sandbox); not written: ";
constexpr const char* kNotDeleted =
    "Only the run's scratch files are deleted (--sandbox); not deleted: ";
constexpr const char* kNotRead =
    "Files outside the current folder are not read (--sandbox); not read: ";

class SandboxTest : public ScratchDirTest {
 protected:
  void SetUp() override {
    ScratchDirTest::SetUp();
    // A folder beside the run's, holding what a command file must not reach.
    outside_ = dir_.string() + "_outside";
    fs::create_directories(outside_);
    write(outside_ + "/secret.vx", "ECHO secret ran\n");
    write(outside_ + "/secret.dat", "1 2\n3 4\n");
    fs::create_directories("sub");
    write("sub/ok.vx", "ECHO inside ran\n");
    write("sub/ok.dat", "1 2\n3 4\n5 6\n");
  }
  void TearDown() override {
    ScratchDirTest::TearDown();
    fs::remove_all(outside_);
  }
  // A fresh session under --sandbox, ECHO lines shown, command-file lines not.
  void sandboxed(std::vector<std::string> args = {"-d", "-q", "--sandbox"}) {
    if (s) {
      finish();
      s.reset();
      doc.clear();
      doc_seen = 0;
    }
    start(std::move(args));
    s->units.verbose = 1;
  }
  std::string outside_;
};

// Every command that writes or deletes a named file refuses it with one
// message, leaves the file as it was and fails the exit status; a listing
// to the terminal still lists.
TEST_F(SandboxTest, WritesAndDeletionsAreRefused) {
  struct Case {
    const char* lines;  // run after an array, an image and points are loaded
    const char* file;   // the file it would have written or deleted
    const char* message;
  };
  const Case kCases[] = {
      {"DEFINECOM made.vx\nECHO body ran\nENDDEFINE\n", "made.vx", kNotWritten},
      {"DELETE keep.txt\n", "keep.txt", kNotDeleted},
      {"DUMPVAR keep.txt\n", "keep.txt", kNotWritten},
      {"DUMPCVAR made.txt\n", "made.txt", kNotWritten},
      {"DUMPCSH made.txt\n", "made.txt", kNotWritten},
      {"DUMPALIAS made.txt\n", "made.txt", kNotWritten},
      {"DUMPCOLOR made.txt\n", "made.txt", kNotWritten},
      {"DUMPMATH made.txt\n", "made.txt", kNotWritten},
      {"DUMPCOMPILE made.txt\n", "made.txt", kNotWritten},
      {"DUMPDATA made.txt\n", "made.txt", kNotWritten},
      {"DUMPARRAY made.txt\n", "made.txt", kNotWritten},
      {"DUMPPGM made.txt\n", "made.txt", kNotWritten},
      {"DUMPARRAYMAP made.txt\n", "made.txt", kNotWritten},
      {"XSLICEARRAY 1\n", "slice.d", kNotWritten},
      {"YSLICEIMAGE 1\n", "slice.d", kNotWritten},
  };
  for (const Case& c : kCases) {
    sandboxed();
    write("keep.txt", "mine\n");
    run("ARRAY 2 2\n1 2\n3 4\nARRAYTOPGM\nDATA sub/ok.dat\nAPPEND\n");
    ASSERT_EQ(take_err(), "") << c.lines;
    run(c.lines);
    EXPECT_EQ(take_err(), std::string(c.message) + c.file + "\n") << c.lines;
    EXPECT_EQ(take_out().find("body ran"), std::string::npos) << c.lines;
    EXPECT_EQ(file_text("keep.txt"), "mine\n") << c.lines;
    EXPECT_FALSE(fs::exists("made.txt") || fs::exists("made.vx") || fs::exists("slice.d"))
        << c.lines;
    EXPECT_EQ(s->run.exit_status, 1) << c.lines;
  }
  sandboxed();
  run("%NAME=listed\nDUMPCVAR\n");
  EXPECT_NE(take_out().find("listed"), std::string::npos);
  EXPECT_EQ(s->run.exit_status, 0);
}

// A command file may end with RETURN/DELETE, and a scratch file the run made
// may be deleted; anyone else's file stays.
TEST_F(SandboxTest, OnlyTheRunsOwnFilesAreDeleted) {
  sandboxed();
  write("self.vx", "ECHO self ran\nRETURN/DELETE\n");
  run("COM self.vx\nLOOP 2\nECHO pass\nENDLOOP\nECHO after\n");
  const std::string o = take_out();
  EXPECT_NE(o.find("\nself ran\n"), std::string::npos) << o;
  EXPECT_NE(o.find("\npass\n$loop=           2"), std::string::npos) << o;
  EXPECT_NE(o.find("\nafter\n"), std::string::npos) << o;
  EXPECT_EQ(take_err(), std::string(kNotDeleted) + "self.vx\n");
  EXPECT_TRUE(fs::exists("self.vx"));
  // The loop's own files went as usual: only "sub" and the file are left.
  finish();
  EXPECT_EQ(std::distance(fs::directory_iterator("."), fs::directory_iterator()), 2);
}

// Every reader refuses a name that leads outside the current folder: by an
// absolute name, by "..", or by a link planted inside; the same readers take
// a file in a subfolder.
TEST_F(SandboxTest, ReadsOutsideTheFolderAreRefused) {
  fs::create_symlink(outside_ + "/secret.vx", "link.vx");
  fs::create_symlink(outside_, "away");
  const std::string up = "sub/../../" + dir_.filename().string() + "_outside/secret.vx";
  struct Case {
    std::string lines;
    std::string name;  // the name refused
  };
  const Case kCases[] = {
      {"COM " + outside_ + "/secret.vx\n", outside_ + "/secret.vx"},
      {"COM link.vx\n", "link.vx"},
      {"COM " + up + "\n", up},
      {"COM away/secret.vx\n", "away/secret.vx"},
      {"DATA away/secret.dat\n", "away/secret.dat"},
      {"TMDATA away/secret.dat 1 2\nAPPEND\n", "away/secret.dat"},
      {"RAWARRAY away/secret.dat\n", "away/secret.dat"},
      {"PGM away/secret.dat\n", "away/secret.dat"},
      {"NETCDFFILE away/secret.dat\n", "away/secret.dat"},
  };
  for (const Case& c : kCases) {
    sandboxed();
    run(c.lines);
    const std::string err = take_err();
    EXPECT_EQ(err.find(kNotRead + c.name + "\n"), 0u) << c.lines << err;
    EXPECT_EQ(take_out().find("secret ran"), std::string::npos) << c.lines;
    EXPECT_EQ(s->store.npts(), 0) << c.lines;
  }
  sandboxed();
  run("COM sub/ok.vx\nDATA sub/ok.dat\nAPPEND\n");
  EXPECT_NE(take_out().find("\ninside ran\n"), std::string::npos);
  EXPECT_EQ(take_err(), "");
  EXPECT_EQ(s->store.npts(), 3);
}

// No start-up file runs, and no shell command, as with -d and -S.
TEST_F(SandboxTest, NoStartUpFilesAndNoShell) {
  write(".vexal", "ECHO start-up ran\n");
  sandboxed({"-q", "--sandbox"});
  run("SYSTEM touch made.txt\nECHO done\n");
  EXPECT_EQ(take_out(), "done\n");
  EXPECT_FALSE(fs::exists("made.txt"));
  EXPECT_TRUE(s->run.no_shell);
}

}  // namespace
}  // namespace vexal
