// Parameter reading.
#include "interp/params.h"

#include <algorithm>
#include <cmath>

#include "data/append.h"
#include "expr/stak_math.h"
#include "expr/valread.h"
#include "interp/session.h"
#include "util/text.h"

namespace vexal {

namespace {

size_t skip_blanks(std::string_view t, size_t i = 0) {
  while (i < t.size() && t[i] == ' ') ++i;
  return i;
}

// A braced expression, evaluated once. Its errors have printed their
// message and set the point's error flag; the parameter is then 0.
double evaluate_braces(Session& s, std::string_view text) {
  MathEnv env = s.math_env();
  return stak_math(text, env, s.scratch_math);
}

}  // namespace

void parameter_warning(Session& s, std::string_view quote) {
  OutBuffer& err = s.err();
  err.put(" A parameter was missing or invalid: ");
  err.line(trimmed(quote.empty() ? std::string_view(s.cs.raw) : quote));
}

double getparm(Params& p, bool* error, bool warn) {
  std::string& t = p.text;
  for (char& c : t)
    if (c == '\t' || c == ',') c = ' ';
  size_t i = skip_blanks(t);
  bool bad = false;
  double v = 0.0;
  if (i >= t.size()) {
    bad = true;
    t.clear();
  } else if (t[i] == '{') {
    size_t close = t.find('}', i);
    size_t end = close == std::string::npos ? t.size() : close + 1;
    v = evaluate_braces(p.s, std::string_view(t).substr(i, end - i));
    t.erase(0, end);
  } else {
    size_t end = t.find(' ', i);
    if (end == std::string::npos) end = t.size();
    std::string_view token = std::string_view(t).substr(i, end - i);
    v = valread(token, &bad, p.s.vars, p.s.err());
    size_t consumed = end < t.size() ? end + 1 : end;
    // A time may be followed by a zone word, which is read with it.
    if (!bad && is_time_token(token)) {
      size_t w = skip_blanks(t, consumed);
      size_t wend = t.find(' ', w);
      if (wend == std::string::npos) wend = t.size();
      if (w < t.size() && is_zone_word(std::string_view(t).substr(w, wend - w)))
        consumed = wend < t.size() ? wend + 1 : wend;
    }
    t.erase(0, consumed);
  }
  if (bad) {
    v = 0.0;
    if (warn) parameter_warning(p.s, p.quote);
  }
  if (error) *error = bad;
  return v;
}

std::string getcparm(Params& p, bool warn) {
  std::string& t = p.text;
  size_t i = skip_blanks(t);
  if (i >= nstrng(t)) {
    t.clear();
    if (warn) parameter_warning(p.s, p.quote);
    return "";
  }
  std::string out;
  size_t next;
  if (t[i] == '"') {
    size_t close = t.find('"', i + 1);
    if (close == std::string::npos) {
      out = t.substr(i + 1);
      next = t.size();
    } else {
      out = t.substr(i + 1, close - i - 1);
      next = close + 1;
    }
  } else {
    size_t end = t.find(' ', i);
    if (t[i] == '{') {
      size_t close = t.find('}', i);
      if (close != std::string::npos && end != std::string::npos && close + 1 > end)
        end = close + 1;
    }
    if (end == std::string::npos) end = t.size();
    out = t.substr(i, end - i);
    next = end;
  }
  if (next < t.size()) ++next;  // the separator goes with the token
  t.erase(0, next);
  return std::string(trimmed(out));
}

int int_parm(Params& p, bool* error, bool warn) { return to_int(getparm(p, error, warn)); }

int column_parm(Params& p) { return std::clamp(int_parm(p), 0, kMaxDataColumns); }

std::optional<int> version_code(Session& s, std::string text, std::string_view quote) {
  for (int dots = 0, i = 0; i < static_cast<int>(text.size()) && dots < 2; ++i)
    if (text[i] == '.') {
      text[i] = ' ';
      ++dots;
    }
  Params p{s, text, quote};
  bool bad_year = false, bad_month = false, bad_day = false;
  const double year = getparm(p, &bad_year), month = getparm(p, &bad_month),
               day = getparm(p, &bad_day);
  if (bad_year || bad_month || bad_day || !(year >= 1 && year <= 9999) ||
      !(month >= 1 && month <= 12) || !(day >= 1 && day <= 31))
    return std::nullopt;
  return to_int(std::trunc(year)) * 372 + to_int(std::trunc(month)) * 31 + to_int(std::trunc(day));
}

std::string rest_of_line(const Params& p) { return std::string(trimmed(nolead(p.text))); }

double read_number_text(Session& s, std::string_view text, bool* error, bool warn,
                        std::string_view quote) {
  Params p{s, std::string(text), quote};
  return getparm(p, error, warn);
}

}  // namespace vexal
