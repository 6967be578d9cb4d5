// Tests of the standard fonts' glyph widths: values as the fonts' metrics
// files give them, every font's table complete and searchable.
#include "postscript/font_metrics.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string_view>

namespace vexal {
namespace {

TEST(FontMetricsTest, WidthsAreTheFontsOwn) {
  struct Case {
    std::string_view font, glyph;
    int width;
  };
  const Case cases[] = {
      {"Helvetica", "A", 667},
      {"Helvetica", "degree", 400},
      {"Helvetica", "germandbls", 611},
      {"Helvetica", "multiply", 584},
      {"Times-Roman", "A", 722},
      {"Times-Roman", "Aring", 722},
      {"Courier-Bold", "mu", 600},
      {"Symbol", "alpha", 631},
      {"Symbol", "lessequal", 549},
      {"Symbol", "infinity", 713},
      // Greek is drawn from Symbol: the text fonts' tables leave it out.
      {"Helvetica", "alpha", -1},
      {"Symbol", "Aring", -1},
      {"NoSuchFont", "A", -1},
      {"Helvetica", "", -1},
  };
  for (const Case& c : cases)
    EXPECT_EQ(glyph_width(c.font, c.glyph), c.width) << c.font << " " << c.glyph;
}

TEST(FontMetricsTest, EveryStandardFontHasItsTableSortedByName) {
  constexpr std::string_view kFonts[] = {
      "Helvetica",    "Helvetica-Bold",  "Helvetica-BoldOblique", "Helvetica-Oblique", "Symbol",
      "Times-Roman",  "Times-Bold",      "Times-Italic",          "Times-BoldItalic",  "Courier",
      "Courier-Bold", "Courier-Oblique", "Courier-BoldOblique",
  };
  constexpr std::string_view kLatin1[] = {
      "eacute",   "udieresis", "Aring",       "germandbls", "degree",    "mu",      "plusminus",
      "multiply", "divide",    "twosuperior", "onehalf",    "copyright", "section", "space"};
  for (std::string_view font : kFonts) {
    const auto glyphs = font_glyphs(font);
    EXPECT_GT(glyphs.size(), 180u) << font;
    EXPECT_TRUE(
        std::is_sorted(glyphs.begin(), glyphs.end(),
                       [](const GlyphWidth& a, const GlyphWidth& b) { return a.name < b.name; }))
        << font;
    for (const GlyphWidth& g : glyphs) EXPECT_TRUE(g.width >= 0 && g.width <= 2000) << g.name;
    if (font == "Symbol") continue;
    for (std::string_view glyph : kLatin1)
      EXPECT_GT(glyph_width(font, glyph), 0) << font << " " << glyph;
  }
  EXPECT_TRUE(font_glyphs("Palatino").empty());
}

}  // namespace
}  // namespace vexal
