// Runs Ghostscript on documents written by tests.
#include "support/ghostscript.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace vexal {
namespace {

// The text single-quoted for the shell.
std::string shell_quote(std::string_view s) {
  std::string q = "'";
  for (char c : s) {
    if (c == '\'')
      q += "'\\''";
    else
      q += c;
  }
  q += '\'';
  return q;
}

// Writes the document to a new temporary file; "" when that fails.
std::string write_temporary(const std::string& document) {
  const char* dir = std::getenv("TMPDIR");
  std::string path = std::string(dir && *dir ? dir : "/tmp") + "/vexal_gs_XXXXXX.ps";
  int fd = mkstemps(path.data(), 3);
  if (fd < 0) return "";
  size_t done = 0;
  while (done < document.size()) {
    ssize_t n = write(fd, document.data() + done, document.size() - done);
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  close(fd);
  if (done != document.size()) {
    std::remove(path.c_str());
    return "";
  }
  return path;
}

struct GsResult {
  int status = -1;  // exit status, -1 when gs could not be run
  std::string output;
};

GsResult run_gs(const std::string& args) {
  GsResult result;
  std::string command = "gs -q -dSAFER -dBATCH -dNOPAUSE " + args + " 2>&1";
  std::FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return result;
  char chunk[4096];
  size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, pipe)) > 0) result.output.append(chunk, n);
  int status = pclose(pipe);
  if (status != -1 && WIFEXITED(status)) result.status = WEXITSTATUS(status);
  return result;
}

}  // namespace

std::string ghostscript_errors(const std::string& document) {
  std::string path = write_temporary(document);
  if (path.empty()) return "could not write a temporary file for Ghostscript";
  GsResult r = run_gs("-sDEVICE=nullpage " + shell_quote(path));
  std::remove(path.c_str());
  if (r.status == 127) return "Ghostscript (gs) is not installed or not on PATH\n" + r.output;
  if (r.status != 0) return "gs exited with status " + std::to_string(r.status) + "\n" + r.output;
  if (r.output.find("Error:") != std::string::npos || r.output.find("error") != std::string::npos)
    return r.output;
  return "";
}

bool ghostscript_render_png(const std::string& document, const std::string& png_path) {
  std::string path = write_temporary(document);
  if (path.empty()) return false;
  std::remove(png_path.c_str());
  GsResult r = run_gs("-sDEVICE=png16m -r50 -sOutputFile=" + shell_quote(png_path) + " " +
                      shell_quote(path));
  std::remove(path.c_str());
  if (r.status != 0) return false;
  std::string first = png_path;
  if (size_t pos = first.find("%d"); pos != std::string::npos) first.replace(pos, 2, "1");
  struct stat st;
  return stat(first.c_str(), &st) == 0 && st.st_size > 0;
}

}  // namespace vexal
