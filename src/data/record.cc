// Data records: fields parsed from text lines, the acceptance of a point,
// and values in list form.
#include "data/record.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "expr/stak_math.h"
#include "expr/valread.h"
#include "util/text.h"

namespace vexal {

namespace {

// A plain decimal number filling [b, e): what valread reads as a real without
// a "+", a "d" exponent or a "%". The common case of every data file.
bool plain_number(const char* b, const char* e, double& v) {
  const char* p = b;
  if (p < e && *p == '-') ++p;
  if (p >= e || !((*p >= '0' && *p <= '9') || *p == '.') || e - b > 256) return false;
  auto [ptr, ec] = std::from_chars(b, e, v, std::chars_format::general);
  return ec == std::errc() && ptr == e;
}

// "nan", "inf" or "infinity" in any case, signed or not, as other programs
// write values that are not finite: read as such (not as an unreadable field,
// which reads 0), so that the range check rejects the point.
bool nonfinite_word(const char* b, const char* e, double& v) {
  if (b < e && *b == '+') ++b;
  const char* p = b < e && *b == '-' ? b + 1 : b;
  if (p >= e || !(*p == 'n' || *p == 'N' || *p == 'i' || *p == 'I')) return false;
  auto [ptr, ec] = std::from_chars(b, e, v, std::chars_format::general);
  return ec == std::errc() && ptr == e;
}

}  // namespace

bool free_number(const char* b, const char* e, double& v) {
  if (plain_number(b, e, v) || nonfinite_word(b, e, v)) return true;
  char tmp[64];
  if (b < e && *b == '+') ++b;
  size_t n = static_cast<size_t>(e - b);
  if (n == 0 || n >= sizeof tmp) return false;
  for (size_t i = 0; i < n; ++i) tmp[i] = (b[i] == 'd' || b[i] == 'D') ? 'e' : b[i];
  return plain_number(tmp, tmp + n, v);
}

int columns_needed(const ReaderSettings& rs, bool with_width) {
  int m =
      std::max({rs.pen, rs.cc, rs.sc, rs.zc, rs.yc, rs.xc, rs.yebch, rs.yebcl, rs.xebch, rs.xebcl});
  if (with_width) m = std::max(m, rs.wc);
  return std::clamp(m, 0, kMaxDataColumns);
}

bool read_field(const char*& p, const char* e, MathEnv& env, CompiledMath& scratch, double& v) {
  const char* b = p;
  if (*p == '{') {
    const void* close = std::memchr(p, '}', static_cast<size_t>(e - p));
    p = close ? static_cast<const char*>(close) + 1 : e;
    v = stak_math(std::string_view(b, static_cast<size_t>(p - b)), env, scratch);
    return true;
  }
  while (p < e && !is_separator(*p)) ++p;
  if (plain_number(b, p, v) || nonfinite_word(b, p, v)) return true;
  std::string_view token(b, static_cast<size_t>(p - b));
  bool bad = false;
  v = valread(token, &bad, env.vars, env.err);
  if (bad) return false;
  if (is_time_token(token)) {
    // A zone word after a time is read with it.
    const char* w = p;
    while (w < e && is_separator(*w)) ++w;
    const char* we = w;
    while (we < e && !is_separator(*we)) ++we;
    if (we > w && is_zone_word(std::string_view(w, static_cast<size_t>(we - w)))) p = we;
  }
  return true;
}

int parse_fields(std::string_view line, int maxcolumn, MathEnv& env, CompiledMath& scratch) {
  auto& fields = env.point.fields;
  maxcolumn = std::clamp(maxcolumn, 0, kMaxDataColumns);
  const char* p = line.data();
  const char* const e = p + line.size();
  char prev = '\0';  // the character before p: two tabs in a row hold an empty field
  int k = 0;
  while (k < maxcolumn) {
    while (p < e && is_separator(*p) && k < maxcolumn) {
      if (*p == '\t' && prev == '\t') fields[++k] = 0;
      prev = *p++;
    }
    if (p >= e || k >= maxcolumn) break;
    double v;
    if (!read_field(p, e, env, scratch, v)) v = 0;
    fields[++k] = v;
    prev = p[-1];
  }
  for (int i = k + 1; i <= maxcolumn; ++i) fields[i] = 0;
  return k;
}

std::string_view exponent_field(double v, int width, int digits, char* buf) {
  char text[48];
  int len;
  digits = std::clamp(digits, 1, 20);
  if (std::isnan(v)) {
    len = std::snprintf(text, sizeof text, "NaN");
  } else if (std::isinf(v)) {
    len = std::snprintf(text, sizeof text, "%s", v > 0 ? "Infinity" : "-Infinity");
  } else {
    int exp = 0;
    char mant[40];
    if (v == 0) {
      std::memset(mant, '0', static_cast<size_t>(digits));
    } else {
      char e[48];
      std::snprintf(e, sizeof e, "%.*e", digits - 1, std::fabs(v));
      // d.ddde+XX: the digits without the point, and the exponent plus one.
      mant[0] = e[0];
      std::memcpy(mant + 1, e + 2, static_cast<size_t>(digits - 1));
      exp = std::atoi(std::strchr(e, 'e') + 1) + 1;
    }
    mant[digits] = '\0';
    int mag = exp < 0 ? -exp : exp;
    char sign = exp < 0 ? '-' : '+';
    if (mag <= 99)
      len = std::snprintf(text, sizeof text, "%s0.%sE%c%02d", v < 0 ? "-" : "", mant, sign, mag);
    else
      len = std::snprintf(text, sizeof text, "%s0.%s%c%03d", v < 0 ? "-" : "", mant, sign, mag);
  }
  if (len > width) {
    std::memset(buf, '*', static_cast<size_t>(width));
    return std::string_view(buf, static_cast<size_t>(width));
  }
  int pad = width - len;
  std::memset(buf, ' ', static_cast<size_t>(pad));
  std::memcpy(buf + pad, text, static_cast<size_t>(len));
  return std::string_view(buf, static_cast<size_t>(width));
}

bool accept_point(const ReaderSettings& rs, Negation neg, const MathList& math, MathEnv& env,
                  Point& p) {
  CurrentPoint& pt = env.point;
  p.x = record_field(pt, rs.xc);
  p.y = record_field(pt, rs.yc);
  p.z = record_field(pt, rs.zc);
  p.v = 0;
  if (!math.any_xmath && !accepted(p.x, rs.xrangemin, rs.xrangemax)) return false;
  if (!math.any_ymath && !accepted(p.y, rs.yrangemin, rs.yrangemax)) return false;
  if (!math.commands.empty()) {
    pt.x = p.x;
    pt.y = p.y;
    pt.z = p.z;
    pt.v = p.v;
    pt.error = 0;
    const bool ok = run_math_commands(math, env);
    p.x = pt.x;
    p.y = pt.y;
    p.z = pt.z;
    p.v = pt.v;
    if (!ok || pt.error != 0) return false;
  }
  if (neg.x) p.x = -p.x;
  if (neg.y) p.y = -p.y;
  return accepted(p.x, rs.xrangemin, rs.xrangemax) && accepted(p.y, rs.yrangemin, rs.yrangemax) &&
         accepted(p.z, rs.zrangemin, rs.zrangemax);
}

}  // namespace vexal
