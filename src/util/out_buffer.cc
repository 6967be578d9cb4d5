// Buffered text output.
#include "util/out_buffer.h"

#include <cerrno>
#include <charconv>

namespace vexal {

void OutBuffer::set_file(std::FILE* file) {
  flush();
  file_ = file;
  text_ = nullptr;
  error_ = 0;
}

void OutBuffer::set_text(std::string* text) {
  flush();
  file_ = nullptr;
  text_ = text;
  error_ = 0;
}

void OutBuffer::set_discard() {
  flush();
  file_ = nullptr;
  text_ = nullptr;
  error_ = 0;
}

void OutBuffer::put_int(long long v) {
  char tmp[24];
  auto r = std::to_chars(tmp, tmp + sizeof tmp, v);
  put(std::string_view(tmp, r.ptr - tmp));
}

void OutBuffer::put_prefixed(std::string_view s) {
  const std::string prefix = std::move(prefix_);  // the plain put() below
  while (!s.empty()) {
    if (line_start_) put(prefix);
    const size_t end = s.find('\n');
    const size_t n = end == std::string_view::npos ? s.size() : end + 1;
    put(s.substr(0, n));
    line_start_ = end != std::string_view::npos;
    s.remove_prefix(n);
  }
  prefix_ = prefix;
}

void OutBuffer::spill(std::string_view s) {
  drain();
  if (s.size() >= kCapacity) {
    handed_ += s.size();
    if (file_)
      write_file(s.data(), s.size());
    else if (text_)
      text_->append(s);
    return;
  }
  s.copy(buf_, s.size());
  used_ = s.size();
}

void OutBuffer::drain() {
  if (used_ == 0) return;
  handed_ += used_;
  if (file_)
    write_file(buf_, used_);
  else if (text_)
    text_->append(buf_, used_);
  used_ = 0;
}

void OutBuffer::write_file(const char* data, size_t n) {
  if (error_) return;
  errno = 0;
  if (std::fwrite(data, 1, n, file_) != n) error_ = errno ? errno : EIO;
}

void OutBuffer::flush() {
  drain();
  if (!file_ || error_) return;
  errno = 0;
  if (std::fflush(file_) != 0) error_ = errno ? errno : EIO;
}

}  // namespace vexal
