// The command input stream: the pending-command stack, read first, and
// behind it the current command-input unit (the terminal or a command file).
#pragma once

#include <cstdio>
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
};

// A command file open on unit kFirstFileUnit + its position in the list.
struct CommandFile {
  std::FILE* fp = nullptr;
  std::string name;
};

struct CommandStream {
  std::deque<std::string> pending;  // line 1 (front) runs next; at most kMaxPending
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
};

// Puts a line in front of the stack; a full stack loses its last line.
void push_command(CommandStream& cs, std::string_view line);
// Puts a line behind the others; a full stack has its last line overwritten.
void append_command(CommandStream& cs, std::string_view line);
// Inserts a line at 1-based `position`; a full stack loses its last line.
void insert_command(CommandStream& cs, int position, std::string_view line);

// Reads one line straight from the command-input unit `unit` (the terminal
// at 30 or below, else the nested command file), not from the pending stack
// and without substitution; false at the end of input.
bool read_unit_line(const CommandStream& cs, int unit, std::string& out, size_t width = 256);

}  // namespace vexal
