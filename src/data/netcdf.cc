// Reading netCDF files through the library's C interface: metadata queries,
// whole variables and hyperslabs each in one library call, converted to
// double by the library, then the missing elements marked and the others
// unpacked as the variable's attributes say.
#include "data/netcdf.h"

#include <netcdf.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <limits>

#include "util/array_grid.h"
#include "util/files.h"
#include "util/free_format.h"

namespace vexal {

namespace {

// Values held in memory at once by the sums and maxima of a volume (32 MiB).
constexpr size_t kSlabValues = size_t{1} << 22;
// Characters of a char variable read for its text.
constexpr size_t kMaxTextRead = size_t{1} << 20;

bool numeric_type(int type) {
  switch (type) {
    case NC_BYTE:
    case NC_SHORT:
    case NC_INT:
    case NC_FLOAT:
    case NC_DOUBLE:
    case NC_UBYTE:
    case NC_USHORT:
    case NC_UINT:
    case NC_INT64:
    case NC_UINT64:
      return true;
    default:
      return false;
  }
}

// The attribute conventions of one variable: which raw values stand for no
// data, and how the others unpack.
struct Conventions {
  std::vector<double> missing;  // _FillValue (or the type's default fill) and missing_value
  bool nan_missing = false;     // one of those is NaN
  bool bounded = false;         // valid_range, valid_min or valid_max given
  double low = -std::numeric_limits<double>::infinity();  // raw bounds; NaN lies outside
  double high = std::numeric_limits<double>::infinity();
  bool packed = false;  // scale_factor or add_offset given
  double scale = 1, offset = 0;

  bool none() const { return missing.empty() && !nan_missing && !bounded && !packed; }
  bool is_missing(double raw) const {
    if (bounded && !(raw >= low && raw <= high)) return true;
    if (std::isnan(raw)) return nan_missing;
    return std::find(missing.begin(), missing.end(), raw) != missing.end();
  }
  double unpack(double raw) const { return packed ? raw * scale + offset : raw; }
};

// A number as the float it stands for in a float variable, so that a double
// attribute (-999.9) matches the float elements it was meant for. Numbers
// beyond the float range stay as they are and so match nothing.
double as_float(double a) {
  return std::isfinite(a) && std::abs(a) > FLT_MAX ? a : static_cast<double>(static_cast<float>(a));
}

// The values of a numeric attribute of a variable, whatever its type, as
// doubles; false when there is no such attribute or it holds no numbers.
bool att_numbers(int ncid, int varid, const char* name, std::vector<double>& out) {
  nc_type type = NC_NAT;
  size_t len = 0;
  if (nc_inq_att(ncid, varid, name, &type, &len) != NC_NOERR || len == 0) return false;
  switch (type) {
    case NC_CHAR:
    case NC_STRING:
      return false;
    default:
      break;
  }
  out.resize(len);
  return nc_get_att_double(ncid, varid, name, out.data()) == NC_NOERR;
}

// The fill value the library gives unwritten elements of a type; false for
// the byte types, where it may as well be data.
bool default_fill(int type, double& fill) {
  switch (type) {
    case NC_SHORT:
      fill = NC_FILL_SHORT;
      return true;
    case NC_INT:
      fill = NC_FILL_INT;
      return true;
    case NC_FLOAT:
      fill = NC_FILL_FLOAT;
      return true;
    case NC_DOUBLE:
      fill = NC_FILL_DOUBLE;
      return true;
    case NC_USHORT:
      fill = NC_FILL_USHORT;
      return true;
    case NC_UINT:
      fill = NC_FILL_UINT;
      return true;
    case NC_INT64:
      fill = static_cast<double>(NC_FILL_INT64);
      return true;
    case NC_UINT64:
      fill = static_cast<double>(NC_FILL_UINT64);
      return true;
    default:
      return false;
  }
}

// The conventions of a numeric variable: exact matches of _FillValue (else
// the default fill, while the variable is in fill mode) and missing_value,
// the valid_range (else valid_min, valid_max), all on the raw value, and
// the packing. The fill value does not imply a valid range.
Conventions read_conventions(int ncid, const NcShape& v) {
  Conventions c;
  if (!numeric_type(v.type)) return c;
  const bool single = v.type == NC_FLOAT;
  std::vector<double> numbers;
  auto raw = [&](double a) { return single ? as_float(a) : a; };
  auto add_missing = [&](double a) {
    if (std::isnan(a))
      c.nan_missing = true;
    else
      c.missing.push_back(raw(a));
  };
  if (att_numbers(ncid, v.varid, "_FillValue", numbers)) {
    add_missing(numbers[0]);
  } else if (double fill = 0; default_fill(v.type, fill)) {
    int no_fill = 0;
    if (nc_inq_var_fill(ncid, v.varid, &no_fill, nullptr) == NC_NOERR && !no_fill)
      c.missing.push_back(fill);
  }
  if (att_numbers(ncid, v.varid, "missing_value", numbers))
    for (double a : numbers) add_missing(a);
  if (att_numbers(ncid, v.varid, "valid_range", numbers) && numbers.size() >= 2) {
    c.bounded = true;
    c.low = raw(numbers[0]);
    c.high = raw(numbers[1]);
  } else {
    if (att_numbers(ncid, v.varid, "valid_min", numbers)) {
      c.bounded = true;
      c.low = raw(numbers[0]);
    }
    if (att_numbers(ncid, v.varid, "valid_max", numbers)) {
      c.bounded = true;
      c.high = raw(numbers[0]);
    }
  }
  if (att_numbers(ncid, v.varid, "scale_factor", numbers)) {
    c.packed = true;
    c.scale = numbers[0];
  }
  if (att_numbers(ncid, v.varid, "add_offset", numbers)) {
    c.packed = true;
    c.offset = numbers[0];
  }
  return c;
}

// A grid of nx by ny zeros.
NcGrid zeros(size_t nx, size_t ny) {
  NcGrid g;
  g.nx = nx;
  g.ny = ny;
  g.values.assign(nx * ny, 0.0);
  return g;
}

// Marks the missing values of a grid read raw (kMissingValue, flagged and
// counted) and unpacks the others.
void apply_conventions(const Conventions& c, NcGrid& g) {
  if (c.none()) return;
  for (size_t i = 0; i < g.values.size(); ++i) {
    double& value = g.values[i];
    if (!c.is_missing(value)) {
      value = c.unpack(value);
      continue;
    }
    if (g.missing_at.empty()) g.missing_at.assign(g.values.size(), false);
    g.missing_at[i] = true;
    value = kMissingValue;
    ++g.missing;
  }
}

// The product of the lengths, SIZE_MAX when it does not fit.
size_t product(const std::vector<size_t>& lengths) {
  size_t n = 1;
  for (size_t len : lengths) {
    if (len != 0 && n > SIZE_MAX / len) return SIZE_MAX;
    n *= len;
  }
  return n;
}

// Reads the box start .. start + count (x first) of a variable, x fastest,
// into `out`: the whole variable with nc_get_var_double, a part with one
// nc_get_vara_double. Elements that are not numbers (char, string) read as 0.
int read_box(int ncid, const NcShape& v, const std::vector<size_t>& start,
             const std::vector<size_t>& count, double* out) {
  const size_t total = product(count);
  if (total == 0) return NC_NOERR;
  if (!numeric_type(v.type)) {
    std::fill_n(out, total, 0.0);
    return NC_NOERR;
  }
  if (count == v.lengths && std::all_of(start.begin(), start.end(), [](size_t s) { return !s; }))
    return nc_get_var_double(ncid, v.varid, out);
  // The C interface takes the dimensions last-fastest.
  const std::vector<size_t> cstart(start.rbegin(), start.rend());
  const std::vector<size_t> ccount(count.rbegin(), count.rend());
  return nc_get_vara_double(ncid, v.varid, cstart.data(), ccount.data(), out);
}

std::string nc_name(int ncid, int varid) {
  char name[NC_MAX_NAME + 1] = "";
  nc_inq_varname(ncid, varid, name);
  return name;
}

// The text of a char variable: the whole variable when it is not large,
// else the start of its first row.
int read_text(int ncid, const NcShape& v, std::string& out) {
  const size_t total = product(v.lengths);
  std::vector<size_t> start(v.lengths.size(), 0), count(v.lengths.size(), 1);
  if (!count.empty()) count[0] = std::min(v.lengths[0], kMaxTextRead);
  const size_t n = total <= kMaxTextRead ? total : product(count);
  std::string text(n, '\0');
  int status = NC_NOERR;
  if (n > 0 && total <= kMaxTextRead) {
    status = nc_get_var_text(ncid, v.varid, text.data());
  } else if (n > 0) {
    const std::vector<size_t> cstart(start.rbegin(), start.rend());
    const std::vector<size_t> ccount(count.rbegin(), count.rend());
    status = nc_get_vara_text(ncid, v.varid, cstart.data(), ccount.data(), text.data());
  }
  if (status != NC_NOERR) return status;
  out = text.substr(0, text.find('\0'));
  return NC_NOERR;
}

// The first of a string variable's or attribute's strings.
std::string first_string(char** strings, size_t n) {
  std::string text = n > 0 && strings[0] ? strings[0] : "";
  nc_free_string(n, strings);
  return text;
}

// Lines "   NAME might work as the x-vector." for each one-dimensional
// variable along dimension `dim`.
void candidates(const std::vector<std::pair<std::string, NcShape>>& vars, int dim, const char* axis,
                std::vector<std::string>& lines) {
  for (const auto& [name, v] : vars)
    if (v.dims.size() == 1 && v.dims[0] == dim)
      lines.push_back("   " + name + " might work as the " + axis + "-vector.");
}

}  // namespace

bool NetcdfFile::open(const std::string& path, std::string& why) {
  if (!file_exists(path)) {
    why = "there is no regular file of that name";
    return false;
  }
  int id = -1;
  const int status = nc_open(path.c_str(), NC_NOWRITE, &id);
  if (status != NC_NOERR) {
    why = nc_strerror(status);
    return false;
  }
  close();
  id_ = id;
  return true;
}

void NetcdfFile::close() {
  if (id_ >= 0) nc_close(id_);
  id_ = -1;
}

NcRead find_variable(int ncid, const std::string& name, NcShape& out) {
  int varid = -1, ndims = 0;
  nc_type type = NC_NAT;
  if (nc_inq_varid(ncid, name.c_str(), &varid) != NC_NOERR ||
      nc_inq_var(ncid, varid, nullptr, &type, &ndims, nullptr, nullptr) != NC_NOERR)
    return NcRead::kMissing;
  std::vector<int> cdims(static_cast<size_t>(ndims));
  if (ndims > 0 && nc_inq_vardimid(ncid, varid, cdims.data()) != NC_NOERR) return NcRead::kMissing;
  out.varid = varid;
  out.type = type;
  out.dims.assign(cdims.rbegin(), cdims.rend());
  out.lengths.assign(out.dims.size(), 0);
  for (size_t k = 0; k < out.dims.size(); ++k)
    if (nc_inq_dimlen(ncid, out.dims[k], &out.lengths[k]) != NC_NOERR) return NcRead::kMissing;
  return NcRead::kOk;
}

std::vector<std::string> query_nc_file(int ncid) {
  std::vector<std::string> lines;
  int ndims = 0, nvars = 0;
  if (nc_inq_dimids(ncid, &ndims, nullptr, 0) != NC_NOERR ||
      nc_inq_varids(ncid, &nvars, nullptr) != NC_NOERR)
    return lines;
  std::vector<int> dimids(static_cast<size_t>(ndims)), varids(static_cast<size_t>(nvars));
  nc_inq_dimids(ncid, &ndims, dimids.data(), 0);
  nc_inq_varids(ncid, &nvars, varids.data());
  char name[NC_MAX_NAME + 1];
  for (int d : dimids) {
    size_t len = 0;
    if (nc_inq_dim(ncid, d, name, &len) == NC_NOERR)
      lines.push_back(std::string(name) + " is a dimension." +
                      free_int(static_cast<long long>(len)));
  }
  std::vector<std::pair<std::string, NcShape>> vars;
  for (int id : varids) {
    std::string var = nc_name(ncid, id);
    NcShape v;
    if (find_variable(ncid, var, v) == NcRead::kOk) vars.emplace_back(std::move(var), std::move(v));
  }
  auto len = [](const NcShape& v, size_t k) {
    return free_int(static_cast<long long>(v.lengths[k]));
  };
  for (const auto& [var, v] : vars) {
    const bool text = v.type == NC_CHAR || v.type == NC_STRING;
    switch (v.dims.size()) {
      case 0:
        lines.push_back(var + (text ? " is a character variable." + free_int(1)
                                    : std::string(" is a numeric variable.")));
        break;
      case 1:
        if (text)
          lines.push_back(var + " is a character variable." + len(v, 0));
        else if (v.lengths[0] == 1)
          lines.push_back(var + " is a numeric variable.");
        else
          lines.push_back(var + " is a vector." + len(v, 0));
        break;
      case 2:
        lines.push_back(var + " is an array." + len(v, 0) + len(v, 1));
        candidates(vars, v.dims[0], "x", lines);
        candidates(vars, v.dims[1], "y", lines);
        break;
      case 3:
        lines.push_back(var + " is a volume." + len(v, 0) + len(v, 1) + len(v, 2));
        candidates(vars, v.dims[0], "x", lines);
        candidates(vars, v.dims[1], "y", lines);
        candidates(vars, v.dims[2], "z", lines);
        break;
      default:
        break;
    }
  }
  return lines;
}

NcRead netcdf_variable(int ncid, const std::string& name, NcValue& out, std::string& why) {
  NcShape v;
  if (find_variable(ncid, name, v) != NcRead::kOk) return NcRead::kMissing;
  NcValue value;
  int status = NC_NOERR;
  const std::vector<size_t> first(v.lengths.size(), 0);
  if (v.type == NC_CHAR) {
    value.is_text = true;
    status = read_text(ncid, v, value.text);
  } else if (v.type == NC_STRING) {
    value.is_text = true;
    char* s = nullptr;
    if (product(v.lengths) > 0) status = nc_get_var1_string(ncid, v.varid, first.data(), &s);
    if (status == NC_NOERR && s) value.text = first_string(&s, 1);
  } else if (numeric_type(v.type) && product(v.lengths) > 0) {
    status = nc_get_var1_double(ncid, v.varid, first.data(), &value.number);
    if (status == NC_NOERR) {
      const Conventions c = read_conventions(ncid, v);
      value.number = c.is_missing(value.number) ? kMissingValue : c.unpack(value.number);
    }
  }
  if (status != NC_NOERR) {
    why = nc_strerror(status);
    return NcRead::kFailed;
  }
  out = std::move(value);
  return NcRead::kOk;
}

NcRead netcdf_attribute(int ncid, const std::string& name, NcValue& out, std::string& why) {
  nc_type type = NC_NAT;
  size_t len = 0;
  if (nc_inq_att(ncid, NC_GLOBAL, name.c_str(), &type, &len) != NC_NOERR) return NcRead::kMissing;
  NcValue value;
  int status = NC_NOERR;
  if (type == NC_CHAR) {
    value.is_text = true;
    std::string text(len, '\0');
    status = nc_get_att_text(ncid, NC_GLOBAL, name.c_str(), text.data());
    value.text = text.substr(0, text.find('\0'));
  } else if (type == NC_STRING) {
    value.is_text = true;
    std::vector<char*> strings(len, nullptr);
    status = nc_get_att_string(ncid, NC_GLOBAL, name.c_str(), strings.data());
    if (status == NC_NOERR) value.text = first_string(strings.data(), len);
  } else if (numeric_type(type) && len > 0) {
    std::vector<double> numbers(len);
    status = nc_get_att_double(ncid, NC_GLOBAL, name.c_str(), numbers.data());
    value.number = numbers[0];
  }
  if (status != NC_NOERR) {
    why = nc_strerror(status);
    return NcRead::kFailed;
  }
  out = std::move(value);
  return NcRead::kOk;
}

NcRead netcdf_dimension(int ncid, const std::string& name, size_t& length) {
  int dimid = -1;
  if (nc_inq_dimid(ncid, name.c_str(), &dimid) != NC_NOERR ||
      nc_inq_dimlen(ncid, dimid, &length) != NC_NOERR)
    return NcRead::kMissing;
  return NcRead::kOk;
}

NcRead netcdf_vector(int ncid, const std::string& name, size_t limit, NcGrid& out,
                     std::string& why) {
  NcShape v;
  if (find_variable(ncid, name, v) != NcRead::kOk) return NcRead::kMissing;
  if (v.lengths.size() != 1) return NcRead::kWrongShape;
  if (v.lengths[0] > limit) return NcRead::kTooLarge;
  NcGrid line = zeros(v.lengths[0], 1);
  if (const int status = read_box(ncid, v, {0}, v.lengths, line.values.data());
      status != NC_NOERR) {
    why = nc_strerror(status);
    return NcRead::kFailed;
  }
  apply_conventions(read_conventions(ncid, v), line);
  out = std::move(line);
  return NcRead::kOk;
}

NcRead netcdf_array(int ncid, const std::string& name, size_t limit, size_t axis_limit, NcGrid& out,
                    std::string& why) {
  NcShape v;
  if (find_variable(ncid, name, v) != NcRead::kOk) return NcRead::kMissing;
  if (v.lengths.size() != 2) return NcRead::kWrongShape;
  const size_t nx = v.lengths[0], ny = v.lengths[1];
  if (nx > axis_limit || ny > axis_limit || product(v.lengths) > limit) return NcRead::kTooLarge;
  NcGrid grid = zeros(nx, ny);
  if (const int status = read_box(ncid, v, {0, 0}, v.lengths, grid.values.data());
      status != NC_NOERR) {
    why = nc_strerror(status);
    return NcRead::kFailed;
  }
  apply_conventions(read_conventions(ncid, v), grid);
  out = std::move(grid);
  return NcRead::kOk;
}

namespace {

// The axes of a volume read: those fixed at the given indices and the
// output's two (the second -1 for a line); `summed` is the axis a sum or
// maximum runs over (-1 for none).
struct VolumeAxes {
  int fixed[2];
  int out[2];
  int summed;
};

VolumeAxes volume_axes(VolumeRead what) {
  switch (what) {
    case VolumeRead::kXLine:
      return {{1, 2}, {0, -1}, -1};
    case VolumeRead::kYLine:
      return {{0, 2}, {1, -1}, -1};
    case VolumeRead::kZLine:
      return {{0, 1}, {2, -1}, -1};
    case VolumeRead::kXYSlice:
      return {{2, -1}, {0, 1}, -1};
    case VolumeRead::kXZSlice:
      return {{1, -1}, {0, 2}, -1};
    case VolumeRead::kYZSlice:
      return {{0, -1}, {1, 2}, -1};
    case VolumeRead::kXYSum:
      return {{-1, -1}, {0, 1}, 2};
    case VolumeRead::kYZSum:
    case VolumeRead::kYZMax:
      return {{-1, -1}, {1, 2}, 0};
  }
  return {{-1, -1}, {-1, -1}, -1};
}

// Sums over z (x by y out) or sums or maxima over x (y by z out) from reads
// of whole z-levels, or of rows of one level when a level is large. Missing
// elements are left out and counted; a cell that had elements but none that
// is not missing is missing.
int reduce_volume(int ncid, const NcShape& v, const Conventions& c, VolumeRead what, NcGrid& out) {
  const size_t nx = v.lengths[0], ny = v.lengths[1], nz = v.lengths[2];
  const size_t level = nx * ny;
  const size_t rows = level > kSlabValues
                          ? std::max<size_t>(1, kSlabValues / std::max<size_t>(nx, 1))
                          : ny;  // y-rows per read
  const size_t levels =
      level > kSlabValues ? 1 : std::max<size_t>(1, kSlabValues / std::max<size_t>(level, 1));
  std::vector<double> block(std::min(nz, levels) * std::min(ny, rows) * nx);
  // The sums over z that took an element; only kept when elements may be missing.
  std::vector<bool> summed(what == VolumeRead::kXYSum && !c.none() ? level : 0);
  for (size_t k0 = 0; k0 < nz; k0 += levels) {
    const size_t nk = std::min(levels, nz - k0);
    for (size_t j0 = 0; j0 < ny; j0 += rows) {
      const size_t nj = std::min(rows, ny - j0);
      if (const int status = read_box(ncid, v, {0, j0, k0}, {nx, nj, nk}, block.data());
          status != NC_NOERR)
        return status;
      for (size_t kk = 0; kk < nk; ++kk) {
        for (size_t jj = 0; jj < nj; ++jj) {
          const double* row = block.data() + (kk * nj + jj) * nx;
          const size_t j = j0 + jj, k = k0 + kk;
          if (what == VolumeRead::kXYSum) {
            double* to = out.values.data() + j * nx;
            if (c.none()) {
              for (size_t i = 0; i < nx; ++i) to[i] += row[i];
              continue;
            }
            for (size_t i = 0; i < nx; ++i) {
              if (c.is_missing(row[i])) {
                ++out.missing;
              } else {
                to[i] += c.unpack(row[i]);
                summed[j * nx + i] = true;
              }
            }
            continue;
          }
          // Along x: the sum or the largest value of the elements not missing.
          double result = 0;
          bool any = false;
          for (size_t i = 0; i < nx; ++i) {
            if (c.is_missing(row[i])) {
              ++out.missing;
              continue;
            }
            const double value = c.unpack(row[i]);
            if (what == VolumeRead::kYZSum)
              result += value;
            else if (!any || result < value)
              result = value;
            any = true;
          }
          if (nx > 0 && !any) result = kMissingValue;
          out.values[k * ny + j] = result;
        }
      }
    }
  }
  for (size_t cell = 0; cell < summed.size(); ++cell)
    if (!summed[cell] && nz > 0) out.values[cell] = kMissingValue;
  return NC_NOERR;
}

}  // namespace

NcRead netcdf_vol(int ncid, const std::string& name, const VolumePart& part, size_t limit,
                  size_t axis_limit, NcGrid& out, std::string& why) {
  NcShape v;
  if (find_variable(ncid, name, v) != NcRead::kOk) return NcRead::kMissing;
  if (v.lengths.size() != 3) return NcRead::kWrongShape;
  const VolumeAxes axes = volume_axes(part.what);
  std::vector<size_t> start(3, 0), count = v.lengths;
  const long index[2] = {part.index1, part.index2};
  for (int f = 0; f < 2; ++f) {
    const int axis = axes.fixed[f];
    if (axis < 0) continue;
    const size_t n = v.lengths[static_cast<size_t>(axis)];
    if (index[f] < 1 || static_cast<size_t>(index[f]) > n) {
      why = std::string(1, "xyz"[axis]) + " = " + std::to_string(index[f]) + " is outside 1 .. " +
            std::to_string(n);
      return NcRead::kOutOfRange;
    }
    start[static_cast<size_t>(axis)] = static_cast<size_t>(index[f] - 1);
    count[static_cast<size_t>(axis)] = 1;
  }
  const size_t nx = v.lengths[static_cast<size_t>(axes.out[0])];
  const size_t ny = axes.out[1] < 0 ? 1 : v.lengths[static_cast<size_t>(axes.out[1])];
  if (nx > axis_limit || ny > axis_limit || nx * ny > limit) return NcRead::kTooLarge;
  NcGrid grid = zeros(nx, ny);
  const Conventions c = read_conventions(ncid, v);
  const int status = axes.summed < 0 ? read_box(ncid, v, start, count, grid.values.data())
                                     : reduce_volume(ncid, v, c, part.what, grid);
  if (status != NC_NOERR) {
    why = nc_strerror(status);
    return NcRead::kFailed;
  }
  if (axes.summed < 0) apply_conventions(c, grid);
  out = std::move(grid);
  return NcRead::kOk;
}

}  // namespace vexal
