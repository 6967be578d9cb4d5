// The pending-command stack and line reading.
#include "interp/command_stream.h"

#include <unistd.h>

#include <algorithm>

#include "util/text.h"

namespace vexal {

namespace {
PendingLine cut_line(std::string_view line, Queued how) {
  PendingLine p{std::string(trimmed(line.substr(0, std::min(line.size(), kLineWidth)))), how};
  p.how.split_end = std::min(p.how.split_end, p.text.size());
  p.how.substitute_end = std::min(p.how.substitute_end, p.text.size());
  return p;
}
}  // namespace

void close_command_file(CommandFile& f) {
  if (f.fp && f.fp != f.kept.holder) std::fclose(f.fp);
  if (f.kept.holder) std::fclose(f.kept.holder);
  f.fp = nullptr;
  f.kept.holder = nullptr;
}

CommandStream::~CommandStream() {
  for (LoopDriver& d : loop_drivers) std::fclose(d.out);
  close_command_file(spare);
  for (CommandFile& f : files) close_command_file(f);
}

KeptFile keep_file(std::FILE* fp, std::string_view head) {
  KeptFile k;
  struct stat st;
  if (head.size() > kKeptFileSize || ::fstat(fileno(fp), &st) != 0 || !S_ISREG(st.st_mode) ||
      static_cast<size_t>(st.st_size) != head.size())
    return k;
  k.holder = fp;
  k.dev = st.st_dev;
  k.ino = st.st_ino;
  k.text.assign(head.begin(), head.end());
  return k;
}

void keep_spare(CommandStream& cs, CommandFile&& f) {
  close_command_file(cs.spare);
  if (!f.kept.holder) {
    close_command_file(f);
    return;
  }
  if (f.fp != f.kept.holder) std::fclose(f.fp);
  f.fp = nullptr;
  cs.spare = std::move(f);
  f.kept.holder = nullptr;
}

bool take_spare(CommandStream& cs, const std::string& name, CommandFile& out) {
  CommandFile& sp = cs.spare;
  if (!sp.kept.holder || sp.name != name) return false;
  // The name still leads to the file held open, and the file still holds its
  // text (a file rewritten in place within one tick of the clock keeps its
  // time stamps, so the text itself is compared).
  const KeptFile& k = sp.kept;
  struct stat st;
  char text[kKeptFileSize + 1];
  const size_t n = k.text.size();
  const bool same = ::stat(name.c_str(), &st) == 0 && st.st_dev == k.dev && st.st_ino == k.ino &&
                    ::pread(fileno(k.holder), text, sizeof text, 0) == static_cast<ssize_t>(n) &&
                    std::equal(k.text.begin(), k.text.end(), text);
  // An empty file needs no stream over its text: it ends at once.
  std::FILE* fp =
      same ? (n > 0 ? fmemopen(sp.kept.text.data(), n, "r") : std::fopen("/dev/null", "r"))
           : nullptr;
  if (!fp) {
    close_command_file(sp);
    sp = CommandFile{};
    return false;
  }
  out = std::move(sp);
  out.fp = fp;
  out.line = 0;
  sp = CommandFile{};
  return true;
}

void push_command(CommandStream& cs, std::string_view line, Queued how) {
  if (static_cast<int>(cs.pending.size()) >= kMaxPending) cs.pending.pop_back();
  cs.pending.push_front(cut_line(line, how));
}

void append_command(CommandStream& cs, std::string_view line, Queued how) {
  if (static_cast<int>(cs.pending.size()) >= kMaxPending) cs.pending.pop_back();
  cs.pending.push_back(cut_line(line, how));
}

void insert_command(CommandStream& cs, int position, std::string_view line, Queued how) {
  if (static_cast<int>(cs.pending.size()) >= kMaxPending) cs.pending.pop_back();
  size_t at = position < 1 ? 0 : static_cast<size_t>(position - 1);
  if (at > cs.pending.size()) at = cs.pending.size();
  cs.pending.insert(cs.pending.begin() + static_cast<long>(at), cut_line(line, how));
}

bool read_unit_line(CommandStream& cs, int unit, std::string& out, size_t width, size_t* length) {
  const size_t level = static_cast<size_t>(unit - kFirstFileUnit);
  if (unit < kFirstFileUnit || level >= cs.files.size()) {
    out.clear();
    return false;
  }
  CommandFile& f = cs.files[level];
  const bool got = read_line(f.fp, out, width, length);
  if (got) ++f.line;
  return got;
}

}  // namespace vexal
