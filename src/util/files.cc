// File-system questions.
#include "util/files.h"

#include <sys/stat.h>

namespace vexal {

bool file_exists(const std::string& name) {
  struct stat st;
  return !name.empty() && ::stat(name.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace vexal
