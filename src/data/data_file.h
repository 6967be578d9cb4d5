// A data file as the reader sees it: text lines and binary records handed
// out from large blocks read into one reused buffer, or binary records
// straight from a mapping of the file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "util/mapped_file.h"

namespace vexal {

// Lines and records are handed out as views into the buffer, valid until the
// next call.
//
// Binary records may instead be read straight from a mapping of the file
// (map_rest): `records` then points into the mapping, and whatever reads
// those records runs through `guarded`. When the mapping fails under the
// reader (the file was cut short meanwhile), reading goes on with read()
// from where it stood.
class DataFile {
 public:
  static constexpr size_t kBlockBytes = size_t{1} << 20;  // one read() of the file

  DataFile() = default;
  DataFile(const DataFile&) = delete;
  DataFile& operator=(const DataFile&) = delete;
  ~DataFile();

  // Opens an existing regular file (see open_regular: nothing else is
  // read, and a FIFO never blocks the open).
  bool open(const std::string& name, bool* not_regular = nullptr);

  // The next text line: cut at 512 characters, line end and a CR before it
  // removed. False at the end of the file.
  bool line(std::string_view& out);

  // The next n bytes (n <= the block size), or nullptr when fewer are left.
  const char* record(size_t n);

  // Whole records of n bytes (n <= the block size) from the buffer or the
  // mapping, at least one (reading more when none is left); nullptr at the
  // end of the file. `count` gets their number; `advance` then steps over
  // those used.
  const char* records(size_t n, size_t& count);
  void advance(size_t bytes);

  // Reads the rest of the file, from where reading stands, through a mapping
  // of the file. False when it cannot be mapped: reading goes on with read().
  bool map_rest();
  // The mapped part of the file ahead of the reader (null, 0 when not mapped).
  const char* mapped_from() const { return map_.mapped() ? map_.data() + mpos_ : nullptr; }
  size_t mapped_ahead() const { return map_.mapped() ? map_.size() - mpos_ : 0; }

  // Runs f(), which reads records handed out by `records`; false when the
  // mapping failed under it (reading then goes on with read()).
  template <class F>
  bool guarded(F& f) {
    if (!map_.mapped()) {
      f();
      return true;
    }
    if (map_.guarded(f)) return true;
    leave_map();
    return false;
  }

  // Where reading stands in the file.
  uint64_t position() const { return map_.mapped() ? mpos_ : offset_ - (end_ - pos_); }
  // Continues reading at byte `offset` of the file.
  void seek(uint64_t offset);
  // Goes on reading at byte `offset`, further on.
  void move_to(uint64_t offset);
  // The file's length in bytes (0 when unknown).
  uint64_t size() const;
  int descriptor() const { return fd_; }

 private:
  bool fill();
  void leave_map();

  int fd_ = -1;
  std::unique_ptr<char[]> buf_;  // kBlockBytes, reused for every read()
  size_t pos_ = 0, end_ = 0;     // what of the buffer is read, and what is filled
  uint64_t offset_ = 0;          // of the file where the next read() starts
  bool eof_ = false;
  std::string long_line_;  // the kept part of a line longer than the buffer
  MappedFile map_;
  uint64_t mpos_ = 0;  // where reading stands in the mapping
};

}  // namespace vexal
