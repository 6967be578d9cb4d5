// Helpers of the array and image benchmarks (array_bench.sh, image_bench.sh):
//
//   array_floor generate N TEXT RAW     an N x N array: TEXT the value lines
//                                       (10 values a line, each row starting
//                                       on a new line), RAW the same values
//                                       as a RAWARRAY file
//   array_floor floor FILE              the floor: the numbers of a text file
//                                       parsed with std::from_chars into one
//                                       vector (a line with a word in it, such
//                                       as the ARRAY line, is skipped)
//   array_floor image W H KIND DIR      a W x H image, KIND smooth or noise:
//                                       DIR/img.pgm (plain "P2"), and for
//                                       gnuplot DIR/img.txt (matrix text) and
//                                       DIR/img.bin (bytes, bottom row first)
//   array_floor surface N DIR           an N x N smooth surface, the same
//                                       field whatever N: DIR/surface.raw (a
//                                       RAWARRAY file), DIR/surface.txt
//                                       (matrix text, row 1 first) and
//                                       DIR/surface.xyz (x y z lines)
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
constexpr int kPerLine = 10;

int usage() {
  std::fprintf(stderr,
               "usage: array_floor generate N TEXT RAW | floor FILE | image W H smooth|noise DIR | "
               "surface N DIR\n");
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
  // Uniform in [-0.5, 0.5).
  double centred() { return static_cast<double>(next() >> 11) / 9007199254740992.0 - 0.5; }
};

bool write_record(std::FILE* fp, const void* p, size_t n) {
  const int32_t len = static_cast<int32_t>(n);
  return std::fwrite(&len, 4, 1, fp) == 1 && std::fwrite(p, 1, n, fp) == n &&
         std::fwrite(&len, 4, 1, fp) == 1;
}

// A smooth field with a little noise, as six significant digits: the kind of
// gridded values users plot. The binary file holds the values as written.
int generate(long n, const char* text_name, const char* raw_name) {
  if (n < 1) return usage();
  std::FILE* text = std::fopen(text_name, "w");
  std::FILE* raw = std::fopen(raw_name, "wb");
  if (!text || !raw) {
    std::perror("generate");
    return 1;
  }
  const size_t count = static_cast<size_t>(n);
  std::vector<double> values;
  values.reserve(count * count);
  XorShift rng;
  char field[32];
  for (size_t j = 0; j < count; ++j) {
    for (size_t i = 0; i < count; ++i) {
      const double v = 100 * std::sin(static_cast<double>(i) * 0.011) *
                           std::cos(static_cast<double>(j) * 0.007) +
                       0.2 * rng.centred();
      const int len = std::snprintf(field, sizeof field, "%.6g", v);
      double back = 0;
      std::from_chars(field, field + len, back);
      values.push_back(back);
      std::fputs(field, text);
      std::fputc((i + 1) % kPerLine == 0 || i + 1 == count ? '\n' : ' ', text);
    }
  }
  std::vector<double> coordinates(count);
  for (size_t i = 0; i < count; ++i) coordinates[i] = static_cast<double>(i + 1);
  const int32_t side = static_cast<int32_t>(n);
  const bool ok = write_record(raw, &side, 4) &&
                  write_record(raw, coordinates.data(), count * sizeof(double)) &&
                  write_record(raw, &side, 4) &&
                  write_record(raw, coordinates.data(), count * sizeof(double)) &&
                  write_record(raw, values.data(), values.size() * sizeof(double));
  if (std::fclose(text) != 0 || std::fclose(raw) != 0 || !ok) {
    std::perror("generate");
    return 1;
  }
  return 0;
}

double seconds_since(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Every number of the file's lines into one vector; a field that is not a
// number drops the rest of its line.
int floor_parse(const char* name) {
  const auto start = std::chrono::steady_clock::now();
  const int fd = ::open(name, O_RDONLY);
  if (fd < 0) {
    std::perror(name);
    return 1;
  }
  std::vector<double> values;
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
  double sum = 0;
  for (double v : values) sum += v;
  std::printf("floor: %zu values in %.3f s (sum %g)\n", values.size(), seconds_since(start), sum);
  return 0;
}

// A smooth image: two gradients, rings about three centres and a flat
// rectangle, so that runs of equal pixels are as long as in a real picture;
// or noise, every pixel drawn at random.
int image(int w, int h, const std::string& kind, const std::string& dir) {
  if (w < 1 || h < 1 || (kind != "smooth" && kind != "noise")) return usage();
  std::vector<uint8_t> px(static_cast<size_t>(w) * static_cast<size_t>(h));
  XorShift rng;
  const double cx[3] = {0.3 * w, 0.7 * w, 0.5 * w}, cy[3] = {0.35 * h, 0.6 * h, 0.8 * h};
  const double radius[3] = {0.25 * h, 0.2 * h, 0.12 * h};
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      int v;
      if (kind == "noise") {
        v = static_cast<int>(rng.next() >> 56);
      } else {
        double f = 160.0 * x / w + 60.0 * y / h;
        for (int k = 0; k < 3; ++k) {
          const double r = std::hypot(x - cx[k], y - cy[k]);
          if (r < radius[k]) f = 128 + 100 * std::cos(r / (6 + 2 * k));
        }
        if (x > 0.05 * w && x < 0.2 * w && y > 0.7 * h && y < 0.95 * h) f = 30;
        v = std::clamp(static_cast<int>(f), 0, 255);
      }
      px[static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x)] =
          static_cast<uint8_t>(v);
    }
  }
  // The PGM's first row is the top row; gnuplot's matrix starts at the bottom.
  std::FILE* pgm = std::fopen((dir + "/img.pgm").c_str(), "w");
  std::FILE* txt = std::fopen((dir + "/img.txt").c_str(), "w");
  std::FILE* bin = std::fopen((dir + "/img.bin").c_str(), "wb");
  if (!pgm || !txt || !bin) {
    std::perror("image");
    return 1;
  }
  std::fprintf(pgm, "P2\n%d %d\n255\n", w, h);
  for (int y = 0; y < h; ++y) {
    const uint8_t* row = px.data() + static_cast<size_t>(y) * static_cast<size_t>(w);
    // PGM lines of at most 70 characters: 16 values a line.
    for (int x = 0; x < w; ++x)
      std::fprintf(pgm, "%d%c", row[x], x % 16 == 15 || x + 1 == w ? '\n' : ' ');
  }
  for (int y = h - 1; y >= 0; --y) {
    const uint8_t* row = px.data() + static_cast<size_t>(y) * static_cast<size_t>(w);
    for (int x = 0; x < w; ++x) std::fprintf(txt, "%d%c", row[x], x + 1 == w ? '\n' : ' ');
    std::fwrite(row, 1, static_cast<size_t>(w), bin);
  }
  if (std::fclose(pgm) != 0 || std::fclose(txt) != 0 || std::fclose(bin) != 0) {
    std::perror("image");
    return 1;
  }
  return 0;
}

// A smooth surface without noise, 100 sin(5.5 u) cos(3.5 v) with u and v
// running from 0 to 1 across the grid: two hills and two hollows, the
// same field at every N, so that sizes compare like for like. The
// coordinates are 1 .. N; all three files hold the same values (nine
// significant digits).
int surface(long n, const std::string& dir) {
  if (n < 2) return usage();
  std::FILE* raw = std::fopen((dir + "/surface.raw").c_str(), "wb");
  std::FILE* txt = std::fopen((dir + "/surface.txt").c_str(), "w");
  std::FILE* xyz = std::fopen((dir + "/surface.xyz").c_str(), "w");
  if (!raw || !txt || !xyz) {
    std::perror("surface");
    return 1;
  }
  const size_t count = static_cast<size_t>(n);
  std::vector<double> values;
  values.reserve(count * count);
  char field[32];
  for (size_t j = 0; j < count; ++j) {
    const double v = static_cast<double>(j) / static_cast<double>(count - 1);
    for (size_t i = 0; i < count; ++i) {
      const double u = static_cast<double>(i) / static_cast<double>(count - 1);
      const int len =
          std::snprintf(field, sizeof field, "%.9g", 100 * std::sin(5.5 * u) * std::cos(3.5 * v));
      double back = 0;
      std::from_chars(field, field + len, back);
      values.push_back(back);
      std::fputs(field, txt);
      std::fputc(i + 1 == count ? '\n' : ' ', txt);
      std::fprintf(xyz, "%zu %zu %s\n", i + 1, j + 1, field);
    }
  }
  std::vector<double> coordinates(count);
  for (size_t i = 0; i < count; ++i) coordinates[i] = static_cast<double>(i + 1);
  const int32_t side = static_cast<int32_t>(n);
  const bool ok = write_record(raw, &side, 4) &&
                  write_record(raw, coordinates.data(), count * sizeof(double)) &&
                  write_record(raw, &side, 4) &&
                  write_record(raw, coordinates.data(), count * sizeof(double)) &&
                  write_record(raw, values.data(), values.size() * sizeof(double));
  if (std::fclose(raw) != 0 || std::fclose(txt) != 0 || std::fclose(xyz) != 0 || !ok) {
    std::perror("surface");
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return usage();
  const std::string what = argv[1];
  if (what == "generate" && argc == 5) return generate(std::atol(argv[2]), argv[3], argv[4]);
  if (what == "floor" && argc == 3) return floor_parse(argv[2]);
  if (what == "image" && argc == 6)
    return image(std::atoi(argv[2]), std::atoi(argv[3]), argv[4], argv[5]);
  if (what == "surface" && argc == 4) return surface(std::atol(argv[2]), argv[3]);
  return usage();
}
