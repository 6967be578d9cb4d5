// Buffered text output: the one writer behind the document, the terminal and
// the error stream. Writes go to a stdio stream or, in tests, to a string.
// A stream that fails is remembered, not reported: the owner reports it.
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

  // Retargets the writer after flushing what is pending; the new target
  // starts without an error.
  void set_file(std::FILE* file);
  void set_text(std::string* text);
  // Drops everything written from now on.
  void set_discard();

  std::FILE* file() const { return file_; }
  std::string* text() const { return text_; }

  void put(std::string_view s) {
    if (!prefix_.empty()) return put_prefixed(s);
    if (s.size() > kCapacity - used_)
      spill(s);
    else {
      s.copy(buf_ + used_, s.size());
      used_ += s.size();
    }
  }
  void put(char c) {
    if (!prefix_.empty()) return put_prefixed(std::string_view(&c, 1));
    if (used_ == kCapacity) drain();
    buf_[used_++] = c;
  }
  // Every line begun from now on starts with `prefix` (empty: none).
  void set_line_prefix(std::string_view prefix) { prefix_.assign(prefix); }
  const std::string& line_prefix() const { return prefix_; }
  // Bytes written since the writer was made, whether handed on yet or not.
  size_t bytes_written() const { return handed_ + used_; }
  // A whole line: the text and a newline.
  void line(std::string_view s) {
    put(s);
    put('\n');
  }
  // An integer in minimal width.
  void put_int(long long v);
  // Hands everything pending to the stream (and flushes the stream).
  void flush();
  // The errno of the first write or flush of the stream that failed, or 0.
  // After a failure nothing more is handed to the stream: what it holds is
  // cut off where the failure happened.
  int error() const { return error_; }

 private:
  void spill(std::string_view s);
  // put() with the line prefix before each line's first character.
  void put_prefixed(std::string_view s);
  // Hands the buffer to the stream without flushing the stream.
  void drain();
  // Hands n bytes to the stream unless it failed before; records a failure.
  void write_file(const char* data, size_t n);
  static constexpr size_t kCapacity = 1 << 16;
  std::FILE* file_ = nullptr;
  std::string* text_ = nullptr;
  size_t used_ = 0;
  size_t handed_ = 0;  // bytes handed to the stream or the text so far
  int error_ = 0;
  std::string prefix_;      // begins every line when not empty
  bool line_start_ = true;  // the next character begins a line
  char buf_[kCapacity];
};

}  // namespace vexal
