// File-system questions, reading only regular files, writing output
// without following links, and scratch files created exclusively.
#include "util/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>

namespace vexal {

bool file_exists(const std::string& name) {
  struct stat st;
  return !name.empty() && ::stat(name.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool read_line(std::FILE* fp, std::string& out, size_t width, size_t* length) {
  out.clear();
  if (!fp) return false;
  int c, last = EOF;
  bool any = false;
  size_t n = 0;  // characters before the line end
  // The program reads each stream from one thread: no stream lock per character.
  while ((c = getc_unlocked(fp)) != EOF) {
    any = true;
    if (c == '\n') break;
    ++n;
    last = c;
    if (out.size() < width + 1) out.push_back(static_cast<char>(c));
  }
  if (!any) return false;
  if (length) *length = n - (last == '\r' ? 1 : 0);
  if (!out.empty() && out.back() == '\r') out.pop_back();
  if (out.size() > width) out.resize(width);
  return true;
}

int open_regular(const std::string& name, bool* not_regular) {
  if (not_regular) *not_regular = false;
  struct stat st;
  if (name.empty() || ::stat(name.c_str(), &st) != 0) return -1;
  // Checked again on what was opened: the name may change meanwhile, and
  // O_NONBLOCK keeps the open of a FIFO from waiting for a writer.
  int fd =
      S_ISREG(st.st_mode) ? ::open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY) : -1;
  if (fd >= 0 && (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))) {
    ::close(fd);
    fd = -1;
  }
  if (fd < 0) {
    if (not_regular) *not_regular = !S_ISREG(st.st_mode);
    return -1;
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  return fd;
}

namespace {

// The absolute name of `name` with every link and "." or ".." resolved;
// empty when that fails, with errno telling why.
std::string resolved(const std::string& name) {
  char* path = ::realpath(name.c_str(), nullptr);
  if (!path) return "";
  std::string out(path);
  std::free(path);
  return out;
}

}  // namespace

ReadScope::ReadScope(const std::vector<std::string>& folders) : confined_(true) {
  for (const std::string& folder : folders) {
    std::string path = resolved(folder);
    if (path.empty()) continue;
    if (path == "/") path.clear();  // the whole tree: every name is below ""
    folders_.push_back(std::move(path));
  }
}

bool ReadScope::allows(const std::string& name) const {
  if (!confined_) return true;
  if (name.empty() || name.find('\0') != std::string::npos) return false;
  errno = 0;
  const std::string path = resolved(name);
  if (path.empty()) return errno == ENOENT || errno == ENOTDIR;
  return std::any_of(folders_.begin(), folders_.end(), [&](const std::string& folder) {
    return path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 &&
           path[folder.size()] == '/';
  });
}

std::FILE* fopen_regular(const std::string& name, bool* not_regular) {
  const int fd = open_regular(name, not_regular);
  if (fd < 0) return nullptr;
  std::FILE* fp = ::fdopen(fd, "rb");
  if (!fp) ::close(fd);
  return fp;
}

std::FILE* fopen_output(const std::string& name, OutputRefusal* refusal,
                        std::span<const FileId> in_use) {
  OutputRefusal why = OutputRefusal::kNone;
  std::FILE* fp = nullptr;
  if (name.find('\0') != std::string::npos) {
    why = OutputRefusal::kNulByte;
  } else if (!name.empty()) {
    // O_NONBLOCK makes the open of a FIFO without a reader fail at once
    // instead of waiting; writes then block again as on any file. The file
    // is emptied only once it is known not to be one in use.
    const int fd = ::open(
        name.c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC | O_NONBLOCK, 0666);
    struct stat st;
    if (fd < 0) {
      // ELOOP also comes from a loop of links in the folders of the name:
      // only a link in the last place is reported as such.
      if (errno == ELOOP && ::lstat(name.c_str(), &st) == 0 && S_ISLNK(st.st_mode))
        why = OutputRefusal::kSymbolicLink;
    } else if (::fstat(fd, &st) == 0 && std::find(in_use.begin(), in_use.end(),
                                                  FileId{st.st_dev, st.st_ino}) != in_use.end()) {
      why = OutputRefusal::kInUse;
      ::close(fd);
    } else if (S_ISREG(st.st_mode) && ::ftruncate(fd, 0) != 0) {
      ::close(fd);
    } else {
      ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
      fp = ::fdopen(fd, "w");
      if (!fp) ::close(fd);
    }
  }
  if (refusal) *refusal = why;
  return fp;
}

std::string_view refusal_text(OutputRefusal refusal) {
  switch (refusal) {
    case OutputRefusal::kSymbolicLink:
      return ": it is a symbolic link";
    case OutputRefusal::kInUse:
      return ": it is the document or a command file in use";
    case OutputRefusal::kNulByte:
      return ": the name holds a NUL byte";
    case OutputRefusal::kNone:
      break;
  }
  return "";
}

std::vector<std::pair<dev_t, ino_t>>::const_iterator CreatedFiles::find(
    const std::string& name) const {
  struct stat st;
  if (::lstat(name.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return created_.end();
  return std::find(created_.begin(), created_.end(), std::pair{st.st_dev, st.st_ino});
}

bool CreatedFiles::replaceable(const std::string& name) const {
  struct stat st;
  return (::lstat(name.c_str(), &st) != 0 && errno == ENOENT) || find(name) != created_.end();
}

bool CreatedFiles::made(const std::string& name) const { return find(name) != created_.end(); }

bool CreatedFiles::made(int fd) const {
  struct stat st;
  return ::fstat(fd, &st) == 0 && std::find(created_.begin(), created_.end(),
                                            std::pair{st.st_dev, st.st_ino}) != created_.end();
}

std::FILE* CreatedFiles::create(const std::string& name) {
  if (name.empty()) {
    errno = ENOENT;
    return nullptr;
  }
  // Unlinking removes a link that took the place of our file, never its
  // target; the exclusive create then fails on anything put there since.
  if (auto at = find(name); at != created_.end()) {
    ::unlink(name.c_str());
    created_.erase(at);
  }
  const int fd =
      ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY, 0666);
  if (fd < 0) return nullptr;
  struct stat st;
  if (::fstat(fd, &st) == 0) created_.emplace_back(st.st_dev, st.st_ino);
  std::FILE* fp = ::fdopen(fd, "w");
  if (!fp) ::close(fd);
  return fp;
}

}  // namespace vexal
