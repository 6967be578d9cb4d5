// Commands of the gridded array and the 8-bit image: loading from the
// command input and from files, coordinate lists, element arithmetic, the
// element math, crops, slices, listings and conversions.
#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "axes/fixpoint.h"
#include "data/array_store.h"
#include "data/minmax.h"
#include "data/record.h"
#include "interp/command_table.h"
#include "interp/listing.h"
#include "interp/params.h"
#include "interp/session.h"
#include "interp/shared_commands.h"
#include "threed/view.h"
#include "util/free_format.h"
#include "util/numbers.h"

namespace vexal {

using enum AxisId;

void push_limit(Session& s, const char* word, double v) {
  char buf[16];
  push_command(s.stream, std::string(word) + " " + std::string(exponent_field(v, 13, 5, buf)));
}

void queue_after_load(Session& s, bool math) {
  ArrayGrid& a = s.array;
  const size_t nx = static_cast<size_t>(a.nx), ny = static_cast<size_t>(a.ny);
  if (s.axes[X].layout.mod > 0) {
    wrap_list(a.x, a.nx, s.axes[X].layout.mod);
    push_limit(s, "XMIN", list_entry(a.x, 1));
    push_limit(s, "XMAX", list_entry(a.x, nx));
  }
  if (s.axes[Y].layout.mod > 0) {
    wrap_list(a.y, a.ny, s.axes[Y].layout.mod);
    push_limit(s, "YMIN", list_entry(a.y, 1));
    push_limit(s, "YMAX", list_entry(a.y, ny));
  }
  if (math) push_command(s.stream, "DOARRAYMATH");
  if (!(list_entry(a.y, 1) < list_entry(a.y, ny)))
    push_command(s.stream, "ARRAYYSCALE " + std::to_string(a.ny) + " 1 1");
  if (!(list_entry(a.x, 1) < list_entry(a.x, nx)))
    push_command(s.stream, "ARRAYXSCALE " + std::to_string(a.nx) + " 1 1");
}

namespace {

// Lines of the command input, at most `width` characters each.
LineSource input_lines(Session& s, size_t width = kLineWidth) {
  return [&s, width](std::string& line) { return s.read_input_line(line, width); };
}

// Lines of free-format array and image input, read whole as data lines are
// (up to kDataLineWidth; a line cut there is reported as every cut line is).
LineSource free_format_lines(Session& s) {
  return [&s](std::string& line) { return s.read_input_line(line, kDataLineWidth); };
}

void message(Session& s, std::string_view text) { s.err().line(text); }

void set_counts(Session& s) {
  setvariable(s.vars, "MX", s.array.nx);
  setvariable(s.vars, "MY", s.array.ny);
}

// Whether n can be the length of a coordinate list; otherwise a message.
bool list_length_ok(Session& s, const char* command, int n) {
  if (n >= 1 && static_cast<size_t>(n) <= kMaxCoordinates) return true;
  s.err().line(std::string(command) + " needs a count of 1 .. " + std::to_string(kMaxCoordinates) +
               "; nothing changed.");
  return false;
}

// Whether nx x ny values fit the array (`limit` values, `too_large` the
// message); nothing changes when they do not.
bool shape_ok(Session& s, const char* command, int nx, int ny, size_t limit,
              const char* too_large) {
  if (nx < 1 || ny < 1) {
    s.err().line(std::string(command) + " needs nx and ny of at least 1; nothing was loaded.");
    return false;
  }
  if (static_cast<size_t>(nx) * static_cast<size_t>(ny) > limit ||
      static_cast<size_t>(nx) > kMaxCoordinates || static_cast<size_t>(ny) > kMaxCoordinates) {
    message(s, too_large);
    return false;
  }
  return true;
}

// Whether the array holds a value for every element of its shape.
bool array_held(Session& s, const char* command) {
  const ArrayGrid& a = s.array;
  if (a.nx >= 1 && a.ny >= 1 && a.values.size() >= a.size()) return true;
  if (a.values.empty())
    s.err().line(std::string(command) + ": there is no array loaded.");
  else
    s.err().line(std::string(command) + ": the array holds only " +
                 std::to_string(a.values.size()) + " of its " + std::to_string(a.size()) +
                 " values (its load was incomplete).");
  return false;
}

// Whether the second array matches the array's shape.
bool second_held(Session& s, const char* command) {
  if (!array_held(s, command)) return false;
  if (s.array.second.size() >= s.array.size()) return true;
  s.err().line(std::string(command) + ": there is no second array of the array's size (ARRAY2).");
  return false;
}

// A new shape for the array: a second array of another shape no longer fits.
void reshape(ArrayGrid& a, int nx, int ny) {
  if (nx != a.nx || ny != a.ny) a.second.clear();
  a.nx = nx;
  a.ny = ny;
}

// The element values of ARRAY and ARRAY2 from the command input: free
// format row by row with READFAST, else any number per line. False after
// the message when the load ended early (the values read stay).
bool read_values(Session& s, std::vector<double>& into, size_t nx, size_t count) {
  std::string bad;
  if (s.reader.read_fast) {
    LoadEnd end = load_free_format(free_format_lines(s), count, nx, into, bad);
    if (end == LoadEnd::kComplete) return true;
    if (end == LoadEnd::kUnreadable)
      s.err().line("Cannot read array data in line: " + bad);
    else
      message(s, "ERROR: Insufficient data to complete ARRAY load.");
    return false;
  }
  MathEnv env = s.math_env();
  LoadEnd end = load_values(input_lines(s), count, into, env, bad);
  if (end == LoadEnd::kComplete) return true;
  if (end == LoadEnd::kUnreadable)
    s.err().line("Cannot read array data in line: " + bad);
  else
    message(s, "Array load was incomplete owing to lack of data");
  return false;
}

// ---- loading from the command input -----------------------------------------------

void load_array(Session& s, Params& p, bool math) {
  const int nx = int_parm(p), ny = int_parm(p);
  if (!shape_ok(s, "ARRAY", nx, ny, kMaxArrayValues, "ARRAY is too large for available memory"))
    return;
  ArrayGrid& a = s.array;
  reshape(a, nx, ny);
  set_counts(s);
  std::vector<double> values;
  const bool complete = read_values(s, values, static_cast<size_t>(nx), a.size());
  a.values = std::move(values);
  if (complete) queue_after_load(s, math);
}

void cmd_array(Session& s, Params& p) { load_array(s, p, true); }
void cmd_array_nomath(Session& s, Params& p) { load_array(s, p, false); }

void cmd_array2(Session& s, Params& p) {
  const int nx = int_parm(p), ny = int_parm(p);
  if (nx != s.array.nx || ny != s.array.ny) {
    message(s, "ARRAY2 must be the same dimensions as ARRAY");
    return;
  }
  if (!shape_ok(s, "ARRAY2", nx, ny, kMaxArray2Values, "ARRAY2 is too large for available memory"))
    return;
  std::vector<double> values;
  read_values(s, values, static_cast<size_t>(nx), s.array.size());
  s.array.second = std::move(values);
}

// XARRAY and YARRAY: nx x ny free-format values into the array or the second
// array; the coordinate lists stay as they are.
void load_plain(Session& s, Params& p, bool second) {
  const char* name = second ? "YARRAY" : "XARRAY";
  const int nx = int_parm(p), ny = int_parm(p);
  const size_t limit = second ? kMaxArray2Values : kMaxArrayValues;
  if (!shape_ok(s, name, nx, ny, limit,
                second ? "ARRAY2 is too large for available memory"
                       : "ARRAY is too large for available memory"))
    return;
  std::vector<double> values;
  const size_t count = static_cast<size_t>(nx) * static_cast<size_t>(ny);
  std::string bad;
  LoadEnd end = load_free_format(free_format_lines(s), count, 0, values, bad);
  if (end == LoadEnd::kUnreadable) s.err().line("Cannot read array data in line: " + bad);
  if (end == LoadEnd::kEndOfInput) message(s, "Array load was incomplete owing to lack of data");
  ArrayGrid& a = s.array;
  if (second) {
    if (nx != a.nx || ny != a.ny) a.values.clear();
    a.nx = nx;
    a.ny = ny;
    a.second = std::move(values);
  } else {
    reshape(a, nx, ny);
    a.values = std::move(values);
  }
  set_counts(s);
}

void cmd_xarray(Session& s, Params& p) { load_plain(s, p, false); }
void cmd_yarray(Session& s, Params& p) { load_plain(s, p, true); }

// ---- coordinate lists -------------------------------------------------------------

// What a coordinate list of the array is: its values, its spacing list and
// fixed spacing (none for Z), its length, and the names of its commands and
// variables.
struct AxisList {
  std::vector<double>* list;
  std::vector<double>* spacing;  // null for the Z list
  double* fixed;                 // ARRAYDX, ARRAYDY; null for the Z list
  int* n;
  double mod;                 // the axis's modulus (XMOD): the list is wrapped by it
  const char* scale_command;  // ARRAYXSCALE, ARRAYYSCALE, VOLUMEZSCALE
  const char* list_command;   // ARRAYX, ARRAYY, VOLUMEZ
};

AxisList axis_list(Session& s, AxisId axis) {
  ArrayGrid& a = s.array;
  switch (axis) {
    case X:
      return {&a.x, &a.dx, &a.fixed_dx, &a.nx, s.axes[X].layout.mod, "ARRAYXSCALE", "ARRAYX"};
    case Y:
      return {&a.y, &a.dy, &a.fixed_dy, &a.ny, s.axes[Y].layout.mod, "ARRAYYSCALE", "ARRAYY"};
    case Z:
      break;
  }
  return {&a.z, nullptr, nullptr, &a.nz, 0, "VOLUMEZSCALE", "VOLUMEZ"};
}

// The list's length in MX (MY, MZ), and its first and last values queued as
// the axis limits.
void list_set(Session& s, AxisId axis, const AxisList& l, int n) {
  *l.n = n;
  setvariable(s.vars, std::string("M") + axis_letter(axis), n);
  push_limit(s, (axis_letter(axis) + std::string("MIN")).c_str(), list_entry(*l.list, 1));
  push_limit(s, (axis_letter(axis) + std::string("MAX")).c_str(),
             list_entry(*l.list, static_cast<size_t>(n)));
}

}  // namespace

void set_coordinate_list(Session& s, AxisId axis, const std::vector<double>& values) {
  const AxisList l = axis_list(s, axis);
  const int n = static_cast<int>(values.size());
  if (l.list->size() < values.size()) l.list->resize(values.size());
  std::copy(values.begin(), values.end(), l.list->begin());
  wrap_list(*l.list, n, l.mod);
  if (l.spacing) set_spacing(*l.list, n, *l.fixed, *l.spacing);
  list_set(s, axis, l, n);
}

namespace {

// ARRAYXSCALE n a d (and the Y, Z and VOLUME forms).
template <AxisId A>
void cmd_scale(Session& s, Params& p) {
  const int n = int_parm(p);
  const double start = getparm(p), step = getparm(p);
  const AxisList l = axis_list(s, A);
  if (!list_length_ok(s, l.scale_command, n)) return;
  scale_list(*l.list, l.spacing, n, start, step);
  list_set(s, A, l, n);
}

// ARRAYX n (and the Y, Z and VOLUME forms): n coordinates from the command
// input in free format.
template <AxisId A>
void cmd_coordinates(Session& s, Params& p) {
  const int n = int_parm(p);
  const AxisList l = axis_list(s, A);
  if (!list_length_ok(s, l.list_command, n)) return;
  std::vector<double> values;
  const size_t count = static_cast<size_t>(n);
  std::string bad;
  LoadEnd end = load_free_format(free_format_lines(s), count, 0, values, bad);
  if (end != LoadEnd::kComplete) {
    if (end == LoadEnd::kUnreadable)
      s.err().line("Cannot read array data in line: " + bad);
    else
      message(s, "Array load was incomplete owing to lack of data");
    return;
  }
  set_coordinate_list(s, A, values);
}

template <AxisId A>
void cmd_fixed_spacing(Session& s, Params& p) {
  const AxisList l = axis_list(s, A);
  *l.fixed = getparm(p);
  set_spacing(*l.list, *l.n, *l.fixed, *l.spacing);
}

// ---- the binary array file --------------------------------------------------------

void load_raw(Session& s, const std::string& name, bool scans) {
  std::string why;
  RawArray raw;
  if (!s.may_read(name)) return;
  bool not_regular = false;
  std::FILE* fp = fopen_regular(name, &not_regular);
  bool ok = fp && read_raw_array(fp, scans, raw, why);
  if (fp) std::fclose(fp);
  if (!ok) {
    s.err().line("There is a problem with " + name);
    if (!fp) why = not_regular ? "it is not a regular file" : "it cannot be opened";
    s.err().line("  (" + why + "; the array keeps what it held)");
    return;
  }
  ArrayGrid& a = s.array;
  reshape(a, raw.nx, raw.ny);
  a.x = std::move(raw.x);
  a.y = std::move(raw.y);
  a.values = std::move(raw.values);
  set_counts(s);
  set_spacing(a.x, a.nx, a.fixed_dx, a.dx);
  set_spacing(a.y, a.ny, a.fixed_dy, a.dy);
  push_limit(s, "XMIN", a.x.front());
  push_limit(s, "XMAX", a.x.back());
  push_limit(s, "YMIN", a.y.front());
  push_limit(s, "YMAX", a.y.back());
}

std::string file_parm(Params& p, const char* fallback) {
  std::string name = getcparm(p, false);
  return name.empty() ? fallback : name;
}

void cmd_rawarray(Session& s, Params& p) { load_raw(s, file_parm(p, "array.raw"), false); }
void cmd_rawarrayxscans(Session& s, Params& p) { load_raw(s, file_parm(p, "array.raw"), true); }

// Writes `a` to the scratch array file and queues its reading as the array
// (RAWARRAY) and then its deletion; false after a message naming the file
// and the reason (the array is then unchanged).
bool rewrite_array(Session& s, const RawArray& a) {
  const std::string name = "vexal" + s.run.pid + ".trns";
  int error = 0;
  std::FILE* fp = s.create_temp_file(name, error);
  errno = 0;
  if (fp && !write_raw_array(fp, a)) error = errno ? errno : EIO;
  if (fp && std::fclose(fp) != 0 && error == 0) error = errno ? errno : EIO;
  if (error != 0) {
    s.err().line("Cannot write the scratch array file " + name + ": " +
                 (error == EEXIST ? "it exists and was not made by this run"
                                  : std::string(std::strerror(error))) +
                 "; the array is unchanged.");
    if (fp) std::remove(name.c_str());
    return false;
  }
  push_command(s.stream, "delete " + name, kVerbatim);
  push_command(s.stream, "rawarray " + name, kVerbatim);
  return true;
}

// The array as it is now, in the form of the array file.
RawArray current_array(const ArrayGrid& a) {
  RawArray r;
  r.nx = a.nx;
  r.ny = a.ny;
  for (int i = 1; i <= a.nx; ++i) r.x.push_back(list_entry(a.x, static_cast<size_t>(i)));
  for (int j = 1; j <= a.ny; ++j) r.y.push_back(list_entry(a.y, static_cast<size_t>(j)));
  r.values.assign(a.values.begin(), a.values.begin() + static_cast<std::ptrdiff_t>(a.size()));
  return r;
}

// ---- rewriting the array for the 3-D view ------------------------------------------

// 3DLAT2NORTHCOLAT: latitude rows become north colatitude, 90 - y, the rows
// reversed so that it ascends; 3DLAT2SOUTHCOLAT: south colatitude, y + 90.
template <bool North>
void cmd_lat2colat(Session& s, Params&) {
  if (!array_held(s, North ? "3DLAT2NORTHCOLAT" : "3DLAT2SOUTHCOLAT")) return;
  RawArray r = current_array(s.array);
  if (North) {
    const size_t nx = static_cast<size_t>(r.nx), ny = static_cast<size_t>(r.ny);
    std::reverse(r.y.begin(), r.y.end());
    for (double& y : r.y) y = 90 - y;
    for (size_t j = 0; j < ny / 2; ++j)
      std::swap_ranges(r.values.begin() + static_cast<std::ptrdiff_t>(j * nx),
                       r.values.begin() + static_cast<std::ptrdiff_t>((j + 1) * nx),
                       r.values.begin() + static_cast<std::ptrdiff_t>((ny - 1 - j) * nx));
  } else {
    for (double& y : r.y) y += 90;
  }
  rewrite_array(s, r);
}

// TRANSPOSE3DXY: x and y of the array exchanged, and the axis labels with them.
void cmd_transpose3d(Session& s, Params&) {
  if (!array_held(s, "TRANSPOSE3DXY")) return;
  const ArrayGrid& a = s.array;
  RawArray r = current_array(a);
  std::swap(r.nx, r.ny);
  std::swap(r.x, r.y);
  for (int j = 1; j <= r.ny; ++j)
    for (int i = 1; i <= r.nx; ++i)
      r.values[static_cast<size_t>(j - 1) * static_cast<size_t>(r.nx) +
               static_cast<size_t>(i - 1)] = a.at(static_cast<size_t>(j), static_cast<size_t>(i));
  if (!rewrite_array(s, r)) return;
  const std::string xlabel = s.axes[X].layout.label, ylabel = s.axes[Y].layout.label;
  push_command(s.stream, "XLAB " + ylabel, kVerbatim);
  push_command(s.stream, "YLAB " + xlabel, kVerbatim);
}

// REFLECT3DX / REFLECT3DY: the values mirrored in x (y); the coordinates stay.
template <bool AlongX>
void cmd_reflect3d(Session& s, Params&) {
  if (!array_held(s, AlongX ? "REFLECT3DX" : "REFLECT3DY")) return;
  const ArrayGrid& a = s.array;
  RawArray r = current_array(a);
  const size_t nx = static_cast<size_t>(a.nx), ny = static_cast<size_t>(a.ny);
  for (size_t j = 1; j <= ny; ++j)
    for (size_t i = 1; i <= nx; ++i)
      r.values[(j - 1) * nx + i - 1] = AlongX ? a.at(nx + 1 - i, j) : a.at(i, ny + 1 - j);
  rewrite_array(s, r);
}

// 3DREDUCE ix iy: every ix-th column and iy-th row from the first.
void cmd_3dreduce(Session& s, Params& p) {
  const int ix = int_parm(p), iy = int_parm(p);
  if (!array_held(s, "3DREDUCE")) return;
  if (ix < 1 || iy < 1) {
    s.err().line("3DREDUCE needs steps of at least 1; the array is unchanged.");
    return;
  }
  const ArrayGrid& a = s.array;
  RawArray r;
  // Wide counters: a step near the int range would overflow them.
  for (long long i = 1; i <= a.nx; i += ix) r.x.push_back(list_entry(a.x, static_cast<size_t>(i)));
  for (long long j = 1; j <= a.ny; j += iy) r.y.push_back(list_entry(a.y, static_cast<size_t>(j)));
  r.nx = static_cast<int>(r.x.size());
  r.ny = static_cast<int>(r.y.size());
  for (long long j = 1; j <= a.ny; j += iy)
    for (long long i = 1; i <= a.nx; i += ix)
      r.values.push_back(a.at(static_cast<size_t>(i), static_cast<size_t>(j)));
  rewrite_array(s, r);
}

// Whether the array may grow by one column (row); otherwise a message.
bool may_grow(Session& s, const char* command, size_t nx, size_t ny) {
  if (nx <= kMaxCoordinates && ny <= kMaxCoordinates && nx * ny <= kMaxArrayValues) return true;
  s.err().line(std::string(command) +
               ": the array would outgrow the store; the array is unchanged.");
  return false;
}

// FILLPOLARHOLE: a new first column at radius 0 reaching out to the old
// first column's inner edge, its values those of the old first column.
void cmd_fillpolarhole(Session& s, Params&) {
  if (!array_held(s, "FILLPOLARHOLE")) return;
  ArrayGrid& a = s.array;
  const size_t nx = static_cast<size_t>(a.nx), ny = static_cast<size_t>(a.ny);
  if (!may_grow(s, "FILLPOLARHOLE", nx + 1, ny)) return;
  std::vector<double> values;
  values.reserve((nx + 1) * ny);
  for (size_t j = 1; j <= ny; ++j) {
    values.push_back(a.at(1, j));
    for (size_t i = 1; i <= nx; ++i) values.push_back(a.at(i, j));
  }
  std::vector<double> x = {0}, dx;
  for (size_t i = 1; i <= nx; ++i) x.push_back(list_entry(a.x, i));
  dx.push_back(2 * (list_entry(a.x, 1) - list_entry(a.dx, 1) / 2));
  for (size_t i = 1; i <= nx; ++i) dx.push_back(list_entry(a.dx, i));
  reshape(a, a.nx + 1, a.ny);
  a.values = std::move(values);
  a.x = std::move(x);
  a.dx = std::move(dx);
  set_counts(s);
}

// CLOSEPOLAR: a new last row repeating row 1 at y(1) + 360.
void cmd_closepolar(Session& s, Params&) {
  if (!array_held(s, "CLOSEPOLAR")) return;
  ArrayGrid& a = s.array;
  const size_t nx = static_cast<size_t>(a.nx), ny = static_cast<size_t>(a.ny);
  if (!may_grow(s, "CLOSEPOLAR", nx, ny + 1)) return;
  a.values.resize(nx * ny);
  a.values.insert(a.values.end(), a.values.begin(),
                  a.values.begin() + static_cast<std::ptrdiff_t>(nx));
  std::vector<double> y(ny), dy(ny);
  for (size_t j = 1; j <= ny; ++j) {
    y[j - 1] = list_entry(a.y, j);
    dy[j - 1] = list_entry(a.dy, j);
  }
  y.push_back(list_entry(a.y, 1) + 360);
  dy.push_back(list_entry(a.dy, 1));
  reshape(a, a.nx, a.ny + 1);
  a.y = std::move(y);
  a.dy = std::move(dy);
  set_counts(s);
}

// ARRAYREGION ix1 ix2 iy1 iy2: the crop goes through the scratch array file,
// read back as the array and then deleted.
void cmd_arrayregion(Session& s, Params& p) {
  const int ix1 = int_parm(p), ix2 = int_parm(p), iy1 = int_parm(p), iy2 = int_parm(p);
  if (!array_held(s, "ARRAYREGION")) return;
  ArrayGrid& a = s.array;
  if (ix1 < 1 || ix1 > ix2 || ix2 > a.nx || iy1 < 1 || iy1 > iy2 || iy2 > a.ny) {
    s.err().line("ARRAYREGION needs 1 <= ix1 <= ix2 <= " + std::to_string(a.nx) +
                 " and 1 <= iy1 <= iy2 <= " + std::to_string(a.ny) + "; the array is unchanged.");
    return;
  }
  RawArray crop;
  crop.nx = ix2 - ix1 + 1;
  crop.ny = iy2 - iy1 + 1;
  for (int i = ix1; i <= ix2; ++i) crop.x.push_back(list_entry(a.x, static_cast<size_t>(i)));
  for (int j = iy1; j <= iy2; ++j) crop.y.push_back(list_entry(a.y, static_cast<size_t>(j)));
  crop.values.reserve(static_cast<size_t>(crop.nx) * static_cast<size_t>(crop.ny));
  for (int j = iy1; j <= iy2; ++j)
    for (int i = ix1; i <= ix2; ++i)
      crop.values.push_back(a.at(static_cast<size_t>(i), static_cast<size_t>(j)));
  rewrite_array(s, crop);
}

// ---- element arithmetic and math --------------------------------------------------

template <typename Op>
void combine(Session& s, const char* command, Op op) {
  if (!second_held(s, command)) return;
  ArrayGrid& a = s.array;
  const size_t n = a.size();
  for (size_t k = 0; k < n; ++k) a.values[k] = op(a.values[k], a.second[k]);
}

void cmd_add2(Session& s, Params&) {
  combine(s, "ARRAYADDARRAY2", [](double u, double v) { return u + v; });
}
void cmd_subtract2(Session& s, Params&) {
  combine(s, "ARRAYSUBTRACTARRAY2", [](double u, double v) { return u - v; });
}
void cmd_divide2(Session& s, Params&) {
  combine(s, "ARRAYDIVIDEARRAY2", [](double u, double v) { return u / v; });
}

void cmd_array_to_array2(Session& s, Params&) {
  if (!array_held(s, "ARRAYTOARRAY2")) return;
  if (s.array.size() > kMaxArray2Values) {
    message(s, "ARRAY2 is too large for available memory");
    return;
  }
  s.array.second.assign(s.array.values.begin(),
                        s.array.values.begin() + static_cast<std::ptrdiff_t>(s.array.size()));
}

// The automatic Z limits from the array's values (missing ones left out).
void z_limits_from(Session& s, const double* v, size_t n) {
  AxisLimits& z = s.axes[Z].limits;
  if (!limit_unset(z.min) && !limit_unset(z.max)) return;
  // One pass for the extremes (NaN fails every comparison and is left out
  // with the missing values and the infinities).
  // Four lanes, so that no comparison waits for the one before it.
  constexpr double kInf = std::numeric_limits<double>::infinity();
  double los[4] = {kInf, kInf, kInf, kInf}, his[4] = {-kInf, -kInf, -kInf, -kInf};
  size_t k = 0;
  for (; k + 4 <= n; k += 4)
    for (size_t l = 0; l < 4; ++l) {
      const double x = v[k + l];
      const bool usable = x >= kUnsetBelow && x < kInf;
      los[l] = usable && x < los[l] ? x : los[l];
      his[l] = usable && x > his[l] ? x : his[l];
    }
  for (; k < n; ++k) {
    const double x = v[k];
    const bool usable = x >= kUnsetBelow && x < kInf;
    los[0] = usable && x < los[0] ? x : los[0];
    his[0] = usable && x > his[0] ? x : his[0];
  }
  const double lo = std::min({los[0], los[1], los[2], los[3]});
  const double hi = std::max({his[0], his[1], his[2], his[3]});
  if (lo > hi) return;
  if (limit_unset(z.min)) z.min = lo;
  if (limit_unset(z.max)) z.max = hi;
  ColumnSummary ends;
  ends.add(lo);
  ends.add(hi);
  minmax(ends, z, 'Z', s.err());
}

void cmd_doarraymath(Session& s, Params&) {
  ArrayGrid& a = s.array;
  const size_t nx = static_cast<size_t>(std::max(a.nx, 0));
  const size_t rows =
      nx ? std::min(static_cast<size_t>(std::max(a.ny, 0)), a.values.size() / nx) : 0;
  MathEnv env = s.math_env();
  CurrentPoint& pt = s.point;
  CompiledMath scratch;
  for (const MathCommand& c : s.math_list.commands) {
    auto run = [&] {
      pt.error = 0;
      run_math_command(c, env, scratch);
    };
    for (size_t j = 1; j <= rows; ++j) {
      a.iy = static_cast<int>(j);
      double* row = a.values.data() + (j - 1) * nx;
      const double y = list_entry(a.y, j);
      for (size_t i = 1; i <= nx; ++i) {
        a.ix = static_cast<int>(i);
        pt.x = list_entry(a.x, i);
        pt.y = y;
        pt.z = row[i - 1];
        run();
        row[i - 1] = pt.error != 0 ? kMissingValue : pt.z;
      }
    }
    const char first = c.text.empty() ? ' ' : c.text[0];
    if (first == 'Y' || first == 'X') {
      const AxisList l = axis_list(s, static_cast<AxisId>(first - 'X'));
      std::vector<double>& list = *l.list;
      const int n = *l.n;
      double& coordinate = first == 'Y' ? pt.y : pt.x;
      if (n >= 1 && list.size() < static_cast<size_t>(n)) list.resize(static_cast<size_t>(n));
      for (int k = 0; k < n; ++k) {
        coordinate = list[static_cast<size_t>(k)];
        run();
        list[static_cast<size_t>(k)] = coordinate;
      }
      set_spacing(list, n, *l.fixed, *l.spacing);
    }
  }
  z_limits_from(s, a.values.data(), rows * nx);
}

// ---- the image --------------------------------------------------------------------

void set_image_counts(Session& s) {
  setvariable(s.vars, "IMAGEX", s.image.width);
  setvariable(s.vars, "IMAGEY", s.image.height);
}

// XMIN 1, XMAX width, YMIN 1, YMAX height (numbers 6 wide), pushed in that order.
void push_image_limits(Session& s) {
  char buf[16];
  const int values[] = {1, s.image.width, 1, s.image.height};
  const char* words[] = {"XMIN ", "XMAX ", "YMIN ", "YMAX "};
  for (int k = 0; k < 4; ++k) {
    std::snprintf(buf, sizeof buf, "%6d", values[k]);
    push_command(s.stream, std::string(words[k]) + buf);
  }
}

void cmd_image(Session& s, Params& p) {
  const int w = int_parm(p), h = int_parm(p);
  Image img;
  std::string why;
  if (!load_hex_image(free_format_lines(s), w, h, img, why)) {
    s.err().line(why + "; the image is unchanged.");
    return;
  }
  s.image = std::move(img);
  set_image_counts(s);
  auto [lo, hi] = std::minmax_element(s.image.pixels.begin(), s.image.pixels.end());
  const double ends[2] = {static_cast<double>(*lo), static_cast<double>(*hi)};
  z_limits_from(s, ends, 2);
  push_image_limits(s);
}

void cmd_pgm(Session& s, Params& p) {
  const std::string name = getcparm(p);
  if (name.empty() || !s.may_read(name)) return;
  bool not_regular = false;
  std::FILE* fp = fopen_regular(name, &not_regular);
  if (!fp) {
    s.err().line("Unable to open PGM file: " + name);
    return;
  }
  Image img;
  std::vector<std::string> comments;
  std::string why;
  const bool ok = read_pgm(fp, img, comments, why);
  std::fclose(fp);
  if (s.units.verbose)
    for (const std::string& c : comments) s.term.line(c);
  if (!ok) {
    s.err().line("PGM file format error: " + name);
    s.err().line("  (" + why + "; the image is unchanged)");
    return;
  }
  s.image = std::move(img);
  set_image_counts(s);
}

void cmd_arraytopgm(Session& s, Params&) {
  if (!array_held(s, "ARRAYTOPGM")) return;
  const ArrayGrid& a = s.array;
  Image img;
  img.width = a.nx;
  img.height = a.ny;
  img.pixels.resize(a.size());
  for (size_t k = 0; k < img.pixels.size(); ++k)
    img.pixels[k] = static_cast<uint8_t>(
        color_of(a.values[k], s.axes[Z].limits.min, s.axes[Z].limits.max, s.pen.ncolors));
  s.image = std::move(img);
  set_image_counts(s);
}

// IMAGEREGION ix1 ix2 iy1 iy2: the image cropped in place.
void cmd_imageregion(Session& s, Params& p) {
  const int ix1 = int_parm(p), ix2 = int_parm(p), iy1 = int_parm(p), iy2 = int_parm(p);
  Image& img = s.image;
  if (ix1 < 1 || ix1 > ix2 || ix2 > img.width || iy1 < 1 || iy1 > iy2 || iy2 > img.height) {
    s.err().line("IMAGEREGION needs 1 <= ix1 <= ix2 <= " + std::to_string(img.width) +
                 " and 1 <= iy1 <= iy2 <= " + std::to_string(img.height) +
                 "; the image is unchanged.");
    return;
  }
  const size_t w = static_cast<size_t>(ix2 - ix1 + 1);
  size_t to = 0;
  for (int j = iy1; j <= iy2; ++j) {
    const size_t from =
        static_cast<size_t>(j - 1) * static_cast<size_t>(img.width) + static_cast<size_t>(ix1 - 1);
    std::copy_n(img.pixels.begin() + static_cast<std::ptrdiff_t>(from), w,
                img.pixels.begin() + static_cast<std::ptrdiff_t>(to));
    to += w;
  }
  img.pixels.resize(to);
  img.pixels.shrink_to_fit();
  img.width = ix2 - ix1 + 1;
  img.height = iy2 - iy1 + 1;
  set_image_counts(s);
  push_image_limits(s);
}

// IMAGETOARRAY: the image as the command file "array.d", run with COM so
// that it loads as the array. The file is this run's scratch file (created
// new, removed at the end unless SAVET): a file or link found under the name
// that this run did not make is neither written through nor run.
void cmd_imagetoarray(Session& s, Params&) {
  const Image& img = s.image;
  if (img.width < 1 || img.height < 1) {
    message(s, "IMAGETOARRAY: there is no image loaded.");
    return;
  }
  const std::string name = "array.d";
  int error = 0;
  std::FILE* fp = s.create_temp_file(name, error);
  if (fp) {
    OutBuffer out(fp);
    out.line("ARRAY " + std::to_string(img.width) + " " + std::to_string(img.height));
    char buf[8];
    for (size_t k = 0; k < img.pixels.size(); ++k) {
      std::snprintf(buf, sizeof buf, "%5d", img.pixels[k]);
      out.put(buf);
      if (k % 16 == 15 || k + 1 == img.pixels.size()) out.put('\n');
    }
    out.flush();
    error = out.error();
    out.set_discard();  // nothing reaches the stream once it is closed
    errno = 0;
    if (std::fclose(fp) != 0 && error == 0) error = errno ? errno : EIO;
  }
  if (error != 0) {
    s.err().line("Cannot write the scratch command file " + name + ": " +
                 (error == EEXIST ? "it exists and was not made by this run"
                                  : std::string(std::strerror(error))) +
                 "; the array is unchanged.");
    if (fp && s.scratch_files.replaceable(name)) std::remove(name.c_str());
    return;
  }
  push_command(s.stream, "COM " + name, kVerbatim);
}

// XSLICEIMAGE i / YSLICEIMAGE j: one column or row of the image into "slice.d".
template <bool Column>
void cmd_sliceimage(Session& s, Params& p) {
  const int k = int_parm(p);
  const Image& img = s.image;
  const int limit = Column ? img.width : img.height;
  if (k < 1 || k > limit) {
    s.err().line(std::string(Column ? "XSLICEIMAGE" : "YSLICEIMAGE") + " needs an index of 1 .. " +
                 std::to_string(limit) + "; nothing was written.");
    return;
  }
  Listing list(s, "slice.d");
  if (list.failed()) return;
  OutBuffer& out = list.out();
  const int n = Column ? img.height : img.width;
  for (int m = 1; m <= n; ++m) {
    const size_t i = static_cast<size_t>(Column ? k : m), j = static_cast<size_t>(Column ? m : k);
    out.line(free_int(m) + free_int(img.at(i, j)));
  }
}

// XSLICEARRAY i / YSLICEARRAY j: one column or row of the array into
// "slice.d", then read as a curve over that axis.
template <bool Column>
void cmd_slicearray(Session& s, Params& p) {
  const int k = int_parm(p);
  const char* name = Column ? "XSLICEARRAY" : "YSLICEARRAY";
  if (!array_held(s, name)) return;
  const ArrayGrid& a = s.array;
  const int limit = Column ? a.nx : a.ny;
  if (k < 1 || k > limit) {
    s.err().line(std::string(name) + " needs an index of 1 .. " + std::to_string(limit) +
                 "; nothing was written.");
    return;
  }
  {
    Listing list(s, "slice.d");
    if (list.failed()) return;
    OutBuffer& out = list.out();
    const int n = Column ? a.ny : a.nx;
    for (int m = 1; m <= n; ++m) {
      const size_t i = static_cast<size_t>(Column ? k : m), j = static_cast<size_t>(Column ? m : k);
      const double coord = Column ? list_entry(a.y, j) : list_entry(a.x, i);
      out.line(free_int(m) + " " + free_real(coord) + " " + free_real(a.at(i, j)));
    }
  }
  push_command(s.stream, "DATA slice.d");
  push_command(s.stream, "XCOL 2");
  push_command(s.stream, "YCOL 3");
}

// ---- listings ---------------------------------------------------------------------

void cmd_dumparray(Session& s, Params& p) {
  Listing list(s, getcparm(p, false));
  if (list.failed()) return;
  write_array_commands(s.array, list.out());
}

void cmd_dumppgm(Session& s, Params& p) {
  Listing list(s, getcparm(p, false));
  if (list.failed()) return;
  write_array_pgm(s.array, s.axes[Z].limits.min, s.axes[Z].limits.max, s.pen.ncolors, list.out());
}

// DUMPARRAYMAP [file [address [offset]]]: each element's page position as a
// line of a clickable image map, in pixels at 72 per inch from the drawn
// area's top-left corner. The plane view maps X and Y along the axes.
void cmd_dumparraymap(Session& s, Params& p) {
  const std::string file = getcparm(p, false);
  const std::string address = getcparm(p, false);
  const double offset = getparm(p, nullptr, false);
  if (!array_held(s, "DUMPARRAYMAP")) return;
  Listing list(s, file);
  if (list.failed()) return;
  OutBuffer& out = list.out();
  double x0, y0, x1, y1;
  boundbox(s.ps, x0, y0, x1, y1);
  const ArrayGrid& a = s.array;
  // Through the 3-D view once one is set up (its frame the array's extent),
  // else along the plane's axes.
  View& v = s.view;
  const bool in_view = v.geometry != Geometry::kUndefined;
  if (in_view) {
    v.x0 = list_entry(a.x, 1);
    v.x1 = list_entry(a.x, static_cast<size_t>(a.nx));
    v.y0 = list_entry(a.y, 1);
    v.y1 = list_entry(a.y, static_cast<size_t>(a.ny));
  }
  auto field = [](double v) {
    char buf[16];
    std::string f(exponent_field(v, 12, 4, buf));
    f.erase(std::remove(f.begin(), f.end(), ' '), f.end());
    return f;
  };
  auto pixel = [](double v) {
    const double r = std::round(v);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04lld",
                  std::isfinite(r) ? static_cast<long long>(std::clamp(r, -1e15, 1e15)) : 0LL);
    return std::string(buf);
  };
  for (int j = 1; j <= a.ny; ++j) {
    for (int i = 1; i <= a.nx; ++i) {
      const double xv = list_entry(a.x, static_cast<size_t>(i));
      const double yv = list_entry(a.y, static_cast<size_t>(j));
      const double value = a.at(static_cast<size_t>(i), static_cast<size_t>(j));
      double xp, yp;
      if (in_view) {
        std::array<double, 3> f;
        double depth;
        frame_point(v, xv, yv, value, f);
        project(v, f, xp, yp, depth);
        if (v.geometry == Geometry::kSpherical && depth < 0) continue;  // the far side
      } else {
        xp = fixpoint(xv, s.axes[X], nullptr);
        yp = fixpoint(yv, s.axes[Y], nullptr);
        rotate2d(xp, yp, s.axes.angle);
      }
      out.line("point " + address + "X=" + field(xv) + "&Y=" + field(yv) + "&Z=" + field(value) +
               " " + pixel((xp - x0) * kPointsPerInch + offset) + "," +
               pixel((y1 - yp) * kPointsPerInch + offset));
    }
  }
}

// ---- the rest ---------------------------------------------------------------------

void cmd_transposexy(Session& s, Params&) { std::swap(s.store.x, s.store.y); }

// RASTERDX d (RASTERDY): the cell width, in data units along a data-unit axis.
template <AxisId A, double RasterSettings::*Cell>
void cmd_rasterd(Session& s, Params& p) {
  double d = getparm(p);
  const Axis& axis = s.axes[A];
  const AxisLimits& l = axis.limits;
  if (axis.data_units && l.maxu != l.minu) d = d / (l.maxu - l.minu) * axis.length;
  s.raster.*Cell = d;
}

template <bool North>
void cmd_polar(Session& s, Params&) {
  push_command(s.stream, "polar");
  push_command(s.stream, "3dtranspose");
  push_command(s.stream, North ? "3dlat2northcolat" : "3dlat2southcolat");
}

constexpr Command kArrayCommands[] = {
    {"3DLAT2NORTHCOLAT", cmd_lat2colat<true>},
    {"3DLAT2SOUTHCOLAT", cmd_lat2colat<false>},
    {"3DREDUCE", cmd_3dreduce},
    {"3DREFLECTX", cmd_reflect3d<true>},
    {"3DREFLECTY", cmd_reflect3d<false>},
    {"3DTRAN", cmd_transpose3d},
    {"ARRAY", cmd_array},
    {"ARRAY/NOMATH", cmd_array_nomath},
    {"ARRAY2", cmd_array2},
    {"ARRAY2NORTHPOLAR", cmd_polar<true>},
    {"ARRAY2SOUTHPOLAR", cmd_polar<false>},
    {"ARRAYADDARRAY2", cmd_add2},
    {"ARRAYDIVIDEARRAY2", cmd_divide2},
    {"ARRAYDX", cmd_fixed_spacing<X>},
    {"ARRAYDY", cmd_fixed_spacing<Y>},
    {"ARRAYREGION", cmd_arrayregion},
    {"ARRAYSUBTRACTARRAY2", cmd_subtract2},
    {"ARRAYTOARRAY2", cmd_array_to_array2},
    {"ARRAYTOPGM", cmd_arraytopgm},
    {"ARRAYX", cmd_coordinates<X>},
    {"ARRAYXSCALE", cmd_scale<X>},
    {"ARRAYY", cmd_coordinates<Y>},
    {"ARRAYYSCALE", cmd_scale<Y>},
    {"CLOSEPOLAR", cmd_closepolar},
    {"DOARRAYMATH", cmd_doarraymath},
    {"DUMPARRAY", cmd_dumparray},
    {"DUMPARRAYMAP", cmd_dumparraymap},
    {"DUMPPGM", cmd_dumppgm},
    {"FILLPOLARHOLE", cmd_fillpolarhole},
    {"IMAGE", cmd_image},
    {"IMAGEREGION", cmd_imageregion},
    {"IMAGETOARRAY", cmd_imagetoarray},
    {"LOADARRAY2FROMARRAY", cmd_array_to_array2},
    {"PGM", cmd_pgm},
    {"RASTERDX", cmd_rasterd<X, &RasterSettings::dx>},
    {"RASTERDY", cmd_rasterd<Y, &RasterSettings::dy>},
    {"RAWARRAY", cmd_rawarray},
    {"RAWARRAYXSCANS", cmd_rawarrayxscans},
    {"REFLECT3DX", cmd_reflect3d<true>},
    {"REFLECT3DY", cmd_reflect3d<false>},
    {"TRANSPOSE3DXY", cmd_transpose3d},
    {"TRANSPOSEXY", cmd_transposexy},
    {"VOLUMEX", cmd_coordinates<X>},
    {"VOLUMEXSCALE", cmd_scale<X>},
    {"VOLUMEY", cmd_coordinates<Y>},
    {"VOLUMEYSCALE", cmd_scale<Y>},
    {"VOLUMEZ", cmd_coordinates<Z>},
    {"VOLUMEZSCALE", cmd_scale<Z>},
    {"XARRAY", cmd_xarray},
    {"XSLICEARRAY", cmd_slicearray<true>},
    {"XSLICEIMAGE", cmd_sliceimage<true>},
    {"YARRAY", cmd_yarray},
    {"YSLICEARRAY", cmd_slicearray<false>},
    {"YSLICEIMAGE", cmd_sliceimage<false>},
};

}  // namespace

std::span<const Command> array_commands() { return kArrayCommands; }

}  // namespace vexal
