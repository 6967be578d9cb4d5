// Tests of joining segments into polylines: lines given piece by piece in
// any order and direction, closed lines, branches and points that only look
// alike.
#include "threed/segment_join.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <set>
#include <span>
#include <string>
#include <vector>

namespace vexal {
namespace {

using Seg = std::array<PagePoint, 2>;

// A polyline as text: "x,y x,y ...".
std::string text(std::span<const PagePoint> line) {
  std::string out;
  for (const PagePoint& p : line) {
    if (!out.empty()) out += ' ';
    out += std::to_string(static_cast<int>(p.x)) + ',' + std::to_string(static_cast<int>(p.y));
  }
  return out;
}

TEST(SegmentJoinTest, PiecesThatShareAnEndBecomeOneLine) {
  struct Case {
    const char* what;
    std::vector<Seg> segments;
    std::vector<std::string> want;
  };
  const Case kCases[] = {
      {"a line given out of order, one piece backward",
       {{{{1, 0}, {2, 0}}}, {{{0, 0}, {1, 0}}}, {{{3, 0}, {2, 0}}}},
       {"0,0 1,0 2,0 3,0"}},
      {"a closed line",
       {{{{0, 0}, {1, 0}}}, {{{1, 1}, {0, 1}}}, {{{1, 0}, {1, 1}}}, {{{0, 1}, {0, 0}}}},
       {"0,0 1,0 1,1 0,1 0,0"}},
      {"a branch: three pieces meet at 1,0",
       {{{{0, 0}, {1, 0}}}, {{{1, 0}, {2, 0}}}, {{{1, 0}, {1, 1}}}},
       {"0,0 1,0 2,0", "1,0 1,1"}},
      {"a piece of no length is dropped", {{{{5, 5}, {5, 5}}}, {{{0, 0}, {0, 1}}}}, {"0,0 0,1"}},
      {"nothing", {}, {}},
  };
  SegmentJoin join;  // one for all cases: clear() must forget everything
  for (const Case& c : kCases) {
    join.clear();
    for (const Seg& s : c.segments) join.add(s[0], s[1]);
    join.join();
    std::vector<std::string> got;
    std::multiset<std::pair<std::pair<double, double>, std::pair<double, double>>> pieces;
    for (size_t k = 0; k < join.polylines(); ++k) {
      const std::span<const PagePoint> line = join.polyline(k);
      got.push_back(text(line));
      for (size_t i = 1; i < line.size(); ++i) {
        auto a = std::make_pair(line[i - 1].x, line[i - 1].y),
             b = std::make_pair(line[i].x, line[i].y);
        pieces.insert({std::min(a, b), std::max(a, b)});
      }
    }
    // Every piece of length exactly once, whatever the shape.
    std::multiset<std::pair<std::pair<double, double>, std::pair<double, double>>> want_pieces;
    for (size_t k = 0; k < join.size(); ++k) {
      auto a = std::make_pair(join.from(k).x, join.from(k).y),
           b = std::make_pair(join.to(k).x, join.to(k).y);
      want_pieces.insert({std::min(a, b), std::max(a, b)});
    }
    EXPECT_EQ(pieces, want_pieces) << c.what;
    EXPECT_EQ(got, c.want) << c.what;
  }
}

// Only the same point joins: -0 is 0, a point a rounding step away is not.
TEST(SegmentJoinTest, OnlyTheSamePointJoins) {
  SegmentJoin join;
  const double off = std::nextafter(1.0, 2.0);
  join.add({-0.0, 0}, {1, 0});
  join.add({0.0, 0}, {0, 1});
  join.add({off, 0}, {2, 0});
  join.join();
  ASSERT_EQ(join.polylines(), 2u);
  EXPECT_EQ(join.polyline(0).size(), 3u);  // 1,0 through 0,0 to 0,1
  EXPECT_EQ(join.polyline(1).size(), 2u);
}

}  // namespace
}  // namespace vexal
