// Small text helpers shared by every subsystem: the fixed widths of the
// command language's texts, case conversion, trimming and the prefix rule.
#pragma once

#include <string>
#include <string_view>

namespace vexal {

inline constexpr size_t kLineWidth = 256;  // command lines, file names, character values
inline constexpr size_t kNameWidth = 16;   // variable names
inline constexpr size_t kSynonymWidth = 32;

// Length without trailing blanks and NULs.
size_t nstrng(std::string_view s);
// The text without trailing blanks and NULs.
inline std::string_view trimmed(std::string_view s) { return s.substr(0, nstrng(s)); }
// The text without leading blanks and tabs.
std::string_view nolead(std::string_view s);
// a-z to A-Z (A-Z to a-z) in the first n characters (all when n is npos).
void upcase(std::string& s, size_t n = std::string::npos);
void locase(std::string& s, size_t n = std::string::npos);
std::string upper(std::string_view s);
// True when `line` begins with `name`; compares the shorter of the two
// lengths (without trailing blanks), and two empty texts are equal.
bool prefix_match(std::string_view line, std::string_view name);
// Every comma (tab) becomes a blank.
void nocommas(std::string& s);
void notabs(std::string& s);
// Every blank removed.
void nospace(std::string& s);
// Length of the leading run of letters, digits and underscores.
size_t nvar(std::string_view s);
// Removes a UTF-8 byte-order mark from the start of a file's first line.
inline void skip_byte_order_mark(std::string& line) {
  if (line.starts_with("\xEF\xBB\xBF")) line.erase(0, 3);
}
// Cuts the text to at most `width` characters.
inline void cut(std::string& s, size_t width = kLineWidth) {
  if (s.size() > width) s.resize(width);
}

}  // namespace vexal
