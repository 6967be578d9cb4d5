// The point store's operations on all seven columns at once.
#include "data/point_store.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <vector>

namespace vexal {

void PointStore::clear() {
  x.clear();
  y.clear();
  z.clear();
  v.clear();
  symbol.clear();
  pen.clear();
  colour.clear();
  npts_skipped = 0;
}

void PointStore::trim() {
  const size_t n =
      std::min({x.size(), y.size(), z.size(), v.size(), symbol.size(), pen.size(), colour.size()});
  // Shrinking allocates nothing: the fill values are never written.
  x.resize(n);
  y.resize(n);
  z.resize(n, 0.0);
  v.resize(n, 0.0);
  symbol.resize(n, -1);
  pen.resize(n, 0);
  colour.resize(n, -1);
}

void PointStore::resize(int n) {
  const size_t size = static_cast<size_t>(std::clamp(n, 0, kMaxPoints));
  try {
    x.resize(size, 0.0);
    y.resize(size, 0.0);
    z.resize(size, 0.0);
    v.resize(size, 0.0);
    symbol.resize(size, -1);
    pen.resize(size, 0);
    colour.resize(size, -1);
  } catch (const std::bad_alloc&) {
    trim();
    throw;
  }
}

void PointStore::append(const Point& p) {
  try {
    x.push_back(p.x);
    y.push_back(p.y);
    z.push_back(p.z);
    v.push_back(p.v);
    symbol.push_back(p.symbol);
    pen.push_back(p.pen);
    colour.push_back(p.colour);
  } catch (const std::bad_alloc&) {
    trim();
    throw;
  }
}

void PointStore::sort_by_x() {
  const size_t n = x.size();
  std::vector<size_t> order(n);
  for (size_t i = 0; i < n; ++i) order[i] = i;
  // NaN sorts last, so that the comparison stays a strict order.
  auto before = [](double a, double b) { return !std::isnan(a) && (std::isnan(b) || a < b); };
  std::stable_sort(order.begin(), order.end(),
                   [&](size_t a, size_t b) { return before(x[a], x[b]); });
  const Column<double> old_x = x, old_y = y;
  for (size_t i = 0; i < n; ++i) {
    x[i] = old_x[order[i]];
    y[i] = old_y[order[i]];
  }
  z.permute(order);
  v.permute(order);
  symbol.permute(order);
  pen.permute(order);
  colour.permute(order);
}

namespace {

// The values of a column at `rows`, in a column of the same kind (an
// implicit one stays so while the values still follow its rule).
template <class C>
C selected(const C& column, std::span<const size_t> rows) {
  C out;
  for (size_t r : rows) out.push_back(column[r]);
  return out;
}

}  // namespace

void PointStore::select(std::span<const size_t> rows) {
  // Made apart and then swapped in, so that running out of memory part-way
  // leaves the points as they were.
  Column<double> new_x = selected(x, rows), new_y = selected(y, rows);
  ImplicitColumn<double> new_z = selected(z, rows), new_v = selected(v, rows);
  ImplicitColumn<int32_t> new_symbol = selected(symbol, rows), new_pen = selected(pen, rows),
                          new_colour = selected(colour, rows);
  x = std::move(new_x);
  y = std::move(new_y);
  z = std::move(new_z);
  v = std::move(new_v);
  symbol = std::move(new_symbol);
  pen = std::move(new_pen);
  colour = std::move(new_colour);
}

}  // namespace vexal
