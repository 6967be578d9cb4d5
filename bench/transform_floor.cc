// Helpers of the transformation benchmark (transform_bench.sh):
//
//   transform_floor generate N COLS RANGE FILE
//                        a "$P" file of N records of COLS (2 or 3) doubles:
//                        X uniform in [0, RANGE) (RANGE 0: X = record / 1000),
//                        Y and Z uniform in [-1, 1)
//   transform_floor read FILE     the file's (X, Y) pairs read into a vector
//   transform_floor sort FILE     the same, then std::stable_sort by X (the floor)
//   transform_floor load FILE     vexal's reader: the file into a point store
//   transform_floor dosort FILE   the same, then vexal's DOSORT by X
//   transform_floor complex FILE N  the first N values of Y as complex data
//   transform_floor fftw FILE N   the same, then a forward transform planned
//                                 with FFTW_ESTIMATE (when built with FFTW)
//   transform_floor fft FILE N    the same, then vexal's transform (DOFFT's
//                                 butterflies without its scaling and file)
//
// Each prints a checksum so that no work can be left out. The times come
// from `load_floor run`, one whole process each.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "data/append.h"
#include "data/point_store.h"
#include "data/transform.h"

#ifdef VEXAL_HAVE_FFTW
#include <fftw3.h>
#endif

namespace {

int usage() {
  std::fprintf(stderr,
               "usage: transform_floor generate N COLS RANGE FILE | read FILE | sort FILE | load "
               "FILE | dosort FILE | complex FILE N | fftw FILE N\n");
  return 2;
}

int generate(long n, int cols, double range, const char* name) {
  std::FILE* f = std::fopen(name, "wb");
  if (!f || n < 1 || cols < 2 || cols > 3) return usage();
  std::vector<char> header(8 * static_cast<size_t>(cols), '\0');
  std::memcpy(header.data(), "$P\r\n", 4);
  const int16_t counts[2] = {static_cast<int16_t>(cols), 0};
  std::memcpy(header.data() + 4, counts, 4);
  std::fwrite(header.data(), 1, header.size(), f);
  std::mt19937_64 gen(42);
  std::uniform_real_distribution<double> u(0, 1);
  std::vector<double> block;
  for (long i = 0; i < n; ++i) {
    block.push_back(range > 0 ? u(gen) * range : static_cast<double>(i) / 1000);
    for (int c = 1; c < cols; ++c) block.push_back(u(gen) * 2 - 1);
    if (block.size() >= 1 << 16 || i == n - 1) {
      std::fwrite(block.data(), sizeof(double), block.size(), f);
      block.clear();
    }
  }
  return std::fclose(f) == 0 ? 0 : 1;
}

// The file's (X, Y) pairs: the first two of each record.
std::vector<std::pair<double, double>> read_pairs(const char* name) {
  std::vector<std::pair<double, double>> pairs;
  const int fd = ::open(name, O_RDONLY);
  if (fd < 0) {
    std::perror(name);
    std::exit(1);
  }
  std::vector<char> bytes;
  char block[1 << 20];
  for (ssize_t got; (got = ::read(fd, block, sizeof block)) > 0;)
    bytes.insert(bytes.end(), block, block + got);
  ::close(fd);
  int16_t cols = 0;
  if (bytes.size() >= 8) std::memcpy(&cols, bytes.data() + 4, 2);
  if (cols < 2) return pairs;
  const size_t width = 8 * static_cast<size_t>(cols);
  const size_t n = bytes.size() / width - 1;
  pairs.resize(n);
  for (size_t i = 0; i < n; ++i) {
    const char* record = bytes.data() + width * (i + 1);
    std::memcpy(&pairs[i].first, record, 8);
    std::memcpy(&pairs[i].second, record + 8, 8);
  }
  return pairs;
}

// vexal's reader with its default settings, as LOAD runs it.
void load_store(const char* name, vexal::PointStore& st) {
  vexal::Variables vars;
  vexal::OutBuffer err(stderr), out(stdout);
  vexal::CurrentPoint point;
  vexal::MathStacks stacks;
  vexal::MathEnv env{vars, err, out, point, stacks};
  vexal::TmFrame frame;
  vexal::MathList math;
  vexal::ReaderSettings rs;
  rs.maxpts = vexal::kMaxPoints;
  vexal::AppendInput in;
  in.file = name;
  in.verbose = false;
  vexal::append(in, rs, math, env, frame, st);
}

int pairs(const char* name, bool sort) {
  auto p = read_pairs(name);
  if (sort)
    std::stable_sort(p.begin(), p.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
  std::printf("%zu pairs, first %g last %g\n", p.size(), p.empty() ? 0 : p.front().first,
              p.empty() ? 0 : p.back().second);
  return 0;
}

int store(const char* name, bool sort) {
  vexal::PointStore st;
  load_store(name, st);
  if (sort) {
    vexal::TransformSettings t;
    t.xsort = true;
    vexal::OutBuffer term(stdout);
    vexal::dosort(t, st, false, term);
  }
  const int n = st.npts();
  std::printf("%d points, first %g last %g\n", n, n ? st.x[0] : 0, n ? st.y[n - 1] : 0);
  return 0;
}

enum class Transform { kNone, kFftw, kVexal };

int complex_data(const char* name, long n, Transform transform) {
  auto p = read_pairs(name);
  if (n < 1 || static_cast<size_t>(n) > p.size()) return usage();
  std::vector<double> data(2 * static_cast<size_t>(n));  // interleaved (re, im)
  for (long i = 0; i < n; ++i) data[2 * i] = p[static_cast<size_t>(i)].second;
  if (transform == Transform::kVexal) {
    std::vector<double> im(static_cast<size_t>(n));
    for (long i = 0; i < n; ++i) data[static_cast<size_t>(i)] = p[static_cast<size_t>(i)].second;
    vexal::fft(data.data(), im.data(), static_cast<int>(std::lround(std::log2(n))));
    data[2] = data[1];
    data[3] = im[1];
  } else if (transform == Transform::kFftw) {
#ifdef VEXAL_HAVE_FFTW
    auto* c = reinterpret_cast<fftw_complex*>(data.data());
    fftw_plan plan = fftw_plan_dft_1d(static_cast<int>(n), c, c, FFTW_FORWARD, FFTW_ESTIMATE);
    fftw_execute(plan);
    fftw_destroy_plan(plan);
#else
    std::fprintf(stderr, "transform_floor: built without FFTW\n");
    return 1;
#endif
  }
  std::printf("%ld values, first %g %g\n", n, data[2], data[3]);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return usage();
  const std::string what = argv[1];
  if (what == "generate" && argc == 6)
    return generate(std::atol(argv[2]), std::atoi(argv[3]), std::atof(argv[4]), argv[5]);
  if (what == "read") return pairs(argv[2], false);
  if (what == "sort") return pairs(argv[2], true);
  if (what == "load") return store(argv[2], false);
  if (what == "dosort") return store(argv[2], true);
  if (what == "complex" && argc == 4)
    return complex_data(argv[2], std::atol(argv[3]), Transform::kNone);
  if (what == "fftw" && argc == 4)
    return complex_data(argv[2], std::atol(argv[3]), Transform::kFftw);
  if (what == "fft" && argc == 4)
    return complex_data(argv[2], std::atol(argv[3]), Transform::kVexal);
  return usage();
}
