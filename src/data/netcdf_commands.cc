// netCDF import: the NETCDF commands open one file read-only and read its
// scalars, texts, dimensions and attributes into variables, its vectors into
// the point store's columns or the array's coordinate lists, and its arrays
// and the lines, slices, sums and maxima of its volumes into the columns or
// the array. Missing values (fill values and the like) become missing
// elements of the array; in the columns their points are left out.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "data/append.h"
#include "data/netcdf.h"
#include "data/record.h"
#include "interp/command_table.h"
#include "interp/params.h"
#include "interp/session.h"
#include "interp/shared_commands.h"

namespace vexal {

using enum AxisId;

namespace {

constexpr const char* kArrayTooLarge = "ARRAY is too large for available memory";
constexpr const char* kTooManyPoints = "There are too many points in this data file.";

// What each kind of read calls the variable in its messages.
struct ReadNames {
  const char* missing;  // "Cannot find the ... called "
  const char* shape;    // after the name when the dimensions do not fit
};
constexpr ReadNames kVector{"Cannot find the vector called ", " is not a vector."};
constexpr ReadNames kArray{"Cannot find the array called ", " is not an array."};
constexpr ReadNames kVolume{"Cannot find the volume called ", " is not a volume."};

static_assert(kMaxPoints <= UINT32_MAX, "a column read's elements are numbered in 32 bits");

// Points a read may put into the store.
size_t point_limit(const Session& s) {
  return static_cast<size_t>(std::clamp(s.reader.np, 0, kMaxPoints));
}

// The open file's id, or -1 after a message when none is open.
int open_id(Session& s) {
  if (s.netcdf.is_open()) return s.netcdf.id();
  s.err().line("There is no netCDF file open (NETCDFFILE).");
  return -1;
}

// The name parameter; false (after a message) when it is missing or too long.
bool name_parm(Session& s, Params& p, const char* command, std::string& name) {
  name = getcparm(p);
  if (name.empty()) return false;
  if (name.size() <= kMaxNetcdfName) return true;
  s.err().line(std::string(command) + ": the name is longer than " +
               std::to_string(kMaxNetcdfName) + " characters; nothing was read.");
  return false;
}

// The message of a read that did not end with kOk.
void report(Session& s, NcRead status, const char* command, const std::string& name,
            const ReadNames& names, const char* too_large, const std::string& why) {
  switch (status) {
    case NcRead::kOk:
      return;
    case NcRead::kMissing:
      s.err().line(names.missing + name);
      return;
    case NcRead::kWrongShape:
      s.err().line(name + names.shape);
      return;
    case NcRead::kTooLarge:
      s.err().line(too_large);
      return;
    case NcRead::kOutOfRange:
      s.err().line(std::string(command) + ": " + why + " in " + name + "; nothing was read.");
      return;
    case NcRead::kFailed:
      s.err().line("Cannot read the variable called " + name + ": " + why);
      return;
  }
}

// Whether a read gave values; a variable of length 0 leaves everything as it was.
bool has_values(Session& s, const std::string& name, size_t count) {
  if (count > 0) return true;
  s.err().line("The variable called " + name + " holds no values; nothing was read.");
  return false;
}

// The count of missing values of a read, when there were any and verbose:
// "missing values." (in the array or a coordinate list) or "missing values
// skipped." (left out of the columns).
void report_missing(Session& s, size_t missing, bool skipped) {
  if (missing == 0 || !s.units.verbose) return;
  char line[64];
  std::snprintf(line, sizeof line, "%7zu missing values%s.", missing, skipped ? " skipped" : "");
  s.term.line(line);
}

// The grid becomes the array (nx by ny), followed by ARRAY's commands.
void fill_array(Session& s, const std::string& name, NcGrid& g) {
  if (!has_values(s, name, g.values.size())) return;
  report_missing(s, g.missing, false);
  ArrayGrid& a = s.array;
  const int nx = static_cast<int>(g.nx), ny = static_cast<int>(g.ny);
  if (nx != a.nx || ny != a.ny) a.second.clear();  // no longer the array's shape
  a.nx = nx;
  a.ny = ny;
  a.values = std::move(g.values);
  setvariable(s.vars, "MX", a.nx);
  setvariable(s.vars, "MY", a.ny);
  queue_after_load(s);
}

// A fingerprint of the store's X, Y, Z and V (FNV-1a over their bits), to
// tell whether anything changed the points since a column read.
uint64_t fingerprint(const PointStore& st) {
  uint64_t h = 14695981039346656037u;
  auto add = [&h](double value) {
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    h = (h ^ bits) * 1099511628211u;
  };
  for (size_t k = 0; k < st.x.size(); ++k) {
    add(st.x[k]);
    add(st.y[k]);
    add(st.z[k]);
    add(st.v[k]);
  }
  return h;
}

// The values become column X, Y, Z or V of the store; npts := their number.
// The other columns keep their first values (new points are zero). A point
// whose value is missing is then left out of every column. After such a
// read, a vector of the same length, read into a store nothing else has
// changed, gives each point the value of the element it came from.
void fill_column(Session& s, char column, NcGrid& g) {
  PointStore& st = s.store;
  NcColumnRows& rows = s.netcdf_rows;
  const size_t length = g.values.size();
  std::vector<double>& values = g.values;
  std::vector<uint32_t> element;  // the element of each point; empty: point k is element k
  if (!rows.kept.empty() && rows.length == length &&
      rows.kept.size() == static_cast<size_t>(st.npts()) && rows.fingerprint == fingerprint(st)) {
    element = std::move(rows.kept);
    for (size_t k = 0; k < element.size(); ++k) values[k] = values[element[k]];
    values.resize(element.size());
  }
  rows = NcColumnRows{};
  const size_t n = values.size();
  st.resize(static_cast<int>(n));
  switch (column) {
    case 'X':
      std::copy(values.begin(), values.end(), st.x.data());
      break;
    case 'Y':
      std::copy(values.begin(), values.end(), st.y.data());
      break;
    default: {
      ImplicitColumn<double>& c = column == 'Z' ? st.z : st.v;
      c.clear();
      if (n > 0) std::copy(values.begin(), values.end(), c.extend_values(n));
    }
  }
  if (!g.missing_at.empty()) {
    std::vector<size_t> keep;
    std::vector<uint32_t> kept;
    for (size_t k = 0; k < n; ++k) {
      const uint32_t e = element.empty() ? static_cast<uint32_t>(k) : element[k];
      if (g.missing_at[e]) continue;
      keep.push_back(k);
      kept.push_back(e);
    }
    st.select(keep);
    element = std::move(kept);
  }
  if (!element.empty() && element.size() < length)
    rows = NcColumnRows{length, std::move(element), fingerprint(st)};
  report_missing(s, g.missing, true);
  setvariable(s.vars, "NPTS", st.npts());
}

// ---- the file and single values ---------------------------------------------------

void cmd_netcdffile(Session& s, Params& p) {
  std::string name, why;
  if (!name_parm(s, p, "NETCDFFILE", name) || !s.may_read(name)) return;
  if (!s.netcdf.open(name, why)) {
    s.err().line("Cannot open netCDF file: " + name);
    return;
  }
  if (s.units.verbose)
    for (const std::string& line : query_nc_file(s.netcdf.id())) s.term.line(line);
  s.cs.datafile = name;
  setcvariable(s.vars, "DATAFILE", name, s.err());
}

// NETCDFVAR and NETCDFATT: a number into the numeric variable of that name,
// a text into the character variable.
template <bool Attribute>
void cmd_value(Session& s, Params& p) {
  std::string name, why;
  if (!name_parm(s, p, Attribute ? "NETCDFATT" : "NETCDFVAR", name)) return;
  const int id = open_id(s);
  if (id < 0) return;
  NcValue v;
  const NcRead status =
      Attribute ? netcdf_attribute(id, name, v, why) : netcdf_variable(id, name, v, why);
  const std::string what = Attribute ? "attribute" : "variable";
  if (status == NcRead::kMissing) {
    s.err().line("Cannot find the " + what + " called " + name);
  } else if (status != NcRead::kOk) {
    s.err().line("Cannot read the " + what + " called " + name + ": " + why);
  } else if (v.is_text) {
    setcvariable(s.vars, name, v.text, s.err());
  } else {
    setvariable(s.vars, name, v.number);
  }
}

void cmd_netcdfdim(Session& s, Params& p) {
  std::string name;
  if (!name_parm(s, p, "NETCDFDIM", name)) return;
  const int id = open_id(s);
  if (id < 0) return;
  size_t length = 0;
  if (netcdf_dimension(id, name, length) != NcRead::kOk) {
    s.err().line("Cannot find the dimension called " + name);
    return;
  }
  setvariable(s.vars, name, static_cast<double>(length));
}

// ---- vectors ----------------------------------------------------------------------

// NETCDFTOXCOL name (Y, Z, V; and the VEC forms): a vector into a column.
template <char Column>
void cmd_to_column(Session& s, Params& p) {
  constexpr char command[] = {'N', 'E', 'T', 'C', 'D', 'F', 'T', 'O', Column, 'C', 'O', 'L', 0};
  std::string name, why;
  if (!name_parm(s, p, command, name)) return;
  const int id = open_id(s);
  if (id < 0) return;
  NcGrid line;
  const NcRead status = netcdf_vector(id, name, point_limit(s), line, why);
  if (status != NcRead::kOk) {
    report(s, status, command, name, kVector, kTooManyPoints, why);
    return;
  }
  fill_column(s, Column, line);
}

// NETCDFARRAYX name (Y; NETCDFVOLUMEX, Y, Z): a vector into a coordinate
// list, then wrapped, spaced and the axis limits queued as ARRAYX does.
template <AxisId A>
void cmd_to_list(Session& s, Params& p) {
  const std::string word =
      (A == Z ? "NETCDFVOLUME" : "NETCDFARRAY") + std::string(1, axis_letter(A));
  const char* command = word.c_str();
  std::string name, why;
  if (!name_parm(s, p, command, name)) return;
  const int id = open_id(s);
  if (id < 0) return;
  NcGrid line;
  const NcRead status = netcdf_vector(id, name, kMaxCoordinates, line, why);
  if (status != NcRead::kOk) {
    report(s, status, command, name, kVector, kArrayTooLarge, why);
    return;
  }
  const std::vector<double>& values = line.values;
  if (!has_values(s, name, values.size())) return;
  report_missing(s, line.missing, false);
  set_coordinate_list(s, A, values);
}

// ---- arrays and volumes -----------------------------------------------------------

void cmd_netcdftoarray(Session& s, Params& p) {
  std::string name, why;
  if (!name_parm(s, p, "NETCDFTOARRAY", name)) return;
  const int id = open_id(s);
  if (id < 0) return;
  NcGrid grid;
  const NcRead status = netcdf_array(id, name, kMaxArrayValues, kMaxCoordinates, grid, why);
  if (status != NcRead::kOk) {
    report(s, status, "NETCDFTOARRAY", name, kArray, kArrayTooLarge, why);
    return;
  }
  fill_array(s, name, grid);
}

// One row per volume command: its name, what it reads, how many indices it
// takes, and where the values go ('X', 'Y', 'Z' a column, 'A' the array).
struct VolumeCommand {
  const char* name;
  VolumeRead what;
  int indices;
  char into;
};

constexpr VolumeCommand kVolumeCommands[] = {
    {"NETCDFVOLUMETOXCOL", VolumeRead::kXLine, 2, 'X'},
    {"NETCDFVOLUMETOYCOL", VolumeRead::kYLine, 2, 'Y'},
    {"NETCDFVOLUMETOZCOL", VolumeRead::kZLine, 2, 'Z'},
    {"NETCDFVOLUMEXYTOARRAY", VolumeRead::kXYSlice, 1, 'A'},
    {"NETCDFVOLUMEXZTOARRAY", VolumeRead::kXZSlice, 1, 'A'},
    {"NETCDFVOLUMEYZTOARRAY", VolumeRead::kYZSlice, 1, 'A'},
    {"NETCDFVOLUMEXYSUMTOARRAY", VolumeRead::kXYSum, 0, 'A'},
    {"NETCDFVOLUMEYZSUMTOARRAY", VolumeRead::kYZSum, 0, 'A'},
    {"NETCDFVOLUMEYZMAXTOARRAY", VolumeRead::kYZMax, 0, 'A'},
};

template <int Row>
void cmd_volume(Session& s, Params& p) {
  const VolumeCommand& c = kVolumeCommands[Row];
  std::string name, why;
  if (!name_parm(s, p, c.name, name)) return;
  long index[2] = {0, 0};
  for (int k = 0; k < c.indices; ++k) {
    bool error = false;
    index[k] = int_parm(p, &error);
    if (error) return;
  }
  const int id = open_id(s);
  if (id < 0) return;
  const bool column = c.into != 'A';
  NcGrid grid;
  const size_t limit = column ? point_limit(s) : kMaxArrayValues;
  const NcRead status = netcdf_vol(id, name, {c.what, index[0], index[1]}, limit,
                                   column ? limit : kMaxCoordinates, grid, why);
  if (status != NcRead::kOk) {
    report(s, status, c.name, name, kVolume, column ? kTooManyPoints : kArrayTooLarge, why);
    return;
  }
  if (column)
    fill_column(s, c.into, grid);
  else
    fill_array(s, name, grid);
}

// NETCDFTODATA: the store written to the run's temporary data file, which
// then becomes the current data file.
void cmd_netcdftodata(Session& s, Params&) {
  const std::string temp = "data" + s.run.pid + ".tmp";
  // Made afresh as this run's own scratch file (nothing else found under the
  // name is written through), so that later scratch writers may replace it.
  std::FILE* fp = create_scratch_file(s.scratch_files, temp, "data file", s.err());
  if (!fp) return;
  std::fclose(fp);
  push_command(s.stream, "data " + temp, kVerbatim);
  push_command(s.stream, "dumpdata " + temp, kVerbatim);
}

constexpr Command kNetcdfCommands[] = {
    {"NETCDFARRAYX", cmd_to_list<X>},
    {"NETCDFARRAYY", cmd_to_list<Y>},
    {"NETCDFATT", cmd_value<true>},
    {"NETCDFDIM", cmd_netcdfdim},
    {"NETCDFFILE", cmd_netcdffile},
    {"NETCDFTOARRAY", cmd_netcdftoarray},
    {"NETCDFTODATA", cmd_netcdftodata},
    {"NETCDFTOVCOL", cmd_to_column<'V'>},
    {"NETCDFTOVVEC", cmd_to_column<'V'>},
    {"NETCDFTOXCOL", cmd_to_column<'X'>},
    {"NETCDFTOXVEC", cmd_to_column<'X'>},
    {"NETCDFTOYCOL", cmd_to_column<'Y'>},
    {"NETCDFTOYVEC", cmd_to_column<'Y'>},
    {"NETCDFTOZCOL", cmd_to_column<'Z'>},
    {"NETCDFTOZVEC", cmd_to_column<'Z'>},
    {"NETCDFVAR", cmd_value<false>},
    {"NETCDFVOLUMETOXCOL", cmd_volume<0>},
    {"NETCDFVOLUMETOXVEC", cmd_volume<0>},
    {"NETCDFVOLUMETOYCOL", cmd_volume<1>},
    {"NETCDFVOLUMETOYVEC", cmd_volume<1>},
    {"NETCDFVOLUMETOZCOL", cmd_volume<2>},
    {"NETCDFVOLUMETOZVEC", cmd_volume<2>},
    {"NETCDFVOLUMEX", cmd_to_list<X>},
    {"NETCDFVOLUMEXYSUMTOARRAY", cmd_volume<6>},
    {"NETCDFVOLUMEXYTOARRAY", cmd_volume<3>},
    {"NETCDFVOLUMEXZTOARRAY", cmd_volume<4>},
    {"NETCDFVOLUMEY", cmd_to_list<Y>},
    {"NETCDFVOLUMEYZMAXTOARRAY", cmd_volume<8>},
    {"NETCDFVOLUMEYZSUMTOARRAY", cmd_volume<7>},
    {"NETCDFVOLUMEYZTOARRAY", cmd_volume<5>},
    {"NETCDFVOLUMEZ", cmd_to_list<Z>},
};

}  // namespace

std::span<const Command> netcdf_commands() { return kNetcdfCommands; }

}  // namespace vexal
