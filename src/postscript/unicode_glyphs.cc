// UTF-8 sequences and the glyphs of the characters they stand for.
#include "postscript/unicode_glyphs.h"

#include <algorithm>
#include <array>

namespace vexal {
namespace {

// The glyphs of U+00A0 .. U+00FF in the text fonts (ISO Latin-1).
constexpr std::string_view kLatin1[96] = {
    "space",
    "exclamdown",
    "cent",
    "sterling",
    "currency",
    "yen",
    "brokenbar",
    "section",
    "dieresis",
    "copyright",
    "ordfeminine",
    "guillemotleft",
    "logicalnot",
    "hyphen",
    "registered",
    "macron",
    "degree",
    "plusminus",
    "twosuperior",
    "threesuperior",
    "acute",
    "mu",
    "paragraph",
    "periodcentered",
    "cedilla",
    "onesuperior",
    "ordmasculine",
    "guillemotright",
    "onequarter",
    "onehalf",
    "threequarters",
    "questiondown",
    "Agrave",
    "Aacute",
    "Acircumflex",
    "Atilde",
    "Adieresis",
    "Aring",
    "AE",
    "Ccedilla",
    "Egrave",
    "Eacute",
    "Ecircumflex",
    "Edieresis",
    "Igrave",
    "Iacute",
    "Icircumflex",
    "Idieresis",
    "Eth",
    "Ntilde",
    "Ograve",
    "Oacute",
    "Ocircumflex",
    "Otilde",
    "Odieresis",
    "multiply",
    "Oslash",
    "Ugrave",
    "Uacute",
    "Ucircumflex",
    "Udieresis",
    "Yacute",
    "Thorn",
    "germandbls",
    "agrave",
    "aacute",
    "acircumflex",
    "atilde",
    "adieresis",
    "aring",
    "ae",
    "ccedilla",
    "egrave",
    "eacute",
    "ecircumflex",
    "edieresis",
    "igrave",
    "iacute",
    "icircumflex",
    "idieresis",
    "eth",
    "ntilde",
    "ograve",
    "oacute",
    "ocircumflex",
    "otilde",
    "odieresis",
    "divide",
    "oslash",
    "ugrave",
    "uacute",
    "ucircumflex",
    "udieresis",
    "yacute",
    "thorn",
    "ydieresis",
};

// The Greek letters U+0391 .. U+03C9 in Symbol ("" where Unicode has none).
constexpr std::string_view kGreek[57] = {
    "Alpha",   "Beta",    "Gamma",   "Delta", "Epsilon", "Zeta",    "Eta",    "Theta",   "Iota",
    "Kappa",   "Lambda",  "Mu",      "Nu",    "Xi",      "Omicron", "Pi",     "Rho",     "",
    "Sigma",   "Tau",     "Upsilon", "Phi",   "Chi",     "Psi",     "Omega",  "",        "",
    "",        "",        "",        "",      "",        "alpha",   "beta",   "gamma",   "delta",
    "epsilon", "zeta",    "eta",     "theta", "iota",    "kappa",   "lambda", "mu",      "nu",
    "xi",      "omicron", "pi",      "rho",   "sigma1",  "sigma",   "tau",    "upsilon", "phi",
    "chi",     "psi",     "omega",
};

struct Sign {
  char32_t code;
  CharGlyph glyph;
};

// Other characters, by code point.
constexpr Sign kSigns[] = {
    {0x03D1, {"theta1", true}},         {0x03D5, {"phi1", true}},
    {0x03D6, {"omega1", true}},         {0x2013, {"endash", false}},
    {0x2014, {"emdash", false}},        {0x2018, {"quoteleft", false}},
    {0x2019, {"quoteright", false}},    {0x201C, {"quotedblleft", false}},
    {0x201D, {"quotedblright", false}}, {0x2022, {"bullet", true}},
    {0x2026, {"ellipsis", false}},      {0x2030, {"perthousand", false}},
    {0x2032, {"minute", true}},         {0x2033, {"second", true}},
    {0x2126, {"Omega", true}},          {0x2190, {"arrowleft", true}},
    {0x2191, {"arrowup", true}},        {0x2192, {"arrowright", true}},
    {0x2193, {"arrowdown", true}},      {0x2202, {"partialdiff", true}},
    {0x2206, {"Delta", true}},          {0x220F, {"product", true}},
    {0x2211, {"summation", true}},      {0x2212, {"minus", true}},
    {0x221A, {"radical", true}},        {0x221E, {"infinity", true}},
    {0x222B, {"integral", true}},       {0x2248, {"approxequal", true}},
    {0x2260, {"notequal", true}},       {0x2264, {"lessequal", true}},
    {0x2265, {"greaterequal", true}},
};

bool continuation(unsigned char b) { return (b & 0xC0) == 0x80; }

}  // namespace

std::optional<Utf8Char> utf8_sequence(std::string_view text, size_t at) {
  if (at >= text.size()) return std::nullopt;
  const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[at + k]); };
  const unsigned char lead = byte(0);
  size_t length;
  char32_t code;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    code = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    code = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    code = lead & 0x07;
  } else {
    return std::nullopt;  // ASCII, a continuation byte, or a lead no character has
  }
  if (text.size() - at < length) return std::nullopt;
  for (size_t k = 1; k < length; ++k) {
    if (!continuation(byte(k))) return std::nullopt;
    code = code << 6 | (byte(k) & 0x3F);
  }
  const char32_t shortest[] = {0, 0, 0x80, 0x800, 0x10000};
  if (code < shortest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
    return std::nullopt;
  return Utf8Char{code, length};
}

std::optional<CharGlyph> char_glyph(char32_t code) {
  if (code >= 0xA0 && code <= 0xFF) return CharGlyph{kLatin1[code - 0xA0], false};
  if (code >= 0x391 && code <= 0x3C9 && !kGreek[code - 0x391].empty())
    return CharGlyph{kGreek[code - 0x391], true};
  const auto at = std::lower_bound(std::begin(kSigns), std::end(kSigns), code,
                                   [](const Sign& s, char32_t c) { return s.code < c; });
  if (at != std::end(kSigns) && at->code == code) return at->glyph;
  return std::nullopt;
}

}  // namespace vexal
