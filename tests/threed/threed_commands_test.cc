// The 3-D commands as a user types them: geometries and angles, 3-D moves and
// draws in each geometry, curves, axes, surfaces, the array rewrites and the
// gridding of scattered data.
#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>

#include "support/scratch_dir.h"

namespace vexal {
namespace {

class ThreedCommandsTest : public ScratchDirTest {
 protected:
  // Draws ("L" lines) and moves ("M" lines) written since the last call.
  std::pair<int, int> draws_and_moves() {
    int draws = 0, moves = 0;
    for (const std::string& l : new_ps_lines()) {
      if (l.size() > 2 && l.compare(l.size() - 2, 2, " L") == 0) ++draws;
      if (l.size() > 2 && l.compare(l.size() - 2, 2, " M") == 0) ++moves;
    }
    return {draws, moves};
  }
  std::vector<double> values() const { return s->array.values; }
};

TEST_F(ThreedCommandsTest, MovesAndDrawsInEachGeometry) {
  // The Cartesian view exists from the start, unrotated: a point lands on its
  // frame position (inches without scaling), whatever its Z.
  for (const char* lines : {"3DMOVE 1 1 1\n3DDRAW 1.5 2 3\n", "CARTESIAN\n3DMOVE 1.5 2 3\n"}) {
    restart();
    run(lines);
    EXPECT_EQ(take_err(), "") << lines;
    EXPECT_DOUBLE_EQ(num("X"), 1.5) << lines;
    EXPECT_DOUBLE_EQ(num("Y"), 2) << lines;
  }
  // A quarter circle of radius XDIM in ten steps.
  run("NOHIDE\nPOLAR\n3DMOVE 1 0 0\n");
  new_ps_lines();
  run("3DDRAW 1 90 0 10\n");
  EXPECT_EQ(draws_and_moves().first, 10);
  EXPECT_NEAR(num("X"), 0, 1e-6);
  EXPECT_NEAR(num("Y"), 6, 1e-6);
  // On a sphere with hiding on, the far half of a great circle is moved over.
  // Seen from above the north pole, a meridian's southern half is the far side.
  run("HIDE\nSPHERICAL\n3DROT 0 0 0\n3DMOVE 0 0 0\n");
  new_ps_lines();
  run("3DDRAW 0 180 0 36\n");
  auto [draws, moves] = draws_and_moves();
  EXPECT_GE(draws, 17);
  EXPECT_LE(draws, 18);
  EXPECT_GE(moves, 1);
  // Angles that are not numbers count as 0.
  run("CARTESIAN\n3DROT {0 0 /} 1e400 0\n3DMOVE 1 1 0\n");
  EXPECT_TRUE(std::isfinite(num("X")));
  finish();
}

TEST_F(ThreedCommandsTest, CurvesAxesAndThePlotQueue) {
  write("d.txt", "0 0 0\n1 1 1\n2 0 2\n3 1 3\n");
  run("DATA d.txt\nXCOL 1\nYCOL 2\nZCOL 3\nLOAD\nCARTESIAN\n3DROT 30 20 10\n");
  take_out();
  run("DO3DPLOT\n");
  EXPECT_NE(take_out().find("      4 points plotted."), std::string::npos);
  run("SHOW3DXAX\nSHOW3DYAX\nSHOW3DZAX\nSHOWSECOND3DXAX\nSHOWSECOND3DYAX\nSHOWSECOND3DZAX\n");
  EXPECT_EQ(take_err(), "");
  // PLOT3D queues the curve, the axes and the box behind what waits.
  run("PLOT3D\n");
  EXPECT_EQ(take_err(), "");
  finish();
}

// The text of an axis is written turned by "deg R" lines: a 3-D axis that
// points leftwards turns its numbers and label half round to read upright;
// one pointing rightwards, and a 2-D axis turned by ROT, keep their angle.
TEST_F(ThreedCommandsTest, LeftwardAxesReadUpright) {
  run("XMIN 0\nXMAX 10\nYMIN 0\nYMAX 5\nZMIN 0\nZMAX 1\nYLAB Depth\nXLAB Way\n");
  run("3DROT -60 0 45\n");
  auto turns = [&](const std::string& lines) {
    new_ps_lines();
    run(lines);
    std::vector<int> out;
    for (const std::string& l : new_ps_lines())
      if (l.size() > 2 && l.compare(l.size() - 2, 2, " R") == 0) out.push_back(std::stoi(l));
    return out;
  };
  struct Case {
    const char* lines;
    int turn;  // of every text of the axis (each also turned back)
  };
  const Case kCases[] = {{"SHOW3DYAX\n", -27},
                         {"SHOW3DXAX\n", 27},
                         {"SHOW3DZAX\n", 90},  // upright: left as it is
                         {"ROT 153\nSHOWXAX\n", 153}};
  for (const Case& c : kCases) {
    const std::vector<int> got = turns(c.lines);
    ASSERT_FALSE(got.empty()) << c.lines;
    for (size_t i = 0; i < got.size(); ++i)
      EXPECT_EQ(got[i], i % 2 ? -c.turn : c.turn) << c.lines << i;
  }
  finish();
}

TEST_F(ThreedCommandsTest, SurfacesNeedAGrid) {
  run("ARRAY 3 1\n1 2 3\nSURF\nSOLID\n");
  EXPECT_EQ(take_err(),
            "SURF: the array needs at least 2 x 2 values with their coordinates.\n"
            "SOLID: the array needs at least 2 x 2 values with their coordinates.\n");
  run("ARRAY 3 3\n1 2 3 4 5 6 7 8 9\nCARTESIAN\n3DROT 30 20 10\nSURF\nCLEARW\nNOHIDE\nSURF\n");
  run("HIDE\nCLEARW\nNCOLORS 5\nSOLID\n");
  EXPECT_EQ(take_err(), "");
  finish();
}

TEST_F(ThreedCommandsTest, ArrayRewrites) {
  run("ARRAYX 3\n1 2 3\nARRAYY 2\n-30 60\nARRAY/NOMATH 3 2\n1 2 3\n4 5 6\n");
  run("3DLAT2NORTHCOLAT\n");
  EXPECT_EQ(s->array.y, (std::vector<double>{30, 120}));
  EXPECT_EQ(values(), (std::vector<double>{4, 5, 6, 1, 2, 3}));
  run("3DLAT2SOUTHCOLAT\n");
  EXPECT_EQ(s->array.y, (std::vector<double>{120, 210}));
  run("XLAB across\nYLAB up\n3DTRAN\n");
  EXPECT_EQ(s->array.nx, 2);
  EXPECT_EQ(s->array.x, (std::vector<double>{120, 210}));
  EXPECT_EQ(values(), (std::vector<double>{4, 1, 5, 2, 6, 3}));
  EXPECT_EQ(s->axes[AxisId::X].layout.label, "up");
  EXPECT_EQ(s->axes[AxisId::Y].layout.label, "across");
  run("REFLECT3DX\n");
  EXPECT_EQ(values(), (std::vector<double>{1, 4, 2, 5, 3, 6}));
  run("3DREFLECTY\n");
  EXPECT_EQ(values(), (std::vector<double>{3, 6, 2, 5, 1, 4}));
  run("3DREDUCE 1 2\n");
  EXPECT_EQ(values(), (std::vector<double>{3, 6, 1, 4}));
  EXPECT_EQ(num("MY"), 2);
  run("3DREDUCE 2147483647 2147483647\n");
  EXPECT_EQ(values(), (std::vector<double>{3}));
  run("3DREDUCE 0 1\n");
  EXPECT_EQ(take_err(), "3DREDUCE needs steps of at least 1; the array is unchanged.\n");
  EXPECT_FALSE(std::ifstream("vexal" + s->run.pid + ".trns").good());

  run("ARRAYX 2\n2 4\nARRAYY 2\n0 180\nARRAY/NOMATH 2 2\n1 2\n3 4\nFILLPOLARHOLE\nCLOSEPOLAR\n");
  EXPECT_EQ(num("MX"), 3);
  EXPECT_EQ(num("MY"), 3);
  EXPECT_EQ(s->array.x, (std::vector<double>{0, 2, 4}));
  EXPECT_EQ(s->array.dx[0], 2);  // out to the old first column's inner edge, 2 - 2/2
  EXPECT_EQ(s->array.y, (std::vector<double>{0, 180, 360}));
  EXPECT_EQ(values(), (std::vector<double>{1, 1, 2, 3, 3, 4, 1, 1, 2}));
  finish();
}

TEST_F(ThreedCommandsTest, Fill3dGridsScatteredPoints) {
  run("FILL3D\n");
  EXPECT_NE(take_err().find("FILL3D: the array has no grid"), std::string::npos);
  run("ARRAYXSCALE 5000000 0 1\nARRAYYSCALE 5000000 0 1\nFILL3D\n");
  EXPECT_EQ(take_err(), "ARRAY is too large for available memory\n");
  run("ARRAYXSCALE 3 0 1\nARRAYYSCALE 2 0 1\nFILL3D\n");
  EXPECT_EQ(take_err(), "FILL3D: there are no data points to grid.\n");
  // Points on two nodes: those nodes take their heights, the others lie between.
  write("p.txt", "0 0 10\n2 1 20\n");
  run("DATA p.txt\nXCOL 1\nYCOL 2\nZCOL 3\nLOAD\nFILL3D\n");
  EXPECT_EQ(take_err(), "");
  ASSERT_EQ(values().size(), 6u);
  EXPECT_NEAR(values()[0], 10, 1e-6);
  EXPECT_NEAR(values()[5], 20, 1e-6);
  const double w = 1 / std::sqrt(2.0);  // node (1, 0): distances 1 and sqrt(2)
  EXPECT_NEAR(values()[1], (10 + 20 * w) / (1 + w), 1e-5);
  EXPECT_FALSE(std::ifstream("vexal_tmp.tmp").good());
  // Every point on one node: each node takes their mean.
  write("q.txt", "1 1 4\n1 1 8\n");
  run("DATA q.txt\nLOAD\nFILL3D\n");
  for (double v : values()) EXPECT_NEAR(v, 6, 1e-5);
  run("DATA p.txt\nLOAD\nFILL3D\n");
  // A weight that fails leaves the array as it was.
  run("FILL3DF {1 0 /}\nFILL3D\n");
  EXPECT_NE(take_err().find("could not be computed; the array is unchanged."), std::string::npos);
  EXPECT_NEAR(values()[0], 10, 1e-6);
  // A user weight, 1 / distance^4: at node (1, 0) the weights are 1 and 1/4.
  run("FILL3DF {1 x x mul y y mul add 2 pow 1.e-20 max div}\nFILL3D\n");
  EXPECT_EQ(take_err(), "");
  EXPECT_NEAR(values()[1], (10 + 20 * 0.25) / 1.25, 1e-5);
  finish();
}

}  // namespace
}  // namespace vexal
