// The axis drawing routines: tick strokes, numbers, label and axis line
// (varax), and the three ways of choosing the ticks (linax, avarax, logax).
#include "axes/varax.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <string>
#include <vector>

#include "axes/numb.h"

namespace vexal {

namespace {

// The axis angle is turned into radians with single-precision pi, the number
// angle with 3.14159, as the drawings have always been made.
constexpr double kAxisPi = static_cast<double>(3.14159265358979f);
constexpr double kNumberPi = 3.14159;
constexpr double kTickSlack = 0.02;         // inches a tick may lie beyond an axis end
constexpr double kNumberGap = 0.07;         // tick stub on the number side, inches
constexpr double kMinorTick = 0.6;          // minor tick length relative to the major
constexpr float kExactFloat = 16777216.0f;  // 2^24: beyond it floats hold no fraction

// One half of a tick stroke: its signed length across the axis, dash and colour.
struct TickHalf {
  double across;
  const DashPattern* dash;
  const Rgb* color;
};

void set_color(PsWriter& w, const Rgb& c) { setrgbcolor(w, c.r, c.g, c.b); }

// The text of one tick's number.
std::string number_text(const AxisDraw& a, size_t index, double value, OutBuffer& err) {
  if (a.varchar) return index < a.tick_texts.size() ? a.tick_texts[index] : std::string();
  if (a.sci) return etoc(value, a.ndec);
  if (a.hms) return dhms(value, a.hmsform, a.hmsunit, err);
  return dtoc(value, a.ndec);
}

// The axis described for its minor ticks: no numbers, no label, short ticks,
// the minor-grid flag and colour with the given grid dash.
AxisDraw minor_axis(const AxisDraw& a, const DashPattern& grid_dash) {
  AxisDraw m = a;
  m.labsize = 0;
  m.numsize = 0;
  m.ticsize = kMinorTick * a.ticsize;
  m.grid = a.mgrid;
  m.grid_color = a.minor_grid_color;
  m.grid_dash = grid_dash;
  m.varchar = false;
  return m;
}

// The two leading digits of a step: the step brought into [10, 100) by
// powers of ten and rounded. Steps below 1e-7 or from 1e6 up are rounded as
// they are.
double leading_digits(double step) {
  double k = step;
  if (step >= 1e-7 && step < 1e6) {
    while (k < 10) k *= 10;
    while (k >= 100) k /= 10;
  }
  return std::round(k);
}

}  // namespace

AutoSteps auto_steps(double range, double length, double density, int mt, bool hms,
                     std::string_view unit) {
  AutoSteps r;
  if (!(range > 0) || !std::isfinite(range)) return r;
  const double ticmin = std::max(length / 2, 1.0) * density;
  const double ticmax = std::max(length, 1.0) * (hms ? 1 : 2) * density;

  double base;
  if (hms) {
    base = unit.substr(0, 7) == "UNIXSEC" ? 3600 : 1;
  } else {
    const float decade = static_cast<float>(std::log10(range));
    base = std::pow(10.0, std::trunc(static_cast<double>(decade)));
  }
  while (range / base > 1000) base *= 10;

  static constexpr double kGrowNumbers[] = {1, 2, 5, 10, 20, 50, 100, 200, 500};
  static constexpr double kGrowTimes[] = {1, 2, 6, 12, 24, 48, 120, 240, 1440};
  static constexpr double kShrinkNumbers[] = {2, 5, 10, 20, 50};
  static constexpr double kShrinkTimes[] = {2, 6, 12, 20, 60, 120, 180, 240, 360, 720, 1800, 3600};
  const std::span<const double> grow = hms ? std::span<const double>(kGrowTimes) : kGrowNumbers;
  const std::span<const double> shrink =
      hms ? std::span<const double>(kShrinkTimes) : kShrinkNumbers;

  double step = 0;
  for (double m : grow) {
    step = m * base;
    if (range / step <= ticmax) break;
  }
  const double grown = step;
  for (double d : shrink) {
    if (range / step >= ticmin) break;
    step = grown / d;
  }
  r.step = step;

  if (mt < 0) return r;
  if (mt > 0) {
    r.minor = step / mt;
    return r;
  }
  const double inches = step / range * length;  // inches per major step
  if (hms) {
    r.minor = inches > 0.75 ? step / 6 : step / 3;
  } else if (inches > 1.5) {
    r.minor = step / 10;
  } else if (inches > 0.75) {
    r.minor = std::fmod(leading_digits(step), 4) == 0 ? step / 4 : step / 5;
  } else {
    r.minor = step / 2;
  }
  return r;
}

int tick_values(double lo, double hi, double step, std::span<double> out) {
  if (!(step > 0) || !std::isfinite(step) || !std::isfinite(lo) || !std::isfinite(hi)) return 0;
  const double ratio = lo / step;
  if (!std::isfinite(ratio)) return 0;
  // The start is truncated in single precision. Where a float holds no
  // fraction any more its rounding would put the first candidate thousands
  // of steps below `lo`, so large ratios are truncated as they are.
  const double first = std::fabs(ratio) < kExactFloat
                           ? std::trunc(static_cast<double>(static_cast<float>(ratio)))
                           : std::trunc(ratio);
  const int limit = static_cast<int>(std::min<size_t>(out.size(), kMaxTicks));
  int n = 0;
  for (int k = 0; k < kMaxTicks && n < limit; ++k) {
    const double q = k * step + first * step;
    if (q < lo) continue;
    if (q > hi) break;
    out[n++] = q;
  }
  return n;
}

namespace {

constexpr double kUprightSlack = 1e-6;  // degrees an upright axis may lean by rounding

// An axis text at the place. Turned half round (`turn`) it covers the same
// place: the start moves up by the height, the ends of the justification
// change places.
void axis_text(TextState& t, PsWriter& w, const TextContext& c, bool turn, TextPlace place,
               std::string_view text) {
  if (turn) {
    const double r = place.angle * std::numbers::pi / 180;
    place.x -= place.height * std::sin(r);
    place.y += place.height * std::cos(r);
    place.angle += place.angle > 0 ? -180 : 180;
    place.justification = place.justification == "LEFT"    ? "RIGHT"
                          : place.justification == "RIGHT" ? "LEFT"
                                                           : place.justification;
  }
  chars(t, w, c, place, text);
}

}  // namespace

void varax(PsWriter& w, TextState& t, const TextContext& c, const AxisDraw& a,
           std::span<const double> ticks, OutBuffer& err) {
  if (!std::isfinite(a.length) || !std::isfinite(a.xorig) || !std::isfinite(a.yorig)) return;
  set_dash(w, kSolidDash);
  const double xorig = w.xorig, yorig = w.yorig;
  plot(w, a.xorig, a.yorig, PenCode::kMoveOrigin);

  const double rad = a.angle * kAxisPi / 180;
  const double ca = std::cos(rad), sa = std::sin(rad);
  // A point `along` the axis and `across` it (positive to the left).
  auto pen = [&](double along, double across, PenCode code) {
    plot(w, along * ca - across * sa, along * sa + across * ca, code);
  };
  // Text of an axis pointing leftwards reads upright when asked; an upright
  // axis (90 degrees give or take rounding) is not turned.
  const bool turn = a.upright && std::fabs(std::remainder(a.angle, 360.0)) > 90 + kUprightSlack;
  auto text = [&](const TextPlace& place, std::string_view s) {
    axis_text(t, w, c, turn, place, s);
  };

  const bool numbers = a.numsize > 0;
  const double gridlength = std::isfinite(a.gridlength) ? a.gridlength : 0;
  TickHalf up{a.ticsize, &kSolidDash, &a.axis_color};
  TickHalf down{0, &kSolidDash, &a.axis_color};
  if (a.side < 0) {
    if (a.grid) up = {gridlength, &a.grid_dash, &a.grid_color};
    down.across = numbers ? -kNumberGap : 0;
  } else if (a.side == 0) {
    down.across = -a.ticsize;
  } else {
    up.across = numbers ? kNumberGap : 0;
    down = a.grid ? TickHalf{-gridlength, &a.grid_dash, &a.grid_color}
                  : TickHalf{-a.ticsize, &kSolidDash, &a.axis_color};
  }

  const double span = a.maxu - a.minu;
  const double nrad = a.numangle * kNumberPi / 180;
  const double nsin = std::sin(nrad), ncos = std::fabs(std::cos(nrad));
  const std::string_view place = a.numplace;
  const bool centered = place == "CENTER";
  double y0 = 0;  // how far turned numbers reach out from the axis
  for (size_t i = 0; i < ticks.size(); ++i) {
    const double along = (ticks[i] - a.minu) / span * a.length;
    if (!(along >= -kTickSlack && along <= a.length + kTickSlack)) continue;
    newpen(w, a.axthick);
    set_dash(w, kSolidDash);
    pen(along, down.across, PenCode::kMove);
    set_dash(w, *down.dash);
    set_color(w, *down.color);
    pen(along, 0, PenCode::kDraw);
    set_dash(w, *up.dash);
    set_color(w, *up.color);
    pen(along, up.across, PenCode::kDraw);
    set_dash(w, kSolidDash);
    set_color(w, a.axis_color);
    pen(along, 0, PenCode::kMove);

    if (a.side == 0 || !numbers) continue;
    double shown = ticks[i];
    if (a.mod > 0) shown = std::fmod(shown, a.mod);
    if (a.abs) shown = std::fabs(shown);
    if (a.neg) shown = -shown;
    if (shown == 0) shown = 0;  // a negated or remaindered zero shows as "0", not "-0"
    double at = along + 0.5 * a.numsize * nsin;
    const double across = a.side < 0 ? -0.1 - ncos * a.numsize : (a.ticsize < 0 ? 0.15 : 0.1);
    newpen(w, std::max(a.numthick, 1));
    const std::string number = number_text(a, i, shown, err);
    const double width = slen(t, c, a.numsize, number);
    std::string_view justification = place;
    bool draw = true;
    if (a.lf && at + width / 2 > a.length && centered) {
      draw = a.ln;
      justification = "RIGHT";
      at = a.length;
    } else if (a.ff && at - width / 2 < 0 && centered) {
      draw = a.fn;
      justification = "LEFT";
      at = 0;
    }
    if (draw)
      text({at * ca - across * sa, at * sa + across * ca, a.numsize, a.numangle + a.angle,
            justification},
           number);
    y0 = std::max(y0, std::fabs(nsin) * width);
  }

  if (a.side != 0) {
    newpen(w, std::max(a.labthick, 1));
    double across;
    if (std::fabs(a.laboffset) > 0.01)
      across = a.side < 0 ? -std::fabs(a.laboffset) : std::fabs(a.laboffset);
    else if (a.side < 0)
      across = -0.2 - ncos * a.numsize - a.labsize - y0;
    else
      across = ncos * a.numsize + 0.2 + y0;
    const double along = a.length / 2;
    if (a.labsize > 0) {
      const size_t n = static_cast<size_t>(std::abs(a.side));
      text({along * ca - across * sa, along * sa + across * ca, a.labsize, a.angle, "CENTER"},
           a.label.substr(0, std::min(n, a.label.size())));
    }
  }

  set_dash(w, kSolidDash);
  pen(0, 0, PenCode::kMove);
  set_color(w, a.axis_color);
  newpen(w, a.axthick);
  pen(a.length, 0, PenCode::kDraw);
  plot(w, -a.xorig, -a.yorig, PenCode::kMoveOrigin);
  // The origin is put back exactly, so that many axes cannot make it drift.
  w.xorig = xorig;
  w.yorig = yorig;
}

void linax(PsWriter& w, TextState& t, const TextContext& c, const AxisDraw& a, OutBuffer& err) {
  std::array<double, kMaxTicks> ticks;  // axis01
  const double span = a.maxu - a.minu;
  const int64_t count = (static_cast<int64_t>(a.nt) - 1) * a.mt;  // TIC and MTIC take any int
  int n = 0;
  if (count > 0) {
    n = static_cast<int>(std::min<int64_t>(count, kMaxTicks));
    for (int k = 0; k < n; ++k) ticks[k] = a.minu + k * span / static_cast<double>(count);
  }
  // The minor ticks take the grid dash pattern, not the minor-grid one: the
  // fixed-count axis has always drawn them so.
  if (a.mt >= 0) varax(w, t, c, minor_axis(a, a.grid_dash), std::span(ticks.data(), n), err);

  n = std::clamp(a.nt, 0, kMaxTicks);
  if (n == 1) ticks[0] = a.minu;
  for (int k = 0; n > 1 && k < n; ++k) ticks[k] = a.minu + k * span / (a.nt - 1);
  AxisDraw major = a;
  major.varchar = false;
  varax(w, t, c, major, std::span(ticks.data(), n), err);
}

void avarax(PsWriter& w, TextState& t, const TextContext& c, const AxisDraw& a, OutBuffer& err) {
  std::array<double, kMaxTicks> ticks;  // axis01
  // A reversed axis (minu above maxu) gets the same ticks as the upright one.
  const double lo = std::min(a.minu, a.maxu), hi = std::max(a.minu, a.maxu);
  const AutoSteps steps = auto_steps(hi - lo, a.length, a.density, a.mt, a.hms, a.hmsunit);

  if (a.mt >= 0 && steps.minor > 0) {
    const int n = tick_values(lo, hi, steps.minor, ticks);
    varax(w, t, c, minor_axis(a, a.minor_grid_dash), std::span(ticks.data(), n), err);
  }

  double step = steps.step;
  int n = tick_values(lo, hi, step, ticks);
  // Halving a positive step brings two ticks into any span within a few
  // dozen rounds; the bound only guards a span of 0 or NaN.
  for (int round = 0; n < 2 && step > 0 && round < 64; ++round) {
    step /= 2;
    n = tick_values(lo, hi, step, ticks);
  }
  AxisDraw major = a;
  major.varchar = false;
  varax(w, t, c, major, std::span(ticks.data(), n), err);
}

void logax(PsWriter& w, TextState& t, const TextContext& c, const AxisDraw& a, OutBuffer& err) {
  // log10(j) for j = 2 .. 9, as the minor ticks have always been placed.
  static constexpr double kLogDigits[] = {0.301, 0.477, 0.602, 0.699, 0.778, 0.845, 0.903, 0.954};
  std::array<double, kMaxTicks> ticks;
  std::vector<std::string> texts;

  const double lo = std::log10(std::max(a.minu, 1e-32));
  const double hi = std::log10(std::max(a.maxu, 1e-31));
  AxisDraw major = a;
  major.minu = lo;
  major.maxu = hi;
  major.ndec = 0;
  major.mod = 0;
  major.sci = false;
  major.abs = false;
  major.varchar = true;
  // NaN limits (std::max keeps a NaN first argument) leave an axis without ticks.
  if (!std::isfinite(lo) || !std::isfinite(hi)) {
    varax(w, t, c, major, {}, err);
    return;
  }
  // Decades from trunc(lo - 1) to trunc(hi + 1); finite logs of doubles lie
  // within -324 .. 309, so the integers cannot overflow.
  const int i0 = static_cast<int>(std::trunc(std::min(lo, hi) - 1));
  const int i1 = static_cast<int>(std::trunc(std::max(lo, hi) + 1));
  int n = 0;
  texts.reserve(static_cast<size_t>(i1 - i0 + 1));
  for (int i = i0; i <= i1 && n < kMaxTicks; ++i) {
    ticks[n++] = i;
    texts.push_back("10|+" + std::to_string(i));
  }
  major.tick_texts = texts;
  varax(w, t, c, major, std::span(ticks.data(), n), err);

  n = 0;
  for (int i = i0; i <= i1 && n < kMaxTicks; ++i)
    for (size_t j = 0; j < std::size(kLogDigits) && n < kMaxTicks; ++j)
      ticks[n++] = i + kLogDigits[j];
  AxisDraw minor = minor_axis(major, a.minor_grid_dash);
  varax(w, t, c, minor, std::span(ticks.data(), n), err);
}

}  // namespace vexal
