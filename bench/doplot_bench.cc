// How fast `line`, the routine behind DOPLOT, draws a stored curve: N points
// (default 10,000,000) held in point-store columns, drawn into a document
// file, against `drawto` writing the same N segments from the same page
// positions (computed beforehand) into a document file of its own.
//
//   doplot_bench [points]
//
// Prints both times and the ratio line / drawto. The target is a ratio
// within 2: the mapping, the pen, colour and marker tests and the progress
// countdown should cost no more than the writing they feed.
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "postscript/curves.h"
#include "postscript/ps_writer.h"

namespace {

double seconds_since(std::chrono::steady_clock::time_point t0) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

// Starts a document in `path` with the origin half an inch in.
bool start(vexal::PsWriter& w, const std::string& path, vexal::OutBuffer& term) {
  if (!vexal::startup(w, {300, false, path, "Portrait", "bench"}, false, term)) {
    std::fprintf(stderr, "cannot create %s\n", path.c_str());
    return false;
  }
  vexal::plot(w, 0.5, 0.5, vexal::PenCode::kMoveOrigin);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  const long n = argc > 1 ? std::atol(argv[1]) : 10000000L;
  if (n <= 0 || n > 20000000) {
    std::fprintf(stderr, "usage: doplot_bench [points, at most 20000000]\n");
    return 2;
  }
  const size_t count = static_cast<size_t>(n);
  // The drawto benchmark's dense curve as data: x steps one device unit and
  // wraps every 8 inches, y follows a sine, so every segment is written.
  // Both axes map 0..8 onto 8 inches.
  std::vector<double> x(count), y(count), zero(count, 0.0);
  std::vector<int32_t> pen(count, 2), symbol(count, -1), colour(count, -1);
  for (size_t i = 0; i < count; ++i) {
    x[i] = static_cast<double>(i % 2400) / 300.0;
    y[i] = 4.5 + 3.0 * std::sin(static_cast<double>(i) * 0.013);
  }
  const vexal::CurveAxis axis = vexal::curve_axis(0, 8, false, false, 8);

  const std::string base = "/tmp/vexal_doplot_bench_" + std::to_string(::getpid());
  vexal::OutBuffer term(stderr);

  // line: the stored points as DOPLOT hands them over.
  double line_s = 0;
  long line_bytes = 0;
  {
    vexal::PsWriter w;
    if (!start(w, base + "_line.ps", term)) return 1;
    vexal::out_flush(w);
    const long header = std::ftell(w.file.get());
    vexal::TextState t;
    vexal::PenSettings pen_settings;
    const vexal::TextContext c{pen_settings, 0.7, 751654};
    const vexal::CurvePoints pts{static_cast<int>(n), x.data(),   y.data(),      zero.data(),
                                 zero.data(),         pen.data(), symbol.data(), colour.data()};
    const vexal::CurveStyle style;
    const auto t0 = std::chrono::steady_clock::now();
    vexal::line(w, t, c, pts, style, {axis, axis}, {});
    vexal::out_flush(w);
    line_s = seconds_since(t0);
    line_bytes = std::ftell(w.file.get()) - header;
    vexal::plot(w, 0, 0, vexal::PenCode::kEnd);
  }

  // drawto: the same page positions, mapped beforehand.
  double drawto_s = 0;
  long drawto_bytes = 0;
  {
    std::vector<double> px(count), py(count);
    for (size_t i = 0; i < count; ++i) {
      px[i] = axis.map(x[i]);
      py[i] = axis.map(y[i]);
    }
    vexal::PsWriter w;
    if (!start(w, base + "_drawto.ps", term)) return 1;
    vexal::newpen(w, 2);
    vexal::out_flush(w);
    const long header = std::ftell(w.file.get());
    const auto t0 = std::chrono::steady_clock::now();
    vexal::moveto(w, px[0], py[0]);
    for (size_t i = 1; i < count; ++i) vexal::drawto(w, px[i], py[i]);
    vexal::out_flush(w);
    drawto_s = seconds_since(t0);
    drawto_bytes = std::ftell(w.file.get()) - header;
    vexal::plot(w, 0, 0, vexal::PenCode::kEnd);
  }

  std::printf("points             %ld\n", n);
  std::printf("line bytes         %ld\n", line_bytes);
  std::printf("drawto bytes       %ld\n", drawto_bytes);
  std::printf("line (DOPLOT)      %.3f s\n", line_s);
  std::printf("drawto             %.3f s\n", drawto_s);
  std::printf("ratio              %.2f\n", line_s / drawto_s);
  std::remove((base + "_line.ps").c_str());
  std::remove((base + "_drawto.ps").c_str());
  return 0;
}
