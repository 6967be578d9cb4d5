// Tests of the shape routines no command reaches yet, on a document written
// into a string: circles from points, raster strips, images; and the
// bounding box of arcs.
#include "postscript/shapes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "support/document_fixture.h"

namespace vexal {
namespace {

using Lines = std::vector<std::string>;

class ShapesTest : public DocumentTest {
 protected:
  void SetUp() override {
    DocumentTest::SetUp();
    default_colors(w);
    lines();
  }
};

TEST_F(ShapesTest, ArcsWidenTheBoundingBoxByTheirCircle) {
  arc(w, 1, 1, 0.5);
  filled_arc(w, 1, 1.5, -0.5);
  EXPECT_EQ((std::array<int, 4>{w.bxmin, w.bymin, w.bxmax, w.bymax}),
            (std::array<int, 4>{450, 450, 750, 900}));
}

TEST_F(ShapesTest, ArcsStartAtTheirFirstAngle) {
  lines();
  arc(w, 1, 1, 0.5, 90, 180);
  filled_arc(w, 1, 1, 0.5, std::nan(""), INFINITY);  // angles that are no numbers: 0 to 360
  EXPECT_EQ(lines(), (Lines{"S", "600 750 M",
                            "          600          600          150 90.0000000 180.000000 arc",
                            "S", "600 600 M", "S N", "750 600 M",
                            "          600          600          150 0.00000000 360.000000 arc",
                            "CF S", "600 600 M"}));
}

TEST_F(ShapesTest, CirclesFromPointsCloseAndEndOnTheCentre) {
  circle(w, 1, 1, 1);
  Lines ls = lines();
  EXPECT_EQ(ls.front(), "900 600 M");
  EXPECT_EQ(ls[ls.size() - 2], "900 600 L");  // 360 degrees closes on the start
  EXPECT_EQ(ls.back(), "600 600 M");
  EXPECT_EQ(std::count_if(ls.begin(), ls.end(), [](auto& l) { return l.ends_with(" L"); }), 360);

  filled_circle(w, 1, 1, 1);
  ls = lines();
  EXPECT_EQ(ls[0], "S N");
  EXPECT_EQ(ls[1], "899 605 M");  // the first vertex at 1 degree
  EXPECT_EQ(ls[ls.size() - 3], "CF S");
  EXPECT_EQ(ls[ls.size() - 2], "900 600 M");  // filled_region ends on its last vertex
  EXPECT_EQ(ls.back(), "600 600 M");
}

TEST_F(ShapesTest, RasterStripsDrawOneLinePerColourRun) {
  const int c[] = {3, 3, 5, 5, 5, 7};
  moveto(w, 0, 0);
  lines();
  xraster(w, 0.1, 0.2, 6, c);
  EXPECT_EQ(lines(), (Lines{"CSM", "60 W", "c0003", "360 300 L", "c0005", "450 300 L", "c0007",
                            "480 300 L"}));
  moveto(w, 0, 0);
  lines();
  yraster(w, 0.1, 0.2, 3, c + 3);  // 5 5 7: width dx, steps dy
  EXPECT_EQ(lines(), (Lines{"CSM", "30 W", "c0005", "300 420 L", "c0007", "300 480 L"}));
  xraster(w, 0.1, 0.2, 0, c);
  EXPECT_EQ(lines(), Lines{});
}

TEST_F(ShapesTest, ImageRowsChangeColourAtThePixelsLeftEdge) {
  // Two rows of four pixels in 1 x 1 inch: the bottom row 1 1 2 2, the top all 4.
  const uint8_t bytes[] = {1, 1, 2, 2, 4, 4, 4, 4};
  show_image(w, 4, 2, bytes, 1, 1);
  EXPECT_EQ(lines(), (Lines{"CSM", "151 W", "c0000", "300 375 M", "c0001", "450 375 L", "c0002",
                            "600 375 L", "300 525 M", "c0004", "600 525 L", "c0000"}));
  show_image(w, 0, 2, bytes, 1, 1);
  EXPECT_EQ(lines(), Lines{});
}

}  // namespace
}  // namespace vexal
