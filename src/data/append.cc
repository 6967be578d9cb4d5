// The data-file reader: one read of a file into the store. This part opens
// the file, stores each record that passes as a point (the checks, the
// codes, the error-bar lines, the progress lines) and holds the messages
// about data and scratch files. Text lines and binary records are taken in
// text_reader.cc and binary_reader.cc. Nothing is allocated per point but
// the columns' geometric growth.
#include "data/append.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <new>

#include "data/reader.h"
#include "util/free_format.h"
#include "util/numbers.h"
#include "util/text.h"

namespace vexal {

namespace {

// The nearest integer of v within [lo, hi]; NaN gives lo.
int clamp_round(double v, int lo, int hi) {
  if (!(v >= lo)) return lo;
  if (v >= hi) return hi;
  return static_cast<int>(std::lround(v));
}

}  // namespace

AppendResult Reader::run() {
  DataFile f;
  bool not_regular = false;
  try {
    if (!f.open(in_.file, &not_regular)) {
      data_file_error(env_.err, in_.file, not_regular);
      return result_;
    }
    result_.opened = true;
    st_.trim();  // every column as long as the point count
    result_.first_point = st_.npts();
    if (st_.npts() > 0) {
      prevx_ = st_.x.back();
      prevy_ = st_.y.back();
    }
    env_.store = PointColumns{&st_.x, &st_.y, &st_.z, &st_.v, static_cast<size_t>(st_.npts())};
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
  } catch (const std::bad_alloc&) {
    out_of_memory();
  }
  if (eb_file_) {
    eb_out_->flush();
    std::fclose(eb_file_);
  }
  return result_;
}

void Reader::out_of_memory() {
  env_.err.line("Error--not enough memory: the points read so far are kept.");
  st_.trim();
  const size_t from = static_cast<size_t>(std::min(result_.first_point, st_.npts()));
  const size_t n = static_cast<size_t>(st_.npts()) - from;
  result_.x_summary = ColumnSummary{};
  result_.y_summary = ColumnSummary{};
  result_.x_summary.add(st_.x.data() + from, n);
  result_.y_summary.add(st_.y.data() + from, n);
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
                        npts < 0 ? st_.npts() : npts, st_.npts_skipped, end);
  env_.out.put(std::string_view(buf, static_cast<size_t>(n)));
  env_.out.flush();
}

void Reader::warn_columns_beyond(int columns) {
  const int used = columns_needed(rs_, true);
  if (used <= columns) return;
  result_.column_beyond = true;
  char buf[96];
  const int n = std::snprintf(buf, sizeof buf, "Warning--column %d is beyond the %d column%s of ",
                              used, columns, columns == 1 ? "" : "s");
  OutBuffer& e = env_.err;
  e.put(std::string_view(buf, static_cast<size_t>(n)));
  e.put("the data file ");
  e.put(in_.file);
  e.line(rs_.read_fast ? ": lines without it are skipped." : ": it reads as 0.");
}

void Reader::count_skipped() {
  ++st_.npts_skipped;
  if (show_progress_ && st_.npts_skipped % kProgressEvery == 0) progress('\r');
}

Reader::Outcome Reader::reject() {
  count_skipped();
  pending_break_ = true;
  return Outcome::kRejected;
}

Reader::Outcome Reader::store_record() {
  const int n = st_.npts() + 1;
  if (n > np_) {
    env_.err.line("There are too many points in this data file.");
    env_.err.line("Increase \"NP\" and recompile vexal.");
    return Outcome::kStop;
  }
  pt_.fields[0] = static_cast<double>(n) + st_.npts_skipped;
  Point p;
  if (!accept_point(rs_, in_.negate, math_, env_, p)) return reject();
  const double x = p.x, y = p.y, z = p.z;
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
      if (!limit_unset(in_.zmin) && in_.zmax < -kUnsetBelow && in_.zmin < in_.zmax)
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

  p.symbol = symbol;
  p.pen = pen;
  p.colour = colour;
  st_.append(p);
  result_.x_summary.add(x);
  result_.y_summary.add(y);
  if (show_progress_ && n % kProgressEvery == 0) progress('\r');
  return n >= rs_.maxpts ? Outcome::kStop : Outcome::kStored;
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
