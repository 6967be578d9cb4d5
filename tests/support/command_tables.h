// A check every subsystem's command table gets: no name twice, every name
// with an entry in the command reference, and the merged table dispatching
// each name to this table's handler.
#pragma once

#include <span>

#include "interp/command_table.h"

namespace vexal {

// Runs the checks as test expectations; returns the number of names.
size_t expect_dispatched_here(std::span<const Command> table);

}  // namespace vexal
