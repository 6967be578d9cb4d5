// How fast the pen writes a long path: `drawto` for N segments (default
// 10,000,000) into a document file, against a plain buffered fwrite loop that
// writes the same line texts, formatted beforehand, to a file of its own.
//
//   drawto_bench [segments]
//
// Prints both times, the bytes written and the ratio writer / plain write.
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "postscript/ps_writer.h"

namespace {

double seconds_since(std::chrono::steady_clock::time_point t0) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

// A dense curve: x steps one device unit, y follows a sine wave, so every
// segment ends on a new device point and is written. The points come from a
// table so that the timing is the writer's, not the sine's.
constexpr long kTableSize = 1 << 16;
struct Curve {
  std::vector<double> x, y;
  Curve() : x(kTableSize), y(kTableSize) {
    for (long i = 0; i < kTableSize; ++i) {
      x[i] = static_cast<double>(i % 2400) / 300.0;
      y[i] = 4.5 + 4.0 * std::sin(static_cast<double>(i) * 0.013);
    }
  }
};

}  // namespace

int main(int argc, char** argv) {
  const long n = argc > 1 ? std::atol(argv[1]) : 10000000L;
  if (n <= 0) {
    std::fprintf(stderr, "usage: drawto_bench [segments]\n");
    return 2;
  }
  const std::string base = "/tmp/vexal_drawto_bench_" + std::to_string(::getpid());
  const std::string ps_path = base + ".ps", plain_path = base + ".txt";

  // The writer: start-up, then the path, then the end of the document. Only
  // the path is timed (with the final flush of the buffer into the file).
  vexal::PsWriter w;
  vexal::OutBuffer term(stderr);
  if (!vexal::startup(w, {300, false, ps_path, "Portrait", "bench"}, false, term)) {
    std::fprintf(stderr, "cannot create %s\n", ps_path.c_str());
    return 1;
  }
  vexal::plot(w, 0.5, 0.5, vexal::PenCode::kMoveOrigin);
  vexal::out_flush(w);
  const long header_bytes = std::ftell(w.file.get());
  const Curve curve;
  vexal::moveto(w, curve.x[0], curve.y[0]);
  auto t0 = std::chrono::steady_clock::now();
  for (long i = 1; i <= n; ++i) {
    const long k = i & (kTableSize - 1);
    vexal::drawto(w, curve.x[k], curve.y[k]);
  }
  vexal::out_flush(w);
  const double writer_s = seconds_since(t0);
  const long path_end = std::ftell(w.file.get());
  vexal::plot(w, 0, 0, vexal::PenCode::kEnd);

  // The same lines, formatted beforehand: the document's path part read
  // back, with the length of every line.
  const std::string doc = read_file(ps_path);
  const std::string path_text = doc.substr(header_bytes, path_end - header_bytes);
  std::vector<unsigned char> lengths;
  lengths.reserve(static_cast<size_t>(n) + static_cast<size_t>(n) / 400 + 2);
  for (size_t start = 0; start < path_text.size();) {
    size_t end = path_text.find('\n', start);
    lengths.push_back(static_cast<unsigned char>(end - start + 1));
    start = end + 1;
  }

  std::FILE* f = std::fopen(plain_path.c_str(), "wb");
  if (!f) {
    std::fprintf(stderr, "cannot create %s\n", plain_path.c_str());
    return 1;
  }
  t0 = std::chrono::steady_clock::now();
  const char* p = path_text.data();
  for (unsigned char len : lengths) {
    std::fwrite(p, 1, len, f);
    p += len;
  }
  std::fflush(f);
  const double plain_s = seconds_since(t0);
  std::fclose(f);

  std::printf("segments           %ld\n", n);
  std::printf("lines              %zu\n", lengths.size());
  std::printf("bytes              %zu\n", path_text.size());
  std::printf("drawto writer      %.3f s\n", writer_s);
  std::printf("plain fwrite loop  %.3f s\n", plain_s);
  std::printf("ratio              %.2f\n", writer_s / plain_s);
  std::remove(ps_path.c_str());
  std::remove(plain_path.c_str());
  return 0;
}
