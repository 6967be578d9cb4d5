// A fresh in-process session with captured terminal output, error output and
// document, for tests that run command lines the way a user types them.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "interp/session.h"

namespace vexal {

class SessionTest : public ::testing::Test {
 protected:
  ~SessionTest() override;

  // Starts the session with these command-line arguments ("-d": no start-up
  // files). Called by run() when the test has not started it.
  void start(std::vector<std::string> args = {"-d"});
  // Runs the lines as if typed at the terminal; returns when they are used up.
  void run(const std::string& lines);
  // Runs QUIT (ends the document) unless the session has quit already, and
  // checks that Ghostscript accepts the document.
  void finish();
  // A fresh session and document, the previous one's document checked first.
  void restart();
  // The whole document the commands write in a fresh session ("-d", and
  // "--compact" when `compact`), checked by Ghostscript; their error output
  // is left for take_err().
  std::string document_of(const std::string& commands, bool compact);
  // Lines of the document written since the last call (comment lines "%!"
  // dropped unless `comments`).
  std::vector<std::string> new_ps_lines(bool comments = false);
  double num(const std::string& name);
  std::string chr(const std::string& name);
  // Terminal output and error output since the last call of each.
  std::string take_out();
  std::string take_err();

  std::string out, err, doc;
  std::string banner;  // terminal output of the start-up
  std::unique_ptr<Session> s;
  size_t doc_seen = 0;

 private:
  std::vector<std::FILE*> inputs_;
  std::vector<std::string> texts_;  // kept alive for the memory streams
};

}  // namespace vexal
