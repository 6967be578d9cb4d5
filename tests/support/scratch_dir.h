// A session test that runs in a scratch directory of its own, removed after
// the test, so that it can make command files and start-up files.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "support/session_fixture.h"

namespace vexal {

class ScratchDirTest : public SessionTest {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("vexal_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir_);
    old_ = std::filesystem::current_path();
    std::filesystem::current_path(dir_);
  }
  void TearDown() override {
    std::filesystem::current_path(old_);
    std::filesystem::remove_all(dir_);
  }
  static void write(const std::string& name, const std::string& text) {
    std::ofstream(name, std::ios::binary) << text;
  }
  // The whole text of a file ("" when it cannot be read).
  static std::string file_text(const std::string& name) {
    std::ifstream f(name, std::ios::binary);
    std::stringstream text;
    text << f.rdbuf();
    return text.str();
  }
  std::filesystem::path dir_, old_;
};

}  // namespace vexal
