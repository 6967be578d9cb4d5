// Tests of contour labels placed clear of each other and of the frame: the
// box geometry, the placement along lines of every shape, the cuts under
// the labels, and whole CONT drawings with ANNOTATEC CLEAR.
#include "threed/label_placement.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "support/session_fixture.h"

namespace vexal {
namespace {

TEST(LabelPlacementTest, BoxesOverlapAndFit) {
  const LabelBox a{{0, 0}, 1, 0, 1, 0.5};
  const double r = std::sqrt(0.5);
  struct Case {
    const char* name;
    LabelBox b;
    bool overlap;
  };
  const Case cases[] = {
      {"apart along x", {{2.1, 0}, 1, 0, 1, 0.5}, false},
      {"touching edges", {{2, 0}, 1, 0, 1, 0.5}, false},
      {"overlapping", {{1.9, 0.9}, 1, 0, 1, 0.5}, true},
      {"turned, clear of the corner", {{1.9, 1.2}, r, r, 0.5, 0.1}, false},
      {"turned, across the corner", {{1.2, 0.7}, r, r, 0.5, 0.1}, true},
      {"inside", {{0.2, 0.1}, 0, 1, 0.1, 0.1}, true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(boxes_overlap(a, c.b), c.overlap) << c.name;
    EXPECT_EQ(boxes_overlap(c.b, a), c.overlap) << c.name;
  }
  const std::array<PagePoint, 4> frame{{{-2, -1}, {2, -1}, {2, 1}, {-2, 1}}};
  const std::array<PagePoint, 4> backwards{{{-2, 1}, {2, 1}, {2, -1}, {-2, -1}}};
  EXPECT_TRUE(box_inside(a, frame));
  EXPECT_TRUE(box_inside(a, backwards));
  EXPECT_FALSE(box_inside({{1.5, 0}, 1, 0, 1, 0.5}, frame));
  EXPECT_FALSE(box_inside({{0, 0}, r, r, 1.5, 0.1}, frame));  // a turned box's corner
  EXPECT_FALSE(box_inside({{NAN, 0}, 1, 0, 1, 0.5}, frame));
}

// Lines of several shapes in a 10 x 6 frame: labels a spacing apart at
// least, inside the frame, clear of each other, upright, on the line, and
// the line cut under each.
TEST(LabelPlacementTest, LabelsAlongLinesStayClear) {
  LabelLayout layout;
  layout.length = 0.4;
  layout.height = 0.12;
  layout.spacing = 1.5;
  layout.frame = {{{0, 0}, {10, 0}, {10, 6}, {0, 6}}};
  std::vector<std::vector<PagePoint>> lines;
  std::vector<PagePoint> straight, leftward, circle, small_loop, wiggle;
  for (int i = 0; i <= 100; ++i) {
    straight.push_back({0.5 + 0.09 * i, 1});
    leftward.push_back({9.5 - 0.09 * i, 1.1});  // drawn right to left, over the first
    const double a = 2 * std::numbers::pi * i / 100;
    circle.push_back({5 + 2 * std::cos(a), 3.5 + 2 * std::sin(a)});
    small_loop.push_back({8 + 0.15 * std::cos(a), 5 + 0.15 * std::sin(a)});
    wiggle.push_back({0.1 * i, 5.9 + 0.3 * std::sin(i / 3.0)});  // runs along the top edge
  }
  circle.back() = circle.front();
  small_loop.back() = small_loop.front();
  lines = {straight, leftward, circle, small_loop, wiggle};
  std::vector<LabelBox> taken;
  std::vector<std::vector<PlacedLabel>> placed;
  for (const auto& line : lines) placed.push_back(place_labels(line, layout, taken));

  EXPECT_GE(placed[0].size(), 5u);  // 9 inches of line
  ASSERT_FALSE(placed[1].empty());  // between the first line's labels
  for (const PlacedLabel& l : placed[1]) EXPECT_NEAR(l.angle, 0, 1e-9);  // drawn leftward, upright
  EXPECT_GE(placed[2].size(), 5u);                                       // 12.6 inches of circle
  EXPECT_TRUE(placed[3].empty());  // a closed line shorter than three labels
  for (size_t k = 0; k < taken.size(); ++k) {
    EXPECT_TRUE(box_inside(taken[k], layout.frame)) << k;
    for (size_t m = 0; m < k; ++m) EXPECT_FALSE(boxes_overlap(taken[k], taken[m])) << k << " " << m;
  }
  for (size_t n = 0; n < lines.size(); ++n) {
    for (size_t k = 0; k < placed[n].size(); ++k) {
      const PlacedLabel& l = placed[n][k];
      EXPECT_GT(l.angle, -90);
      EXPECT_LE(l.angle, 90);
      EXPECT_NEAR(l.cut_to - l.cut_from, layout.length + 2 * 0.25 * layout.height, 1e-9);
      if (k == 0) continue;
      EXPECT_GE(l.cut_from + l.cut_to - placed[n][k - 1].cut_from - placed[n][k - 1].cut_to,
                2 * layout.spacing - 1e-9);
    }
    // The pieces left leave out exactly the cuts, and the label stands in its cut.
    const auto pieces = cut_line(lines[n], placed[n]);
    EXPECT_EQ(pieces.size(), placed[n].size() + 1) << n;
    for (const PlacedLabel& l : placed[n]) {
      for (const auto& piece : pieces)
        for (const PagePoint& p : piece)
          EXPECT_GT(std::hypot(p.x - l.box.centre.x, p.y - l.box.centre.y),
                    layout.length / 2 - 1e-6);
    }
  }
}

class ClearLabelsTest : public SessionTest {};

// A noisy field with CONT and ANNOTATEC CLEAR: the labels' characters
// turned along the lines, Ghostscript reading the document; ANNOTATEC
// alone keeps the labels of the walk, unturned.
TEST_F(ClearLabelsTest, ContDrawsTurnedLabelsOfItsLevels) {
  std::string field =
      "XDIM 6\nYDIM 4.5\nARRAYXSCALE 21 0 1\nARRAYYSCALE 16 0 1\nARRAY/NOMATH 21 16\n";
  for (int j = 0; j < 16; ++j) {
    for (int i = 0; i < 21; ++i)
      field += std::to_string(std::round(10 * (std::sin(i * 0.7) * std::cos(j * 0.9) +
                                               0.3 * std::sin(i * j * 1.3))) /
                              10) +
               (i == 20 ? "\n" : " ");
  }
  run("QUIET\n" + field + "CONTOURSTEP 0.5\n");
  new_ps_lines();
  // The characters the commands draw turned (each between an "a R" line
  // and the "-a R" after it): the labels' numbers, nothing else.
  const auto labels_of = [&](const std::string& commands) {
    run(commands + "CONT\n");
    int turned = 0;
    bool in_turn = false;
    for (const std::string& l : new_ps_lines()) {
      if (l.ends_with(" R")) {
        in_turn = !in_turn;
      } else if (in_turn && l.starts_with(" (") && l.ends_with(") T")) {
        ++turned;
        EXPECT_EQ(l.size(), 6u) << l;
        EXPECT_NE(std::string("-.0123456789").find(l[2]), std::string::npos) << l;
      }
    }
    return turned;
  };
  EXPECT_GT(labels_of("ANNOTATEC CLEAR 1\n"), 10);
  EXPECT_EQ(labels_of("ANNOTATEC\n"), 0);
  EXPECT_EQ(take_err(), "");
  run("ANNOTATEC CLEAR -1\n");
  EXPECT_NE(take_err().find("spacing must be a positive number"), std::string::npos);
  finish();
}

// One level (ONECONT) in the flat frame and through a turned 3-D view: the
// turned characters read as that level's number again and again.
TEST_F(ClearLabelsTest, OneLevelsLabelsReadAsItsNumber) {
  std::string field =
      "XDIM 6\nYDIM 4.5\nARRAYXSCALE 21 0 1\nARRAYYSCALE 16 0 1\nARRAY/NOMATH 21 16\n";
  for (int j = 0; j < 16; ++j)
    for (int i = 0; i < 21; ++i)
      field += std::to_string(std::sin(i * 0.6) * std::cos(j * 0.5)) + (i == 20 ? "\n" : " ");
  run("QUIET\n" + field + "ANNOTATEC CLEAR 1\n");
  for (const char* view : {"", "CARTESIAN\n3DROT -60 0 -30\n"}) {
    SCOPED_TRACE(view);
    new_ps_lines();
    run(std::string(view) + "ONECONT 0.25\n");
    std::string turned;
    bool in_turn = false;
    for (const std::string& l : new_ps_lines()) {
      if (l.ends_with(" R"))
        in_turn = !in_turn;
      else if (in_turn && l.size() == 6 && l.starts_with(" (") && l.ends_with(") T"))
        turned += l[2];
    }
    ASSERT_GE(turned.size(), 8u);
    for (size_t k = 0; k < turned.size(); k += 4) EXPECT_EQ(turned.substr(k, 4), "0.25") << turned;
  }
  EXPECT_EQ(take_err(), "");
  finish();
}

}  // namespace
}  // namespace vexal
