// The data-file reader `append`: reads a text column file, a "$P"/"$R"
// binary column file or TMDATA frames into the point store, applying column
// selection, the math commands, range, step and logarithm checks, and the
// per-point marker, pen and colour codes.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "data/minmax.h"
#include "data/point_store.h"
#include "data/record.h"
#include "expr/math_list.h"
#include "expr/math_state.h"
#include "util/files.h"
#include "util/numbers.h"
#include "util/out_buffer.h"
#include "util/version.h"

namespace vexal {

inline constexpr int kProgressEvery = 250;    // points between progress lines
inline constexpr size_t kCommentText = 8192;  // characters of comment-record text kept

// What the reader reads besides its settings and the math commands: the
// file, the axis and pen state it consults, and the run's switches.
struct AppendInput {
  std::string file;                               // the data file (DATA, TMDATA)
  std::string run_id = "00000000";                // process id, 8 digits, for "error" + id + ".tmp"
  bool xlog = false, ylog = false, zlog = false;  // logarithmic axes: values <= 0 are rejected
  Negation negate;                                // XNEG, YNEG
  double zmin = -9.999999933815813e36, zmax = -9.999999933815813e36;  // Z limits (SCALECOL)
  int ncolors = 11;                         // NCOLORS: colour indices run 0 .. ncolors - 1
  bool symbols_on = false;                  // markers on: points without a marker column get `sn`
  int sn = 0;                               // current marker code
  int lt = 2;                               // data-line thickness, device units (the default pen)
  double precision = kDefaultUnitsPerInch;  // device units per inch (pen width column)
  bool verbose = true;                      // progress lines and DISPLAY output
  bool allow_commands_in_data = true;       // ALLOWCOM: "$R" comment records are read
  int compat_level = kOwnVersionCode;       // comment-record commands are queued below 740576
  // The run's record of the scratch files it created, for the error-bar
  // file; null: the reader keeps its own for the one read.
  CreatedFiles* created = nullptr;
};

// What the caller does after a read.
struct AppendResult {
  bool opened = false;  // false: data_file_error's message was written
  // Command lines found in binary comment records, to be appended to the end
  // of the command stack in this order.
  std::vector<std::string> commands;
  // When not empty: the error-bar command file written, to be run next
  // ("COMMANDFILE " + name queued on top of the stack).
  std::string errorbar_file;
  int fields_read = 0;         // fields of the current record (C1 onward) from the last record read
  int first_point = 0;         // points held before the read
  bool column_beyond = false;  // a column the settings use lies beyond the file's (warned)
  ColumnSummary x_summary, y_summary;  // of the points the read stored
};

// Reads `in.file` into `store` after the points it holds. `env.point` is the
// current point the math commands see, `frame` receives TMDATA frames (and
// should be what `env.frame` points to), and `env.vars` receives
// BINARYCOLUMNS and BINARYHEADERnn. Messages go to `env.err`, progress and
// DISPLAY lines to `env.out`. Never reads or writes outside the store.
// When memory runs out the read stops with "Error--not enough memory: the
// points read so far are kept." and keeps them.
AppendResult append(const AppendInput& in, const ReaderSettings& rs, const MathList& math,
                    MathEnv& env, TmFrame& frame, PointStore& store);

// One line of a data file, cut at 512 characters; false at its end.
inline bool read_data_line(std::FILE* fp, std::string& line) {
  return read_line(fp, line, kDataLineWidth);
}

// True when `name` can be read as a data file: an existing, readable
// regular file (directories, devices and FIFOs are refused unread).
// Otherwise, when `err` is given, data_file_error's message goes there.
bool data_file_readable(const std::string& name, OutBuffer* err = nullptr);
// The message for a data file that cannot be read: "Error--not a regular
// file: " or "Error--cannot open data file ", then the name.
void data_file_error(OutBuffer& err, std::string_view name, bool not_regular);

// Creates the scratch file `name` ("data" or "error" + id + ".tmp") afresh
// through `created`. Null after a one-line message naming the file on
// `err`: "Error--will not overwrite NAME: it exists and was not made by
// this run" when something else has the name (it is left as it is), else
// "Error--cannot open " + `what` + " NAME".
std::FILE* create_scratch_file(CreatedFiles& created, const std::string& name,
                               std::string_view what, OutBuffer& err);
// The message for a scratch file name something else has (see above).
void scratch_in_the_way(OutBuffer& err, std::string_view name);

}  // namespace vexal
