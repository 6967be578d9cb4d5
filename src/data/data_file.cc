// Reading a data file in large blocks: whole text lines and binary records.
#include "data/data_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "util/files.h"

namespace vexal {

namespace {

constexpr size_t kFirstRead = size_t{1} << 16;  // the first read() of a file

// A line without its line end and a CR before it.
std::string_view finish(const char* s, size_t len) {
  if (len > 0 && s[len - 1] == '\r') --len;
  return std::string_view(s, len);
}

}  // namespace

DataFile::~DataFile() {
  if (fd_ >= 0) ::close(fd_);
}

bool DataFile::open(const std::string& name, bool* not_regular) {
  fd_ = open_regular(name, not_regular);
  return fd_ >= 0;
}

bool DataFile::line(std::string_view& out) {
  for (;;) {
    const char* start = buf_.get() + pos_;
    size_t avail = end_ - pos_;
    const void* nl = avail ? std::memchr(start, '\n', avail) : nullptr;
    if (nl) {
      size_t len = static_cast<const char*>(nl) - start;
      pos_ += len + 1;
      out = finish(start, len);
      return true;
    }
    if (fill()) continue;
    if (eof_) {
      if (pos_ == end_) return false;
      out = finish(buf_.get() + pos_, end_ - pos_);
      pos_ = end_;
      return true;
    }
    out = long_line();  // the buffer is full and holds no line end
    return true;
  }
}

// The line filling the buffer and going on beyond it, gathered in
// long_line_ up to kMaxLineBytes; the rest up to its line end is dropped.
std::string_view DataFile::long_line() {
  long_line_.assign(buf_.get() + pos_, end_ - pos_);
  pos_ = end_;
  bool cut = false;
  while (fill()) {
    const char* start = buf_.get() + pos_;
    const size_t avail = end_ - pos_;
    const void* at = std::memchr(start, '\n', avail);
    const size_t len = at ? static_cast<size_t>(static_cast<const char*>(at) - start) : avail;
    const size_t room = kMaxLineBytes - std::min(long_line_.size(), kMaxLineBytes);
    cut = cut || len > room;
    long_line_.append(start, std::min(len, room));
    pos_ += at ? len + 1 : len;
    if (at) break;
  }
  if (!cut) return finish(long_line_.data(), long_line_.size());
  ++lines_cut_;
  return long_line_;
}

const char* DataFile::record(size_t n) {
  while (end_ - pos_ < n)
    if (!fill()) return nullptr;
  const char* r = buf_.get() + pos_;
  pos_ += n;
  return r;
}

const char* DataFile::records(size_t n, size_t& count) {
  while (end_ - pos_ < n)
    if (!fill()) return nullptr;
  count = (end_ - pos_) / n;
  return buf_.get() + pos_;
}

void DataFile::seek(uint64_t offset) {
  // A line read again is counted again.
  lines_cut_ = 0;
  if (offset <= offset_ && offset_ - offset <= end_) {  // in the buffer already
    pos_ = end_ - static_cast<size_t>(offset_ - offset);
    return;
  }
  pos_ = end_ = 0;
  offset_ = offset;
  eof_ = ::lseek(fd_, static_cast<off_t>(offset), SEEK_SET) < 0;
}

// Moves the unread rest to the front and reads more behind it; false at the
// end of the file or when the buffer is full.
bool DataFile::fill() {
  if (eof_) return false;
  if (!buf_) buf_ = std::make_unique_for_overwrite<char[]>(kBlockBytes);  // on the first read
  if (pos_ > 0) {
    std::memmove(buf_.get(), buf_.get() + pos_, end_ - pos_);
    end_ -= pos_;
    pos_ = 0;
  }
  if (end_ == kBlockBytes) return false;
  // The first read is short: a binary file's header, or the first lines,
  // may be all that is read this way.
  const size_t want = offset_ < kFirstRead ? kFirstRead - end_ : kBlockBytes - end_;
  ssize_t got;
  do {
    got = ::read(fd_, buf_.get() + end_, want);
  } while (got < 0 && errno == EINTR);
  if (got <= 0) {
    eof_ = true;
    return false;
  }
  end_ += static_cast<size_t>(got);
  offset_ += static_cast<uint64_t>(got);
  return true;
}

}  // namespace vexal
