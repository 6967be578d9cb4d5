// A document written into a string by the writer alone, for tests of the
// drawing routines below the command handlers. The origin stands one inch in,
// as the program has it; every document is checked by Ghostscript.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "postscript/ps_writer.h"
#include "support/ghostscript.h"
#include "support/lines.h"

namespace vexal {

class DocumentTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ps_open_string(w, &doc);
    ASSERT_TRUE(startup(w, {300, false, "test.ps", "Portrait", "vexal test"}, false, term));
    plot(w, 1, 1, PenCode::kMoveOrigin);  // the origin one inch in: device = (x + 1) x 300
    lines();
  }
  void TearDown() override {
    if (w.open) plot(w, 0, 0, PenCode::kEnd);
    check_document_later(doc);
  }
  // Lines written since the previous call.
  std::vector<std::string> lines() {
    out_flush(w);
    std::vector<std::string> out = split_lines(std::string_view(doc).substr(pos));
    pos = doc.size();
    return out;
  }

  std::string doc;  // declared before `w`, which flushes into it when it goes
  size_t pos = 0;
  std::string term_text;
  OutBuffer term{&term_text};
  PsWriter w;
};

}  // namespace vexal
