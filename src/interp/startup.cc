// Start-up and shutdown: defaults, command-line flags and arguments, the
// start-up command files, the document, and the end of the run.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string_view>

#include "interp/convert.h"
#include "interp/params.h"
#include "interp/session.h"
#include "interp/shared_commands.h"
#include "util/calendar.h"
#include "util/files.h"
#include "util/text.h"

namespace vexal {

namespace {

constexpr const char* kLibDirectory = "/usr/local/lib/vexal";
constexpr const char* kNetLibAddress = "https://vexal.example.org/lib";
constexpr const char* kFill3dFunction = "{1 x x mul y y mul add sqrt 1.e-10 max div}";

constexpr const char* kUsage =
    "Usage: vexal [flags] [command files or command lines]\n"
    "\n"
    "An argument naming an existing file runs as a command file; any other runs\n"
    "as a command line. The document goes to vexal.ps unless -o or -s says otherwise.\n"
    "\n"
    "  -q              quiet: no banner, prompt or echo of command-file lines\n"
    "  -s              the document goes to standard output\n"
    "  -o file         the document goes to file (\"-o -\" is -s)\n"
    "  -p precision    document units per inch (default 300)\n"
    "  -l              landscape page\n"
    "  -d              do not read the start-up files ./.vexal and ~/.vexal\n"
    "  -D              debug: show every command line before it runs\n"
    "  -t              no time stamp in the page margin\n"
    "  -S              no command starts a shell (SYSTEM, LIBEXEC, NETLIB)\n"
    "  -E              error messages go to standard output\n"
    "  -V yyyy.mm.dd   behave as the version of that date\n"
    "Letters combine: -qlt is -q -l -t.\n"
    "\n"
    "  --pdf           also convert the document to a PDF with Ghostscript (gs)\n"
    "  --png[=dpi]     also convert each page to a PNG image (default 150 dpi)\n"
    "  --crop          the PDF page or PNG image is the drawn area, not the whole page\n"
    "  --compact       the same picture in a smaller document, quicker to view\n"
    "  --where         error lines from a command file begin with \"file:line: \"\n"
    "  --strict        exit status 1 when any error message was written\n"
    "  --sandbox       for command files from elsewhere: -S and -d, no file written\n"
    "                  or deleted but the document, none read outside this folder\n"
    "  --help          show this summary and exit\n"
    "  --version       show the version and exit\n"
    "\n"
    "With SOURCE_DATE_EPOCH set to seconds since 1970 (UTC), the date and time\n"
    "shown (the page stamp, DATE, TIME) are that moment's, not the clock's.\n";

// Why the start-up ends before any command runs.
enum class EarlyExit { kNone, kHelp, kVersion, kBadArgument };

// What the command line asks for besides its flags.
struct CommandLine {
  std::vector<std::string> command_files;  // the arguments that run as command files
  EarlyExit early_exit = EarlyExit::kNone;
};

// Reads a long option when `arg` is exactly one (a "--png=" argument with
// any resolution counts); false for any other argument, which keeps the rule
// of one-letter flags.
bool read_long_option(Session& s, const std::string& arg, EarlyExit& early_exit) {
  if (arg == "--help") {
    early_exit = EarlyExit::kHelp;
  } else if (arg == "--version") {
    early_exit = EarlyExit::kVersion;
  } else if (arg == "--pdf") {
    s.run.convert_pdf = true;
  } else if (arg == "--compact") {
    s.ps.compact = true;
  } else if (arg == "--crop") {
    s.run.convert_crop = true;
  } else if (arg == "--where") {
    s.units.where = true;
  } else if (arg == "--sandbox") {
    if (!s.run.sandbox) s.enter_sandbox();
  } else if (arg == "--strict") {
    s.units.strict = true;
  } else if (arg == "--png") {
    s.run.convert_png_dpi = kDefaultPngDpi;
  } else if (arg.starts_with("--png=")) {
    const char* first = arg.data() + 6;
    const char* last = arg.data() + arg.size();
    int dpi = 0;
    auto [end, ec] = std::from_chars(first, last, dpi);
    if (ec != std::errc() || end != last || first == last || dpi < kMinPngDpi || dpi > kMaxPngDpi) {
      s.err().put("Bad PNG resolution in ");
      s.err().put(arg);
      s.err().line(": give 1 to 2400 dots per inch; nothing is run or written.");
      early_exit = EarlyExit::kBadArgument;
    } else {
      s.run.convert_png_dpi = dpi;
    }
  } else {
    return false;
  }
  return true;
}

std::string env(const char* name) {
  const char* v = std::getenv(name);
  return v ? v : "";
}

// Reads a start-up file, pushing each line in front of the stack as it is
// read, so that the file's lines run last line first. Only a regular file is
// read (a FIFO or a device would hold start-up up), and its blank and
// comment lines are dropped: taken from the stack, a comment would empty it
// of every line waiting there. A byte-order mark before the first line is
// skipped.
bool push_startup_file(Session& s, const std::string& path) {
  std::FILE* fp = fopen_regular(path);
  if (!fp) return false;
  std::string line;
  for (bool first = true; read_line(fp, line); first = false) {
    if (first) skip_byte_order_mark(line);
    const std::string_view text = nolead(line);
    if (trimmed(text).empty() || text[0] == '!' || text[0] == '#') continue;
    push_command(s.stream, line);
  }
  std::fclose(fp);
  return true;
}

void set_level(Session& s, int level) {
  s.compat.level = level;
  setvariable(s.vars, "VERSION", level);
}

// The value of -p: the document units per inch, or the default after a message.
void read_precision(Session& s, const std::string& value) {
  bool bad = false;
  const double res = read_number_text(s, value, &bad, true, value);
  if (bad || !(res >= kMinPrecision && res <= kMaxPrecision))
    s.err().line("Bad precision specified: using default.");
  else
    s.run.precision = res;
}

// The value of -V: the compatibility level of that date. A value that is no
// date keeps the program's own level: a level of 0 would run the comment
// records of binary data files.
void read_version(Session& s, const std::string& value) {
  s.err().put("Vexal compatibility set to ");
  s.err().line(trimmed(value));
  if (const std::optional<int> level = version_code(s, value, value))
    set_level(s, *level);
  else
    s.err().line(kBadVersion);
}

// Reads the flags and arguments, and queues the start-up files. Returns the
// arguments that run as command files, or that the run ends at once.
CommandLine localstart(Session& s, const std::vector<std::string>& args) {
  OutBuffer& err = s.err();
  set_level(s, s.compat.own);
  char pid[16];
  std::snprintf(pid, sizeof pid, "%08ld", static_cast<long>(::getpid()) % 100000000L);
  s.run.pid = pid;
  char cwd_buf[4096];
  std::string cwd = ::getcwd(cwd_buf, sizeof cwd_buf) ? cwd_buf : "";
  setcvariable(s.vars, "CWD", cwd, err);
  setcvariable(s.vars, "HOST", env("HOST"), err);
  std::string user = env("USER").substr(0, 32);
  setcvariable(s.vars, "USER", user, err);
  s.run.pwd = user + "@" + env("HOST") + ":" + cwd;
  cut(s.run.pwd);

  CommandLine line;
  std::vector<std::string>& command_files = line.command_files;
  bool copy_setup = true, from_file = false, quiet = false, stamp_info = true;
  s.run.orientation = "Portrait";
  setvariable(s.vars, "PORTRAIT", 1);
  setvariable(s.vars, "LANDSCAPE", 0);

  for (size_t a = 0; a < args.size(); ++a) {
    const std::string& arg = args[a];
    if (read_long_option(s, arg, line.early_exit)) {
      if (line.early_exit != EarlyExit::kNone) return line;
    } else if (!arg.empty() && arg[0] == '-') {
      auto has = [&](char c) { return arg.find(c, 1) != std::string::npos; };
      if (has('q')) quiet = true;
      if (has('l')) {
        s.run.orientation = "Landscape";
        setvariable(s.vars, "PORTRAIT", 0);
        setvariable(s.vars, "LANDSCAPE", 1);
      }
      if (has('d')) copy_setup = false;
      if (has('D')) push_command(s.stream, "debug ");
      if (has('t')) {
        stamp_info = false;
        push_command(s.stream, "notime ");
      }
      if (has('S')) {
        if (!s.run.no_shell) push_command(s.stream, "alias system null");
        s.run.no_shell = true;
      }
      if (has('E')) s.units.err_unit = s.units.term_unit;
      if (has('o')) {
        if (a + 1 >= args.size()) {
          s.err().line("Output flag on command line, but no output file specified, using default.");
        } else {
          s.run.ps_output_file = args[++a];
          cut(s.run.ps_output_file);
          if (s.run.ps_output_file == "-") {
            quiet = true;
            s.run.ps_to_stdout = true;
          }
        }
      }
      if (has('p')) {
        if (a + 1 >= args.size())
          s.err().line("Precision flag on command line, but no prcision specified, using default.");
        else
          read_precision(s, args[++a]);
      }
      if (has('V')) {
        if (a + 1 >= args.size())
          s.err().line("Version flag on command line, but no version specified, using default.");
        else
          read_version(s, args[++a]);
      }
      if (has('s')) {
        quiet = true;
        s.run.ps_to_stdout = true;
      }
    } else if (arg.empty()) {
      append_command(s.stream, "");
    } else if (file_exists(arg)) {
      append_command(s.stream, "com " + arg, kVerbatim);
      command_files.push_back(arg);
      from_file = true;
    } else {
      append_command(s.stream, arg);
    }
  }

  if (quiet) s.units.verbose = 0;
  if (from_file) {
    // Input ends when the command files of the command line are done.
    s.stream.terminal = nullptr;
    s.stream.terminal_is_null = true;
  }
  if (copy_setup && !s.run.sandbox) {
    std::string home = env("HOME");
    setcvariable(s.vars, "HOME", home, err);
    if (push_startup_file(s, home + "/.vexal") && stamp_info)
      push_command(s.stream, "stamp |H~/.vexal");
    // The home folder may be the current one however it is written (a
    // trailing "/", a link): the same folder is told by device and inode.
    struct stat home_st, cwd_st;
    const bool same_folder = ::stat(std::string(trimmed(home)).c_str(), &home_st) == 0 &&
                             ::stat(".", &cwd_st) == 0 && home_st.st_dev == cwd_st.st_dev &&
                             home_st.st_ino == cwd_st.st_ino;
    if (std::string(trimmed(home)) != std::string(trimmed(cwd)) && !same_folder &&
        push_startup_file(s, "./.vexal") && stamp_info)
      push_command(s.stream, "stamp |H./.vexal");
  }
  if (s.run.ps_to_stdout) quiet = true;
  if (quiet) s.units.verbose = 0;
  return line;
}

// True when `output` is the same file (device and inode) as one of `inputs`.
bool same_file_as_any(const std::string& output, const std::vector<std::string>& inputs) {
  struct stat out;
  if (::stat(output.c_str(), &out) != 0) return false;
  for (const std::string& in : inputs) {
    struct stat st;
    if (::stat(in.c_str(), &st) == 0 && st.st_dev == out.st_dev && st.st_ino == out.st_ino)
      return true;
  }
  return false;
}

bool converting(const RunState& run) { return run.convert_pdf || run.convert_png_dpi > 0; }

// With -s and a conversion, the complete document goes to standard output.
void write_kept_document(Session& s) {
  const std::string& doc = s.run.kept_document;
  if (!s.run.ps_to_stdout || s.io.ps_text) return;
  if (std::fwrite(doc.data(), 1, doc.size(), stdout) != doc.size() || std::fflush(stdout) != 0) {
    s.err().line("Cannot write the document to standard output.");
    s.run.exit_status = 1;
  }
}

// A private copy of a document held in memory, for Ghostscript to read:
// created exclusively, removed when the copy goes away.
class PrivateCopy {
 public:
  explicit PrivateCopy(const std::string& text) {
    const char* dir = std::getenv("TMPDIR");
    std::string name = std::string(dir && *dir ? dir : "/tmp") + "/vexal-XXXXXX.ps";
    const int fd = ::mkstemps(name.data(), 3);
    if (fd < 0) return;
    size_t done = 0;
    while (done < text.size()) {
      const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
      if (n <= 0) break;
      done += static_cast<size_t>(n);
    }
    const bool closed = ::close(fd) == 0;
    if (done == text.size() && closed)
      path_ = name;
    else
      std::remove(name.c_str());
  }
  ~PrivateCopy() {
    if (!path_.empty()) std::remove(path_.c_str());
  }
  PrivateCopy(const PrivateCopy&) = delete;
  PrivateCopy& operator=(const PrivateCopy&) = delete;
  const std::string& path() const { return path_; }  // "" when it could not be written

 private:
  std::string path_;
};

// The last bytes of the document file, where its trailer lies.
std::string file_tail(const std::string& path) {
  constexpr long kTailBytes = 512;
  std::string tail;
  std::FILE* fp = std::fopen(path.c_str(), "rb");
  if (!fp) return tail;
  if (std::fseek(fp, -kTailBytes, SEEK_END) != 0) std::fseek(fp, 0, SEEK_SET);
  char buf[kTailBytes];
  tail.assign(buf, std::fread(buf, 1, sizeof buf, fp));
  std::fclose(fp);
  return tail;
}

void report_conversion(Session& s, ConvertFormat format, const std::string& reason) {
  s.err().put("Cannot convert the document to ");
  s.err().put(format_name(format));
  s.err().put(": ");
  s.err().put(reason);
  s.err().line(".");
  s.run.exit_status = 1;
}

// --pdf and --png: Ghostscript converts the complete document. A document on
// standard output (or in memory) is converted from a private copy into
// vexal.pdf and vexal*.png in the current directory.
void convert_at_end(Session& s) {
  const std::string* text = s.io.ps_text         ? s.io.ps_text
                            : s.run.ps_to_stdout ? &s.run.kept_document
                                                 : nullptr;
  std::optional<PrivateCopy> copy;
  ConvertRequest r;
  r.stop = s.io.stop;
  r.pages = s.ps.pages;
  r.stem = s.run.ps_to_stdout ? "vexal" : output_stem(s.run.ps_output_file);
  if (text) {
    copy.emplace(*text);
    r.source = copy->path();
  } else {
    r.source = s.run.ps_output_file;
  }
  if (s.run.convert_crop) {
    const size_t tail = text ? std::min<size_t>(text->size(), 512) : 0;
    r.box = trailer_bounding_box(text ? std::string_view(*text).substr(text->size() - tail)
                                      : std::string_view(file_tail(r.source)));
  }
  std::vector<ConvertFormat> formats;
  if (s.run.convert_pdf) formats.push_back(ConvertFormat::kPdf);
  if (s.run.convert_png_dpi > 0) formats.push_back(ConvertFormat::kPng);
  for (ConvertFormat format : formats) {
    r.format = format;
    r.dpi = s.run.convert_png_dpi;
    if (r.source.empty()) {
      report_conversion(s, format, "no private copy of the document could be written");
    } else if (!text && output_name(r, 1) == s.run.ps_output_file) {
      report_conversion(s, format, "it would replace the PostScript file " + r.source);
    } else {
      s.flush_terminal();  // Ghostscript's messages come after ours
      if (std::string reason = convert_document(r); !reason.empty())
        report_conversion(s, format, reason);
    }
  }
}

}  // namespace

// Unlike -S, no synonym turns SYSTEM into NULL: the document stays what it
// would be without --sandbox, and each shell command refused is reported.
void Session::enter_sandbox() {
  run.no_shell = true;
  run.sandbox = true;
  run.readable = ReadScope({".", kLibDirectory});
}

void Session::start(const std::vector<std::string>& args) {
  setcvariable(vars, "VERSION", run.version_text, err());
  setcvariable(vars, "COPYRIGHT", run.notice, err());
  setcvariable(vars, "CREDITS", run.credits, err());
  run.pwd.clear();
  run.ps_output_file = "vexal.ps";
  setcvariable(vars, "LIB", kLibDirectory, err());
  setcvariable(vars, "NETLIB", kNetLibAddress, err());
  const CommandLine line = localstart(*this, args);
  if (line.early_exit != EarlyExit::kNone) {
    if (line.early_exit == EarlyExit::kHelp)
      term.put(kUsage);
    else if (line.early_exit == EarlyExit::kVersion)
      term.line(trimmed(run.version_text));
    else
      run.exit_status = 1;
    run.quit = true;
    flush_terminal();
    return;
  }
  const std::vector<std::string>& command_files = line.command_files;
  if (const char* epoch = std::getenv("SOURCE_DATE_EPOCH"); epoch && *epoch && !source_date_epoch())
    err().line("SOURCE_DATE_EPOCH is not a non-negative whole number of seconds; it is ignored.");
  if (!run.ps_to_stdout && !io.ps_text && same_file_as_any(run.ps_output_file, command_files)) {
    // The document would take the place of the command file it was made from.
    err().put("The output file ");
    err().put(run.ps_output_file);
    err().line(" is also a command file of the command line; nothing is run or written.");
    run.exit_status = 1;
    run.quit = true;
    flush_terminal();
    return;
  }
  run.echo_level = units.debug ? 2 : units.verbose ? 1 : 0;
  setvariable(vars, "ECHO_LEVEL", run.echo_level);
  setcvariable(vars, "PWD", run.pwd, err());
  setcvariable(vars, "PS_OUTPUT_FILE", run.ps_output_file, err());
  if (run.ps_to_stdout) {
    // Standard output carries only the document; anything written to the
    // terminal-output unit goes to standard error instead.
    if (io.err_text)
      term.set_text(io.err_text);
    else
      term.set_file(io.err);
  }

  if (io.ps_text) {
    ps_open_string(ps, io.ps_text);
  } else if (run.ps_to_stdout && converting(run)) {
    // Kept whole for the conversion; standard output gets it at the end.
    ps_open_string(ps, &run.kept_document);
  } else if (run.ps_to_stdout) {
    ps_open_stdout(ps);
  } else if (!ps_open_file(ps, run.ps_output_file)) {
    err().put("Cannot open the PostScript output file ");
    err().put(run.ps_output_file);
    err().line("; no document is written.");
    run.exit_status = 1;
    ps_open_string(ps, &unwritten_document);
    run.convert_pdf = false;  // nothing to convert
    run.convert_png_dpi = 0;
  }
  startup(ps,
          {run.precision, run.ps_to_stdout, run.ps_output_file, run.orientation, run.version_text},
          units.verbose != 0, term);
  setvariable(vars, "PRECISION", run.precision);
  if (units.verbose) {
    term.line(trimmed(run.version_text));
    term.line(trimmed(run.notice));
    term.line("");
  }
  setcvariable(vars, "FILL3DFUNCTION", kFill3dFunction, err());
  setcvariable(vars, "DATAFILE", cs.datafile, err());

  pen.line_thickness = pen.axis_thickness = static_cast<int>(std::lround(0.0075 * run.precision));
  for (auto [name, value] : {std::pair{"XLABELSIZE", 0.14},
                             {"YLABELSIZE", 0.14},
                             {"XNUMBERSIZE", 0.12},
                             {"YNUMBERSIZE", 0.12},
                             {"TEXTSIZE", 0.18},
                             {"XNUMBERANGLE", 0.0},
                             {"YNUMBERANGLE", 0.0},
                             {"ZNUMBERANGLE", 0.0},
                             {"XDIM", 6.0},
                             {"YDIM", 6.0},
                             {"ZDIM", 4.0}})
    setvariable(vars, name, value);
  for (const char* name : {"XNPLACE", "YNPLACE", "ZNPLACE"}) setcvariable(vars, name, "C", err());
  for (const char* name : {"XLABEL", "YLABEL", "ZLABEL"}) setcvariable(vars, name, "", err());

  plot(ps, 1.0, 1.0, PenCode::kMoveOrigin);
  default_colors(ps);
  setvariable(vars, "NCOLORS", 11);
  setup_view(*this);  // the Cartesian view: 3-D moves and draws work from the start
  setcvariable(vars, "DATE", date_text(), err());
  setcvariable(vars, "TIME", clocktime(), err());
}

void Session::remove_temp_files() {
  for (const char* stem : {"data", "error"}) std::remove((stem + run.pid + ".tmp").c_str());
  std::remove(("data" + run.pid + ".fft").c_str());
  for (const std::string& name : run.temp_files)
    if (scratch_files.replaceable(name)) std::remove(name.c_str());
}

void Session::shutdown() {
  ++run.pages_done;
  write_page_stamps(*this);
  if (!run.save_temps) remove_temp_files();
  // The document is complete: it takes its name now.
  plot(ps, 0.0, 0.0, PenCode::kEnd);
  if (const std::string failure = ps_error_message(ps); !failure.empty()) {
    err().line(failure);
    run.exit_status = 1;
  } else if (converting(run)) {
    write_kept_document(*this);
    convert_at_end(*this);
  }
  if (units.verbose) term.line("");
  run.quit = true;
  flush_terminal();
  if (const int error = term.error(); error != 0 && &term != &errbuf) {
    errbuf.put("Error writing to the terminal output: ");
    errbuf.line(std::strerror(error));
    errbuf.flush();
    run.exit_status = 1;
  }
  // A stop signal during the conversion stopped Ghostscript; the document
  // itself was complete and stays.
  if (const int signal = io.stop.pending(); signal != 0) run.stopped_by = signal;
}

bool Session::end_on_signal() {
  const int signal = io.stop.pending();
  if (signal == 0) return false;
  // Loop files kept by SAVET would only serve a run that ended as it should.
  remove_temp_files();
  ps_abandon(ps);
  flush_terminal();
  run.stopped_by = signal;
  run.quit = true;
  return true;
}

}  // namespace vexal
