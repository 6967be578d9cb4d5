// Number and time-label text: fixed point (dtoc), scientific with a raised
// exponent (etoc) and day/time labels (dhms), and the thin routines that draw
// or measure them through the text writer.
#include "axes/numb.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "util/numbers.h"
#include "util/text.h"

namespace vexal {

namespace {

// The fixed-point text is laid out in a 100-character field; this many
// decimals still fit beside a sign and six integer digits.
constexpr int kMaxDecimals = 92;
constexpr int kMaxDays = 9999999;
constexpr double kHugeHours = 24.0 * 1e8;

constexpr const char* kDayNames[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr const char* kMonthNames[] = {"???", "Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                       "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

const char* day_name(int wday) { return wday >= 0 && wday <= 6 ? kDayNames[wday] : "???"; }
const char* month_name(int month) { return month >= 1 && month <= 12 ? kMonthNames[month] : "???"; }

// Appends `value` with at least `digits` digits (leading zeros).
void put_digits(std::string& out, int value, int digits) {
  char buf[24];
  int n = std::snprintf(buf, sizeof buf, "%.*d", digits, value);
  out.append(buf, static_cast<size_t>(n));
}

// The broken-down time a label is built from.
struct TimeFields {
  int year = 0, month = 0, mday = 0, wday = 0;  // 0 in the hours unit
  int day = 0;                                  // day count, or day of year (1-based)
  int hour = 0, minute = 0, second = 0;
};

TimeFields unix_fields(double x) {
  TimeFields f;
  if (!(std::fabs(x) < 1e17)) return f;  // no calendar for it: all fields stay 0
  std::time_t t = static_cast<std::time_t>(std::llround(x));
  std::tm tm{};
  if (!gmtime_r(&t, &tm)) return f;
  f.year = tm.tm_year + 1900;
  f.day = tm.tm_yday + 1;
  f.month = tm.tm_mon + 1;
  f.mday = tm.tm_mday;
  f.wday = tm.tm_wday;
  f.hour = tm.tm_hour;
  f.minute = tm.tm_min;
  f.second = tm.tm_sec;
  return f;
}

TimeFields hour_fields(double x) {
  TimeFields f;
  // Far beyond the largest day count there is no time of day to show (and the
  // fields would overflow): only the day count, to be reported by the caller.
  if (!(std::fabs(x) < kHugeHours)) {
    f.day = x > 0 ? kMaxDays + 1 : x < 0 ? -(kMaxDays + 1) : 0;
    return f;
  }
  f.day = to_int(std::trunc(x / 24));
  // 24 x days is formed in single precision, as the labels always have been.
  double day_hours = static_cast<float>(24.0f * static_cast<float>(f.day));
  double rest = x - day_hours;
  double hours = std::trunc(rest);
  f.hour = to_int(hours);
  rest = 60 * (rest - hours);  // remaining minutes
  double minutes = std::trunc(rest);
  f.minute = to_int(minutes);
  f.second = to_int(std::round(60 * (rest - minutes)));
  if (f.second > 59) {
    f.minute += 1;
    f.second -= 60;
  }
  if (f.minute > 59) {
    f.hour += 1;
    f.minute -= 60;
  }
  if (f.hour > 23) {
    f.day += 1;
    f.hour -= 24;
  }
  return f;
}

}  // namespace

std::string etoc(double x, int ndec) {
  if (x == 0) return "0";
  char sci[64];
  if (!std::isfinite(x)) {  // no exponent to raise: the run-time library's text
    std::snprintf(sci, sizeof sci, "%g", x);
    return sci;
  }
  // 15 significant digits, d.dddddddddddddde+XX; the 0.d...d form used below
  // has the exponent one higher.
  std::snprintf(sci, sizeof sci, "%.14e", x);
  const bool negative = sci[0] == '-';
  const char* lead = sci + (negative ? 1 : 0);
  const char* e = std::strchr(lead, 'e');
  int exponent = std::atoi(e + 1) + 1;

  // The mantissa holds 15 digits; more decimals would scale it past the
  // largest double.
  ndec = std::min(ndec, 15);
  std::string out;
  if (ndec < -1) {
    out = "10|+" + std::to_string(exponent);
  } else {
    // Read the mantissa back as 0.d...d, the way the text would be read.
    char mtext[24];
    int n =
        std::snprintf(mtext, sizeof mtext, "%s0.%c%.14s", negative ? "-" : "", lead[0], lead + 2);
    double m = 0;
    std::from_chars(mtext, mtext + n, m);
    double scale = std::pow(10.0, ndec < 0 ? 1 : ndec + 1);
    m = std::round(m * scale) / scale;

    char fixed[64];
    std::snprintf(fixed, sizeof fixed, "%.15f", m);
    out = fixed;
    size_t point = out.find('.');
    if (out[point - 1] == '0') {  // 0.ddd: move the first digit before the point
      out.erase(point - 1, 1);    // "-.ddd" or ".ddd"
      std::swap(out[point - 1], out[point]);
      exponent -= 1;
    }
    point = out.find('.');
    out.resize(std::min(out.size(), point + 1 + static_cast<size_t>(std::max(ndec, 0))));
    if (ndec > 1) {
      while (out.back() == '0') out.pop_back();
    }
    if (out.back() == '.') out.pop_back();
    out += "x10|+";
    out += std::to_string(exponent);
  }
  out += "|>|-|>";  // back to the baseline and the full height
  return out;
}

std::string dtoc(double x, int ndec) {
  if (std::fabs(x) > 100000) return etoc(x, std::max(ndec, 2));
  // Negative decimals are not supported by callers; guard by treating them as 0.
  ndec = std::clamp(ndec, 0, kMaxDecimals);
  char text[128];
  int n = std::snprintf(text, sizeof text, "%.*f", ndec, x);
  std::string out(text, static_cast<size_t>(n));
  if (out.find('.') != std::string::npos) {
    while (out.size() > 1 && out.back() == '0') out.pop_back();
    if (out.size() > 1 && out.back() == '.') out.pop_back();
  }
  return out;
}

std::string dhms(double x, std::string_view form, std::string_view unit, OutBuffer& err) {
  form = trimmed(form);
  TimeFields f = trimmed(unit) == "UNIXSEC" ? unix_fields(x) : hour_fields(x);
  if (f.day > kMaxDays) {
    err.line("DDD/HH:MM:SS output error--DDD > 9999999 not supported.");
    f.day = kMaxDays;
  }

  std::string out;
  out.reserve(32);
  // XHMSFORM upper-cases its form, so "DEFAULT" must select the default
  // layout as well (else the labels would come out empty).
  if (form.empty() || form == "default" || form == "DEFAULT") {
    put_digits(out, f.day, 3);
    out += '/';
    put_digits(out, f.hour, 2);
    out += ':';
    put_digits(out, f.minute, 2);
    if (f.second != 0) {
      out += ':';
      put_digits(out, f.second, 2);
    }
    if (out.compare(0, 4, "000/") == 0) out.erase(0, 2);
    return out;
  }

  auto has = [form](std::string_view key) { return form.find(key) != std::string_view::npos; };
  if (has("DOW")) {
    out += day_name(f.wday);
    if (has("/")) out += '/';
  }
  if (has("DDMONYYYY")) {
    put_digits(out, f.mday, 2);
    out += month_name(f.month);
    put_digits(out, f.year, 4);
    if (has("YYYY/")) out += '/';
  } else if (has("DDMON")) {
    put_digits(out, f.mday, 2);
    out += month_name(f.month);
    if (has("MON/")) out += '/';
  } else {
    if (has("YYYY")) {
      put_digits(out, f.year, 4);
      out += '/';
    }
    if (has("MM/")) {
      put_digits(out, f.month, 2);
      out += '/';
    }
    if (has("DDD")) {
      put_digits(out, f.day, 3);
      if (has("DDD/")) out += '/';
    } else if (has("/DD")) {
      put_digits(out, f.mday, 2);
      if (has("/DD/")) out += '/';
    }
  }
  if (has("HH")) {
    put_digits(out, f.hour, 2);
    if (has("HH:")) out += ':';
  }
  if (has("MM")) put_digits(out, f.minute, 2);
  if (has(":SS") && f.second != 0) {
    out += ':';
    put_digits(out, f.second, 2);
  }
  return out;
}

// ---- drawing and measuring ------------------------------------------------

void numb(TextState& t, PsWriter& w, const TextContext& c, const TextPlace& place, double value,
          int ndec) {
  chars(t, w, c, place, dtoc(value, ndec));
}

double rnumbl(TextState& t, const TextContext& c, double h, double value, int ndec) {
  return slen(t, c, h, dtoc(value, ndec));
}

void signednumb(TextState& t, PsWriter& w, const TextContext& c, const TextPlace& place,
                double value, int ndec) {
  std::string text = dtoc(value, ndec);
  if (value >= 0) text.insert(0, "+");
  chars(t, w, c, place, text);
}

double signednumbl(TextState& t, const TextContext& c, double h, double value, int ndec) {
  // Zero is drawn "+0" but measured "0": the measure has always been so.
  std::string text = dtoc(value, ndec);
  if (value > 0) text.insert(0, "+");
  return slen(t, c, h, text);
}

void xnumb(TextState& t, PsWriter& w, const TextContext& c, const TextPlace& place, double value,
           int ndec) {
  chars(t, w, c, place, etoc(value, ndec));
}

double xnumbl(TextState& t, const TextContext& c, double h, double value, int ndec) {
  return slen(t, c, h, etoc(value, ndec));
}

}  // namespace vexal
