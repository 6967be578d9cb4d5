// Cell maps and pictures as one PostScript image.
#include "postscript/image_writer.h"

#include <zlib.h>

#include <algorithm>
#include <bitset>
#include <cassert>
#include <cmath>
#include <cstdio>

namespace vexal {
namespace {

// Characters of an ASCII85 data line: within the 255 that line-reading
// document tools take.
constexpr int kAscii85Line = 250;
// Bytes handed to the compressor at a time (at most), and taken from it.
constexpr size_t kChunk = 1 << 15;
// The PNG predictors' tags at the start of each row: "up" writes every byte
// as the difference from the byte below it, "none" as it is.
constexpr uint8_t kPredictUp = 2;
constexpr uint8_t kPredictNone = 0;
// Readers make a device level of a component v near v x 255 each in their own
// arithmetic: within this many thousandths of a level of halfway between two
// levels a value may come out either way (Ghostscript's fills and images
// part at 0.1, 0.351 and 0.9, among others), so there the lookup byte cannot
// be trusted to show what a selection of the value shows.
constexpr int kHalfwayMargin = 10;

// Compressed and ASCII85-encoded data into the document: one zlib stream
// from the first put() to end(), which writes "~>", and the next after it.
// The compressor's memory is kept from one stream to the next. Without a
// document the compressed bytes are only counted.
class ImageData {
 public:
  explicit ImageData(OutBuffer* out) : out_(out), buffer_(kChunk) {
    started_ = deflateInit(&z_, Z_DEFAULT_COMPRESSION) == Z_OK;
  }
  ~ImageData() {
    if (started_) deflateEnd(&z_);
  }
  ImageData(const ImageData&) = delete;
  ImageData& operator=(const ImageData&) = delete;

  // False when the compressor could not start (no memory).
  bool started() const { return started_; }
  // Compressed bytes so far.
  size_t compressed() const { return compressed_; }

  void put(const uint8_t* p, size_t n) {
    while (n > 0) {
      const size_t part = std::min(n, kChunk);
      z_.next_in = const_cast<uint8_t*>(p);  // zlib's interface is not const
      z_.avail_in = static_cast<uInt>(part);
      compress(Z_NO_FLUSH);
      p += part;
      n -= part;
    }
  }
  // Ends the zlib stream and the ASCII85 text, and starts the next stream.
  void end() {
    z_.next_in = nullptr;
    z_.avail_in = 0;
    compress(Z_FINISH);
    const int status = deflateReset(&z_);
    assert(status == Z_OK);
    (void)status;
    if (!out_) return;
    if (held_ > 0) {  // the last group: held_ + 1 characters of a zero-padded group
      std::fill(group_ + held_, group_ + 4, 0);
      char chars[5];
      encode_group(chars);
      put_chars(chars, held_ + 1);
      held_ = 0;
    }
    out_->put("~>\n");
    column_ = 0;
  }

 private:
  void compress(int flush) {
    int status;
    do {
      z_.next_out = buffer_.data();
      z_.avail_out = static_cast<uInt>(buffer_.size());
      status = deflate(&z_, flush);
      assert(status != Z_STREAM_ERROR);
      const size_t n = buffer_.size() - z_.avail_out;
      compressed_ += n;
      if (out_) ascii85(buffer_.data(), n);
    } while (z_.avail_out == 0 || (flush == Z_FINISH && status != Z_STREAM_END));
  }

  void encode_group(char chars[5]) const {
    uint32_t v = (uint32_t{group_[0]} << 24) | (uint32_t{group_[1]} << 16) |
                 (uint32_t{group_[2]} << 8) | group_[3];
    for (int i = 4; i >= 0; --i) {
      chars[i] = static_cast<char>('!' + v % 85);
      v /= 85;
    }
  }

  void ascii85(const uint8_t* p, size_t n) {
    for (size_t i = 0; i < n; ++i) {
      group_[held_++] = p[i];
      if (held_ < 4) continue;
      held_ = 0;
      if (group_[0] == 0 && group_[1] == 0 && group_[2] == 0 && group_[3] == 0) {
        put_chars("z", 1);
        continue;
      }
      char chars[5];
      encode_group(chars);
      put_chars(chars, 5);
    }
  }

  // Characters into lines of kAscii85Line. A line never starts with "%":
  // tools reading the document by lines would take it for a comment. The
  // decoder skips the blank put before one.
  void put_chars(const char* s, int n) {
    for (int i = 0; i < n; ++i) {
      if (column_ == kAscii85Line) {
        out_->put('\n');
        column_ = 0;
      }
      if (column_ == 0 && s[i] == '%') {
        out_->put(' ');
        ++column_;
      }
      out_->put(s[i]);
      ++column_;
    }
  }

  OutBuffer* out_;
  z_stream z_{};
  size_t compressed_ = 0;
  bool started_ = false;
  std::vector<uint8_t> buffer_;  // compressed bytes on their way to ASCII85
  uint8_t group_[4] = {};
  int held_ = 0;    // bytes of group_ filled
  int column_ = 0;  // characters on the current line
};

// A table entry's colour as the image shows it: the byte of each component
// as written into the table's selections (three decimals), and whether
// that byte can be trusted to show as the selection does.
struct LookupEntry {
  uint8_t bytes[3];
  bool exact = true;
};

LookupEntry lookup_entry(const Rgb& c) {
  LookupEntry e;
  const double components[3] = {c.r, c.g, c.b};
  for (int i = 0; i < 3; ++i) {
    // The thousandths the selection writes, from the same formatting.
    char text[16];
    std::snprintf(text, sizeof text, "%.3f", color_component(components[i]));
    const int thousandths = static_cast<int>(std::lround(std::strtod(text, nullptr) * 1000));
    const int scaled = 255 * thousandths;  // in thousandths of a level
    e.bytes[i] = static_cast<uint8_t>((scaled + 500) / 1000);
    if (std::abs(scaled % 1000 - 500) <= kHalfwayMargin) e.exact = false;
  }
  return e;
}

// "/ICT <hex> d": the lookup string of the image colour space, when the
// table's bytes have changed since it was last written.
void write_lookup(PsWriter& w, const std::array<LookupEntry, kColorTableSize>& entries) {
  std::array<uint8_t, 3 * kColorTableSize> bytes;
  for (int k = 0; k < kColorTableSize; ++k) std::copy_n(entries[k].bytes, 3, bytes.begin() + 3 * k);
  if (w.image_lookup_written && bytes == w.image_lookup) return;
  w.image_lookup = bytes;
  w.image_lookup_written = true;
  static constexpr char kHex[] = "0123456789abcdef";
  w.out.put("/ICT <");
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (i % 48 == 0) w.out.put('\n');
    w.out.put(kHex[bytes[i] >> 4]);
    w.out.put(kHex[bytes[i] & 15]);
  }
  w.out.put("\n> d\n");
}

// The widths of the first, an inner and the last of the bands of strokes
// drawn across an axis.
std::array<double, 3> stroke_widths(std::span<const double> lo, std::span<const double> hi) {
  const size_t n = lo.size(), inner = n > 2 ? 1 : n - 1;
  return {hi[0] - lo[0], hi[inner] - lo[inner], hi[n - 1] - lo[n - 1]};
}

// A number of the placement in the document.
void put_number(OutBuffer& out, double v) {
  char text[32];
  const int n = std::snprintf(text, sizeof text, " %.9g", v);
  out.put(std::string_view(text, static_cast<size_t>(n)));
}

// The four numbers of an axis in the IMR line: the outer edges, and the
// widths of the first, inner and last strokes when the strokes run across
// the axis (zeros when they run along it).
void put_clip_axis(OutBuffer& out, const ImageAxis& a, std::span<const double> widths) {
  put_number(out, a.lo);
  put_number(out, a.hi);
  for (double width : widths) put_number(out, width);
}

// "S gsave", the clip, and the unit square mapped onto the image's cells.
void begin_image(PsWriter& w, const ImageAxis& x, const ImageAxis& y, const CellBands& cells,
                 size_t nx, size_t ny, std::string_view space) {
  w.out.put("S gsave\n");
  const std::array<double, 3> none{};
  const std::array<double, 3> widths =
      stroke_widths(cells.rows ? cells.y_lo : cells.x_lo, cells.rows ? cells.y_hi : cells.x_hi);
  put_clip_axis(w.out, x, cells.rows ? none : widths);
  put_clip_axis(w.out, y, cells.rows ? widths : none);
  w.out.put(" IMR\n");
  put_number(w.out, x.origin);
  put_number(w.out, y.origin);
  w.out.put(" translate");
  put_number(w.out, x.step * static_cast<double>(nx));
  put_number(w.out, y.step * static_cast<double>(ny));
  w.out.put(" scale ");
  w.out.put(space);
  w.out.put(" setcolorspace\n");
}

void put_size(OutBuffer& out, size_t nx, size_t ny, std::string_view op) {
  out.put_int(static_cast<long long>(nx));
  out.put(' ');
  out.put_int(static_cast<long long>(ny));
  out.put(' ');
  out.line(op);
}

// Row r of the image as sent (mx cells): the data's row r - y.before (its
// first or last row for the copies), its first and last cell copied likewise.
void image_row(const uint8_t* indices, size_t nx, size_t ny, const ImageAxis& x, const ImageAxis& y,
               size_t r, std::vector<uint8_t>& row) {
  const size_t before = static_cast<size_t>(y.before);
  const size_t j = std::min(r >= before ? r - before : 0, ny - 1);
  const uint8_t* data = indices + j * nx;
  row.clear();
  if (x.before) row.push_back(data[0]);
  row.insert(row.end(), data, data + nx);
  row.insert(row.end(), static_cast<size_t>(x.after), data[nx - 1]);
}

// The image's rows (every `stride`-th of them), each after the predictor's
// tag: with kPredictUp as differences from the row below (the first row
// from zeros), with kPredictNone as they are.
void put_indices(ImageData& data, const uint8_t* indices, size_t nx, size_t ny, const ImageAxis& x,
                 const ImageAxis& y, uint8_t tag, size_t stride = 1) {
  const size_t my = ny + y.before + y.after;
  std::vector<uint8_t> row, below, sent;                 // reused from row to row
  const bool follow = tag == kPredictUp && stride == 1;  // `below` kept from the turn before
  for (size_t r = 0; r < my; r += stride) {
    image_row(indices, nx, ny, x, y, r, row);
    if (tag != kPredictUp || r == 0)
      below.assign(row.size(), 0);  // nothing to predict from
    else if (!follow)
      image_row(indices, nx, ny, x, y, r - 1, below);
    sent.assign(1, tag);
    for (size_t i = 0; i < row.size(); ++i) sent.push_back(static_cast<uint8_t>(row[i] - below[i]));
    data.put(sent.data(), sent.size());
    if (follow) std::swap(row, below);
  }
}

// The predictor that compresses the image better, judged by compressing
// about 64 of its rows each way: rows like the ones below them (gradients,
// flat areas) take "up", noise is left as it is, so that the compressor
// can use how unevenly its values are spread.
uint8_t image_predictor(const uint8_t* indices, size_t nx, size_t ny, const ImageAxis& x,
                        const ImageAxis& y) {
  const size_t stride = std::max<size_t>(1, (ny + y.before + y.after) / 64);
  size_t sizes[2];
  const uint8_t tags[2] = {kPredictUp, kPredictNone};
  for (int k = 0; k < 2; ++k) {
    ImageData trial(nullptr);
    if (!trial.started()) return kPredictUp;
    put_indices(trial, indices, nx, ny, x, y, tags[k], stride);
    trial.end();
    sizes[k] = trial.compressed();
  }
  return sizes[1] < sizes[0] ? kPredictNone : kPredictUp;
}

// One bit per image cell, rows padded to whole bytes: set where the index is k.
void put_mask(ImageData& data, const uint8_t* indices, size_t nx, size_t ny, const ImageAxis& x,
              const ImageAxis& y, uint8_t k) {
  const size_t my = ny + y.before + y.after;
  std::vector<uint8_t> row, bits;  // reused from row to row
  for (size_t r = 0; r < my; ++r) {
    image_row(indices, nx, ny, x, y, r, row);
    bits.assign((row.size() + 7) / 8, 0);
    for (size_t i = 0; i < row.size(); ++i)
      if (row[i] == k) bits[i / 8] |= static_cast<uint8_t>(0x80 >> i % 8);
    data.put(bits.data(), bits.size());
  }
}

// The bounding box grows by the rectangle as by a drawn line, within the
// clip window.
void widen_box(PsWriter& w, const std::array<int, 4>& r) {
  w.bxmin = std::min(w.bxmin, std::max(w.cxmin, std::min(r[0], r[2])));
  w.bxmax = std::max(w.bxmax, std::min(w.cxmax, std::max(r[0], r[2])));
  w.bymin = std::min(w.bymin, std::max(w.cymin, std::min(r[1], r[3])));
  w.bymax = std::max(w.bymax, std::min(w.cymax, std::max(r[1], r[3])));
}

// The largest distance of the inner edges from the axis's cell edges.
double inner_error(std::span<const double> edges, const ImageAxis& a) {
  double worst = 0;
  for (size_t k = 1; k + 1 < edges.size(); ++k) {
    const double off = std::abs(edges[k] - (a.origin + static_cast<double>(k) * a.step));
    if (!(off <= worst)) worst = off;  // also NaN
  }
  return worst;
}

// The placement of cells `step` long with cell k's start at `origin` + k
// step, copies of the end cells added so that they reach the outer edges.
// False when a copy of more than one cell would be needed at the start.
bool place_cells(std::span<const double> edges, double origin, double step, ImageAxis& a) {
  const size_t n = edges.size() - 1;
  const double first = edges[0], last = edges[n];
  if (!(step > 0)) return false;
  a = {origin, step, 0, 0, first, last};
  if (a.origin > first + 1) {
    a.before = 1;
    a.origin -= step;
  }
  if (a.origin > first + 1) return false;
  const double reach = a.origin + static_cast<double>(n + a.before) * step;
  if (reach < last - 1) a.after = 1;
  return reach + a.after * step >= last - 1;
}

}  // namespace

bool visible_edges(std::span<const double> lo, std::span<const double> hi,
                   std::vector<double>& edges) {
  const size_t n = lo.size();
  if (n == 0 || hi.size() != n) return false;
  edges.assign(lo.begin(), lo.end());
  edges.push_back(hi[n - 1]);
  for (size_t k = 0; k < n; ++k) {
    if (!(lo[k] <= hi[k])) return false;  // also NaN
    // The next cell starts within this one (no gap) and reaches past it.
    if (k + 1 < n && !(lo[k] <= lo[k + 1] && lo[k + 1] <= hi[k] && hi[k] <= hi[k + 1]))
      return false;
  }
  return edges[n] - edges[0] >= 1;
}

bool fit_image_axis(std::span<const double> edges, ImageAxis& axis) {
  if (edges.size() < 2) return false;
  const size_t n = edges.size() - 1;
  const auto at = [&](size_t k) { return edges[k]; };
  const auto span = [&](size_t from, size_t to) {
    return (at(to) - at(from)) / static_cast<double>(to - from);
  };
  // Cell sizes from the outer edges, from the starts of the cells, from
  // their ends and from the inner edges alone; the clip shows the outer
  // edges where they are, so the one that puts the inner edges nearest
  // where they are is taken.
  struct Candidate {
    double origin, step;
  };
  std::vector<Candidate> candidates = {{at(0), span(0, n)}};
  if (n >= 2) {
    candidates.push_back({at(0), span(0, n - 1)});
    candidates.push_back({at(1) - span(1, n), span(1, n)});
  }
  if (n >= 3) candidates.push_back({at(1) - span(1, n - 1), span(1, n - 1)});
  double best = 1;  // no inner edge may move by more than a device unit
  bool found = false;
  for (const Candidate& c : candidates) {
    ImageAxis a;
    if (!place_cells(edges, c.origin, c.step, a)) continue;
    const double error = inner_error(edges, a);
    if (error <= best && (!found || error < best)) {
      best = error;
      axis = a;
      found = true;
    }
  }
  return found;
}

bool write_cell_image(PsWriter& w, const CellBands& cells, const uint8_t* indices) {
  const size_t nx = cells.x_lo.size(), ny = cells.y_lo.size();
  std::vector<double> edges;
  ImageAxis x, y;
  if (!visible_edges(cells.x_lo, cells.x_hi, edges) || !fit_image_axis(edges, x) ||
      !visible_edges(cells.y_lo, cells.y_hi, edges) || !fit_image_axis(edges, y))
    return false;
  ImageData data(&w.out);
  if (!data.started()) return false;
  // One more copy of the last cells, for the half pixel IMR moves it back.
  ++x.after;
  ++y.after;

  std::array<LookupEntry, kColorTableSize> entries;
  for (int k = 0; k < kColorTableSize; ++k) entries[k] = lookup_entry(w.cmap[k]);
  std::bitset<kColorTableSize> used;
  for (size_t k = 0; k < nx * ny; ++k) used.set(indices[k]);

  // When every colour used is a grey, the samples are the grey levels
  // themselves, a single component for the reader.
  bool grey = true;
  for (int k = 0; k < kColorTableSize && grey; ++k) {
    const uint8_t* b = entries[k].bytes;
    grey = !used.test(k) || (b[0] == b[1] && b[1] == b[2]);
  }
  std::vector<uint8_t> levels;
  if (grey) {
    levels.resize(nx * ny);
    for (size_t k = 0; k < nx * ny; ++k) levels[k] = entries[indices[k]].bytes[0];
  }
  const uint8_t* samples = grey ? levels.data() : indices;

  end_pen_path(w);  // the image's "S" ends the path
  if (!grey) write_lookup(w, entries);
  const size_t mx = nx + x.before + x.after, my = ny + y.before + y.after;
  begin_image(w, x, y, cells, mx, my, grey ? "/DeviceGray" : "[/Indexed /DeviceRGB 255 ICT]");
  w.nseg = 0;
  forget_point(w);
  put_size(w.out, mx, my, grey ? "[0 1] IMG" : "[0 255] IMG");
  put_indices(data, samples, nx, ny, x, y, image_predictor(samples, nx, ny, x, y));
  data.end();
  // Colours whose lookup bytes may show otherwise are painted again by the
  // selection's own operation on the same values.
  for (int k = 0; k < kColorTableSize; ++k) {
    if (!used.test(k) || entries[k].exact) continue;
    const Rgb& c = w.cmap[k];
    char line[48];
    const int n = std::snprintf(line, sizeof line, "%6.3f%6.3f%6.3f RGB\n", color_component(c.r),
                                color_component(c.g), color_component(c.b));
    w.out.put(std::string_view(line, static_cast<size_t>(n)));
    put_size(w.out, mx, my, "MSK");
    put_mask(data, indices, nx, ny, x, y, static_cast<uint8_t>(k));
    data.end();
  }
  w.out.put("grestore\n");
  widen_box(w, cells.lines);
  return true;
}

}  // namespace vexal
