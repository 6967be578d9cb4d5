// The advance widths of the glyphs of the thirteen standard fonts, as the
// reader's fonts have them (font_metrics_data.cc, written by
// scripts/make-font-metrics.sh).
#pragma once

#include <span>
#include <string_view>

namespace vexal {

struct GlyphWidth {
  std::string_view name;  // the glyph's PostScript name
  int width;              // advance width, 1/1000 of the font size
};

// The glyphs of a standard font (its PostScript name, "Times-Roman") that
// the text writer can draw: a text font's encoded glyphs and the ISO
// Latin-1 letters and signs, the Symbol font's encoded glyphs. Sorted by
// name; empty for any other font.
std::span<const GlyphWidth> font_glyphs(std::string_view font);

// The advance width of glyph `name` in `font`, 1/1000 of the font size;
// -1 when the font has no such glyph.
int glyph_width(std::string_view font, std::string_view name);

}  // namespace vexal
