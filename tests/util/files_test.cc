// Opening the user's output files: a regular file is overwritten, a symbolic
// link under the name is never followed, a FIFO without a reader is refused
// at once.
#include "util/files.h"

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/scratch_dir.h"

namespace vexal {
namespace {

namespace fs = std::filesystem;

using OutputFileTest = ScratchDirTest;

TEST_F(OutputFileTest, WritesRegularFilesAndDevicesButNeverThroughALink) {
  write("victim", "keep\n");
  write("old", "a longer text than the new one\n");
  fs::create_symlink("victim", "link");
  fs::create_symlink("nowhere", "dangling");
  fs::create_directory("folder");
  ASSERT_EQ(::mkfifo("fifo", 0600), 0);
  struct Case {
    const char* name;
    bool opens;
    bool symbolic_link;
  };
  constexpr Case kCases[] = {
      {"old", true, false},   {"new", true, false},      {"/dev/null", true, false},
      {"link", false, true},  {"dangling", false, true}, {"folder", false, false},
      {"fifo", false, false},  // no reader: refused rather than waiting for one
  };
  for (const Case& c : kCases) {
    OutputRefusal refusal = OutputRefusal::kNone;
    std::FILE* fp = fopen_output(c.name, &refusal);
    EXPECT_EQ(fp != nullptr, c.opens) << c.name;
    EXPECT_EQ(refusal == OutputRefusal::kSymbolicLink, c.symbolic_link) << c.name;
    if (fp) {
      std::fputs("new\n", fp);
      std::fclose(fp);
    }
  }
  EXPECT_EQ(file_text("old"), "new\n");
  EXPECT_EQ(file_text("new"), "new\n");
  EXPECT_EQ(file_text("victim"), "keep\n");
  EXPECT_FALSE(fs::exists("nowhere"));
}

}  // namespace
}  // namespace vexal
