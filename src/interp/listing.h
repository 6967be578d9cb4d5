// Listings (DUMPVAR, DUMPDATA, DUMPMATH, ...) go to a named file, created or
// overwritten and closed afterwards, or to the terminal.
#pragma once

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "interp/session.h"

namespace vexal {

class Listing {
 public:
  // An empty name lists to the terminal; a file that cannot be created is
  // reported ("Cannot open " and the name) and failed() is then true.
  Listing(Session& s, const std::string& file) : s_(s), file_(file) {
    if (file.empty()) return;
    fp_ = std::fopen(file.c_str(), "w");
    if (!fp_) {
      s.err().put("Cannot open ");
      s.err().line(file);
      failed_ = true;
      return;
    }
    out_.set_file(fp_);
  }
  // Closes the file; a write or close that failed is reported ("Error writing
  // the listing file NAME: reason") and makes the run's exit status 1.
  ~Listing() {
    if (!fp_) return;
    out_.flush();
    int error = out_.error();
    out_.set_discard();
    errno = 0;
    if (std::fclose(fp_) != 0 && error == 0) error = errno ? errno : EIO;
    if (error == 0) return;
    s_.err().put("Error writing the listing file ");
    s_.err().put(file_);
    s_.err().put(": ");
    s_.err().line(std::strerror(error));
    s_.run.exit_status = 1;
  }
  Listing(const Listing&) = delete;
  Listing& operator=(const Listing&) = delete;
  bool failed() const { return failed_; }
  OutBuffer& out() { return fp_ ? out_ : s_.term; }

 private:
  Session& s_;
  std::string file_;
  std::FILE* fp_ = nullptr;
  bool failed_ = false;
  OutBuffer out_;
};

}  // namespace vexal
