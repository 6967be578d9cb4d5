// Small text helpers.
#include "util/text.h"

namespace vexal {

size_t nstrng(std::string_view s) {
  size_t n = s.size();
  while (n > 0 && (s[n - 1] == ' ' || s[n - 1] == '\0')) --n;
  return n;
}

std::string_view nolead(std::string_view s) {
  size_t i = 0;
  while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
  return s.substr(i);
}

void upcase(std::string& s, size_t n) {
  if (n > s.size()) n = s.size();
  for (size_t i = 0; i < n; ++i)
    if (s[i] >= 'a' && s[i] <= 'z') s[i] = static_cast<char>(s[i] - 'a' + 'A');
}

void locase(std::string& s, size_t n) {
  if (n > s.size()) n = s.size();
  for (size_t i = 0; i < n; ++i)
    if (s[i] >= 'A' && s[i] <= 'Z') s[i] = static_cast<char>(s[i] - 'A' + 'a');
}

std::string upper(std::string_view s) {
  std::string u(s);
  upcase(u);
  return u;
}

bool prefix_match(std::string_view line, std::string_view name) {
  size_t a = nstrng(line), b = nstrng(name);
  size_t k = a < b ? a : b;
  if (k == 0) return a == b;
  return line.substr(0, k) == name.substr(0, k);
}

void nocommas(std::string& s) {
  for (char& c : s)
    if (c == ',') c = ' ';
}

void notabs(std::string& s) {
  for (char& c : s)
    if (c == '\t') c = ' ';
}

void nospace(std::string& s) { std::erase(s, ' '); }

size_t nvar(std::string_view s) {
  size_t i = 0;
  while (i < s.size()) {
    char c = s[i];
    bool ok =
        (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
    if (!ok) break;
    ++i;
  }
  return i;
}

}  // namespace vexal
