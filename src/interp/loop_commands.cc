// Loops and jumps: LOOP writes its body and a driver into two temporary
// command files and runs the driver; GOTO moves the read position of the
// current command file to a label line, searching outward through the
// files that called it.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "interp/command_table.h"
#include "interp/params.h"
#include "interp/session.h"
#include "util/free_format.h"
#include "util/numbers.h"
#include "util/text.h"

namespace vexal {

namespace {

constexpr int kSandboxLoopCount = 10;  // passes of one loop for untrusted input
constexpr int kSandboxJumps = 1000;    // GOTOs in a run for untrusted input

// ".vexal_a" or ".vexal_b", the process id and the unit as 3 digits.
std::string loop_file_name(const Session& s, char kind, int unit) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "%03d", unit % 1000);
  return std::string(".vexal_") + kind + s.run.pid + digits;
}

// True when the line, leading blanks removed and its first word upper-cased,
// begins with `word`.
bool first_word_begins(std::string_view line, std::string_view word) {
  std::string w(nolead(line));
  size_t blank = w.find(' ');
  upcase(w, blank == std::string::npos ? w.size() : blank);
  return w.starts_with(word);
}

// Reads the loop body from the command-input unit up to the ENDLOOP that
// matches, without substitution; inner LOOP/ENDLOOP pairs are kept whole.
std::vector<std::string> read_loop_body(Session& s) {
  std::vector<std::string> body;
  int nesting = 0;
  std::string line;
  while (s.read_input_line(line)) {
    if (first_word_begins(line, "ENDLOOP")) {
      if (nesting == 0) break;
      --nesting;
    } else if (first_word_begins(line, "LOOP")) {
      ++nesting;
    }
    body.emplace_back(trimmed(line));
  }
  return body;
}

// Writes lines 0 .. count-1, as `line(i)` gives them, into a new temporary
// file `name`, one at a time (a driver of a long loop is never held whole);
// false, with a message naming the file and the reason, when it cannot be
// created or written whole.
template <typename LineAt>
bool write_loop_file(Session& s, const std::string& name, size_t count, LineAt line) {
  int error = 0;
  std::FILE* fp = s.create_temp_file(name, error);
  for (size_t i = 0; fp && error == 0 && i < count; ++i) {
    errno = 0;
    if (std::fputs(line(i).c_str(), fp) == EOF || std::fputc('\n', fp) == EOF)
      error = errno ? errno : EIO;
  }
  errno = 0;
  if (fp && std::fclose(fp) != 0 && error == 0) error = errno ? errno : EIO;
  if (error == 0) return true;
  OutBuffer& err = s.err();
  err.put("Cannot write the loop file ");
  err.put(name);
  err.put(": ");
  err.put(error == EEXIST ? "it exists and was not made by this run" : std::strerror(error));
  err.line("; the loop does not run.");
  if (fp) std::remove(name.c_str());
  return false;
}

void cmd_loop(Session& s, Params& p) {
  int count = to_int(getparm(p));
  if (s.run.sandbox) count = std::min(count, kSandboxLoopCount);
  const int unit = s.units.input_unit;
  std::vector<std::string> body = read_loop_body(s);
  // A count below 1 runs nothing: the body was read, and is dropped.
  if (count < 1) return;
  const std::string body_name = loop_file_name(s, 'a', unit);
  const std::string driver_name = loop_file_name(s, 'b', unit);
  if (!write_loop_file(s, body_name, body.size(), [&](size_t i) { return body[i]; })) return;
  // Per pass the counter, then the body; then the body goes and the driver
  // leaves and goes.
  const size_t passes = static_cast<size_t>(count);
  auto driver_line = [&](size_t i) -> std::string {
    if (i < 2 * passes)
      return i % 2 == 0 ? "$loop=" + free_int(static_cast<long long>(i / 2 + 1))
                        : "commandfile/nostamp " + body_name;
    return i == 2 * passes ? "delete " + body_name : "return/delete";
  };
  if (!write_loop_file(s, driver_name, 2 * passes + 2, driver_line)) {
    std::remove(body_name.c_str());
    return;
  }
  push_command(s.stream, "commandfile/nostamp " + driver_name, kVerbatim);
}

// True when the label line (without its "#") begins with `label`, upper case.
bool label_matches(std::string_view line, std::string_view label) {
  if (line.empty() || line[0] != '#') return false;
  std::string head(line.substr(1, label.size()));
  upcase(head, head.size());
  return head == label;
}

void cmd_goto(Session& s, Params& p) {
  std::string label = getcparm(p);
  s.cs.comfile = label;
  const int unit = s.units.input_unit;
  if (unit <= 30) {
    s.err().put("Could not find label: ");
    s.err().line(trimmed(label));
    return;
  }
  if (s.run.sandbox && ++s.run.jumps > kSandboxJumps) return;
  const size_t level = static_cast<size_t>(unit - kFirstFileUnit);
  std::FILE* fp = level < s.stream.files.size() ? s.stream.files[level].fp : nullptr;
  std::string wanted = label;
  upcase(wanted, wanted.size());
  if (fp) {
    std::rewind(fp);
    long& count = s.stream.files[level].line;  // the file's line number follows the search
    count = 0;
    std::string line;
    while (read_line(fp, line)) {
      ++count;
      if (label_matches(line, wanted)) return;
    }
  }
  // Not in this file: leave it, then look again in the file that called it.
  push_command(s.stream, "GOTO " + label, kVerbatim);
  push_command(s.stream, "RETURN");
}

constexpr Command kLoopCommands[] = {
    {"GOTO", cmd_goto},
    {"LOOP", cmd_loop},
};

}  // namespace

std::span<const Command> loop_commands() { return kLoopCommands; }

}  // namespace vexal
