// Buffered text output: the one writer behind the document, the terminal and
// the error stream. Writes go to a stdio stream or, in tests, to a string.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace vexal {

class OutBuffer {
 public:
  OutBuffer() = default;
  // Writes to `file` (not owned) in large blocks.
  explicit OutBuffer(std::FILE* file) : file_(file) {}
  // Appends to `text` (not owned); used by tests to capture output.
  explicit OutBuffer(std::string* text) : text_(text) {}
  ~OutBuffer() { flush(); }
  OutBuffer(const OutBuffer&) = delete;
  OutBuffer& operator=(const OutBuffer&) = delete;

  // Retargets the writer after flushing what is pending.
  void set_file(std::FILE* file);
  void set_text(std::string* text);
  // Drops everything written from now on.
  void set_discard();

  std::FILE* file() const { return file_; }
  std::string* text() const { return text_; }

  void put(std::string_view s) {
    if (s.size() > kCapacity - used_)
      spill(s);
    else {
      s.copy(buf_ + used_, s.size());
      used_ += s.size();
    }
  }
  void put(char c) {
    if (used_ == kCapacity) drain();
    buf_[used_++] = c;
  }
  // A whole line: the text and a newline.
  void line(std::string_view s) {
    put(s);
    put('\n');
  }
  // An integer in minimal width.
  void put_int(long long v);
  // Hands everything pending to the stream (and flushes the stream).
  void flush();

 private:
  void spill(std::string_view s);
  // Hands the buffer to the stream without flushing the stream.
  void drain();
  static constexpr size_t kCapacity = 1 << 16;
  std::FILE* file_ = nullptr;
  std::string* text_ = nullptr;
  size_t used_ = 0;
  char buf_[kCapacity];
};

}  // namespace vexal
