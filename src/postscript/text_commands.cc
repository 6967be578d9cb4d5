// Commands of text, fonts and markers: TEXT and TITLE, the text settings,
// text strings and text blocks, and the marker settings and markers.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <string>

#include "axes/numb.h"
#include "data/append.h"
#include "interp/command_table.h"
#include "interp/expand.h"
#include "interp/params.h"
#include "interp/session.h"
#include "util/free_format.h"
#include "util/text.h"

namespace vexal {

namespace {

constexpr size_t kMaxBlockText = 8192;  // TEXTBLOCK reads a line of at most this many characters

// The text of TEXT and TITLE: everything after the command word's separator,
// so that leading blanks beyond it are kept as typed.
std::string_view line_text(const Params& p) { return trimmed(p.text); }

// Draws a text with the pen thickness and text colour at height ts and sets
// SLEN to its length.
void draw_text(Session& s, double x, double y, std::string_view text, double angle,
               std::string_view justification) {
  newpen(s.ps, s.pen.thickness);
  const Rgb& rgb = s.pen.text_color;
  setrgbcolor(s.ps, rgb.r, rgb.g, rgb.b);
  const TextContext c = s.text_context();
  const double length = chars(s.text, s.ps, c, {x, y, s.text.ts, angle, justification}, text);
  setvariable(s.vars, "SLEN", length);
}

void markers_on(TextState& t) {
  t.sym = 1;
  if (t.ssk < 1) t.ssk = 1;
}

// ---- text -------------------------------------------------------------------

void cmd_text(Session& s, Params& p) {
  double x = 0, y = 0, scale = 0;
  where(s.ps, x, y, scale);
  const std::string justification = s.text.justification;  // chars gets s.text too
  draw_text(s, x, y, line_text(p), s.text.ta + s.axes.angle, justification);
}

void cmd_title(Session& s, Params& p) {
  double x = s.axes[AxisId::X].length / 2, y = s.axes[AxisId::Y].length + s.text.ts;
  rotate2d(x, y, s.axes.angle);
  draw_text(s, x, y, line_text(p), s.text.ta + s.axes.angle, "CENTER");
}

void cmd_textsi(Session& s, Params& p) {
  s.text.ts = getparm(p) * s.pen.units;
  setvariable(s.vars, "TEXTSIZE", s.text.ts);
}

void cmd_texta(Session& s, Params& p) { s.text.ta = getparm(p); }

void cmd_textcolor(Session& s, Params& p) {
  const double r = getparm(p), g = getparm(p), b = getparm(p);
  s.pen.text_color = {r, g, b};
}

void cmd_left(Session& s, Params&) { s.text.justification = "LEFT"; }
void cmd_right(Session& s, Params&) { s.text.justification = "RIGHT"; }
void cmd_center(Session& s, Params&) { s.text.justification = "CENTER"; }

void cmd_setfont(Session& s, Params& p) { set_default_font(s.text, rest_of_line(p)); }

void cmd_newlines(Session& s, Params& p) { s.text.line_spacing = getparm(p) * s.pen.units; }

// The move is queued as an RMOVE, which multiplies by UNITS: the spacing,
// already in inches, is divided by it so that the move is the spacing.
void cmd_newline(Session& s, Params&) {
  TextState& t = s.text;
  if (t.ts > t.line_spacing) t.line_spacing = 1.2 * t.ts;
  const double a = t.ta * std::numbers::pi / 180;
  const double units = s.pen.units > 0 ? s.pen.units : 1;
  const double dx = t.line_spacing * std::sin(a) / units;
  const double dy = -t.line_spacing * std::cos(a) / units;
  push_command(s.stream, "RMOVE " + free_real(dx) + " " + free_real(dy));
}

void cmd_textblockw(Session& s, Params& p) { s.text.block_width = getparm(p); }

// Substitution works on command lines, which it cuts at 256 characters; a
// longer block is substituted piece by piece, cut at blanks outside braces
// (a braced expression may hold blanks) so that no reference is split.
void substitute_block(Session& s, std::string& text) {
  if (text.size() <= kLineWidth) {
    expand(s, text);
    return;
  }
  std::string out, piece;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = std::min(text.size(), start + kLineWidth);
    if (end < text.size()) {
      size_t cut_at = std::string::npos;
      int depth = 0;
      for (size_t i = start; i < end; ++i) {
        if (text[i] == '{') ++depth;
        if (text[i] == '}' && depth > 0) --depth;
        if (text[i] == ' ' && depth == 0) cut_at = i;
      }
      if (cut_at != std::string::npos && cut_at > start) end = cut_at;
    }
    piece.assign(text, start, end - start);
    expand(s, piece);
    out += piece;
    if (end < text.size() && text[end] == ' ') out += ' ';
    start = end < text.size() && text[end] == ' ' ? end + 1 : end;
  }
  text = std::move(out);
}

void cmd_textblock(Session& s, Params&) {
  std::string text;
  if (!s.read_input_line(text, kMaxBlockText)) return;
  substitute_block(s, text);
  const Rgb& rgb = s.pen.text_color;
  setrgbcolor(s.ps, rgb.r, rgb.g, rgb.b);
  const TextContext c = s.text_context();
  for (const std::string& line : textblock(s.text, c, s.text.ts, text, s.text.block_width))
    append_command(s.stream, line, kVerbatim);
}

template <int N>
void cmd_textstring(Session& s, Params& p) {
  push_command(s.stream, "%TEXTSTRING" + std::to_string(N) + "=" + rest_of_line(p), kVerbatim);
}

template <int N>
void cmd_showtextstring(Session& s, Params&) {
  push_command(s.stream, "TEXT |%TEXTSTRING" + std::to_string(N));
}

// ---- markers ----------------------------------------------------------------

void cmd_sym(Session& s, Params&) { markers_on(s.text); }

void cmd_nosym(Session& s, Params&) {
  s.text.sym = 0;
  s.text.ssk = 0;
  s.text.con = 1;
}

// A marker code from a parameter, within the int range (NaN counts as 0).
int marker_code(Params& p) {
  const double v = getparm(p);
  if (!(std::abs(v) < 1e9)) return 0;
  return static_cast<int>(v);
}

void cmd_symboln(Session& s, Params& p) {
  s.text.sn = marker_code(p);
  markers_on(s.text);
}

void cmd_symbolc(Session& s, Params& p) {
  const int n = marker_code(p);
  s.reader.sc = std::clamp(n, 0, kMaxDataColumns);  // the column the data-file reader takes
  s.text.marker_column = s.reader.sc;
  if (n < 1) {
    s.text.sym = 0;
    s.text.ssk = 0;
  }
}

void cmd_symbolsi(Session& s, Params& p) {
  s.text.marker_size = getparm(p) * s.pen.units;
  markers_on(s.text);
}

void cmd_showsym(Session& s, Params&) {
  double x = 0, y = 0, scale = 0;
  where(s.ps, x, y, scale);
  newpen(s.ps, s.pen.thickness);
  symbol(s.text, s.ps, s.text_context(), {x, y, s.text.marker_size, 0}, s.text.sn);
}

// DEFINESYM n TEXT text, or DEFINESYM n NUMBER v.
void cmd_definesym(Session& s, Params& p) {
  bool bad = false;
  const double n = getparm(p, &bad);
  if (bad) return;
  const std::string kind = upper(getcparm(p));
  const int code = std::abs(n) < 1e9 ? static_cast<int>(n) : 0;
  if (kind == "TEXT") {
    defusym(s.text, code, rest_of_line(p));
  } else if (kind == "NUMBER") {
    const double v = getparm(p, &bad);
    if (!bad) defusym(s.text, code, dtoc(v, s.numfmt.ndec));
  } else if (!kind.empty()) {
    parameter_warning(s);
  }
}

constexpr Command kTextCommands[] = {
    {"TEXT", cmd_text},
    {"TITLE", cmd_title},
    {"TEXTSI", cmd_textsi},
    {"TEXTA", cmd_texta},
    {"TEXTCOLOR", cmd_textcolor},
    {"LEFT", cmd_left},
    {"RIGHT", cmd_right},
    {"CENTER", cmd_center},
    {"SETFONT", cmd_setfont},
    {"NEWLINES", cmd_newlines},
    {"NEWLINE", cmd_newline},
    {"TEXTBLOCKW", cmd_textblockw},
    {"TEXTBLOCK", cmd_textblock},
    {"TEXTSTRING1", cmd_textstring<1>},
    {"TEXTSTRING2", cmd_textstring<2>},
    {"TEXTSTRING3", cmd_textstring<3>},
    {"TEXTSTRING4", cmd_textstring<4>},
    {"TEXTSTRING5", cmd_textstring<5>},
    {"SHOWTEXTSTRING1", cmd_showtextstring<1>},
    {"SHOWTEXTSTRING2", cmd_showtextstring<2>},
    {"SHOWTEXTSTRING3", cmd_showtextstring<3>},
    {"SHOWTEXTSTRING4", cmd_showtextstring<4>},
    {"SHOWTEXTSTRING5", cmd_showtextstring<5>},
    {"SYM", cmd_sym},
    {"NOSYM", cmd_nosym},
    {"SYMBOLN", cmd_symboln},
    {"SYMBOLC", cmd_symbolc},
    {"SYMBOLSI", cmd_symbolsi},
    {"SS", cmd_symbolsi},
    {"FILLEDSYM", cmd_set<true, &Session::text, &TextState::filled_markers>},
    {"NOFILLEDSYM", cmd_set<false, &Session::text, &TextState::filled_markers>},
    {"SHOWSYM", cmd_showsym},
    {"PUTSYM", cmd_showsym},
    {"DEFINESYM", cmd_definesym},
};

}  // namespace

std::span<const Command> text_commands() { return kTextCommands; }

}  // namespace vexal
