// The document converted by Ghostscript, run as a child process with an
// argument vector: no text of the user's passes through a shell.
#include "interp/convert.h"

#include <dirent.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "interp/child_signals.h"

extern char** environ;

namespace vexal {

namespace {

// A path as Ghostscript takes it literally: a relative one starts with "./",
// so that a name beginning with "-", "@" or "|" is not read as a switch, a
// response file or a pipe.
std::string literal_path(std::string_view path) {
  std::string out = path.starts_with('/') ? "" : "./";
  out += path;
  return out;
}

// An output path for -sOutputFile, where "%" starts a page-number format.
std::string output_file_path(std::string_view path) {
  std::string out;
  for (char c : literal_path(path)) {
    out += c;
    if (c == '%') out += '%';
  }
  return out;
}

std::string number(long long v) {
  char text[24];
  return std::string(text, std::to_chars(text, text + sizeof text, v).ptr);
}

// Ghostscript's arguments: the document converted into `out`, the output
// path without its ending.
std::vector<std::string> gs_arguments(const ConvertRequest& r, std::string_view out) {
  std::vector<std::string> args = {"gs", "-dSAFER", "-dBATCH", "-dNOPAUSE", "-q"};
  if (r.format == ConvertFormat::kPdf) {
    args.push_back("-sDEVICE=pdfwrite");
  } else {
    args.push_back("-sDEVICE=png16m");
    args.push_back("-r" + number(r.dpi));
  }
  // A fixed page: nothing in the document can ask for a larger one.
  const PageBox page = converted_page(r.box);
  args.push_back("-dDEVICEWIDTHPOINTS=" + number(page[2] - page[0]));
  args.push_back("-dDEVICEHEIGHTPOINTS=" + number(page[3] - page[1]));
  args.push_back("-dFIXEDMEDIA");
  std::string file = output_file_path(out);
  if (r.format == ConvertFormat::kPdf)
    file += ".pdf";
  else
    file += r.pages > 1 ? "-%d.png" : ".png";
  args.push_back("-sOutputFile=" + file);
  if (page[0] != 0 || page[1] != 0) {
    // The page's corner moves to the corner of the smaller page.
    args.push_back("-c");
    args.push_back("<</Install {" + number(-page[0]) + " " + number(-page[1]) +
                   " translate}>> setpagedevice");
    args.push_back("-f");
  }
  args.push_back(literal_path(r.source));
  return args;
}

// Runs Ghostscript with `args` and waits for it: "" when it succeeded,
// otherwise the reason.
std::string run_ghostscript(std::vector<std::string> args, const StopSignals& stop) {
  std::vector<char*> argv;
  for (std::string& w : args) argv.push_back(w.data());
  argv.push_back(nullptr);

  // Standard output may carry the document (-s): Ghostscript's messages go to
  // standard error, and it reads nothing.
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, STDERR_FILENO, STDOUT_FILENO);
  pid_t pid = 0;
  const ChildSignals signals;
  const int rc = posix_spawnp(&pid, "gs", &actions, signals.get(), argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) return std::string("Ghostscript (gs) could not be run: ") + std::strerror(rc);

  int status = 0;
  if (!wait_for_child(pid, status, stop))
    return std::string("waiting for Ghostscript failed: ") + std::strerror(errno);
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return "";
  if (WIFEXITED(status))
    return "Ghostscript failed with exit status " + number(WEXITSTATUS(status));
  return "Ghostscript was stopped by signal " + number(WTERMSIG(status));
}

// A folder made exclusively beside the output, which Ghostscript writes into:
// what it holds is this conversion's own, and goes with the folder. Being in
// the same folder as the output names, its files move there by rename.
class StagingFolder {
 public:
  // `dir` is "" for the current folder, else ends in "/".
  explicit StagingFolder(const std::string& dir) : dir_(dir) {
    std::string name = dir + ".vexal-convert-XXXXXX";
    if (::mkdtemp(name.data()))
      path_ = name + "/";
    else
      error_ = errno;
  }
  ~StagingFolder() {
    if (path_.empty()) return;
    for (const std::string& name : entries()) ::unlink((path_ + name).c_str());
    ::rmdir(path_.c_str());
  }
  StagingFolder(const StagingFolder&) = delete;
  StagingFolder& operator=(const StagingFolder&) = delete;

  const std::string& path() const { return path_; }  // "" when it could not be made
  int error() const { return error_; }               // why it could not be made

  // Moves every file in the folder to the same name in `dir`. Returns "" when
  // all moved; otherwise the reason, and the files moved so far are removed.
  std::string publish() {
    const std::vector<std::string> names = entries();
    // A folder in the way is found before any file moves, so that no file of
    // the name there before is replaced by a conversion that then fails.
    for (const std::string& name : names) {
      struct stat st;
      if (::lstat((dir_ + name).c_str(), &st) == 0 && S_ISDIR(st.st_mode))
        return moved_reason(name, EISDIR);
    }
    std::vector<std::string> moved;
    for (const std::string& name : names) {
      if (::rename((path_ + name).c_str(), (dir_ + name).c_str()) != 0) {
        const int error = errno;
        for (const std::string& done : moved) ::unlink((dir_ + done).c_str());
        return moved_reason(name, error);
      }
      moved.push_back(name);
    }
    return "";
  }

 private:
  std::string moved_reason(const std::string& name, int error) const {
    return "the converted file could not be named " + dir_ + name + ": " + std::strerror(error);
  }

  // The names of the files in the folder.
  std::vector<std::string> entries() const {
    std::vector<std::string> names;
    if (DIR* d = ::opendir(path_.c_str())) {
      while (const dirent* e = ::readdir(d)) {
        const std::string_view name = e->d_name;
        if (name != "." && name != "..") names.emplace_back(name);
      }
      ::closedir(d);
    }
    return names;
  }

  std::string dir_;   // the output's folder
  std::string path_;  // the staging folder, ending in "/"
  int error_ = 0;     // errno of a folder that could not be made
};

}  // namespace

std::string_view format_name(ConvertFormat format) {
  return format == ConvertFormat::kPdf ? "PDF" : "PNG";
}

std::string output_stem(std::string_view ps_file) {
  const size_t slash = ps_file.rfind('/');
  const size_t base = slash == std::string_view::npos ? 0 : slash + 1;
  const size_t dot = ps_file.rfind('.');
  if (dot == std::string_view::npos || dot <= base) return std::string(ps_file);
  return std::string(ps_file.substr(0, dot));
}

std::string output_name(const ConvertRequest& r, int page) {
  if (r.format == ConvertFormat::kPdf) return r.stem + ".pdf";
  if (r.pages > 1) return r.stem + "-" + number(page) + ".png";
  return r.stem + ".png";
}

std::optional<PageBox> trailer_bounding_box(std::string_view tail) {
  constexpr std::string_view kKey = "%%BoundingBox:";
  const size_t at = tail.rfind(kKey);
  if (at == std::string_view::npos) return std::nullopt;
  const char* p = tail.data() + at + kKey.size();
  const char* end = tail.data() + tail.size();
  PageBox box{};
  for (long long& v : box) {
    while (p < end && *p == ' ') ++p;
    auto [next, ec] = std::from_chars(p, end, v);
    if (ec != std::errc()) return std::nullopt;
    p = next;
  }
  if (box[2] <= box[0] || box[3] <= box[1]) return std::nullopt;
  return box;
}

PageBox converted_page(const std::optional<PageBox>& box) {
  if (!box) return kLetterPage;
  const PageBox& b = *box;
  const PageBox& p = kLetterPage;
  const PageBox clipped = {std::max(b[0], p[0]), std::max(b[1], p[1]), std::min(b[2], p[2]),
                           std::min(b[3], p[3])};
  // Nothing drawn on the page: the blank page, as for a document that draws nothing.
  if (clipped[2] <= clipped[0] || clipped[3] <= clipped[1]) return kLetterPage;
  return clipped;
}

std::string convert_document(const ConvertRequest& r) {
  const size_t slash = r.stem.rfind('/');
  const std::string dir = slash == std::string::npos ? "" : r.stem.substr(0, slash + 1);
  StagingFolder staging(dir);
  if (staging.path().empty())
    return "no folder for Ghostscript's output could be made in " + (dir.empty() ? "." : dir) +
           ": " + std::strerror(staging.error());
  const std::string out = staging.path() + r.stem.substr(dir.size());
  if (std::string reason = run_ghostscript(gs_arguments(r, out), r.stop); !reason.empty())
    return reason;
  return staging.publish();
}

}  // namespace vexal
