// The document converted by Ghostscript, run as a child process with an
// argument vector: no text of the user's passes through a shell.
#include "interp/convert.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstring>
#include <vector>

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

std::vector<std::string> gs_arguments(const ConvertRequest& r) {
  std::vector<std::string> args = {"gs", "-dSAFER", "-dBATCH", "-dNOPAUSE", "-q"};
  if (r.format == ConvertFormat::kPdf) {
    args.push_back("-sDEVICE=pdfwrite");
  } else {
    args.push_back("-sDEVICE=png16m");
    args.push_back("-r" + number(r.dpi));
  }
  if (r.box) {
    const PageBox& b = *r.box;
    args.push_back("-dDEVICEWIDTHPOINTS=" + number(b[2] - b[0]));
    args.push_back("-dDEVICEHEIGHTPOINTS=" + number(b[3] - b[1]));
    args.push_back("-dFIXEDMEDIA");
  } else {
    args.push_back("-sPAPERSIZE=letter");  // the page the document is laid out on
  }
  std::string out = output_file_path(r.stem);
  if (r.format == ConvertFormat::kPdf)
    out += ".pdf";
  else
    out += r.pages > 1 ? "-%d.png" : ".png";
  args.push_back("-sOutputFile=" + out);
  if (r.box) {
    // The box's corner moves to the corner of the smaller page.
    args.push_back("-c");
    args.push_back("<</Install {" + number(-(*r.box)[0]) + " " + number(-(*r.box)[1]) +
                   " translate}>> setpagedevice");
    args.push_back("-f");
  }
  args.push_back(literal_path(r.source));
  return args;
}

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

std::string convert_document(const ConvertRequest& r) {
  std::vector<std::string> words = gs_arguments(r);
  std::vector<char*> argv;
  for (std::string& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);

  // Standard output may carry the document (-s): Ghostscript's messages go to
  // standard error, and it reads nothing.
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, STDERR_FILENO, STDOUT_FILENO);
  pid_t pid = 0;
  const int rc = posix_spawnp(&pid, "gs", &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) return std::string("Ghostscript (gs) could not be run: ") + std::strerror(rc);

  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR)
      return std::string("waiting for Ghostscript failed: ") + std::strerror(errno);
  }
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return "";
  if (WIFEXITED(status))
    return "Ghostscript failed with exit status " + number(WEXITSTATUS(status));
  return "Ghostscript was stopped by signal " + number(WTERMSIG(status));
}

}  // namespace vexal
