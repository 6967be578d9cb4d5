// Tests of the hidden-line horizon: what a segment draws against what was
// drawn before it, what it leaves in the horizon, and far-off ends.
#include "threed/horizon.h"

#include <gtest/gtest.h>

#include <cmath>

#include "support/document_fixture.h"

namespace vexal {
namespace {

using Lines = std::vector<std::string>;

// Device units are (x + 1) x 300; the horizon's column of x is 2000 + 300 x.
class HorizonTest : public DocumentTest {
 protected:
  void draw(double x0, double y0, double x1, double y1, bool update = true) {
    hddrw(h, w, 300, {x0, y0}, {x1, y1}, update ? Raise::kYes : Raise::kNo);
  }
  void band() {  // y = 0 and y = 1 over x = 0 .. 1
    draw(0, 0, 1, 0);
    draw(0, 1, 1, 1);
    lines();
  }
  Horizon h{};
};

TEST_F(HorizonTest, OnlyWhatLiesStrictlyInsideIsHidden) {
  draw(0, 1, 1, 1.5);
  EXPECT_EQ(lines(), (Lines{"300 600 M", "600 750 L"}));
  EXPECT_EQ(h.upper[2150], 2375);
  draw(1, 1.5, 0, 1);  // on the horizon, not inside it: drawn again
  EXPECT_EQ(lines(), (Lines{"300 600 M", "600 750 L"}));

  clear_work(h);
  band();
  draw(0.1, 0.5, 0.9, 0.5);
  EXPECT_EQ(lines(), Lines{"330 450 M"});
  // Across the band: drawn to the last pixel before it and from the first
  // after it. A segment's first column takes it in only when empty, so the
  // line at y = 1 left column 2000 (x = 0) at row 2000.
  draw(-0.5, 0.5, 1.5, 0.5);
  EXPECT_EQ(lines(), (Lines{"150 450 M", "300 450 L", "601 450 M", "750 450 L"}));
}

TEST_F(HorizonTest, WithoutUpdateNothingIsTakenIn) {
  band();
  draw(0, 2, 1, 2, false);
  draw(0, 1.5, 1, 1.5);
  EXPECT_EQ(lines(), (Lines{"300 900 M", "600 900 L", "300 750 M", "600 750 L"}));
  EXPECT_EQ(h.upper[2150], 2450);
}

TEST_F(HorizonTest, SteepSegmentsDoNotHideThemselves) {
  band();
  draw(0.5, 2, 0.5, -1);  // its column is emptied for the walk
  EXPECT_EQ(lines(), (Lines{"450 0 M", "450 900 L"}));
  EXPECT_EQ(h.upper[2150], 2600);
  EXPECT_EQ(h.lower[2150], 1700);
  draw(0.4, -0.5, 0.45, 0.5);  // from below into the band: up to its edge
  draw(0.4, 0.5, 0.45, 1.5);   // from inside out of it: from its edge
  EXPECT_EQ(lines(), (Lines{"420 150 M", "428 300 L", "420 450 M", "428 600 M", "435 750 L"}));
}

// Drawn from its start, a segment that does not raise the horizon draws the
// same stretches as by index, each from its other end and in reverse order.
TEST_F(HorizonTest, FromTheStartTheSameStretchesRunTheOtherWay) {
  struct Case {
    double x0, y0, x1, y1;
    Lines by_index, from_start;
  };
  const Case kCases[] = {
      {1.5,
       0.5,
       -0.5,
       0.5,  // across the band, right to left
       {"150 450 M", "300 450 L", "601 450 M", "750 450 L"},
       {"750 450 M", "601 450 L", "300 450 M", "150 450 L"}},
      {0.5,
       2,
       0.5,
       -1,  // steep, downward: its column is emptied
       {"450 0 M", "450 900 L"},
       {"450 900 M", "450 0 L"}},
      {-0.5, 0.5, 0.2, 0.6, {"150 450 M", "300 471 L"}, {"150 450 M", "300 471 L"}},  // forward
  };
  for (const Case& c : kCases) {
    for (Direction d : {Direction::kByIndex, Direction::kFromStart}) {
      clear_work(h);
      band();
      hddrw(h, w, 300, {c.x0, c.y0}, {c.x1, c.y1}, Raise::kNo, d);
      EXPECT_EQ(lines(), d == Direction::kByIndex ? c.by_index : c.from_start) << c.x0;
    }
  }
}

// Drawing once, a stretch with the end pixels of one drawn before is left
// out, in either direction, and so is the move of a hidden stretch.
TEST_F(HorizonTest, DrawingOnceLeavesOutRepeatedStretches) {
  h.draw_once = true;
  draw(0.1, 0, 1, 0.5);
  draw(1, 0.5, 0.1, 0);
  draw(0.2, 1, 0.8, 1);
  EXPECT_EQ(lines(), (Lines{"330 300 M", "600 450 L", "360 600 M", "540 600 L"}));
  draw(0.3, 0.5, 0.5, 0.5);  // behind the two
  EXPECT_EQ(lines(), Lines{});
  EXPECT_EQ(h.drawn.size(), 2u);
}

TEST_F(HorizonTest, NothingBeyondTheRecordIsReadOrWritten) {
  const double inf = INFINITY;
  draw(40, 0, 50, 1);      // beyond the last column
  draw(0, 1e10, 1, 1e10);  // beyond the kept rows
  draw(std::nan(""), 0, 1, 1);
  EXPECT_EQ(lines(), Lines{});
  EXPECT_EQ(h.upper, Horizon{}.upper);

  draw(-inf, 0.5, 40, 0.5);  // drawn over columns 0 to 11999
  EXPECT_EQ(lines(), (Lines{"       -1700 450 M", "10299 450 L"}));
  EXPECT_EQ(h.upper[0], 2150);
  draw(0, 0, 1e300, 1e300);
  draw(0.3, -inf, 0.3, 1e6);  // rows -12000 to 23999 kept
  EXPECT_EQ(h.upper[2090], 23999);
  EXPECT_EQ(h.lower[2090], -12000);
}

}  // namespace
}  // namespace vexal
