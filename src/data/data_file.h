// A data file as the reader sees it: text lines and binary records handed
// out from large blocks read into one reused buffer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace vexal {

// Lines and records are handed out as views into the buffer, valid until the
// next call. A file cut short while it is read simply ends earlier.
class DataFile {
 public:
  static constexpr size_t kBlockBytes = size_t{1} << 20;  // one read() of the file
  // Characters kept of a line: far beyond what 50 fields take, it bounds
  // the memory a file that is not text (no line ends) can claim.
  static constexpr size_t kMaxLineBytes = 4 * kBlockBytes;

  DataFile() = default;
  DataFile(const DataFile&) = delete;
  DataFile& operator=(const DataFile&) = delete;
  ~DataFile();

  // Opens an existing regular file (see open_regular: nothing else is
  // read, and a FIFO never blocks the open).
  bool open(const std::string& name, bool* not_regular = nullptr);

  // The next text line, whole, its line end and a CR before it removed; a
  // line longer than kMaxLineBytes is cut there (counted in lines_cut).
  // False at the end of the file.
  bool line(std::string_view& out);
  // Lines cut at kMaxLineBytes since the file was opened or last sought.
  int lines_cut() const { return lines_cut_; }

  // The next n bytes (n <= the block size), or nullptr when fewer are left.
  const char* record(size_t n);

  // Whole records of n bytes (n <= the block size) from the buffer, at
  // least one (reading more when none is left); nullptr at the end of the
  // file. `count` gets their number; `advance` then steps over those used.
  const char* records(size_t n, size_t& count);
  void advance(size_t bytes) { pos_ += bytes; }

  // Continues reading at byte `offset` of the file.
  void seek(uint64_t offset);

 private:
  bool fill();
  std::string_view long_line();

  int fd_ = -1;
  std::unique_ptr<char[]> buf_;  // kBlockBytes from the first read on, reused for every read()
  size_t pos_ = 0, end_ = 0;     // what of the buffer is read, and what is filled
  uint64_t offset_ = 0;          // of the file where the next read() starts
  bool eof_ = false;
  int lines_cut_ = 0;  // lines cut at kMaxLineBytes since the open or the last seek
  // A line longer than the buffer, gathered here; grows to the longest such
  // line met and is reused, so no line allocates once it is that long.
  std::string long_line_;
};

}  // namespace vexal
