// The files the transformations write: a write that fails is reported and
// fails the run, never passed off as done.
#include <sys/resource.h>

#include <csignal>

#include "support/scratch_dir.h"

namespace vexal {
namespace {

class TransformFilesTest : public ScratchDirTest {};

TEST_F(TransformFilesTest, ASpectrumFileThatCannotBeWrittenIsReported) {
  run("INVENT 1024\nNFFT 1024\nLOADFFT\n");
  take_err();
  // A file size limit makes the spectrum's write fail part way.
  rlimit old{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
  const rlimit small{4096, old.rlim_max};
  auto previous = std::signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  run("DOFFT\n");
  setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, previous);
  EXPECT_EQ(take_err().rfind("Error writing the data file data", 0), 0u);
  EXPECT_EQ(s->run.exit_status, 1);
  finish();
}

}  // namespace
}  // namespace vexal
