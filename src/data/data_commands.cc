// Commands of the data store: naming and reading data files, the reader's
// column and record settings, the acceptance ranges and steps, listings,
// MERGE, INVENT and the small commands around the current record.
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "axes/numb.h"
#include "data/append.h"
#include "data/lagint.h"
#include "data/minmax.h"
#include "expr/math_list.h"
#include "interp/command_table.h"
#include "interp/listing.h"
#include "interp/params.h"
#include "interp/session.h"
#include "interp/shared_commands.h"
#include "postscript/ps_writer.h"
#include "util/free_format.h"
#include "util/text.h"

namespace vexal {

using enum AxisId;

namespace {

constexpr size_t kSeekWidth = 64;  // characters of the SEEK text
constexpr int kMaxMergeOrder = 9;  // points in one MERGE interpolation

std::string data_temp_name(const Session& s) { return "data" + s.run.pid + ".tmp"; }

void set_datafile(Session& s, const std::string& name) {
  s.cs.datafile = name;
  setcvariable(s.vars, "DATAFILE", name, s.err());
}

// The scratch data file created afresh; null after its message.
std::FILE* create_data_temp(Session& s, const std::string& name) {
  return create_scratch_file(s.scratch_files, name, "data file", s.err());
}

Negation negation(const Session& s) { return Negation{s.axes[X].negated, s.axes[Y].negated}; }

}  // namespace

void set_limit_variables(Session& s, AxisId axis) {
  const AxisLimits& a = s.axes[axis].limits;
  const std::string name(1, axis_letter(axis));
  setvariable(s.vars, name + "MIN", a.minu);
  setvariable(s.vars, name + "MAX", a.maxu);
  setvariable(s.vars, name + "MIN_DATA", a.min);
  setvariable(s.vars, name + "MAX_DATA", a.max);
}

namespace {

// What the reader takes from the session besides its own settings.
AppendInput reader_input(Session& s) {
  AppendInput in;
  in.file = s.cs.datafile;
  in.run_id = s.run.pid;
  in.xlog = s.axes[X].limits.log;
  in.ylog = s.axes[Y].limits.log;
  in.zlog = s.axes[Z].limits.log;
  in.negate = negation(s);
  in.zmin = s.axes[Z].limits.min;
  in.zmax = s.axes[Z].limits.max;
  in.ncolors = s.pen.ncolors;
  in.symbols_on = s.text.sym != 0;
  in.sn = s.text.sn;
  in.lt = s.pen.line_thickness;
  in.precision = s.run.precision;
  in.verbose = s.units.verbose != 0;
  in.allow_commands_in_data = s.stream.allow_commands_in_data;
  in.compat_level = s.compat.level;
  in.created = &s.scratch_files;
  return in;
}

// One axis through the limit rule and its four variables.
void axis_limits(Session& s, const ColumnSummary& values, AxisId axis, OutBuffer& warn) {
  minmax(values, s.axes[axis].limits, axis_letter(axis), warn);
  set_limit_variables(s, axis);
}

// NPTS, the averages and the limits after a read. A read into an empty store
// brings the sums and extremes of X and Y along; otherwise they are gathered
// here (the same way, so the figures do not depend on where they came from).
// With `quiet` the warnings of empty or equal limits are left out.
void set_summary(Session& s, const AppendResult* read = nullptr, bool quiet = false) {
  OutBuffer none;
  none.set_discard();
  OutBuffer& warn = quiet ? none : s.err();
  const PointStore& st = s.store;
  const size_t n = static_cast<size_t>(st.npts());
  ColumnSummary x, y;
  if (read && read->first_point == 0 && read->x_summary.count == n) {
    x = read->x_summary;
    y = read->y_summary;
  } else {
    x.add(st.x.data(), n);
    y.add(st.y.data(), n);
  }
  setvariable(s.vars, "NPTS", st.npts());
  setvariable(s.vars, "XAVERAGE", n ? x.total() / static_cast<double>(n) : 0.0);
  setvariable(s.vars, "YAVERAGE", n ? y.total() / static_cast<double>(n) : 0.0);
  axis_limits(s, x, X, warn);
  axis_limits(s, y, Y, warn);
  minmax(st.z, n, s.axes[Z].limits, 'Z', warn);
  set_limit_variables(s, Z);
}

// ---- data files and reading ------------------------------------------------

// Inline data: the lines up to ENDDATA go into the temporary data file.
void inline_data(Session& s) {
  std::string name = data_temp_name(s);
  std::FILE* fp = create_data_temp(s, name);
  s.store.clear();
  if (s.units.verbose) s.term.line("");
  std::string line;
  int error = 0;  // the first failed write's errno
  while (s.read_input_line(line, kDataLineWidth)) {
    if (upper(line).find("ENDDATA") != std::string::npos) break;
    if (fp && error == 0) {
      std::string_view t = trimmed(line);
      errno = 0;
      if (std::fwrite(t.data(), 1, t.size(), fp) != t.size() || std::fputc('\n', fp) == EOF)
        error = errno ? errno : EIO;
    }
  }
  if (!fp) return;
  errno = 0;
  if (std::fclose(fp) != 0 && error == 0) error = errno ? errno : EIO;
  if (error != 0) {
    // A data file cut short by a full disk would plot part of the data unannounced.
    s.err().line("Error writing the data file " + name + ": " + std::strerror(error));
    s.run.exit_status = 1;
  }
  setvariable(s.vars, "HAVEDATAFILE", 1);
  set_datafile(s, name);
}

void cmd_data(Session& s, Params& p) {
  std::string name = getcparm(p, false);
  s.reader.tmdata = false;
  if (name.empty()) {
    inline_data(s);
    return;
  }
  cut(name);
  setvariable(s.vars, "HAVEDATAFILE", 0);
  if (!s.may_read(name) || !data_file_readable(name, &s.err())) {
    set_datafile(s, name);
    s.reader.explained_empty_read = name;
    return;
  }
  s.reader.explained_empty_read.clear();
  setvariable(s.vars, "HAVEDATAFILE", 1);
  stamp_file_name(s, name);
  set_datafile(s, name);
}

void cmd_append(Session& s, Params&) {
  const std::string& name = s.cs.datafile;
  if (!s.may_read(name)) return;
  // A file DATA has already reported unreadable is not reported again.
  if (name == s.reader.explained_empty_read && !data_file_readable(name)) return;
  MathEnv env = s.math_env();
  AppendResult r = append(reader_input(s), s.reader, s.math_list, env, s.frame, s.store);
  const bool explained = !r.opened || (r.column_beyond && s.store.npts() == r.first_point);
  s.reader.explained_empty_read = explained ? name : "";
  if (!r.opened) return;
  for (const std::string& line : r.commands) append_command(s.stream, line);
  if (!r.errorbar_file.empty()) push_command(s.stream, "COMMANDFILE " + r.errorbar_file, kVerbatim);
  s.point.fields_read = r.fields_read;
  set_summary(s, &r, explained);
}

void cmd_load(Session& s, Params&) {
  s.store.clear();
  push_command(s.stream, "APPEND");
}

void cmd_tmdata(Session& s, Params& p) {
  std::string name = getcparm(p);
  cut(name);
  double rows = getparm(p), cols = getparm(p);
  auto whole = [](double v) {
    return std::isnan(v) ? 0 : static_cast<int>(std::clamp(std::round(v), -1e9, 1e9));
  };
  s.frame.rows = whole(rows);
  s.frame.cols = whole(cols);
  setvariable(s.vars, "TM_ROWS", s.frame.rows);
  setvariable(s.vars, "TM_COLS", s.frame.cols);
  set_datafile(s, name);
  s.reader.tmdata = true;
}

void cmd_nofast_force(Session& s, Params&) {
  s.reader.read_fast = false;
  s.reader.force_read = true;
}

void cmd_skip(Session& s, Params& p) { s.reader.skip = int_parm(p); }

void cmd_seek(Session& s, Params& p) {
  std::string text = getcparm(p);
  if (text.size() > kSeekWidth) text.resize(kSeekWidth);
  s.reader.seek = text;
}
void cmd_noseek(Session& s, Params&) { s.reader.seek.clear(); }

void cmd_col(Session& s, Params& p) {
  s.reader.xc = column_parm(p);
  s.reader.yc = column_parm(p);
}
void cmd_xcol(Session& s, Params& p) { s.reader.xc = column_parm(p); }
void cmd_ycol(Session& s, Params& p) { s.reader.yc = column_parm(p); }
void cmd_zcol(Session& s, Params& p) { s.reader.zc = column_parm(p); }
void cmd_colorcol(Session& s, Params& p) { s.reader.cc = column_parm(p); }

void cmd_maxcol(Session& s, Params& p) {
  s.reader.maxcolumn = std::clamp(int_parm(p), 1, kMaxDataColumns);
  s.reader.max_col_set = true;
}

void cmd_maxp(Session& s, Params& p) { s.reader.maxpts = int_parm(p); }

void set_flag_variable(Session& s, Params& p, double value) {
  std::string name = getcparm(p);
  if (name.empty()) return;
  setvariable(s.vars, name.substr(0, kNameWidth), value);
}
void cmd_use(Session& s, Params& p) { set_flag_variable(s, p, 1); }
void cmd_nouse(Session& s, Params& p) { set_flag_variable(s, p, 0); }

// ---- listings and derived data ---------------------------------------------

void cmd_dumpdata(Session& s, Params& p) {
  Listing list(s, getcparm(p, false));
  if (list.failed()) return;
  OutBuffer& out = list.out();
  const PointStore& st = s.store;
  const bool time_x = s.axes[X].numbers.hms != 0;
  char buf[40];
  for (int i = 0; i < st.npts(); ++i) {
    if (time_x) {
      std::string t = dhms(st.x[i], s.axes[X].time_form, s.axes[X].time_unit, s.err());
      t.resize(12, ' ');
      out.put(' ');
      out.put(t);
    } else {
      out.put(' ');
      out.put(exponent_field(st.x[i], 19, 12, buf));
    }
    for (double v : {st.y[i], st.z[i], st.v[i]}) {
      out.put(' ');
      out.put(exponent_field(v, 19, 12, buf));
    }
    out.put('\n');
  }
}

// MERGE [order]: the loaded curve resampled at the X values of the data file.
void cmd_merge(Session& s, Params& p) {
  bool missing = false;
  int order = int_parm(p, &missing, false);
  if (missing) order = 1;
  const int m = std::clamp(order, 0, kMaxMergeOrder - 1) + 1;
  PointStore& st = s.store;
  if (st.npts() <= m + 1) {
    s.err().line("Error: Insufficient points loaded to merge.");
    return;
  }
  st.sort_by_x();
  const std::string source = s.cs.datafile;
  if (!s.may_read(source)) return;
  bool not_regular = false;
  std::FILE* in = fopen_regular(source, &not_regular);
  if (!in) {
    data_file_error(s.err(), source, not_regular);
    return;
  }
  // Written beside the final name and renamed at the end, so that merging
  // the temporary data file itself reads it whole. The rename replaces only
  // the name, never writing through what has it; anything but our own file
  // there is left alone all the same.
  const std::string name = data_temp_name(s);
  const std::string partial = name + ".merge";
  std::FILE* fp = nullptr;
  if (!s.scratch_files.replaceable(name))
    scratch_in_the_way(s.err(), name);
  else
    fp = create_data_temp(s, partial);
  if (!fp) {
    std::fclose(in);
    return;
  }
  OutBuffer out(fp);
  const ReaderSettings& rs = s.reader;
  const Negation neg = negation(s);
  const int maxcolumn =
      rs.max_col_set ? std::clamp(rs.maxcolumn, 1, kMaxDataColumns) : columns_needed(rs, false);
  MathEnv env = s.math_env();
  CurrentPoint& pt = s.point;
  CompiledMath scratch;
  const int n = st.npts();
  const double first_x = st.x.front(), last_x = st.x[n - 1];
  int merged = 0, skipped = 0, record = 0;
  std::string line;
  while (read_data_line(in, line)) {
    ++record;
    parse_fields(line, maxcolumn, env, scratch);
    pt.fields[0] = record;
    const double x_read = record_field(pt, rs.xc);
    Point at;
    if (!(x_read >= first_x && x_read <= last_x) || !accept_point(rs, neg, s.math_list, env, at)) {
      ++skipped;
      continue;
    }
    const double x = at.x, y = at.y;
    // The first point (1-based, from the second) at or beyond x, by
    // binary search on the sorted X; the last point when none is.
    const int j = static_cast<int>(std::lower_bound(st.x.begin() + 1, st.x.begin() + (n - 1), x) -
                                   st.x.begin()) +
                  1;
    const int start = std::max(1, std::min(n - m, j - m / 2));
    const size_t from = static_cast<size_t>(start - 1), count = static_cast<size_t>(m);
    double y_at = lagint(x, std::span<const double>(st.x).subspan(from, count),
                         std::span<const double>(st.y).subspan(from, count));
    for (double w : {x, y, y_at}) {
      out.put(' ');
      out.put(free_real(w));
    }
    out.put('\n');
    ++merged;
  }
  out.flush();
  std::fclose(fp);
  std::fclose(in);
  std::rename(partial.c_str(), name.c_str());
  push_command(s.stream, "DATA " + name, kVerbatim);
  if (s.units.verbose) {
    char buf[80];
    std::snprintf(buf, sizeof buf, "\r%7d points merged.%7d points skipped.", merged, skipped);
    s.term.line(buf);
  }
}

// INVENT n a b: n evenly spaced values from a to b, read as X and Y.
void cmd_invent(Session& s, Params& p) {
  const int n = std::clamp(int_parm(p), 0, s.run.bounded ? 10000 : kMaxPoints);
  const double a = getparm(p), b = getparm(p);
  const std::string name = data_temp_name(s);
  std::FILE* fp = create_data_temp(s, name);
  if (!fp) return;
  s.store.resize(n);
  {
    OutBuffer out(fp);
    for (int i = 1; i <= n; ++i) {
      double v = n > 1 ? (i - 1) * (b - a) / (n - 1) + a : a;
      out.put(' ');
      out.line(free_real(v));
    }
  }
  std::fclose(fp);
  // The stack runs the last pushed first: symbolcol 0 ... DATA.
  for (const std::string& line :
       {"DATA " + name, std::string("xcol 1"), std::string("ycol 1"), std::string("colorcol 0"),
        std::string("pencol 0"), std::string("penwidthcol 0"), std::string("symbolcol 0")})
    push_command(s.stream, line, kVerbatim);
}

void cmd_clear(Session& s, Params&) { s.requeue_raw("MATH "); }

void cmd_clearw(Session& s, Params&) { s.horizon = Horizon{}; }

// BUILD text: the text's first word, then the fields of the current record
// in free format from the sixth column past the first blank.
void cmd_build(Session& s, Params& p) {
  std::string text = rest_of_line(p);
  if (text.empty()) {
    parameter_warning(s);
    return;
  }
  std::string line = text.substr(0, text.find(' '));
  line.append(6, ' ');
  const int fields = std::clamp(s.point.fields_read, 0, kMaxDataColumns);
  for (int k = 1; k <= fields && line.size() < kLineWidth; ++k) {
    line += ' ';
    line += free_real(s.point.fields[k]);
  }
  push_command(s.stream, line, kVerbatim);
}

void cmd_getbounds(Session& s, Params&) {
  double x0, y0, x1, y1;
  boundbox(s.ps, x0, y0, x1, y1);
  setvariable(s.vars, "X0", x0);
  setvariable(s.vars, "Y0", y0);
  setvariable(s.vars, "X1", x1);
  setvariable(s.vars, "Y1", y1);
}

// ---- acceptance ranges, steps, negation and log axes ------------------------

void set_range(Params& p, double& lo, double& hi) {
  lo = getparm(p);
  hi = getparm(p);
}

void cmd_xrange(Session& s, Params& p) { set_range(p, s.reader.xrangemin, s.reader.xrangemax); }
void cmd_yrange(Session& s, Params& p) { set_range(p, s.reader.yrangemin, s.reader.yrangemax); }
void cmd_zrange(Session& s, Params& p) { set_range(p, s.reader.zrangemin, s.reader.zrangemax); }
void cmd_noxrange(Session& s, Params&) {
  s.reader.xrangemin = kUnsetLow;
  s.reader.xrangemax = kUnsetHigh;
}
void cmd_noyrange(Session& s, Params&) {
  s.reader.yrangemin = kUnsetLow;
  s.reader.yrangemax = kUnsetHigh;
}
void cmd_nozrange(Session& s, Params&) {
  s.reader.zrangemin = kUnsetLow;
  s.reader.zrangemax = kUnsetHigh;
}

void cmd_xdelta(Session& s, Params& p) { set_range(p, s.reader.xdeltamin, s.reader.xdeltamax); }
void cmd_ydelta(Session& s, Params& p) { set_range(p, s.reader.ydeltamin, s.reader.ydeltamax); }
void cmd_noxdelta(Session& s, Params&) {
  s.reader.xdeltamin = -kDeltaLimit;
  s.reader.xdeltamax = kDeltaLimit;
}
void cmd_noydelta(Session& s, Params&) {
  s.reader.ydeltamin = -kDeltaLimit;
  s.reader.ydeltamax = kDeltaLimit;
}

void cmd_xlog(Session& s, Params&) { s.axes[X].limits.log = true; }
void cmd_noxlog(Session& s, Params&) { s.axes[X].limits.log = false; }
void cmd_ylog(Session& s, Params&) { s.axes[Y].limits.log = true; }
void cmd_noylog(Session& s, Params&) { s.axes[Y].limits.log = false; }
void cmd_zlog(Session& s, Params&) { s.axes[Z].limits.log = true; }
void cmd_nozlog(Session& s, Params&) { s.axes[Z].limits.log = false; }

constexpr Command kDataCommands[] = {
    {"APPEND", cmd_append},
    {"BUILD", cmd_build},
    {"CLEAR", cmd_clear},
    {"CLEARW", cmd_clearw},
    {"COL", cmd_col},
    {"COLORCOL", cmd_colorcol},
    {"DATA", cmd_data},
    {"DISPLAY", cmd_set<true, &Session::reader, &ReaderSettings::display_data>},
    {"DUMPDATA", cmd_dumpdata},
    {"FAST", cmd_set<true, &Session::reader, &ReaderSettings::read_fast>},
    {"GETBOUNDS", cmd_getbounds},
    {"INVENT", cmd_invent},
    {"LOAD", cmd_load},
    {"MAXCOL", cmd_maxcol},
    {"MAXP", cmd_maxp},
    {"MERGE", cmd_merge},
    {"NOCOLORCOL", cmd_set<0, &Session::reader, &ReaderSettings::cc>},
    {"NODISPLAY", cmd_set<false, &Session::reader, &ReaderSettings::display_data>},
    {"NOFAST", cmd_set<false, &Session::reader, &ReaderSettings::read_fast>},
    {"NOFAST/FORCE", cmd_nofast_force},
    {"NOMAXCOL", cmd_set<false, &Session::reader, &ReaderSettings::max_col_set>},
    {"NOREADFAST", cmd_set<false, &Session::reader, &ReaderSettings::read_fast>},
    {"NOSCALECOL", cmd_set<false, &Session::reader, &ReaderSettings::scalecc>},
    {"NOSEEK", cmd_noseek},
    {"NOSWAPENDIAN", cmd_set<false, &Session::reader, &ReaderSettings::swap_binary>},
    {"NOUSE", cmd_nouse},
    {"READFAST", cmd_set<true, &Session::reader, &ReaderSettings::read_fast>},
    {"SCALECOL", cmd_set<true, &Session::reader, &ReaderSettings::scalecc>},
    {"SEEK", cmd_seek},
    {"SKIP", cmd_skip},
    {"SWAPENDIAN", cmd_set<true, &Session::reader, &ReaderSettings::swap_binary>},
    {"TMDATA", cmd_tmdata},
    {"USE", cmd_use},
    {"XCOL", cmd_xcol},
    {"YCOL", cmd_ycol},
    {"ZCOL", cmd_zcol},
    {"NOXDELTA", cmd_noxdelta},
    {"NOXDELTASKIP", cmd_set<false, &Session::reader, &ReaderSettings::xdeltaskip>},
    {"NOXLOG", cmd_noxlog},
    {"NOXNEG", cmd_axis_set<kAxisX, false, &Axis::negated>},
    {"NOXRANGE", cmd_noxrange},
    {"NOYDELTA", cmd_noydelta},
    {"NOYDELTASKIP", cmd_set<false, &Session::reader, &ReaderSettings::ydeltaskip>},
    {"NOYLOG", cmd_noylog},
    {"NOYNEG", cmd_axis_set<kAxisY, false, &Axis::negated>},
    {"NOYRANGE", cmd_noyrange},
    {"NOZLOG", cmd_nozlog},
    {"NOZRANGE", cmd_nozrange},
    {"XDELTA", cmd_xdelta},
    {"XDELTASKIP", cmd_set<true, &Session::reader, &ReaderSettings::xdeltaskip>},
    {"XLOG", cmd_xlog},
    {"XNEG", cmd_axis_set<kAxisX, true, &Axis::negated>},
    {"XRANGE", cmd_xrange},
    {"YDELTA", cmd_ydelta},
    {"YDELTASKIP", cmd_set<true, &Session::reader, &ReaderSettings::ydeltaskip>},
    {"YLOG", cmd_ylog},
    {"YNEG", cmd_axis_set<kAxisY, true, &Axis::negated>},
    {"YRANGE", cmd_yrange},
    {"ZLOG", cmd_zlog},
    {"ZRANGE", cmd_zrange},
};

}  // namespace

std::span<const Command> data_commands() { return kDataCommands; }

}  // namespace vexal
