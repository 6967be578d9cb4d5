// The finished document converted by Ghostscript (--pdf, --png, --crop): a
// PDF, or one PNG image per page, beside the PostScript with the same stem.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "interp/stop_signals.h"

namespace vexal {

inline constexpr int kDefaultPngDpi = 150;  // --png without a resolution
inline constexpr int kMinPngDpi = 1;
inline constexpr int kMaxPngDpi = 2400;

enum class ConvertFormat { kPdf, kPng };

// A box on the page in points: left, bottom, right, top.
using PageBox = std::array<long long, 4>;

// The letter page every document is drawn on. A landscape document turns its
// drawing on this page (612 0 translate, 90 rotate), so the page and the box
// the trailer states stay upright.
inline constexpr PageBox kLetterPage = {0, 0, 612, 792};

// One conversion of a complete PostScript document.
struct ConvertRequest {
  ConvertFormat format = ConvertFormat::kPdf;
  std::string source;          // the PostScript file Ghostscript reads
  std::string stem;            // the output names without their ending ("vexal")
  int pages = 1;               // pages of the document: more than 1 numbers the PNGs
  int dpi = kDefaultPngDpi;    // PNG resolution, dots per inch
  std::optional<PageBox> box;  // --crop: the drawing's box (see converted_page)
  StopSignals stop;            // a termination or hang-up is passed on to Ghostscript
};

// "PDF" or "PNG", as messages name the format.
std::string_view format_name(ConvertFormat format);

// The document's file name without its ending: "out/vexal.ps" gives
// "out/vexal", "plot" stays "plot" (a leading dot is not an ending).
std::string output_stem(std::string_view ps_file);

// The files a conversion writes: stem.pdf; stem.png for one page, otherwise
// stem-1.png, stem-2.png, ... (listed up to `pages`).
std::string output_name(const ConvertRequest& r, int page);

// The bounding box of the last "%%BoundingBox:" line of `tail` (the end of a
// document, where the trailer repeats the box); nothing when there is no such
// line, it is "(atend)", or the box is empty.
std::optional<PageBox> trailer_bounding_box(std::string_view tail);

// The page Ghostscript is given: the box clipped to the letter page (paint
// off the page is never seen), or the whole letter page when there is no box
// or none of it lies on the page. Never larger than the letter page.
PageBox converted_page(const std::optional<PageBox>& box);

// Runs Ghostscript (gs, found on PATH) as a child process with an argument
// vector, its output sent to standard error, and waits for it. Ghostscript
// writes into a new folder beside the stem; only when it succeeds are its
// files moved to their names, replacing files of those names. Returns "" when
// it succeeded, otherwise the reason, as a phrase ("Ghostscript (gs) could
// not be run: No such file or directory"); a failed conversion leaves none of
// its files behind and every file that was there before untouched (a file
// replaced before a later page failed to move excepted).
std::string convert_document(const ConvertRequest& r);

}  // namespace vexal
