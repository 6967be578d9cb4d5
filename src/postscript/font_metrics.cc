// Glyph widths of the standard fonts: lookups in the generated tables.
#include "postscript/font_metrics.h"

#include <algorithm>

namespace vexal {

int glyph_width(std::string_view font, std::string_view name) {
  const std::span<const GlyphWidth> glyphs = font_glyphs(font);
  const auto at =
      std::lower_bound(glyphs.begin(), glyphs.end(), name,
                       [](const GlyphWidth& g, std::string_view n) { return g.name < n; });
  return at != glyphs.end() && at->name == name ? at->width : -1;
}

}  // namespace vexal
