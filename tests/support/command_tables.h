// A check every subsystem's command table gets: no name twice, every name a
// command name of the language, and the merged table dispatching each name
// to this table's handler.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "interp/command_table.h"

namespace vexal {

// Runs the checks as test expectations; returns the number of names.
size_t expect_dispatched_here(std::span<const Command> table);

// Every command name of the language, as tests/support/command_names.txt lists them.
const std::vector<std::string>& language_command_names();

}  // namespace vexal
