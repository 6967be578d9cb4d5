// Reading netCDF files: the one open file, the listing of its contents, and
// scalars, texts, dimensions, vectors, arrays and the lines, slices, sums and
// maxima of volumes, read through the netCDF C library.
//
// Dimensions are given in the command language's order: the first (x) varies
// fastest, then y, then z. The library's C interface has the last dimension
// fastest, so x is the C interface's last dimension, y the one before it and
// z the first of three. Indices here are 0-based; values come out x fastest,
// which is the array's layout: element (x, y) at y x nx + x.
//
// Numeric reads follow the netCDF attribute conventions of the variable read.
// A raw (packed) element equal to its _FillValue or to one of its
// missing_value values, or outside its valid_range (valid_min, valid_max),
// reads as kMissingValue (util/array_grid.h). Without a _FillValue attribute
// the library's default fill of the type counts, which unwritten elements
// read as (not for bytes: every byte value may be data). The other elements
// are unpacked: raw x scale_factor + add_offset.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vexal {

inline constexpr size_t kMaxNetcdfName = 512;  // characters of a file, variable or other name

// The open netCDF file (cdf001): at most one, read-only, closed when another
// opens or when its holder goes.
class NetcdfFile {
 public:
  NetcdfFile() = default;
  ~NetcdfFile() { close(); }
  NetcdfFile(const NetcdfFile&) = delete;
  NetcdfFile& operator=(const NetcdfFile&) = delete;

  // Opens `path` read-only. On success the previous file is closed and true
  // returned; otherwise the previous file stays open and `why` says what
  // failed (a name that is not a regular file is refused before the library
  // sees it).
  bool open(const std::string& path, std::string& why);
  void close();
  bool is_open() const { return id_ >= 0; }
  int id() const { return id_; }  // the library's file id; -1 when none is open

 private:
  int id_ = -1;
};

// How a read ended. Only kOk changes the output.
enum class NcRead {
  kOk,
  kMissing,     // no variable (attribute, dimension) of that name
  kWrongShape,  // not the number of dimensions the read needs
  kTooLarge,    // more values than the caller's limits allow
  kOutOfRange,  // a volume index outside its dimension (`why` names it)
  kFailed,      // the library refused the read (`why` holds its reason)
};

// A variable's shape in the command language's order.
struct NcShape {
  int varid = -1;
  int type = 0;                 // netCDF type code (NC_DOUBLE, NC_CHAR, ...)
  std::vector<size_t> lengths;  // x first; empty for a scalar
  std::vector<int> dims;        // dimension ids, x first
};

// The first value of a variable or attribute: a number, or the text of a
// char (or string) one.
struct NcValue {
  bool is_text = false;
  double number = 0;
  std::string text;  // up to the first NUL
};

// Values x fastest: element (i, j) at j x nx + i; a line has ny = 1.
struct NcGrid {
  size_t nx = 0, ny = 0;
  std::vector<double> values;
  size_t missing = 0;            // elements read as missing (for sums and maxima: left out)
  std::vector<bool> missing_at;  // per value read: missing; empty when none is, and for sums
};

// Which elements of the vectors read into the point store (NETCDFTOXCOL ...)
// its points hold, after a read left points out for missing values: while
// the store is as that read left it, a later vector of the same length gives
// its values to the same elements' points, so the columns stay aligned.
struct NcColumnRows {
  size_t length = 0;           // elements of the vectors read
  std::vector<uint32_t> kept;  // element of each point; empty: point k is element k
  uint64_t fingerprint = 0;    // of the store's X, Y, Z and V as the read left them
};

// The listing of NETCDFFILE: each dimension with its length, then each
// variable of one to three dimensions as a numeric or character variable,
// vector, array or volume, with the vectors that might serve as an array's
// or volume's coordinates. One text line per entry.
std::vector<std::string> query_nc_file(int ncid);

// Looks up a variable's id, type and dimensions (kMissing or kOk).
NcRead find_variable(int ncid, const std::string& name, NcShape& out);

// NETCDFVAR: the first element of a numeric variable (unpacked, or
// kMissingValue), or the text of a char (or string) variable. A variable
// without elements gives 0; an element of another type gives 0.
NcRead netcdf_variable(int ncid, const std::string& name, NcValue& out, std::string& why);
// NETCDFATT: the same for a global attribute.
NcRead netcdf_attribute(int ncid, const std::string& name, NcValue& out, std::string& why);
// NETCDFDIM: a dimension's length.
NcRead netcdf_dimension(int ncid, const std::string& name, size_t& length);

// A one-dimensional variable's values as a line (ny = 1), at most `limit`
// of them (kTooLarge reads nothing). Variables that are not numbers read as 0s.
NcRead netcdf_vector(int ncid, const std::string& name, size_t limit, NcGrid& out,
                     std::string& why);
// A two-dimensional variable: at most `limit` values and `axis_limit` along
// each dimension, in one read.
NcRead netcdf_array(int ncid, const std::string& name, size_t limit, size_t axis_limit, NcGrid& out,
                    std::string& why);

// What a volume read takes out of a three-dimensional variable.
enum class VolumeRead {
  kXLine,    // along x at y = index1, z = index2
  kYLine,    // along y at x = index1, z = index2
  kZLine,    // along z at x = index1, y = index2
  kXYSlice,  // x by y at z = index1
  kXZSlice,  // x by z at y = index1
  kYZSlice,  // y by z at x = index1
  kXYSum,    // x by y, each the sum over z
  kYZSum,    // y by z, each the sum over x
  kYZMax,    // y by z, each the largest value over x
};

// What a volume read takes and where: the indices of the dimensions it
// holds fixed.
struct VolumePart {
  VolumeRead what = VolumeRead::kXLine;
  long index1 = 0, index2 = 0;  // 1-based, as the commands take them; 0 where not used
};

// A line, slice, sum or maximum of a volume. The output is held to `limit`
// values and `axis_limit` along each of its dimensions. Lines and slices are
// one hyperslab read; sums and maxima read the whole volume once, in slabs of
// whole z-levels (or rows of one level) when it is large. Sums and maxima
// leave missing elements out; a cell with no other element is missing.
NcRead netcdf_vol(int ncid, const std::string& name, const VolumePart& part, size_t limit,
                  size_t axis_limit, NcGrid& out, std::string& why);

}  // namespace vexal
