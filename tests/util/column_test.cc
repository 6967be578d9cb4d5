// Point columns: what an implicit column holds must always read back as the
// values given to it, whether it kept the rule or wrote the values out.
#include "util/column.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <vector>

namespace vexal {
namespace {

std::vector<uint64_t> bits(const std::vector<double>& v) {
  std::vector<uint64_t> out;
  for (double d : v) out.push_back(std::bit_cast<uint64_t>(d));
  return out;
}

template <class T>
std::vector<T> through_view(const ImplicitColumn<T>& c) {
  std::vector<T> out;
  const ColumnView<T> view = c.view();
  for (size_t i = 0; i < c.size(); ++i) out.push_back(view[i]);
  return out;
}

TEST(ImplicitColumnTest, ValuesReadBackExactly) {
  const double nan = std::nan("");
  struct Case {
    const char* name;
    std::vector<double> values;
    bool stays_implicit;
  };
  const Case kCases[] = {
      {"empty", {}, true},
      {"one value", {7}, true},
      {"constant", {0, 0, 0, 0}, true},
      {"record numbers", {3, 4, 5, 6, 7}, true},
      {"falling progression", {10, 8, 6, 4}, true},
      {"fractional step", {0.25, 0.5, 0.75, 1.0}, true},
      {"all NaN", {nan, nan, nan}, true},
      {"negative zero is not zero", {0.0, -0.0, 0.0}, false},
      {"a jump", {1, 2, 3, 5, 6}, false},
      {"constant, then a change", {2, 2, 2, 9}, false},
      {"NaN breaks a progression", {1, 2, nan, 4}, false},
      {"infinite steps are not kept", {1, HUGE_VAL, HUGE_VAL}, false},
      {"progression the rule cannot reproduce", {0.1, 0.2, 0.3}, false},
  };
  for (const Case& c : kCases) {
    ImplicitColumn<double> col;
    for (double v : c.values) col.push_back(v);
    EXPECT_EQ(col.implicit(), c.stays_implicit) << c.name;
    EXPECT_EQ(bits(col.values()), bits(c.values)) << c.name;
    EXPECT_EQ(bits(through_view(col)), bits(c.values)) << c.name;
    // Written out on request, the values are the same.
    const double* held = c.values.empty() ? nullptr : col.data();
    EXPECT_FALSE(col.implicit() && !c.values.empty()) << c.name;
    for (size_t i = 0; i < c.values.size(); ++i)
      EXPECT_EQ(std::bit_cast<uint64_t>(held[i]), std::bit_cast<uint64_t>(c.values[i])) << c.name;
  }
}

TEST(ImplicitColumnTest, IntegerColumnsKeepOnlyConstants) {
  ImplicitColumn<int32_t> c;
  for (int v : {4, 4, 4}) c.push_back(v);
  EXPECT_TRUE(c.implicit());
  c.push_back(5);  // 4, 4, 4, 5 is no constant
  EXPECT_FALSE(c.implicit());
  EXPECT_EQ(c.values(), (std::vector<int32_t>{4, 4, 4, 5}));

  ImplicitColumn<int32_t> steps;
  for (int v : {1, 2, 3}) steps.push_back(v);
  EXPECT_FALSE(steps.implicit());
  EXPECT_EQ(steps.values(), (std::vector<int32_t>{1, 2, 3}));
}

TEST(ImplicitColumnTest, RunsSetsResizesAndPermutations) {
  ImplicitColumn<double> z;
  z.append_run(1, 1, 1);  // a run of one fixes no step
  z.append_run(2, 1, 3);
  z.push_back(5);
  z.append_run(6, 1, 2);
  EXPECT_TRUE(z.implicit());
  EXPECT_EQ(z.values(), (std::vector<double>{1, 2, 3, 4, 5, 6, 7}));
  z.set(2, 3);  // the value it has: nothing to write
  EXPECT_TRUE(z.implicit());
  z.resize(4, 0);
  EXPECT_TRUE(z.implicit());
  EXPECT_EQ(z.values(), (std::vector<double>{1, 2, 3, 4}));
  z.resize(6, 0);  // zeros after a progression
  EXPECT_EQ(z.values(), (std::vector<double>{1, 2, 3, 4, 0, 0}));
  z.set(0, -1);
  EXPECT_EQ(z.values(), (std::vector<double>{-1, 2, 3, 4, 0, 0}));
  const std::vector<size_t> order = {5, 4, 3, 2, 1, 0};
  z.permute(order);
  EXPECT_EQ(z.values(), (std::vector<double>{0, 0, 4, 3, 2, -1}));
  z.clear();
  EXPECT_TRUE(z.implicit());
  EXPECT_TRUE(z.empty());
  z.append_run(5, 0, 3);  // a run that does not continue the rule
  z.append_run(6, 1, 2);
  EXPECT_EQ(z.values(), (std::vector<double>{5, 5, 5, 6, 7}));

  ImplicitColumn<int32_t> pen;
  pen.append_run(2, 0, 5);
  pen.set(3, 0);  // a break in the line
  EXPECT_EQ(pen.values(), (std::vector<int32_t>{2, 2, 2, 0, 2}));
  ImplicitColumn<int32_t> codes;
  codes.append_run(-1, 0, 4);
  codes.permute(std::vector<size_t>{3, 2, 1, 0});
  EXPECT_TRUE(codes.implicit());
  codes.resize(6, -1);
  EXPECT_TRUE(codes.implicit());
  EXPECT_EQ(codes.values(), (std::vector<int32_t>(6, -1)));
}

TEST(ColumnTest, ReservedColumnsDoNotMove) {
  Column<double> c;
  c.reserve(1000);
  const double* at = c.data();
  double* p = c.extend(600);
  for (int i = 0; i < 600; ++i) p[i] = i;
  c.resize(700, -1);
  for (int i = 0; i < 300; ++i) c.push_back(i);
  EXPECT_EQ(c.data(), at);
  EXPECT_EQ(c.size(), 1000u);
  EXPECT_EQ(c[599], 599);
  EXPECT_EQ(c[650], -1);
  Column<double> copy = c;
  c.resize(2);
  c.push_back(42);  // grows past nothing; the copy is its own
  EXPECT_EQ(copy.size(), 1000u);
  EXPECT_EQ(copy[2], 2);
  EXPECT_EQ(c[2], 42);
  for (int i = 0; i < 5000; ++i) c.push_back(i);  // beyond the reservation: moves, keeps values
  EXPECT_EQ(c[2], 42);
  EXPECT_EQ(c.back(), 4999);
}

}  // namespace
}  // namespace vexal
