// Text, fonts and markers: font selection and widths, the "show" lines of
// `letter`, the escape language of `chars` and `slen` (one layout routine
// serves both, so that measuring and drawing cannot disagree), the marker
// procedures called by `symbol`, text blocks and margin stamps.
#include "postscript/chars.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "postscript/font_metrics.h"
#include "postscript/unicode_glyphs.h"
#include "util/numbers.h"
#include "util/text.h"

namespace vexal {
namespace {

// Advance widths of codes 32..127 in 1/24 of the font height; codes 128..255
// are 24 in every family, and Courier is 24 throughout.
constexpr std::array<unsigned char, 96> kHelveticaWidths = {
    14, 13, 15, 19, 19, 27, 22, 11, 12, 12, 15, 20, 13, 14, 13, 13,  // 32-47
    19, 19, 19, 19, 19, 19, 19, 19, 19, 19, 13, 13, 20, 20, 20, 19,  // 48-63
    30, 22, 22, 23, 23, 22, 21, 25, 23, 11, 18, 22, 19, 26, 23, 25,  // 64-79
    22, 25, 23, 22, 21, 23, 22, 29, 22, 22, 21, 11, 11, 11, 17, 19,  // 80-95
    14, 19, 19, 18, 19, 19, 13, 19, 19, 9,  10, 18, 9,  28, 19, 19,  // 96-111
    19, 19, 13, 18, 12, 19, 18, 23, 18, 18, 18, 12, 8,  12, 19, 24,  // 112-127
};
constexpr std::array<unsigned char, 96> kTimesWidths = {
    14, 11, 13, 16, 16, 26, 26, 11, 11, 11, 15, 18, 8,  11, 8,  9,   // 32-47
    16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 8,  8,  18, 18, 18, 14,  // 48-63
    29, 23, 21, 21, 22, 19, 18, 23, 23, 11, 12, 23, 19, 28, 23, 23,  // 64-79
    17, 23, 21, 17, 19, 23, 23, 30, 23, 23, 19, 11, 11, 11, 17, 19,  // 80-95
    11, 15, 16, 15, 16, 16, 11, 16, 16, 8,  8,  16, 9,  26, 16, 16,  // 96-111
    16, 16, 11, 14, 10, 16, 16, 24, 16, 16, 15, 15, 8,  11, 18, 24,  // 112-127
};
constexpr std::array<unsigned char, 96> kSymbolWidths = {
    14, 14, 23, 18, 19, 26, 25, 17, 14, 14, 18, 19, 14, 19, 14, 13,  // 32-47
    18, 18, 18, 18, 18, 18, 18, 18, 18, 18, 13, 13, 19, 19, 19, 17,  // 48-63
    19, 23, 22, 23, 21, 22, 24, 20, 24, 14, 21, 23, 22, 28, 24, 24,  // 64-79
    25, 24, 20, 21, 21, 23, 17, 25, 22, 25, 24, 14, 27, 14, 22, 18,  // 80-95
    18, 21, 19, 19, 18, 17, 19, 16, 21, 14, 20, 19, 19, 20, 19, 19,  // 96-111
    19, 19, 19, 21, 16, 20, 23, 23, 18, 23, 18, 18, 11, 18, 19, 24,  // 112-127
};

constexpr std::string_view kStandardFonts[] = {
    "Helvetica",    "Helvetica-Bold",  "Helvetica-BoldOblique", "Helvetica-Oblique", "Symbol",
    "Times-Roman",  "Times-Bold",      "Times-Italic",          "Times-BoldItalic",  "Courier",
    "Courier-Bold", "Courier-Oblique", "Courier-BoldOblique",
};

constexpr size_t kMaxFontName = 32;
constexpr double kDefaultSup = 0.7;  // superscript factor when the setting is 0 or less
// Heights used while laying out a text stay within these bounds, so that
// repeated size escapes (or an odd superscript factor) can neither reach 0,
// a denormal or infinity; the font size written never goes below 1 anyway.
constexpr double kMinHeight = 1e-6;   // inches
constexpr double kMaxHeight = 1e4;    // inches
constexpr double kMaxFontSize = 1e8;  // device units
// Markers and samples in text switch to the data colour and back from this
// compatibility level on; older levels draw them in the text colour.
constexpr int kMarkerColourLevel = 742820;
// The text block's lines become command lines, which hold 256 characters.
constexpr size_t kMaxBlockLine = kLineWidth;
// The margin stamps: left edge, first line and line step, height (inches).
constexpr double kStampX = 0.25, kStampY = 0.25, kStampStep = 0.06, kStampHeight = 0.04;

bool is_escape(unsigned char c) { return c == '|' || c == '\\'; }

int hex_value(unsigned char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

double usable_height(double h) {
  if (!(h > kMinHeight)) return kMinHeight;  // also NaN
  return h > kMaxHeight ? kMaxHeight : h;
}

// An angle whose nearest integer can be written; rotation by a multiple of
// 360 degrees changes nothing, so only absurd values are reduced.
double usable_angle(double a) {
  if (!std::isfinite(a)) return 0;
  return std::abs(a) > 1e6 ? std::fmod(a, 360.0) : a;
}

double superscript_factor(const TextContext& c) {
  return c.sup > 0 && std::isfinite(c.sup) ? c.sup : kDefaultSup;
}

// The family member for the bold and italic flags: H, T, C or S.
std::string_view family_font(char family, bool bold, bool italic) {
  static constexpr std::string_view kHelvetica[] = {"Helvetica", "Helvetica-Oblique",
                                                    "Helvetica-Bold", "Helvetica-BoldOblique"};
  static constexpr std::string_view kTimes[] = {"Times-Roman", "Times-Italic", "Times-Bold",
                                                "Times-BoldItalic"};
  static constexpr std::string_view kCourier[] = {"Courier", "Courier-Oblique", "Courier-Bold",
                                                  "Courier-BoldOblique"};
  const int k = (bold ? 2 : 0) + (italic ? 1 : 0);
  switch (family) {
    case 'T':
      return kTimes[k];
    case 'C':
      return kCourier[k];
    case 'S':
      return "Symbol";
    default:
      return kHelvetica[k];
  }
}

// Widens the drawn box by one device point, limited to the clip window.
void widen_box(PsWriter& w, int ix, int iy) {
  w.bxmin = std::min(w.bxmin, std::max(w.cxmin, ix));
  w.bxmax = std::max(w.bxmax, std::min(w.cxmax, ix));
  w.bymin = std::min(w.bymin, std::max(w.cymin, iy));
  w.bymax = std::max(w.bymax, std::min(w.cymax, iy));
}

// The text as laid out: trailing blanks dropped and, when it then ends in an
// escape character, one blank after it (so the escape has a partner).
struct TextView {
  std::string_view s;
  bool extra_blank;
  size_t size() const { return s.size() + (extra_blank ? 1 : 0); }
  unsigned char operator[](size_t j) const {
    return j < s.size() ? static_cast<unsigned char>(s[j]) : ' ';
  }
};

TextView text_view(std::string_view text) {
  text = text.substr(0, std::min(text.size(), kMaxTextLength));
  size_t n = text.size();
  while (n > 0 && text[n - 1] == ' ') --n;
  text = text.substr(0, n);
  return {text, n > 0 && is_escape(static_cast<unsigned char>(text[n - 1]))};
}

// The walk over a text's escapes shared by slen (w == nullptr: measure only)
// and chars (draw). Positions are inches from the text start, the layout
// turned by `angle` about it; `length` is the text's measured length, which
// the justification jumps use. Returns the final x position.
class Layout {
 public:
  Layout(TextState& t, const TextContext& c, PsWriter* w, double h, double angle, double length)
      : t_(t), c_(c), w_(w), h_(usable_height(h)), hp_(h_), angle_(angle), length_(length) {
    const double a = angle * std::numbers::pi / 180;
    cos_ = std::cos(a);
    sin_ = std::sin(a);
  }

  double run(const TextView& v, double start_x) {
    xp_ = start_x;
    const double sup = superscript_factor(c_);
    const size_t n = v.size();
    for (size_t j = 0; j < n;) {
      const unsigned char ch = v[j];
      if (ch >= 0x80) {  // a character typed in UTF-8 draws that character
        if (const auto u = utf8_sequence(v.s, j)) {
          typed(u->code);
          j += u->length;
          continue;
        }
      }
      if (j + 1 == n) {  // the last character is always plain
        plain(ch);
        break;
      }
      if (ch < 32) {
        ++j;
        continue;
      }
      if (!is_escape(ch)) {
        plain(ch);
        ++j;
        continue;
      }
      const unsigned char next = v[j + 1];
      j += 2;
      switch (next) {
        case '|':
        case '\\':
          plain(next);
          break;
        case '+':
          hp_ = usable_height(hp_ * sup);
          yp_ += 0.75 * hp_;
          break;
        case '-':
          hp_ = usable_height(hp_ * sup);
          yp_ -= 0.75 * hp_;
          break;
        case '<':
          hp_ = usable_height(hp_ * sup);
          break;
        case '>':
          hp_ = usable_height(hp_ / sup);
          break;
        case '=':
          yp_ = 0;
          hp_ = h_;
          break;
        case '~':
          xp_ -= last_width_;
          break;
        case '_':
          sample();
          break;
        case ' ':
          plain(' ');
          break;
        default:
          if (next >= '0' && next <= '9') {
            marker(next - '0');
          } else if (!letter_escape(v, next, j)) {
            plain(ch);  // not an escape: the character itself, and go on after it
            --j;
          }
      }
    }
    return xp_;
  }

 private:
  // Escape letters; false for a letter that is not one. `j` is past the letter.
  bool letter_escape(const TextView& v, unsigned char next, size_t& j) {
    switch (next >= 'a' && next <= 'z' ? next - 'a' + 'A' : next) {
      case 'B':
        bold_ = !bold_;
        return true;
      case 'I':
        italic_ = !italic_;
        return true;
      case 'U':
        underline_ = !underline_;
        return true;
      case 'L':
        if (w_) xp_ = 0;  // jumps do not count in the length
        return true;
      case 'M':
        if (w_) xp_ = -length_ / 2;
        return true;
      case 'R':
        if (w_) xp_ = -length_;
        return true;
      case 'H':
        set_font(t_, family_font('H', bold_, italic_));
        return true;
      case 'T':
        set_font(t_, family_font('T', bold_, italic_));
        return true;
      case 'C':
        set_font(t_, family_font('C', bold_, italic_));
        return true;
      case 'S':
        set_font(t_, family_font('S', bold_, italic_));
        return true;
      case 'X': {
        const int hi = j + 1 < v.size() ? hex_value(v[j]) : -1;
        const int lo = hi >= 0 ? hex_value(v[j + 1]) : -1;
        if (lo >= 0) {
          plain(static_cast<unsigned char>(hi * 16 + lo));
          j += 2;
        }
        return true;
      }
      default:
        return false;
    }
  }

  // The page position of a layout point (inches from the text start).
  double px(double x, double y) const { return x * cos_ - y * sin_; }
  double py(double x, double y) const { return x * sin_ + y * cos_; }

  void plain(unsigned char ch) {
    const double width = cwidth(t_, ch, hp_);
    if (w_) {
      const char text[1] = {static_cast<char>(ch)};
      letter(t_, *w_, px(xp_, yp_), py(xp_, yp_), hp_, std::string_view(text, 1), angle_);
    }
    advance(width);
  }

  // A character typed in UTF-8: its glyph, or "?" with a warning when no
  // standard font has it.
  void typed(char32_t code) {
    const auto g = char_glyph(code);
    if (!g) {
      if (w_ && c_.warnings) {
        char line[96];
        std::snprintf(line, sizeof line,
                      "Warning--no standard font has the character U+%04X: drawn as ?",
                      static_cast<unsigned>(code));
        c_.warnings->line(line);
      }
      plain('?');
      return;
    }
    advance(w_ ? glyph_letter(t_, *w_, px(xp_, yp_), py(xp_, yp_), hp_, g->name, g->symbol, angle_)
               : glyph_width_at(t_, g->name, g->symbol, hp_));
  }

  void marker(int code) {
    const double s = t_.marker_size;
    if (w_) {
      const double cx = xp_ + s / 2, cy = yp_ + s / 2;
      data_colour();
      symbol(t_, *w_, c_, {px(cx, cy), py(cx, cy), s, angle_}, code);
      text_colour();
    }
    advance(s);
  }

  void sample() {
    const double len = c_.pen.line_sample;
    if (w_) {
      const double y = yp_ + hp_ / 2;
      data_colour();
      set_dash(*w_, c_.pen.dash);
      moveto(*w_, px(xp_, y), py(xp_, y));
      drawto(*w_, px(xp_ + len, y), py(xp_ + len, y));
      text_colour();
    }
    advance(len);
  }

  void advance(double width) {
    xp_ += width;
    last_width_ = width;
    if (!w_ || !underline_) return;
    const double y = yp_ - 0.1 * hp_;
    moveto(*w_, px(xp_ - last_width_, y), py(xp_ - last_width_, y));
    drawto(*w_, px(xp_, y), py(xp_, y));
    moveto(*w_, px(xp_, yp_), py(xp_, yp_));
  }

  bool swaps_colour() const { return c_.compat_level > kMarkerColourLevel; }
  void data_colour() {
    if (swaps_colour())
      setrgbcolor(*w_, c_.pen.data_color.r, c_.pen.data_color.g, c_.pen.data_color.b);
  }
  void text_colour() {
    if (swaps_colour())
      setrgbcolor(*w_, c_.pen.text_color.r, c_.pen.text_color.g, c_.pen.text_color.b);
  }

  TextState& t_;
  const TextContext& c_;
  PsWriter* w_;
  const double h_;
  double hp_;
  const double angle_;
  const double length_;
  double cos_ = 1, sin_ = 0;
  double xp_ = 0, yp_ = 0;
  double last_width_ = 0;
  bool bold_ = false, italic_ = false, underline_ = false;
};

// The text box of a text `length` inches long drawn at (x, y), 0.15 h below
// the baseline to h above it, turned about (x, y): the drawn box takes it in.
void widen_text_box(PsWriter& w, double x, double y, double h, double length, double angle) {
  const double a = angle * std::numbers::pi / 180;
  const double ca = std::cos(a), sa = std::sin(a);
  const double us[4] = {0, length, length, 0};
  const double vs[4] = {-0.15 * h, -0.15 * h, h, h};
  for (int k = 0; k < 4; ++k)
    widen_box(w, device_x(w, x + us[k] * ca - vs[k] * sa),
              device_y(w, y + us[k] * sa + vs[k] * ca));
}

}  // namespace

// Fonts ----------------------------------------------------------------------

std::array<double, 224> font_widths(std::string_view name) {
  std::array<double, 224> widths;
  widths.fill(24);
  const std::array<unsigned char, 96>* table = &kHelveticaWidths;
  if (name.starts_with("Times"))
    table = &kTimesWidths;
  else if (name.starts_with("Symbol"))
    table = &kSymbolWidths;
  else if (name.starts_with("Courier"))
    table = nullptr;
  if (table) std::copy(table->begin(), table->end(), widths.begin());
  return widths;
}

void set_font_height(TextState& t, const PsWriter& w, double h) {
  const double n = std::round(100 * h);
  const double size = std::trunc(n * w.scale / kPointsPerInch);
  int isize = 1;
  if (size >= kMaxFontSize)
    isize = static_cast<int>(kMaxFontSize);
  else if (size > 1)  // NaN stays at 1
    isize = static_cast<int>(size);
  if (isize == t.font_size) return;
  t.font_size = isize;
  t.reload = true;
}

void set_font(TextState& t, std::string_view name) {
  if (name == "DEFAULT") name = t.default_font;
  name = name.substr(0, std::min(name.size(), kMaxFontName));
  if (name == t.font) return;
  t.font.assign(name);
  t.reload = true;
  t.widths = font_widths(name);
}

void set_default_font(TextState& t, std::string_view name) {
  name = trimmed(name);
  if (std::find(std::begin(kStandardFonts), std::end(kStandardFonts), name) ==
      std::end(kStandardFonts))
    return;
  set_font(t, name);
  t.default_font.assign(name);
}

void load_font(TextState& t, PsWriter& w) {
  if (t.font.empty()) set_font(t, "DEFAULT");
  if (!t.reload) return;
  t.reload = false;
  // Selecting a font leaves the path and the current point alone: what the
  // pen holds (--compact) waits for the text, which needs it.
  w.out.put('(');
  for (char ch : t.font) {  // the standard names need no escapes; others get them
    if (ch == '(' || ch == ')' || ch == '\\') w.out.put('\\');
    w.out.put(ch);
  }
  w.out.put(") FF\n");
  char line[32];
  const int n = std::snprintf(line, sizeof line, " %8d BF SF\n", t.font_size);
  w.out.put(std::string_view(line, n));
}

double cwidth(const TextState& t, unsigned char c, double h) {
  return c < 32 ? 0 : t.widths[c - 32] * h / 24;
}

// Text -----------------------------------------------------------------------

void letter(TextState& t, PsWriter& w, double x, double y, double h, std::string_view text,
            double angle) {
  if (text.empty()) return;
  angle = usable_angle(angle);
  set_font_height(t, w, h);
  load_font(t, w);
  if (x == 999 && y == 999) {
    x = w.xlast;
    y = w.ylast;
    if (w.ixlast == kNoPoint) moveto(w, x, y);  // "show" needs a current point
  } else {
    moveto(w, x, y);
  }
  const bool turned = std::abs(angle) > 1;
  const int degrees = static_cast<int>(std::lround(angle));
  if (turned) out_ia(w, degrees, "R");
  double length = 0;
  for (char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    char line[12];
    int n = 0;
    line[n++] = ' ';
    if (c < 32 || c >= 128) {
      static constexpr char kHex[] = "0123456789ABCDEF";
      line[n++] = '<';
      line[n++] = kHex[c >> 4];
      line[n++] = kHex[c & 15];
      line[n++] = '>';
    } else {
      line[n++] = '(';
      if (c == '(' || c == ')' || c == '\\') line[n++] = '\\';
      line[n++] = ch;
      line[n++] = ')';
    }
    line[n++] = ' ';
    line[n++] = 'T';
    out_a(w, std::string_view(line, n));
    length += cwidth(t, c, h);
  }
  if (turned) out_ia(w, -degrees, "R");
  // "show" left the PostScript current point at the end of the text; the
  // remembered device point is moved off the start so that a move back
  // there (an overstrike, a marker) is written rather than dropped.
  if (w.ixlast != kNoPoint) ++w.ixlast;
  widen_text_box(w, x, y, h, length, angle);
}

namespace {

// The font a typed character's glyph is drawn in: Symbol for Symbol's; the
// current font for a text font's, or the default font when the current one
// is Symbol (after |S), which has no letters of Latin-1.
std::string_view glyph_font(const TextState& t, std::string_view name, bool symbol) {
  if (symbol) return "Symbol";
  if (t.font == "Symbol" && glyph_width("Symbol", name) < 0) return t.default_font;
  return t.font;
}

}  // namespace

double glyph_width_at(const TextState& t, std::string_view name, bool symbol, double h) {
  // The font size is 100/72 of the height (set_font_height).
  const double em = h * 100 / kPointsPerInch;
  std::string_view font = glyph_font(t, name, symbol);
  int width = glyph_width(font, name);
  if (width < 0) {  // a font of the user's: the standard font of its family
    font = font.starts_with("Times")     ? "Times-Roman"
           : font.starts_with("Courier") ? "Courier"
                                         : "Helvetica";
    width = glyph_width(font, name);
  }
  return width > 0 ? width * em / 1000 : 0;
}

double glyph_letter(TextState& t, PsWriter& w, double x, double y, double h, std::string_view name,
                    bool symbol, double angle) {
  angle = usable_angle(angle);
  set_font_height(t, w, h);
  load_font(t, w);
  const std::string font(glyph_font(t, name, symbol));
  if (font != t.font) {  // selected for this glyph alone
    const std::string current = t.font;
    t.font = font;
    t.reload = true;
    load_font(t, w);
    t.font = current;
    t.reload = true;  // the current font again before the next character
  }
  moveto(w, x, y);
  const bool turned = std::abs(angle) > 1;
  const int degrees = static_cast<int>(std::lround(angle));
  if (turned) out_ia(w, degrees, "R");
  std::string line = " /";
  line += name;
  line += " glyphshow";
  out_a(w, line);
  if (turned) out_ia(w, -degrees, "R");
  if (w.ixlast != kNoPoint) ++w.ixlast;  // as letter: the show moved the point
  const double length = glyph_width_at(t, name, symbol, h);
  widen_text_box(w, x, y, h, length, angle);
  return length;
}

double slen(TextState& t, const TextContext& c, double h, std::string_view text) {
  Layout layout(t, c, nullptr, h, 0, 0);
  return layout.run(text_view(text), 0);
}

double chars(TextState& t, PsWriter& w, const TextContext& c, const TextPlace& place,
             std::string_view text) {
  const Rgb& rgb = c.pen.text_color;
  setrgbcolor(w, rgb.r, rgb.g, rgb.b);
  const double x = place.x, y = place.y;
  if (!std::isfinite(x) || !std::isfinite(y)) return 0;  // nowhere to draw
  t.work.assign(text.substr(0, std::min(text.size(), kMaxTextLength)));
  if (c.substitute) c.substitute(c.substitute_ctx, t.work);
  const double h = usable_height(place.height);
  const double angle = usable_angle(place.angle);
  set_font(t, "DEFAULT");
  set_font_height(t, w, h);

  // The text start becomes the origin while the text is drawn.
  const double xorig = w.xorig, yorig = w.yorig;
  plot(w, x, y, PenCode::kMoveOrigin);

  const TextView view = text_view(t.work);
  const double length = slen(t, c, h, t.work);
  set_font(t, "DEFAULT");  // measuring may have changed them
  set_font_height(t, w, h);
  double start = 0;
  if (place.justification == "RIGHT")
    start = -length;
  else if (place.justification == "CENTER")
    start = -length / 2;
  Layout layout(t, c, &w, h, angle, length);
  layout.run(view, start);

  plot(w, -x, -y, PenCode::kMoveOrigin);
  // The origin is put back exactly: adding and subtracting a far-off start
  // would otherwise lose its low digits.
  w.xorig = xorig;
  w.yorig = yorig;
  moveto(w, x, y);
  return length;
}

// Markers ----------------------------------------------------------------------

void symbol(TextState& t, PsWriter& w, const TextContext& c, const TextPlace& place, int code) {
  if (code < 0 || code > 9) {
    udefsym(t, w, c, place, code);
    return;
  }
  const double x = place.x, y = place.y;
  const double angle = usable_angle(place.angle);
  plot(w, x, y, PenCode::kMove);
  const double units = std::round(place.height * w.scale);
  const int s = units >= kMaxFontSize ? static_cast<int>(kMaxFontSize)
                                      : std::max(1, units > 1 ? static_cast<int>(units) : 1);
  const bool filled = t.filled_markers && (code <= 2 || code == 5);
  if (filled) {
    // The filled procedures fill the current path, so the path so far is
    // stroked and a new one begun at the marker. The move is written before
    // any rotation: a move written in turned coordinates would land elsewhere.
    out_a(w, "S N");
    forget_point(w);
    moveto(w, x, y);
  }
  const bool turned = std::abs(std::fmod(angle, 90.0)) > 1;
  const int degrees = static_cast<int>(std::lround(angle));
  if (turned) out_ia(w, degrees, "R");
  static constexpr std::string_view kPlain[10][2] = {
      {"S0", ""}, {"S1", ""},   {"S2", ""},   {"S3", ""},   {"S4", ""},
      {"S5", ""}, {"S3", "S5"}, {"S0", "S4"}, {"S1", "S3"}, {"S3", "S4"},
  };
  static constexpr std::string_view kFilled[6] = {"S0F", "S1F", "S2F", "", "", "S5F"};
  if (filled) {
    out_ia(w, s, kFilled[code]);
  } else {
    out_ia(w, s, kPlain[code][0]);
    if (!kPlain[code][1].empty()) out_ia(w, s, kPlain[code][1]);
  }
  if (turned) out_ia(w, -degrees, "R");
}

void defusym(TextState& t, int code, std::string_view text) {
  if (code < kFirstUserMarker || code > kLastUserMarker) return;
  t.user_markers[code - kFirstUserMarker].assign(text.substr(0, std::min<size_t>(text.size(), 32)));
}

void udefsym(TextState& t, PsWriter& w, const TextContext& c, const TextPlace& place, int code) {
  if (code < kFirstUserMarker || code > kLastUserMarker) return;
  // Lowered by three quarters of a superscript step and back to full size,
  // so that the text's middle sits about on (x, y).
  t.marker_text.assign("|-|>");
  t.marker_text.append(t.user_markers[code - kFirstUserMarker]);
  TextPlace centred = place;
  centred.justification = "CENTER";
  chars(t, w, c, centred, t.marker_text);
  moveto(w, place.x, place.y);
}

// Text blocks ------------------------------------------------------------------

std::vector<std::string> textblock(TextState& t, const TextContext& c, double h,
                                   std::string_view text, double width) {
  std::vector<std::string> lines{"newline"};
  std::string line = "text";
  bool has_word = false;
  auto measure = [&](std::string_view s) {
    set_font(t, "DEFAULT");
    return slen(t, c, h, s);
  };
  size_t at = 0;
  while (at < text.size()) {
    const size_t begin = text.find_first_not_of(' ', at);
    if (begin == std::string_view::npos) break;
    size_t end = text.find(' ', begin);
    if (end == std::string_view::npos) end = text.size();
    at = end;
    std::string_view word = text.substr(begin, end - begin);
    word = word.substr(0, std::min(word.size(), kMaxBlockLine - 5));  // "text " and the word
    if (has_word) {
      const double line_width = measure(line);
      const bool too_wide = line_width + measure(word) > width && line_width > 0.01;
      if (too_wide || line.size() + 1 + word.size() > kMaxBlockLine) {
        lines.push_back(line);
        lines.push_back("newline");
        line = "text";
        has_word = false;
      }
    }
    line += ' ';
    line += word;
    has_word = true;
  }
  if (has_word) lines.push_back(line);
  return lines;
}

// Margin stamps ----------------------------------------------------------------

void init_stamp(PsWriter& w) { w.stampc = 0; }

void stamp(TextState& t, PsWriter& w, const TextContext& c, std::string_view text) {
  const double x = w.xlast, y = w.ylast;
  const int k = ++w.stampc;
  amoveto(w, kStampX, kStampY + kStampStep * k);
  const double sx = kStampX - w.xorig, sy = kStampY + kStampStep * k - w.yorig;
  chars(t, w, c, {sx, sy, kStampHeight, 0, "LEFT"}, trimmed(text));
  moveto(w, x, y);
}

}  // namespace vexal
