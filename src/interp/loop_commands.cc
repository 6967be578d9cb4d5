// Loops and jumps: LOOP writes its body and a driver into two temporary
// command files and runs the driver; GOTO moves the read position of the
// current command file to a label line, searching outward through the
// files that called it.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "interp/command_table.h"
#include "interp/loop.h"
#include "interp/params.h"
#include "interp/session.h"
#include "util/free_format.h"
#include "util/numbers.h"
#include "util/text.h"

namespace vexal {

namespace {

constexpr int kBoundedLoopCount = 10;  // passes of one loop for untrusted input
constexpr int kBoundedJumps = 1000;    // GOTOs in a run for untrusted input

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

// Reports a loop file that could not be made or written, and removes it
// when this run made it.
void loop_file_failed(Session& s, const std::string& name, int error, std::string_view outcome,
                      bool made) {
  OutBuffer& err = s.err();
  err.put("Cannot write the loop file ");
  err.put(name);
  err.put(": ");
  err.put(error == EEXIST ? "it exists and was not made by this run" : std::strerror(error));
  err.line(outcome);
  if (made) std::remove(name.c_str());
}

// Writes `lines` into a new temporary file `name`; false, with a message
// naming the file and the reason, when it cannot be created or written whole.
bool write_body_file(Session& s, const std::string& name, const std::vector<std::string>& lines) {
  int error = 0;
  std::FILE* fp = s.create_temp_file(name, error);
  for (size_t i = 0; fp && error == 0 && i < lines.size(); ++i) {
    errno = 0;
    if (std::fputs(lines[i].c_str(), fp) == EOF || std::fputc('\n', fp) == EOF)
      error = errno ? errno : EIO;
  }
  errno = 0;
  if (fp && std::fclose(fp) != 0 && error == 0) error = errno ? errno : EIO;
  if (error == 0) return true;
  loop_file_failed(s, name, error, "; the loop does not run.", fp != nullptr);
  return false;
}

// Passes a driver holds at a time: a loop of a billion passes writes about
// 50 kB ahead of the pass it runs, not 50 GB before the first.
constexpr long long kPassesPerBlock = 1000;

// Writes the driver's next block at the start of `d.out`: per pass the
// counter, then the body; after the last pass, the body goes and the driver
// leaves and goes. Returns 0 or the errno of the write that failed.
int write_driver_block(LoopDriver& d) {
  std::FILE* fp = d.out;
  const long long last = std::min(d.passes, d.next_pass + kPassesPerBlock - 1);
  std::string block;
  for (long long i = d.next_pass; i <= last; ++i) {
    block += "$loop=" + free_int(i) + "\n";
    block += "commandfile/nostamp " + d.body_name + "\n";
  }
  if (last == d.passes) block += "delete " + d.body_name + "\nreturn/delete\n";
  d.next_pass = last + 1;
  errno = 0;
  if (std::fseek(fp, 0, SEEK_SET) != 0 || ::ftruncate(fileno(fp), 0) != 0 ||
      std::fwrite(block.data(), 1, block.size(), fp) != block.size() || std::fflush(fp) != 0)
    return errno ? errno : EIO;
  return 0;
}

// Forgets the driver at `at`, closing its file.
void drop_driver(CommandStream& cs, std::vector<LoopDriver>::iterator at) {
  std::fclose(at->out);
  cs.loop_drivers.erase(at);
}

// LOOP n: the largest count a loop takes; a larger one is refused.
constexpr double kMaxLoopCount = 2147483647;

void cmd_loop(Session& s, Params& p) {
  const double asked = getparm(p);
  int count = to_int(asked);
  if (s.run.bounded) count = std::min(count, kBoundedLoopCount);
  const int unit = s.units.input_unit;
  std::vector<std::string> body = read_loop_body(s);
  if (asked > kMaxLoopCount) {
    char text[400];
    std::snprintf(text, sizeof text,
                  "LOOP: a count of %.0f is more than 2147483647 passes; the loop does not run.",
                  asked);
    s.err().line(text);
    return;
  }
  // A count below 1 runs nothing: the body was read, and is dropped.
  if (count < 1) return;
  const std::string body_name = loop_file_name(s, 'a', unit);
  const std::string driver_name = loop_file_name(s, 'b', unit);
  // A loop left by a GOTO may have left its driver at this level unfinished.
  auto& drivers = s.stream.loop_drivers;
  for (auto it = drivers.begin(); it != drivers.end(); ++it)
    if (it->name == driver_name) {
      drop_driver(s.stream, it);
      break;
    }
  if (!write_body_file(s, body_name, body)) return;
  int error = 0;
  LoopDriver d{driver_name, body_name, s.create_temp_file(driver_name, error), 0, 0, 1, count};
  if (d.out) error = write_driver_block(d);
  struct stat st;
  if (d.out && error == 0 && d.next_pass <= d.passes) {
    if (::fstat(fileno(d.out), &st) == 0) {
      d.dev = st.st_dev;
      d.ino = st.st_ino;
      drivers.push_back(d);
      d.out = nullptr;
    } else {
      error = errno;
    }
  }
  errno = 0;
  if (d.out && std::fclose(d.out) != 0 && error == 0) error = errno ? errno : EIO;
  if (error != 0) {
    loop_file_failed(s, driver_name, error, "; the loop does not run.", error != EEXIST);
    std::remove(body_name.c_str());
    return;
  }
  push_command(s.stream, "commandfile/nostamp " + driver_name, kVerbatim);
}

// How a command-file line changes the IF nesting: +1 for each IF, -1 for
// each ENDIF, over the pieces between its ";" separators.
long block_change(std::string_view line) {
  long change = 0;
  size_t start = 0;
  for (size_t i = 0; i <= line.size(); ++i) {
    if (i < line.size() &&
        (line[i] != ';' || (i > 0 && (line[i - 1] == '\\' || line[i - 1] == '|'))))
      continue;
    std::string word(nolead(line.substr(start, i - start)));
    upcase(word, 5);
    if (word.starts_with("ENDIF"))
      --change;
    else if (word.starts_with("IF"))
      ++change;
    start = i + 1;
  }
  return change;
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
  if (label.empty()) return;  // the parameter warning said so
  const int unit = s.units.input_unit;
  if (unit < kFirstFileUnit) {
    s.err().put("Could not find label: ");
    s.err().line(trimmed(label));
    return;
  }
  if (s.run.bounded && ++s.run.jumps > kBoundedJumps) return;
  const size_t level = static_cast<size_t>(unit - kFirstFileUnit);
  std::FILE* fp = level < s.stream.files.size() ? s.stream.files[level].fp : nullptr;
  std::string wanted = label;
  upcase(wanted, wanted.size());
  if (fp) {
    std::rewind(fp);
    CommandFile& f = s.stream.files[level];
    long& count = f.line;  // the file's line number follows the search
    count = 0;
    long nesting = 0;  // blocks open at the line read, counted from the file's top
    std::string line;
    while (read_line(fp, line)) {
      ++count;
      if (label_matches(line, wanted)) {
        // The jump closes the blocks of this file that do not hold the label.
        s.blocks.close_to(
            static_cast<size_t>(std::max(0L, static_cast<long>(f.block_depth) + nesting)));
        return;
      }
      nesting += block_change(line);
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

bool extend_loop_driver(Session& s, CommandFile& f) {
  auto& drivers = s.stream.loop_drivers;
  struct stat st;
  if (drivers.empty() || !f.fp || ::fstat(fileno(f.fp), &st) != 0) return false;
  auto d = std::find_if(drivers.begin(), drivers.end(), [&](const LoopDriver& l) {
    return l.dev == st.st_dev && l.ino == st.st_ino;
  });
  if (d == drivers.end()) return false;
  const long long done = d->next_pass - 1;
  if (const int error = write_driver_block(*d); error != 0) {
    loop_file_failed(s, d->name, error, "; the loop stops after pass " + std::to_string(done) + ".",
                     true);
    std::remove(d->body_name.c_str());
    drop_driver(s.stream, d);
    return false;
  }
  if (d->next_pass > d->passes) drop_driver(s.stream, d);
  std::rewind(f.fp);
  return true;
}

}  // namespace vexal
