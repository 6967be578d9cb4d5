// File-system questions.
#include "util/files.h"

#include <sys/stat.h>

namespace vexal {

bool file_exists(const std::string& name) {
  struct stat st;
  return !name.empty() && ::stat(name.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool read_line(std::FILE* fp, std::string& out, size_t width) {
  out.clear();
  if (!fp) return false;
  int c;
  bool any = false;
  while ((c = std::getc(fp)) != EOF) {
    any = true;
    if (c == '\n') break;
    if (out.size() < width + 1) out.push_back(static_cast<char>(c));
  }
  if (!any) return false;
  if (!out.empty() && out.back() == '\r') out.pop_back();
  if (out.size() > width) out.resize(width);
  return true;
}

}  // namespace vexal
