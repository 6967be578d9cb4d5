// The wire mesh with hidden lines removed and the shaded solid surface.
#include "threed/surface.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numeric>

#include "postscript/shapes.h"

namespace vexal {

namespace {

// A key that is no number sorts as the smallest, so that the order stays a
// strict weak one.
double sort_key(double k) { return std::isnan(k) ? -INFINITY : k; }

std::vector<size_t> ordered(const std::vector<double>& keys, bool descending) {
  std::vector<size_t> order(keys.size());
  std::iota(order.begin(), order.end(), size_t{0});
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
    return descending ? sort_key(keys[a]) > sort_key(keys[b])
                      : sort_key(keys[a]) < sort_key(keys[b]);
  });
  return order;
}

// A cell's four corners in the order P1 .. P4: (i, j), (i + 1, j),
// (i + 1, j + 1), (i, j + 1), 0-based.
constexpr std::array<int, 4> kCornerDi = {0, 1, 1, 0};
constexpr std::array<int, 4> kCornerDj = {0, 0, 1, 1};

struct Projected {
  std::array<double, 4> x, y, depth;
};

double value_at(const Grid& g, int i, int j) { return g.values[static_cast<size_t>(j) * g.nx + i]; }

// The corners of cell (i, j) (0-based) mapped and projected, at the base
// height z0 (`base`) or at their data heights.
Projected project_cell(const View& v, const Grid& g, int i, int j, bool base) {
  Projected p;
  for (int k = 0; k < 4; ++k) {
    const int ci = i + kCornerDi[k], cj = j + kCornerDj[k];
    std::array<double, 3> f;
    frame_point(v, g.x[ci], g.y[cj], base ? v.z0 : value_at(g, ci, cj), f);
    project(v, f, p.x[k], p.y[k], p.depth[k]);
  }
  return p;
}

// Every cell's key, in row order: the largest (or smallest) of its base
// corners' depths. One value per cell; each row of base depths is projected
// once and shared with the row of cells above it.
std::vector<double> cell_keys(const View& v, const Grid& g, bool largest) {
  const int nx = g.nx, ny = g.ny;
  std::vector<double> keys(static_cast<size_t>(nx - 1) * (ny - 1));
  std::vector<double> below(nx), above(nx);  // base depths of rows j and j + 1
  const auto row_depths = [&](int j, std::vector<double>& out) {
    for (int i = 0; i < nx; ++i) {
      std::array<double, 3> f;
      frame_point(v, g.x[i], g.y[j], v.z0, f);
      double px, py;
      project(v, f, px, py, out[i]);
    }
  };
  row_depths(0, below);
  for (int j = 0; j + 1 < ny; ++j) {
    row_depths(j + 1, above);
    for (int i = 0; i + 1 < nx; ++i) {
      const std::array<double, 4> d = {below[i], below[i + 1], above[i + 1], above[i]};
      keys[static_cast<size_t>(j) * (nx - 1) + i] =
          largest ? *std::max_element(d.begin(), d.end()) : *std::min_element(d.begin(), d.end());
    }
    std::swap(below, above);
  }
  return keys;
}

// The corner of largest base depth, 0 .. 3; on ties the later corner.
int nearest_corner(const Projected& base) {
  int n = 0;
  for (int k = 1; k < 4; ++k)
    if (base.depth[k] >= base.depth[n]) n = k;
  return n;
}

// The mesh's edges: nx x (ny - 1) along y, then (nx - 1) x ny along x.
size_t edge_count(const Grid& g) {
  return static_cast<size_t>(g.nx) * (g.ny - 1) + static_cast<size_t>(g.nx - 1) * g.ny;
}

// The index of the edge from corner a to corner b (0 .. 3, P1 .. P4) of
// cell (i, j): the same for both cells that share it.
size_t edge_index(const Grid& g, int i, int j, int a, int b) {
  const size_t nx = static_cast<size_t>(g.nx), ny = static_cast<size_t>(g.ny);
  if (kCornerDi[a] == kCornerDi[b])  // along y, in column i or i + 1 from row j
    return static_cast<size_t>(j) * nx + static_cast<size_t>(i + kCornerDi[a]);
  return nx * (ny - 1) + static_cast<size_t>(j + kCornerDj[a]) * (nx - 1) + static_cast<size_t>(i);
}

}  // namespace

std::vector<size_t> mesh_order(const std::vector<double>& keys) { return ordered(keys, true); }

std::vector<size_t> solid_order(const std::vector<double>& keys) { return ordered(keys, false); }

void surfas(View& v, Horizon& h, PsWriter& w, const Grid& g) {
  if (g.nx < 2 || g.ny < 2) return;
  v.x0 = g.x[0];
  v.x1 = g.x[g.nx - 1];
  v.y0 = g.y[0];
  v.y1 = g.y[g.ny - 1];
  std::array<double, 3> f;
  if (!frame_point(v, v.x0, v.y0, v.z0, f)) return;

  // Compact, each segment is drawn once. Drawn plainly, an edge two cells
  // share is left out the second time. Against the horizon every edge is
  // still walked, since the second walk of an edge may draw a shorter
  // stretch (its ends rounded to other pixels) than the first: only the
  // stretches drawn before are left out (Horizon::draw_once).
  std::vector<bool> drawn;  // by edge_index
  const bool plain_once = w.compact && v.nohide;
  if (plain_once) drawn.assign(edge_count(g), false);
  h.draw_once = w.compact && !v.nohide;
  int i = 0, j = 0;  // the cell being drawn
  const auto edge = [&](const Projected& p, int a, int b) {
    if (plain_once) {
      const size_t id = edge_index(g, i, j, a, b);
      if (drawn[id]) return;
      drawn[id] = true;
    }
    if (v.nohide) {
      moveto(w, p.x[a], p.y[a]);
      drawto(w, p.x[b], p.y[b]);
    } else {
      hddrw(h, w, v.resolution, {p.x[a], p.y[a]}, {p.x[b], p.y[b]}, Raise::kYes);
    }
  };
  const size_t per_row = static_cast<size_t>(g.nx - 1);  // cells
  for (size_t cell : mesh_order(cell_keys(v, g, true))) {
    i = static_cast<int>(cell % per_row);
    j = static_cast<int>(cell / per_row);
    const int nearest = nearest_corner(project_cell(v, g, i, j, true));
    const Projected p = project_cell(v, g, i, j, false);
    // Corners 0 .. 3 are P1 .. P4: the edges along y are P1-P4 and P2-P3,
    // along x P1-P2 and P4-P3.
    if (v.ylines) {
      const bool first = nearest == 0 || nearest == 3;
      edge(p, first ? 0 : 1, first ? 3 : 2);
      edge(p, first ? 1 : 0, first ? 2 : 3);
    }
    if (v.xlines) {
      const bool first = nearest == 0 || nearest == 1;
      edge(p, first ? 0 : 3, first ? 1 : 2);
      edge(p, first ? 3 : 0, first ? 2 : 1);
    }
  }
  h.draw_once = false;
  h.drawn = {};  // its memory is the mesh's
}

void solid(View& v, PsWriter& w, const Grid& g, double zmin, double zmax, int ncolors,
           const SolidLines& lines) {
  if (g.nx < 2 || g.ny < 2) return;
  v.x0 = g.x[0];
  v.x1 = g.x[g.nx - 1];
  v.y0 = g.y[0];
  v.y1 = g.y[g.ny - 1];
  std::array<double, 3> f;
  if (!frame_point(v, g.x[0], g.y[0], v.z0, f)) return;

  set_forecolor(w, 0);
  int selected = 0;  // the table colour in force, -1 after black lines
  const size_t per_row = static_cast<size_t>(g.nx - 1);  // cells
  for (size_t cell : solid_order(cell_keys(v, g, false))) {
    const int i = static_cast<int>(cell % per_row), j = static_cast<int>(cell / per_row);
    const Projected p = project_cell(v, g, i, j, false);
    int colour = 0;
    if (ncolors > 1) {
      const double mean = (value_at(g, i, j) + value_at(g, i + 1, j) + value_at(g, i + 1, j + 1) +
                           value_at(g, i, j + 1)) /
                          4;
      const double k = std::round((mean - zmin) / (zmax - zmin) * (ncolors - 1));
      colour = std::isnan(k) ? 0 : static_cast<int>(std::clamp(k, 0.0, ncolors - 1.0));
    }
    if (colour != selected) {
      set_forecolor(w, colour);
      selected = colour;
    }
    filled_region(w, p.x.data(), p.y.data(), 4);

    const auto within = [](double a, double b, double lo, double hi) {
      return std::min(a, b) >= lo && std::max(a, b) <= hi;
    };
    const bool along_x = v.xlines && within(g.x[i], g.x[i + 1], lines.x_lo, lines.x_hi);
    const bool along_y = v.ylines && within(g.y[j], g.y[j + 1], lines.y_lo, lines.y_hi);
    if (!along_x && !along_y) continue;
    setrgbcolor(w, 0, 0, 0);
    selected = -1;
    const auto edge = [&](int a, int b) {
      moveto(w, p.x[a], p.y[a]);
      drawto(w, p.x[b], p.y[b]);
    };
    if (along_x) {
      edge(0, 1);
      edge(3, 2);
    }
    if (along_y) {
      edge(0, 3);
      edge(1, 2);
    }
  }
  setrgbcolor(w, 0, 0, 0);
}

}  // namespace vexal
