// Tests of the contour routines: the levels, the cell walk and its labels,
// the colour cells, the colour scale bar and the arrow field.
#include "threed/contour.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "support/document_fixture.h"
#include "threed/cartesian_view.h"

namespace vexal {
namespace {

using Lines = std::vector<std::string>;

TEST(ContourLevelsTest, LevelsFollowTheStepFromTheDataRange) {
  struct Case {
    double zmin, zmax, step;
    double first, want_step;
    long count;
  };
  constexpr Case kCases[] = {
      {0, 1, 0, 0, 0.1, 11},      // automatic: base 1, a tenth of it gives 10 steps
      {-3.7, 12.2, 5, -5, 5, 5},  // -5, 0, 5, 10, 15
      {5, 95, 0, 0, 10, 11},      // the first level steps up past zmin and back below it
      {2, 2, 0.5, 0, 1, 0},       // flat data
      {0, -2, -1, 0, -1, 1},      // a negative step from 0 needs no search
      {-3, 2, -1, 0, -1, 0},      // ... and draws nothing when it would search away
      {NAN, 1, 0, 0, 1, 0},       // no numbers, no levels
      {0, 1, INFINITY, 0, 1, 0}, {-1e308, 1e308, 0, 0, 1, 0},  // a range beyond double
  };
  for (const Case& c : kCases) {
    const ContourLevels l = contour_levels(c.zmin, c.zmax, c.step);
    EXPECT_EQ(l.first, c.first) << c.zmin << " " << c.zmax << " " << c.step;
    EXPECT_EQ(l.step, c.want_step) << c.zmin << " " << c.zmax << " " << c.step;
    EXPECT_EQ(l.count, c.count) << c.zmin << " " << c.zmax << " " << c.step;
    EXPECT_FALSE(l.capped);
  }
  // Steps far below the range, or too small to move the value at all, end
  // quickly with the first kMaxContourLevels levels.
  for (const auto& [zmin, zmax, step] :
       {std::array<double, 3>{0, 1, 1e-12}, {1e20, 1e20 + 1e6, 1}}) {
    const ContourLevels l = contour_levels(zmin, zmax, step);
    EXPECT_TRUE(l.capped) << zmin;
    EXPECT_EQ(l.count, kMaxContourLevels) << zmin;
    EXPECT_EQ(l.first, zmin) << zmin;
  }
}

class ContourTest : public DocumentTest {
 protected:
  void SetUp() override {
    DocumentTest::SetUp();
    default_colors(w);
    lines();
  }
  // A Cartesian view seen from above, one frame inch per data unit: the
  // frame lies on the page as it is.
  Grid grid(std::vector<double> xs, std::vector<double> ys, std::vector<double> z) {
    x = std::move(xs);
    y = std::move(ys);
    values = std::move(z);
    set_geometry(v, cartesian(true), ViewFrame{x.back() - x.front(), y.back() - y.front(), 1, 0, 1},
                 300);
    return Grid{values.data(), x.data(), y.data(), static_cast<int>(x.size()),
                static_cast<int>(y.size())};
  }
  Lines kept(const std::string& suffix) {
    Lines out;
    for (const std::string& l : lines())
      if (l.ends_with(suffix)) out.push_back(l);
    return out;
  }
  View v;
  Horizon h{};
  TextState t;
  PenSettings pen;
  TextContext ctx{pen, 0.7, 751654};
  ContourStyle plain{.levels = one_level(0.5), .annotate = false};
  std::vector<double> values, x, y;
};

TEST_F(ContourTest, CellsAreCutThroughTheirDiagonal) {
  struct Case {
    const char* name;
    std::vector<double> z;  // (1,1), (2,1), (1,2), (2,2)
    Lines want;
  };
  const Case kCases[] = {
      // a and c above the level, b and d below: two separate segments.
      {"saddle", {1, 0, 0, 1}, {"450 300 M", "600 450 L", "300 450 M", "450 600 L"}},
      // a below, c above: bottom, diagonal point (0.25, 0.25), left, in one line.
      {"diagonal", {0, 1, 0.625, 2}, {"450 300 M", "375 375 L", "300 540 L"}},
      {"missing", {0, 1, -1e37, 2}, {}},
      {"not a number", {0, 1, NAN, 2}, {}},
      {"flat", {0.5, 0.5, 0.5, 0.5}, {}},
  };
  for (const Case& c : kCases) {
    contr(v, h, w, t, ctx, grid({0, 1}, {0, 1}, c.z), plain);
    Lines ls = lines();
    std::erase_if(ls, [](const std::string& l) { return l.ends_with(" RGB"); });
    EXPECT_EQ(ls, c.want) << c.name;
  }
}

TEST_F(ContourTest, LevelsAreLabelledAtTheirCrossingsAndTheLineGoesOn) {
  // Two by two nodes label every second crossing from the fourth back: the
  // diagonal point, drawn a second time as the third crossing, gets one.
  contr(v, h, w, t, ctx, grid({0, 1}, {0, 1}, {0, 1, 0.625, 2}),
        ContourStyle{.levels = one_level(0.5), .line_color = {0, 0, 1}, .label_color = {1, 0, 0}});
  Lines ls = lines();
  std::erase_if(
      ls, [](auto& l) { return !l.ends_with(" RGB") && !l.ends_with(" T") && !l.ends_with(" L"); });
  const std::string blue = " CSM 0.00 0.00 1.00 RGB", red = " CSM 1.00 0.00 0.00 RGB";
  EXPECT_EQ(ls, (Lines{blue, "375 375 L", red, " (0) T", " (.) T", " (5) T", blue, "300 540 L"}));
}

TEST_F(ContourTest, ContrDrawsEachLevelItsDataCross) {
  // z = x: each level a vertical line at x = level; the top level touches
  // only corners at or below it and draws nothing.
  const Grid g = grid({0, 1, 2}, {0, 1}, {0, 1, 2, 0, 1, 2});
  v.ox = 0.5;  // off the document's origin, where a move would write nothing
  ContourStyle st = plain;
  st.levels = contour_levels(0, 2, 0.5);
  EXPECT_EQ(st.levels.count, 5);
  contr(v, h, w, t, ctx, g, st);
  EXPECT_EQ(kept(" M"), (Lines{"450 300 M", "600 300 M", "750 300 M", "900 300 M"}));
}

TEST_F(ContourTest, FlatCellsAreStrokesChangingColourOnlyBetweenRuns) {
  // Node cells 1 wide and high, the end ones halved; missing gives 255.
  const Grid g = grid({0, 1, 2}, {0, 1}, {0, 0, 1, 1, -1e37, 1});
  v.ox = 0.5;  // the 3-D origin offset moves the strokes
  concol(v, w, g, {1, 1, 1}, {1, 1}, {3, 0, 1});
  // The pen width in force before (1 unit) is set again at the end.
  EXPECT_EQ(lines(), (Lines{"CSM", "153 W", "c0000", "450 375 M", "600 375 L", "900 375 L", "c0002",
                            "1050 375 L", "450 525 M", "600 525 L", "c0255", "900 525 L", "c0002",
                            "1050 525 L", "CSM", "1 W", " CSM 0.00 0.00 0.00 RGB"}));
  // One colour, or flat data: colour 0 throughout, and still 255 when missing.
  for (const auto& [ncolors, zmax] : {std::pair{1, 1.0}, {3, 0.0}}) {
    concol(v, w, g, {1, 1, 1}, {1, 1}, {ncolors, 0, zmax});
    Lines colours;
    for (const std::string& l : lines())
      if (l.starts_with("c0")) colours.push_back(l);
    EXPECT_EQ(colours, (Lines{"c0000", "c0255", "c0000"})) << ncolors;
  }
}

TEST_F(ContourTest, TurnedCellsAreFilledExceptWhereMissing) {
  const Grid g = grid({0, 1, 2}, {0, 1}, {0, 0, 1, 1, -1e37, 1});
  set_geometry(v, cartesian(true, true, 30, 20), ViewFrame{2, 1, 1, 0, 1}, 300);
  concol(v, w, g, {1, 1, 1}, {1, 1}, {3, 0, 1});
  const Lines ls = lines();
  EXPECT_EQ(std::count(ls.begin(), ls.end(), "CF S"), 5);
  const auto missing = std::find(ls.begin(), ls.end(), "c0255");
  ASSERT_NE(missing, ls.end());
  EXPECT_EQ(*(missing + 1), "c0002");  // selected, nothing filled
  EXPECT_EQ(ls.back(), " CSM 0.00 0.00 0.00 RGB");
}

TEST_F(ContourTest, ColourScaleSpreadsTheColoursOverTheBar) {
  color_scale(w, 2, 0.5, 1, 3, 2);
  EXPECT_EQ(lines(), (Lines{"CSM", "150 W", "c0000", "300 375 M", "450 375 L", "c0001", "750 375 L",
                            "c0002", "900 375 L", " CSM 0.00 0.00 0.00 RGB", "CSM", "2 W",
                            "300 300 M", "900 300 L", "900 450 L", "300 450 L", "300 300 L"}));
  color_scale(w, 0.5, 2, 2, 2, 2);  // upright, the pen width zoomed
  const Lines ls = lines();
  EXPECT_EQ(Lines(ls.begin(), ls.begin() + 7),
            (Lines{"CSM", "300 W", "c0000", "375 300 M", "375 600 L", "c0001", "375 900 L"}));
  color_scale(w, 1, 1, 1, 1, 2);
  EXPECT_EQ(kept(" L").size(), 4u);
}

TEST_F(ContourTest, ArrowsScaleToTheLongestVector) {
  const Grid g = grid({0, 1}, {0, 1}, {1, 0, 0, -2});  // u
  const std::vector<double> vv = {0, 0, 2, 0};
  EXPECT_TRUE(vectr(w, g, vv.data(), 1, 1, 1));
  // Tips: (0, 0) + 0.5 along x, (0, 1) + 1 up, (1, 1) + 1 back; none at (1, 0).
  EXPECT_EQ(kept(" M"), (Lines{"450 300 M", "300 900 M", "300 600 M"}));
  const std::vector<double> none = {0, NAN, 0, 0};
  EXPECT_FALSE(vectr(w, grid({0, 1}, {0, 1}, {0, INFINITY, 0, 0}), none.data(), 1, 1, 1));
  EXPECT_EQ(lines(), Lines{});
}

}  // namespace
}  // namespace vexal
