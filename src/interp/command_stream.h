// The command input stream: the pending-command stack, read first, and
// behind it the current command-input unit (the terminal or a command file).
#pragma once

#include <sys/stat.h>

#include <cstdio>
#include <ctime>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "util/files.h"

namespace vexal {

inline constexpr int kMaxPending = 500;  // lines the pending-command stack holds
inline constexpr int kFirstFileUnit = 31;
inline constexpr int kMaxFileNesting =
    250;  // command files open at once (a file calling itself stops here)

// The unit record: unit numbers and the verbose/debug flags.
struct Units {
  int stdin_unit = 5;  // terminal input
  int term_unit = 6;   // prompts, echo, listings
  int input_unit = 5;  // where the next command line is read from
  int err_unit = 0;    // error and warning messages (6 with -E)
  int verbose = 1;     // prompt, echo of command-file lines, banner, value print-outs
  int debug = 0;       // echo of every command line before it runs
  // --where: each line on the error unit from a command file begins with
  // "file:line: "; --strict: anything written there fails the run.
  bool where = false;
  bool strict = false;
  size_t echoed_errors = 0;  // bytes ECHOERR wrote there: the user's own, not errors
};

inline constexpr size_t kKeptFileSize = 4096;  // largest command file kept for running again

// A small regular command file kept for running again: the open file (to look
// at its text again) and its whole text when it was opened.
struct KeptFile {
  std::FILE* holder = nullptr;  // null: the file is not kept
  dev_t dev = 0;
  ino_t ino = 0;
  std::vector<char> text;  // on the heap, so that a stream over it survives moves
};

// A command file open on unit kFirstFileUnit + its position in the list.
struct CommandFile {
  std::FILE* fp = nullptr;  // the stream read: the file, or a stream over its kept text
  std::string name;
  KeptFile kept;
  long line = 0;           // lines read from it so far: the number of the last one
  size_t block_depth = 0;  // IF blocks open when the file was entered
};

// Closes the stream read and the kept file.
void close_command_file(CommandFile& f);

// How much of a queued line is still to be read as typed. The stream splits
// a line at ";" and removes the escapes of ";" only before `split_end`, and
// substitution works only before `substitute_end`; the text after them was
// split or substituted already, or is data (a label, a variable's value, a
// file's text), and reads back exactly as it was queued.
struct Queued {
  size_t split_end = std::string::npos;
  size_t substitute_end = std::string::npos;
};
inline constexpr Queued kTyped{};         // processed in full, as a line the user typed
inline constexpr Queued kVerbatim{0, 0};  // read back exactly as queued

// A line waiting on the stack.
struct PendingLine {
  std::string text;       // cut at 256 characters, trailing blanks removed
  Queued how;             // offsets within `text`, at most its length
  int synonym_chain = 0;  // synonym expansions that made it, pieces after ";" included
};

// A loop driver written a block of passes at a time, so that a long loop's
// driver is never written whole: when reading reaches the end of the passes
// written, the next block replaces them.
struct LoopDriver {
  std::string name;          // the driver file
  std::string body_name;     // the body file each pass runs
  std::FILE* out = nullptr;  // the driver, open for writing since this run created it
  dev_t dev = 0;             // the driver's identity: only the file read under
  ino_t ino = 0;             // it is extended, never a file swapped in for it
  long long next_pass = 1;   // the first pass not yet written
  long long passes = 0;      // passes asked for
};

struct CommandStream {
  std::deque<PendingLine> pending;  // line 1 (front) runs next; at most kMaxPending
  std::vector<CommandFile> files;   // nested command files, unit 31 first
  std::FILE* terminal = nullptr;    // the standard-input unit's stream
  bool terminal_is_null = false;    // replaced by /dev/null after command-file arguments
  bool prompt = true;               // "$VEXAL: " before terminal reads (off for scripted input)
  bool allow_commands_in_data = true;
  // Set when the end of an input produced the line being run: "QUIT" at the
  // terminal, "RETURN" at the end of a command file. Such a line is the
  // stream's own and is never renamed by a synonym.
  bool generated_end = false;
  std::string read_buffer;  // reused to avoid an allocation per line
  // The last small command file a plain RETURN left, kept open: a loop runs
  // its body file once per pass, and a file that still holds the same text
  // is run again from that text instead of being opened and read anew.
  CommandFile spare;
  std::vector<LoopDriver> loop_drivers;  // drivers with passes still to write

  CommandStream() = default;
  CommandStream(const CommandStream&) = delete;
  CommandStream& operator=(const CommandStream&) = delete;
  ~CommandStream();
};

// The file open on `fp` kept for running again when it is a regular file
// whose whole text is `head` (its first bytes, up to kKeptFileSize + 1, read
// from its start) and fits kKeptFileSize; otherwise nothing is kept.
KeptFile keep_file(std::FILE* fp, std::string_view head);
// Ends the reading of `f` (RETURN): a kept file becomes the spare (the spare
// before it is closed); any other is closed.
void keep_spare(CommandStream& cs, CommandFile&& f);
// The spare as a command file to read from its start, when it is the file
// `name` and that file still holds the text it had when it was opened; it is
// then read from the kept text without touching the file again. False
// otherwise (and the spare is closed when it is `name`).
bool take_spare(CommandStream& cs, const std::string& name, CommandFile& out);

// Puts a line in front of the stack; a full stack loses its last line. A
// line built from text that was substituted already or taken from data is
// queued kVerbatim, so that a ";" or a reference in that text stays text.
void push_command(CommandStream& cs, std::string_view line, Queued how = kTyped);
// Puts a line behind the others; a full stack has its last line overwritten.
void append_command(CommandStream& cs, std::string_view line, Queued how = kTyped);
// Inserts a line at 1-based `position`; a full stack loses its last line.
void insert_command(CommandStream& cs, int position, std::string_view line, Queued how = kTyped);

// Reads one line straight from the command file open on `unit`, not from the
// pending stack and without substitution; false at its end, and for a unit
// with no file (the terminal's lines come through Session::read_terminal_line).
// `length` (when given) receives the line's length before the cut.
bool read_unit_line(CommandStream& cs, int unit, std::string& out, size_t width = 256,
                    size_t* length = nullptr);

}  // namespace vexal
