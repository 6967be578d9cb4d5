// The pending-command stack and line reading.
#include "interp/command_stream.h"

#include "util/text.h"

namespace vexal {

namespace {
std::string cut_line(std::string_view line) {
  return std::string(trimmed(line.substr(0, std::min(line.size(), kLineWidth))));
}
}  // namespace

void push_command(CommandStream& cs, std::string_view line) {
  if (static_cast<int>(cs.pending.size()) >= kMaxPending) cs.pending.pop_back();
  cs.pending.push_front(cut_line(line));
}

void append_command(CommandStream& cs, std::string_view line) {
  if (static_cast<int>(cs.pending.size()) >= kMaxPending) cs.pending.pop_back();
  cs.pending.push_back(cut_line(line));
}

void insert_command(CommandStream& cs, int position, std::string_view line) {
  if (static_cast<int>(cs.pending.size()) >= kMaxPending) cs.pending.pop_back();
  size_t at = position < 1 ? 0 : static_cast<size_t>(position - 1);
  if (at > cs.pending.size()) at = cs.pending.size();
  cs.pending.insert(cs.pending.begin() + static_cast<long>(at), cut_line(line));
}

bool read_unit_line(const CommandStream& cs, int unit, std::string& out, size_t width) {
  if (unit <= 30) return read_line(cs.terminal, out, width);
  size_t level = static_cast<size_t>(unit - kFirstFileUnit);
  if (level >= cs.files.size()) {
    out.clear();
    return false;
  }
  return read_line(cs.files[level].fp, out, width);
}

}  // namespace vexal
