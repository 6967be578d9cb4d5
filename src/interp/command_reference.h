// The command reference compiled into the program: for every command name its
// parameters and a one-line effect, read by HELP name.
#pragma once

#include <string_view>
#include <vector>

namespace vexal {

struct CommandEntry {
  std::string_view name;    // the command name, upper case, as in the command table
  std::string_view params;  // its parameters, for example "nx ny" or "[file]"; may be empty
  std::string_view effect;  // what it does, one short line
};

// Every entry of the reference, in the order of the text (grouped by
// subsystem). The views point into the compiled-in text and stay valid for
// the whole run.
const std::vector<CommandEntry>& command_reference();

// The entries whose names begin with `prefix` (compared exactly, so the caller
// upper-cases it), sorted by name; all entries for an empty prefix.
std::vector<CommandEntry> commands_beginning(std::string_view prefix);

// Parses reference text: one entry per line NAME<TAB>PARAMETERS<TAB>EFFECT;
// lines that are empty or begin with "#" are skipped, and a line without two
// tabs gives an entry with the missing fields empty. Exposed for the tests.
std::vector<CommandEntry> parse_command_reference(std::string_view text);

}  // namespace vexal
