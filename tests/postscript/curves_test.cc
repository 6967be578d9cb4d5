// Tests of the data curves on a document written into a string: pen breaks
// and widths, markers every n points and the chop test, lines off,
// per-point colours, filled curves, progress lines, the axis mapping, error
// bars and the filled polygon.
#include "postscript/curves.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <string>
#include <utility>
#include <vector>

#include "axes/fixpoint.h"
#include "postscript/shapes.h"
#include "support/document_fixture.h"
#include "support/ghostscript.h"
#include "support/lines.h"

namespace vexal {
namespace {

using Lines = std::vector<std::string>;

// Points with every column; the unset columns take neutral values.
struct Points {
  std::vector<double> x, y, z, v;
  std::vector<int32_t> pen, symbol, colour;

  Points(std::vector<double> xs, std::vector<double> ys) : x(std::move(xs)), y(std::move(ys)) {
    const size_t n = x.size();
    z.assign(n, 0);
    v.assign(n, 0);
    pen.assign(n, 2);
    symbol.assign(n, 1);
    colour.assign(n, -1);
  }
  CurvePoints view() const {
    return CurvePoints{static_cast<int>(x.size()),
                       x.data(),
                       y.data(),
                       z.data(),
                       v.data(),
                       pen.data(),
                       symbol.data(),
                       colour.data()};
  }
};

class CurvesTest : public DocumentTest {
 protected:
  // Draws the points; both axes map 0..10 onto 10 inches, so that a data
  // unit is an inch and device coordinates are 300 + 300 x value.
  Lines draw(const Points& p, CurveStyle style = {}, const CurveHooks& hooks = {}) {
    const CurveAxis xa = curve_axis(0, 10, false, xchop, 10);
    const CurveAxis ya = curve_axis(0, 10, false, ychop, 10);
    const TextContext c{pen, 0.7, 751654};
    line(w, t, c, p.view(), style, {xa, ya}, hooks);
    return lines();
  }
  // The lines without the "CSM" that precedes width and colour lines.
  static Lines without_csm(const Lines& ls) {
    Lines out;
    for (const std::string& l : ls)
      if (l != "CSM") out.push_back(l);
    return out;
  }
  // The M/L line each marker of `ls` follows (markers are "size S<n>" lines).
  static Lines marker_points(const Lines& ls) {
    Lines out;
    std::string last;
    for (const std::string& l : ls) {
      if (l.ends_with(" M") || l.ends_with(" L"))
        last = l.substr(0, l.size() - 2);
      else if (l.find(" S") != std::string::npos && l.find("RGB") == std::string::npos)
        out.push_back(last);
    }
    return out;
  }

  TextState t;
  PenSettings pen;
  bool xchop = false, ychop = false;
};

TEST_F(CurvesTest, PenBreaksAndWidths) {
  Points p({1, 2, 3, 4, 5}, {1, 1, 2, 2, 3});
  // The first point moves whatever its pen, with the second point's width;
  // a pen of 0 moves with the next point's width; a last pen of 0 gives 1.
  p.pen = {5, 3, 0, 4, 0};
  EXPECT_EQ(without_csm(draw(p)), (Lines{"3 W", "600 600 M", "900 600 L", "4 W", "1200 900 M",
                                         "1500 900 L", "1 W", "1800 1200 M"}));
}

TEST_F(CurvesTest, MarkersEverySskPointsAndTheChopTest) {
  struct Case {
    int ssk;
    bool xchop;
    std::vector<double> xs;
    Lines markers;  // device points carrying a marker
  };
  const std::vector<double> eight{1, 2, 3, 4, 5, 6, 7, 8};
  const Case cases[] = {
      {3, false, eight, {"600 600", "1500 600", "2400 600"}},  // points 1, 4, 7
      {1, false, {1, 2, 3}, {"600 600", "900 600", "1200 600"}},
      {0, false, {1, 2, 3}, {}},
      // Chopped: the markers off the axis go, the clamped points stay on the line.
      {1, true, {-1, 5, 12}, {"1800 600"}},
      {2, false, {-1, 5, 12}, {"0 600", "3900 600"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.ssk);
    xchop = c.xchop;
    Points p(c.xs, std::vector<double>(c.xs.size(), 1));
    CurveStyle style;
    style.ssk = c.ssk;
    const Lines ls = draw(p, style);
    EXPECT_EQ(marker_points(ls), c.markers);
    if (c.xchop) {  // the line still reaches the clamped ends
      EXPECT_EQ(ls.back(), "3300 600 L");
      EXPECT_NE(std::find(ls.begin(), ls.end(), "299 600 M"), ls.end());
    }
    moveto(w, 0, 0);
    lines();
  }
}

TEST_F(CurvesTest, MarkersSkipPointsWithoutACode) {
  Points p({1, 2, 3}, {1, 1, 1});
  p.symbol = {2, -1, 5};
  CurveStyle style;
  style.ssk = 1;
  const Lines ls = draw(p, style);
  EXPECT_EQ(marker_points(ls), (Lines{"600 600", "1200 600"}));
  EXPECT_NE(std::find(ls.begin(), ls.end(), "30 S2"), ls.end());
  EXPECT_NE(std::find(ls.begin(), ls.end(), "30 S5"), ls.end());
}

TEST_F(CurvesTest, WithoutConnectionOnlyMovesAndMarkers) {
  Points p({1, 2, 3}, {1, 2, 1});
  CurveStyle style;
  style.con = false;
  style.ssk = 1;
  style.marker_size = 0.2;
  EXPECT_EQ(without_csm(draw(p, style)),
            (Lines{"2 W", "600 600 M", "60 S1", "900 900 M", "60 S1", "1200 600 M", "60 S1"}));
}

TEST_F(CurvesTest, PerPointColoursAreRestoredAfterwards) {
  define_color(w, 3, 1, 0, 0);
  define_color(w, 5, 0, 0, 1);
  set_forecolor(w, 3);
  lines();
  pen.data_color = {0, 0.5, 0};
  pen.text_color = {0.2, 0.2, 0.2};
  Points p({1, 2, 3, 4}, {1, 1, 1, 1});
  p.colour = {3, 3, 5, -1};
  const Lines ls = draw(p);
  // Table colour 3 is already in force, but a first point with a colour
  // forces the selection to be written (through black).
  Lines colours;
  for (const std::string& l : ls)
    if (l.starts_with("c0") || l.ends_with("RGB")) colours.push_back(l);
  EXPECT_EQ(colours, (Lines{" CSM 0.00 0.00 0.00 RGB", "c0003", "c0005"}));
  EXPECT_EQ(pen.data_color.g, 0.5);
  EXPECT_EQ(pen.text_color.r, 0.2);
}

// Hooks that record the registers and give the base from them.
struct BaseProbe {
  double v = 0, x = 0, y = 0, z = 0;
  int calls = 0;
  static void registers(void* ctx, double v, double x, double y, double z) {
    auto& b = *static_cast<BaseProbe*>(ctx);
    b.v = v;
    b.x = x;
    b.y = y;
    b.z = z;
  }
  static double half_x(void* ctx) {
    auto& b = *static_cast<BaseProbe*>(ctx);
    ++b.calls;
    return b.x / 2;
  }
  static double zero(void* ctx) {
    ++static_cast<BaseProbe*>(ctx)->calls;
    return 0;
  }
};

TEST_F(CurvesTest, FilledCurveFillsToTheBaseBeforeEachSegment) {
  Points p({1, 2, 3}, {2, 3, 1});
  BaseProbe probe;
  CurveStyle style;
  style.filled = true;
  EXPECT_EQ(without_csm(draw(p, style, {&probe, BaseProbe::registers, BaseProbe::zero})),
            (Lines{"2 W", "600 900 M",
                   // (2,3) -> (2,0) -> (1,0) -> (1,2), then the segment
                   "S N", "900 1200 M", "900 300 L", "600 300 L", "600 900 L", "CF S", "600 900 M",
                   "900 1200 L",
                   // (3,1) -> (3,0) -> (2,0) -> (2,3)
                   "S N", "1200 600 M", "1200 300 L", "900 300 L", "900 1200 L", "CF S",
                   "900 1200 M", "1200 600 L"}));
  EXPECT_EQ(probe.calls, 3);  // the first point's base is kept for the first fill
}

TEST_F(CurvesTest, BaseIsEvaluatedWithThePointInTheRegisters) {
  Points p({2, 4}, {3, 3});
  p.v = {7, 8};
  p.z = {5, 6};
  p.pen = {0, 2};
  BaseProbe probe;
  CurveStyle style;
  style.filled = true;
  const Lines ls = draw(p, style, {&probe, BaseProbe::registers, BaseProbe::half_x});
  // Bases x/2: 1 at the first point, 2 at the second.
  EXPECT_NE(std::find(ls.begin(), ls.end(), "1500 900 L"), ls.end());  // (4, 2)
  EXPECT_NE(std::find(ls.begin(), ls.end(), "900 600 L"), ls.end());   // (2, 1)
  EXPECT_EQ(probe.v, 8);
  EXPECT_EQ(probe.z, 6);
  EXPECT_EQ(probe.y, 3);
}

TEST_F(CurvesTest, TurnedFrameTurnsPointsAndKeepsMarkersOnChoppedAxes) {
  xchop = ychop = true;
  Points p({1, 2}, {1, 1});
  CurveStyle style;
  style.angle = 90;
  style.ssk = 1;
  const Lines ls = draw(p, style);
  EXPECT_NE(std::find(ls.begin(), ls.end(), "0 600 M"), ls.end());  // (1,1) turned to (-1,1)
  EXPECT_EQ(marker_points(ls).size(), 2u);
}

TEST_F(CurvesTest, ProgressAndTheFinalCount) {
  CurveStyle style;
  style.progress = &term;
  draw(Points({}, {}), style);
  EXPECT_EQ(term_text, "      0 points plotted.\n");
  term_text.clear();
  std::vector<double> xs(500);
  for (size_t i = 0; i < xs.size(); ++i) xs[i] = static_cast<double>(i) / 100;
  draw(Points(xs, xs), style);
  EXPECT_EQ(term_text,
            "    250 points plotted.\r    500 points plotted.\r    500 points plotted.\n");
  term_text.clear();
  style.progress = nullptr;
  draw(Points(xs, xs), style);
  EXPECT_EQ(term_text, "");
}

TEST_F(CurvesTest, PointsThatAreNotNumbersStayValidPostScript) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  Points p({1, nan, inf, -inf, 3}, {1, 2, nan, 1e300, 2});
  CurveStyle style;
  style.ssk = 1;
  style.filled = true;
  BaseProbe probe;
  const Lines ls = draw(p, style, {&probe, BaseProbe::registers, BaseProbe::zero});
  EXPECT_FALSE(ls.empty());
  for (const std::string& l : ls) EXPECT_EQ(l.find("nan"), std::string::npos) << l;
}

TEST(CurveAxisTest, MatchesTheAxisMapping) {
  struct Case {
    double minu, maxu;
    bool log, chop;
  };
  constexpr Case kCases[] = {
      {0, 10, false, false},  {-3, 7, false, true},  {10, 0, false, false},  {5, 5, false, false},
      {1, 1000, true, false}, {0, 100, true, false}, {0.01, 10, true, true}, {-5, -1, true, false},
  };
  constexpr double kValues[] = {-20, -1, 0, 0.5, 1, 3.25, 9.99, 10, 11, 500, 1e6};
  for (const Case& c : kCases) {
    Axis axis;
    AxisLimits& a = axis.limits;
    a.min = a.minu = c.minu;
    a.max = a.maxu = c.maxu;
    a.log = c.log;
    a.chop = c.chop;
    const CurveAxis m = curve_axis(c.minu, c.maxu, c.log, c.chop, 6);
    for (double v : kValues) {
      SCOPED_TRACE(testing::Message()
                   << c.minu << ".." << c.maxu << " log " << c.log << " v " << v);
      const double want = fixpoint(v, axis, nullptr);
      EXPECT_NEAR(m.map(v), want, 1e-9 * std::max(1.0, std::abs(want)));
    }
  }
  EXPECT_EQ(identity_axis(6).map(42), 42);
}

TEST_F(CurvesTest, ErrorBars) {
  struct Case {
    const char* name;
    ErrorExtents e;
    Lines want;
  };
  // Point (5, 5) at device (1800, 1800); caps 0.2 inch, so +-30 units.
  const Lines y_bar{"1770 1500 M", "1830 1500 L", "1800 1500 M", "1800 2400 L",
                    "1830 2400 M", "1770 2400 L", "1800 1800 M"};
  const Lines x_bar{"1500 1770 M", "1500 1830 L", "1500 1800 M", "2400 1800 L",
                    "2400 1830 M", "2400 1770 L", "1800 1800 M"};
  Lines both = x_bar;
  both.insert(both.end(), y_bar.begin(), y_bar.end());
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const Case cases[] = {
      {"only Y", {0, 0, 1, 2}, y_bar}, {"negative as absolute", {0, 0, -1, -2}, y_bar},
      {"only X", {1, 2, 0, 0}, x_bar}, {"both", {-1, 2, 1, 2}, both},
      {"none", {0, 0, 0, 0}, {}},      {"NaN counts as 0", {nan, nan, 1, 2}, y_bar},
  };
  const CurveAxis a = curve_axis(0, 10, false, false, 10);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    moveto(w, 0, 0);
    lines();
    errorbar(w, {a, a}, 0, 0.2, 5, 5, c.e);
    EXPECT_EQ(lines(), c.want);
  }
  moveto(w, 0, 0);
  lines();
  errorbar(w, {a, a}, 0, 0.2, nan, 5, {1, 1, 1, 1});
  EXPECT_EQ(lines(), Lines{});
}

TEST_F(CurvesTest, FilledRegion) {
  const double x[] = {0, 1, 1}, y[] = {0, 0, 1};
  filled_region(w, x, y, 0);
  EXPECT_EQ(lines(), Lines{});
  moveto(w, 3, 3);
  lines();
  filled_region(w, x, y, 1);
  EXPECT_EQ(lines(), Lines{"300 300 M"});
  filled_region(w, x, y, 3);
  // The move to the last vertex is written although the pen is there.
  EXPECT_EQ(lines(), (Lines{"S N", "300 300 M", "600 300 L", "600 600 L", "CF S", "600 600 M"}));
  // A long polygon is never stroked part-way.
  std::vector<double> px(1000), py(1000);
  for (size_t i = 0; i < px.size(); ++i) {
    const double a = static_cast<double>(i) * 2 * std::numbers::pi / 1000;
    px[i] = 2 + std::cos(a);
    py[i] = 2 + std::sin(a);
  }
  filled_region(w, px.data(), py.data(), 1000);
  const Lines ls = lines();
  EXPECT_EQ(std::count(ls.begin(), ls.end(), "CSM"), 0);
  EXPECT_EQ(ls[ls.size() - 2], "CF S");
}

}  // namespace
}  // namespace vexal
