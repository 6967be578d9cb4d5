// Commands of the interpreter: run flags and QUIT, the input stream and its
// command files, the loop's blocks and synonyms, and the variables.
#include <spawn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "interp/child_signals.h"
#include "interp/command_reference.h"
#include "interp/command_table.h"
#include "interp/listing.h"
#include "interp/params.h"
#include "interp/session.h"
#include "interp/shared_commands.h"
#include "interp/stop_signals.h"
#include "util/files.h"
#include "util/free_format.h"
#include "util/text.h"

namespace vexal {

namespace {

constexpr const char* kHelpAddress = "https://vexal.example.org/commands.html";
constexpr size_t kMaxPackedText = 8192;

std::string_view command_word(const Session& s) {
  return std::string_view(s.cs.line).substr(0, s.cs.sep);
}

void set_echo_level(Session& s, int level) {
  s.run.echo_level = level;
  setvariable(s.vars, "ECHO_LEVEL", level);
}

// ---- start-up, run and shutdown --------------------------------------------

void cmd_quiet(Session& s, Params&) {
  s.units.verbose = 0;
  s.units.debug = 0;
  set_echo_level(s, 0);
}

void cmd_verbose(Session& s, Params&) {
  if (!s.run.ps_to_stdout) s.units.verbose = 1;
  set_echo_level(s, 1 + s.units.debug);
}

void cmd_debug(Session& s, Params&) {
  if (!s.run.ps_to_stdout) s.units.debug = 1;
  set_echo_level(s, 2);
}

void cmd_nodebug(Session& s, Params&) {
  s.units.debug = 0;
  set_echo_level(s, s.units.verbose ? 1 : 0);
}

void cmd_version(Session& s, Params& p) {
  const std::optional<int> level = version_code(s, p.text);
  if (!level) {
    s.err().line(kBadVersion);
    return;
  }
  s.compat.level = *level;
  setvariable(s.vars, "VERSION", s.compat.level);
}

void cmd_quit(Session& s, Params&) { s.shutdown(); }

// ---- the command input stream -----------------------------------------------

// Loads a packed command file: its comment records run as command lines, in
// file order, before anything already waiting. False when it is not one.
bool load_packed(Session& s, const std::string& name) {
  std::FILE* fp = std::fopen(name.c_str(), "rb");
  if (!fp) return false;
  unsigned char head[8];
  bool ok = std::fread(head, 1, 8, fp) == 8 && head[0] == '$' && (head[1] == 'P' || head[1] == 'R');
  if (!ok) {
    std::fclose(fp);
    return false;
  }
  bool doubles = head[1] == 'P';
  int16_t ncols, ncomments;
  std::memcpy(&ncols, head + 4, 2);
  std::memcpy(&ncomments, head + 6, 2);
  if (ncols < 1 || ncols > 50) {
    s.err().line("Binary data error: Less than one or more than 50 columns of data.");
    std::fclose(fp);
    return true;
  }
  long reclen = ncols * (doubles ? 8 : 4);
  long first = (!doubles && ncols <= 1) ? 3 : 2;
  std::string text;
  if (ncomments > 0 && std::fseek(fp, reclen * (first - 1), SEEK_SET) == 0) {
    size_t want = std::min<size_t>(static_cast<size_t>(reclen) * ncomments, kMaxPackedText);
    text.resize(want);
    text.resize(std::fread(text.data(), 1, want, fp));
  }
  std::fclose(fp);
  for (char& c : text)
    if (c == '\r' || c == '\n') c = ';';
  int position = 1;
  size_t start = 0;
  while (start < text.size()) {
    size_t semi = text.find(';', start);
    size_t end = semi == std::string::npos ? text.size() : semi + 1;
    std::string_view piece = std::string_view(text).substr(start, end - start);
    if (nstrng(piece) > 0 && !(piece.size() == 1 && piece[0] == ';'))
      insert_command(s.stream, position++, piece);
    start = end;
  }
  return true;
}

// COMMANDFILE names the file, and the page stamp too unless /NOSTAMP.
void announce_command_file(Session& s, const std::string& name) {
  setcvariable(s.vars, "COMMANDFILE", name, s.err());
  if (command_word(s) != "COMMANDFILE/NOSTAMP") stamp_file_name(s, name);
}

// Reading goes on in `f`, one unit deeper.
void enter_command_file(Session& s, CommandFile&& f, bool announce = true) {
  if (announce) announce_command_file(s, f.name);
  f.block_depth = s.blocks.depth();
  int unit = s.units.input_unit < kFirstFileUnit ? kFirstFileUnit : s.units.input_unit + 1;
  s.stream.files.resize(unit - kFirstFileUnit);
  s.stream.files.push_back(std::move(f));
  s.units.input_unit = unit;
}

// A file that calls itself more than once would otherwise run 2^250 times,
// meeting the nesting limit at every turn: the whole chain from the file's
// outermost level is left, as if each of its files had returned.
void unwind_chain(Session& s, const std::string& name) {
  std::vector<CommandFile>& files = s.stream.files;
  size_t first = 0;
  while (first < files.size() && files[first].name != name) ++first;
  if (first == files.size()) return;
  s.blocks.close_to(files[first].block_depth);
  for (size_t k = first; k < files.size(); ++k) close_command_file(files[k]);
  files.resize(first);
  const int unit = kFirstFileUnit + static_cast<int>(first) - 1;
  s.units.input_unit = unit < kFirstFileUnit ? s.units.stdin_unit : unit;
}

void cmd_com(Session& s, Params& p) {
  std::string name = getcparm(p);
  cut(name);
  s.cs.comfile = name;
  if (name.empty()) return;
  // Bounded input nests shallowly: a file that calls itself twice would
  // otherwise run 2^250 times.
  const int limit = s.run.bounded ? 8 : kMaxFileNesting;
  if (static_cast<int>(s.stream.files.size()) >= limit) {
    s.err().put("Command files nest deeper than 250 levels; not opened: ");
    s.err().line(name);
    unwind_chain(s, name);
    return;
  }
  // The file a RETURN just left, unchanged, runs again from its open stream.
  CommandFile file;
  if (take_spare(s.stream, name, file)) {
    enter_command_file(s, std::move(file));
    return;
  }
  if (!s.may_read(name)) return;
  std::FILE* fp = std::fopen(name.c_str(), "r");
  // A packed file begins with "$P" or "$R". Its first bytes are looked at
  // without reading the stream, so that a pipe loses nothing; the same look
  // tells a directory.
  char head[kKeptFileSize + 1];
  const ssize_t got = fp ? ::pread(fileno(fp), head, sizeof head, 0) : -1;
  const bool directory = fp && got < 0 && errno == EISDIR;
  // A command file this run wrote (a loop, IMAGETOARRAY's array.d) runs only
  // while the name still leads to the file written, never to one swapped in.
  const bool replaced =
      fp && !directory &&
      std::find(s.run.temp_files.begin(), s.run.temp_files.end(), name) != s.run.temp_files.end() &&
      !s.scratch_files.made(fileno(fp));
  if (!fp || directory || replaced) {
    if (fp) std::fclose(fp);
    s.err().put("Error--cannot open command file ");
    s.err().put(name);
    s.err().line(directory  ? " (it is a directory)"
                 : replaced ? " (it is not the file this run wrote)"
                            : "");
    return;
  }
  const bool packed = got >= 2 && head[0] == '$' && (head[1] == 'P' || head[1] == 'R');
  if (packed) announce_command_file(s, name);
  if (packed && load_packed(s, name)) {
    std::fclose(fp);
    return;
  }
  const std::string_view text(head, static_cast<size_t>(std::max<ssize_t>(got, 0)));
  CommandFile fresh{fp, name, keep_file(fp, text)};
  enter_command_file(s, std::move(fresh), !packed);
}

void cmd_return(Session& s, Params&) {
  bool remove = command_word(s).find("/DELETE") != std::string_view::npos;
  int unit = s.units.input_unit;
  if (unit >= kFirstFileUnit && unit - kFirstFileUnit < static_cast<int>(s.stream.files.size())) {
    CommandFile& f = s.stream.files[unit - kFirstFileUnit];
    // Blocks the file opened and left open end with it.
    s.blocks.close_to(f.block_depth);
    if (remove) {
      close_command_file(f);
      if (s.may_delete(f.name)) std::remove(f.name.c_str());
    } else {
      keep_spare(s.stream, std::move(f));
    }
    s.stream.files.resize(unit - kFirstFileUnit);
  }
  s.units.input_unit = unit - 1 < kFirstFileUnit ? s.units.stdin_unit : unit - 1;
}

void cmd_definecom(Session& s, Params& p) {
  std::string name = getcparm(p);
  if (name.empty()) return;
  // Written as a listing is: a regular file is overwritten, a symbolic link
  // under the name is never followed, a file in use never written.
  OutputRefusal refusal = OutputRefusal::kNone;
  const bool allowed = s.may_write(name);
  std::FILE* fp = allowed ? fopen_output(name, &refusal, s.files_in_use()) : nullptr;
  if (!fp && allowed) {
    s.err().put("Cannot create ");
    s.err().put(std::string_view(name.c_str()));
    s.err().line(refusal_text(refusal));
    s.run.exit_status = 1;
  }
  std::string line;
  int error = 0;  // the first failed write's errno
  while (s.read_input_line(line)) {
    std::string word(nolead(line));
    upcase(word, 9);
    if (word.starts_with("ENDDEFINE")) break;
    if (fp && error == 0) {
      std::string_view t = trimmed(line);
      errno = 0;
      if (std::fwrite(t.data(), 1, t.size(), fp) != t.size() || std::fputc('\n', fp) == EOF)
        error = errno ? errno : EIO;
    }
  }
  if (!fp) return;
  // A command file cut short by a full disk would run half a command later.
  errno = 0;
  if (std::fclose(fp) != 0 && error == 0) error = errno ? errno : EIO;
  if (error == 0) return;
  s.err().put("Error writing the command file ");
  s.err().put(name);
  s.err().put(": ");
  s.err().line(std::strerror(error));
  s.run.exit_status = 1;
}

void cmd_echo(Session& s, Params& p) {
  if (s.units.verbose) s.term.line(trimmed(p.text));
}

// The user's own line on the error unit: --strict does not count it.
void cmd_echoerr(Session& s, Params& p) {
  const size_t before = s.errbuf.bytes_written();
  s.err().line(trimmed(p.text));
  s.units.echoed_errors += s.errbuf.bytes_written() - before;
}

void cmd_prompt(Session& s, Params& p) {
  std::string word = getcparm(p);
  const std::string question = s.units.verbose ? " " + std::string(trimmed(p.text)) : "";
  std::string answer;
  s.read_terminal_line(answer, kLineWidth, question);
  // Ctrl-C instead of an answer: the command is dropped.
  if (s.interrupted_at_terminal()) {
    std::clearerr(s.stream.terminal);
    return;
  }
  push_command(s.stream, word + " " + answer);
}

// False when no command may start a child process: under -S, with a
// message, and for sandboxed input, silently.
bool shell_allowed(Session& s) {
  if (s.run.bounded) return false;
  if (!s.run.no_shell) return true;
  s.err().put("Shell commands are off (-S); not run: ");
  s.err().line(trimmed(s.cs.raw));
  return false;
}

// Runs `command` through the shell and waits for it. When the document goes
// to standard output, the child's standard output goes to standard error, so
// nothing but PostScript reaches the document.
void run_shell(Session& s, const std::string& command) {
  s.flush_terminal();
  s.ps.out.flush();
  if (command.empty() || !shell_allowed(s)) return;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (s.run.ps_to_stdout) posix_spawn_file_actions_adddup2(&actions, STDERR_FILENO, STDOUT_FILENO);
  char* argv[] = {const_cast<char*>("sh"), const_cast<char*>("-c"),
                  const_cast<char*>(command.c_str()), nullptr};
  pid_t pid = 0;
  const ChildSignals signals;
  int rc = posix_spawn(&pid, "/bin/sh", &actions, signals.get(), argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) {
    s.err().put("Cannot run the shell: ");
    s.err().line(std::strerror(rc));
    return;
  }
  int status = 0;
  wait_for_child(pid, status, s.io.stop);
  // At a terminal, a Ctrl-C while the command ran was the command's (it
  // reached it from the terminal too): the session goes on. A run of command
  // files ends, as it would on a Ctrl-C at any other moment, so that a loop
  // of shell commands can be stopped; a termination or hang-up always ends it.
  if (s.at_terminal()) s.io.stop.clear_interrupt();
}

void cmd_system(Session& s, Params& p) { run_shell(s, rest_of_line(p)); }

std::string lib_path(Session& s) {
  return std::string(trimmed(getcvariable(s.vars, "LIB", s.err())));
}

void cmd_lib(Session& s, Params& p) {
  push_command(s.stream, "COM " + lib_path(s) + "/" + getcparm(p), kVerbatim);
}

void cmd_libexec(Session& s, Params& p) {
  if (!shell_allowed(s)) return;
  push_command(s.stream, "SYSTEM " + lib_path(s) + "/" + rest_of_line(p) + " +", kVerbatim);
}

// A name NETLIB may fetch: letters, digits, ".", "_", "-" and "/", and no "..".
bool plain_file_name(std::string_view name) {
  for (char c : name)
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '.' && c != '_' && c != '-' &&
        c != '/')
      return false;
  return name.find("..") == std::string_view::npos;
}

// `text` in single quotes for the shell, each quote inside written '\''.
std::string shell_quote(std::string_view text) {
  std::string q = "'";
  for (char c : text) {
    if (c == '\'')
      q += "'\\''";
    else
      q += c;
  }
  return q + "'";
}

void cmd_netlib(Session& s, Params& p) {
  std::string name = getcparm(p);
  if (name.empty() || !shell_allowed(s)) return;
  if (!plain_file_name(name)) {
    s.err().put("NETLIB fetches only plain file names (letters, digits, . _ - /, no ..): ");
    s.err().line(name);
    return;
  }
  std::string base(trimmed(getcvariable(s.vars, "NETLIB", s.err())));
  run_shell(s, "if [ ! -f " + shell_quote(name) + " ]; then curl -O " +
                   shell_quote(base + "/" + name) + " ; fi");
  push_command(s.stream, "COM " + name, kVerbatim);
}

// HELP name: the reference entries of the commands whose names begin with
// name, in columns on the terminal; HELP alone: where the full reference is.
void cmd_help(Session& s, Params& p) {
  std::string prefix = getcparm(p, false);
  if (prefix.empty()) {
    s.err().line("Vexal help is available on the internet via WWW");
    s.err().put("at ");
    s.err().line(kHelpAddress);
    s.err().line("HELP name lists the commands whose names begin with name.");
    return;
  }
  upcase(prefix);
  const std::vector<CommandEntry> found = commands_beginning(prefix);
  if (found.empty()) {
    s.err().put("No command begins with ");
    s.err().put(prefix);
    s.err().line(".");
    return;
  }
  size_t name_width = 0, params_width = 0;
  for (const CommandEntry& e : found) {
    if (e.name.size() > name_width) name_width = e.name.size();
    if (e.params.size() > params_width) params_width = e.params.size();
  }
  std::string row;  // reused for every entry
  for (const CommandEntry& e : found) {
    row.assign(e.name);
    row.resize(name_width + 2, ' ');
    row.append(e.params);
    if (params_width > 0) row.resize(name_width + 2 + params_width + 2, ' ');
    row.append(e.effect);
    s.term.line(row);
  }
}

// The query: when the line names just one character variable, as in
// "CGIQUERY \%QUERY_STRING", that variable's value as it stands, so that
// nothing in the query is substituted; otherwise the substituted text.
std::string query_text(Session& s, const Params& p) {
  std::string_view raw = trimmed(s.cs.raw);
  size_t blank = raw.find_first_of(" \t");
  std::string_view ref = blank == std::string_view::npos ? "" : nolead(raw.substr(blank));
  if (ref.size() > 2 && (ref[0] == '\\' || ref[0] == '|') && ref[1] == '%') {
    std::string_view name = ref.substr(2);
    if (name.size() > 2 && name.front() == '{' && name.back() == '}')
      name = name.substr(1, name.size() - 2);
    if (!name.empty() && name.find_first_of(" \t\\|%$;{}&") == std::string_view::npos)
      return getcvariable(s.vars, name, s.err());
  }
  return rest_of_line(p);
}

// Query fields are data, never commands: each name=value field sets its
// character variable to the value exactly as given (no ";" splitting, no
// substitution); a field without "=" shows the variable, as "%name" does.
// Fields take effect last field first, so the first of two equal names wins.
void cmd_cgiquery(Session& s, Params& p) {
  std::string query = query_text(s, p);
  std::vector<std::string> fields;
  size_t start = 0;
  for (;;) {
    size_t amp = query.find('&', start);
    std::string field(nolead(std::string_view(query).substr(
        start, amp == std::string::npos ? std::string::npos : amp - start)));
    field = std::string(trimmed(field));
    if (field.empty()) break;
    fields.push_back(field.substr(0, 63));
    if (amp == std::string::npos) break;
    start = amp + 1;
  }
  for (auto f = fields.rbegin(); f != fields.rend(); ++f) {
    size_t eq = f->find('=');
    std::string name = f->substr(0, eq);
    upcase(name, name.find(' ') == std::string::npos ? name.size() : name.find(' ') + 1);
    if (eq == std::string::npos) {
      std::string value = getcvariable(s.vars, name, s.err());
      if (s.units.verbose) s.term.line(trimmed(value));
    } else {
      setcvariable(s.vars, name, nolead(std::string_view(*f).substr(eq + 1)), s.err());
    }
  }
}

void cmd_delete(Session& s, Params& p) {
  std::string name = getcparm(p);
  if (!name.empty() && s.may_delete(name)) std::remove(name.c_str());
}

// ---- the command loop ---------------------------------------------------------

void cmd_if(Session& s, Params& p) {
  bool error = false;
  const double v = getparm(p, &error, false);
  s.blocks.open.push_back(Block{!(v > 0) && !std::isnan(v), false});
}

void cmd_else(Session& s, Params&) {
  if (s.blocks.open.empty()) {
    s.err().line("ELSE outside an IF block is ignored.");
    return;
  }
  s.blocks.open.back().skip_endif = true;
}

void cmd_endif(Session& s, Params&) {
  if (!s.blocks.open.empty()) s.blocks.open.pop_back();
}

void cmd_syn(Session& s, Params& p) {
  std::string name = getcparm(p);
  if (name.empty()) return;
  name = upper(name.substr(0, kSynonymWidth));
  std::string replacement(trimmed(nolead(p.text)));
  cut(replacement);
  for (Synonym& syn : s.synonyms)
    if (syn.name == name) {
      syn.replacement = replacement;
      return;
    }
  if (static_cast<int>(s.synonyms.size()) >= kMaxSynonyms) {
    s.err().put("Too many synonyms (100); not defined: ");
    s.err().line(name);
    return;
  }
  s.synonyms.push_back({name, replacement});
}

void cmd_unsyn(Session& s, Params& p) {
  std::string name = upper(getcparm(p).substr(0, kSynonymWidth));
  for (auto it = s.synonyms.begin(); it != s.synonyms.end(); ++it)
    if (it->name == name) {
      s.synonyms.erase(it);
      return;
    }
}

void cmd_dumpalias(Session& s, Params& p) {
  Listing list(s, getcparm(p, false));
  if (list.failed()) return;
  for (auto it = s.synonyms.rbegin(); it != s.synonyms.rend(); ++it) {
    std::string name = it->name;
    name.resize(kSynonymWidth, ' ');
    list.out().put(name);
    list.out().put(' ');
    list.out().line(trimmed(it->replacement));
  }
}

void cmd_null(Session&, Params&) {}

void cmd_rinexhourly(Session&, Params& p) { getcparm(p); }

// Calculator lines: the line read as one number and printed.
void cmd_calculate(Session& s, Params&) {
  bool error = false;
  s.point.error = 0;
  double v = read_number_text(s, s.cs.line, &error, true);
  if (!error && s.point.error == 0 && s.units.verbose) {
    s.term.put(' ');
    s.term.line(free_real(v));
  }
}

// "= expr": evaluated in braces and printed whatever the verbose flag.
void cmd_equals(Session& s, Params&) {
  std::string line = s.cs.line;
  line[0] = ' ';
  if (line.find('{') == std::string::npos) line[0] = '{';
  if (line.find('}') == std::string::npos) line.insert(nstrng(line), "}");
  bool error = false;
  s.point.error = 0;
  double v = read_number_text(s, line, &error, true);
  if (!error && s.point.error == 0) {
    s.term.put(' ');
    s.term.line(free_real(v));
  }
}

// C0..C9 lines are arithmetic, run by MATH.
void cmd_arithmetic(Session& s, Params&) { s.requeue_raw("MATH "); }

// ---- variables ----------------------------------------------------------------

void cmd_dollar(Session& s, Params&) {
  const std::string& line = s.cs.line;
  if (line.find('=') != std::string::npos) {
    s.requeue_raw("MATH ");
    return;
  }
  bool error = false;
  double v = getvariable(s.vars, std::string_view(line).substr(1), &error, true, s.err());
  if (!error && s.units.verbose) {
    s.term.put(' ');
    s.term.line(free_real(v));
  }
}

void cmd_percent(Session& s, Params&) {
  const std::string& line = s.cs.line;
  size_t eq = line.find('=');
  if (eq != std::string::npos) {
    std::string_view name = std::string_view(line).substr(1, eq - 1);
    setcvariable(s.vars, name, nolead(std::string_view(line).substr(eq + 1)), s.err());
    return;
  }
  std::string value = getcvariable(s.vars, std::string_view(line).substr(1), s.err());
  if (s.units.verbose) s.term.line(trimmed(value));
}

void cmd_setvar(Session& s, Params&) {
  const std::string& line = s.cs.line;
  std::string name = line.size() > 12 ? line.substr(12, 4) : "";
  Params value{s, line.size() > 17 ? line.substr(17) : ""};
  double v = getparm(value);
  s.pen.remembered_x = v;
  setvariable(s.vars, nolead(name), v);
}

void cmd_setenv(Session& s, Params& p) {
  std::string name = getcparm(p);
  if (name.empty()) return;
  setcvariable(s.vars, name, nolead(p.text), s.err());
}

void cmd_showvar(Session& s, Params& p) {
  std::string name = getcparm(p);
  bool error = false;
  double v = getvariable(s.vars, name, &error, true, s.err());
  if (!error && s.units.verbose) {
    s.term.put(' ');
    s.term.line(free_real(v));
  }
}

void cmd_showcvar(Session& s, Params& p) {
  std::string name = getcparm(p);
  s.term.line(trimmed(getcvariable(s.vars, name, s.err())));
}

void cmd_dumpvar(Session& s, Params& p) {
  Listing list(s, getcparm(p, false));
  if (list.failed()) return;
  int i = 0;
  for (const NumericVariable& v : s.vars.numeric) {
    std::string name = v.name;
    name.resize(kNameWidth, ' ');
    OutBuffer& out = list.out();
    out.put(' ');
    out.put(free_int(++i));
    out.put(' ');
    out.put(name);
    out.put(' ');
    out.line(free_real(v.value));
  }
}

void cmd_dumpcvar(Session& s, Params& p) {
  Listing list(s, getcparm(p, false));
  if (list.failed()) return;
  int i = 0;
  for (const CharVariable& v : s.vars.chars) {
    char index[16];
    std::snprintf(index, sizeof index, "%3d ", ++i);
    std::string name = v.name;
    name.resize(kNameWidth, ' ');
    OutBuffer& out = list.out();
    out.put(index);
    out.put(name);
    out.put(' ');
    out.line(trimmed(v.value));
  }
}

void cmd_dumpcsh(Session& s, Params& p) {
  Listing list(s, getcparm(p, false));
  if (list.failed()) return;
  for (const char* name :
       {"YYYY", "YY", "DDD", "HH", "MM", "MM05", "MM15", "MM30", "SS", "SS15", "MONTH", "DOM"}) {
    std::string value = getcvariable(s.vars, name, s.err());
    OutBuffer& out = list.out();
    out.put("setenv ");
    out.put(name);
    out.put(' ');
    out.line(trimmed(value));
  }
}

void cmd_varsu(Session& s, Params& p) { s.text.sup = getparm(p); }

constexpr Command kInterpCommands[] = {
    {"DEBUG", cmd_debug},
    {"NODEBUG", cmd_nodebug},
    {"QUIET", cmd_quiet},
    {"QUIT", cmd_quit},
    {"SAVET", cmd_set<true, &Session::run, &RunState::save_temps>},
    {"VERBOSE", cmd_verbose},
    {"VERSION", cmd_version},
    {"ALLOWCOM", cmd_set<true, &Session::stream, &CommandStream::allow_commands_in_data>},
    {"CGIQUERY", cmd_cgiquery},
    {"COM", cmd_com},
    {"COMMANDFILE/NOSTAMP", cmd_com},
    {"DEFINECOM", cmd_definecom},
    {"DELETE", cmd_delete},
    {"ECHO", cmd_echo},
    {"ECHOERR", cmd_echoerr},
    {"HELP", cmd_help},
    {"LIB", cmd_lib},
    {"LIBEXEC", cmd_libexec},
    {"NETLIB", cmd_netlib},
    {"NOALLOWCOM", cmd_set<false, &Session::stream, &CommandStream::allow_commands_in_data>},
    {"PROMPT", cmd_prompt},
    {"RETURN", cmd_return},
    {"RETURN/DELETE", cmd_return},
    {"SYSTEM", cmd_system},
    {"ALIAS", cmd_syn},
    {"DUMPALIAS", cmd_dumpalias},
    {"ELSE", cmd_else},
    {"ENDIF", cmd_endif},
    {"IF", cmd_if},
    {"NULL", cmd_null},
    {"RINEXHOURLY", cmd_rinexhourly},
    {"SYN", cmd_syn},
    {"UNALIAS", cmd_unsyn},
    {"UNSYN", cmd_unsyn},
    {"X0", cmd_calculate},
    {"X1", cmd_calculate},
    {"X2", cmd_calculate},
    {"X3", cmd_calculate},
    {"X4", cmd_calculate},
    {"X5", cmd_calculate},
    {"X6", cmd_calculate},
    {"X7", cmd_calculate},
    {"X8", cmd_calculate},
    {"X9", cmd_calculate},
    {"XA", cmd_calculate},
    {"XB", cmd_calculate},
    {"XC", cmd_calculate},
    {"XD", cmd_calculate},
    {"XE", cmd_calculate},
    {"XF", cmd_calculate},
    {"{", cmd_calculate},
    {"+", cmd_calculate},
    {"-", cmd_calculate},
    {".", cmd_calculate},
    {"0", cmd_calculate},
    {"1", cmd_calculate},
    {"2", cmd_calculate},
    {"3", cmd_calculate},
    {"4", cmd_calculate},
    {"5", cmd_calculate},
    {"6", cmd_calculate},
    {"7", cmd_calculate},
    {"8", cmd_calculate},
    {"9", cmd_calculate},
    {"=", cmd_equals},
    {"C0", cmd_arithmetic},
    {"C1", cmd_arithmetic},
    {"C2", cmd_arithmetic},
    {"C3", cmd_arithmetic},
    {"C4", cmd_arithmetic},
    {"C5", cmd_arithmetic},
    {"C6", cmd_arithmetic},
    {"C7", cmd_arithmetic},
    {"C8", cmd_arithmetic},
    {"C9", cmd_arithmetic},
    {"$", cmd_dollar},
    {"%", cmd_percent},
    {"DUMPCSH", cmd_dumpcsh},
    {"DUMPCVAR", cmd_dumpcvar},
    {"DUMPVAR", cmd_dumpvar},
    {"SETENV", cmd_setenv},
    {"SETVAR", cmd_setvar},
    {"SHOWCVAR", cmd_showcvar},
    {"SHOWVAR", cmd_showvar},
    {"VARIABLESU", cmd_varsu},
    {"VARSU", cmd_varsu},
};

}  // namespace

std::span<const Command> interp_commands() { return kInterpCommands; }

}  // namespace vexal
