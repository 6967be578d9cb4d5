// A mapped file read while another program cuts it short: the reads past
// its new end must come back as a failure, never as a bus error that ends
// the program; reads inside it go on as before.
#include "util/mapped_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace vexal {
namespace {

class MappedFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = std::filesystem::temp_directory_path() /
            ("vexal_mapped_" + std::to_string(::getpid()) + ".bin");
    fd_ = ::open(path_.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0600);
    ASSERT_GE(fd_, 0);
    page_ = static_cast<size_t>(::sysconf(_SC_PAGESIZE));
    std::string bytes(4 * page_, '\0');
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i % 251);
    ASSERT_EQ(::write(fd_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  }
  void TearDown() override {
    ::close(fd_);
    std::filesystem::remove(path_);
  }

  // The byte at `offset`, read guarded; -1 when the read failed.
  static int read_at(const MappedFile& m, size_t offset) {
    int got = -1;
    auto read = [&] { got = static_cast<unsigned char>(m.data()[offset]); };
    return m.guarded(read) ? got : -1;
  }

  std::filesystem::path path_;
  int fd_ = -1;
  size_t page_ = 0;
};

TEST_F(MappedFileTest, ReadsPastACutAreCaught) {
  MappedFile m;
  ASSERT_TRUE(m.map(fd_, 4 * page_));
  EXPECT_EQ(read_at(m, 3 * page_ + 5), (3 * page_ + 5) % 251);
  ASSERT_EQ(::ftruncate(fd_, static_cast<off_t>(page_)), 0);  // another program cuts it
  EXPECT_EQ(read_at(m, 3 * page_ + 5), -1);
  EXPECT_EQ(read_at(m, 2 * page_), -1);
  // What is left reads as before, and so does a second failure.
  EXPECT_EQ(read_at(m, 7), 7);
  EXPECT_EQ(read_at(m, page_ - 1), (page_ - 1) % 251);
  EXPECT_EQ(read_at(m, 2 * page_ + 1), -1);
  // The signal mask is the one the reads began with.
  sigset_t blocked;
  ASSERT_EQ(::pthread_sigmask(SIG_SETMASK, nullptr, &blocked), 0);
  EXPECT_FALSE(sigismember(&blocked, SIGBUS));
  EXPECT_FALSE(sigismember(&blocked, SIGINT));
}

TEST_F(MappedFileTest, GivenBackPagesReadAgain) {
  MappedFile m;
  ASSERT_TRUE(m.map(fd_, 4 * page_));
  m.release_before(2 * page_ + 100);
  EXPECT_EQ(read_at(m, 0), 0);
  EXPECT_EQ(read_at(m, 2 * page_ + 50), (2 * page_ + 50) % 251);
  m.unmap();
  EXPECT_FALSE(m.mapped());
}

TEST_F(MappedFileTest, WhatCannotBeMapped) {
  MappedFile m;
  EXPECT_FALSE(m.map(fd_, 0));
  int pipe_ends[2];
  ASSERT_EQ(::pipe(pipe_ends), 0);
  EXPECT_FALSE(m.map(pipe_ends[0], 4096));
  ::close(pipe_ends[0]);
  ::close(pipe_ends[1]);
  EXPECT_FALSE(m.mapped());
}

TEST_F(MappedFileTest, OtherBusErrorsStillEndTheProgram) {
  // Only faults inside a guarded mapping are caught: a bus error anywhere
  // else, while a file is mapped, ends the program as it would have.
  EXPECT_DEATH(
      {
        MappedFile m;
        if (m.map(fd_, 4 * page_)) ::raise(SIGBUS);
      },
      "");
}

}  // namespace
}  // namespace vexal
