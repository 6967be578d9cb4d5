// Characters typed in UTF-8 and the glyphs that draw them: a decoder that
// accepts only well-formed sequences, and the glyph of each character the
// standard fonts can draw (in the current text font, or in Symbol).
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace vexal {

// A character decoded from UTF-8: its code point and how many bytes it took.
struct Utf8Char {
  char32_t code = 0;
  size_t length = 0;
};

// The multi-byte UTF-8 sequence starting at text[at]: two to four bytes,
// the shortest form of its code point, not a surrogate, at most U+10FFFF.
// Nothing for a single byte (ASCII or not) or a sequence that is not
// well-formed: those bytes keep the meaning they have always had.
std::optional<Utf8Char> utf8_sequence(std::string_view text, size_t at);

// How a character is drawn: the glyph's name, in the current text font or
// in the Symbol font.
struct CharGlyph {
  std::string_view name;
  bool symbol = false;
};

// The glyph of code point `code`: the Latin-1 letters and signs (U+00A0 ..
// U+00FF) and a few typographic signs in the text font; Greek letters and
// mathematical signs the text fonts lack in Symbol. Nothing for a character
// no standard font has.
std::optional<CharGlyph> char_glyph(char32_t code);

}  // namespace vexal
