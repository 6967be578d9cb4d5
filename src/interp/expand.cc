// Substitution of variables and expressions into command lines.
#include "interp/expand.h"

#include <cmath>
#include <cstdio>

#include "interp/params.h"
#include "interp/session.h"
#include "util/text.h"

namespace vexal {

namespace {

bool is_escape(char c) { return c == '\\' || c == '|'; }

// "${name}" becomes "$name|&", and "%{name}" becomes "%name|&".
void rewrite_braced_names(std::string& line, char mark) {
  const char open[3] = {mark, '{', '\0'};
  size_t at = 0;
  while ((at = line.find(open, at)) != std::string::npos) {
    size_t close = line.find('}', at + 2);
    if (close == std::string::npos) break;
    std::string name = line.substr(at + 2, close - at - 2);
    line.replace(at, close - at + 1, std::string(1, mark) + name + "|&");
    at += 1;
  }
}

// Per-line number layout: starts from the shared number format state.
struct Layout {
  bool sign = false;
  std::string format;
  int sci, hms, ndec;
};

// The decimals asked for, held to the 17 significant digits a double shows:
// beyond them the text spells out the binary fraction's noise.
int shown_decimals(double v, int ndec) {
  if (!std::isfinite(v) || v == 0) return std::min(ndec, 17);
  const int leading = static_cast<int>(std::floor(std::log10(std::fabs(v))));
  return std::min(ndec, std::max(0, 16 - leading));
}

std::string number_text(Session& s, const Layout& lay, double v) {
  std::string t;
  if (!lay.format.empty())
    t = format_value(lay.format, v);
  else if (lay.sci)
    t = etoc(v, lay.ndec);
  else if (lay.hms)
    t = dhms(v, s.axes[AxisId::X].time_form, s.axes[AxisId::X].time_unit, s.err());
  else
    t = dtoc(v, shown_decimals(v, lay.ndec));
  if (lay.sign && v >= 0) t.insert(0, "+");
  return t;
}

bool too_many(Session& s, int& count) {
  if (++count <= kMaxSubstitutions) return false;
  s.err().line(
      "Substitution stopped: a variable refers to itself (more than 1000 substitutions in one "
      "line).");
  return true;
}

}  // namespace

void expand(Session& s, std::string& line) {
  if (line.find_first_of("\\|$%") == std::string::npos) return;  // the common case
  rewrite_braced_names(line, '$');
  rewrite_braced_names(line, '%');
  int count = 0;

  // First pass: character variables.
  for (size_t i = 0; i < line.size();) {
    if (!is_escape(line[i]) || i + 1 >= line.size()) {
      ++i;
      continue;
    }
    char next = line[i + 1];
    if (is_escape(next)) {
      i += 2;
      continue;
    }
    if (next != '%') {
      ++i;
      continue;
    }
    if (too_many(s, count)) break;
    size_t n = nvar(std::string_view(line).substr(i + 2));
    std::string value = getcvariable(s.vars, std::string_view(line).substr(i + 2, n), s.err());
    line.replace(i, 2 + n, value);
    if (line.size() > 4 * kLineWidth) line.resize(4 * kLineWidth);
  }

  // Second pass: numeric variables, expressions and the layout controls.
  Layout lay{false, "", s.numfmt.sci, s.numfmt.hms, s.numfmt.ndec};
  for (size_t i = 0; i + 1 < line.size();) {
    if (!is_escape(line[i])) {
      ++i;
      continue;
    }
    char next = line[i + 1];
    if (is_escape(next)) {
      i += 2;
      continue;
    }
    switch (next) {
      case '$': {
        if (too_many(s, count)) {
          i = line.size();
          break;
        }
        size_t n = nvar(std::string_view(line).substr(i + 2));
        bool error = false;
        double v =
            getvariable(s.vars, std::string_view(line).substr(i + 2, n), &error, true, s.err());
        line.replace(i, 2 + n, number_text(s, lay, v));
        break;
      }
      case '{': {
        if (too_many(s, count)) {
          i = line.size();
          break;
        }
        size_t close = line.find('}', i + 2);
        size_t end = close == std::string::npos ? line.size() : close + 1;
        bool error = false;
        double v =
            read_number_text(s, std::string_view(line).substr(i + 1, end - i - 1), &error, true);
        line.replace(i, end - i, number_text(s, lay, v));
        break;
      }
      case '#': {
        size_t j = i + 2;
        char c = j < line.size() ? line[j] : ' ';
        if (c == '+' || c == '-') {
          lay.sign = c == '+';
          line.erase(i, 3);
        } else if (c == '(') {
          size_t close = line.find(')', j);
          if (close == std::string::npos) {
            ++i;
            break;
          }
          lay.format = line.substr(j, std::min<size_t>(close - j + 1, 31));
          line.erase(i, close - i + 1);
        } else if (c >= '0' && c <= '9') {
          int n = 0;
          while (j < line.size() && line[j] >= '0' && line[j] <= '9' && n < 1000)
            n = n * 10 + (line[j++] - '0');
          lay.ndec = n;
          lay.format.clear();
          line.erase(i, j - i);
        } else {
          ++i;
        }
        break;
      }
      case ':':
        lay.hms = !lay.hms;
        lay.format.clear();
        line.erase(i, 2);
        break;
      case '^':
        lay.sci = !lay.sci;
        lay.format.clear();
        line.erase(i, 2);
        break;
      case '&':
        line.erase(i, 2);
        break;
      default:
        ++i;
    }
    if (line.size() > 4 * kLineWidth) line.resize(4 * kLineWidth);
  }
  cut(line);
}

std::string format_value(std::string_view format, double value) {
  std::string f = upper(format);
  std::erase(f, ' ');
  if (!f.empty() && f.front() == '(') f.erase(0, 1);
  if (!f.empty() && f.back() == ')') f.pop_back();
  // A scale factor such as 1P is accepted and ignored; ES stands for E.
  size_t k = 0;
  while (k < f.size() && (std::isdigit(static_cast<unsigned char>(f[k])))) ++k;
  if (k < f.size() && f[k] == 'P') f.erase(0, k + 1);
  if (f.empty()) return "";
  char kind = f[0];
  size_t pos = 1;
  if (kind == 'E' && pos < f.size() && (f[pos] == 'S' || f[pos] == 'N')) ++pos;
  int width = 0, digits = -1;
  while (pos < f.size() && std::isdigit(static_cast<unsigned char>(f[pos])) && width < 1000)
    width = width * 10 + (f[pos++] - '0');
  if (pos < f.size() && f[pos] == '.') {
    digits = 0;
    ++pos;
    while (pos < f.size() && std::isdigit(static_cast<unsigned char>(f[pos])) && digits < 100)
      digits = digits * 10 + (f[pos++] - '0');
  }
  char buf[1200];
  switch (kind) {
    case 'I':
      if (!std::isfinite(value) || std::fabs(value) > 9.2e18) {
        std::snprintf(buf, sizeof buf, "%*s", width, "*");
        break;
      }
      std::snprintf(buf, sizeof buf, "%*lld", width, static_cast<long long>(std::llround(value)));
      break;
    case 'F':
      std::snprintf(buf, sizeof buf, "%*.*f", width, digits < 0 ? 0 : digits, value);
      break;
    case 'E':
    case 'D':
      std::snprintf(buf, sizeof buf, "%*.*E", width, digits < 1 ? 0 : digits - 1, value);
      break;
    case 'G':
      std::snprintf(buf, sizeof buf, "%*.*G", width, digits < 1 ? 1 : digits, value);
      break;
    default:
      return "";
  }
  std::string out = buf;
  if (width > 0 && static_cast<int>(out.size()) > width) out.assign(width, '*');
  return out;
}

}  // namespace vexal
