// File-system questions the interpreter asks, and the safe ways of opening
// the files it reads, the output files it writes and its scratch files.
#pragma once

#include <sys/types.h>

#include <cstdio>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vexal {

// True when `name` names an existing regular file.
bool file_exists(const std::string& name);
// Reads one line (cut at `width`, line end and a trailing CR removed) from
// `fp` into `out`; false at end of input. `length` (when given) receives the
// line's length before the cut.
bool read_line(std::FILE* fp, std::string& out, size_t width = 256, size_t* length = nullptr);

// Opens `name` read-only when it is a regular file. Anything else (a
// directory, a device, a FIFO) is refused without reading from it, and
// without blocking even when a FIFO takes the name between the check and
// the open. Returns the descriptor, or -1 with `*not_regular` (when given)
// telling whether the name exists but is not a regular file.
int open_regular(const std::string& name, bool* not_regular = nullptr);
// The same as a stdio stream for reading; null when refused.
std::FILE* fopen_regular(const std::string& name, bool* not_regular = nullptr);

// The folders a run may read files from: any, or (--sandbox) only those
// given and what lies below them, judged on the name with every symbolic
// link in it followed.
class ReadScope {
 public:
  ReadScope() = default;  // any file may be read
  // Only files within `folders`; a folder that cannot be resolved adds none.
  explicit ReadScope(const std::vector<std::string>& folders);
  bool confined() const { return confined_; }
  // True when `name` may be read: the scope is not confined, the name lies
  // within one of its folders once resolved, or the name leads to nothing
  // (opening it then fails on its own).
  bool allows(const std::string& name) const;

 private:
  bool confined_ = false;
  std::vector<std::string> folders_;  // absolute, resolved, without a trailing "/"
};

// Opens `name` to write the user's output (a listing, a command file): a
// regular file is created or emptied, a device such as /dev/null is written
// as it is, a FIFO only when something reads it (the open never waits).
// A symbolic link in the last place of the name is never followed, so that
// a link planted under a name the run writes cannot send the output to its
// target, and a file in `in_use` (the document, a command file being run)
// is left untouched. Null when it cannot be opened; `*refusal` (when given)
// then tells why, when it was one of those (or a name holding a NUL byte,
// which is refused rather than cut).
enum class OutputRefusal { kNone, kSymbolicLink, kInUse, kNulByte };
struct FileId {
  dev_t dev = 0;
  ino_t ino = 0;
  bool operator==(const FileId&) const = default;
};
std::FILE* fopen_output(const std::string& name, OutputRefusal* refusal = nullptr,
                        std::span<const FileId> in_use = {});
// The words a message adds after the name for a refusal (": it is a
// symbolic link", ...); empty for kNone.
std::string_view refusal_text(OutputRefusal refusal);

// The scratch files a run has created, by identity. A scratch file is
// always created new; the run may replace a file it created itself, but
// never writes through anything else found under the name (a planted file,
// a symbolic link).
class CreatedFiles {
 public:
  // Creates `name` as a new, empty file open for writing. An earlier file
  // this run created under the name is removed first. Null when it cannot
  // be created; errno is then EEXIST when something else is in the way.
  std::FILE* create(const std::string& name);
  // True when nothing has the name, or only a file this run created: a
  // rename onto the name replaces nobody else's file.
  bool replaceable(const std::string& name) const;
  // True when the open file `fd`, or the file under `name` (a link under it
  // never followed), is one this run created.
  bool made(int fd) const;
  bool made(const std::string& name) const;

 private:
  // The entry of the file under `name` when this run created it.
  std::vector<std::pair<dev_t, ino_t>>::const_iterator find(const std::string& name) const;

  std::vector<std::pair<dev_t, ino_t>> created_;  // device and inode of each file created
};

}  // namespace vexal
