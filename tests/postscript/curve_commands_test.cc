// The curve commands as a user types them: PLOT's queued sequence, DOPLOT
// with its base and the variables it sets, the settings that reach the
// reader and the curve, error bars, and MULTIPLOT's inserted lines.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/scratch_dir.h"

namespace vexal {
namespace {

using Lines = std::vector<std::string>;

class CurveCommandsTest : public ScratchDirTest {
 protected:
  // Starts quietly with both axes mapping 0..10 onto 10 inches, so that a
  // data unit is an inch: device coordinates are 300 + 300 x value.
  void begin() {
    start();
    s->axes[AxisId::X].length = s->axes[AxisId::Y].length = 10;
    for (AxisLimits* a : {&s->axes[AxisId::X].limits, &s->axes[AxisId::Y].limits}) {
      a->min = a->minu = 0;
      a->max = a->maxu = 10;
      a->border = false;
    }
    run("QUIET\n");
    new_ps_lines();
  }
  // The lines the commands write, without the "CSM" before width and colour lines.
  Lines drawn(const std::string& commands) {
    run(commands);
    Lines out;
    for (const std::string& l : new_ps_lines())
      if (l != "CSM") out.push_back(l);
    return out;
  }
  // Runs one command line and returns the pending stack it leaves.
  Lines queued_by(const std::string& line, Lines waiting = {}) {
    s->stream.pending.clear();
    for (const std::string& w : waiting) append_command(s->stream, w);
    push_command(s->stream, line);
    s->turn(false);
    Lines out;
    for (const PendingLine& l : s->stream.pending) out.push_back(l.text);
    s->stream.pending.clear();
    return out;
  }
  static bool has(const Lines& ls, const std::string& l) {
    return std::find(ls.begin(), ls.end(), l) != ls.end();
  }
};

TEST_F(CurveCommandsTest, PlotQueuesItsSequence) {
  begin();
  EXPECT_EQ(queued_by("PLOT 0"), (Lines{"LOAD", "DOSMOOTH", "DOSORT", "DOAXES", "DOPLOT 0"}));
  run("CLIP\n");
  EXPECT_EQ(queued_by("PLOT"),
            (Lines{"LOAD", "DOSMOOTH", "DOSORT", "DOAXES", "CLIPATAXES", "DOPLOT"}));
  finish();
}

// PLOT's DOSMOOTH and DOSORT act when smoothing or sorting is asked for.
TEST_F(CurveCommandsTest, PlotSmoothsAndSortsWhenAsked) {
  write("u.txt", "3 0\n1 0\n2 4\n5 0\n4 0\n");
  run("DATA u.txt\nXSORT\nYSMOOTH 1\nPLOT\n");
  EXPECT_EQ(std::vector<double>(s->store.x.begin(), s->store.x.end()),
            (std::vector<double>{1, 2, 3, 4, 5}));
  // Smoothed in file order (0, 0, 4, 0, 0 gives 0, 1, 2, 1, 0), then sorted with X.
  EXPECT_EQ(std::vector<double>(s->store.y.begin(), s->store.y.end()),
            (std::vector<double>{1, 2, 0, 0, 1}));
  finish();
}

TEST_F(CurveCommandsTest, DoplotDrawsTheLoadedPoints) {
  write("d.txt", "1 1\n2 2\n3 1\n");
  begin();
  run("DATA d.txt\nLOAD\n");
  new_ps_lines();
  // The data dash is set first (solid), then the points are drawn.
  EXPECT_EQ(drawn("DOPLOT\n"), (Lines{"CSM [", "300 0 ", "] 0 setdash", "2 W", "600 600 M",
                                      "900 900 L", "1200 600 L"}));
  EXPECT_EQ(take_err(), "");
  finish();
}

TEST_F(CurveCommandsTest, DoplotSetsPlotBaseAndLabelFromHeader) {
  write("star.txt", "* a file with labels\ntime temp pressure\n1 2 3\n2 3 4\n");
  write("plain.txt", "1 20 300\n2 30 400\n");
  begin();
  run("DATA star.txt\nYCOL 3\nLOAD\nDOPLOT  {Y 2 /}\n");
  EXPECT_EQ(chr("LABELFROMHEADER"), "pressure");
  EXPECT_EQ(chr("PLOT_BASE"), "{Y 2 /}");
  run("DATA plain.txt\nYCOL 2\nLOAD\nDOPLOT\n");
  EXPECT_EQ(chr("LABELFROMHEADER"), "20");
  EXPECT_EQ(chr("PLOT_BASE"), "");
  finish();
}

TEST_F(CurveCommandsTest, FilledCurveBases) {
  write("d.txt", "1 2\n2 4\n");
  struct Case {
    const char* base;
    Lines fill;  // the filled quadrilateral, or nothing
  };
  // (2,4) -> (2,b2) -> (1,b1) -> (1,2)
  const Case cases[] = {
      {"0", {"S N", "900 1500 M", "900 300 L", "600 300 L", "600 900 L", "CF S"}},
      {"{Y 2 /}", {"S N", "900 1500 M", "900 900 L", "600 600 L", "600 900 L", "CF S"}},
      {"{X 3 +}", {"S N", "900 1500 M", "900 1800 L", "600 1500 L", "600 900 L", "CF S"}},
      {"\\$levl", {"S N", "900 1500 M", "900 600 L", "600 600 L", "600 900 L", "CF S"}},
      {"", {}},
      {"none", {}},  // not a number: an outline only
  };
  begin();
  run("SETVAR      LEVL 1\nDATA d.txt\nLOAD\n");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.base);
    moveto(s->ps, 0, 0);
    new_ps_lines();
    const Lines ls = drawn(std::string("DOPLOT ") + c.base + "\n");
    auto at = std::find(ls.begin(), ls.end(), "S N");
    EXPECT_EQ(Lines(at, std::find(ls.begin(), ls.end(), "CF S") + (at == ls.end() ? 0 : 1)),
              c.fill);
    EXPECT_EQ(ls.back(), "900 1500 L");
  }
  EXPECT_EQ(take_err(), "");
  finish();
}

TEST_F(CurveCommandsTest, EmptyStorePrintsTheCount) {
  start();
  run("DOPLOT\nDOPLOT 0\n");
  EXPECT_EQ(take_out(), "      0 points plotted.\n      0 points plotted.\n");
  EXPECT_EQ(take_err(), "");
  finish();
}

TEST_F(CurveCommandsTest, SettingsReachTheReaderAndTheCurve) {
  // Columns: x, y, a pen value, a width in inches.
  write("d.txt", "1 1 2 0.01\n2 2 3 0.02\n3 1 4 0.03\n4 2 5 0.04\n");
  struct Case {
    const char* commands;
    Lines want;  // lines that must be among those DOPLOT writes
    Lines not_wanted;
  };
  const Case cases[] = {
      {"DATAT 5", {"5 W", "900 900 L"}, {}},
      {"DT 6", {"6 W"}, {}},
      {"PENC 3\nPENF 2\nPENA 1", {"7 W", "900 900 L", "9 W", "1200 600 L", "11 W"}, {}},
      {"PENWIDTHC 4", {"6 W", "900 900 L", "9 W", "12 W"}, {}},
      {"PENWIDTHC 4\nNOPENWIDTHC", {"2 W"}, {"6 W"}},
      {"PLOTEVERY 2", {"600 600 M", "1200 600 L"}, {"900 900 L"}},
      {"DATACOLOR 1 0 0", {" CSM 1.00 0.00 0.00 RGB"}, {}},
      {"NOCON", {"30 S0", "1500 900 M"}, {"900 900 L"}},
      {"NOCON\nCON", {"30 S0", "1500 900 L"}, {}},
      {"SSK 3\nSYMBOLN 4", {"30 S4"}, {}},
      {"SSK 0", {"30 S0", "600 600 M", "900 900 L"}, {}},  // below 1: every point
      {"SYMBOLC 3\nSSK 1", {"30 S2", "30 S3", "30 S4", "30 S5"}, {}},
      // Records with y = 1 are rejected: the last point follows a rejected one.
      {"YRANGE 1.5 2.5\nFORCEPENDOWN", {"1500 900 L"}, {}},
      {"YRANGE 1.5 2.5\nNOFORCEPENDOWN", {"1500 900 M"}, {"1500 900 L"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.commands);
    s.reset();
    doc.clear();
    doc_seen = 0;
    begin();
    run(std::string(c.commands) + "\nDATA d.txt\nLOAD\n");
    new_ps_lines();
    const Lines ls = drawn("DOPLOT\n");
    for (const std::string& l : c.want) EXPECT_TRUE(has(ls, l)) << l;
    for (const std::string& l : c.not_wanted) EXPECT_FALSE(has(ls, l)) << l;
    finish();
  }
}

TEST_F(CurveCommandsTest, DatawSetsTheWidthAtOnce) {
  begin();
  EXPECT_EQ(drawn("DATAW 0.01\n"), (Lines{"3 W"}));
  EXPECT_EQ(s->pen.line_thickness, 3);
  EXPECT_EQ(drawn("DATAW 0\n"), (Lines{"1 W"}));
  finish();
}

TEST_F(CurveCommandsTest, ErrorBarsFromTheReaderFollowTheCurve) {
  write("d.txt", "5 5 1 2\n");
  begin();
  run("YEBCL 3\nYEBCH 4\nERRORBART 0.5\nDATA d.txt\nDOPLOT\n");  // nothing loaded yet
  new_ps_lines();
  // A queued DOPLOT, as PLOT queues it, runs before the command file of
  // error bars that LOAD leaves.
  Lines ls = drawn("LOAD; DOPLOT\n");
  ls.erase(ls.begin(), std::find(ls.begin(), ls.end(), "2 W"));  // after the file-name stamp
  EXPECT_EQ(ls, (Lines{"2 W", "1800 1800 M", "1725 1500 M", "1875 1500 L", "1800 1500 M",
                       "1800 2400 L", "1875 2400 M", "1725 2400 L", "1800 1800 M"}));
  run("NOERR\nLOAD; DOPLOT\n");
  EXPECT_FALSE(has(new_ps_lines(true), "%! RETURN"));
  finish();
}

TEST_F(CurveCommandsTest, ErrorBarWithoutLimitsSaysSoOnce) {
  start();
  run("ERRORBAR 1 1 0 0 0.5 0.5\n");
  EXPECT_EQ(take_err(), "Error--please set min and max and try again\n");
  finish();
}

TEST_F(CurveCommandsTest, MultiplotInsertsOnePanelPerColumn) {
  write("d.txt", "x-axis stuff\n1 10 100\n2 20 200\n");
  begin();
  run("DATA d.txt\nLABELH Time \"Field one\" Two\n");
  // Panel height (0.25 + 6) / 2 - 0.25 = 2.875 of the 6-inch Y axis.
  s->axes[AxisId::Y].length = 6;
  EXPECT_EQ(
      queued_by("MULTIPLOT", {"ECHO waiting"}),
      (Lines{"XLAB Time", "YDIM 2.875", "XCOL 1", "YLAB Field one", "YCOL 2", "PLOT", "NOXLAB",
             "XNS 0", "YORIGIN 3.125", "YRESCALE", "YLAB Two", "YCOL 3", "PLOT", "ECHO waiting"}));
  finish();
}

TEST_F(CurveCommandsTest, MultiplotColumnsFromLabelAndBinaryFiles) {
  write("star.txt", "*\nt a b c\n1 2 3 4\n");
  // A "$P" file of 4 columns: marker, CR LF, the column count, 0 comment records.
  std::string binary = "$P\r\n";
  const int16_t counts[2] = {4, 0};
  binary.append(reinterpret_cast<const char*>(counts), sizeof counts);
  binary.append(32 - binary.size(), '\0');
  write("b.dat", binary);
  begin();
  run("DATA star.txt\n");
  Lines q = queued_by("MULTIPLOT");
  EXPECT_EQ(q.front(), "XLAB t");
  EXPECT_EQ(std::count(q.begin(), q.end(), "PLOT"), 3);
  EXPECT_TRUE(has(q, "YLAB c"));
  run("DATA b.dat\n");
  q = queued_by("MULTIPLOT");
  EXPECT_EQ(std::count(q.begin(), q.end(), "PLOT"), 3);
  EXPECT_TRUE(has(q, "YCOL 4"));
  EXPECT_EQ(take_err(), "");
  finish();
}

TEST_F(CurveCommandsTest, MultiplotWithoutData) {
  write("one.txt", "header\n1\n2\n");
  begin();
  for (const char* file : {"one.txt", "missing.txt"}) {
    SCOPED_TRACE(file);
    run(std::string("DATA ") + file + "\n");
    take_err();
    EXPECT_EQ(queued_by("MULTIPLOT"), Lines{});
    EXPECT_EQ(take_err(), "Error: Insufficient data to multiplot.\n");
  }
  finish();
}

// The gallery's command files also run as end-to-end tests; the copies there
// must not drift from the examples the README shows.
TEST(CurveGalleryTest, EndToEndCopiesAreTheExamples) {
  const std::filesystem::path root = VEXAL_SOURCE_DIR;
  auto text = [](const std::filesystem::path& p) {
    std::ifstream f(p, std::ios::binary);
    std::stringstream t;
    t << f.rdbuf();
    return t.str();
  };
  int copies = 0;
  for (const auto& entry : std::filesystem::directory_iterator(root / "tests" / "scripts")) {
    const std::string name = entry.path().filename().string();
    if (!name.starts_with("gallery_") || !name.ends_with(".vx")) continue;
    ++copies;
    const std::string example = name.substr(8);
    SCOPED_TRACE(example);
    EXPECT_EQ(text(entry.path()), text(root / "examples" / example));
    const std::filesystem::path files =
        root / "tests" / "scripts" / (name.substr(0, name.size() - 3) + ".files");
    if (!std::filesystem::is_directory(files)) continue;
    for (const auto& data : std::filesystem::directory_iterator(files))
      EXPECT_EQ(text(data.path()), text(root / "examples" / data.path().filename()));
  }
  EXPECT_EQ(copies, 14);
}

}  // namespace
}  // namespace vexal
