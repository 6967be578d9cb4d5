// The data-file reader. Text is read in large blocks through one reused
// buffer (DataFile); plain numbers take a from_chars fast path and only fields
// that need it (expressions, "$" variables, times, hexadecimal) go through the
// general number reader. Binary records that need no per-point work are
// taken a block at a time (binary_records.h).
// Nothing is allocated per point.
#include "data/append.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "data/binary_records.h"
#include "data/data_file.h"
#include "expr/stak_math.h"
#include "expr/valread.h"
#include "util/free_format.h"
#include "util/numbers.h"
#include "util/text.h"
#include "util/variables.h"

namespace vexal {

namespace {

constexpr int kOldCommentsLevel = 740576;  // below it comment records run as commands

bool is_separator(char c) { return c == ' ' || c == '\t' || c == ','; }

// A plain decimal number filling [b, e): what valread reads as a real without
// a "+", a "d" exponent or a "%". The common case of every data file.
bool plain_number(const char* b, const char* e, double& v) {
  const char* p = b;
  if (p < e && *p == '-') ++p;
  if (p >= e || !((*p >= '0' && *p <= '9') || *p == '.') || e - b > 256) return false;
  auto [ptr, ec] = std::from_chars(b, e, v, std::chars_format::general);
  return ec == std::errc() && ptr == e;
}

// "nan", "inf" or "infinity" in any case, signed or not, as other programs
// write values that are not finite: read as such (not as an unreadable field,
// which reads 0), so that the range check rejects the point.
bool nonfinite_word(const char* b, const char* e, double& v) {
  if (b < e && *b == '+') ++b;
  const char* p = b < e && *b == '-' ? b + 1 : b;
  if (p >= e || !(*p == 'n' || *p == 'N' || *p == 'i' || *p == 'I')) return false;
  auto [ptr, ec] = std::from_chars(b, e, v, std::chars_format::general);
  return ec == std::errc() && ptr == e;
}

// A number in free format: a plain number, possibly with a "+" sign or a "d"
// exponent, or a word for a value that is not finite.
bool free_number(const char* b, const char* e, double& v) {
  if (plain_number(b, e, v) || nonfinite_word(b, e, v)) return true;
  char tmp[64];
  if (b < e && *b == '+') ++b;
  size_t n = static_cast<size_t>(e - b);
  if (n == 0 || n >= sizeof tmp) return false;
  for (size_t i = 0; i < n; ++i) tmp[i] = (b[i] == 'd' || b[i] == 'D') ? 'e' : b[i];
  return plain_number(tmp, tmp + n, v);
}

// The nearest integer of v within [lo, hi]; NaN gives lo.
int clamp_round(double v, int lo, int hi) {
  if (!(v >= lo)) return lo;
  if (v >= hi) return hi;
  return static_cast<int>(std::lround(v));
}

// One read of the data file into the store.
class Reader {
 public:
  Reader(const AppendInput& in, const ReaderSettings& rs, const MathList& math, MathEnv& env,
         TmFrame& frame, PointStore& store)
      : in_(in), rs_(rs), math_(math), env_(env), frame_(frame), st_(store), pt_(env.point) {
    np_ = std::clamp(rs.np, 0, kMaxPoints);
    show_progress_ = in.verbose && !rs.display_data;
    plotevery_ = std::max(rs.plotevery, 1);
    ebskip_ = std::max(rs.ebskip, 1);
  }

  AppendResult run();

 private:
  enum class Outcome { kStored, kRejected, kStop };

  void read_text(DataFile& f, std::string_view first);
  void read_binary(DataFile& f, bool doubles);
  bool plain_binary(int ncols) const;
  size_t store_plain_records(const char* recs, size_t count, size_t reclen, bool doubles);
  PlainRun plain_run(const char* recs, size_t reclen, bool doubles) const;
  void take_plain(size_t k, const PlainRun& run, const double* last_fields);
  void read_frames(DataFile& f);
  Outcome store_record();
  template <class SkipOne>
  bool store_and_thin(SkipOne skip_one);
  Outcome reject();
  template <class NextRecord>
  void warn_unread(NextRecord next);
  void count_skipped();
  void progress(char end, int npts = -1);
  bool read_fast_line(std::string_view line);
  // Creates the error-bar file when error-bar columns are set; false after
  // its message when it cannot be (nothing is read then).
  bool open_errorbars();
  void write_errorbar(double x, double y, double xl, double xh, double yl, double yh);

  double field(int col) const {
    return static_cast<unsigned>(col) <= kMaxDataColumns ? pt_.fields[col] : 0.0;
  }

  const AppendInput& in_;
  const ReaderSettings& rs_;
  const MathList& math_;
  MathEnv& env_;
  TmFrame& frame_;
  PointStore& st_;
  CurrentPoint& pt_;
  AppendResult result_;
  CompiledMath scratch_;  // reused by expression fields
  int np_;
  int plotevery_, ebskip_;
  bool show_progress_;
  bool pending_break_ = false;  // a rejected record: the next point starts a new line
  double prevx_ = 0, prevy_ = 0;
  std::FILE* eb_file_ = nullptr;
  CreatedFiles own_created_;  // when the caller keeps no record of its scratch files
  std::unique_ptr<OutBuffer> eb_out_;
};

AppendResult Reader::run() {
  DataFile f;
  bool not_regular = false;
  if (!f.open(in_.file, &not_regular)) {
    data_file_error(env_.err, in_.file, not_regular);
    return result_;
  }
  result_.opened = true;
  result_.first_point = st_.npts;
  if (st_.x.size() != static_cast<size_t>(st_.npts) || st_.y.size() != st_.x.size() ||
      st_.z.size() != st_.x.size() || st_.v.size() != st_.x.size() ||
      st_.symbol.size() != st_.x.size() || st_.pen.size() != st_.x.size() ||
      st_.colour.size() != st_.x.size())
    resize_points(st_, st_.npts);  // keep every column as long as the point count
  if (st_.npts > 0) {
    reserve_points(st_, rs_.np);  // before the math commands look at the columns
    prevx_ = st_.x[st_.npts - 1];
    prevy_ = st_.y[st_.npts - 1];
  }
  env_.store = PointColumns{&st_.x, &st_.y, &st_.z, &st_.v, static_cast<size_t>(st_.npts)};
  for (int k = 1; k <= kMaxDataColumns; ++k) pt_.fields[k] = 0;
  if (rs_.tmdata) {
    read_frames(f);
  } else {
    std::string_view first;
    if (!f.line(first)) first = {};
    if (first.size() >= 2 && first[0] == '$' && (first[1] == 'P' || first[1] == 'R'))
      read_binary(f, first[1] == 'P');
    else
      read_text(f, first);
  }
  if (eb_file_) {
    eb_out_->flush();
    std::fclose(eb_file_);
  }
  return result_;
}

bool Reader::open_errorbars() {
  if (rs_.xebcl <= 0 && rs_.xebch <= 0 && rs_.yebcl <= 0 && rs_.yebch <= 0) return true;
  std::string name = "error" + in_.run_id + ".tmp";
  eb_file_ = create_scratch_file(in_.created ? *in_.created : own_created_, name, "error-bar file",
                                 env_.err);
  if (!eb_file_) return false;
  eb_out_ = std::make_unique<OutBuffer>(eb_file_);
  result_.errorbar_file = name;
  return true;
}

void Reader::write_errorbar(double x, double y, double xl, double xh, double yl, double yh) {
  char buf[40];
  OutBuffer& o = *eb_out_;
  o.put("ERRORBAR ");
  for (double v : {x, y, xl, xh, yl, yh}) o.put(exponent_field(v, 18, 10, buf));
  o.put('\n');
}

void Reader::progress(char end, int npts) {
  char buf[64];
  int n = std::snprintf(buf, sizeof buf, "%7d points read.%7d points skipped.%c",
                        npts < 0 ? st_.npts : npts, st_.npts_skipped, end);
  env_.out.put(std::string_view(buf, static_cast<size_t>(n)));
  env_.out.flush();
}

void Reader::count_skipped() {
  ++st_.npts_skipped;
  if (show_progress_ && st_.npts_skipped % kProgressEvery == 0) progress('\r');
}

// After a read that reached MAXP: one warning when the file goes on past
// the records PLOTEVERY would step over. `next` reads one record; false at
// the end of the file.
template <class NextRecord>
void Reader::warn_unread(NextRecord next) {
  if (st_.npts < rs_.maxpts) return;
  for (int i = 0; i < plotevery_; ++i)
    if (!next()) return;
  char buf[128];
  int n = std::snprintf(buf, sizeof buf,
                        "Warning--reading stopped at MAXP = %d points; data remain unread "
                        "(raise it with MAXP n).",
                        rs_.maxpts);
  env_.err.line(std::string_view(buf, static_cast<size_t>(n)));
}

Reader::Outcome Reader::reject() {
  count_skipped();
  pending_break_ = true;
  return Outcome::kRejected;
}

// Stores the current record; after a stored one, steps over the next
// plotevery - 1 records with `skip_one` (false at the end of the file),
// counting them as skipped. False when reading stops.
template <class SkipOne>
bool Reader::store_and_thin(SkipOne skip_one) {
  const Outcome o = store_record();
  if (o == Outcome::kStop) return false;
  if (o == Outcome::kStored)
    for (int i = 1; i < plotevery_; ++i) {
      if (!skip_one()) break;
      count_skipped();
    }
  return true;
}

Reader::Outcome Reader::store_record() {
  const int n = st_.npts + 1;
  if (n > np_) {
    env_.err.line("There are too many points in this data file.");
    env_.err.line("Increase \"NP\" and recompile vexal.");
    return Outcome::kStop;
  }
  pt_.fields[0] = static_cast<double>(n) + st_.npts_skipped;
  double x = field(rs_.xc), y = field(rs_.yc), z = field(rs_.zc), v = 0;
  // NaN and infinities fail the ranges as values outside them do.
  if (!math_.any_xmath && !accepted(x, rs_.xrangemin, rs_.xrangemax)) return reject();
  if (!math_.any_ymath && !accepted(y, rs_.yrangemin, rs_.yrangemax)) return reject();
  if (!math_.commands.empty()) {
    pt_.x = x;
    pt_.y = y;
    pt_.z = z;
    pt_.v = v;
    pt_.error = 0;
    bool ok = run_math_commands(math_, env_);
    x = pt_.x;
    y = pt_.y;
    z = pt_.z;
    v = pt_.v;
    if (!ok || pt_.error != 0) return reject();
  }
  if (rs_.xneg) x = -x;
  if (rs_.yneg) y = -y;
  if (!accepted(x, rs_.xrangemin, rs_.xrangemax) || !accepted(y, rs_.yrangemin, rs_.yrangemax) ||
      !accepted(z, rs_.zrangemin, rs_.zrangemax))
    return reject();
  const char* log_axis = nullptr;
  if (in_.xlog && x <= 0)
    log_axis = "X";
  else if (in_.ylog && y <= 0)
    log_axis = "Y";
  else if (in_.zlog && z <= 0)
    log_axis = "Z";
  if (log_axis) {
    OutBuffer& e = env_.err;
    e.put("Logarithm of negative or zero value (");
    e.put(log_axis);
    e.put("). Record#");
    e.line(free_int(n));
    return reject();
  }
  if (rs_.display_data && in_.verbose) {
    char buf[40];
    int len = std::snprintf(buf, sizeof buf, "%6d", n);
    env_.out.put(std::string_view(buf, static_cast<size_t>(len)));
    for (double c : {x, y, z}) env_.out.put(exponent_field(c, 16, 8, buf));
    env_.out.put('\n');
  }

  int32_t colour = -1;
  if (rs_.cc >= 1) {
    double c = field(rs_.cc);
    if (rs_.scalecc) {
      if (in_.zmin > -1.0e36 && in_.zmax < 1.0e36 && in_.zmin < in_.zmax)
        c = (c - in_.zmin) / (in_.zmax - in_.zmin) * (in_.ncolors - 1);
      else
        env_.err.line("ZMIN/ZMAX not set correctly, cannot scale color column");
    }
    colour = clamp_round(c, 0, std::max(in_.ncolors - 1, 0));
  }
  int32_t symbol = rs_.sc >= 1 ? to_int(field(rs_.sc)) : in_.symbols_on ? in_.sn : -1;
  if (eb_out_ && n % ebskip_ == 0) {
    auto bar = [&](int col) { return col > 0 ? field(col) : 0.0; };
    write_errorbar(x, y, bar(rs_.xebcl), bar(rs_.xebch), bar(rs_.yebcl), bar(rs_.yebch));
  }
  int32_t pen;
  if (pending_break_ && !rs_.force_pen_down) {
    pen = 0;
    pending_break_ = false;
  } else if (rs_.wc >= 1) {
    pen = to_int(std::round(field(rs_.wc) * in_.precision));
  } else if (rs_.pen >= 1) {
    pen = to_int(field(rs_.pen) * rs_.pen_thick_factor + rs_.pen_thick_add);
  } else {
    pen = in_.lt;
  }
  if (n > 1) {
    double dx = x - prevx_;
    if (dx > rs_.xdeltamax || dx < rs_.xdeltamin) {
      pen = 0;
      prevx_ = x;
      if (rs_.xdeltaskip) return reject();
    }
    double dy = y - prevy_;
    if (dy > rs_.ydeltamax || dy < rs_.ydeltamin) {
      pen = 0;
      prevy_ = y;
      if (rs_.ydeltaskip) return reject();
    }
  }
  prevx_ = x;
  prevy_ = y;

  if (st_.x.capacity() < static_cast<size_t>(std::min(rs_.np, kMaxPoints)))
    reserve_points(st_, rs_.np);
  st_.x.push_back(x);
  st_.y.push_back(y);
  result_.x_summary.add(x);
  result_.y_summary.add(y);
  st_.z.push_back(z);
  st_.v.push_back(v);
  st_.symbol.push_back(symbol);
  st_.pen.push_back(pen);
  st_.colour.push_back(colour);
  st_.npts = n;
  if (show_progress_ && n % kProgressEvery == 0) progress('\r');
  return n >= rs_.maxpts ? Outcome::kStop : Outcome::kStored;
}

// Free-format numeric input of `maxcolumn` values from one line; false when a
// value is missing or is not a number.
bool Reader::read_fast_line(std::string_view line) {
  const int want =
      rs_.max_col_set ? std::clamp(rs_.maxcolumn, 1, kMaxDataColumns) : columns_needed(rs_);
  const char* p = line.data();
  const char* e = p + line.size();
  for (int k = 1; k <= want; ++k) {
    while (p < e && is_separator(*p)) ++p;
    if (p >= e) return false;
    const char* b = p;
    while (p < e && !is_separator(*p)) ++p;
    if (!free_number(b, p, pt_.fields[k])) return false;
  }
  result_.fields_read = want;
  return true;
}

void Reader::read_text(DataFile& f, std::string_view first) {
  std::string_view line;
  if (!first.empty() && first[0] == '*')
    f.line(line);  // two header lines
  else
    f.seek(0);
  std::string_view seek = trimmed(rs_.seek);
  if (!seek.empty()) {
    bool found = false;
    while (!found && f.line(line)) found = line.find(seek) != std::string_view::npos;
    if (!found) return;
  }
  for (int i = 0; i < rs_.skip; ++i)
    if (!f.line(line)) return;
  if (!open_errorbars()) return;
  const int maxcolumn =
      rs_.max_col_set ? std::clamp(rs_.maxcolumn, 1, kMaxDataColumns) : columns_needed(rs_);
  while (f.line(line)) {
    if (rs_.read_fast) {
      if (!read_fast_line(line)) {
        pending_break_ = true;
        count_skipped();
        f.line(line);  // one further line is discarded
        continue;
      }
    } else {
      parse_fields(line, maxcolumn, env_, scratch_);
      result_.fields_read = maxcolumn;
    }
    if (!store_and_thin([&] { return f.line(line); })) break;
  }
  if (show_progress_) progress('\n');
  warn_unread([&] { return f.line(line); });
}

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
        if (st_.npts >= rs_.maxpts) break;
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
  run.first_record = static_cast<double>(st_.npts + 1) + st_.npts_skipped;
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
  run.xneg = rs_.xneg;
  run.yneg = rs_.yneg;
  run.xlog = in_.xlog;
  run.ylog = in_.ylog;
  run.zlog = in_.zlog;
  run.has_previous = st_.npts > 0;
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
  const int n0 = st_.npts;
  size_t most = count;
  most = std::min(most, static_cast<size_t>(std::max(np_ - n0, 0)));
  most = std::min(most, static_cast<size_t>(std::max(rs_.maxpts - n0, 0)));
  if (show_progress_)
    most = std::min(most, static_cast<size_t>(kProgressEvery - n0 % kProgressEvery));
  most = std::min(most, size_t{4096});
  if (most == 0) return 0;
  if (st_.x.capacity() < static_cast<size_t>(std::min(rs_.np, kMaxPoints)))
    reserve_points(st_, rs_.np);

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
// codes, the previous point, the count, the current record and the
// progress lines.
void Reader::take_plain(size_t k, const PlainRun& run, const double* last_fields) {
  const double first_record = run.first_record;
  if (rs_.zc == 0) st_.z.append_run(first_record, 1, k);
  st_.v.append_run(0, 0, k);
  st_.symbol.append_run(in_.symbols_on ? in_.sn : -1, 0, k);
  st_.pen.append_run(in_.lt, 0, k);
  st_.colour.append_run(-1, 0, k);
  prevx_ = run.px;
  prevy_ = run.py;
  const int from = st_.npts;
  st_.npts += static_cast<int>(k);
  // The current record is the last one stored.
  pt_.fields[0] = first_record + static_cast<double>(k - 1);
  for (int c = 1; c <= result_.fields_read; ++c) pt_.fields[c] = last_fields[c];
  if (show_progress_)
    for (int n = (from / kProgressEvery + 1) * kProgressEvery; n <= st_.npts; n += kProgressEvery)
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

}  // namespace

int columns_needed(const ReaderSettings& rs, bool with_width) {
  int m =
      std::max({rs.pen, rs.cc, rs.sc, rs.zc, rs.yc, rs.xc, rs.yebch, rs.yebcl, rs.xebch, rs.xebcl});
  if (with_width) m = std::max(m, rs.wc);
  return std::clamp(m, 0, kMaxDataColumns);
}

void parse_fields(std::string_view line, int maxcolumn, MathEnv& env, CompiledMath& scratch) {
  auto& fields = env.point.fields;
  maxcolumn = std::clamp(maxcolumn, 0, kMaxDataColumns);
  const char* p = line.data();
  const char* const e = p + line.size();
  char prev = '\0';  // the character before p: two tabs in a row hold an empty field
  int k = 0;
  while (k < maxcolumn) {
    while (p < e && is_separator(*p) && k < maxcolumn) {
      if (*p == '\t' && prev == '\t') fields[++k] = 0;
      prev = *p++;
    }
    if (p >= e || k >= maxcolumn) break;
    const char* b = p;
    double v;
    if (*p == '{') {
      const void* close = std::memchr(p, '}', static_cast<size_t>(e - p));
      p = close ? static_cast<const char*>(close) + 1 : e;
      v = stak_math(std::string_view(b, static_cast<size_t>(p - b)), env, scratch);
    } else {
      while (p < e && !is_separator(*p)) ++p;
      if (!plain_number(b, p, v) && !nonfinite_word(b, p, v)) {
        std::string_view token(b, static_cast<size_t>(p - b));
        bool bad = false;
        v = valread(token, &bad, env.vars, env.err);
        if (bad) {
          v = 0;
        } else if (is_time_token(token)) {
          // A zone word after a time is read with it.
          const char* w = p;
          while (w < e && is_separator(*w)) ++w;
          const char* we = w;
          while (we < e && !is_separator(*we)) ++we;
          if (we > w && is_zone_word(std::string_view(w, static_cast<size_t>(we - w)))) p = we;
        }
      }
    }
    fields[++k] = v;
    prev = p[-1];
  }
  for (int i = k + 1; i <= maxcolumn; ++i) fields[i] = 0;
}

std::string_view exponent_field(double v, int width, int digits, char* buf) {
  char text[48];
  int len;
  digits = std::clamp(digits, 1, 20);
  if (std::isnan(v)) {
    len = std::snprintf(text, sizeof text, "NaN");
  } else if (std::isinf(v)) {
    len = std::snprintf(text, sizeof text, "%s", v > 0 ? "Infinity" : "-Infinity");
  } else {
    int exp = 0;
    char mant[40];
    if (v == 0) {
      std::memset(mant, '0', static_cast<size_t>(digits));
    } else {
      char e[48];
      std::snprintf(e, sizeof e, "%.*e", digits - 1, std::fabs(v));
      // d.ddde+XX: the digits without the point, and the exponent plus one.
      mant[0] = e[0];
      std::memcpy(mant + 1, e + 2, static_cast<size_t>(digits - 1));
      exp = std::atoi(std::strchr(e, 'e') + 1) + 1;
    }
    mant[digits] = '\0';
    int mag = exp < 0 ? -exp : exp;
    char sign = exp < 0 ? '-' : '+';
    if (mag <= 99)
      len = std::snprintf(text, sizeof text, "%s0.%sE%c%02d", v < 0 ? "-" : "", mant, sign, mag);
    else
      len = std::snprintf(text, sizeof text, "%s0.%s%c%03d", v < 0 ? "-" : "", mant, sign, mag);
  }
  if (len > width) {
    std::memset(buf, '*', static_cast<size_t>(width));
    return std::string_view(buf, static_cast<size_t>(width));
  }
  int pad = width - len;
  std::memset(buf, ' ', static_cast<size_t>(pad));
  std::memcpy(buf + pad, text, static_cast<size_t>(len));
  return std::string_view(buf, static_cast<size_t>(width));
}

void clear_points(PointStore& store) {
  store.x.clear();
  store.y.clear();
  store.z.clear();
  store.v.clear();
  store.symbol.clear();
  store.pen.clear();
  store.colour.clear();
  store.npts = 0;
  store.npts_skipped = 0;
}

void reserve_points(PointStore& store, int capacity) {
  const size_t np = static_cast<size_t>(std::clamp(capacity, 1, kMaxPoints));
  store.x.reserve(np);
  store.y.reserve(np);
  store.z.reserve(np);
  store.v.reserve(np);
  store.symbol.reserve(np);
  store.pen.reserve(np);
  store.colour.reserve(np);
}

void resize_points(PointStore& store, int n) {
  n = std::clamp(n, 0, kMaxPoints);
  if (n > 0) reserve_points(store);
  const size_t size = static_cast<size_t>(n);
  store.x.resize(size, 0.0);
  store.y.resize(size, 0.0);
  store.z.resize(size, 0.0);
  store.v.resize(size, 0.0);
  store.symbol.resize(size, -1);
  store.pen.resize(size, 0);
  store.colour.resize(size, -1);
  store.npts = n;
}

void sort_by_x(PointStore& store) {
  const size_t n = static_cast<size_t>(store.npts);
  std::vector<size_t> order(n);
  for (size_t i = 0; i < n; ++i) order[i] = i;
  // NaN sorts last, so that the comparison stays a strict order.
  auto before = [](double a, double b) { return !std::isnan(a) && (std::isnan(b) || a < b); };
  std::stable_sort(order.begin(), order.end(),
                   [&](size_t a, size_t b) { return before(store.x[a], store.x[b]); });
  auto permute = [&](Column<double>& column) {
    Column<double> copy = column;
    for (size_t i = 0; i < n; ++i) column[i] = copy[order[i]];
  };
  permute(store.x);
  permute(store.y);
  store.z.permute(order);
  store.v.permute(order);
  store.symbol.permute(order);
  store.pen.permute(order);
  store.colour.permute(order);
}

bool data_file_readable(const std::string& name, OutBuffer* err) {
  DataFile f;
  bool not_regular = false;
  if (f.open(name, &not_regular)) return true;
  if (err) data_file_error(*err, name, not_regular);
  return false;
}

std::FILE* create_scratch_file(CreatedFiles& created, const std::string& name,
                               std::string_view what, OutBuffer& err) {
  std::FILE* fp = created.create(name);
  if (fp) return fp;
  if (errno == EEXIST) {
    scratch_in_the_way(err, name);
  } else {
    err.put("Error--cannot open ");
    err.put(what);
    err.put(' ');
    err.line(name);
  }
  return nullptr;
}

void scratch_in_the_way(OutBuffer& err, std::string_view name) {
  err.put("Error--will not overwrite ");
  err.put(name);
  err.line(": it exists and was not made by this run");
}

void data_file_error(OutBuffer& err, std::string_view name, bool not_regular) {
  err.put(not_regular ? "Error--not a regular file: " : "Error--cannot open data file ");
  err.line(trimmed(name));
}

AppendResult append(const AppendInput& in, const ReaderSettings& rs, const MathList& math,
                    MathEnv& env, TmFrame& frame, PointStore& store) {
  Reader reader(in, rs, math, env, frame, store);
  return reader.run();
}

}  // namespace vexal
