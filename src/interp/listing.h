// Listings (DUMPVAR, DUMPDATA, DUMPMATH, ...) go to a named file, created or
// overwritten (never through a symbolic link) and closed afterwards, or to
// the terminal.
#pragma once

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "interp/session.h"
#include "util/files.h"

namespace vexal {

class Listing {
 public:
  // An empty name lists to the terminal. The file is opened by
  // fopen_output: a regular file is overwritten, a symbolic link never
  // followed, the document and the command files being run never written.
  // One that cannot be opened is reported ("Cannot open " and the name, then
  // the reason of a refusal), fails the run's exit status, and failed() is
  // then true, as it is for a file --sandbox refuses.
  Listing(Session& s, const std::string& file) : s_(s), file_(file) {
    if (file.empty()) return;
    if (!s.may_write(file)) {
      failed_ = true;
      return;
    }
    OutputRefusal refusal = OutputRefusal::kNone;
    fp_ = fopen_output(file, &refusal, s.files_in_use());
    if (!fp_) {
      s.err().put("Cannot open ");
      s.err().put(std::string_view(file.c_str()));
      s.err().line(refusal_text(refusal));
      s.run.exit_status = 1;
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
