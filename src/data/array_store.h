// The array store's routines: coordinate lists and their spacings, values
// read from text lines, the binary array file, the 8-bit image and its
// plain PGM form, and the listings that reload the array.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "expr/math_state.h"
#include "util/array_grid.h"
#include "util/out_buffer.h"

namespace vexal {

inline constexpr size_t kMaxImageBytes = 640'000'000;  // width x height of the image
inline constexpr int kImageRowPitch = 1440;            // widest image of the IMAGE form

// The 8-bit image: pixel (i, j), 1 <= i <= width, 1 <= j <= height, at byte
// (j - 1) x width + i - 1; row 1 is the bottom row.
struct Image {
  int width = 0, height = 0;  // mix, miy (IMAGEX, IMAGEY)
  std::vector<uint8_t> pixels;
  uint8_t at(size_t i, size_t j) const {
    return pixels[(j - 1) * static_cast<size_t>(width) + i - 1];
  }
};

// ---- coordinate lists -------------------------------------------------------------

// x(i) := a + (i - 1) x d for i = 1 .. n, every spacing d.
void scale_list(std::vector<double>& list, std::vector<double>* spacing, int n, double a, double d);
// Walking from the second entry, an entry below its predecessor is raised by
// `mod` until it is not (mod > 0; a list of n entries).
void wrap_list(std::vector<double>& list, int n, double mod);
// The spacing rule over the first n entries (or every spacing `fixed` when
// that is above 0). Fewer than two entries give spacing 0.
void set_spacing(const std::vector<double>& list, int n, double fixed, std::vector<double>& d);

// ---- values from text lines -------------------------------------------------------

// Gives the next input line (false at the end of input).
using LineSource = std::function<bool(std::string&)>;

// Why a value load ended early.
enum class LoadEnd { kComplete, kUnreadable, kEndOfInput };

// Appends `count` values to `out` (emptied first; it grows with the values
// read, not with the count asked for) from the lines `next` gives, any number
// of values per line, each read as the parameter reader reads it and rounded
// to single precision. A value that cannot be read ends the load with
// kUnreadable and `bad_line` holding its line; the values read so far are kept.
LoadEnd load_values(const LineSource& next, size_t count, std::vector<double>& out, MathEnv& env,
                    std::string& bad_line);
// Free-format input into `out` as above: `count` plain numbers from as many
// lines as needed; the
// rest of the last line is dropped. With `row` > 0, each run of `row` values
// starts on a new line (a row of the array per read). A field that is not a
// number ends the load with kUnreadable and `bad_line` holding its line.
LoadEnd load_free_format(const LineSource& next, size_t count, size_t row, std::vector<double>& out,
                         std::string& bad_line);

// ---- the binary array file --------------------------------------------------------

// The array file: records framed by their 4-byte length before and after:
// nx, the nx X coordinates, ny, the ny Y coordinates, then the values, row 1
// first: in one record, or (`scans`) one record per row.
struct RawArray {
  int nx = 0, ny = 0;
  std::vector<double> x, y, values;
};
// Reads the whole file; false with `why` set on a short or mis-framed record
// or sizes beyond the store. Nothing is allocated beyond what the file holds.
bool read_raw_array(std::FILE* fp, bool scans, RawArray& out, std::string& why);
// Writes the file in the one-record form; false when a write fails.
bool write_raw_array(std::FILE* fp, const RawArray& a);

// ---- the image --------------------------------------------------------------------

// Reads a plain PGM ("P2") image, its lines of any length; comment lines of
// the header go to `comments`. False with `why` set on any format failure
// (including sizes of 0 or beyond the image store, a maximum above 255 and
// pixels above the maximum).
bool read_pgm(std::FILE* fp, Image& out, std::vector<std::string>& comments, std::string& why);
// Reads `width` x `height` pixels written as two hexadecimal digits each
// from the lines `next` gives, row 1 first; false at the end of input or on
// a character that is not a hexadecimal digit.
bool load_hex_image(const LineSource& next, int width, int height, Image& out, std::string& why);
// The colour index of a value between zmin and zmax, of `ncolors` colours:
// round((v - zmin) / (zmax - zmin) x (ncolors - 1)), held within 0 .. ncolors - 1
// (and 0 .. 255); NaN and an empty range give 0.
int color_of(double v, double zmin, double zmax, int ncolors);

// ---- listings ---------------------------------------------------------------------

// DUMPARRAY: the commands that reload the array.
void write_array_commands(const ArrayGrid& a, OutBuffer& out);
// DUMPPGM: the array as a plain PGM image, row ny first.
void write_array_pgm(const ArrayGrid& a, double zmin, double zmax, int ncolors, OutBuffer& out);

}  // namespace vexal
