// Buffered text output.
#include "util/out_buffer.h"

#include <charconv>

namespace vexal {

void OutBuffer::set_file(std::FILE* file) {
  flush();
  file_ = file;
  text_ = nullptr;
}

void OutBuffer::set_text(std::string* text) {
  flush();
  file_ = nullptr;
  text_ = text;
}

void OutBuffer::set_discard() {
  flush();
  file_ = nullptr;
  text_ = nullptr;
}

void OutBuffer::put_int(long long v) {
  char tmp[24];
  auto r = std::to_chars(tmp, tmp + sizeof tmp, v);
  put(std::string_view(tmp, r.ptr - tmp));
}

void OutBuffer::spill(std::string_view s) {
  drain();
  if (s.size() >= kCapacity) {
    if (file_)
      std::fwrite(s.data(), 1, s.size(), file_);
    else if (text_)
      text_->append(s);
    return;
  }
  s.copy(buf_, s.size());
  used_ = s.size();
}

void OutBuffer::drain() {
  if (used_ == 0) return;
  if (file_)
    std::fwrite(buf_, 1, used_, file_);
  else if (text_)
    text_->append(buf_, used_);
  used_ = 0;
}

void OutBuffer::flush() {
  drain();
  if (file_) std::fflush(file_);
}

}  // namespace vexal
