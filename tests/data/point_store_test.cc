// The point store's operations keep the seven columns of every point together.
#include "data/point_store.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace vexal {
namespace {

// Each point as "x y z v symbol pen colour", so that a column left behind shows.
std::vector<std::vector<double>> rows(const PointStore& st) {
  std::vector<std::vector<double>> out;
  for (size_t i = 0; i < st.x.size(); ++i)
    out.push_back({st.x[i], st.y[i], st.z[i], st.v[i], static_cast<double>(st.symbol[i]),
                   static_cast<double>(st.pen[i]), static_cast<double>(st.colour[i])});
  return out;
}

TEST(PointStoreTest, SortResizeAndClearKeepPointsWhole) {
  PointStore st;
  const double nan = std::nan("");
  st.append({3, 30, 1, 0, 4, 2, 7});
  st.append({nan, 99, 2, 5, -1, 0, -1});
  st.append({1, 10, 3, 0, 4, 2, 7});
  st.append({1, 11, 4, 6, 9, 3, 1});
  st.sort_by_x();  // equal X keep their order, NaN goes last
  std::vector<std::vector<double>> want = {
      {1, 10, 3, 0, 4, 2, 7}, {1, 11, 4, 6, 9, 3, 1}, {3, 30, 1, 0, 4, 2, 7}};
  std::vector<std::vector<double>> got = rows(st);
  ASSERT_EQ(got.size(), 4u);
  EXPECT_TRUE(std::isnan(got[3][0]));
  EXPECT_EQ(got[3][1], 99);
  got.pop_back();
  EXPECT_EQ(got, want);

  st.resize(2);
  want.pop_back();
  EXPECT_EQ(rows(st), want);
  st.resize(3);  // a new point: zero, no marker, pen up, no colour
  want.push_back({0, 0, 0, 0, -1, 0, -1});
  EXPECT_EQ(rows(st), want);
  EXPECT_EQ(st.npts(), 3);

  st.npts_skipped = 5;
  st.clear();
  EXPECT_EQ(st.npts(), 0);
  EXPECT_EQ(st.npts_skipped, 0);
  EXPECT_TRUE(rows(st).empty());
}

}  // namespace
}  // namespace vexal
