// The reader's binary input: "$P"/"$R" column files (header, header
// variables, comment records, records, taken a block at a time while they
// need no per-point work) and TMDATA frames.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

#include "data/reader.h"
#include "util/text.h"
#include "util/variables.h"

namespace vexal {

namespace {
constexpr int kOldCommentsLevel = 740576;  // below it comment records run as commands
}  // namespace

void Reader::read_binary(DataFile& f, bool doubles) {
  const bool swap = rs_.swap_binary;
  f.seek(4);
  const char* counts = f.record(4);
  if (!counts) return;
  uint16_t raw_cols, raw_comments;
  std::memcpy(&raw_cols, counts, 2);
  std::memcpy(&raw_comments, counts + 2, 2);
  if (swap) {
    raw_cols = __builtin_bswap16(raw_cols);
    raw_comments = __builtin_bswap16(raw_comments);
  }
  const int ncols = static_cast<int16_t>(raw_cols);
  const int ncomments = static_cast<int16_t>(raw_comments);
  if (ncols < 1 || ncols > kMaxDataColumns) {
    env_.err.line("Binary data error: Less than one or more than 50 columns of data.");
    return;
  }
  const size_t width = doubles ? 8 : 4;
  const size_t reclen = width * static_cast<size_t>(ncols);
  setvariable(env_.vars, "BINARYCOLUMNS", ncols);
  f.seek(0);
  const char* header = f.record(reclen);
  if (!header) return;
  for (int i = 0; i < ncols; ++i) {
    const char* at = header + width * static_cast<size_t>(i);
    char name[] = "BINARYHEADER00";
    name[12] = static_cast<char>('0' + (i + 1) / 10);
    name[13] = static_cast<char>('0' + (i + 1) % 10);
    setvariable(env_.vars, name, doubles ? swapped_double(at, swap) : swapped_single(at, swap));
  }
  // Data begin at record 2, or 3 for single precision with one column (the
  // 4-byte records 1 and 2 hold the marker and the counts).
  uint64_t first = (!doubles && ncols == 1) ? 3 : 2;
  if (ncomments > 0 && (doubles || in_.allow_commands_in_data)) {
    if (in_.compat_level < kOldCommentsLevel) {
      f.seek((first - 1) * reclen);
      std::string text;
      for (int k = 0; k < ncomments && text.size() < kCommentText; ++k) {
        const char* rec = f.record(reclen);
        if (!rec) break;
        text.append(rec, std::min(reclen, kCommentText - text.size()));
      }
      for (char& c : text)
        if (c == '\r' || c == '\n')
          c = ';';
        else if (c == '\0')
          c = ' ';
      size_t start = 0;
      for (size_t semi; (semi = text.find(';', start)) != std::string::npos; start = semi + 1) {
        std::string_view piece = std::string_view(text).substr(start, semi + 1 - start);
        if (nstrng(piece.substr(0, piece.size() - 1)) > 0)
          result_.commands.emplace_back(nolead(piece));
      }
    }
    first += static_cast<uint64_t>(ncomments);
  }
  first += static_cast<uint64_t>(std::max(rs_.skip, 0));
  f.seek((first - 1) * reclen);
  if (!open_errorbars()) return;
  result_.fields_read = ncols;
  warn_columns_beyond(ncols);
  const bool plain = plain_binary(ncols);
  for (;;) {
    if (plain) {
      // Runs of records that need none of the per-point work go straight
      // into the columns; the record that ends a run takes the full path.
      size_t count = 0;
      const char* recs = f.records(reclen, count);
      if (!recs) break;
      const size_t stored = store_plain_records(recs, count, reclen, doubles);
      f.advance(stored * reclen);
      if (stored > 0) {
        if (st_.npts() >= rs_.maxpts) break;
        continue;
      }
    }
    const char* rec = f.record(reclen);
    if (!rec) break;
    // Value by value: for records this short a variable-length memcpy
    // costs more than the copy.
    double* fields = &pt_.fields[1];
    if (doubles) {
      for (int k = 0; k < ncols; ++k) fields[k] = swapped_double(rec + 8 * k, swap);
    } else {
      for (int k = 0; k < ncols; ++k) fields[k] = swapped_single(rec + 4 * k, swap);
    }
    if (!store_and_thin([&] { return f.record(reclen) != nullptr; })) break;
  }
  if (show_progress_) progress('\n');
  warn_unread([&] { return f.record(reclen) != nullptr; });
}

// True when a binary record needs nothing of the reader but its X, Y and Z
// fields, the range, logarithm and step checks and the default codes: no
// math commands, listing, error bars, code columns or thinning.
bool Reader::plain_binary(int ncols) const {
  auto in_record = [ncols](int col) { return col >= 1 && col <= ncols; };
  return math_.commands.empty() && !(rs_.display_data && in_.verbose) && !eb_out_ && rs_.cc < 1 &&
         rs_.sc < 1 && rs_.wc < 1 && rs_.pen < 1 && plotevery_ == 1 && in_record(rs_.xc) &&
         in_record(rs_.yc) && (rs_.zc == 0 || in_record(rs_.zc));
}

// The settings of a run of plain records that starts at `recs` with the
// next point.
PlainRun Reader::plain_run(const char* recs, size_t reclen, bool doubles) const {
  PlainRun run;
  run.recs = recs;
  run.reclen = reclen;
  run.swap = rs_.swap_binary;
  const size_t width = doubles ? 8 : 4;
  run.xo = width * static_cast<size_t>(rs_.xc - 1);
  run.yo = width * static_cast<size_t>(rs_.yc - 1);
  run.zo = rs_.zc > 0 ? width * static_cast<size_t>(rs_.zc - 1) : 0;
  run.z_read = rs_.zc > 0;
  run.first_record = static_cast<double>(st_.npts() + 1) + st_.npts_skipped;
  run.xmin = finite_bound(rs_.xrangemin);
  run.xmax = finite_bound(rs_.xrangemax);
  run.ymin = finite_bound(rs_.yrangemin);
  run.ymax = finite_bound(rs_.yrangemax);
  run.zmin = finite_bound(rs_.zrangemin);
  run.zmax = finite_bound(rs_.zrangemax);
  run.dxmin = rs_.xdeltamin;
  run.dxmax = rs_.xdeltamax;
  run.dymin = rs_.ydeltamin;
  run.dymax = rs_.ydeltamax;
  run.xneg = in_.negate.x;
  run.yneg = in_.negate.y;
  run.xlog = in_.xlog;
  run.ylog = in_.ylog;
  run.zlog = in_.zlog;
  run.has_previous = st_.npts() > 0;
  run.px = prevx_;
  run.py = prevy_;
  return run;
}

// Stores records from the start of `recs` for as long as each is a plain
// point: inside the ranges, positive on logarithmic axes, within the step
// limits, with no line break pending. Returns how many were stored (they
// are exactly what store_record would have stored).
size_t Reader::store_plain_records(const char* recs, size_t count, size_t reclen, bool doubles) {
  if (pending_break_) return 0;
  const int n0 = st_.npts();
  size_t most = count;
  most = std::min(most, static_cast<size_t>(std::max(np_ - n0, 0)));
  most = std::min(most, static_cast<size_t>(std::max(rs_.maxpts - n0, 0)));
  if (show_progress_)
    most = std::min(most, static_cast<size_t>(kProgressEvery - n0 % kProgressEvery));
  most = std::min(most, size_t{4096});
  if (most == 0) return 0;

  PlainRun run = plain_run(recs, reclen, doubles);
  double* xs = st_.x.extend(most);
  double* ys = st_.y.extend(most);
  double* zs = run.z_read ? st_.z.extend_values(most) : nullptr;
  // The sums and the current record change only when the run is through.
  ColumnSummary xsum = result_.x_summary, ysum = result_.y_summary;
  double last_fields[kMaxDataColumns + 1];
  const int nfields = result_.fields_read;
  const size_t k = doubles ? run.store<true>(xs, ys, zs, most, xsum, ysum)
                           : run.store<false>(xs, ys, zs, most, xsum, ysum);
  if (k > 0) read_fields(run, recs + (k - 1) * reclen, nfields, doubles, last_fields);
  if (zs) st_.z.resize(static_cast<size_t>(n0) + k, 0.0);
  st_.x.resize(static_cast<size_t>(n0) + k);
  st_.y.resize(static_cast<size_t>(n0) + k);
  if (k == 0) return 0;
  result_.x_summary = xsum;
  result_.y_summary = ysum;
  take_plain(k, run, last_fields);
  return k;
}

// Takes the k points a plain run wrote into X and Y (and Z) as stored: the
// other columns, the previous point, the current record and the progress
// lines.
void Reader::take_plain(size_t k, const PlainRun& run, const double* last_fields) {
  const double first_record = run.first_record;
  if (rs_.zc == 0) st_.z.append_run(first_record, 1, k);
  st_.v.append_run(0, 0, k);
  st_.symbol.append_run(in_.symbols_on ? in_.sn : -1, 0, k);
  st_.pen.append_run(in_.lt, 0, k);
  st_.colour.append_run(-1, 0, k);
  prevx_ = run.px;
  prevy_ = run.py;
  const int from = st_.npts() - static_cast<int>(k);  // X and Y hold the run already
  // The current record is the last one stored.
  pt_.fields[0] = first_record + static_cast<double>(k - 1);
  for (int c = 1; c <= result_.fields_read; ++c) pt_.fields[c] = last_fields[c];
  if (show_progress_)
    for (int n = (from / kProgressEvery + 1) * kProgressEvery; n <= st_.npts(); n += kProgressEvery)
      progress('\r', n);
}

void Reader::read_frames(DataFile& f) {
  const long rows = frame_.rows, cols = frame_.cols;
  if (rows < 1 || cols < 1 || rows * cols > kFrameBytes) {
    OutBuffer& e = env_.err;
    e.put("TMDATA frame of ");
    e.put_int(rows);
    e.put(" x ");
    e.put_int(cols);
    e.line(" bytes does not fit the 8192-byte frame buffer; nothing read.");
    return;
  }
  const size_t reclen = static_cast<size_t>(rows * cols);
  f.seek(static_cast<uint64_t>(std::max(rs_.skip, 0)) * reclen);
  if (!open_errorbars()) return;
  while (const char* rec = f.record(reclen)) {
    std::memcpy(frame_.bytes.data(), rec, reclen);
    if (!store_and_thin([&] { return f.record(reclen) != nullptr; })) break;
  }
  if (show_progress_) progress('\n');
  warn_unread([&] { return f.record(reclen) != nullptr; });
}

}  // namespace vexal
