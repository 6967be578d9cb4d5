// A file read through a read-only memory mapping.
//
// A mapped file that shrinks while it is mapped (another program truncating
// it), or whose storage fails, raises SIGBUS at the first access past what
// is left. Accesses to the mapping therefore run inside `guarded`, which
// catches such a fault and reports it instead of letting it end the
// program. The work run guarded must be plain computation: no allocation, no
// locks, no objects with destructors, since it is abandoned where it stands.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vexal {

class MappedFile {
 public:
  MappedFile() = default;
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;
  ~MappedFile() { unmap(); }

  // Maps bytes [from, end) of the open file `fd` (`from` is rounded down
  // to a page); false when it cannot be mapped (not a regular file, no
  // address space, ...).
  bool map(int fd, uint64_t end, uint64_t from = 0);
  void unmap();
  bool mapped() const { return data_ != nullptr; }
  // Byte `offset()` of the file, and size() bytes from there.
  const char* data() const { return data_; }
  uint64_t offset() const { return offset_; }
  uint64_t size() const { return size_; }

  // Gives back the memory of the whole pages of [0, bytes): they stay
  // mapped, and are read again from the file if touched again.
  void release_before(uint64_t bytes);
  uint64_t released() const { return released_; }  // bytes from the start given back

  // Runs f(); false when a bus error inside the mapping interrupted it.
  template <class F>
  bool guarded(F& f) const {
    return run_guarded([](void* p) { (*static_cast<F*>(p))(); }, &f);
  }

 private:
  bool run_guarded(void (*fn)(void*), void* context) const;

  const char* data_ = nullptr;
  uint64_t offset_ = 0, size_ = 0;
  uint64_t released_ = 0;
};

}  // namespace vexal
