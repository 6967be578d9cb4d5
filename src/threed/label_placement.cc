// Contour labels clear of each other and of the frame.
#include "threed/label_placement.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace vexal {
namespace {

// Room around a label's text, as a part of its height: the gap in the line
// at each end and the margin kept from other labels and the frame.
constexpr double kPad = 0.25;

// The lengths along the polyline to each of its points.
std::vector<double> lengths_along(std::span<const PagePoint> line) {
  std::vector<double> at(line.size(), 0);
  for (size_t i = 1; i < line.size(); ++i)
    at[i] = at[i - 1] + std::hypot(line[i].x - line[i - 1].x, line[i].y - line[i - 1].y);
  return at;
}

// The point `s` along the polyline (s within 0 .. its length).
PagePoint point_at(std::span<const PagePoint> line, const std::vector<double>& at, double s) {
  const size_t i = static_cast<size_t>(
      std::clamp<std::ptrdiff_t>(std::upper_bound(at.begin(), at.end(), s) - at.begin(), 1,
                                 static_cast<std::ptrdiff_t>(line.size()) - 1));
  const double span = at[i] - at[i - 1];
  const double f = span > 0 ? std::clamp((s - at[i - 1]) / span, 0.0, 1.0) : 0;
  return {line[i - 1].x + f * (line[i].x - line[i - 1].x),
          line[i - 1].y + f * (line[i].y - line[i - 1].y)};
}

// Half the box's extent along the unit axis (ax, ay).
double reach(const LabelBox& b, double ax, double ay) {
  return b.half_length * std::abs(b.ux * ax + b.uy * ay) +
         b.half_height * std::abs(-b.uy * ax + b.ux * ay);
}

}  // namespace

bool boxes_overlap(const LabelBox& a, const LabelBox& b) {
  const double dx = b.centre.x - a.centre.x, dy = b.centre.y - a.centre.y;
  // Separated when some edge direction of either box parts them.
  const double axes[4][2] = {{a.ux, a.uy}, {-a.uy, a.ux}, {b.ux, b.uy}, {-b.uy, b.ux}};
  for (const auto& ax : axes)
    if (std::abs(dx * ax[0] + dy * ax[1]) >= reach(a, ax[0], ax[1]) + reach(b, ax[0], ax[1]))
      return false;
  return true;
}

bool box_inside(const LabelBox& box, std::span<const PagePoint> polygon) {
  const size_t n = polygon.size();
  if (n < 3) return false;
  double area = 0;  // twice the signed area: the polygon's turning sense
  for (size_t i = 0; i < n; ++i) {
    const PagePoint &p = polygon[i], &q = polygon[(i + 1) % n];
    area += p.x * q.y - q.x * p.y;
  }
  if (area == 0) return false;
  const double vx = -box.uy, vy = box.ux;
  for (int corner = 0; corner < 4; ++corner) {
    const double l = corner & 1 ? box.half_length : -box.half_length;
    const double h = corner & 2 ? box.half_height : -box.half_height;
    const double x = box.centre.x + l * box.ux + h * vx, y = box.centre.y + l * box.uy + h * vy;
    for (size_t i = 0; i < n; ++i) {
      const PagePoint &p = polygon[i], &q = polygon[(i + 1) % n];
      const double side = (q.x - p.x) * (y - p.y) - (q.y - p.y) * (x - p.x);
      if (!(side * area > 0)) return false;  // outside, on the edge, or NaN
    }
  }
  return true;
}

std::vector<PlacedLabel> place_labels(std::span<const PagePoint> line, const LabelLayout& layout,
                                      std::vector<LabelBox>& taken) {
  std::vector<PlacedLabel> placed;
  if (line.size() < 2 || !(layout.length > 0) || !(layout.height > 0) || !(layout.spacing > 0))
    return placed;
  const std::vector<double> at = lengths_along(line);
  const double total = at.back();
  const bool closed = line.front().x == line.back().x && line.front().y == line.back().y;
  if (closed && total < 3 * layout.length) return placed;
  const double pad = kPad * layout.height;
  const double half = layout.length / 2 + pad;  // half the stretch a label takes
  const double step = std::max(layout.length / 4, 1e-3);
  double s = std::max(layout.spacing / 2, half);
  while (s + half <= total) {
    const PagePoint a = point_at(line, at, s - layout.length / 2);
    const PagePoint b = point_at(line, at, s + layout.length / 2);
    double ux = b.x - a.x, uy = b.y - a.y;
    const double chord = std::hypot(ux, uy);
    if (chord > 0.5 * layout.length) {  // a line that turns back under the label takes none
      ux /= chord;
      uy /= chord;
      if (ux < 0 || (ux == 0 && uy < 0)) {  // never upside down
        ux = -ux;
        uy = -uy;
      }
      const LabelBox box{point_at(line, at, s), ux, uy, layout.length / 2 + pad,
                         layout.height / 2 + pad};
      const bool clear = box_inside(box, layout.frame) &&
                         std::none_of(taken.begin(), taken.end(),
                                      [&](const LabelBox& t) { return boxes_overlap(box, t); });
      if (clear) {
        taken.push_back(box);
        const double angle = std::atan2(uy, ux) * 180 / std::numbers::pi;
        placed.push_back({box, angle, s - half, s + half});
        s += std::max(layout.spacing, 2 * half);
        continue;
      }
    }
    s += step;
  }
  return placed;
}

std::vector<std::vector<PagePoint>> cut_line(std::span<const PagePoint> line,
                                             std::span<const PlacedLabel> labels) {
  std::vector<std::vector<PagePoint>> pieces;
  if (line.size() < 2) return pieces;
  const std::vector<double> at = lengths_along(line);
  double from = 0;
  const auto piece = [&](double a, double b) {
    if (!(b > a)) return;
    std::vector<PagePoint> p{point_at(line, at, a)};
    for (size_t i = 0; i < line.size(); ++i)
      if (at[i] > a && at[i] < b) p.push_back(line[i]);
    p.push_back(point_at(line, at, b));
    pieces.push_back(std::move(p));
  };
  for (const PlacedLabel& l : labels) {
    piece(from, l.cut_from);
    from = std::max(from, l.cut_to);
  }
  piece(from, at.back());
  return pieces;
}

}  // namespace vexal
