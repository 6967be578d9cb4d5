// Text, fonts and markers: the escape-aware text renderer `chars`, the
// single-line writer `letter`, the width model, font selection, the marker
// routine `symbol`, user markers and word-wrapped text blocks.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "postscript/pen_state.h"
#include "postscript/ps_writer.h"

namespace vexal {

inline constexpr size_t kMaxTextLength = 512;  // longer texts are cut
inline constexpr int kFirstUserMarker = 10, kLastUserMarker = 19;

// The advance widths of codes 32..255 of a font, in 1/24 of the font height:
// the table of its family, chosen by the start of the name (Helvetica for
// any name it does not know).
std::array<double, 224> font_widths(std::string_view name);

// Font records and the text settings of the main program.
struct TextState {
  double sup = 0.7499;  // size factor of raised and lowered text (VARSU)
  // Font state.
  int font_size = 0;      // device units
  std::string font = "";  // current font name ("" until the first set_font)
  std::string default_font = "Helvetica";
  bool reload = true;  // the font must be selected again before drawing
  std::array<double, 224> widths = font_widths("");  // codes 32..255, 1/24 of the height
  bool filled_markers = false;                       // FILLEDSYM

  // Text settings.
  double ts = 0.18;                          // text size, inches (TEXTSI)
  double ta = 0;                             // text angle, degrees (TEXTA)
  std::string justification = "LEFT";        // "LEFT", "RIGHT" or "CENTER"
  double block_width = 3.0;                  // TEXTBLOCKW, inches
  double line_spacing = 0;                   // NEWLINES, inches; 0 = not set yet
  double marker_size = 0.1;                  // SYMBOLSI, inches
  int sn = 0;                                // current marker code (SYMBOLN)
  std::array<std::string, 10> user_markers;  // codes 10..19, at most 32 characters each

  // Marker settings of the data curves, kept here until the curves are built.
  int ssk = 0;            // markers on every ssk-th point; 0 = no markers
  int sym = 0;            // markers on (1) or off (0)
  int con = 1;            // points joined by lines (1) or not (0)
  int marker_column = 0;  // column holding per-point marker codes; 0 = none (SYMBOLC)

  // Scratch texts, reused to avoid an allocation per text drawn.
  std::string work;         // chars: the text after substitution
  std::string marker_text;  // udefsym: "|-|>" and the user marker's text
};

// What the text routines read from outside the writer: the colours, the data
// dash pattern and line-sample length, the superscript factor, the
// compatibility level, and the substitution applied to every text drawn.
struct TextContext {
  const PenSettings& pen;
  double sup;        // superscript factor (0.7 when <= 0)
  int compat_level;  // markers and samples restore the text colour above 742820
  void* substitute_ctx = nullptr;
  void (*substitute)(void* ctx, std::string& text) = nullptr;  // variable substitution
  OutBuffer* warnings = nullptr;  // where a character no font has is reported
};

// Where a text or a marker is drawn and how it stands.
struct TextPlace {
  double x = 0, y = 0;  // inches from the origin: a text's start, end or middle, a marker's centre
  double height = 0;    // text height or marker size, inches
  double angle = 0;     // degrees anticlockwise
  std::string_view justification = "LEFT";  // "LEFT", "RIGHT" or "CENTER" (markers: not used)
};

// Font height h inches: size max(1, trunc(round(100 h) x scale / 72)) device units.
void set_font_height(TextState& t, const PsWriter& w, double h);
// Makes `name` the current font ("DEFAULT": the default font) and loads its widths.
void set_font(TextState& t, std::string_view name);
// Makes one of the thirteen standard fonts the default (other names are ignored).
void set_default_font(TextState& t, std::string_view name);
// Writes the font selection lines when the font or size changed (selecting
// the default font first when none is current).
void load_font(TextState& t, PsWriter& w);
// Advance width of character c at height h inches (0 below code 32).
double cwidth(const TextState& t, unsigned char c, double h);
// Writes the characters of text at (x, y) (999, 999: the current point) as
// they are, one "show" line each, and widens the drawn box by the text box.
// The pen's remembered device position is moved off the start afterwards,
// since the show moved the PostScript current point.
void letter(TextState& t, PsWriter& w, double x, double y, double h, std::string_view text,
            double angle);
// Draws glyph `name` of the current font (of Symbol when `symbol`, the
// current font selected again afterwards) at (x, y) as letter draws a
// character: a "/name glyphshow" line. Returns its advance in inches.
double glyph_letter(TextState& t, PsWriter& w, double x, double y, double h, std::string_view name,
                    bool symbol, double angle);
// Advance width in inches of glyph `name` of the current font (of Symbol
// when `symbol`) at height h, from the font's metrics.
double glyph_width_at(const TextState& t, std::string_view name, bool symbol, double h);
// Length in inches of the text with its escapes, at height h; font escapes
// change t's current font as drawing would.
double slen(TextState& t, const TextContext& c, double h, std::string_view text);
// Draws a text with escapes at the place, justified against (x, y); returns
// its length in inches. The pen ends at (x, y). `text` must not refer to t's
// scratch texts.
double chars(TextState& t, PsWriter& w, const TextContext& c, const TextPlace& place,
             std::string_view text);
// Draws marker `code` centred on the place's (x, y), the place's height its
// size: 0..9 built in, 10..19 user markers.
void symbol(TextState& t, PsWriter& w, const TextContext& c, const TextPlace& place, int code);
// Stores user marker `code` (10..19; others ignored), cut at 32 characters.
void defusym(TextState& t, int code, std::string_view text);
// Draws user marker 10..19 centred on the place's (x, y), as symbol does.
void udefsym(TextState& t, PsWriter& w, const TextContext& c, const TextPlace& place, int code);
// The command lines that draw `text` word-wrapped to `width` inches (the
// measure includes each line's leading "text "): "newline", then "text ..."
// lines with "newline" between them, each at most a command line long.
std::vector<std::string> textblock(TextState& t, const TextContext& c, double h,
                                   std::string_view text, double width);
// Resets the stamp position to the top of the list.
void init_stamp(PsWriter& w);
// Writes one margin stamp line (height 0.04 inch) at the lower left of the page.
void stamp(TextState& t, PsWriter& w, const TextContext& c, std::string_view text);

}  // namespace vexal
