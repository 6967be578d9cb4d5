// Tests of UTF-8 decoding and of the glyphs characters are drawn with.
#include "postscript/unicode_glyphs.h"

#include <gtest/gtest.h>

#include <string>

#include "postscript/font_metrics.h"

namespace vexal {
namespace {

TEST(UnicodeGlyphsTest, OnlyWellFormedSequencesAreCharacters) {
  struct Case {
    const char* name;
    std::string text;
    char32_t code;  // 0: not a sequence
    size_t length;
  };
  const Case cases[] = {
      {"degree", "\xC2\xB0", 0xB0, 2},
      {"alpha", "\xCE\xB1", 0x3B1, 2},
      {"less or equal", "\xE2\x89\xA4", 0x2264, 3},
      {"four bytes", "\xF0\x9D\x9B\xBC", 0x1D6FC, 4},
      {"highest", "\xF4\x8F\xBF\xBF", 0x10FFFF, 4},
      {"ASCII", "A", 0, 0},
      {"Latin-1 byte alone", "\xB0", 0, 0},
      {"continuation alone", "\x80", 0, 0},
      {"overlong two bytes", "\xC0\xAF", 0, 0},
      {"overlong three bytes", "\xE0\x80\xAF", 0, 0},
      {"overlong four bytes", "\xF0\x80\x80\xAF", 0, 0},
      {"surrogate", "\xED\xA0\x80", 0, 0},
      {"beyond U+10FFFF", "\xF4\x90\x80\x80", 0, 0},
      {"cut short", "\xE2\x89", 0, 0},
      {"not continued", "\xE2\x41\xA4", 0, 0},
  };
  for (const Case& c : cases) {
    const auto got = utf8_sequence(c.text, 0);
    EXPECT_EQ(got.has_value(), c.code != 0) << c.name;
    if (got && c.code) {
      EXPECT_EQ(got->code, c.code) << c.name;
      EXPECT_EQ(got->length, c.length) << c.name;
    }
  }
  EXPECT_FALSE(utf8_sequence("ab", 2));  // past the end
  EXPECT_EQ(utf8_sequence("x\xC2\xB5", 1)->code, 0xB5u);
}

TEST(UnicodeGlyphsTest, CharactersAreDrawnWithGlyphsTheFontsHave) {
  struct Case {
    char32_t code;
    const char* glyph;  // "" for none
    bool symbol;
  };
  const Case cases[] = {
      {0xB0, "degree", false},     {0xB5, "mu", false},        {0xC5, "Aring", false},
      {0xDF, "germandbls", false}, {0xD7, "multiply", false},  {0xF7, "divide", false},
      {0xFF, "ydieresis", false},  {0xA0, "space", false},     {0x391, "Alpha", true},
      {0x3A3, "Sigma", true},      {0x3A9, "Omega", true},     {0x3B1, "alpha", true},
      {0x3BC, "mu", true},         {0x3C2, "sigma1", true},    {0x3C9, "omega", true},
      {0x2264, "lessequal", true}, {0x221E, "infinity", true}, {0x2192, "arrowright", true},
      {0x2033, "second", true},    {0x2013, "endash", false},  {0x9F, "", false},
      {0x3A2, "", false},          {0x3AA, "", false},         {0x4E00, "", false},
  };
  for (const Case& c : cases) {
    const auto got = char_glyph(c.code);
    const auto code = static_cast<unsigned>(c.code);
    EXPECT_EQ(got ? std::string(got->name) : "", c.glyph) << std::hex << code;
    if (got) {
      EXPECT_EQ(got->symbol, c.symbol) << std::hex << code;
    }
  }
  // Every character that has a glyph can be measured in the font it is drawn in.
  for (char32_t code = 0x80; code < 0x2300; ++code) {
    const auto g = char_glyph(code);
    if (!g) continue;
    for (const char* font : {"Helvetica", "Times-Bold", "Courier-Oblique"}) {
      EXPECT_GT(glyph_width(g->symbol ? "Symbol" : font, g->name), 0)
          << std::hex << static_cast<unsigned>(code) << " " << g->name;
    }
  }
}

}  // namespace
}  // namespace vexal
