// The contour commands as a user types them: the step chosen and what it sets,
// the flat frame and the views, colour cells with and without trimming, the
// colour scale and the vector field, and the refusals of unusable arrays.
#include <algorithm>
#include <climits>
#include <sstream>

#include "support/session_fixture.h"

namespace vexal {
namespace {

class ContourCommandsTest : public SessionTest {
 protected:
  // The least and largest device x of the cell strokes written since the
  // last call: the moves and draws between the stroke width and its reset.
  std::pair<int, int> x_range() {
    int lo = INT_MAX, hi = INT_MIN, widths = 0;
    for (const std::string& l : new_ps_lines()) {
      if (l.size() < 3) continue;
      const std::string end = l.substr(l.size() - 2);
      if (end == " W") ++widths;
      if (widths != 1 || (end != " M" && end != " L")) continue;
      std::istringstream in(l);
      int x;
      if (in >> x) {
        lo = std::min(lo, x);
        hi = std::max(hi, x);
      }
    }
    return {lo, hi};
  }
  bool selects(const std::string& colour) {
    const std::vector<std::string> lines = new_ps_lines();
    return std::find(lines.begin(), lines.end(), colour) != lines.end();
  }
};

TEST_F(ContourCommandsTest, TheStepAndWhatItSets) {
  run("XMIN 0\nXMAX 2\nYMIN 0\nYMAX 1\nNOXBOR\nNOYBOR\nZMIN 0\nZMAX 1\n");
  run("ARRAYXSCALE 3 0 1\nARRAYYSCALE 2 0 1\nARRAY/NOMATH 3 2\n0 0.5 1\n0.2 0.6 0.9\nCONT\n");
  EXPECT_EQ(take_err(), "");
  EXPECT_DOUBLE_EQ(num("STEP"), 0.1);
  EXPECT_EQ(s->axes[AxisId::Z].layout.mt, 10);
  run("ZMIN -3.7\nZMAX 12.2\nCONTOURSTEP 5\nSHOWCONT\n");
  EXPECT_EQ(num("CONTOUR_STEP"), 5);
  EXPECT_EQ(num("STEP"), 5);
  EXPECT_EQ(s->axes[AxisId::Z].layout.mt, 2);
  run("CONTOURSTEP 1e-12\nCONT\n");
  EXPECT_NE(take_err().find("only the first 10000 are drawn"), std::string::npos);
  run("CONTOURSTEP 0\nONECONT 0.5\nNOANNOTATEC\nPOLAR\nCONT\nSPHERICAL\nCONT\n");
  EXPECT_EQ(take_err(), "");
  run("ARRAY 3 1\n1 2 3\nCONT\nCCONT\nVECTOR\n");
  EXPECT_EQ(take_err(),
            "CONT: the array needs at least 2 x 2 values with their coordinates.\n"
            "CCONT: the array needs at least 2 x 2 values with their coordinates.\n"
            "VECTOR: the array needs at least 2 x 2 values with their coordinates.\n");
  finish();
}

TEST_F(ContourCommandsTest, ColourCellsTrimmedAndWhole) {
  // The array's coordinates set the axis limits; these replace them.
  run("ARRAYXSCALE 3 1 1\nARRAYYSCALE 2 0 1\nARRAY/NOMATH 3 2\n0 5 10\n-2e37 5 10\n");
  run("XMIN 0\nXMAX 4\nYMIN 0\nYMAX 1\nNOXBOR\nNOYBOR\nZMIN 0\nZMAX 10\nXDIM 4\nYDIM 1\n");
  new_ps_lines();
  run("CCONT\n");
  const auto trimmed = x_range();
  run("NOTRIMCON\nCCONT\n");
  const auto whole = x_range();
  // One inch per node: the whole cells reach half an inch further on each side.
  const int half = static_cast<int>(s->ps.res / 2);
  EXPECT_NEAR(whole.first, trimmed.first - half, 2);
  EXPECT_NEAR(whole.second, trimmed.second + half, 2);
  // A missing value takes colour 255.
  run("CCONT\n");
  EXPECT_TRUE(selects("c0255"));
  run("SHOWCOLORSCALE\nNCOLORS 1\nSHOWGREYSCALE\n");
  EXPECT_EQ(take_err(), "");
  finish();
}

// Arrays no contour can be drawn from: a valid document and no message
// beyond the usual ones.
TEST_F(ContourCommandsTest, UnusableValuesDrawNothingWrong) {
  run("ARRAYX 3\n1 1 1\nARRAYY 2\n5 5\nARRAY/NOMATH 3 2\nnan inf -inf\n-2e37 1 2\n");
  run("CONT\nCCONT\nONECONT 1\nNCOLORS 1\nCCONT\nZMIN 1\nZMAX "
      "1\nCCONT\nCONT\nPOLAR\nCONT\nCCONT\n");
  run("CARTESIAN\nARRAYX 3\n1 2 3\nARRAYY 2\n1 2\n");
  run("ARRAY/NOMATH 3 2\n-2e37 -2e37 -2e37 -2e37 -2e37 -2e37\nZMIN 0\nZMAX 2\nCONT\nCCONT\n");
  run("CONTOURSTEP -1\nCONT\n");
  EXPECT_EQ(take_err(), "");
  finish();
}

TEST_F(ContourCommandsTest, VectorsNeedTwoArraysAndALength) {
  run("ARRAYXSCALE 2 5 1\nARRAYYSCALE 2 5 1\nARRAY/NOMATH 2 2\n1 0 0 1\nVECTOR\n");
  EXPECT_NE(take_err().find("second array"), std::string::npos);
  run("ARRAY2 2 2\n0 1 0 1\nVECTOR\n");
  EXPECT_EQ(take_err(), "VECTOR: VLEN is 0, so every arrow has no length; nothing drawn.\n");
  run("VLEN 0.5\nARRAY/NOMATH 2 2\n0 0 0 0\nARRAY2 2 2\n0 0 0 0\nVECTOR\n");
  EXPECT_EQ(take_err(), "VECTOR: every vector is zero; nothing drawn.\n");
  run("ARRAY/NOMATH 2 2\n1 0 0 1\nARRAY2 2 2\n0 1 0 1\n");
  new_ps_lines();
  run("VECTOR\n");
  EXPECT_EQ(take_err(), "");
  EXPECT_GE(new_ps_lines().size(), 3u);
  finish();
}

}  // namespace
}  // namespace vexal
