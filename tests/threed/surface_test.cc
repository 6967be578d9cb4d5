// Tests of the surfaces: the drawing orders, the wire mesh with and without
// hidden lines, and the solid surface's fills and colours.
#include "threed/surface.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <regex>

#include "support/document_fixture.h"
#include "threed/cartesian_view.h"

namespace vexal {
namespace {

using Lines = std::vector<std::string>;

TEST(SurfaceOrderTest, OrdersEqualRepeatedLinearSearches) {
  std::mt19937 gen(7);
  for (size_t n : {0, 1, 17, 300}) {
    std::vector<double> keys(n);
    for (double& k : keys) k = gen() % 5;  // many ties
    for (bool largest : {true, false}) {
      std::vector<double> left = keys;  // the first largest (smallest) left, each time
      std::vector<size_t> want;
      for (size_t m = 0; m < n; ++m) {
        auto it = largest ? std::max_element(left.begin(), left.end())
                          : std::min_element(left.begin(), left.end());
        want.push_back(it - left.begin());
        *it = largest ? -INFINITY : INFINITY;
      }
      EXPECT_EQ(largest ? mesh_order(keys) : solid_order(keys), want) << n;
    }
  }
}

class SurfaceTest : public DocumentTest {
 protected:
  // x = 0 .. nx - 1, y = 0 .. ny - 1; seen from above, page inches are
  // data + 0.5 and every base depth is 0.
  Grid grid(int nx, int ny, std::vector<double> z, bool nohide = false) {
    set_geometry(v, cartesian(nohide), ViewFrame{nx - 1.0, ny - 1.0, 1, 0, 1}, 0);
    v.ox = v.oy = 0.5;
    values = std::move(z);
    x.resize(nx);
    y.resize(ny);
    for (int i = 0; i < nx; ++i) x[i] = i;
    for (int j = 0; j < ny; ++j) y[j] = j;
    return Grid{values.data(), x.data(), y.data(), nx, ny};
  }
  size_t draws() {
    const Lines ls = lines();
    return std::count_if(ls.begin(), ls.end(), [](auto& l) { return l.ends_with(" L"); });
  }
  View v;
  Horizon h{};
  std::vector<double> values, x, y;
};

TEST_F(SurfaceTest, WithoutHidingEveryCellDrawsItsFourEdges) {
  surfas(v, h, w, grid(3, 4, std::vector<double>(12, 0.5), true));
  const Lines ls = lines();
  // Equal depths make P4 the nearest corner: P1-P4 before P2-P3, P4-P3 before P1-P2.
  EXPECT_EQ(Lines(ls.begin(), ls.begin() + 8),
            (Lines{"450 450 M", "450 750 L", "750 450 M", "750 750 L", "450 750 M", "750 750 L",
                   "450 450 M", "750 450 L"}));
  EXPECT_EQ(std::count_if(ls.begin(), ls.end(), [](auto& l) { return l.ends_with(" L"); }), 24);

  // Tilted so that depth grows with y: the last row of cells comes first.
  const Grid g = grid(3, 4, std::vector<double>(12, 0.5), true);
  set_geometry(v, cartesian(true, false, -30), ViewFrame{2, 3, 1, 0, 1}, 0);
  surfas(v, h, w, g);
  EXPECT_EQ(lines()[1], "450 1154 L");  // (0, 3) at height 0.5
  surfas(v, h, w, grid(1, 4, std::vector<double>(4, 0.5)));
  solid(v, w, grid(1, 4, std::vector<double>(4, 0.5)), 0, 1, 4, SolidLines{});
  surfas(v, h, w, grid(3, 1, std::vector<double>(3, 0.5)));
  v.geometry = Geometry::kUndefined;
  surfas(v, h, w, g);
  solid(v, w, g, 0, 1, 4, SolidLines{});
  EXPECT_EQ(lines(), Lines{});
}

TEST_F(SurfaceTest, ASurfaceDrawnAgainShowsOnlyPiecesOfItsOutline) {
  const Grid g = grid(8, 8, std::vector<double>(64));
  for (int k = 0; k < 64; ++k) values[k] = (k % 8 * 3 + k / 8 * 5) % 7 / 7.0;
  set_geometry(v, cartesian(false, true, 60, 30), ViewFrame{3, 3, 1.5, 0, 1}, 300);
  surfas(v, h, w, g);
  const size_t first = draws();
  const Horizon after_first = h;
  surfas(v, h, w, g);  // only pixels lying on the horizon pass
  const size_t again = draws();
  EXPECT_GT(again, 0u);
  EXPECT_LT(again, first);
  EXPECT_EQ(h.upper, after_first.upper);
  EXPECT_EQ(h.lower, after_first.lower);
  clear_work(h);
  surfas(v, h, w, g);
  EXPECT_EQ(draws(), first);
}

TEST_F(SurfaceTest, SolidFillsEachCellInItsColourAndEndsInBlack) {
  // Cell means 0, 1/2, 1/4, 3/4 in row order: of 5 colours 0, 2, 1, 3.
  const Grid g = grid(3, 3, {0, 0, 1, 0, 0, 1, 0, 1, 1});
  v.ylines = false;
  SolidLines window{.x_lo = 0, .x_hi = 1};  // black edges along x on the first column
  const std::regex keep("c0\\d{3}|CF S| CSM .* RGB");
  const auto kept = [&] {
    Lines out;
    for (const std::string& l : lines())
      if (std::regex_match(l, keep)) out.push_back(l);
    return out;
  };
  const std::string black = " CSM 0.00 0.00 0.00 RGB";
  default_colors(w);
  solid(v, w, g, 0, 1, 5, window);
  EXPECT_EQ(kept(), (Lines{"c0000", "CF S", black, "c0002", "CF S", "c0001", "CF S", black, "c0003",
                           "CF S", black}));
  window.x_hi = 2;  // one colour, selected again after each cell's black edges
  solid(v, w, g, 0, 1, 1, window);
  EXPECT_EQ(kept(), (Lines{"c0000", "CF S", black, "c0000", "CF S", black, "c0000", "CF S", black,
                           "c0000", "CF S", black}));
}

}  // namespace
}  // namespace vexal
