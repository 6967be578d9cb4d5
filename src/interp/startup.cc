// Start-up and shutdown: defaults, command-line flags and arguments, the
// start-up command files, the document, and the end of the run.
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "interp/params.h"
#include "interp/session.h"
#include "postscript/page_stamps.h"
#include "util/calendar.h"
#include "util/files.h"
#include "util/text.h"

namespace vexal {

namespace {

constexpr const char* kLibDirectory = "/usr/local/lib/vexal";
constexpr const char* kNetLibAddress = "https://vexal.example.org/lib";
constexpr const char* kFill3dFunction = "{1 x x mul y y mul add sqrt 1.e-10 max div}";

std::string env(const char* name) {
  const char* v = std::getenv(name);
  return v ? v : "";
}

// Reads a start-up file, pushing each line in front of the stack as it is
// read, so that the file's lines run last line first.
bool push_startup_file(Session& s, const std::string& path) {
  std::FILE* fp = std::fopen(path.c_str(), "r");
  if (!fp) return false;
  std::string line;
  while (read_line(fp, line)) push_command(s.stream, line);
  std::fclose(fp);
  return true;
}

void set_level(Session& s, int level) {
  s.compat.level = level;
  setvariable(s.vars, "VERSION", level);
}

// Reads the flags and arguments, and queues the start-up files. Returns the
// arguments that run as command files.
std::vector<std::string> localstart(Session& s, const std::vector<std::string>& args) {
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

  std::vector<std::string> command_files;
  bool copy_setup = true, from_file = false, quiet = false, stamp_info = true;
  s.run.orientation = "Portrait";
  setvariable(s.vars, "PORTRAIT", 1);
  setvariable(s.vars, "LANDSCAPE", 0);

  for (size_t a = 0; a < args.size(); ++a) {
    const std::string& arg = args[a];
    if (!arg.empty() && arg[0] == '-') {
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
        push_command(s.stream, "alias system null");
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
        if (a + 1 >= args.size()) {
          s.err().line("Precision flag on command line, but no prcision specified, using default.");
        } else {
          s.cs.raw = args[++a];
          bool bad = false;
          double res = read_number_text(s, s.cs.raw, &bad, true);
          if (bad || !(res >= kMinPrecision && res <= kMaxPrecision))
            s.err().line("Bad precision specified: using default.");
          else
            s.run.precision = res;
          s.cs.raw.clear();
        }
      }
      if (has('V')) {
        if (a + 1 >= args.size()) {
          s.err().line("Version flag on command line, but no version specified, using default.");
        } else {
          const std::string& v = args[++a];
          s.err().put("Vexal compatibility set to ");
          s.err().line(trimmed(v));
          s.cs.raw = v;
          set_level(s, version_code(s, v));
          s.cs.raw.clear();
        }
      }
      if (has('s')) {
        quiet = true;
        s.run.ps_to_stdout = true;
      }
    } else if (arg.empty()) {
      append_command(s.stream, "");
    } else if (file_exists(arg)) {
      append_command(s.stream, "com " + arg);
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
  if (copy_setup) {
    std::string home = env("HOME");
    setcvariable(s.vars, "HOME", home, err);
    if (push_startup_file(s, home + "/.vexal") && stamp_info)
      push_command(s.stream, "stamp |H~/.vexal");
    if (std::string(trimmed(home)) != std::string(trimmed(cwd)) &&
        push_startup_file(s, "./.vexal") && stamp_info)
      push_command(s.stream, "stamp |H./.vexal");
  }
  if (s.run.ps_to_stdout) quiet = true;
  if (quiet) s.units.verbose = 0;
  return command_files;
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

}  // namespace

void Session::start(const std::vector<std::string>& args) {
  setcvariable(vars, "VERSION", run.version_text, err());
  setcvariable(vars, "COPYRIGHT", run.notice, err());
  setcvariable(vars, "CREDITS", run.credits, err());
  run.pwd.clear();
  run.ps_output_file = "vexal.ps";
  setcvariable(vars, "LIB", kLibDirectory, err());
  setcvariable(vars, "NETLIB", kNetLibAddress, err());
  std::vector<std::string> command_files = localstart(*this, args);
  if (!run.ps_to_stdout && !io.ps_text && same_file_as_any(run.ps_output_file, command_files)) {
    // Opening the document would empty the command file before it is read.
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

  if (io.ps_text)
    ps_open_string(ps, io.ps_text);
  else if (run.ps_to_stdout)
    ps_open_stdout(ps);
  else if (!ps_open_file(ps, run.ps_output_file)) {
    err().put("Cannot open the PostScript output file ");
    err().put(run.ps_output_file);
    err().line("; no document is written.");
    run.exit_status = 1;
    ps_open_string(ps, &unwritten_document);
  }
  startup(ps, run.precision, run.ps_to_stdout, run.ps_output_file, run.orientation,
          run.version_text, units.verbose != 0, term);
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

  plot(ps, 1.0, 1.0, -3);
  default_colors(ps);
  setvariable(vars, "NCOLORS", 11);
  setcvariable(vars, "DATE", date_text(), err());
  setcvariable(vars, "TIME", clocktime(), err());
}

void Session::shutdown() {
  ++run.pages_done;
  write_page_stamps(*this);
  if (!run.save_temps) {
    for (const char* stem : {"data", "error"}) std::remove((stem + run.pid + ".tmp").c_str());
    std::remove(("data" + run.pid + ".fft").c_str());
    for (const std::string& name : run.temp_files)
      if (scratch_files.replaceable(name)) std::remove(name.c_str());
  }
  plot(ps, 0.0, 0.0, 999);
  if (const std::string failure = ps_error_message(ps); !failure.empty()) {
    err().line(failure);
    run.exit_status = 1;
  }
  if (units.verbose) term.line("");
  run.quit = true;
  flush_terminal();
}

}  // namespace vexal
