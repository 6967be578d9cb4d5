// Contour lines by the cell walk, colour cells, the colour scale bar and the
// arrow field.
#include "threed/contour.h"

#include <algorithm>
#include <array>
#include <cassert>
#include <cfloat>
#include <cmath>
#include <numbers>
#include <numeric>
#include <optional>
#include <span>

#include "axes/numb.h"
#include "postscript/image_writer.h"
#include "postscript/shapes.h"
#include "threed/label_placement.h"
#include "threed/segment_join.h"
#include "util/axis_limits.h"

namespace vexal {

namespace {

// A level search adds the step at most this many times one by one; the rest
// of the way is covered by one multiplication. Normal steps never get near
// it, and a step too small to change the value cannot stall the search.
constexpr long kMaxAdditions = 1000000;
// Table colour of a missing value in the colour cells.
constexpr int kMissingColor = 255;

bool usable(double z) { return z >= kUnsetBelow && z <= DBL_MAX; }  // false also for NaN

// Adds a positive step to r until r >= target, as repeated addition would.
double advance(double r, double target, double step) {
  for (long k = 0; r < target; ++k) {
    if (k == kMaxAdditions) {
      const double next = r + std::ceil((target - r) / step) * step;
      return std::isfinite(next) ? next : target;
    }
    r += step;
  }
  return r;
}

// The automatic step: a 1, 2 or 5 times a power of ten giving at least 9
// steps across the range. The power comes from log10 of the range taken to
// single precision and truncated toward zero, as the step has always been
// chosen.
double automatic_step(double range) {
  const float decade = static_cast<float>(std::log10(range));
  const double base = std::pow(10.0, std::trunc(static_cast<double>(decade)));
  for (double divisor : {1.0, 2.0, 5.0, 10.0, 20.0}) {
    const double step = base / divisor;
    if (range / step >= 9) return step;
  }
  return base / 50;
}

// Cell sizes along one axis: n - 1 steps of the coordinates scaled to span `length`.
void axis_sizes(const double* c, int n, double length, std::vector<double>& out) {
  out.clear();
  if (n < 2) return;
  const double scale = length / (c[n - 1] - c[0]);
  for (int i = 0; i + 1 < n; ++i) out.push_back(scale * (c[i + 1] - c[i]));
}

// Sets the frame's X and Y corners to the grid's first and last coordinates.
void set_corners(View& v, const Grid& g) {
  v.x0 = g.x[0];
  v.x1 = g.x[g.nx - 1];
  v.y0 = g.y[0];
  v.y1 = g.y[g.ny - 1];
}

// The distance of point p from the segment a-b.
double distance(PagePoint p, PagePoint a, PagePoint b) {
  const double dx = b.x - a.x, dy = b.y - a.y;
  const double length2 = dx * dx + dy * dy;
  double t = length2 > 0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / length2 : 0;
  t = std::clamp(t, 0.0, 1.0);
  return std::hypot(p.x - (a.x + t * dx), p.y - (a.y + t * dy));
}

// The cell walk of one grid, set up once for all its levels: the cells'
// lower-left corners, and for each row of cells the range of its usable
// values so that rows a level misses are passed over whole.
//
// Each cell draws its own pieces. `joined`, a level's segments are collected
// instead and drawn as polylines through the ends they share, then its
// labels; see draw_joined.
class ContourWalk {
 public:
  ContourWalk(View& v, Horizon& h, PsWriter& w, TextState& t, const TextContext& c, const Grid& g,
              const ContourStyle& style, bool joined)
      : joined_(joined),
        v_(v),
        h_(h),
        w_(w),
        t_(t),
        g_(g),
        style_(style),
        label_pen_(c.pen),
        label_ctx_{label_pen_, c.sup, c.compat_level, c.substitute_ctx, c.substitute} {
    label_pen_.text_color = style.label_color;
    cell_sizes(g, v.lx, v.ly, widths_, heights_);
    xt_.resize(widths_.size());
    yt_.resize(heights_.size());
    double sum = 0;
    for (size_t i = 0; i < widths_.size(); ++i) {
      xt_[i] = sum;
      sum += widths_[i];
    }
    sum = 0;
    for (size_t j = 0; j < heights_.size(); ++j) {
      yt_[j] = sum;
      sum += heights_[j];
    }
    const size_t nx = static_cast<size_t>(g.nx);
    row_lo_.assign(heights_.size(), INFINITY);
    row_hi_.assign(heights_.size(), -INFINITY);
    for (size_t j = 0; j < heights_.size(); ++j) {
      for (size_t k = j * nx; k < (j + 2) * nx; ++k) {
        const double z = g.values[k];
        if (!usable(z)) continue;
        row_lo_[j] = std::min(row_lo_[j], z);
        row_hi_[j] = std::max(row_hi_[j], z);
      }
    }
    label_every_ = std::max(1L, static_cast<long>(std::sqrt(1.5 * g.nx * g.ny)));
  }
  // Not copied: label_ctx_ refers to this walk's own label_pen_.
  ContourWalk(const ContourWalk&) = delete;
  ContourWalk& operator=(const ContourWalk&) = delete;

  // Draws the lines of one level.
  void level(double r) {
    count_ = 0;
    if (joined_) {
      segments_.clear();
      labels_.clear();
    }
    const size_t nx = static_cast<size_t>(g_.nx);
    for (size_t j = 0; j < heights_.size(); ++j) {
      if (!(r >= row_lo_[j] && r <= row_hi_[j])) continue;
      const double* below = g_.values + j * nx;
      const double* above = below + nx;
      for (size_t i = 0; i + 1 < nx; ++i)
        cell(r, below[i], below[i + 1], above[i + 1], above[i], xt_[i], yt_[j], widths_[i],
             heights_[j]);
    }
    if (joined_) draw_joined(r);
  }

 private:
  // The crossings of level r with the cell of corners a (lower left), b,
  // c, d (anticlockwise), lower-left corner (xt, yt), in frame inches. The
  // diagonal from a to c splits the cell in two triangles.
  void cell(double r, double a, double b, double c, double d, double xt, double yt, double width,
            double height) {
    if (!(usable(a) && usable(b) && usable(c) && usable(d))) return;
    const double lo = std::min(std::min(a, b), std::min(c, d));
    const double hi = std::max(std::max(a, b), std::max(c, d));
    if (lo == hi || !(r >= lo && r <= hi)) return;
    const bool sa = r - a >= 0, sb = r - b >= 0, sc = r - c >= 0, sd = r - d >= 0;
    pen_ = PenCode::kMove;
    if (sa != sb) point(xt + (r - a) / (b - a) * width, yt, r, false);
    if (sb != sc) point(xt + width, yt + (r - b) / (c - b) * height, r, false);
    if (sc == sa) {
      pen_ = PenCode::kMove;
    } else {
      const double t = (r - a) / (c - a);
      point(xt + t * width, yt + t * height, r, false);
      point(xt + t * width, yt + t * height, r, true);
    }
    if (sd != sa) point(xt, yt + (r - a) / (d - a) * height, r, true);
    if (sc != sd) point(xt + (r - d) / (c - d) * width, yt + height, r, true);
  }

  // Draws to (or moves to) one crossing; at a labelling point, every
  // label_every_-th crossing of the level gets the level written on it.
  void point(double fx, double fy, double r, bool labelling) {
    if (joined_) {
      PagePoint p;
      base_page_point(v_, fx, fy, p);
      if (pen_ == PenCode::kDraw) segments_.add(last_, p);
      last_ = p;
    } else {
      rdplot(v_, h_, w_, fx, fy, pen_);
    }
    pen_ = PenCode::kDraw;
    if (labelling && style_.annotate && !style_.clear_labels && (count_ - 4) % label_every_ == 0) {
      if (joined_) {
        labels_.push_back({last_, segments_.size()});
      } else {
        label({v_.wx, v_.wy}, r);
        dplot(v_, h_, w_, v_.wx, v_.wy, PenCode::kMove);
      }
    }
    ++count_;
  }

  // Writes the level on the line at p, at `angle` (the labels' own angle
  // when not given), then selects the line colour again.
  void label(PagePoint p, double r, std::optional<double> angle = std::nullopt) {
    const TextPlace place{p.x, p.y, style_.label_size, angle.value_or(style_.label_angle),
                          "CENTER"};
    numb(t_, w_, label_ctx_, place, r, 3);
    setrgbcolor(w_, style_.line_color.r, style_.line_color.g, style_.line_color.b);
  }

  // A label of a joined level: where it stands and how many of the level's
  // segments were walked before it.
  struct Label {
    PagePoint at;
    size_t after;
  };

  // Draws a level's joined lines and then its labels. Cell by cell, a label
  // lay under the segments walked after it and over those walked before;
  // since the lines do not raise the horizon, the order they are drawn in
  // changes no pixel but at the joins. So the polylines go first, and when
  // the labels are written in a colour of their own (one colour needs no
  // order), each label is followed by the segments walked after it that
  // come near enough to touch its glyphs, drawn again over it.
  void draw_joined(double r) {
    segments_.join();
    if (style_.annotate && style_.clear_labels) {
      draw_clear(r);
    } else {
      for (size_t k = 0; k < segments_.polylines(); ++k) draw_polyline(segments_.polyline(k));
      const Rgb &a = style_.label_color, &b = style_.line_color;
      const bool own_colour = a.r != b.r || a.g != b.g || a.b != b.b;
      by_x_.clear();
      for (const Label& l : labels_) {
        label(l.at, r);
        if (own_colour) redraw_near(l, label_reach(r));
      }
    }
    if (count_ > 0) {  // where the pen calls of the walk would have left the view
      v_.wx = v_.px = last_.x;
      v_.wy = v_.py = last_.y;
    }
  }

  // ANNOTATEC CLEAR: each line of the level with labels placed along it,
  // clear of the frame and of every label of the drawing so far, and cut
  // where they stand; then the labels, turned along the lines.
  void draw_clear(double r) {
    LabelLayout layout;
    layout.height = style_.label_size;
    layout.length = rnumbl(t_, label_ctx_, layout.height, r, 3);
    layout.spacing = style_.label_spacing;
    const double corners[4][2] = {{0, 0}, {v_.lx, 0}, {v_.lx, v_.ly}, {0, v_.ly}};
    for (int k = 0; k < 4; ++k) base_page_point(v_, corners[k][0], corners[k][1], layout.frame[k]);
    placed_.clear();
    for (size_t k = 0; k < segments_.polylines(); ++k) {
      const std::span<const PagePoint> line = segments_.polyline(k);
      const size_t first = placed_.size();
      for (const PlacedLabel& l : place_labels(line, layout, taken_)) placed_.push_back(l);
      for (const auto& piece : cut_line(line, std::span(placed_).subspan(first)))
        draw_polyline(piece);
    }
    // The text's middle on the line: its baseline half a height below, across it.
    const double h = layout.height / 2;
    for (const PlacedLabel& l : placed_)
      label({l.box.centre.x + h * l.box.uy, l.box.centre.y - h * l.box.ux}, r, l.angle);
  }

  // Draws the lines between the points against the horizon, which they
  // leave as it was.
  void draw_polyline(std::span<const PagePoint> line) {
    for (size_t i = 1; i < line.size(); ++i)
      hddrw(h_, w_, v_.resolution, line[i - 1], line[i], Raise::kNo, Direction::kFromStart);
  }

  // How far from its point a label of level r can reach (inches): half its
  // length, one and a half font heights across any angle, the line's width
  // and the horizon's rounding of the segment ends. Generous on purpose: a
  // segment drawn again needlessly changes nothing.
  double label_reach(double r) {
    const double length = rnumbl(t_, label_ctx_, style_.label_size, r, 3);
    return length / 2 + 1.5 * t_.font_size / w_.scale + w_.width / w_.scale + 2 / v_.resolution;
  }

  // Draws again, in the order walked, the segments walked after the label
  // that come within `reach` of its point.
  void redraw_near(const Label& l, double reach) {
    if (by_x_.empty()) sort_by_x();
    const auto lo = std::lower_bound(by_x_.begin(), by_x_.end(), l.at.x - reach - widest_,
                                     [&](uint32_t k, double x) { return left(k) < x; });
    near_.clear();
    for (auto it = lo; it != by_x_.end() && left(*it) <= l.at.x + reach; ++it)
      if (*it >= l.after && distance(l.at, segments_.from(*it), segments_.to(*it)) <= reach)
        near_.push_back(*it);
    std::sort(near_.begin(), near_.end());
    for (uint32_t k : near_)
      hddrw(h_, w_, v_.resolution, segments_.from(k), segments_.to(k), Raise::kNo);
  }

  double left(uint32_t k) const { return std::min(segments_.from(k).x, segments_.to(k).x); }

  // The level's segments ordered by their left ends, and the widest of them.
  void sort_by_x() {
    by_x_.resize(segments_.size());
    std::iota(by_x_.begin(), by_x_.end(), uint32_t{0});
    std::sort(by_x_.begin(), by_x_.end(),
              [&](uint32_t a, uint32_t b) { return left(a) < left(b); });
    widest_ = 0;
    for (uint32_t k : by_x_)
      widest_ = std::max(widest_, std::abs(segments_.to(k).x - segments_.from(k).x));
  }

  bool joined_;
  View& v_;
  Horizon& h_;
  PsWriter& w_;
  TextState& t_;
  const Grid& g_;
  const ContourStyle& style_;
  PenSettings label_pen_;  // the caller's, with the label colour as text colour
  TextContext label_ctx_;
  std::vector<double> widths_, heights_, xt_, yt_;  // frame inches
  std::vector<double> row_lo_, row_hi_;             // usable values of each row of cells
  long label_every_ = 1;
  long count_ = 0;  // crossings drawn at the level so far
  PenCode pen_ = PenCode::kMove;
  // Joined levels: the level's segments and labels, and the last crossing.
  // Kept from level to level to avoid allocations per level.
  SegmentJoin segments_;
  std::vector<Label> labels_;
  PagePoint last_;
  std::vector<uint32_t> by_x_, near_;  // segments by left end; those near a label
  std::vector<LabelBox> taken_;        // ANNOTATEC CLEAR: the labels of every level so far
  std::vector<PlacedLabel> placed_;    // and those of the level being drawn
  double widest_ = 0;                  // the largest x extent of a segment
};

// Sets up the walk of a grid: false (nothing to draw) when it has fewer than
// 2 x 2 nodes, an axis of no or unbounded extent, or the view no geometry.
bool walkable(View& v, const Grid& g) {
  if (g.nx < 2 || g.ny < 2) return false;
  set_corners(v, g);
  const double xspan = v.x1 - v.x0, yspan = v.y1 - v.y0;
  if (!(xspan != 0 && std::isfinite(xspan) && yspan != 0 && std::isfinite(yspan))) return false;
  std::array<double, 3> f;
  return frame_point(v, v.x0, v.y0, v.z0, f);
}

int color_index(double z, const ColorRange& colors) {
  const double zmin = colors.zmin, zmax = colors.zmax;
  const int ncolors = colors.ncolors;
  if (z < kUnsetBelow || std::isnan(z)) return kMissingColor;
  if (ncolors < 2 || zmin == zmax || !std::isfinite(zmin) || !std::isfinite(zmax)) return 0;
  const double k = std::round((z - zmin) / (zmax - zmin) * (ncolors - 1));
  return std::isnan(k) ? 0 : static_cast<int>(std::clamp(k, 0.0, ncolors - 1.0));
}

// The flat Cartesian view: the frame lies on the page unturned.
bool flat_view(const View& v) {
  return v.geometry == Geometry::kCartesian && std::abs(v.zangle) < 1 && std::abs(v.yangle) < 1 &&
         std::abs(v.xangle) < 1;
}

// --compact: the flat view's colour cells (the strokes concol writes, of
// widths cw and heights ch) as one image, the pen left where the strokes
// leave it. False (nothing written) when the frame is turned at all or the
// cells, as the strokes cover them, are not of one size (half cells at the
// ends aside).
bool flat_cells_as_image(const View& v, PsWriter& w, const Grid& g, const std::vector<double>& cw,
                         const std::vector<double>& ch, const ColorRange& range) {
  constexpr std::array<std::array<double, 3>, 3> kUnturned{{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
  if (!flat_view(v) || v.upright || v.rot != kUnturned) return false;
  const size_t nx = cw.size(), ny = ch.size();
  // Unturned, a page point's x comes from the frame's x alone, and its y
  // from the frame's y.
  const auto page = [&](double fx, double fy, double& px, double& py) {
    double depth;
    project(v, {fx, fy, 0}, px, py, depth);
  };
  CellBands b;
  b.x_lo.reserve(nx);
  b.x_hi.reserve(nx);
  b.y_lo.reserve(ny);
  b.y_hi.reserve(ny);
  double xs = 0, px, py;
  for (size_t i = 0; i < nx; ++i) {
    page(xs, 0, px, py);
    b.x_lo.push_back(device_x(w, px));
    xs += cw[i];
    page(xs, 0, px, py);
    b.x_hi.push_back(device_x(w, px));
  }
  // Each row is a stroke at its middle, as thick as the row and 0.01 inch
  // more, the width changing only as thickpen changes it.
  double width = w.width, yc = 0;
  int first_y = 0;
  for (size_t j = 0; j < ny; ++j) {
    yc = j == 0 ? ch[0] / 2 : yc + (ch[j - 1] + ch[j]) / 2;
    width = thickpen_width(w, width, ch[j] + 0.01);
    page(0, yc, px, py);
    const int centre = device_y(w, py);
    if (j == 0) first_y = centre;
    const double half = pen_width_units(width) / 2.0;
    b.y_lo.push_back(centre - half);
    b.y_hi.push_back(centre + half);
  }
  double end_x, end_y;
  page(xs, yc, end_x, end_y);
  b.lines = {static_cast<int>(b.x_lo[0]), first_y, device_x(w, end_x), device_y(w, end_y)};
  std::vector<uint8_t> indices(nx * ny);
  for (size_t k = 0; k < nx * ny; ++k)
    indices[k] = static_cast<uint8_t>(color_index(g.values[k], range));
  if (!write_cell_image(w, b, indices.data())) return false;
  moveto(w, end_x, end_y);
  return true;
}

}  // namespace

ContourLevels contour_levels(double zmin, double zmax, double step) {
  ContourLevels out;
  if (!std::isfinite(zmin) || !std::isfinite(zmax) || !std::isfinite(step)) return out;
  if (zmax == zmin) return out;
  if (step == 0) {
    // Data given upside down take the step of their range's magnitude.
    const double range = std::abs(zmax - zmin);
    if (!std::isfinite(range)) return out;
    step = automatic_step(range);
  }
  out.step = step;
  // The searches below move away from their targets with a negative step:
  // such a step gives levels only when no search has to move (zmin = 0,
  // zmax <= 0).
  double first = 0, last = 0;
  if (step > 0) {
    if (zmin > 0) first = advance(first, zmin, step);
    if (zmin < first) first = -advance(-first, -zmin, step);  // subtracting the step
    last = advance(first, zmax, step);
  } else if (zmin != 0 || zmax > 0) {
    return out;
  }
  if ((step > 0 && first > last) || (step < 0 && first < last)) return out;
  const double n = std::trunc((last - first) / step);
  out.first = first;
  if (n >= kMaxContourLevels) {
    out.count = kMaxContourLevels;
    out.capped = true;
  } else {
    out.count = static_cast<long>(n) + 1;
  }
  return out;
}

void cell_sizes(const Grid& g, double lx, double ly, std::vector<double>& widths,
                std::vector<double>& heights) {
  axis_sizes(g.x, g.nx, lx, widths);
  axis_sizes(g.y, g.ny, ly, heights);
}

ContourLevels one_level(double level) {
  ContourLevels out;
  out.first = level;
  out.count = 1;
  return out;
}

void contr(View& v, Horizon& h, PsWriter& w, TextState& t, const TextContext& c, const Grid& g,
           const ContourStyle& style) {
  const ContourLevels& levels = style.levels;
  if (levels.count == 0 || !walkable(v, g)) return;
  setrgbcolor(w, style.line_color.r, style.line_color.g, style.line_color.b);
  // Joined lines only in the flat frame: in a turned view a level keeps
  // its cell order.
  ContourWalk walk(v, h, w, t, c, g, style,
                   (w.compact && flat_view(v)) || (style.annotate && style.clear_labels));
  double r = levels.first;
  for (long k = 0; k < levels.count; ++k) {
    walk.level(r);
    r += levels.step;
  }
}

void concol(View& v, PsWriter& w, const Grid& g, const std::vector<double>& widths,
            const std::vector<double>& heights, const ColorRange& colors) {
  if (g.nx < 1 || g.ny < 1) return;
  const size_t nx = static_cast<size_t>(g.nx), ny = static_cast<size_t>(g.ny);
  assert(widths.size() >= nx && heights.size() >= ny);
  set_corners(v, g);
  std::array<double, 3> f;
  if (!frame_point(v, v.x0, v.y0, v.z0, f)) return;
  // The end cells reach only inward from their nodes.
  std::vector<double> cw(widths.begin(), widths.begin() + g.nx);
  std::vector<double> ch(heights.begin(), heights.begin() + g.ny);
  cw.front() /= 2;
  cw.back() /= 2;
  ch.front() /= 2;
  ch.back() /= 2;

  if (w.compact && flat_cells_as_image(v, w, g, cw, ch, colors)) {
    setrgbcolor(w, 0, 0, 0);
    return;
  }

  int selected = -1;
  const auto select = [&](int colour) {
    if (colour == selected) return;
    set_forecolor(w, colour);
    selected = colour;
  };
  const auto page = [&](double fx, double fy, double fz, double& px, double& py) {
    double depth;
    project(v, {fx, fy, fz}, px, py, depth);
  };

  if (flat_view(v)) {
    const double before = w.width;
    double yc = ch[0] / 2;
    for (size_t j = 0; j < ny; ++j) {
      if (j > 0) yc += (ch[j - 1] + ch[j]) / 2;
      thickpen(w, ch[j] + 0.01);
      double xs = 0;
      for (size_t i = 0; i < nx; ++i) {
        select(color_index(g.values[j * nx + i], colors));
        double px, py;
        page(xs, yc, 0, px, py);
        moveto(w, px, py);
        xs += cw[i];
        page(xs, yc, 0, px, py);
        drawto(w, px, py);
      }
    }
    thickpen(w, before / w.res);
  } else {
    // Frame inches back to data through the frame's corners, then mapped and
    // turned as any point at the frame's base.
    const auto corner = [&](double fx, double fy, double& px, double& py) {
      const double x = v.x0 + (v.x1 - v.x0) * fx / v.lx;
      const double y = v.y0 + (v.y1 - v.y0) * fy / v.ly;
      std::array<double, 3> p;
      frame_point(v, x, y, v.z0, p);
      page(p[0], p[1], p[2], px, py);
    };
    double yb = 0;
    for (size_t j = 0; j < ny; ++j) {
      double xs = 0;
      for (size_t i = 0; i < nx; ++i) {
        const int colour = color_index(g.values[j * nx + i], colors);
        select(colour);
        std::array<double, 4> px, py;
        corner(xs, yb, px[0], py[0]);
        corner(xs + cw[i], yb, px[1], py[1]);
        corner(xs + cw[i], yb + ch[j], px[2], py[2]);
        corner(xs, yb + ch[j], px[3], py[3]);
        xs += cw[i];
        const bool on_page =
            std::all_of(px.begin(), px.end(), [](double a) { return std::isfinite(a); }) &&
            std::all_of(py.begin(), py.end(), [](double a) { return std::isfinite(a); });
        if (colour != kMissingColor && on_page) filled_region(w, px.data(), py.data(), 4);
      }
      yb += ch[j];
    }
  }
  setrgbcolor(w, 0, 0, 0);
}

void color_scale(PsWriter& w, double xlen, double zlen, double zoom, int ncolors, int outline) {
  if (ncolors >= 2) {
    const bool across = xlen >= zlen;
    const double length = across ? xlen : zlen, breadth = across ? zlen : xlen;
    const double mid = breadth / 2, step = length / (ncolors - 1);
    const auto stroke = [&](double from, double to) {
      if (across) {
        moveto(w, from, mid);
        drawto(w, to, mid);
      } else {
        moveto(w, mid, from);
        drawto(w, mid, to);
      }
    };
    thickpen(w, breadth * zoom);
    for (int k = 0; k < ncolors; ++k) {
      set_forecolor(w, k);
      const double from = k == 0 ? 0 : (k - 0.5) * step;
      const double to = k == ncolors - 1 ? length : (k + 0.5) * step;
      stroke(from, to);
    }
  }
  setrgbcolor(w, 0, 0, 0);
  newpen(w, outline);
  moveto(w, 0, 0);
  drawto(w, xlen, 0);
  drawto(w, xlen, zlen);
  drawto(w, 0, zlen);
  drawto(w, 0, 0);
}

bool vectr(PsWriter& w, const Grid& u, const double* v, double xlength, double ylength,
           double vlen) {
  const size_t nx = u.nx > 0 ? static_cast<size_t>(u.nx) : 0;
  const size_t ny = u.ny > 0 ? static_cast<size_t>(u.ny) : 0;
  double vmax = 0;
  for (size_t k = 0; k < nx * ny; ++k) {
    const double m = std::hypot(u.values[k], v[k]);
    if (std::isfinite(m)) vmax = std::max(vmax, m);
  }
  if (vmax == 0) return false;
  // A node's position along an axis; an axis of one node or no extent puts
  // every node at 0.
  const auto along = [](const double* c, size_t n, size_t i, double length) {
    const double span = n > 1 ? c[n - 1] - c[0] : 0;
    return span != 0 && std::isfinite(span) ? (c[i] - c[0]) / span * length : 0.0;
  };
  for (size_t j = 0; j < ny; ++j) {
    const double y = along(u.y, ny, j, ylength);
    for (size_t i = 0; i < nx; ++i) {
      const double du = u.values[j * nx + i], dv = v[j * nx + i];
      if (!std::isfinite(du) || !std::isfinite(dv) || (du == 0 && dv == 0)) continue;
      const double length = std::hypot(du, dv) / vmax * vlen;
      if (length == 0 || !std::isfinite(length)) continue;
      const double angle = std::atan2(dv, du) * (180 / std::numbers::pi);
      arrow(w, along(u.x, nx, i, xlength), y, length, 0.05 * length, 0.33 * length, angle);
    }
  }
  return true;
}

}  // namespace vexal
