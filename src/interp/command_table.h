// The command names and their lookup: the first name a line begins with,
// longest name first, found by binary search in one sorted table.
#pragma once

#include <span>
#include <string_view>
#include <vector>

namespace vexal {

struct Session;
struct Params;

using Handler = void (*)(Session&, Params&);

struct Command {
  std::string_view name;
  Handler handler;
};

// The handler of a command that sets one setting to a fixed value (a flag
// on or off): `Path` leads from the session to the setting, member by
// member, as in cmd_set<true, &Session::reader, &ReaderSettings::swap_binary>.
template <auto Value, auto... Path>
void cmd_set(Session& s, Params&) {
  (s.*....*Path) = Value;
}

// The commands of each subsystem, with their handlers; each name is in one table.
std::span<const Command> interp_commands();
std::span<const Command> loop_commands();
std::span<const Command> pen_commands();
std::span<const Command> text_commands();
std::span<const Command> number_commands();
std::span<const Command> math_commands();
std::span<const Command> data_commands();
std::span<const Command> curve_commands();
std::span<const Command> axes_commands();
std::span<const Command> shape_commands();
std::span<const Command> array_commands();
std::span<const Command> threed_commands();
std::span<const Command> netcdf_commands();
std::span<const Command> transform_commands();
// Every subsystem's table above, in the order they are merged.
std::vector<std::span<const Command>> subsystem_commands();

// The merged, sorted table.
class CommandTable {
 public:
  CommandTable();
  // The command whose name is the longest prefix of `line` (the command word
  // upper-cased), or nullptr.
  const Command* find(std::string_view line) const;
  std::span<const Command> commands() const { return table_; }

 private:
  std::vector<Command> table_;
  size_t longest_ = 0;
};

// The one table of the program (built once; it holds no run state).
const CommandTable& command_table();

}  // namespace vexal
