// Fuzz target: the plain PGM reader on arbitrary file contents.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "data/array_store.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace vexal;
  if (size == 0) return 0;  // fmemopen needs a buffer of at least one byte
  std::vector<char> copy(data, data + size);
  std::FILE* fp = fmemopen(copy.data(), copy.size(), "rb");
  if (!fp) return 0;
  Image img;
  std::vector<std::string> comments;
  std::string why;
  const bool ok = read_pgm(fp, img, comments, why);
  std::fclose(fp);
  if (!ok) {
    if (why.empty()) __builtin_trap();
    return 0;
  }
  if (img.width < 1 || img.height < 1) __builtin_trap();
  const size_t n = static_cast<size_t>(img.width) * static_cast<size_t>(img.height);
  if (n > kMaxImageBytes || img.pixels.size() != n) __builtin_trap();
  // Every comment handed out is a line whose first word starts with '#'.
  for (const std::string& c : comments) {
    const size_t first = c.find_first_not_of(" \t");
    if (first == std::string::npos || c[first] != '#') __builtin_trap();
  }
  return 0;
}
