// The session: every record of one plotting run, owned in one place and
// handed to the command handlers. Two sessions can live side by side.
#pragma once

#include <array>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "axes/axis_state.h"
#include "axes/numb.h"
#include "data/array_store.h"
#include "data/netcdf.h"
#include "data/point_store.h"
#include "data/transform.h"
#include "expr/math_list.h"
#include "expr/math_state.h"
#include "interp/command_stream.h"
#include "interp/line_editor.h"
#include "interp/stop_signals.h"
#include "postscript/chars.h"
#include "postscript/curves.h"
#include "postscript/pen_state.h"
#include "postscript/ps_writer.h"
#include "postscript/shapes.h"
#include "threed/contour.h"
#include "threed/horizon.h"
#include "threed/surface.h"
#include "threed/view.h"
#include "util/axis_limits.h"
#include "util/files.h"
#include "util/numbers.h"
#include "util/out_buffer.h"
#include "util/text.h"
#include "util/variables.h"
#include "util/version.h"

namespace vexal {

inline constexpr int kMaxSynonyms = 100;

// The compatibility record: the level in use and the program's own code.
struct Compat {
  int level = kOwnVersionCode;
  int own = kOwnVersionCode;
};

// Run-wide values kept by the main program.
struct RunState {
  std::string version_text = kVersionText;
  std::string notice = "Vexal: command-driven scientific plotting";
  std::string credits = "Vexal plotting";
  std::string pwd;  // user@host:cwd
  std::string ps_output_file = "vexal.ps";
  std::string orientation = "Portrait";     // or "Landscape"
  double precision = kDefaultUnitsPerInch;  // document units per inch
  bool ps_to_stdout = false;
  int echo_level = 1;  // 0, 1 or 2
  int pages_done = 0;
  bool save_temps = false;       // SAVET: keep temporary files at the end
  bool stamp = true;             // margin stamps at page ends
  std::string pid = "00000000";  // process id, 8 digits, for temporary file names
  bool quit = false;             // QUIT has run: the loop ends
  // The process's exit status: 0, or 1 once a failure was reported that the
  // caller must see (a document or listing that could not be written, a
  // refused output file).
  int exit_status = 0;
  // Temporary files this run created (the loop files), removed at the end
  // unless SAVET was given, wherever the run left their loops.
  std::vector<std::string> temp_files;
  // The stop signal (SIGINT, SIGTERM, SIGHUP) that ended the run: the exit
  // status is 128 + it. 0 when none did.
  int stopped_by = 0;
  int jumps = 0;  // GOTOs run (counted only for bounded input)
  // -S: no command may start a child process (SYSTEM, LIBEXEC, NETLIB), set
  // before the start-up files run and never cleared.
  bool no_shell = false;
  // --sandbox, for command files from elsewhere: -S and no start-up files;
  // no file is written, replaced or deleted but the document and the run's
  // scratch files, and none is read outside `readable`.
  bool sandbox = false;
  ReadScope readable;  // the folders files may be read from (any, unless --sandbox)
  // The fuzzers' input, kept quick as well as sandboxed: INVENT, loop
  // passes, GOTOs and command-file nesting are held small.
  bool bounded = false;
  // --pdf, --png[=dpi], --crop: Ghostscript converts the finished document.
  bool convert_pdf = false;
  int convert_png_dpi = 0;    // dots per inch of the PNG pages, 1..2400; 0 = no PNG
  bool convert_crop = false;  // the converted page is the document's bounding box
  // With -s and a conversion: the document, kept here and written to standard
  // output once it is complete.
  std::string kept_document;
};

// The current command line and the texts kept beside it.
struct CommandStrings {
  std::string line;  // after substitution, command word upper-cased
  std::string raw;   // as read, before substitution
  // Where the text that substitution leaves alone begins, in `raw` (npos:
  // the whole line is substituted); see Queued.
  size_t substitute_end = std::string::npos;
  int synonym_chain = 0;  // synonym expansions that made the line (0 for a line read)
  std::string datafile = "data";
  std::string comfile;  // the command-file (or GOTO label) field
  size_t sep = 0;       // separator position: first blank or "=", whichever is first
};

// One open IF block.
struct Block {
  bool skip_else = false;   // skipping to its ELSE (the condition was false)
  bool skip_endif = false;  // skipping to its ENDIF (its true branch ended)
};

// IF/ELSE/ENDIF block state. Blocks nest as deep as the command files go:
// a block beyond any fixed depth still skips its false branch.
struct BlockState {
  std::vector<Block> open;  // the innermost last
  size_t depth() const { return open.size(); }
  // Ends the blocks beyond `depth` (none when fewer are open).
  void close_to(size_t depth) {
    if (open.size() > depth) open.resize(depth);
  }
};

struct Synonym {
  std::string name;         // upper case, at most 32 characters
  std::string replacement;  // at most 256 characters, case kept
};

// Where a session reads and writes, and the signals it is sent; the defaults
// are the process's own streams, and no signal.
struct SessionIo {
  std::FILE* in = stdin;
  std::FILE* out = stdout;
  std::FILE* err = stderr;
  std::string* out_text = nullptr;  // when set, terminal output is captured here
  std::string* err_text = nullptr;  // when set, error output is captured here
  std::string* ps_text = nullptr;   // when set, the document is kept here, not in a file
  StopSignals stop;                 // the stop signals the process caught
};

struct Session {
  explicit Session(const SessionIo& io = SessionIo{});
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  Units units;
  Compat compat;
  RunState run;
  CommandStrings cs;
  CommandStream stream;
  Variables vars;
  NumberFormat numfmt;
  BlockState blocks;
  std::vector<Synonym> synonyms;
  PsWriter ps;
  PenSettings pen;
  TextState text;
  AxisState axes;  // the X, Y and Z axes: limits, lengths, numbers, ticks, labels
  PointStore store;
  ReaderSettings reader;
  MathList math_list;          // math commands applied to every point read
  CurveSettings curve;         // error-bar caps and the MULTIPLOT labels
  Horizon horizon;             // hidden-line horizon (CLEARW empties it)
  CurrentPoint point;          // the current point of the math commands
  MathStacks math;             // value and save stacks of the expression evaluator
  TmFrame frame;               // the TMDATA frame
  CompiledMath scratch_math;   // compiled form of the last expression evaluated once
  CreatedFiles scratch_files;  // scratch files this run created (it may replace only these)
  ArrowSettings arrows;        // AHS and ASW: arrow head and shaft sizes
  ArrayGrid array;             // the gridded array, its second array and coordinate lists
  Image image;                 // the 8-bit image (IMAGE, PGM, ARRAYTOPGM)
  RasterSettings raster;       // RASTERDX, RASTERDY: cell sizes of XRASTER and YRASTER
  View view;                   // the 3-D view the drawing commands set up
  ViewSettings view_settings;  // geometry, angles, hiding and mesh lines as given
  SolidLines solid_lines;      // XLINES a b, YLINES a b: the solid surface's line window
  ContourSettings contours;    // contour step, labels, colour-cell trimming, vector length
  NetcdfFile netcdf;           // the open netCDF file (NETCDFFILE), closed with the session
  NcColumnRows netcdf_rows;    // the vector elements the points hold after missing values

  TransformSettings transform;  // sorting, smoothing, FFT length, fits and box width

  std::unique_ptr<LineEditor> editor;  // terminal line editing, when the terminal is one
  bool editor_checked = false;         // the terminal was looked at for the editor

  OutBuffer term;    // the terminal-output unit
  OutBuffer errbuf;  // standard error
  SessionIo io;
  std::string unwritten_document;  // the document when its file could not be opened

  // The stream behind the error unit (standard error, or the terminal with -E).
  OutBuffer& err() { return units.err_unit == units.term_unit ? term : errbuf; }

  // Start-up: flags and arguments, start-up files, the document, the defaults.
  void start(const std::vector<std::string>& args);
  // Runs the command loop until QUIT. With `quit_at_end` false (tests), the
  // loop instead returns when the terminal input is used up.
  void loop(bool quit_at_end = true);
  // One turn of the loop; false when the terminal input ran out and
  // `quit_at_end` is false, or a stop signal ended the run.
  bool turn(bool quit_at_end);
  // The files no listing may write: the document (and the file it will
  // replace) and the command files being run (standard input among them).
  std::vector<FileId> files_in_use() const;
  // Queues `word` followed by the raw copy of the current line, to run next:
  // the line is substituted when it comes back, as the user wrote it, but
  // not split at ";" a second time (its escaped ";" stay text).
  void requeue_raw(std::string_view word);
  // The shutdown sequence (stamps, temporary files, end of document).
  void shutdown();
  // Ends the run when a stop signal came: the temporary files go (SAVET or
  // not), the unfinished document goes and the file it was to replace stays,
  // and run.stopped_by tells the signal. True when the run ended.
  bool end_on_signal();
  // True when the session is interactive: its terminal input is a terminal
  // (not a pipe or a file, and no command file given as an argument).
  bool at_terminal() const;
  // True when a Ctrl-C came while the run waited for a line typed at the
  // terminal: the interrupt is then forgotten, and the caller drops the line.
  // False when the session is not interactive, and for any other signal,
  // which ends the run.
  bool interrupted_at_terminal();
  // Removes the run's temporary files: the data and error scratch files and
  // the loop files it created.
  void remove_temp_files();
  // What an expression evaluation reads and writes.
  MathEnv math_env();
  // What the text routines need from the session (colours, substitution, ...).
  TextContext text_context();
  // Puts the run under --sandbox: -S, no file written or deleted but the
  // document and the scratch files, none read outside the current folder
  // (and the command library's).
  void enter_sandbox();
  // False, after the message saying so, when --sandbox keeps the run from
  // reading `name`; `quiet` leaves the message out.
  bool may_read(const std::string& name, bool quiet = false);
  // False, after the message saying so and with the exit status failed,
  // when --sandbox keeps the run from writing or deleting the file `name`.
  // A scratch file this run created may be written again, and deleted (as
  // may nothing at all).
  bool may_write(const std::string& name);
  bool may_delete(const std::string& name);
  // Creates `name` afresh as a temporary file of this run (removed at the
  // end unless SAVET) open for writing; null with `error` set (EEXIST when
  // something not made by this run has the name).
  std::FILE* create_temp_file(const std::string& name, int& error);
  // The point store's columns as the curve drawers read them, and the curve
  // settings (markers, their size, connection; the frame angle, not filled,
  // progress lines when verbose).
  CurvePoints curve_points() const;
  CurveStyle curve_style() const;
  // Reads the next line typed at the terminal, cut at `width` as read_line
  // cuts it. Every terminal read comes here, so that with the line editor
  // nothing else reads ahead of it and loses what was pasted: the editor shows
  // `prompt` and keeps a `command` line in its history. Without an editor,
  // `prompt` is written, the output flushed and the line read from the
  // terminal stream. False at the end of input.
  bool read_terminal_line(std::string& line, size_t width, std::string_view prompt = {},
                          bool command = false);
  // Reads the next line straight from the command-input unit (the terminal or
  // the command file being read; not the pending stack, no substitution),
  // cut at `width`; false at the end of input.
  bool read_input_line(std::string& line, size_t width = kLineWidth);
  // The warning that a line read from the command input was cut: once for
  // the command being run, naming the line's start and its `length` (with
  // --where, its file and line number).
  void report_cut_line(std::string_view kept, size_t length);
  bool cut_line_reported = false;  // for the command being run
  // Flushes the terminal and error streams (before reading the terminal or
  // running the shell).
  void flush_terminal();
};

}  // namespace vexal
