// The array store's routines: coordinate lists, value loading from text,
// the binary array file, the image and its PGM form, and listings.
#include "data/array_store.h"

#include <sys/stat.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

#include "data/record.h"
#include "util/free_format.h"

namespace vexal {

// ---- coordinate lists -------------------------------------------------------------

void scale_list(std::vector<double>& list, std::vector<double>* spacing, int n, double a,
                double d) {
  if (n < 1) return;
  const size_t count = static_cast<size_t>(n);
  if (list.size() < count) list.resize(count);
  for (size_t i = 0; i < count; ++i) list[i] = a + static_cast<double>(i) * d;
  if (spacing) {
    if (spacing->size() < count) spacing->resize(count);
    std::fill_n(spacing->begin(), count, d);
  }
}

void wrap_list(std::vector<double>& list, int n, double mod) {
  if (!(mod > 0) || !std::isfinite(mod)) return;
  const size_t count = std::min(list.size(), static_cast<size_t>(std::max(n, 0)));
  for (size_t i = 1; i < count; ++i) {
    if (!(list[i] < list[i - 1])) continue;
    // Raise by whole moduli in one step: a list entry far below its
    // predecessor would otherwise take as many steps as moduli between them.
    const double steps = std::ceil((list[i - 1] - list[i]) / mod);
    list[i] += steps * mod;
    while (list[i] < list[i - 1]) list[i] += mod;
  }
}

void set_spacing(const std::vector<double>& list, int n, double fixed, std::vector<double>& d) {
  if (n < 1) return;
  const size_t count = static_cast<size_t>(n);
  if (d.size() < count) d.resize(count);
  if (fixed > 0) {
    std::fill_n(d.begin(), count, fixed);
    return;
  }
  auto x = [&](size_t i) { return list_entry(list, i); };  // 1-based
  if (count < 2) {
    d[0] = 0;
    return;
  }
  d[0] = x(2) - x(1);
  for (size_t i = 2; i < count; ++i) d[i - 1] = (x(i + 1) - x(i)) / 2 + (x(i) - x(i - 1)) / 2;
  d[count - 1] = x(count) - x(count - 1);
}

// ---- values from text lines -------------------------------------------------------

namespace {
// Room for the first values of a load; the vector grows from there as they come.
void start_load(std::vector<double>& out, size_t count) {
  out.clear();
  out.reserve(std::min<size_t>(count, 1 << 20));
}
}  // namespace

LoadEnd load_values(const LineSource& next, size_t count, std::vector<double>& out, MathEnv& env,
                    std::string& bad_line) {
  std::string line;
  CompiledMath scratch;
  start_load(out, count);
  size_t got = 0;
  while (got < count) {
    if (!next(line)) return LoadEnd::kEndOfInput;
    const char* p = line.data();
    const char* const e = p + line.size();
    while (got < count) {
      while (p < e && is_separator(*p)) ++p;
      if (p >= e) break;
      double v;
      if (!read_field(p, e, env, scratch, v)) {
        bad_line = line;
        return LoadEnd::kUnreadable;
      }
      out.push_back(static_cast<double>(static_cast<float>(v)));
      ++got;
    }
  }
  return LoadEnd::kComplete;
}

LoadEnd load_free_format(const LineSource& next, size_t count, size_t row, std::vector<double>& out,
                         std::string& bad_line) {
  std::string line;
  start_load(out, count);
  size_t got = 0;
  while (got < count) {
    if (!next(line)) return LoadEnd::kEndOfInput;
    const char* p = line.data();
    const char* const e = p + line.size();
    const size_t stop = row > 0 ? std::min(count, (got / row + 1) * row) : count;
    while (got < stop) {
      while (p < e && is_separator(*p)) ++p;
      if (p >= e) break;
      const char* b = p;
      while (p < e && !is_separator(*p)) ++p;
      double v;
      if (!free_number(b, p, v)) {
        bad_line = line;
        return LoadEnd::kUnreadable;
      }
      out.push_back(v);
      ++got;
    }
  }
  return LoadEnd::kComplete;
}

// ---- the binary array file --------------------------------------------------------

namespace {

// Reads records of the sequential unformatted form, never more than the file
// holds.
class RecordReader {
 public:
  RecordReader(std::FILE* fp, std::string& why) : fp_(fp), why_(why) {
    struct stat st;
    left_ = fstat(fileno(fp), &st) == 0 && S_ISREG(st.st_mode) ? static_cast<long long>(st.st_size)
                                                               : -1;
  }
  // The next record's payload into `out` (resized to it).
  bool record(std::vector<char>& out, const char* what) {
    int32_t head = 0, tail = 0;
    if (!raw(&head, 4)) return fail(std::string("the file ends before the ") + what);
    if (head < 0 || (left_ >= 0 && head > left_ - 4))
      return fail(std::string("the ") + what + " record is cut short");
    out.resize(static_cast<size_t>(head));
    if (!raw(out.data(), out.size()) || !raw(&tail, 4))
      return fail(std::string("the ") + what + " record is cut short");
    if (tail != head)
      return fail(std::string("the ") + what + " record is not framed by its length");
    return true;
  }

 private:
  bool raw(void* p, size_t n) {
    if (n == 0) return true;
    if (std::fread(p, 1, n, fp_) != n) return false;
    if (left_ >= 0) left_ -= static_cast<long long>(n);
    return true;
  }
  bool fail(std::string w) {
    why_ = std::move(w);
    return false;
  }
  std::FILE* fp_;
  std::string& why_;
  long long left_;
};

bool read_count(RecordReader& r, std::vector<char>& buf, const char* what, int& n,
                std::string& why) {
  if (!r.record(buf, what)) return false;
  if (buf.size() != 4) {
    why = std::string("the ") + what + " record holds " + std::to_string(buf.size()) +
          " bytes, not 4";
    return false;
  }
  std::memcpy(&n, buf.data(), 4);
  if (n < 1 || static_cast<size_t>(n) > kMaxCoordinates) {
    why = std::string(what) + " = " + std::to_string(n) + " is outside 1 .. " +
          std::to_string(kMaxCoordinates);
    return false;
  }
  return true;
}

bool read_doubles(RecordReader& r, std::vector<char>& buf, const char* what, size_t n, double* out,
                  std::string& why) {
  if (!r.record(buf, what)) return false;
  if (buf.size() != n * sizeof(double)) {
    why = std::string("the ") + what + " record holds " + std::to_string(buf.size()) +
          " bytes, not " + std::to_string(n * sizeof(double));
    return false;
  }
  std::memcpy(out, buf.data(), buf.size());
  return true;
}

bool write_record(std::FILE* fp, const void* p, size_t n) {
  const int32_t len = static_cast<int32_t>(n);
  return std::fwrite(&len, 4, 1, fp) == 1 && (n == 0 || std::fwrite(p, 1, n, fp) == n) &&
         std::fwrite(&len, 4, 1, fp) == 1;
}

}  // namespace

bool read_raw_array(std::FILE* fp, bool scans, RawArray& out, std::string& why) {
  RecordReader r(fp, why);
  std::vector<char> buf;
  RawArray a;
  if (!read_count(r, buf, "nx", a.nx, why)) return false;
  a.x.resize(static_cast<size_t>(a.nx));
  if (!read_doubles(r, buf, "X coordinate", a.x.size(), a.x.data(), why)) return false;
  if (!read_count(r, buf, "ny", a.ny, why)) return false;
  a.y.resize(static_cast<size_t>(a.ny));
  if (!read_doubles(r, buf, "Y coordinate", a.y.size(), a.y.data(), why)) return false;
  const size_t nx = a.x.size(), ny = a.y.size();
  if (nx * ny > kMaxArrayValues) {
    why = "nx x ny = " + std::to_string(nx * ny) + " is more than the array holds (" +
          std::to_string(kMaxArrayValues) + ")";
    return false;
  }
  if (scans) {
    // One record per row; each is checked before the next is taken.
    for (size_t j = 0; j < ny; ++j) {
      if (!r.record(buf, "row")) return false;
      if (buf.size() != nx * sizeof(double)) {
        why = "row " + std::to_string(j + 1) + " holds " + std::to_string(buf.size()) +
              " bytes, not " + std::to_string(nx * sizeof(double));
        return false;
      }
      a.values.resize((j + 1) * nx);
      std::memcpy(a.values.data() + j * nx, buf.data(), buf.size());
    }
  } else {
    // The record's length is checked against the file before the values
    // are allocated.
    a.values.resize(0);
    if (!r.record(buf, "value")) return false;
    if (buf.size() != nx * ny * sizeof(double)) {
      why = "the value record holds " + std::to_string(buf.size()) + " bytes, not " +
            std::to_string(nx * ny * sizeof(double));
      return false;
    }
    a.values.resize(nx * ny);
    std::memcpy(a.values.data(), buf.data(), buf.size());
  }
  out = std::move(a);
  return true;
}

bool write_raw_array(std::FILE* fp, const RawArray& a) {
  const int32_t nx = a.nx, ny = a.ny;
  return write_record(fp, &nx, 4) && write_record(fp, a.x.data(), a.x.size() * sizeof(double)) &&
         write_record(fp, &ny, 4) && write_record(fp, a.y.data(), a.y.size() * sizeof(double)) &&
         write_record(fp, a.values.data(), a.values.size() * sizeof(double));
}

// ---- the image --------------------------------------------------------------------

namespace {

// The words of a PGM file, read from the stream one by one, so that a row
// of pixels may be a line of any length; comment lines of the header are
// handed out as they come.
class PgmWords {
 public:
  PgmWords(std::FILE* fp, std::vector<std::string>& comments) : fp_(fp), comments_(comments) {}
  // True when the file begins with "P2"; its words follow on the same line.
  bool start() { return get() == 'P' && get() == '2'; }
  // The next word as a non-negative integer; false at the end of the file
  // or for a word that is not one (`bad` set). With `header`, a line whose
  // first character after blanks and tabs is "#" is a comment.
  bool next(long long& v, bool& bad, bool header) {
    int c;
    for (;;) {
      c = get();
      if (c == EOF) return false;
      if (c == '\n') {
        line_start_ = true;
        lead_.clear();
      } else if (line_start_ && (c == ' ' || c == '\t')) {
        if (lead_.size() < kCommentWidth) lead_.push_back(static_cast<char>(c));
      } else if (line_start_ && header && c == '#') {
        comment();
      } else {
        line_start_ = false;
        if (!is_separator(static_cast<char>(c))) break;
      }
    }
    // A word is kept up to kLongestWord characters, so that memory stays
    // bounded; a longer one is taken as not a whole number.
    size_t length = 0;
    bool too_long = false;
    for (; c != EOF && c != '\n' && !is_separator(static_cast<char>(c)); c = get()) {
      if (length < kLongestWord)
        word_[length++] = static_cast<char>(c);
      else
        too_long = true;
    }
    if (c == '\n') {
      line_start_ = true;
      lead_.clear();
    }
    const char* e = word_ + length;
    auto [ptr, ec] = std::from_chars(word_, e, v);
    bad = too_long || ec != std::errc() || ptr != e;
    return !bad;
  }

 private:
  // The next character, a line end for a CR before a line end or the end
  // of the file.
  int get() {
    const int c = getc_unlocked(fp_);
    if (c != '\r') return c;
    const int after = getc_unlocked(fp_);
    if (after == '\n' || after == EOF) return '\n';
    std::ungetc(after, fp_);
    return c;
  }
  // The rest of a comment line after its "#", kept with its leading blanks
  // up to kCommentWidth characters.
  void comment() {
    std::string& text = comments_.emplace_back(lead_);
    text.push_back('#');
    for (int c = get(); c != EOF && c != '\n'; c = get())
      if (text.size() < kCommentWidth) text.push_back(static_cast<char>(c));
    line_start_ = true;
    lead_.clear();
  }

  static constexpr size_t kLongestWord = 64;     // characters kept of a word
  static constexpr size_t kCommentWidth = 4096;  // characters kept of a comment line

  std::FILE* fp_;
  std::vector<std::string>& comments_;
  char word_[kLongestWord];  // the word being read
  std::string lead_;         // blanks and tabs the current line began with
  bool line_start_ = false;  // nothing but blanks and tabs read of the current line
};

}  // namespace

bool read_pgm(std::FILE* fp, Image& out, std::vector<std::string>& comments, std::string& why) {
  PgmWords words(fp, comments);
  if (!words.start()) {
    why = "the file does not begin with P2";
    return false;
  }
  long long size[3];
  static const char* const kNames[] = {"width", "height", "maximum value"};
  for (int k = 0; k < 3; ++k) {
    bool bad = false;
    if (!words.next(size[k], bad, true)) {
      why = std::string(bad ? "the " : "no ") + kNames[k] + (bad ? " is not a whole number" : "");
      return false;
    }
  }
  const long long w = size[0], h = size[1], maxval = size[2];
  if (w < 1 || h < 1 || w > static_cast<long long>(kMaxImageBytes) ||
      h > static_cast<long long>(kMaxImageBytes) ||
      static_cast<unsigned long long>(w) * static_cast<unsigned long long>(h) > kMaxImageBytes) {
    why = "an image of " + std::to_string(w) + " x " + std::to_string(h) +
          " pixels is empty or more than the image store holds";
    return false;
  }
  if (maxval < 1 || maxval > 255) {
    why = "the maximum value " + std::to_string(maxval) + " is outside 1 .. 255";
    return false;
  }
  Image img;
  img.width = static_cast<int>(w);
  img.height = static_cast<int>(h);
  // The pixels grow with what the file holds, not with what its header claims.
  const size_t width = static_cast<size_t>(w), height = static_cast<size_t>(h);
  for (size_t k = 0; k < width * height; ++k) {
    long long v = 0;
    bool bad = false;
    if (!words.next(v, bad, false) || v < 0 || v > maxval) {
      why = bad || v < 0 || v > maxval
                ? "a pixel value is not a whole number within 0 .. the maximum"
                : "the file ends before the last pixel";
      return false;
    }
    img.pixels.push_back(static_cast<uint8_t>(v));
  }
  // The file's first row is the top row.
  for (size_t j = 0; j < height / 2; ++j)
    std::swap_ranges(img.pixels.begin() + static_cast<std::ptrdiff_t>(j * width),
                     img.pixels.begin() + static_cast<std::ptrdiff_t>((j + 1) * width),
                     img.pixels.begin() + static_cast<std::ptrdiff_t>((height - 1 - j) * width));
  out = std::move(img);
  return true;
}

bool load_hex_image(const LineSource& next, int width, int height, Image& out, std::string& why) {
  if (width < 1 || height < 1 || width > kImageRowPitch ||
      static_cast<size_t>(width) * static_cast<size_t>(height) > kMaxImageBytes) {
    why = "IMAGE needs a width of 1 .. " + std::to_string(kImageRowPitch) +
          " and a height of at least 1";
    return false;
  }
  auto hex = [](char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
  };
  const size_t total = static_cast<size_t>(width) * static_cast<size_t>(height);
  std::vector<uint8_t> pixels;
  std::string line;
  while (pixels.size() < total) {
    if (!next(line)) {
      why = "Image load was incomplete owing to lack of data";
      return false;
    }
    for (size_t k = 0; k < line.size() && pixels.size() < total;) {
      if (line[k] == ' ' || line[k] == '\t') {
        ++k;
        continue;
      }
      const int a = hex(line[k]), b = k + 1 < line.size() ? hex(line[k + 1]) : -1;
      if (a < 0 || b < 0) {
        why = "Cannot read image data in line: " + line;
        return false;
      }
      pixels.push_back(static_cast<uint8_t>(a * 16 + b));
      k += 2;
    }
  }
  out.width = width;
  out.height = height;
  out.pixels = std::move(pixels);
  return true;
}

int color_of(double v, double zmin, double zmax, int ncolors) {
  const int top = std::clamp(ncolors - 1, 0, 255);
  const double k = (v - zmin) / (zmax - zmin) * (ncolors - 1);
  if (!(k > 0)) return 0;
  if (k >= top) return top;
  return static_cast<int>(std::lround(k));
}

// ---- listings ---------------------------------------------------------------------

namespace {

// Values four to a line, each line beginning with a blank.
void put_values(OutBuffer& out, const double* v, size_t n) {
  for (size_t k = 0; k < n; ++k) {
    out.put(' ');
    out.put(free_real(v[k]));
    if (k % 4 == 3 || k + 1 == n) out.put('\n');
  }
}

void put_list(OutBuffer& out, const std::vector<double>& list, int n) {
  std::vector<double> v(static_cast<size_t>(std::max(n, 0)));
  for (size_t i = 0; i < v.size(); ++i) v[i] = list_entry(list, i + 1);
  put_values(out, v.data(), v.size());
}

}  // namespace

void write_array_commands(const ArrayGrid& a, OutBuffer& out) {
  out.line("ARRAYX " + free_int(a.nx));
  put_list(out, a.x, a.nx);
  out.line("ARRAYY " + free_int(a.ny));
  put_list(out, a.y, a.ny);
  out.line("ARRAY " + free_int(a.nx) + " " + free_int(a.ny));
  const size_t nx = static_cast<size_t>(std::max(a.nx, 0));
  for (int j = 1; j <= a.ny && nx > 0; ++j) {
    const size_t at = static_cast<size_t>(j - 1) * nx;
    if (at + nx > a.values.size()) break;
    put_values(out, a.values.data() + at, nx);
  }
}

void write_array_pgm(const ArrayGrid& a, double zmin, double zmax, int ncolors, OutBuffer& out) {
  out.line("P2");
  out.line("# vexal PGM ");
  out.line(free_int(a.nx) + " " + free_int(a.ny));
  out.line(free_int(ncolors));
  const size_t nx = static_cast<size_t>(std::max(a.nx, 0));
  for (int j = a.ny; j >= 1 && nx > 0; --j) {
    const size_t at = static_cast<size_t>(j - 1) * nx;
    if (at + nx > a.values.size()) continue;
    for (size_t i = 0; i < nx; ++i) {
      out.put(' ');
      out.put_int(color_of(a.values[at + i], zmin, zmax, ncolors));
      if (i % 16 == 15 || i + 1 == nx) out.put('\n');
    }
  }
}

}  // namespace vexal
