// The command loop: one line per turn from the input stream, substituted,
// matched against the command names and run.
#include "interp/session.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <new>

#include "interp/command_table.h"
#include "interp/expand.h"
#include "interp/loop.h"
#include "interp/params.h"
#include "util/files.h"
#include "util/text.h"

namespace vexal {

namespace {

constexpr int kMaxSynonymChain = 100;  // synonym expansions in a row before the guard stops them

bool begins(std::string_view line, std::string_view word) {
  return line.substr(0, word.size()) == word;
}

bool is_blank(std::string_view s) {
  for (char c : s)
    if (c != ' ' && c != '\t' && c != '\0') return false;
  return true;
}

size_t separator_position(std::string_view line) {
  size_t sep = line.find_first_of(" =");
  return sep == std::string_view::npos ? line.size() : sep;
}

}  // namespace

Session::Session(const SessionIo& io_in) : io(io_in) {
  if (io.out_text)
    term.set_text(io.out_text);
  else
    term.set_file(io.out);
  if (io.err_text)
    errbuf.set_text(io.err_text);
  else
    errbuf.set_file(io.err);
  stream.terminal = io.in;
}

static void substitute_text(void* session, std::string& text) {
  expand(*static_cast<Session*>(session), text);
}

MathEnv Session::math_env() {
  MathEnv env{vars, err(), term, point, math};
  env.compat_level = compat.level;
  env.frame = &frame;
  env.array = &array;
  const size_t held = std::min({store.x.size(), store.y.size(), store.z.size(), store.v.size(),
                                static_cast<size_t>(store.npts())});
  env.store = PointColumns{&store.x, &store.y, &store.z, &store.v, held};
  return env;
}

std::FILE* Session::create_temp_file(const std::string& name, int& error) {
  errno = 0;
  std::FILE* fp = scratch_files.create(name);
  error = fp ? 0 : (errno ? errno : EIO);
  std::vector<std::string>& temps = run.temp_files;
  if (fp && std::find(temps.begin(), temps.end(), name) == temps.end()) temps.push_back(name);
  return fp;
}

bool Session::may_read(const std::string& name, bool quiet) {
  if (run.readable.allows(name)) return true;
  if (!quiet) {
    err().put("Files outside the current folder are not read (--sandbox); not read: ");
    err().line(std::string_view(name.c_str()));
  }
  return false;
}

// A write or deletion --sandbox refuses: the message and a failed run.
static bool refuse(Session& s, std::string_view why, const std::string& name) {
  s.err().put(why);
  s.err().line(std::string_view(name.c_str()));
  s.run.exit_status = 1;
  return false;
}

bool Session::may_write(const std::string& name) {
  if (!run.sandbox || scratch_files.made(name)) return true;
  return refuse(*this, "Only the document is written (--sandbox); not written: ", name);
}

bool Session::may_delete(const std::string& name) {
  if (!run.sandbox || scratch_files.replaceable(name)) return true;
  return refuse(*this, "Only the run's scratch files are deleted (--sandbox); not deleted: ", name);
}

CurvePoints Session::curve_points() const {
  CurvePoints pts;
  pts.npts = store.npts();
  if (pts.npts > 0) {
    pts.x = store.x.data();
    pts.y = store.y.data();
    pts.z = store.z.view();
    pts.v = store.v.view();
    pts.pen = store.pen.view();
    pts.symbol = store.symbol.view();
    pts.colour = store.colour.view();
  }
  return pts;
}

CurveStyle Session::curve_style() const {
  CurveStyle style;
  style.ssk = text.ssk;
  style.marker_size = text.marker_size;
  style.con = text.con != 0;
  style.angle = axes.angle;
  return style;
}

TextContext Session::text_context() {
  return TextContext{pen, text.sup, compat.level, this, substitute_text, &err()};
}

bool Session::at_terminal() const { return stream.terminal && ::isatty(::fileno(stream.terminal)); }

bool Session::interrupted_at_terminal() {
  return io.stop.pending() == SIGINT && at_terminal() && io.stop.clear_interrupt();
}

// The line editor of a terminal that is one (not with the document on
// standard output, where its prompt would land): made at the first read.
static LineEditor* terminal_editor(Session& s) {
  if (!s.editor_checked) {
    s.editor_checked = true;
    const char* home = std::getenv("HOME");
    if (!s.run.ps_to_stdout && !s.stream.terminal_is_null && !s.io.out_text)
      s.editor = LineEditor::for_terminal(
          s.stream.terminal, home && *home ? std::string(home) + "/.vexal_history" : "");
  }
  return s.editor.get();
}

bool Session::read_terminal_line(std::string& line, size_t width, std::string_view prompt,
                                 bool command) {
  LineEditor* editor = terminal_editor(*this);
  if (!editor) term.put(prompt);
  flush_terminal();
  size_t length = 0;
  if (!editor) {
    if (!read_line(stream.terminal, line, width, &length)) return false;
  } else {
    if (!editor->read(std::string(prompt).c_str(), line, command)) return false;
    length = line.size();
    if (line.size() > width) line.resize(width);  // cut as read_line cuts
  }
  if (length > width) report_cut_line(line, length);
  return true;
}

bool Session::read_input_line(std::string& line, size_t width) {
  if (units.input_unit < kFirstFileUnit) {
    const bool got = read_terminal_line(line, width);
    // Ctrl-C while lines are typed for a command ends that command's lines,
    // not the run.
    if (interrupted_at_terminal()) {
      std::clearerr(stream.terminal);
      line.clear();
      return false;
    }
    return got;
  }
  size_t length = 0;
  if (!read_unit_line(stream, units.input_unit, line, width, &length)) return false;
  if (length > width) report_cut_line(line, length);
  return true;
}

// Every error line from now on begins with the current command file's name
// and line number (none while the terminal is read).
static void mark_error_lines(Session& s);

void Session::report_cut_line(std::string_view kept, size_t length) {
  if (cut_line_reported) return;
  cut_line_reported = true;
  constexpr size_t kShown = 40;  // characters of the line named
  std::string text = "Warning--a line of " + std::to_string(length) + " characters is cut to " +
                     std::to_string(kept.size()) + ": ";
  text.append(kept.substr(0, kShown));
  if (kept.size() > kShown) text += "...";
  // With --where the line is the one just read, not the command's own.
  const std::string command_prefix = errbuf.line_prefix();
  if (units.where) mark_error_lines(*this);
  err().line(text);
  errbuf.set_line_prefix(command_prefix);
}

void Session::flush_terminal() {
  term.flush();
  errbuf.flush();
}

// Delivers the next command line and its raw copy into cs.line / cs.raw.
// Returns false only when the terminal is used up and `quit_at_end` is off.
static bool get_next_command(Session& s, bool quit_at_end) {
  CommandStream& st = s.stream;
  std::string& line = s.cs.line;
  st.generated_end = false;
  for (;;) {
    if (s.end_on_signal()) return false;
    Queued how = kTyped;
    int chain = 0;  // synonym expansions that made the line
    if (!st.pending.empty()) {
      line = std::move(st.pending.front().text);
      how = st.pending.front().how;
      chain = st.pending.front().synonym_chain;
      st.pending.pop_front();
    } else {
      int unit = s.units.input_unit;
      bool from_terminal = unit < kFirstFileUnit;
      const bool prompt = unit <= 10 && s.units.verbose && st.prompt && !st.terminal_is_null;
      std::FILE* fp = from_terminal ? st.terminal : st.files[unit - kFirstFileUnit].fp;
      size_t length = 0;
      const bool got = from_terminal
                           ? s.read_terminal_line(line, kLineWidth, prompt ? "$VEXAL: " : "", true)
                           : read_line(fp, line, kLineWidth, &length);
      if (from_terminal && s.interrupted_at_terminal()) {
        // Ctrl-C at the prompt: the line typed is dropped, and the prompt
        // comes again on a line of its own.
        if (fp) std::clearerr(fp);
        s.term.put('\n');
        continue;
      }
      // A line read while a stop signal came is not run (it may be cut short).
      if (s.end_on_signal()) return false;
      if (!got) {
        // Input that cannot be read (a directory, an I/O error) is not an
        // ordinary end: the run ends, and fails.
        if (from_terminal && !s.editor && fp && std::ferror(fp)) {
          const int error = errno ? errno : EIO;
          std::clearerr(fp);
          s.err().put("Error reading standard input: ");
          s.err().line(std::strerror(error));
          s.run.exit_status = 1;
        }
        if (unit <= 10) {
          if (!quit_at_end) return false;
          line = "QUIT";
        } else if (extend_loop_driver(s, st.files[unit - kFirstFileUnit])) {
          continue;  // the loop's next passes were written
        } else {
          line = "RETURN";
        }
        st.generated_end = true;
      } else {
        if (!from_terminal && ++st.files[unit - kFirstFileUnit].line == 1)
          skip_byte_order_mark(line);
        if (!from_terminal && length > kLineWidth) s.report_cut_line(line, length);
        if (unit != s.units.stdin_unit && s.units.verbose && !begins(line, "NODEBUG"))
          s.term.line(trimmed(line));
      }
    }
    // Only the first ";" counts; an escaped one keeps the line whole. Text
    // queued as already split (a label, a substituted parameter) is not looked at.
    size_t split_end = std::min(how.split_end, line.size());
    size_t substitute_end = std::min(how.substitute_end, line.size());
    size_t semi = std::string_view(line).substr(0, split_end).find(';');
    // A piece runs next, carrying the line's offsets and synonym count.
    auto push_piece = [&](size_t from, std::string_view piece, Queued how) {
      push_command(st, piece, {how.split_end - from, how.substitute_end - from});
      st.pending.front().synonym_chain = chain;
    };
    const Queued rest{split_end, substitute_end};
    if (semi == 0) {
      push_piece(1, std::string_view(line).substr(1), rest);
      continue;
    }
    if (semi != std::string::npos && line[semi - 1] != '\\' && line[semi - 1] != '|') {
      std::string before = line.substr(0, semi);
      push_piece(semi + 1, std::string_view(line).substr(semi + 1), rest);
      push_piece(0, before, kTyped);
      continue;
    }
    if (is_blank(line)) continue;
    for (size_t at = 0; (at = line.find(';', at)) < split_end;) {
      if (at > 0 && (line[at - 1] == '\\' || line[at - 1] == '|')) {
        line.erase(at - 1, 1);
        --split_end;
        --substitute_end;
      } else {
        ++at;
      }
    }
    size_t lead = line.find_first_not_of(" \t");
    line.erase(0, lead);
    split_end -= std::min(lead, split_end);
    substitute_end -= std::min(lead, substitute_end);
    s.cs.raw = line;
    s.cs.synonym_chain = chain;
    s.cs.substitute_end = substitute_end < line.size() ? substitute_end : std::string::npos;
    std::replace(line.begin(), line.begin() + static_cast<long>(substitute_end), '\t', ' ');
    if (is_blank(line) || line[0] == '!' || line[0] == '#') {
      st.pending.clear();
      continue;
    }
    if (s.units.debug && s.units.verbose) s.term.line(trimmed(line));
    return true;
  }
}

// Substitutes the part of the line before `end` (npos: all of it); the rest
// was substituted already, or is data, and stays as it is.
static void substitute(Session& s, std::string& line, size_t end) {
  if (end >= line.size()) {
    expand(s, line);
    return;
  }
  if (end == 0) return;
  std::string rest = line.substr(end);
  line.resize(end);
  expand(s, line);
  line += rest;
  cut(line);
}

// The IF/ELSE/ENDIF state: true when the line is consumed by a block being skipped.
static bool skipped_by_block(Session& s) {
  std::vector<Block>& open = s.blocks.open;
  if (open.empty() || (!open.back().skip_else && !open.back().skip_endif)) return false;
  const std::string& line = s.cs.line;
  auto comment = [&] { ps_comment(s.ps, s.cs.raw); };
  const bool to_endif = open.back().skip_endif;
  if (begins(line, "ENDIF") || begins(line, "RETURN")) {
    open.pop_back();
    comment();
  } else if (begins(line, "IF")) {
    open.push_back(Block{.skip_endif = true});
    if (!to_endif) comment();
  } else if (!to_endif && begins(line, "ELSE")) {
    open.back() = Block{};
    comment();
  }
  return true;
}

// Lines that match no command: arithmetic forms, command files run by name,
// or an invalid command.
static void unknown_command(Session& s) {
  const std::string& line = s.cs.line;
  char first = line.empty() ? ' ' : line[0];
  bool arithmetic = first == 'V' || first == 'Y' || first == 'Z' ||
                    (first == 'X' && line.size() > 1 && (line[1] == '=' || line[1] == ' ')) ||
                    line == "X";
  if (arithmetic) {
    s.requeue_raw("MATH ");
    return;
  }
  std::string word = s.cs.raw.substr(0, separator_position(s.cs.raw));
  if (file_exists(word)) {
    s.requeue_raw("COM ");
    return;
  }
  OutBuffer& err = s.err();
  err.put("Invalid Command> ");
  err.line(trimmed(s.cs.raw));
}

// The end of the terminal input always ends the run, whatever the synonyms
// and IF blocks: otherwise "QUIT" would be swallowed and the end of input read
// again forever.
static void quit_at_end_of_input(Session& s) {
  if (s.blocks.depth() > 0)
    s.err().line("Warning: the input ended inside an IF block; the run ends here.");
  s.blocks = BlockState{};
  ps_comment(s.ps, s.cs.raw);
  s.shutdown();
}

// --where: messages of a line from a command file begin with its name and
// the number of the line read last (the command, or a line it queued).
static void mark_error_lines(Session& s) {
  const int unit = s.units.input_unit;
  const size_t level = static_cast<size_t>(unit - kFirstFileUnit);
  if (unit < kFirstFileUnit || level >= s.stream.files.size()) {
    s.errbuf.set_line_prefix("");
    return;
  }
  const CommandFile& f = s.stream.files[level];
  s.errbuf.set_line_prefix(f.name + ":" + std::to_string(f.line) + ": ");
}

std::vector<FileId> Session::files_in_use() const {
  std::vector<FileId> ids;
  auto add = [&](std::FILE* fp) {
    struct stat st;
    if (fp && ::fstat(fileno(fp), &st) == 0) ids.push_back(FileId{st.st_dev, st.st_ino});
  };
  add(ps.file.get());
  // The file the document will replace: a listing written there would be lost.
  struct stat target;
  if (!ps.new_file.name.empty() && ::lstat(ps.path.c_str(), &target) == 0)
    ids.push_back(FileId{target.st_dev, target.st_ino});
  if (run.ps_to_stdout) add(stdout);
  add(stream.terminal);
  for (const CommandFile& f : stream.files) add(f.kept.holder ? f.kept.holder : f.fp);
  return ids;
}

void Session::requeue_raw(std::string_view word) {
  const std::string_view raw = cs.raw;
  const size_t end = std::min(cs.substitute_end, raw.size());
  push_command(stream, std::string(word).append(raw), {word.size(), word.size() + end});
}

bool Session::turn(bool quit_at_end) {
  cut_line_reported = false;
  if (!get_next_command(*this, quit_at_end)) return false;
  if (units.where) mark_error_lines(*this);
  std::string& line = cs.line;
  if (stream.generated_end && line == "QUIT") {
    quit_at_end_of_input(*this);
    return true;
  }
  substitute(*this, line, cs.substitute_end);
  cs.sep = separator_position(line);
  upcase(line, cs.sep + 1);

  std::string_view word = trimmed(std::string_view(line).substr(0, cs.sep));
  for (auto it = synonyms.rbegin(); it != synonyms.rend() && !stream.generated_end; ++it) {
    if (it->name != word) continue;
    // Counted along the whole expansion, its pieces between ";" included.
    if (cs.synonym_chain + 1 > kMaxSynonymChain) {
      OutBuffer& e = err();
      e.put("Synonym ");
      e.put(it->name);
      e.line(" expands into itself: the line is dropped.");
      return true;
    }
    // The replacement is read as typed; the rest of the line was substituted
    // already and reads back as it is.
    const std::string_view replacement = trimmed(it->replacement);
    push_command(stream, std::string(replacement) + line.substr(cs.sep),
                 {replacement.size(), replacement.size()});
    stream.pending.front().synonym_chain = cs.synonym_chain + 1;
    return true;
  }

  if (skipped_by_block(*this)) return true;
  ps_comment(ps, cs.raw);

  // Names hold no blank, so only the word (and an "=" ending it) can match.
  const Command* c = command_table().find(std::string_view(line).substr(0, cs.sep + 1));
  Params p{*this, cs.sep < line.size() ? line.substr(cs.sep + 1) : std::string()};
  try {
    if (c)
      c->handler(*this, p);
    else
      unknown_command(*this);
  } catch (const std::bad_alloc&) {  // the last resort: the command is given up, the run goes on
    OutBuffer& e = err();
    e.put("Error--not enough memory: ");
    e.line(trimmed(cs.raw));
  }
  return true;
}

void Session::loop(bool quit_at_end) {
  while (!run.quit && turn(quit_at_end)) {
  }
  flush_terminal();
}

}  // namespace vexal
