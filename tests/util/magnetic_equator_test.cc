// The dip-equator table: the reference rows exactly, and between them a
// smooth curve with no new extremes and no sign changes but the two known.
#include "util/magnetic_equator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <utility>

namespace vexal {
namespace {

double entry(int lon) { return magnetic_equator_lat(lon); }

TEST(MagneticEquatorTest, ReferenceRowsAndLookup) {
  const std::pair<int, double> rows[] = {
      {0, 10.531},    {4, 10.559},    {30, 9.423},    {45, 8.023},   {57, 7.518},   {90, 8.496},
      {120, 8.165},   {150, 7.781},   {180, 2.869},   {198, 0.045},  {199, -0.072}, {240, -5.2},
      {270, -10.817}, {286, -12.704}, {300, -10.439}, {320, -0.233}, {321, 0.331},  {330, 4.862}};
  for (auto [lon, lat] : rows) EXPECT_DOUBLE_EQ(entry(lon), lat) << lon;
  EXPECT_DOUBLE_EQ(magnetic_equator_lat(-90), -10.817);
  EXPECT_DOUBLE_EQ(magnetic_equator_lat(450), 8.496);
  EXPECT_DOUBLE_EQ(magnetic_equator_lat(359.6), 10.531);
  EXPECT_DOUBLE_EQ(magnetic_equator_lat(0.49), 10.531);
  EXPECT_DOUBLE_EQ(magnetic_equator_lat(0.5), entry(1));
}

TEST(MagneticEquatorTest, SmoothWithoutNewExtremesOrSignChanges) {
  int sign_changes = 0;
  for (int lon = 0; lon <= 360; ++lon) {
    const double v = entry(lon);
    EXPECT_LE(v, 10.559) << lon;
    EXPECT_GE(v, -12.704) << lon;
    EXPECT_NEAR(std::round(v * 1000), v * 1000, 1e-6) << lon;  // three decimals
    if (lon > 0 && (v < 0) != (entry(lon - 1) < 0)) {
      ++sign_changes;
      EXPECT_TRUE(lon == 199 || lon == 321) << lon;
    }
  }
  EXPECT_EQ(sign_changes, 2);
  // Not the straight lines between the rows: the curve bends through 90 (a
  // local maximum), so its neighbours lie above the chords to 57 and 120.
  EXPECT_GT(entry(89), 8.496 - (8.496 - 7.518) / 33);
  EXPECT_GT(entry(91), 8.496 - (8.496 - 8.165) / 30);
  // And its steps stay small: no jumps between neighbouring degrees.
  for (int lon = 1; lon <= 360; ++lon) EXPECT_LT(std::fabs(entry(lon) - entry(lon - 1)), 0.7);
}

}  // namespace
}  // namespace vexal
