// Helpers of the data-loading benchmark (load_bench.sh):
//
//   load_floor generate N TEXT BINARY   two-column data of N rows, as text and
//                                       as a "$P" binary file
//   load_floor floor TEXT               the floor: the text parsed with
//                                       std::from_chars into two vectors
//   load_floor bytes FILE               the file's bytes read and dropped
//   load_floor columns FILE             a 2-column "$P" file read into the
//                                       store's X and Y columns (16 bytes a
//                                       point, the least the store writes;
//                                       the store's columns, so the same
//                                       growth)
//   load_floor append FILE              the reader alone: vexal's append of
//                                       the file, timed in process
//   load_floor drop FILE                drops the file from the page cache
//   load_floor run [--evict FILE] PROGRAM ARGS...
//                                       runs a program and prints its wall
//                                       time, CPU time and peak RSS; with
//                                       --evict, FILE (larger than the
//                                       processor's caches) is read first
//
// Files are read in 1 MiB blocks with read(), as the reader does.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
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

#include "data/append.h"
#include "data/point_store.h"

namespace {

constexpr size_t kBlock = size_t{1} << 20;

int usage() {
  std::fprintf(stderr,
               "usage: load_floor generate N TEXT BINARY | floor TEXT | bytes FILE | columns "
               "FILE | run PROGRAM ARGS...\n");
  return 2;
}

// Rows of (time in seconds, a noisy signal): the kind of file users load.
int generate(long n, const char* text_name, const char* binary_name) {
  std::FILE* text = std::fopen(text_name, "w");
  std::FILE* binary = std::fopen(binary_name, "wb");
  if (!text || !binary) {
    std::perror("generate");
    return 1;
  }
  // "$P", CR, LF, 2 columns, 0 comment records; record 1 is 16 bytes long.
  char header[16] = {'$', 'P', '\r', '\n'};
  const int16_t counts[2] = {2, 0};
  std::memcpy(header + 4, counts, 4);
  std::fwrite(header, 1, sizeof header, binary);
  uint64_t state = 88172645463325252ull;
  std::vector<char> line(64);
  for (long i = 0; i < n; ++i) {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    const double noise = static_cast<double>(state >> 11) / 9007199254740992.0 - 0.5;
    const double x = i * 0.25;
    const double y = 100 * std::sin(i * 1e-4) + noise;
    int len = std::snprintf(line.data(), line.size(), "%.2f %.9g\n", x, y);
    std::fwrite(line.data(), 1, static_cast<size_t>(len), text);
    // The binary file holds the values as written in the text.
    double xy[2];
    std::from_chars(line.data(), line.data() + len, xy[0]);
    const char* second = std::strchr(line.data(), ' ') + 1;
    std::from_chars(second, line.data() + len, xy[1]);
    std::fwrite(xy, sizeof xy[0], 2, binary);
  }
  std::fclose(text);
  std::fclose(binary);
  return 0;
}

double seconds_since(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The file opened for reading; -1, reported, when it cannot be.
int open_file(const char* name) {
  const int fd = ::open(name, O_RDONLY);
  if (fd < 0) std::perror(name);
  return fd;
}

// Reads the rest of the file in blocks into one buffer and drops it; the
// number of bytes, and `check` the XOR of each block's last byte (so that
// the reading cannot be optimised away).
uint64_t read_all(int fd, unsigned char& check) {
  std::vector<char> buf(kBlock);
  uint64_t total = 0;
  check = 0;
  for (ssize_t got; (got = ::read(fd, buf.data(), buf.size())) > 0;) {
    total += static_cast<uint64_t>(got);
    check ^= static_cast<unsigned char>(buf[static_cast<size_t>(got) - 1]);
  }
  return total;
}

int floor_parse(const char* name) {
  const auto start = std::chrono::steady_clock::now();
  const int fd = open_file(name);
  if (fd < 0) return 1;
  std::vector<double> xs, ys;
  std::vector<char> buf(kBlock);
  size_t end = 0;
  for (;;) {
    ssize_t got = ::read(fd, buf.data() + end, buf.size() - end);
    if (got <= 0) break;
    end += static_cast<size_t>(got);
    const char* p = buf.data();
    const char* const stop = buf.data() + end;
    for (;;) {
      const char* nl = static_cast<const char*>(std::memchr(p, '\n', stop - p));
      if (!nl) break;
      double x = 0, y = 0;
      auto r = std::from_chars(p, nl, x);
      const char* q = r.ptr;
      while (q < nl && *q == ' ') ++q;
      std::from_chars(q, nl, y);
      xs.push_back(x);
      ys.push_back(y);
      p = nl + 1;
    }
    end = static_cast<size_t>(stop - p);
    std::memmove(buf.data(), p, end);
  }
  ::close(fd);
  std::printf("floor: %zu rows in %.3f s (last %g %g)\n", xs.size(), seconds_since(start),
              xs.empty() ? 0.0 : xs.back(), ys.empty() ? 0.0 : ys.back());
  return 0;
}

int read_bytes(const char* name) {
  const auto start = std::chrono::steady_clock::now();
  const int fd = open_file(name);
  if (fd < 0) return 1;
  unsigned char check = 0;
  const uint64_t total = read_all(fd, check);
  ::close(fd);
  std::printf("bytes: %llu in %.3f s (%u)\n", static_cast<unsigned long long>(total),
              seconds_since(start), check);
  return 0;
}

int read_columns(const char* name) {
  const auto start = std::chrono::steady_clock::now();
  const int fd = open_file(name);
  if (fd < 0) return 1;
  vexal::PointStore st;
  std::vector<char> buf(kBlock);
  size_t end = 0;
  bool header = true;
  for (ssize_t got; (got = ::read(fd, buf.data() + end, buf.size() - end)) > 0;) {
    end += static_cast<size_t>(got);
    size_t pos = header ? 16 : 0;
    header = false;
    const size_t n = (end - pos) / 16;
    double* xs = st.x.extend(n);
    double* ys = st.y.extend(n);
    for (size_t i = 0; i < n; ++i, pos += 16) {
      std::memcpy(xs + i, buf.data() + pos, 8);
      std::memcpy(ys + i, buf.data() + pos + 8, 8);
    }
    end -= pos;
    std::memmove(buf.data(), buf.data() + pos, end);
  }
  ::close(fd);
  std::printf("columns: %zu points in %.3f s\n", st.x.size(), seconds_since(start));
  return 0;
}

// The reader alone, in this process: `append` of the file into an empty store
// with the default settings, timed, and the time of the first touch of the
// same amount of fresh memory beside it.
int read_append(const char* name) {
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
  vexal::PointStore st;
  // The second read finds the store's memory mapped already.
  for (const char* pass : {"first", "again"}) {
    st.clear();
    const auto start = std::chrono::steady_clock::now();
    vexal::AppendResult r = vexal::append(in, rs, math, env, frame, st);
    const double t = seconds_since(start);
    std::printf("append %s: %d points in %.4f s (opened %d, x sum %g)\n", pass, st.npts(), t,
                r.opened, r.x_summary.total());
  }
  return 0;
}

// Drops the file's pages from the page cache, so that the next read finds it
// on the disk only.
int drop_file(const char* name) {
  const int fd = open_file(name);
  if (fd < 0) return 1;
  ::fdatasync(fd);
  const int err = ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
  ::close(fd);
  if (err != 0) {
    std::fprintf(stderr, "%s: cannot drop it from the page cache\n", name);
    return 1;
  }
  return 0;
}

// Reads a file larger than the processor's caches (from the page cache), so
// that the program run next finds none of its own data there, whatever ran
// before it, and no dirty lines to write back either.
void empty_caches(const char* name) {
  const int fd = open_file(name);
  if (fd < 0) return;
  unsigned char last;
  read_all(fd, last);
  ::close(fd);
}

int run(char** argv) {
  if (std::string(argv[0]) == "--evict" && argv[1] && argv[2]) {
    empty_caches(argv[1]);
    argv += 2;
  }
  const auto start = std::chrono::steady_clock::now();
  pid_t pid = ::fork();
  if (pid == 0) {
    int null = ::open("/dev/null", O_WRONLY);
    ::dup2(null, 1);
    ::execvp(argv[0], argv);
    std::perror(argv[0]);
    std::_Exit(127);
  }
  int status = 0;
  struct rusage use {};
  ::wait4(pid, &status, 0, &use);
  const double wall = seconds_since(start);
  const double cpu = use.ru_utime.tv_sec + use.ru_utime.tv_usec * 1e-6 + use.ru_stime.tv_sec +
                     use.ru_stime.tv_usec * 1e-6;
  std::printf("%.4f %.4f %ld %d\n", wall, cpu, use.ru_maxrss,
              WIFEXITED(status) ? WEXITSTATUS(status) : -1);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return usage();
  const std::string what = argv[1];
  if (what == "generate" && argc == 5) return generate(std::atol(argv[2]), argv[3], argv[4]);
  if (what == "floor" && argc == 3) return floor_parse(argv[2]);
  if (what == "bytes" && argc == 3) return read_bytes(argv[2]);
  if (what == "columns" && argc == 3) return read_columns(argv[2]);
  if (what == "append" && argc == 3) return read_append(argv[2]);
  if (what == "drop" && argc == 3) return drop_file(argv[2]);
  if (what == "run" && argc >= 3) return run(argv + 2);
  return usage();
}
