// Helpers of the 3-D benchmarks (fill3d_bench.sh, plot3d_bench.sh):
//
//   fill3d_floor generate N TEXT          N scattered points (x, y, z) as
//                                         three text columns
//   fill3d_floor floor TEXT NX X0 DX NY Y0 DY [OUT]
//                                         the floor of FILL3D: the points
//                                         read from TEXT (std::from_chars)
//                                         and gridded onto the nodes
//                                         (X0 + i DX, Y0 + j DY) by a plain
//                                         loop with FILL3D's default weight;
//                                         OUT gets the values, one a line,
//                                         row by row
//   fill3d_floor compare DUMP OUT         DUMPARRAY's listing of vexal's array
//                                         against the floor's values: the
//                                         largest relative difference; exit 1
//                                         above 1e-6 or when the counts differ
//   fill3d_floor curve N BINARY           a 3-D curve of N points (a helix
//                                         wound about a torus) as a 3-column
//                                         "$P" file
//
// Files are read in 1 MiB blocks with read(), as load_floor reads them.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr size_t kBlock = size_t{1} << 20;

int usage() {
  std::fprintf(stderr,
               "usage: fill3d_floor generate N TEXT | floor TEXT NX X0 DX NY Y0 DY [OUT] | "
               "compare DUMP OUT | curve N BINARY\n");
  return 2;
}

struct XorShift {
  uint64_t state = 88172645463325252ull;
  uint64_t next() {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    return state;
  }
  // Uniform in [0, 1).
  double unit() { return static_cast<double>(next() >> 11) / 9007199254740992.0; }
};

// The "$P" header record of a 3-column file of doubles: "$P", CR, LF, the
// column count and the comment count, padded to one record (24 bytes).
void write_header(std::FILE* fp) {
  char header[24] = {'$', 'P', '\r', '\n'};
  const int16_t counts[2] = {3, 0};
  std::memcpy(header + 4, counts, 4);
  std::fwrite(header, 1, sizeof header, fp);
}

// Points scattered uniformly over 0 .. 10 in x and y, their heights a smooth
// hill and a trough with a ripple: the kind of survey data users grid.
int generate(long n, const char* text_name) {
  if (n < 1) return usage();
  std::FILE* text = std::fopen(text_name, "w");
  if (!text) {
    std::perror(text_name);
    return 1;
  }
  XorShift rng;
  char line[96];
  for (long k = 0; k < n; ++k) {
    const double x = 10 * rng.unit(), y = 10 * rng.unit();
    const double z = 3 * std::exp(-((x - 3) * (x - 3) + (y - 6) * (y - 6)) / 4) -
                     2 * std::exp(-((x - 7) * (x - 7) + (y - 3) * (y - 3)) / 3) +
                     0.3 * std::sin(x) * std::cos(1.5 * y);
    const int len = std::snprintf(line, sizeof line, "%.9g %.9g %.9g\n", x, y, z);
    std::fwrite(line, 1, static_cast<size_t>(len), text);
  }
  if (std::fclose(text) != 0) {
    std::perror(text_name);
    return 1;
  }
  return 0;
}

double seconds_since(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Every number of the file, in order, into one vector; a field that is not a
// number drops the rest of its line. False when the file cannot be opened.
bool read_numbers(const char* name, std::vector<double>& values) {
  const int fd = ::open(name, O_RDONLY);
  if (fd < 0) {
    std::perror(name);
    return false;
  }
  std::vector<char> buf(kBlock);
  size_t end = 0;
  for (;;) {
    const ssize_t got = ::read(fd, buf.data() + end, buf.size() - end);
    if (got <= 0) break;
    end += static_cast<size_t>(got);
    const char* p = buf.data();
    const char* const stop = buf.data() + end;
    for (;;) {
      const char* nl = static_cast<const char*>(std::memchr(p, '\n', stop - p));
      if (!nl) break;
      while (p < nl) {
        while (p < nl && *p == ' ') ++p;
        if (p == nl) break;
        double v = 0;
        const auto r = std::from_chars(p, nl, v);
        if (r.ec != std::errc()) break;
        values.push_back(v);
        p = r.ptr;
      }
      p = nl + 1;
    }
    end = static_cast<size_t>(stop - p);
    std::memmove(buf.data(), p, end);
  }
  ::close(fd);
  return true;
}

// The points, and for each node the weighted average of their heights with
// the weight 1 / max(distance, 1e-10) divided by the node's largest weight,
// written as plainly as the sums read.
int floor_fill(char** argv) {
  const auto start = std::chrono::steady_clock::now();
  const int nx = std::atoi(argv[1]), ny = std::atoi(argv[4]);
  const double x0 = std::atof(argv[2]), dx = std::atof(argv[3]);
  const double y0 = std::atof(argv[5]), dy = std::atof(argv[6]);
  if (nx < 1 || ny < 1) return usage();
  std::vector<double> numbers;
  if (!read_numbers(argv[0], numbers)) return 1;
  const size_t n = numbers.size() / 3;
  std::vector<double> px(n), py(n), pz(n), w(n);
  for (size_t k = 0; k < n; ++k) {
    px[k] = numbers[3 * k];
    py[k] = numbers[3 * k + 1];
    pz[k] = numbers[3 * k + 2];
  }
  std::vector<double> out(static_cast<size_t>(nx) * static_cast<size_t>(ny));
  size_t at = 0;
  for (int j = 0; j < ny; ++j) {
    const double gy = y0 + j * dy;
    for (int i = 0; i < nx; ++i, ++at) {
      const double gx = x0 + i * dx;
      double wmax = -1.0e30;
      for (size_t k = 0; k < n; ++k) {
        const double ex = px[k] - gx, ey = py[k] - gy;
        w[k] = 1.0 / std::max(std::sqrt(ex * ex + ey * ey), 1.0e-10);
        wmax = std::max(wmax, w[k]);
      }
      double num = 0, den = 0;
      for (size_t k = 0; k < n; ++k) {
        const double r = w[k] / wmax;
        num += r * pz[k];
        den += r;
      }
      out[at] = num / den;
    }
  }
  double sum = 0;
  for (double v : out) sum += v;
  std::printf("floor: %zu points onto %d x %d nodes in %.3f s (sum %.9g)\n", n, nx, ny,
              seconds_since(start), sum);
  if (argv[7]) {
    std::FILE* fp = std::fopen(argv[7], "w");
    if (!fp) {
      std::perror(argv[7]);
      return 1;
    }
    for (double v : out) std::fprintf(fp, "%.17g\n", v);
    if (std::fclose(fp) != 0) {
      std::perror(argv[7]);
      return 1;
    }
  }
  return 0;
}

// The numbers of DUMPARRAY's listing after its ARRAY line against the
// floor's values.
int compare(const char* dump, const char* floor_values) {
  std::vector<double> listed, expected;
  if (!read_numbers(floor_values, expected)) return 1;
  std::FILE* fp = std::fopen(dump, "r");
  if (!fp) {
    std::perror(dump);
    return 1;
  }
  // The listing may hold the coordinate lists before the values: take the
  // numbers after the last line that starts with a word.
  char line[4096];
  while (std::fgets(line, sizeof line, fp)) {
    const char* p = line;
    while (*p == ' ') ++p;
    if ((*p >= 'A' && *p <= 'Z') || (*p >= 'a' && *p <= 'z')) {
      listed.clear();
      continue;
    }
    const char* const stop = p + std::strlen(p);
    while (p < stop) {
      while (p < stop && (*p == ' ' || *p == ',' || *p == '\n')) ++p;
      if (p == stop) break;
      double v = 0;
      const auto r = std::from_chars(p, stop, v);
      if (r.ec != std::errc()) break;
      listed.push_back(v);
      p = r.ptr;
    }
  }
  std::fclose(fp);
  if (listed.size() != expected.size()) {
    std::printf("compare: vexal's array holds %zu values, the floor's %zu\n", listed.size(),
                expected.size());
    return 1;
  }
  double worst = 0;
  for (size_t k = 0; k < listed.size(); ++k) {
    const double scale = std::max(std::fabs(expected[k]), 1e-3);
    worst = std::max(worst, std::fabs(listed[k] - expected[k]) / scale);
  }
  std::printf("compare: %zu values, largest relative difference %.3g\n", listed.size(), worst);
  return worst <= 1e-6 ? 0 : 1;
}

// A helix of 40 turns wound about a torus that turns once: the curve stays
// on the torus, so its front hides parts of its back.
int curve(long n, const char* binary_name) {
  if (n < 2) return usage();
  std::FILE* binary = std::fopen(binary_name, "wb");
  if (!binary) {
    std::perror(binary_name);
    return 1;
  }
  write_header(binary);
  constexpr double kTwoPi = 6.283185307179586;
  std::vector<double> block;
  block.reserve(3 * 4096);
  for (long k = 0; k < n; ++k) {
    const double t = kTwoPi * static_cast<double>(k) / static_cast<double>(n - 1);
    const double r = 3 + std::cos(40 * t);
    block.push_back(5 + r * std::cos(t));
    block.push_back(5 + r * std::sin(t));
    block.push_back(std::sin(40 * t));
    if (block.size() == block.capacity() || k + 1 == n) {
      std::fwrite(block.data(), sizeof(double), block.size(), binary);
      block.clear();
    }
  }
  if (std::fclose(binary) != 0) {
    std::perror(binary_name);
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return usage();
  const std::string what = argv[1];
  if (what == "generate" && argc == 4) return generate(std::atol(argv[2]), argv[3]);
  if (what == "floor" && (argc == 9 || argc == 10)) return floor_fill(argv + 2);
  if (what == "compare" && argc == 4) return compare(argv[2], argv[3]);
  if (what == "curve" && argc == 4) return curve(std::atol(argv[2]), argv[3]);
  return usage();
}
