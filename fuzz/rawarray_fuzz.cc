// Fuzz target: the binary array file reader. The first byte chooses the
// one-record or the record-per-row form; the rest is the file, held in an
// anonymous memory file so that the reader's bound on the file size is in
// force. A file that reads is written back and read again, and must come
// back bit for bit.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "data/array_store.h"

namespace {

// An anonymous file open for reading and writing, holding `n` bytes from
// `p`, positioned at its start; null on failure.
std::FILE* memory_file(const void* p, size_t n) {
  const int fd = memfd_create("vexal_rawarray_fuzz", MFD_CLOEXEC);
  if (fd < 0) return nullptr;
  std::FILE* fp = fdopen(fd, "w+b");
  if (!fp) {
    close(fd);
    return nullptr;
  }
  if ((n > 0 && std::fwrite(p, 1, n, fp) != n) || std::fflush(fp) != 0 ||
      std::fseek(fp, 0, SEEK_SET) != 0) {
    std::fclose(fp);
    return nullptr;
  }
  return fp;
}

template <typename T>
bool same_bits(const std::vector<T>& a, const std::vector<T>& b) {
  return a.size() == b.size() &&
         (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(T)) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace vexal;
  if (size == 0) return 0;
  const bool scans = data[0] & 1;
  std::FILE* fp = memory_file(data + 1, size - 1);
  if (!fp) return 0;
  RawArray a;
  std::string why;
  const bool ok = read_raw_array(fp, scans, a, why);
  std::fclose(fp);
  if (!ok) {
    if (why.empty()) __builtin_trap();
    return 0;
  }
  if (a.nx < 1 || a.ny < 1) __builtin_trap();
  const size_t nx = static_cast<size_t>(a.nx), ny = static_cast<size_t>(a.ny);
  if (a.x.size() != nx || a.y.size() != ny) __builtin_trap();
  if (nx * ny > kMaxArrayValues || a.values.size() != nx * ny) __builtin_trap();

  std::FILE* out = memory_file(nullptr, 0);
  if (!out) return 0;
  if (!write_raw_array(out, a) || std::fflush(out) != 0 || std::fseek(out, 0, SEEK_SET) != 0)
    __builtin_trap();
  RawArray b;
  std::string why_back;
  const bool back = read_raw_array(out, false, b, why_back);
  std::fclose(out);
  if (!back || b.nx != a.nx || b.ny != a.ny || !same_bits(a.x, b.x) || !same_bits(a.y, b.y) ||
      !same_bits(a.values, b.values))
    __builtin_trap();
  return 0;
}
