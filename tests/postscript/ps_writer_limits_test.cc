// The document at its limits, as a user meets them: control characters in
// the lines copied into comments, coordinates and radii beyond what readers
// hold, the precision flag, and a document or listing that cannot be written.
#include <cstdio>
#include <string>
#include <vector>

#include "interp/session.h"
#include "support/session_fixture.h"

namespace vexal {
namespace {

constexpr const char* kFullDevice = "/dev/full";  // every write fails with ENOSPC
const std::string kDocumentFull =
    "Error writing the PostScript output file /dev/full: No space left on device\n";
const std::string kListingFull =
    "Error writing the listing file /dev/full: No space left on device\n";

class PsWriterLimitsTest : public SessionTest {
 protected:
  // A fresh session and document with these arguments, the previous one's
  // document checked by Ghostscript first.
  void restart_with(std::vector<std::string> args) {
    if (s) finish();
    s.reset();
    doc.clear();
    doc_seen = 0;
    start(std::move(args));
  }
  // The document line that begins with `prefix`, or "" when there is none.
  std::string line_starting(const std::string& prefix) {
    for (const std::string& l : new_ps_lines(true))
      if (l.rfind(prefix, 0) == 0) return l;
    return "";
  }
  // The header's bounding-box line without its padding.
  std::string header_box() const {
    std::string line = doc.substr(kHeaderLineBytes, kHeaderLineBytes - 1);
    return line.substr(0, line.find_last_not_of(' ') + 1);
  }
};

// A carriage return or form feed would end the comment and run the rest of
// the line; a tab, DEL and bytes above 127 do not, and stay.
TEST_F(PsWriterLimitsTest, CommandLinesCannotLeaveTheirComment) {
  struct Case {
    const char* line;
    const char* comment;
  };
  const Case kCases[] = {
      {"NULL x\r(INJECTED) print", "%! NULL x (INJECTED) print"},
      {"NULL x\f(INJECTED) print", "%! NULL x (INJECTED) print"},
      {"NULL \x01\x1b\x1f end", "%! NULL     end"},
      {"NULL a\tb \x7f \xe9", "%! NULL a\tb \x7f \xe9"},
  };
  start();
  new_ps_lines();
  for (const Case& c : kCases) {
    run(std::string(c.line) + "\n");
    EXPECT_EQ(line_starting("%! NULL"), c.comment);
  }
  finish();
}

TEST_F(PsWriterLimitsTest, OutputFileNameCannotLeaveTheTitle) {
  start({"-d", "-o", "a\rb\fc.ps"});  // the document still goes to the test's string
  doc_seen = 0;
  EXPECT_EQ(line_starting("%%Title:"), "%%Title:  a b c.ps");
  finish();
}

// Each value stands in its own 8-character field behind at least one blank.
// No stamps (-t): their text would widen the box with the date and directory.
TEST_F(PsWriterLimitsTest, BoundingBoxFieldsStayApart) {
  struct Case {
    std::vector<std::string> args;
    const char* commands;
    const char* header;
  };
  const Case kCases[] = {
      {{"-d", "-t"}, "DRAW -100000 -100000\n", "%%BoundingBox:   -999999 -999999      77      77"},
      {{"-d", "-t"},
       "MOVE -1e6 -1e6\nDRAW 1e6 1e6\n",
       "%%BoundingBox:   -999999 -999999 2400005 2400005"},
      {{"-d", "-t", "-l"},
       "DRAW -100000 -100000\n",
       "%%BoundingBox:       540 -999999 2400611      73"},
      {{"-d", "-t", "-l"},
       "MOVE -1e6 -1e6\nDRAW 1e6 1e6\n",
       "%%BoundingBox:   -999999 -999999 2400611 2400001"},
  };
  for (const Case& c : kCases) {
    restart_with(c.args);
    run(c.commands);
    run("QUIT\n");
    EXPECT_EQ(header_box(), c.header) << c.commands;
  }
  finish();
}

// Ghostscript refuses an arc it cannot hold in its device space; a circle
// far beyond the page is pulled in to 1000 inches (centre) and 2000 (radius).
TEST_F(PsWriterLimitsTest, ClipCirclesStayWithinReach) {
  struct Case {
    const char* commands;
    const char* arc;
  };
  const Case kCases[] = {
      {"CLIPCIRCLE 1000000\n", "          300          300       600000 0.00000000 360.000000 arc"},
      {"CLIPCIRCLE {1e308 10 *}\n",
       "          300          300       600000 0.00000000 360.000000 arc"},
      {"CLIPCIRCLE {1e308 10 * dup -}\n",
       "          300          300            0 0.00000000 360.000000 arc"},
      {"MOVE 1e7 -1e7\nCLIPCIRCLE 1\n",
       "       300000      -300000          300 0.00000000 360.000000 arc"},
      {"CLIPCIRCLE 1000\n", "          300          300       300000 0.00000000 360.000000 arc"},
  };
  for (const Case& c : kCases) {
    restart_with({"-d"});
    run(c.commands);
    std::string arc;
    for (const std::string& l : new_ps_lines())
      if (l.ends_with(" arc")) arc = l;
    EXPECT_EQ(arc, c.arc) << c.commands;
  }
  finish();
}

TEST_F(PsWriterLimitsTest, PrecisionOutsideOneTo100000IsRefused) {
  struct Case {
    const char* value;
    double precision;  // in force afterwards
    const char* err;
  };
  const Case kCases[] = {
      {"1e-300", 300, "Bad precision specified: using default.\n"},
      {"0.5", 300, "Bad precision specified: using default.\n"},
      {"100001", 300, "Bad precision specified: using default.\n"},
      {"1", 1, ""},
      {"100000", 100000, ""},
  };
  for (const Case& c : kCases) {
    restart_with({"-d", "-p", c.value});
    EXPECT_EQ(take_err(), c.err) << c.value;
    EXPECT_EQ(num("PRECISION"), c.precision) << c.value;
    run("MOVE 0 0\nDRAW 2 2\nCLIPCIRCLE 1\n");  // the document is checked at the next start
  }
  finish();
}

TEST_F(PsWriterLimitsTest, ListingThatCannotBeWrittenIsReported) {
  start();
  run("DUMPVAR /dev/null\nDUMPCOLOR /dev/null\n");
  EXPECT_EQ(take_err(), "");
  EXPECT_EQ(s->run.exit_status, 0);
  run("DUMPVAR /dev/full\nDUMPCVAR /dev/full\nDUMPCOLOR /dev/full\n");
  EXPECT_EQ(take_err(), kListingFull + kListingFull + kListingFull);
  EXPECT_EQ(s->run.exit_status, 1);
  finish();
}

// A session writing its document to a real file: the failure is reported
// once, at the end, and the exit status says so.
TEST(PsWriterFailure, DocumentThatCannotBeWrittenIsReportedOnce) {
  std::string out, err;
  SessionIo io;
  io.out_text = &out;
  io.err_text = &err;
  Session s(io);
  s.start({"-d", "-q", "-o", kFullDevice});
  // Far more than one buffer of document, so that writes fail mid-run.
  std::string commands;
  for (int i = 0; i < 3000; ++i) commands += "DRAW 1 1\nDRAW 2 2\n";
  commands += "QUIT\n";
  std::FILE* in = fmemopen(commands.data(), commands.size(), "r");
  s.stream.terminal = in;
  s.loop(false);
  s.flush_terminal();
  std::fclose(in);
  EXPECT_EQ(err, kDocumentFull);
  EXPECT_EQ(s.run.exit_status, 1);
}

TEST(PsWriterFailure, WriterNamesTheFileAndTheReason) {
  PsWriter w;
  OutBuffer term;
  ASSERT_TRUE(startup(w, {300, false, kFullDevice, "Portrait", "vexal test"}, false, term));
  drawto(w, 1, 1);
  plot(w, 0, 0, PenCode::kEnd);
  EXPECT_EQ(ps_error_message(w) + "\n", kDocumentFull);
}

}  // namespace
}  // namespace vexal
