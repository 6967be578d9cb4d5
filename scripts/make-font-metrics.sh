#!/bin/sh
# Writes src/postscript/font_metrics_data.cc: the advance widths of the
# glyphs the text writer can draw in each of the thirteen standard fonts,
# from the AFM files of Debian's fonts-urw-base35 (the fonts Ghostscript
# shows for them). Run it again when those files change:
#
#   scripts/make-font-metrics.sh [AFM_DIR]   (default /usr/share/fonts/type1/urw-base35)
#
# A text font keeps its encoded glyphs and the ISO Latin-1 letters and
# signs; the Symbol font keeps its encoded glyphs. Each table is sorted by
# glyph name (bytewise), for a binary search.
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
afm=${1:-/usr/share/fonts/type1/urw-base35}
out=$root/src/postscript/font_metrics_data.cc

latin1="space exclamdown cent sterling currency yen brokenbar section dieresis copyright
ordfeminine guillemotleft logicalnot hyphen registered macron degree plusminus twosuperior
threesuperior acute mu paragraph periodcentered cedilla onesuperior ordmasculine
guillemotright onequarter onehalf threequarters questiondown Agrave Aacute Acircumflex Atilde
Adieresis Aring AE Ccedilla Egrave Eacute Ecircumflex Edieresis Igrave Iacute Icircumflex
Idieresis Eth Ntilde Ograve Oacute Ocircumflex Otilde Odieresis multiply Oslash Ugrave Uacute
Ucircumflex Udieresis Yacute Thorn germandbls agrave aacute acircumflex atilde adieresis aring
ae ccedilla egrave eacute ecircumflex edieresis igrave iacute icircumflex idieresis eth ntilde
ograve oacute ocircumflex otilde odieresis divide oslash ugrave uacute ucircumflex udieresis
yacute thorn ydieresis minus"

# standard name, AFM file, table name
fonts="Helvetica NimbusSans-Regular kHelvetica
Helvetica-Bold NimbusSans-Bold kHelveticaBold
Helvetica-BoldOblique NimbusSans-BoldItalic kHelveticaBoldOblique
Helvetica-Oblique NimbusSans-Italic kHelveticaOblique
Symbol StandardSymbolsPS kSymbol
Times-Roman NimbusRoman-Regular kTimesRoman
Times-Bold NimbusRoman-Bold kTimesBold
Times-Italic NimbusRoman-Italic kTimesItalic
Times-BoldItalic NimbusRoman-BoldItalic kTimesBoldItalic
Courier NimbusMonoPS-Regular kCourier
Courier-Bold NimbusMonoPS-Bold kCourierBold
Courier-Oblique NimbusMonoPS-Italic kCourierOblique
Courier-BoldOblique NimbusMonoPS-BoldItalic kCourierBoldOblique"

for f in $(echo "$fonts" | awk '{ print $2 }'); do
  [ -r "$afm/$f.afm" ] || { echo "make-font-metrics: no $afm/$f.afm (apt-get install fonts-urw-base35)" >&2; exit 1; }
done

tmp=$(mktemp)
parts=$(mktemp -d)
trap 'rm -rf "$tmp" "$parts"' EXIT
# Each font's entries; a font whose entries equal an earlier one's (the
# Courier fonts: every glyph 600) shares that font's table.
echo "$fonts" | while read -r name file table; do
  # Glyph lines: "C code ; WX width ; N name ; ..."
  awk -v keep="$latin1" -v symbol="$([ "$name" = Symbol ] && echo 1 || echo 0)" '
    BEGIN { n = split(keep, k, /[ \n]+/); for (i = 1; i <= n; i++) wanted[k[i]] = 1 }
    $1 == "C" && $4 == "WX" && $7 == "N" {
      if ($2 >= 0 || (!symbol && ($8 in wanted))) print $8, $5
    }' "$afm/$file.afm" | LC_ALL=C sort -u -k1,1 |
    awk '{ printf "    {\"%s\", %d},\n", $1, $2 }' >"$parts/$table"
  for earlier in "$parts"/k*; do
    [ "$earlier" = "$parts/$table" ] && break
    if [ ! -f "$earlier.same" ] && cmp -s "$earlier" "$parts/$table"; then
      basename "$earlier" >"$parts/$table.same"
      break
    fi
  done
done
{
  echo "// The advance widths of the standard fonts' glyphs, 1/1000 of the font"
  echo "// size. Written by scripts/make-font-metrics.sh from the AFM files of"
  echo "// fonts-urw-base35; do not edit."
  echo "#include \"postscript/font_metrics.h\""
  echo
  echo "namespace vexal {"
  echo "namespace {"
  echo
  echo "$fonts" | while read -r name file table; do
    [ -f "$parts/$table.same" ] && continue
    echo "// $name ($file)"
    echo "constexpr GlyphWidth $table[] = {"
    cat "$parts/$table"
    echo "};"
    echo
  done
  echo "}  // namespace"
  echo
  echo "std::span<const GlyphWidth> font_glyphs(std::string_view font) {"
  echo "$fonts" | while read -r name file table; do
    if [ -f "$parts/$table.same" ]; then
      echo "  if (font == \"$name\") return $(cat "$parts/$table.same");  // the same widths"
    else
      echo "  if (font == \"$name\") return $table;"
    fi
  done
  echo "  return {};"
  echo "}"
  echo
  echo "}  // namespace vexal"
} >"$tmp"
mv "$tmp" "$out"
rm -rf "$parts"
trap - EXIT
clang-format -i "$out"  # as scripts/check-source.sh wants every source
echo "make-font-metrics: wrote $out"
