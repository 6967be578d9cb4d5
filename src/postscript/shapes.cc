// Closed and filled shapes: circles, polygons, arrows, raster strips, images
// and pattern comments.
#include "postscript/shapes.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <vector>

#include "postscript/image_writer.h"

namespace vexal {

namespace {

constexpr int kCirclePoints = 360;  // one point per degree

double radians(double degrees) { return degrees * std::numbers::pi / 180; }

// Strokes the path so far and ends it: the next move is always written.
void end_path(PsWriter& w, std::string_view stroke) {
  out_a(w, stroke);
  w.nseg = 0;
  forget_point(w);
}

// The bounding box takes in the circle's square, each side within the clip
// window as a drawn segment's would be. A circle without a finite centre or
// radius is left out: the writer draws it as a point.
void widen_box(PsWriter& w, double x, double y, double r) {
  if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(r)) return;
  r = std::abs(r);
  w.bxmin = std::min(w.bxmin, std::max(w.cxmin, device_x(w, x - r)));
  w.bymin = std::min(w.bymin, std::max(w.cymin, device_y(w, y - r)));
  w.bxmax = std::max(w.bxmax, std::min(w.cxmax, device_x(w, x + r)));
  w.bymax = std::max(w.bymax, std::min(w.cymax, device_y(w, y + r)));
}

// The arc's path, between the stroke that opens it and the one that closes it.
void arc_path(PsWriter& w, double x, double y, double r, double a1, double a2,
              std::string_view open, std::string_view close) {
  end_path(w, open);
  // Where the arc line starts: angle a1 of the radius it writes.
  const double start =
      (std::isfinite(a1) ? std::clamp(a1, -1.0e6, 1.0e6) : 0) * (std::numbers::pi / 180);
  moveto(w, x + std::abs(r) * std::cos(start), y + std::abs(r) * std::sin(start));
  out_circle(w, x, y, r, a1, a2);
  widen_box(w, x, y, r);
  end_path(w, close);
  moveto(w, x, y);
}

// The band a stroke of the pen's width covers across a line at device
// position `centre`.
void pen_band(const PsWriter& w, int centre, double& lo, double& hi) {
  const double half = pen_width_units(w.width) / 2.0;
  lo = centre - half;
  hi = centre + half;
}

// --compact: the raster strip of raster() below as a one-cell-wide image,
// the pen left as the strokes leave it. False (nothing written) when the
// strip cannot be one: no current point to start from, a first index
// outside the table (its colour is whatever was in force), a hairline pen
// or cells not in a row of one size.
bool raster_image(PsWriter& w, double x0, double y0, double step, int n, const int* c,
                  bool along_x) {
  if (w.ixlast == kNoPoint || c[0] < 0 || c[0] >= kColorTableSize || w.width < 0.5) return false;
  const size_t cells = static_cast<size_t>(n);
  // An index outside the table leaves the colour as it was: the cell before's.
  std::vector<uint8_t> indices(cells);
  for (size_t i = 0; i < cells; ++i)
    indices[i] = c[i] >= 0 && c[i] < kColorTableSize ? static_cast<uint8_t>(c[i])
                                                     : indices[i > 0 ? i - 1 : 0];
  // Along the strip each cell ends where the next begins, the first at the pen.
  std::vector<double> lo, hi;
  lo.reserve(cells);
  hi.reserve(cells);
  const int start = along_x ? w.ixlast : w.iylast;
  int at = start;
  for (size_t i = 1; i <= cells; ++i) {
    lo.push_back(at);
    at = along_x ? device_x(w, x0 + static_cast<double>(i) * step)
                 : device_y(w, y0 + static_cast<double>(i) * step);
    hi.push_back(at);
  }
  const int across = along_x ? w.iylast : w.ixlast;
  double band_lo, band_hi;
  pen_band(w, across, band_lo, band_hi);
  CellBands b;
  if (along_x) {
    b = {std::move(lo), std::move(hi), {band_lo}, {band_hi}, {start, across, at, across}};
  } else {
    b = {{band_lo}, {band_hi}, std::move(lo), std::move(hi), {across, start, across, at}, false};
  }
  if (!write_cell_image(w, b, indices.data())) return false;
  if (along_x)
    moveto(w, x0 + n * step, y0);
  else
    moveto(w, x0, y0 + n * step);
  set_forecolor(w, indices[cells - 1]);
  return true;
}

// A raster strip along x (along_x) or y: the colour changes where a run of
// equal indices ends.
void raster(PsWriter& w, double step, double thickness, int n, const int* c, bool along_x) {
  if (n < 1) return;
  double x0, y0, scale;
  where(w, x0, y0, scale);
  const auto draw_to = [&](int i) {
    if (along_x)
      drawto(w, x0 + i * step, y0);
    else
      drawto(w, x0, y0 + i * step);
  };
  thickpen(w, thickness);
  if (w.compact && raster_image(w, x0, y0, step, n, c, along_x)) return;
  int in_use = c[0];
  set_forecolor(w, in_use);
  for (int i = 1; i < n; ++i) {
    if (c[i] == in_use) continue;
    draw_to(i);
    in_use = c[i];
    set_forecolor(w, in_use);
  }
  draw_to(n);
}

// --compact: the rows of show_image as one image, the pen left as the rows
// leave it. False (nothing written) when they do not form one.
bool image_as_image(PsWriter& w, int nx, int ny, const uint8_t* bytes, double dx, double dy) {
  CellBands b;
  b.x_lo.reserve(static_cast<size_t>(nx));
  b.x_hi.reserve(static_cast<size_t>(nx));
  b.y_lo.reserve(static_cast<size_t>(ny));
  b.y_hi.reserve(static_cast<size_t>(ny));
  for (int ix = 0; ix < nx; ++ix) {
    b.x_lo.push_back(device_x(w, ix * dx));
    b.x_hi.push_back(device_x(w, (ix + 1) * dx));
  }
  for (int iy = 0; iy < ny; ++iy) {
    b.y_lo.emplace_back();
    b.y_hi.emplace_back();
    pen_band(w, device_y(w, iy * dy + dy / 2), b.y_lo.back(), b.y_hi.back());
  }
  const double top = (ny - 1) * dy + dy / 2;
  b.lines = {device_x(w, 0), device_y(w, dy / 2), device_x(w, nx * dx), device_y(w, top)};
  if (w.width < 0.5 || !write_cell_image(w, b, bytes)) return false;
  moveto(w, nx * dx, top);
  set_forecolor(w, 0);
  return true;
}

}  // namespace

void arc(PsWriter& w, double x, double y, double r, double a1, double a2) {
  arc_path(w, x, y, r, a1, a2, "S", "S");
}

void filled_arc(PsWriter& w, double x, double y, double r, double a1, double a2) {
  arc_path(w, x, y, r, a1, a2, "S N", "CF S");
}

void circle(PsWriter& w, double x, double y, double r) {
  moveto(w, x + r, y);
  for (int i = 1; i <= kCirclePoints; ++i)
    drawto(w, x + r * std::cos(radians(i)), y + r * std::sin(radians(i)));
  moveto(w, x, y);
}

void filled_circle(PsWriter& w, double x, double y, double r) {
  double px[kCirclePoints], py[kCirclePoints];
  for (int i = 0; i < kCirclePoints; ++i) {
    px[i] = x + r * std::cos(radians(i + 1));
    py[i] = y + r * std::sin(radians(i + 1));
  }
  filled_region(w, px, py, kCirclePoints);
  moveto(w, x, y);
}

void filled_region(PsWriter& w, const double* x, const double* y, int n) {
  if (n < 1) return;
  if (n == 1) {
    moveto(w, x[0], y[0]);
    return;
  }
  end_path(w, "S N");  // the stroke ended the path: the first move is written
  moveto(w, x[0], y[0]);
  for (int i = 1; i < n; ++i) {
    // The count stays below the stroke limit: a "CSM" inside the polygon
    // would stroke part of it away before the fill sees it.
    w.nseg = 0;
    drawto(w, x[i], y[i]);
  }
  end_path(w, "CF S");
  moveto(w, x[n - 1], y[n - 1]);
}

void hollow_region(PsWriter& w, const double* x, const double* y, int n) {
  if (n < 1) return;
  moveto(w, x[0], y[0]);
  if (n == 1) return;
  for (int i = 1; i < n; ++i) drawto(w, x[i], y[i]);
  drawto(w, x[0], y[0]);
}

ArrowPolygon arrow_points(double x, double y, double length, double shaft, double head,
                          double angle) {
  const double neck = length - head;
  const double u[7] = {length, neck, neck, 0, 0, neck, neck};
  const double v[7] = {0, head / 2, shaft / 2, shaft / 2, -shaft / 2, -shaft / 2, -head / 2};
  const double c = std::cos(radians(angle)), s = std::sin(radians(angle));
  ArrowPolygon p;
  for (int i = 0; i < 7; ++i) {
    p.x[i] = x + u[i] * c + v[i] * s;
    p.y[i] = y + u[i] * s - v[i] * c;
  }
  return p;
}

void arrow(PsWriter& w, double x, double y, double length, double shaft, double head,
           double angle) {
  const ArrowPolygon p = arrow_points(x, y, length, shaft, head, angle);
  hollow_region(w, p.x.data(), p.y.data(), 7);
}

void filled_arrow(PsWriter& w, double x, double y, double length, double shaft, double head,
                  double angle) {
  const ArrowPolygon p = arrow_points(x, y, length, shaft, head, angle);
  filled_region(w, p.x.data(), p.y.data(), 7);
  moveto(w, p.x[0], p.y[0]);
}

void xraster(PsWriter& w, double dx, double dy, int n, const int* c) {
  raster(w, dx, dy, n, c, true);
}

void yraster(PsWriter& w, double dx, double dy, int n, const int* c) {
  raster(w, dy, dx, n, c, false);
}

void show_image(PsWriter& w, int nx, int ny, const uint8_t* bytes, double width, double height) {
  if (nx < 1 || ny < 1) return;
  const double dx = width / nx, dy = height / ny;
  thickpen(w, 1 / w.res + dy);
  set_forecolor(w, 0);
  if (w.compact && image_as_image(w, nx, ny, bytes, dx, dy)) return;
  for (int iy = 0; iy < ny; ++iy) {
    const uint8_t* row = bytes + static_cast<size_t>(iy) * nx;
    const double y = iy * dy + dy / 2;
    moveto(w, 0, y);
    int in_use = row[0];
    set_forecolor(w, in_use);
    for (int ix = 1; ix < nx; ++ix) {
      if (row[ix] == in_use) continue;
      drawto(w, ix * dx, y);
      in_use = row[ix];
      set_forecolor(w, in_use);
    }
    drawto(w, nx * dx, y);
  }
  set_forecolor(w, 0);
}

void define_pattern(PsWriter& w, int n, const std::array<int, 8>& bytes) {
  char line[32];
  int at = std::snprintf(line, sizeof line, " %%%02X", n & 0xFF);
  for (int b : bytes) at += std::snprintf(line + at, sizeof line - at, "%02X", b & 0xFF);
  std::snprintf(line + at, sizeof line - at, "DPAT");
  out_a(w, line);
}

void set_pattern(PsWriter& w, int n) {
  char line[16];
  std::snprintf(line, sizeof line, " %%%02XSPAT", n & 0xFF);
  out_a(w, line);
}

}  // namespace vexal
