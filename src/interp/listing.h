// Listings (DUMPVAR, DUMPDATA, DUMPMATH, ...) go to a named file, created or
// overwritten and closed afterwards, or to the terminal.
#pragma once

#include <cstdio>
#include <string>

#include "interp/session.h"

namespace vexal {

class Listing {
 public:
  // An empty name lists to the terminal; a file that cannot be created is
  // reported ("Cannot open " and the name) and failed() is then true.
  Listing(Session& s, const std::string& file) : s_(s) {
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
  ~Listing() {
    if (!fp_) return;
    out_.flush();
    std::fclose(fp_);
  }
  Listing(const Listing&) = delete;
  Listing& operator=(const Listing&) = delete;
  bool failed() const { return failed_; }
  OutBuffer& out() { return fp_ ? out_ : s_.term; }

 private:
  Session& s_;
  std::FILE* fp_ = nullptr;
  bool failed_ = false;
  OutBuffer out_;
};

}  // namespace vexal
