// The axis drawing routines: the automatic step choice, tick generation, and
// the strokes, numbers and labels varax, linax, avarax and logax draw, read
// back from the document in device units (300 per inch, origin at 300 300).
#include "axes/varax.h"

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "axes/ps_trace.h"
#include "support/session_fixture.h"

namespace vexal {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr int kBase = 300;  // device units of the origin, one inch in

TEST(AutoSteps, ChoosesRoundMajorAndMinorSteps) {
  struct Case {
    double range, length, density;
    int mt;
    bool hms;
    const char* unit;
    double step, minor;
  };
  const Case kCases[] = {
      // 0..100 with the border: 100 and 50 give too few ticks, 20 gives 5.5;
      // 1.09 inches per step and leading digits 20 (a multiple of 4): quarters.
      {110, 6, 1, 0, false, "", 20, 5},
      {1, 6, 1, 0, false, "", 0.2, 0.05},
      {10, 6, 1, 0, false, "", 2, 0.5},
      {1000, 3, 1, 0, false, "", 500, 100},  // leading digits 50: fifths
      {3, 6, 1, 0, false, "", 1, 0.1},       // 2 inches per step: tenths
      {110, 6, 2, 0, false, "", 10, 5},      // denser: 0.55 inch per step, halves
      {110, 6, 1, 4, false, "", 20, 5},      // four minor intervals asked for
      {110, 6, 1, -1, false, "", 20, 0},     // no minor ticks
      // Times in hours: multiples of 1, 2, 6, 12, 24 ... hours; sixths of a
      // step of 1.5 inches.
      {48, 6, 1, 0, true, "HOURS", 12, 2},
      {2, 6, 1, 0, true, "HOURS", 0.5, 0.5 / 6},
      {1e6, 6, 1, 0, true, "HOURS", 240000, 40000},  // base raised to 1000 hours first
      {86400, 6, 1, 0, true, "UNIXSEC", 21600, 3600},
  };
  for (const Case& c : kCases) {
    const AutoSteps got = auto_steps(c.range, c.length, c.density, c.mt, c.hms, c.unit);
    EXPECT_DOUBLE_EQ(got.step, c.step) << c.range << " over " << c.length;
    EXPECT_DOUBLE_EQ(got.minor, c.minor) << c.range << " over " << c.length;
  }
  for (double bad : {0.0, -5.0, kNaN, kInf})
    EXPECT_EQ(auto_steps(bad, 6, 1, 0, false, "").step, 0) << bad;
}

TEST(TickValues, MultiplesWithinTheLimitsAtMostAThousand) {
  std::vector<double> out(kMaxTicks + 5);
  EXPECT_EQ(tick_values(-5, 105, 20, out), 6);
  EXPECT_EQ(std::vector<double>(out.begin(), out.begin() + 6),
            (std::vector<double>{0, 20, 40, 60, 80, 100}));
  EXPECT_EQ(tick_values(-5, 105, 5, out), 23);
  EXPECT_EQ(out[0], -5);
  EXPECT_EQ(out[22], 105);
  EXPECT_EQ(tick_values(0, 1e6, 1, out), kMaxTicks);
  // A large offset keeps its ticks: the start is not lost to single precision.
  EXPECT_EQ(tick_values(1e10, 1e10 + 1, 0.2, out), 6);
  for (double step : {0.0, -1.0, kNaN, kInf}) EXPECT_EQ(tick_values(0, 1, step, out), 0) << step;
  EXPECT_EQ(tick_values(kNaN, 1, 0.1, out), 0);
  EXPECT_EQ(tick_values(-1e300, 1e300, 1e-300, out), 0);  // start beyond any double count
}

class VaraxTest : public SessionTest {
 protected:
  void SetUp() override {
    start();
    new_ps_lines();
  }
  void TearDown() override { finish(); }

  // A 6-inch X axis at the origin from 0 to 10, numbers and label below.
  static AxisDraw axis() {
    AxisDraw a;
    a.minu = 0;
    a.maxu = 10;
    a.label = "A";
    return a;
  }
  Trace draw(const AxisDraw& a, std::vector<double> ticks) {
    varax(s->ps, s->text, s->text_context(), a, ticks, s->err());
    return trace(new_ps_lines());
  }
  template <typename F>
  Trace draw_with(F routine, const AxisDraw& a) {
    routine(s->ps, s->text, s->text_context(), a, s->err());
    return trace(new_ps_lines());
  }
};

TEST_F(VaraxTest, TickHalvesFollowSideNumbersAndGrid) {
  struct Case {
    int side;
    double numsize;
    bool grid;
    std::vector<Segment> want;  // the strokes at the tick at 5 (x = 1200)
  };
  const Case kCases[] = {
      {-1, 0.12, false, {{1200, 279, 1200, 300}, {1200, 300, 1200, 330}}},
      {-1, 0, false, {{1200, 300, 1200, 330}}},
      {0, 0.12, true, {{1200, 270, 1200, 300}, {1200, 300, 1200, 330}}},  // no grid here
      {1, 0.12, false, {{1200, 270, 1200, 300}, {1200, 300, 1200, 321}}},
      {-1, 0.12, true, {{1200, 279, 1200, 300}, {1200, 300, 1200, 2100}}},
      {1, 0.12, true, {{1200, -1500, 1200, 300}, {1200, 300, 1200, 321}}},
  };
  for (const Case& c : kCases) {
    AxisDraw a = axis();
    a.side = c.side;
    a.numsize = c.numsize;
    a.grid = c.grid;
    a.gridlength = 6;
    std::vector<Segment> got;
    for (const Segment& g : draw(a, {5}).segments)
      if (g.x0 == 1200 && g.x1 == 1200) got.push_back(g);
    ASSERT_EQ(got.size(), c.want.size()) << "side " << c.side << " grid " << c.grid;
    for (size_t i = 0; i < got.size(); ++i) {
      EXPECT_EQ(got[i].y0, c.want[i].y0) << "side " << c.side << " grid " << c.grid;
      EXPECT_EQ(got[i].y1, c.want[i].y1) << "side " << c.side << " grid " << c.grid;
    }
  }
}

TEST_F(VaraxTest, TicksReachTwoHundredthsOfAnInchBeyondTheEnds) {
  // 0.02 inch is 1/30 of a unit on this axis.
  const Trace t = draw(axis(), {-0.033, -0.034, 0, 10, 10.033, 10.034});
  EXPECT_EQ(t.ticks_up(kBase, 30), (std::vector<int>{294, 300, 2100, 2105}));
  EXPECT_EQ(t.text(),
            "-0.0330101"
            "0.033"
            "A");
}

TEST_F(VaraxTest, NumberTextFollowsTheNumberOptions) {
  struct Case {
    double value;
    double mod;
    bool abs, neg, sci, hms, varchar;
    const char* want;
  };
  const std::vector<std::string> texts = {"Mon"};
  const Case kCases[] = {
      {-370, 360, false, false, false, false, false, "-10"},
      {-370, 360, true, false, false, false, false, "10"},
      {-370, 360, true, true, false, false, false, "-10"},
      {5, 0, false, true, false, false, false, "-5"},
      {1234.5, 0, false, false, true, false, false, "1.23x103"},  // raised exponent
      {26.5, 0, false, false, false, true, false, "001/02:30"},
      {7, 0, false, false, false, false, true, "Mon"},
  };
  for (const Case& c : kCases) {
    AxisDraw a = axis();
    a.minu = c.value - 1;
    a.maxu = c.value + 1;
    a.label = "";
    a.labsize = 0;
    a.ndec = 2;
    a.mod = c.mod;
    a.abs = c.abs;
    a.neg = c.neg;
    a.sci = c.sci;
    a.hms = c.hms;
    a.varchar = c.varchar;
    a.tick_texts = texts;
    EXPECT_EQ(draw(a, {c.value}).text(), c.want) << c.value;
  }
}

TEST_F(VaraxTest, LabelSitsOutsideTheNumbers) {
  struct Case {
    int side;
    double laboffset, numangle;
    int y;  // of the label's baseline
  };
  const Case kCases[] = {
      {-1, 0, 0, 162},    // 0.2 + number 0.12 + label 0.14 below
      {1, 0, 0, 396},     // 0.12 + 0.2 above
      {-1, 0.5, 0, 150},  // a fixed offset
      {1, -0.5, 0, 450},  // its sign follows the side
      {-1, 0, 90, 140},   // turned numbers push it out by the widest ("10", 0.19 inch)
  };
  for (const Case& c : kCases) {
    AxisDraw a = axis();
    a.side = c.side;
    a.laboffset = c.laboffset;
    a.numangle = c.numangle;
    const Trace t = draw(a, {0, 10});
    ASSERT_FALSE(t.glyphs.empty());
    EXPECT_EQ(t.glyphs.back().c, 'A');
    EXPECT_EQ(t.glyphs.back().y, c.y) << "side " << c.side << " offset " << c.laboffset;
  }
  // Ticks only: neither numbers nor label.
  AxisDraw a = axis();
  a.side = 0;
  EXPECT_EQ(draw(a, {0, 10}).text(), "");
}

TEST_F(VaraxTest, TurnedAxisAndTheOriginPutBack) {
  AxisDraw a = axis();
  a.angle = 90;
  a.side = 1;
  a.xorig = 0.5;
  a.yorig = 0.25;
  const double xorig = s->ps.xorig, yorig = s->ps.yorig;
  const Trace t = draw(a, {5});
  // The tick at 3 inches up the axis, from 0.1 inch right of it to 0.07 left.
  std::vector<Segment> across;
  for (const Segment& g : t.segments)
    if (g.y0 == 75 + 900 + kBase && g.y1 == g.y0) across.push_back(g);
  ASSERT_EQ(across.size(), 2u);
  EXPECT_NEAR(across[0].x0, 450 + 30, 1);
  EXPECT_NEAR(across[1].x1, 450 - 21, 1);
  EXPECT_EQ(s->ps.xorig, xorig);
  EXPECT_EQ(s->ps.yorig, yorig);
}

TEST_F(VaraxTest, FixedCountAxisDividesEvenly) {
  struct Case {
    int nt, mt;
    std::vector<int> major, minor;
  };
  const Case kCases[] = {
      {3, 2, {300, 1200, 2100}, {300, 750, 1200, 1650}},  // minors up to the last major
      {3, 0, {300, 1200, 2100}, {}},
      {3, -1, {300, 1200, 2100}, {}},
      {1, 5, {300}, {}},
      {0, 5, {}, {}},
  };
  for (const Case& c : kCases) {
    AxisDraw a = axis();
    a.nt = c.nt;
    a.mt = c.mt;
    const Trace t = draw_with(linax, a);
    EXPECT_EQ(t.ticks_up(kBase, 30), c.major) << c.nt << " " << c.mt;
    EXPECT_EQ(t.ticks_up(kBase, 18), c.minor) << c.nt << " " << c.mt;
  }
  AxisDraw a = axis();
  a.nt = 1000000000;
  a.mt = 1000000000;
  EXPECT_LE(draw_with(linax, a).segments.size(), 4u * kMaxTicks);
}

TEST_F(VaraxTest, AutomaticAxisNumbersRoundSteps) {
  AxisDraw a = axis();
  a.minu = -5;
  a.maxu = 105;
  Trace t = draw_with(avarax, a);
  EXPECT_EQ(t.text(), "020406080100A");
  EXPECT_EQ(t.ticks_up(kBase, 30).size(), 6u);
  const std::vector<int> minor = t.ticks_up(kBase, 18);
  ASSERT_EQ(minor.size(), 23u);  // every 5 from -5 to 105
  EXPECT_EQ(minor.front(), 300);
  EXPECT_EQ(minor.back(), 2100);

  // A reversed axis gets the same ticks, mirrored.
  std::swap(a.minu, a.maxu);
  t = draw_with(avarax, a);
  EXPECT_EQ(t.text(), "020406080100A");
  EXPECT_EQ(t.ticks_up(kBase, 30).front(), 2018);

  // A large offset still gets its ticks.
  a.minu = 1e10;
  a.maxu = 1e10 + 1;
  EXPECT_EQ(draw_with(avarax, a).ticks_up(kBase, 30).size(), 6u);
}

TEST_F(VaraxTest, DegenerateLimitsDrawTheAxisWithoutTicks) {
  struct Case {
    double minu, maxu;
    bool log;  // also degenerate on a log axis (which clamps a negative limit)
  };
  const Case kCases[] = {{5, 5, true}, {kNaN, 1, true}, {0, kInf, true}, {-1e308, 1e308, false}};
  for (const Case& c : kCases) {
    AxisDraw a = axis();
    a.minu = c.minu;
    a.maxu = c.maxu;
    for (auto routine : {avarax, linax, logax}) {
      if (routine == logax && !c.log) continue;
      const Trace t = draw_with(routine, a);
      EXPECT_LE(t.ticks_up(kBase, 30).size(), 1u) << c.minu << " " << c.maxu;
      ASSERT_FALSE(t.segments.empty());
      EXPECT_EQ(t.segments.back().x1, 2100) << "the axis line";
    }
  }
  // Any density still stops at a thousand ticks.
  AxisDraw a = axis();
  a.density = 1e9;
  EXPECT_LE(draw_with(avarax, a).ticks_up(kBase, 18).size(), size_t{kMaxTicks});
}

TEST_F(VaraxTest, LogAxisLabelsDecadesWithRaisedExponents) {
  AxisDraw a = axis();
  a.minu = 1;
  a.maxu = 1000;
  const Trace t = draw_with(logax, a);
  EXPECT_EQ(t.text(), "100101102103A");  // 10 and a raised 0, 1, 2, 3
  EXPECT_EQ(t.ticks_up(kBase, 30), (std::vector<int>{300, 900, 1500, 2100}));
  EXPECT_EQ(t.ticks_up(kBase, 18).size(), 24u);  // 2..9 in each of three decades
  const Glyph& ten = t.glyphs[0];
  const Glyph& exponent = t.glyphs[2];
  EXPECT_LT(exponent.size, ten.size);
  EXPECT_GT(exponent.y, ten.y);

  // A limit at or below zero is taken as 1e-32: decades -32 .. 1 are drawn.
  a.minu = 0;
  a.maxu = 10;
  const Trace low = draw_with(logax, a);
  EXPECT_EQ(low.ticks_up(kBase, 30).size(), 34u);
}

}  // namespace
}  // namespace vexal
