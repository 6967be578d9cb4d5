// Tests of the text routines: the show lines and font lines, the width
// tables, the escape language (measured and drawn), markers, the text box,
// text blocks and margin stamps, on a document written into a string.
#include "postscript/chars.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "support/document_fixture.h"
#include "support/ghostscript.h"
#include "support/lines.h"

namespace vexal {
namespace {

class CharsTest : public DocumentTest {
 protected:
  TextContext ctx() { return TextContext{pen, sup, compat}; }
  // The characters of the show lines among `ls`, decoded, in order.
  static std::string shown(const std::vector<std::string>& ls) {
    std::string text;
    for (const std::string& l : ls) {
      if (l.size() < 6 || !l.ends_with(" T") || l[0] != ' ') continue;
      if (l[1] == '<')
        text += static_cast<char>(std::stoi(l.substr(2, 2), nullptr, 16));
      else if (l[1] == '(')
        text += l[2] == '\\' ? l[3] : l[2];
    }
    return text;
  }
  std::string draw(std::string_view text, double h = 0.24, std::string_view just = "LEFT") {
    chars(t, w, ctx(), {0.5, 0.5, h, 0, just}, text);
    return shown(lines());
  }

  TextState t;
  PenSettings pen;
  double sup = 0.5;
  int compat = 751654;
};

// The device coordinates of the "ix iy M" lines among `ls`.
std::vector<std::pair<int, int>> moves(const std::vector<std::string>& ls) {
  std::vector<std::pair<int, int>> out;
  for (const std::string& l : ls) {
    int x, y;
    char op;
    if (std::sscanf(l.c_str(), "%d %d %c", &x, &y, &op) == 3 && op == 'M' && l.ends_with(" M"))
      out.emplace_back(x, y);
  }
  return out;
}

// Where each show line among `ls` is placed: the last move before it, or
// `from` (where the pen was) when none came first.
std::vector<std::pair<int, int>> placed(const std::vector<std::string>& ls,
                                        std::pair<int, int> from) {
  std::vector<std::pair<int, int>> out;
  for (const std::string& l : ls) {
    const auto m = moves({l});
    if (!m.empty()) from = m[0];
    if (l.ends_with(") T") || l.ends_with("> T")) out.push_back(from);
  }
  return out;
}

size_t count(const std::vector<std::string>& ls, std::string_view line) {
  return std::count(ls.begin(), ls.end(), line);
}

TEST_F(CharsTest, ShowLineForms) {
  struct Case {
    const char* text;
    const char* line;
  };
  const Case kCases[] = {
      {"a", " (a) T"},     {"(", " (\\() T"},   {")", " (\\)) T"},   {"\\", " (\\\\) T"},
      {"%", " (%) T"},     {"\xC8", " <C8> T"}, {"\x07", " <07> T"}, {"\xFF", " <FF> T"},
      {"\x80", " <80> T"}, {"~", " (~) T"},
  };
  for (const Case& c : kCases) {
    letter(t, w, 0.5, 0.5, 0.1, c.text, 0);
    const auto ls = lines();
    ASSERT_FALSE(ls.empty());
    EXPECT_EQ(ls.back(), c.line) << c.text;
  }
}

TEST_F(CharsTest, FontLinesOnlyWhenFontOrSizeChanges) {
  letter(t, w, 0.5, 0.5, 0.1, "a", 0);
  auto ls = lines();
  ASSERT_GE(ls.size(), 3u);
  EXPECT_EQ(ls[0], "(Helvetica) FF");
  EXPECT_EQ(ls[1], "       41 BF SF");  // round(100 x 0.1) x 300 / 72, truncated

  letter(t, w, 0.7, 0.5, 0.1, "b", 0);
  EXPECT_EQ(count(lines(), "(Helvetica) FF"), 0u);

  set_font(t, "Times-Roman");  // a name alone writes nothing
  set_font_height(t, w, 0.2);
  EXPECT_TRUE(lines().empty());
  letter(t, w, 0.9, 0.5, 0.2, "c", 0);
  ls = lines();
  ASSERT_GE(ls.size(), 2u);
  EXPECT_EQ(ls[0], "(Times-Roman) FF");
  EXPECT_EQ(ls[1], "       83 BF SF");
}

TEST_F(CharsTest, FontSizeStaysAtLeastOne) {
  struct Case {
    double h, scale;
    int size;
  };
  const Case kCases[] = {
      {0.1, 300, 41}, {0.1, 600, 83}, {0.25, 300, 104}, {0.004, 300, 1},
      {0.0, 300, 1},  {-2, 300, 1},   {NAN, 300, 1},    {1e300, 300, 100000000},
  };
  for (const Case& c : kCases) {
    w.scale = c.scale;
    set_font_height(t, w, c.h);
    EXPECT_EQ(t.font_size, c.size) << c.h << " at " << c.scale;
  }
  w.scale = 300;
}

TEST_F(CharsTest, WidthTables) {
  // Sums of codes 32..127 of each table; 128..255 are 24 and below 32 0.
  struct Case {
    const char* font;
    double sum;
    double a_width;  // "A"
  };
  const Case kCases[] = {
      {"Helvetica", 1764, 22}, {"Helvetica-BoldOblique", 1764, 22}, {"Times-Italic", 1590, 23},
      {"Symbol", 1864, 23},    {"Courier-Bold", 2304, 24},          {"Palatino", 1764, 22},
  };
  for (const Case& c : kCases) {
    set_font(t, c.font);
    double sum = 0;
    for (int k = 32; k < 128; ++k) sum += cwidth(t, static_cast<unsigned char>(k), 24);
    EXPECT_EQ(sum, c.sum) << c.font;
    EXPECT_EQ(cwidth(t, 'A', 24), c.a_width) << c.font;
    EXPECT_EQ(cwidth(t, 200, 24), 24) << c.font;
    EXPECT_EQ(cwidth(t, 31, 24), 0) << c.font;
    EXPECT_DOUBLE_EQ(cwidth(t, 'A', 0.12), c.a_width * 0.005) << c.font;
  }
}

TEST_F(CharsTest, SlenAppliesTheEscapes) {
  // At height 24 a plain character measures its table width; sup is 0.5,
  // markers 0.1 and line samples 0.25 inch.
  struct Case {
    const char* text;
    double want;
  };
  const Case kCases[] = {
      {"ab", 38},
      {"a|+2|=b", 19 + 9.5 + 19},
      {"a|-2|=b", 19 + 9.5 + 19},
      {"|<a|>b", 9.5 + 19},
      {"a||b", 19 + 8 + 19},     // one bar
      {"a\\\\b", 19 + 11 + 19},  // one backslash
      {"ab|", 38 + 14},          // the trailing bar becomes a blank
      {"ab   ", 38},             // trailing blanks do not count
      {"|X41", 22},              // A
      {"|x4a", 18},              // J
      {"|XZZ", 21 + 21},         // not hexadecimal: ZZ
      {"|0", 0.1},
      {"|9|9", 0.2},
      {"|_", 0.25},
      {"|L|M|Rab", 38},  // jumps add nothing
      {"|Tab", 15 + 16},
      {"|Cab", 48},
      {"|Sab", 21 + 19},
      {"|Ba", 19},           // bold alone selects no font
      {"|B|Ha", 19},         // Helvetica-Bold measures as Helvetica
      {"a|~b", 19},          // backspace over a
      {"| a", 14 + 19},      // escaped blank
      {"|Qa", 8 + 25 + 19},  // not an escape: the bar is drawn
      {"\x01"
       "a",
       19},  // control characters are skipped
  };
  for (const Case& c : kCases) {
    set_font(t, "DEFAULT");
    EXPECT_NEAR(slen(t, ctx(), 24, c.text), c.want, 1e-9) << c.text;
  }
}

TEST_F(CharsTest, DrawnEscapes) {
  struct Case {
    const char* text;
    const char* shown;
  };
  const Case kCases[] = {
      {"a||b", "a|b"},
      {"a\\\\b", "a\\b"},
      {"ab|", "ab "},
      {"ab\\", "ab "},
      {"|X41", "A"},
      {"|XZZ", "ZZ"},
      {"|X4", "4"},
      {"|Qx", "|Qx"},
      {"| a", " a"},
      {"\x01"
       "a",
       "a"},
      {"a\x01", "a\x01"},
      {"|+|-|<|>|=x", "x"},
      {"|B|I|Hx|T|Sy", "xy"},
  };
  for (const Case& c : kCases) EXPECT_EQ(draw(c.text), c.shown) << c.text;
}

TEST_F(CharsTest, SuperscriptRaisedSmallerAndBack) {
  chars(t, w, ctx(), {1, 2, 0.24, 0, "LEFT"}, "a|+2|=b");
  const std::vector<std::string> want = {
      "600 900 M",  // the text start (origin 1, 1)
      "(Helvetica) FF", " 100 BF SF",     " (a) T",
      "(Helvetica) FF", " 50 BF SF",  // height 0.24 x 0.5
      "657 927 M",                    // after a (0.19 inch), raised 0.75 x 0.12
      " (2) T",         "(Helvetica) FF", " 100 BF SF",
      "685 900 M",  // after the small 2 (0.095 inch), back on the baseline
      " (b) T",
      "300 300 M",  // the origin put back
      "600 900 M",  // and the pen at the text start
  };
  auto ls = lines();
  for (std::string& l : ls)  // the size field's width is checked elsewhere
    if (l.ends_with(" BF SF")) l = " " + l.substr(l.find_first_not_of(' '));
  EXPECT_EQ(ls, want);
  EXPECT_EQ(w.xorig, 1);
  EXPECT_EQ(w.yorig, 1);
}

TEST_F(CharsTest, Justification) {
  // "ab" at 0.24 inch is 0.38 inch long; the text starts at device x 450.
  struct Case {
    const char* just;
    int x;
  };
  const Case kCases[] = {{"LEFT", 450}, {"CENTER", 450 - 57}, {"RIGHT", 450 - 114}};
  for (const Case& c : kCases) {
    const std::pair<int, int> from{w.ixlast, w.iylast};
    chars(t, w, ctx(), {0.5, 0.5, 0.24, 0, c.just}, "ab");
    const auto p = placed(lines(), from);
    ASSERT_EQ(p.size(), 2u) << c.just;
    EXPECT_EQ(p[0], std::make_pair(c.x, 450)) << c.just;
  }
  // The jumps inside a text: |R goes back by the whole length (0.56 inch),
  // |M by half of it, |L to the start.
  chars(t, w, ctx(), {0.5, 0.5, 0.24, 0, "LEFT"}, "ab|Rc|Md|Le");
  const auto p = placed(lines(), {450, 450});
  ASSERT_EQ(p.size(), 5u);
  // a b c d e: 19 19 18 19 19 units of 0.01 inch; the total is 0.94 inch.
  EXPECT_EQ(p[2].first, 450 - 282);
  EXPECT_EQ(p[3].first, 450 - 141);
  EXPECT_EQ(p[4].first, 450);
}

// Characters typed in UTF-8 draw their glyphs, in the text font or in
// Symbol (selected for the glyph alone), measured by the fonts' metrics (an
// em is 100/72 of the height); bytes that are no UTF-8 character draw as
// before; a character no font has draws "?".
TEST_F(CharsTest, TypedCharacters) {
  struct Case {
    const char* name;
    const char* text;
    std::vector<std::string> glyphs;  // the glyphshow lines, "Symbol:" before Symbol's
    double width;                     // 1/1000 of an em
    const char* as_plain;             // or the characters it measures as
  };
  const Case kCases[] = {
      {"degree", "\xC2\xB0", {" /degree glyphshow"}, 400, nullptr},
      {"Latin-1 letters",
       "\xC3\x85\xC3\x9F",
       {" /Aring glyphshow", " /germandbls glyphshow"},
       667 + 611,
       nullptr},
      {"Greek from Symbol, then the text font",
       "\xCE\xB1"
       "a",
       {"Symbol: /alpha glyphshow"},
       631 + 556,
       nullptr},
      {"a sign from Symbol", "\xE2\x89\xA4", {"Symbol: /lessequal glyphshow"}, 549, nullptr},
      {"a Latin-1 byte alone", "\xB0", {}, 0, "\xB0"},
      {"overlong", "\xC0\xAF", {}, 0, "\xC0\xAF"},
      {"four bytes no font has", "\xF0\x9F\x98\x80", {}, 0, "?"},
      // After |S Symbol is the current font: its own glyphs come from it,
      // Latin-1 letters, which it lacks, from the default font.
      {"after |S",
       "|S\xCE\xB1\xC3\xA9",
       {"Symbol: /alpha glyphshow", " /eacute glyphshow"},
       631 + 556,
       nullptr},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    set_font(t, "DEFAULT");
    // Measured at a height of 0.72 inch: an em of one inch.
    double want = c.width / 1000;
    if (c.as_plain) {
      want = 0;
      for (const char* p = c.as_plain; *p; ++p)
        want += cwidth(t, static_cast<unsigned char>(*p), 0.72);
    }
    if (std::string(c.name) == "Greek from Symbol, then the text font")
      want = 0.631 + cwidth(t, 'a', 0.72);  // the plain letter keeps its table width
    EXPECT_NEAR(slen(t, ctx(), 0.72, c.text), want, 1e-9);
    lines();
    chars(t, w, ctx(), {0.5, 0.5, 0.72, 0, "LEFT"}, c.text);
    std::vector<std::string> got;
    std::string font = "Helvetica";
    for (const std::string& l : lines()) {
      if (l.ends_with(") FF")) font = l.substr(1, l.size() - 5);
      if (l.ends_with(" glyphshow")) got.push_back((font == "Symbol" ? "Symbol:" : "") + l);
      if (l.ends_with(" T") && !std::string_view(c.text).starts_with("|S")) {
        EXPECT_EQ(font, "Helvetica") << l;
      }
    }
    EXPECT_EQ(got, c.glyphs);
  }
  // Right-justified, the text ends where it is placed: it starts its
  // measured length back (0.400 + 0.631 of an inch).
  lines();
  chars(t, w, ctx(), {2.5, 0.5, 0.72, 0, "RIGHT"}, "\xC2\xB0\xCE\xB1");
  const auto m = moves(lines());
  const int start = device_x(w, 2.5 - 1.031);
  EXPECT_TRUE(std::any_of(m.begin(), m.end(), [&](auto p) { return p.first == start; }))
      << testing::PrintToString(m);
}

TEST_F(CharsTest, UnderlineAndOverstrike) {
  chars(t, w, ctx(), {0.5, 0.5, 0.24, 0, "LEFT"}, "|Uab");
  auto ls = lines();
  // One rule under each letter, 0.024 inch below the baseline.
  std::vector<std::string> rules;
  for (const std::string& l : ls)
    if (l.ends_with(" L")) rules.push_back(l);
  EXPECT_EQ(rules, (std::vector<std::string>{"507 442 L", "564 442 L"}));

  // Backspacing onto the first letter moves back to the text start, although
  // the pen was last placed there before "a" was shown.
  chars(t, w, ctx(), {0.5, 0.5, 0.24, 0, "LEFT"}, "a|~b");
  ls = lines();
  ASSERT_EQ(shown(ls), "ab");
  EXPECT_EQ(std::count(ls.begin(), ls.end(), "450 450 M"), 2u);  // b, and the pen at the end
}

TEST_F(CharsTest, MarkersAndSamplesInText) {
  pen.data_color = {1, 0, 0};
  pen.dash = {0.05, 0.05, 0, 0, 0, 0, 0, 0};
  chars(t, w, ctx(), {0.5, 0.5, 0.24, 0, "LEFT"}, "a|1|_b");
  auto ls = lines();
  const std::string red = " CSM 1.00 0.00 0.00 RGB", black = " CSM 0.00 0.00 0.00 RGB";
  EXPECT_EQ(count(ls, red), 2u);
  EXPECT_EQ(count(ls, black), 2u);
  EXPECT_EQ(count(ls, "30 S1"), 1u);
  EXPECT_EQ(count(ls, "] 0 setdash"), 1u);
  // The marker centred s/2 past a and s/2 up; the sample at half height,
  // starting after the marker and 0.25 inch long.
  const auto m = moves(ls);
  EXPECT_NE(std::find(m.begin(), m.end(), std::make_pair(450 + 57 + 15, 450 + 15)), m.end());
  EXPECT_NE(std::find(m.begin(), m.end(), std::make_pair(450 + 87, 450 + 36)), m.end());
  EXPECT_EQ(count(ls, "612 486 L"), 1u);
  EXPECT_EQ(shown(ls), "ab");

  compat = 742820;  // older levels keep the text colour
  chars(t, w, ctx(), {0.5, 0.5, 0.24, 0, "LEFT"}, "a|1b");
  ls = lines();
  EXPECT_EQ(count(ls, red), 0u);
  EXPECT_EQ(count(ls, "30 S1"), 1u);
}

TEST_F(CharsTest, MarkerLines) {
  struct Case {
    int code;
    bool filled;
    double angle;
    double size;
    std::vector<std::string> lines;  // after the move to the marker; "M" is that move again
  };
  const Case kCases[] = {
      {0, false, 0, 0.1, {"30 S0"}},
      {1, false, 0, 0.1, {"30 S1"}},
      {2, false, 0, 0.1, {"30 S2"}},
      {3, false, 0, 0.1, {"30 S3"}},
      {4, false, 0, 0.1, {"30 S4"}},
      {5, false, 0, 0.1, {"30 S5"}},
      {6, false, 0, 0.1, {"30 S3", "30 S5"}},
      {7, false, 0, 0.1, {"30 S0", "30 S4"}},
      {8, false, 0, 0.1, {"30 S1", "30 S3"}},
      {9, false, 0, 0.1, {"30 S3", "30 S4"}},
      {0, true, 0, 0.1, {"S N", "M", "30 S0F"}},
      {1, true, 0, 0.1, {"S N", "M", "30 S1F"}},
      {2, true, 0, 0.1, {"S N", "M", "30 S2F"}},
      {5, true, 0, 0.1, {"S N", "M", "30 S5F"}},
      {3, true, 0, 0.1, {"30 S3"}},
      {6, true, 0, 0.1, {"30 S3", "30 S5"}},
      {0, false, 30, 0.1, {"30 R", "30 S0", "-30 R"}},
      {0, false, -45, 0.1, {"-45 R", "30 S0", "45 R"}},
      {0, false, 90.9, 0.1, {"30 S0"}},  // within a degree of a right angle
      {0, false, 180, 0.1, {"30 S0"}},
      {0, false, 91.5, 0.1, {"92 R", "30 S0", "-92 R"}},
      // Filled and turned: the move after "S N" comes before the turn.
      {5, true, 30, 0.1, {"S N", "M", "30 R", "30 S5F", "-30 R"}},
      {3, false, 0, 0, {"1 S3"}},  // at least one device unit
  };
  double x = 0;
  for (const Case& c : kCases) {
    t.filled_markers = c.filled;
    x += 0.2;
    symbol(t, w, ctx(), {x, 0.5, c.size, c.angle}, c.code);
    const std::string move =
        std::to_string(device_x(w, x)) + " " + std::to_string(device_y(w, 0.5)) + " M";
    std::vector<std::string> want{move};
    for (const std::string& l : c.lines) want.push_back(l == "M" ? move : l);
    EXPECT_EQ(lines(), want) << c.code << (c.filled ? " filled at " : " at ") << c.angle;
  }
}

TEST_F(CharsTest, UserMarkers) {
  defusym(t, 12, "xy");
  defusym(t, 20, "no");  // outside 10..19: ignored
  defusym(t, 13, std::string(40, 'z'));
  EXPECT_EQ(t.user_markers[3].size(), 32u);
  symbol(t, w, ctx(), {0.5, 0.5, 0.24, 0}, 12);
  auto ls = lines();
  EXPECT_EQ(shown(ls), "xy");
  // Centred: x starts half of "xy" (0.36 inch) left of the centre, lowered
  // by 0.75 x 0.24 x 0.5.
  const auto m = moves(ls);
  ASSERT_GE(m.size(), 2u);
  EXPECT_EQ(m[1], std::make_pair(450 - 54, 450 - 27));
  EXPECT_EQ(m.back(), std::make_pair(450, 450));
  symbol(t, w, ctx(), {0.5, 0.5, 0.24, 0}, 14);  // not defined: nothing shown
  symbol(t, w, ctx(), {0.5, 0.5, 0.24, 0}, 25);
  symbol(t, w, ctx(), {0.5, 0.5, 0.24, 0}, -1);
  EXPECT_EQ(shown(lines()), "");
}

TEST_F(CharsTest, TextBoxWidensTheBoundingBox) {
  letter(t, w, 1, 1, 0.24, "ab", 0);  // device 600, 600; 0.38 by 0.276 inch
  EXPECT_EQ(w.bxmin, 600);
  EXPECT_EQ(w.bxmax, 714);
  EXPECT_EQ(w.bymin, 589);
  EXPECT_EQ(w.bymax, 672);

  w.bxmin = w.bymin = 30000;
  w.bxmax = w.bymax = 0;
  w.cxmax = 590;  // clipped on the right
  letter(t, w, 1, 1, 0.24, "ab", 90);
  EXPECT_EQ(w.bxmin, 528);
  EXPECT_EQ(w.bxmax, 590);
  EXPECT_EQ(w.bymin, 600);
  EXPECT_EQ(w.bymax, 714);
  w.cxmax = kClipLimit;
}

TEST_F(CharsTest, OddTextsStayValid) {
  std::string deep;
  for (int i = 0; i < 200; ++i) deep += "|+";
  EXPECT_EQ(draw(deep + "a"), "a");
  std::string big;
  for (int i = 0; i < 200; ++i) big += "|>";
  sup = 1e-300;  // every step multiplies by 1e300
  EXPECT_EQ(draw(big + "b"), "b");
  sup = 0;  // 0 or less: 0.7
  EXPECT_NEAR(slen(t, ctx(), 24, "|<a"), 19 * 0.7, 1e-9);
  sup = 0.5;

  const std::string longest(600, 'x');
  EXPECT_EQ(draw(longest).size(), kMaxTextLength);
  EXPECT_EQ(draw("nan", NAN), "nan");
  EXPECT_EQ(draw("neg", -1), "neg");
  chars(t, w, ctx(), {NAN, 0.5, 0.24, 0, "LEFT"}, "x");
  EXPECT_EQ(shown(lines()), "");
  chars(t, w, ctx(), {0.5, 0.5, 0.24, INFINITY, "LEFT"}, "x");
  EXPECT_EQ(shown(lines()), "x");
  EXPECT_EQ(w.xorig, 1);
  EXPECT_EQ(doc.find("nan"), std::string::npos);
  EXPECT_EQ(doc.find("inf"), std::string::npos);
}

TEST_F(CharsTest, TextBlockWrapsWords) {
  const std::string text = "the quick  brown fox jumps over the lazy dog";
  EXPECT_EQ(
      textblock(t, ctx(), 0.18, text, 2.0),
      (std::vector<std::string>{"newline", "text the quick", "newline", "text brown fox", "newline",
                                "text jumps over", "newline", "text the lazy dog"}));
  // A word wider than the block stands alone; no empty line comes first.
  EXPECT_EQ(textblock(t, ctx(), 0.18, "extraordinary ok", 0.5),
            (std::vector<std::string>{"newline", "text extraordinary", "newline", "text ok"}));
  EXPECT_EQ(textblock(t, ctx(), 0.18, "   ", 2.0), (std::vector<std::string>{"newline"}));
  // Lines are command lines: never longer than 256 characters.
  std::string many;
  for (int i = 0; i < 200; ++i) many += "w ";
  for (const std::string& l : textblock(t, ctx(), 0.01, many, 1000)) EXPECT_LE(l.size(), 256u);
}

TEST_F(CharsTest, MarginStamps) {
  plot(w, 2, 3, PenCode::kMove);  // the pen somewhere on the page
  lines();
  init_stamp(w);
  stamp(t, w, ctx(), "|Hone   ");
  stamp(t, w, ctx(), "two");
  const auto ls = lines();
  EXPECT_EQ(count(ls, "       16 BF SF"), 1u);  // 0.04 inch
  EXPECT_EQ(shown(ls), "onetwo");
  const auto m = moves(ls);
  ASSERT_GE(m.size(), 4u);
  EXPECT_EQ(m[0], std::make_pair(75, 93));         // 0.25, 0.25 + 0.06 inch from the corner
  EXPECT_EQ(m.back(), std::make_pair(900, 1200));  // back where the pen was
  EXPECT_NE(std::find(m.begin(), m.end(), std::make_pair(75, 111)), m.end());
  EXPECT_EQ(w.stampc, 2);
}

}  // namespace
}  // namespace vexal
