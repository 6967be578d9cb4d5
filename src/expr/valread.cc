// The number reader: one token to a double, without allocating for plain numbers.
#include "expr/valread.h"

#include <charconv>
#include <cstdint>

#include "util/text.h"

namespace vexal {

namespace {

constexpr size_t kMaxHexDigits = 16;  // what fits an unsigned 64-bit integer

bool starts_number(char c) { return (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.'; }

int hex_digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Drops a leading "+", which from_chars does not take; false for "+-" or "++".
bool strip_plus(std::string_view& text) {
  if (text.empty() || text[0] != '+') return true;
  text.remove_prefix(1);
  return text.empty() || (text[0] != '+' && text[0] != '-');
}

// A run of hexadecimal digits, all of the text.
bool read_hex(std::string_view digits, double& value) {
  if (digits.empty() || digits.size() > kMaxHexDigits) return false;
  uint64_t v = 0;
  for (char c : digits) {
    int d = hex_digit(c);
    if (d < 0) return false;
    v = v * 16 + static_cast<uint64_t>(d);
  }
  value = static_cast<double>(v);
  return true;
}

// A decimal real, all of the text: optional sign, digits with an optional
// point, optional exponent written with e, E, d or D (the last two as older
// data files write them).
bool read_real(std::string_view text, double& value) {
  if (!strip_plus(text) || text.empty() || text.size() > kLineWidth) return false;
  size_t first = text[0] == '-' ? 1 : 0;
  // Digits or a point must follow the sign: no "inf" or "nan" words.
  if (first >= text.size() || !(text[first] == '.' || (text[first] >= '0' && text[first] <= '9')))
    return false;
  char buf[kLineWidth];
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    buf[i] = (c == 'd' || c == 'D') ? 'e' : c;
  }
  const char* end = buf + text.size();
  auto [ptr, ec] = std::from_chars(buf, end, value, std::chars_format::general);
  return ec == std::errc() && ptr == end;
}

// A mantissa followed directly by a signed three-digit exponent, the form a
// fixed-width exponent field takes beyond E+99 ("0.10000-149" is 1e-150),
// all of the text. The mantissa is an optional sign, then digits with an
// optional point; no other sign, letter or exponent may come before the
// last four characters, so "1-2", "3+45" and "1e5-100" stay unreadable.
bool read_bare_exponent(std::string_view text, double& value) {
  constexpr size_t kDigits = 3;
  if (text.size() < kDigits + 2 || text.size() >= kLineWidth) return false;
  const size_t sign = text.size() - kDigits - 1;
  if (text[sign] != '+' && text[sign] != '-') return false;
  for (size_t i = sign + 1; i < text.size(); ++i)
    if (text[i] < '0' || text[i] > '9') return false;
  bool digit = false, point = false;
  for (size_t i = text[0] == '+' || text[0] == '-' ? 1 : 0; i < sign; ++i) {
    const char c = text[i];
    if (c >= '0' && c <= '9')
      digit = true;
    else if (c == '.' && !point)
      point = true;
    else
      return false;
  }
  if (!digit) return false;
  char buf[kLineWidth + 1];
  text.substr(0, sign).copy(buf, sign);
  buf[sign] = 'e';
  text.substr(sign).copy(buf + sign + 1, kDigits + 1);
  return read_real(std::string_view(buf, text.size() + 1), value);
}

// A whole integer field with an optional sign.
bool read_int(std::string_view text, double& value) {
  if (!strip_plus(text) || text.empty()) return false;
  long long v = 0;
  auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (ec != std::errc() || ptr != text.data() + text.size()) return false;
  value = static_cast<double>(v);
  return true;
}

// [ddd/]hh[:mm[:ss.fff]] in hours: ddd x 24 + hh + mm/60 + ss/3600.
bool read_time(std::string_view text, double& value) {
  double days = 0, hours = 0, minutes = 0, seconds = 0;
  size_t slash = text.find('/');
  if (slash != std::string_view::npos) {
    if (!read_int(text.substr(0, slash), days)) return false;
    text.remove_prefix(slash + 1);
  }
  size_t colon = text.find(':');
  if (!read_int(text.substr(0, colon), hours)) return false;
  if (colon != std::string_view::npos) {
    text.remove_prefix(colon + 1);
    colon = text.find(':');
    if (!read_int(text.substr(0, colon), minutes)) return false;
    if (colon != std::string_view::npos && !read_real(text.substr(colon + 1), seconds))
      return false;
  }
  value = days * 24 + hours + minutes / 60 + seconds / 3600;
  return true;
}

bool same_word(std::string_view a, std::string_view upper_word) {
  if (a.size() != upper_word.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char c = a[i];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (c != upper_word[i]) return false;
  }
  return true;
}

}  // namespace

bool is_zone_word(std::string_view word) {
  for (std::string_view zone : {"GMT", "MET", "GM", "ME", "G", "M"}) {
    if (same_word(word, zone)) return true;
  }
  return false;
}

bool is_time_token(std::string_view token) {
  return !token.empty() && starts_number(token[0]) &&
         token.find_first_of(":/") != std::string_view::npos;
}

double valread(std::string_view token, bool* error, const Variables& vars, OutBuffer& err) {
  token = trimmed(nolead(token));
  double value = 0;
  bool bad = true;
  if (!token.empty()) {
    const char c = token[0];
    if (c == '{') {
      // A braced expression: evaluated by the expression stage, not here.
    } else if (c == '$') {
      std::string_view name = token.substr(1);
      if (!name.empty() && nvar(name) == name.size())
        value = getvariable(vars, name, &bad, true, err);
    } else if (c == 'X' || c == 'x') {
      bad = !read_hex(token.substr(1), value);  // "XV..." and a lone "X" fail here
    } else if (c == '0' && token.size() > 1 && (token[1] == 'x' || token[1] == 'X')) {
      bad = !read_hex(token.substr(2), value);
    } else if (is_time_token(token)) {
      bad = !read_time(token, value);
    } else if (starts_number(c)) {
      if (token.back() == '%') {
        bad = !read_real(token.substr(0, token.size() - 1), value);
        value /= 100;
      } else {
        bad = !read_real(token, value) && !read_bare_exponent(token, value);
      }
    }
  }
  if (bad) value = 0;
  if (error) *error = bad;
  return value;
}

}  // namespace vexal
