// Tests of the document writer and the pen: the document frame, the line
// emitters, repeat suppression, stroking, widths, colours, pages, dash
// patterns and clipping.
#include "postscript/ps_writer.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <vector>

#include "support/ghostscript.h"
#include "support/lines.h"
#include "support/process.h"

namespace vexal {
namespace {

std::vector<std::string> lines_of(std::string_view s) { return split_lines(s); }

// The expected fixed-length bounding-box line, without its newline.
std::string bbox_line(int x0, int y0, int x1, int y1) {
  char buf[80];
  std::snprintf(buf, sizeof buf, "%%%%BoundingBox:  %8d%8d%8d%8d", x0, y0, x1, y1);
  std::string s = buf;
  s.resize(kHeaderLineBytes - 1, ' ');
  return s;
}

std::string padded(std::string s) {
  s.resize(kHeaderLineBytes - 1, ' ');
  return s;
}

// A document written into a string; every document is checked by Ghostscript.
class PsWriterTest : public ::testing::Test {
 protected:
  void start(std::string_view orientation = "Portrait", bool to_stdout = false) {
    ps_open_string(w, &doc);
    ASSERT_TRUE(startup(w, {300, to_stdout, "test.ps", orientation, "vexal test"}, false, term));
    written();
  }
  // What was written since the previous call.
  std::string written() {
    out_flush(w);
    std::string s = doc.substr(pos);
    pos = doc.size();
    return s;
  }
  void finish() { plot(w, 0, 0, PenCode::kEnd); }
  std::vector<std::string> doc_lines() { return lines_of(doc); }
  void TearDown() override {
    if (w.open) finish();
    check_document_later(doc);
  }

  std::string doc;  // declared before `w`, which flushes into it when it goes
  size_t pos = 0;
  std::string term_text;
  OutBuffer term{&term_text};
  PsWriter w;
};

TEST_F(PsWriterTest, HeaderAndFirstPage) {
  start();
  ASSERT_GT(doc.size(), 2u * kHeaderLineBytes);
  EXPECT_EQ(doc.substr(0, kHeaderLineBytes), padded("%!PS-Adobe-2.0") + "\n");
  EXPECT_EQ(doc.substr(kHeaderLineBytes, kHeaderLineBytes),
            padded("%%BoundingBox: (atend)") + "\n");
  auto lines = doc_lines();
  EXPECT_EQ(lines[2].rfind("%%Creator: vexal", 0), 0u);
  const std::vector<std::string> comments = {"%%Version:  vexal test", "%%Title:  test.ps",
                                             "%%Orientation:  Portrait", "%%Pages: (atend)",
                                             "%%EndComments"};
  EXPECT_EQ(std::vector<std::string>(lines.begin() + 3, lines.begin() + 8), comments);

  auto end = std::find(lines.begin(), lines.end(), "%! End definitions");
  ASSERT_NE(end, lines.end());
  const std::vector<std::string> page1 = {
      "%%Page: 1", " 0.23999999999999999 0.23999999999999999 scale",
      "0 0 M",     "CSM",
      "1 W",       " CSM 0.00 0.00 0.00 RGB"};
  EXPECT_EQ(std::vector<std::string>(end + 1, lines.end()), page1);
  EXPECT_EQ(term_text, "");  // not verbose
}

TEST_F(PsWriterTest, MarkersKeepStackAndCurrentPoint) {
  start();
  for (const char* name : {"S0", "S0F", "S1", "S1F", "S2", "S2F", "S3", "S4", "S5", "S5F"}) {
    ps_literal(w, std::string("100 100 M 32 ") + name);
    // Undefined names make Ghostscript report the fault.
    ps_literal(w, "count 0 ne {marker_left_operands} if");
    ps_literal(w, "currentpoint 100 ne exch 100 ne or {marker_moved_point} if");
  }
}

TEST_F(PsWriterTest, BoundingBoxPatchedIntoHeaderAndTrailer) {
  start();
  plot(w, 1, 1, PenCode::kMoveOrigin);
  moveto(w, 0, 0);  // device 300 300
  drawto(w, 1, 2);  // device 600 900
  finish();
  // 72/300 x device, 5 points of margin.
  const std::string box = bbox_line(67, 67, 149, 221);
  EXPECT_EQ(doc.substr(kHeaderLineBytes, kHeaderLineBytes), box + "\n");
  auto lines = doc_lines();
  ASSERT_GE(lines.size(), 5u);
  const std::vector<std::string> tail = {"S", "showpage", box, "%%Pages: 1", "%%EOF"};
  EXPECT_EQ(std::vector<std::string>(lines.end() - 5, lines.end()), tail);
}

TEST_F(PsWriterTest, StandardOutputKeepsAtend) {
  start("Portrait", /*to_stdout=*/true);
  drawto(w, 1, 1);
  finish();
  EXPECT_EQ(doc.substr(kHeaderLineBytes, kHeaderLineBytes),
            padded("%%BoundingBox: (atend)") + "\n");
  EXPECT_NE(doc.find(bbox_line(-5, -5, 77, 77) + "\n%%Pages: 1\n"), std::string::npos);
}

TEST_F(PsWriterTest, EmptyDocumentUsesEmptyBox) {
  start();
  finish();
  // xmin = ymin = 300 x 100 device units, xmax = ymax = 0.
  EXPECT_EQ(doc.substr(kHeaderLineBytes, kHeaderLineBytes - 1), bbox_line(7195, 7195, 5, 5));
}

TEST_F(PsWriterTest, LandscapeRotatesPageAndBox) {
  start("Landscape");
  auto lines = doc_lines();
  auto begin = std::find(lines.begin(), lines.end(), "%! Begin definitions");
  ASSERT_LT(begin + 3, lines.end());
  EXPECT_EQ(begin[1], "612 0 translate");
  EXPECT_EQ(begin[2], "90 rotate");
  EXPECT_EQ(begin[3], "0 setlinecap");
  EXPECT_EQ(lines[5], "%%Orientation:  Landscape");

  plot(w, 1, 1, PenCode::kMoveOrigin);
  moveto(w, 0, 0);
  drawto(w, 1, 2);  // device box 300 300 600 900
  // showpage drops the rotation; every page sets it again.
  written();
  plot(w, 0, 0, PenCode::kNewPage);
  EXPECT_EQ(lines_of(written()),
            (std::vector<std::string>{"S showpage", "%%Page: 2", "612 0 translate", "90 rotate",
                                      " 0.23999999999999999 0.23999999999999999 scale", "0 0 M"}));
  finish();
  // 612 - 72/300*ymax, 72/300*xmin, 612 - (72/300*ymin + 1), 72/300*xmax + 1.
  EXPECT_EQ(doc.substr(kHeaderLineBytes, kHeaderLineBytes - 1), bbox_line(396, 72, 539, 145));

  std::string png =
      ::testing::TempDir() + "ps_writer_landscape_" + std::to_string(getpid()) + ".png";
  EXPECT_TRUE(ghostscript_render_png(doc, png));
  std::remove(png.c_str());
}

TEST_F(PsWriterTest, FileTargetIsPatchedAndAnnounced) {
  const std::string path =
      ::testing::TempDir() + "ps_writer_test_" + std::to_string(getpid()) + ".ps";
  std::ofstream(path, std::ios::binary) << std::string(100000, '\x7f');  // an older, longer file
  ASSERT_TRUE(startup(w, {300, false, path, "Portrait", "vexal test"}, true, term));
  term.flush();
  EXPECT_EQ(term_text, "PostScript output is to  " + path + "\n");
  drawto(w, 1, 1);
  finish();
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  doc = ss.str();  // checked by Ghostscript in TearDown
  std::remove(path.c_str());
  EXPECT_EQ(doc.substr(kHeaderLineBytes, kHeaderLineBytes), bbox_line(-5, -5, 77, 77) + "\n");
  EXPECT_EQ(doc.substr(0, kHeaderLineBytes), padded("%!PS-Adobe-2.0") + "\n");
  EXPECT_EQ(doc.find('\x7f'), std::string::npos);  // nothing of the older file is left
  EXPECT_EQ(doc.substr(doc.size() - 6), "%%EOF\n");
}

// A document written to a file in a folder of its own, where the tests look
// at every name the writer leaves.
class PsWriterFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = std::filesystem::path(::testing::TempDir()) /
             ("ps_writer_" + std::to_string(getpid()) + "_" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(folder);
    target = (folder / "plot.ps").string();
  }
  void TearDown() override { std::filesystem::remove_all(folder); }
  // Opens the target and writes the start of a document into it.
  void start(PsWriter& w) {
    ASSERT_TRUE(ps_open_file(w, target));
    ASSERT_TRUE(startup(w, {300, false, target, "Portrait", "vexal test"}, false, term));
    drawto(w, 1, 1);
    out_flush(w);
  }
  std::set<std::string> names() const {
    std::set<std::string> found;
    for (const auto& e : std::filesystem::directory_iterator(folder))
      found.insert(e.path().filename().string());
    return found;
  }

  std::filesystem::path folder;
  std::string target;
  OutBuffer term;
};

// A document never ended leaves no file of its own, and the target as it was.
TEST_F(PsWriterFileTest, ADocumentNeverEndedLeavesTheTargetAsItWas) {
  std::ofstream(target) << "the previous document\n";
  {
    PsWriter w;
    start(w);
  }
  EXPECT_EQ(names(), std::set<std::string>{"plot.ps"});
  EXPECT_EQ(slurp(target), "the previous document\n");
}

// The new file is created exclusively: a name already taken is passed over,
// and a link planted there is not written through.
TEST_F(PsWriterFileTest, ANameAlreadyTakenIsPassedOver) {
  std::ofstream(folder / "victim") << "keep\n";
  const std::string planted = ".vexal-document-" + std::to_string(getpid()) + "-1";
  std::filesystem::create_symlink("victim", folder / planted);
  PsWriter w;
  start(w);
  plot(w, 0, 0, PenCode::kEnd);
  EXPECT_EQ(ps_error_message(w), "");
  EXPECT_EQ(slurp((folder / "victim").string()), "keep\n");
  EXPECT_EQ(names(), (std::set<std::string>{planted, "plot.ps", "victim"}));
  check_document_later(slurp(target));
}

// A document that cannot take its name is a write error, and its new file goes.
TEST_F(PsWriterFileTest, ADocumentThatCannotTakeItsNameIsReported) {
  PsWriter w;
  start(w);
  std::filesystem::create_directories(folder / "plot.ps" / "inside");
  plot(w, 0, 0, PenCode::kEnd);
  EXPECT_EQ(ps_error_message(w),
            "Error writing the PostScript output file " + target + ": Is a directory");
  EXPECT_EQ(names(), std::set<std::string>{"plot.ps"});
}

// The check every document goes through must itself catch a fault.
TEST(PsWriterGhostscript, ReportsPostScriptErrors) {
  EXPECT_NE(ghostscript_errors("%!PS\n0 0 moveto 1 1 no_such_operator\n"), "");
  EXPECT_EQ(ghostscript_errors("%!PS\n0 0 moveto 72 72 lineto stroke showpage\n"), "");
}

TEST(PsWriterOpen, UnwritableFileFails) {
  PsWriter w;
  EXPECT_FALSE(ps_open_file(w, "/nonexistent-directory/x.ps"));
}

TEST_F(PsWriterTest, MinimalWidthIntegers) {
  struct Case {
    int n;
    const char* text;
  };
  constexpr Case kCases[] = {
      {0, "0"},
      {7, "7"},
      {42, "42"},
      {999999, "999999"},
      {1000000, "     1000000"},
      {-1, "-1"},
      {-999, "-999"},
      {-1000, "       -1000"},
      {INT_MAX, "  2147483647"},
      {INT_MIN, " -2147483648"},
  };
  start();
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.n);
    std::string t = c.text;
    out_ija(w, c.n, c.n, "M");
    EXPECT_EQ(written(), t + " " + t + " M\n");
    out_ia(w, c.n, "pop");
    EXPECT_EQ(written(), t + " pop\n");
    out_ai(w, "%%Page:", c.n);
    EXPECT_EQ(written(), "%%Page: " + t + "\n");
  }
  ps_literal(w, "0 0 M");
}

TEST_F(PsWriterTest, CommentsAndLiteralsLoseTrailingBlanks) {
  start();
  ps_comment(w, "xlab Time   ");
  ps_literal(w, "0 0 M   ");
  ps_literal(w, "");
  EXPECT_EQ(written(), "%! xlab Time\n0 0 M\n\n");
}

TEST_F(PsWriterTest, DeviceCoordinatesRoundToSingleThenTruncate) {
  struct Case {
    double x;
    int device;
  };
  constexpr Case kCases[] = {
      {1.0, 300},           {0.999999999, 300},  // 299.9999997 is 300 in single precision
      {0.9999, 299},                             // 299.97 truncated
      {-0.0051, -1},                             // toward zero, not down
      {-0.999999999, -300}, {1e30, 2000000000},  // clamped, not overflowed
  };
  start();
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.x);
    EXPECT_EQ(device_x(w, c.x), c.device);
  }
  factor(w, 2.0);  // scale = FACTOR x res
  moveto(w, 0.5, 0.25);
  EXPECT_EQ(written(), "300 150 M\n");
}

TEST_F(PsWriterTest, PenMovesAndOriginShifts) {
  start();
  plot(w, 1, 1, PenCode::kMoveOrigin);
  EXPECT_EQ(written(), "300 300 M\n");
  moveto(w, 0, 0);  // the pen is at the new origin already
  plot(w, 1, 2, PenCode::kDraw);
  EXPECT_EQ(written(), "600 900 L\n");
  double x, y, s;
  where(w, x, y, s);
  EXPECT_EQ(x, 1);
  EXPECT_EQ(y, 2);
  EXPECT_EQ(s, 300);
  amoveto(w, 1, 1);
  rdrawto(w, 0.5, 0);
  adrawto(w, 2, 2);
  rmoveto(w, 0, -1);
  EXPECT_EQ(written(), "300 300 M\n450 300 L\n600 600 L\n600 300 M\n");
  double x0, y0, x1, y1;
  boundbox(w, x0, y0, x1, y1);  // inches from the origin at (1, 1)
  EXPECT_DOUBLE_EQ(x0, 0);
  EXPECT_DOUBLE_EQ(y0, 0);
  EXPECT_DOUBLE_EQ(x1, 1);
  EXPECT_DOUBLE_EQ(y1, 2);
  plot(w, 5, 5, static_cast<PenCode>(17));  // not a pen code
  EXPECT_EQ(written(), "");
}

TEST_F(PsWriterTest, RepeatedPointWritesNothingAndKeepsBox) {
  start();
  moveto(w, 0.5, 0.5);
  EXPECT_EQ(written(), "150 150 M\n");
  drawto(w, 0.5, 0.5);
  drawto(w, 0.5001, 0.5);  // the same device unit
  moveto(w, 0.5, 0.5);
  EXPECT_EQ(written(), "");
  EXPECT_EQ(w.nseg, 0);
  finish();
  EXPECT_EQ(doc.substr(kHeaderLineBytes, kHeaderLineBytes - 1), bbox_line(7195, 7195, 5, 5));
}

TEST_F(PsWriterTest, LongPathStrokedAfter400Segments) {
  start();
  auto segment = [&](int i) { drawto(w, (i % 2) / 100.0, 0); };  // alternates 0 and 3 units
  for (int i = 1; i <= 400; ++i) segment(i);
  drawto(w, 0, 0);  // a repeat does not count
  EXPECT_EQ(written().find("CSM"), std::string::npos);
  segment(401);
  EXPECT_EQ(written(), "3 0 L\nCSM\n");
  for (int i = 402; i <= 801; ++i) segment(i);
  EXPECT_EQ(written().find("CSM"), std::string::npos);
  segment(802);
  EXPECT_EQ(written(), "0 0 L\nCSM\n");
}

TEST_F(PsWriterTest, SegmentsWidenBoxOnlyInsideClipWindow) {
  start();
  w.cxmin = 0;
  w.cymin = 0;
  w.cxmax = 600;
  w.cymax = 600;
  moveto(w, -1, -1);
  drawto(w, 3, 1);  // device -300 -300 to 900 300
  double x0, y0, x1, y1;
  boundbox(w, x0, y0, x1, y1);
  EXPECT_DOUBLE_EQ(x0, 0);
  EXPECT_DOUBLE_EQ(y0, 0);
  EXPECT_DOUBLE_EQ(x1, 2);
  EXPECT_DOUBLE_EQ(y1, 1);
}

TEST_F(PsWriterTest, WidthChangesOfHalfAUnitAreIgnored) {
  start();
  newpen(w, 3);
  EXPECT_EQ(written(), "CSM\n3 W\n");
  thickpen(w, 3.4 / 300);
  EXPECT_EQ(written(), "");
  thickpen(w, 3.6 / 300);
  EXPECT_EQ(written(), "CSM\n4 W\n");
  factor(w, 2.0);  // widths ignore FACTOR
  thickpen(w, 0.01);
  EXPECT_EQ(written(), "CSM\n3 W\n");
  thickpen(w, -1);
  EXPECT_EQ(written(), "CSM\n0 W\n");
}

TEST_F(PsWriterTest, ColourWrittenOnlyWhenChanged) {
  start();
  setrgbcolor(w, 0.5, 0.5, 0.5);
  setrgbcolor(w, 0.5, 0.5, 0.5);
  setrgbcolor(w, 0.504, 0.496, 0.5);
  EXPECT_EQ(written(), " CSM 0.50 0.50 0.50 RGB\n");
  setrgbcolor(w, 1, 0.5, 0);
  EXPECT_EQ(written(), " CSM 1.00 0.50 0.00 RGB\n");
  gray(w, 7);  // clamped to white
  EXPECT_EQ(written(), " CSM 1.00 1.00 1.00 RGB\n");
  // Out-of-range components still give a valid line.
  setrgbcolor(w, -0.5, 12, 0.25);
  EXPECT_EQ(written(), " CSM 0.00 1.00 0.25 RGB\n");
}

TEST_F(PsWriterTest, TableColourSelection) {
  start();
  default_colors(w);
  auto defs = lines_of(written());
  ASSERT_EQ(defs.size(), 12u);
  EXPECT_EQ(defs.front(), "/c0255 {CSM 1.000 1.000 1.000 RGB}b");
  EXPECT_EQ(defs[1], "/c0010 {CSM 0.000 0.000 0.000 RGB}b");
  EXPECT_EQ(defs[10], "/c0001 {CSM 0.900 0.900 0.900 RGB}b");
  EXPECT_EQ(defs.back(), "/c0000 {CSM 1.000 1.000 1.000 RGB}b");

  setrgbcolor(w, 0.7, 0.7, 0.7);  // the colour of entry 3
  set_forecolor(w, 3);
  set_forecolor(w, 3);
  setrgbcolor(w, 0.7, 0.7, 0.7);  // already the emitted colour
  EXPECT_EQ(written(), " CSM 0.70 0.70 0.70 RGB\nc0003\n");
  double r, g, b;
  ASSERT_TRUE(get_color(w, 3, r, g, b));
  EXPECT_DOUBLE_EQ(r, 0.7);

  ASSERT_TRUE(define_color(w, 7, 20, -3, 0.25));
  EXPECT_EQ(written(), "/c0007 {CSM 1.000 0.000 0.250 RGB}b\n");
  // An entry never defined in the document is defined before it is named.
  set_forecolor(w, 42);
  EXPECT_EQ(written(), "/c0042 {CSM 0.000 0.000 0.000 RGB}b\nc0042\n");
}

TEST_F(PsWriterTest, TableIndexOutsideRangeRejected) {
  start();
  EXPECT_FALSE(define_color(w, 256, 1, 0, 0));
  EXPECT_FALSE(define_color(w, -1, 1, 0, 0));
  EXPECT_FALSE(set_forecolor(w, 10000));
  double r = 9, g = 9, b = 9;
  EXPECT_FALSE(get_color(w, -5, r, g, b));
  EXPECT_EQ(r + g + b, 0);
  EXPECT_EQ(written(), "");
  EXPECT_EQ(w.current_color, -1);
}

TEST_F(PsWriterTest, PageBreak) {
  start();
  plot(w, 2, 2, PenCode::kMoveOrigin);
  moveto(w, 0, 0);
  drawto(w, 1, 1);  // device 600 600 to 900 900
  newpen(w, 4);
  written();
  plot(w, 0, 0, PenCode::kNewPage);
  EXPECT_EQ(written(),
            "S showpage\n%%Page: 2\n 0.23999999999999999 0.23999999999999999 scale\n"
            "0 0 M\nCSM\n1 W\n");
  // The new page starts in black (showpage reset it), so the colour is written again.
  setrgbcolor(w, 0, 0, 0);
  EXPECT_EQ(written(), " CSM 0.00 0.00 0.00 RGB\n");
  for (int code : {22, -22, 23, -23}) {
    SCOPED_TRACE(code);
    plot(w, 0, 0, static_cast<PenCode>(code));
    EXPECT_EQ(lines_of(written()).front(), "S showpage");
  }
  // Origin back at the corner; the box still covers page 1.
  drawto(w, 0.5, 0.5);
  EXPECT_EQ(written(), "150 150 L\n");
  finish();
  EXPECT_EQ(doc.substr(kHeaderLineBytes, kHeaderLineBytes - 1), bbox_line(-5, -5, 221, 221));
  EXPECT_NE(doc.find("\n%%Pages: 6\n%%EOF\n"), std::string::npos);
}

TEST_F(PsWriterTest, NothingWrittenAfterEnd) {
  start();
  finish();
  const std::string ended = doc;
  drawto(w, 2, 2);
  finish();
  out_flush(w);
  EXPECT_EQ(doc, ended);
}

// After an origin shift the pen is where the new origin is: a move to the
// page corner is written, and a draw widens the box from the new origin.
TEST_F(PsWriterTest, OriginShiftKnowsWhereThePenIs) {
  start();
  plot(w, 1, 1, PenCode::kMoveOrigin);
  amoveto(w, 0, 0);
  EXPECT_EQ(written(), "300 300 M\n0 0 M\n");

  plot(w, 1, 1, PenCode::kMoveOrigin);  // the origin moves on to (2, 2)
  drawto(w, 0.5, 0.5);
  EXPECT_EQ(written(), "600 600 M\n750 750 L\n");
  double x0, y0, x1, y1;
  boundbox(w, x0, y0, x1, y1);
  EXPECT_DOUBLE_EQ(x0, 0);
  EXPECT_DOUBLE_EQ(y0, 0);
  EXPECT_DOUBLE_EQ(x1, 0.5);
  EXPECT_DOUBLE_EQ(y1, 0.5);

  plot(w, 0.5, 0.5, PenCode::kDrawOrigin);  // a draw there: nothing written, the origin moves
  moveto(w, 0, 0);
  EXPECT_EQ(written(), "");
}

// The pattern lines themselves are tested with the DASH command; here the
// values PostScript would reject, and what does not scale the pattern.
TEST_F(PsWriterTest, DashPatternsStayValid) {
  start();
  set_dash(w, {0.001, 0});  // a mark of at least one unit: all zeros is an error
  EXPECT_EQ(written(), "CSM [\n1 0 \n] 0 setdash\n");
  set_dash(w, {0.1, -0.5, NAN, 1e30});
  EXPECT_EQ(written(), "CSM [\n30 0 \n0 1000000000 \n] 0 setdash\n");
  factor(w, 3);  // dashes ignore FACTOR
  set_dash(w, {0.1, 0.1});
  EXPECT_EQ(written(), "CSM [\n30 30 \n] 0 setdash\n");
  // A new page starts solid, so the same pattern is written again.
  plot(w, 0, 0, PenCode::kNewPage);
  written();
  set_dash(w, {0.1, 0.1});
  EXPECT_EQ(written(), "CSM [\n30 30 \n] 0 setdash\n");
  drawto(w, 1, 1);
}

TEST_F(PsWriterTest, ClipRegion) {
  start();
  plot(w, 1, 1, PenCode::kMoveOrigin);
  drawto(w, 0.5, 0);
  written();
  const double x[] = {0, 2, 1};
  const double y[] = {0, 0, 2};
  clipregion(w, x, y, 3);
  EXPECT_EQ(written(),
            "S N\ncurrentdash [0 300000] 0 setdash\n"
            "300 300 M\n900 300 L\n600 900 L\n"
            "closepath clip S setdash\n600 900 M\n");
  EXPECT_EQ(w.nseg, 0);
  EXPECT_EQ(std::vector<int>({w.cxmin, w.cymin, w.cxmax, w.cymax}),
            std::vector<int>({300, 300, 900, 900}));
  // Lines outside the window widen the box only to its edge.
  moveto(w, -1, -1);
  drawto(w, 5, 5);
  EXPECT_EQ(written(), "0 0 M\n1800 1800 L\n");
  double x0, y0, x1, y1;
  boundbox(w, x0, y0, x1, y1);
  EXPECT_DOUBLE_EQ(x0, 0);
  EXPECT_DOUBLE_EQ(y0, 0);
  EXPECT_DOUBLE_EQ(x1, 2);
  EXPECT_DOUBLE_EQ(y1, 2);
  noclip(w);
  EXPECT_EQ(written(), "currentpoint S initclip moveto\n");
  EXPECT_EQ(w.cxmax, kClipLimit);
  drawto(w, 0, 0);  // the current point survived
  // A new page has no clip: its box is not limited by the old window.
  clipregion(w, x, y, 3);
  plot(w, 0, 0, PenCode::kNewPage);
  drawto(w, 20, 20);
  EXPECT_EQ(w.bxmax, 6000);
}

// The stroke that ends a clip path clears the current point; the pen is
// moved back even when the move goes where the pen was before.
TEST_F(PsWriterTest, ClipLeavesACurrentPoint) {
  start();
  const double x[] = {-1, 1, 1, -1};  // from the page corner, where the pen is
  const double y[] = {-1, -1, 1, 1};
  plot(w, 1, 1, PenCode::kMoveOrigin);
  amoveto(w, 0, 0);
  written();
  clipregion(w, x, y, 4);
  EXPECT_EQ(
      lines_of(written()),
      (std::vector<std::string>{"S N", "currentdash [0 300000] 0 setdash", "0 0 M", "600 0 L",
                                "600 600 L", "0 600 L", "closepath clip S setdash", "0 600 M"}));
  clipregion(w, x, y, 1);  // a single vertex: the move back goes to the same point
  EXPECT_EQ(lines_of(written()).back(), "0 0 M");
  setrgbcolor(w, 1, 0, 0);  // CSM needs the point
  newpen(w, 3);
  set_dash(w, {0.1, 0.1});
  clipcircle(w, -1, -1, 0.5);
  EXPECT_EQ(lines_of(written()).back(), "0 0 M");
  set_forecolor(w, 5);
  drawto(w, 1, 1);
}

// A long clip path is not stroked in pieces: "CSM" inside it would leave
// only the last piece for "clip".
TEST_F(PsWriterTest, LongClipPathIsNotSplit) {
  start();
  std::vector<double> x, y;
  for (int i = 0; i < 1000; ++i) {
    x.push_back(1 + std::cos(i * 0.00628));
    y.push_back(1 + std::sin(i * 0.00628));
  }
  clipregion(w, x.data(), y.data(), 1000);
  EXPECT_EQ(written().find("CSM"), std::string::npos);
  for (int i = 0; i < 1000; ++i) drawto(w, i % 2, i / 1000.0);
  EXPECT_NE(written().find("CSM"), std::string::npos);
}

// Whoever strokes or starts a new path says so; the writer then gives the
// document a point before anything that strokes with CSM.
TEST_F(PsWriterTest, NoCurrentPointAfterForget) {
  start();
  moveto(w, 1, 1);
  written();
  struct Case {
    void (*act)(PsWriter&);
    const char* first;  // the first line written
  };
  const Case kCases[] = {
      {[](PsWriter& pw) { setrgbcolor(pw, 0.2, 0.2, 0.2); }, "0 0 M"},
      {[](PsWriter& pw) { newpen(pw, 7); }, "0 0 M"},
      {[](PsWriter& pw) {
         set_dash(pw, {0.2, 0.1});
       },
       "0 0 M"},
      {[](PsWriter& pw) { set_forecolor(pw, 9); }, "0 0 M"},
      {[](PsWriter& pw) { noclip(pw); }, "0 0 M"},
      {[](PsWriter& pw) { moveto(pw, 1, 1); }, "300 300 M"},  // written although not moved
      {[](PsWriter& pw) { drawto(pw, 1, 1); }, "300 300 M"},  // L without a point fails
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.first);
    out_a(w, "S N");
    forget_point(w);
    written();
    c.act(w);
    EXPECT_EQ(lines_of(written()).front(), c.first);
  }
  EXPECT_EQ(w.nseg, 0);  // the draw from nowhere was a move
}

TEST_F(PsWriterTest, BackgroundAndColourQueries) {
  start();
  define_color(w, 12, 0.1, 0.2, 0.3);
  set_backcolor(w, 12);
  double r, g, b;
  EXPECT_TRUE(whatis_color(w, 12, r, g, b));
  EXPECT_EQ(std::vector<double>({r, g, b}), std::vector<double>({0.1, 0.2, 0.3}));
  EXPECT_EQ(lines_of(written()), std::vector<std::string>{"/c0012 {CSM 0.100 0.200 0.300 RGB}b"});
  dash(w, 1, 1, PenCode::kMove);  // the pen call under its other name
  EXPECT_EQ(written(), "300 300 M\n");
}

}  // namespace
}  // namespace vexal
