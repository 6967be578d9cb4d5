// The PostScript document writer and the pen: the document frame (header,
// prolog, pages, trailer and the bounding box patched into the header), the
// line emitters every drawing routine writes through, moves and draws in
// integer device units, line width, colours, dash patterns and clipping.
#pragma once

#include <array>
#include <bitset>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "util/numbers.h"
#include "util/out_buffer.h"

namespace vexal {

inline constexpr int kColorTableSize = 256;     // table indices 0..255
inline constexpr int kSegmentsPerStroke = 400;  // "CSM" after this many segments
inline constexpr int kClipLimit = 10000000;     // open clip window, device units
inline constexpr int kHeaderLineBytes = 72;     // header lines 1 and 2, newline included
// Precision (device units per inch) the document can carry: beyond these the
// page scale and the device coordinates leave what PostScript readers hold.
inline constexpr double kMinPrecision = 1;
inline constexpr double kMaxPrecision = 100000;
// Last device position meaning "the document has no current point" (after a
// stroke or newpath). No device coordinate takes this value: they are clamped
// to +-2e9.
inline constexpr int kNoPoint = INT_MIN;

struct Rgb {
  double r = 0, g = 0, b = 0;  // each 0..1
};

// Closes an owned output file.
struct PsFileCloser {
  void operator()(std::FILE* f) const {
    if (f) std::fclose(f);
  }
};

// The new file a document is written into before it takes its target's
// name; removed when the writer goes away without giving it that name.
struct NewDocumentFile {
  std::string name;  // "" when there is none (the target is written directly)
  NewDocumentFile() = default;
  ~NewDocumentFile();
  NewDocumentFile(const NewDocumentFile&) = delete;
  NewDocumentFile& operator=(const NewDocumentFile&) = delete;
};

// What the pen holds back under --compact: a move not yet drawn from, and a
// run of lines along one device column or row (x or y unchanged) that is
// written in fewer lines when something else must follow it (settle_pen).
struct PenHold {
  bool move = false;      // "x y M" is owed: nothing has been drawn from it yet
  bool point = false;     // the document as written has a current point
  bool known = false;     // (x, y) is the document's current point once the move is written
  int x = 0, y = 0;       // that point, device units; a run starts there
  int n = 0;              // points of the run held (0 = none)
  bool vertical = false;  // the run keeps x (a column); otherwise y (a row)
  // Along the run's line: its first and last point, the one before the last,
  // and the lowest and highest of the points before the last, with which of
  // those two came first.
  int first = 0, last = 0, prev = 0, lo = 0, hi = 0;
  bool lo_first = false;
  long long length = 0;  // device units the run's points are apart, one after another
  // The document's current point is exactly (at_x, at_y), written by the
  // pen's last move or line with nothing written since that could move it
  // (text, arcs, literals and strokes that end the path clear it).
  bool at = false;
  int at_x = 0, at_y = 0;
  // Lines held as their steps (dx, dy pairs) from the point before each, to
  // be written together (write_steps) before anything else is.
  std::vector<int> steps;
};

// The writer's records and its output. One per document; not copyable.
struct PsWriter {
  // las009
  double res = kDefaultUnitsPerInch;  // device units per inch (PRECISION)

  // las001
  double xlast = 0;                     // last user x emitted, inches from the origin
  double ylast = 0;                     // last user y emitted, inches from the origin
  double xorig = 0;                     // origin x, inches from the unrotated page corner
  double yorig = 0;                     // origin y, inches from the unrotated page corner
  double scale = kDefaultUnitsPerInch;  // FACTOR x res: device units per user inch
  double width = 0;                     // current line width, device units (0 = none written yet)
  double grey = 0;                      // scratch grey level for the shape routines

  // las000
  // Segments since the path was last stroked: every line drawn counts, also
  // one --compact merges, so that "CSM" falls where it always has.
  int nseg = 0;
  // Device point of the last move or line, or kNoPoint: the document's
  // current point once what the pen holds (--compact) is written.
  int ixlast = 0;
  int iylast = 0;

  // las007: everything drawn, and the clip window, in device units
  int bxmin = 30000, bymin = 30000, bxmax = 0, bymax = 0;  // empty: res x 100 .. 0
  int cxmin = -kClipLimit, cymin = -kClipLimit, cxmax = kClipLimit, cymax = kClipLimit;

  // --compact: the same picture in fewer operations (images as one image,
  // moves written only when something is drawn from them, ...). Off, every
  // line is written as it always was.
  bool compact = false;
  PenHold hold;  // --compact: what the pen has not written yet
  // --compact, set while a data curve is drawn: a run along a column or row
  // may turn back on itself and is written as its ends and extremes.
  bool fold_runs = false;
  // --compact images: the lookup string last defined as ICT (three bytes per
  // table entry), so that it is written again only when the table changed.
  std::array<uint8_t, 3 * kColorTableSize> image_lookup{};
  bool image_lookup_written = false;

  int pages = 0;             // las005: page count, 1 after start-up
  bool landscape = false;    // las010: orientation text begins with "Landscape"
  bool to_stdout = false;    // las012: the document goes to standard output
  Rgb last_rgb{-1, -1, -1};  // las011: colour last emitted; -1 forces the first one

  // cmap: the colour table and the table colour selected last (-1 = none)
  std::array<Rgb, kColorTableSize> cmap{};
  int current_color = -1;
  // Entries whose definition has been written into the document, so that a
  // selection never names a procedure the document lacks.
  std::bitset<kColorTableSize> color_written;

  std::array<double, 8> dash_last{};  // dash pattern last emitted, inches
  // The dash pattern in force as written: its length in device units (0:
  // none) and whether it has gaps. A run folded under --compact must end
  // where the pattern is at the same phase, and may not fold over gaps.
  long long dash_period = 0;
  bool dash_gaps = false;
  int stampc = 0;  // stampc: stamp lines written on this page

  // Output. `file` is declared before `out` so that `out` flushes into it
  // before it is closed when the writer goes away.
  std::unique_ptr<std::FILE, PsFileCloser> file;  // owned file target
  std::string path;                               // the target's name, for messages
  NewDocumentFile new_file;                       // where `file` is, until renamed to `path`
  std::string* doc = nullptr;                     // string target (tests)
  size_t doc_base = 0;                            // where the document starts in *doc
  bool open = false;                              // a target is open and not yet ended
  int error = 0;  // errno of the first failed write, patch or close of a closed target; 0 = none
  OutBuffer out;
};

// Output targets -------------------------------------------------------------

// Makes `path` the document's target; false (and output discarded) when it
// cannot be opened. A regular file, a symbolic link (never followed) or a
// name that is free gets a new file in the same folder, created exclusively
// with the old file's permissions (or 0666 under the umask) and renamed to
// `path` when the target is closed, and only if everything was written: a run
// that does not get that far leaves whatever had the name untouched. Anything
// else (a device such as /dev/null, a FIFO, a terminal) is written directly,
// and so is what a link such as /dev/stdout leads to: a device, a FIFO, or
// the program's own standard output or error.
bool ps_open_file(PsWriter& w, const std::string& path);
// Makes standard output the target.
void ps_open_stdout(PsWriter& w);
// Appends the document to *doc, which is treated like a file (the header's
// bounding-box line is patched in place at the end).
void ps_open_string(PsWriter& w, std::string* doc);
// Drops the target of a document that will not be finished: a new file is
// removed without taking its target's name; a target written directly keeps
// what reached it.
void ps_abandon(PsWriter& w);

// Document frame -------------------------------------------------------------

// What a document starts with: its target, precision and header lines.
struct DocumentSetup {
  double res = kDefaultUnitsPerInch;  // device units per inch; not a positive number: 300
  bool to_stdout = false;             // the document goes to standard output, not to file_name
  std::string_view file_name;         // the file written, and the %%Title
  std::string_view orientation = "Portrait";  // "Portrait" or "Landscape" (%%Orientation)
  std::string_view version_text;              // the %%Version
};

// Opens the output (standard output, or the file named; a target opened
// beforehand is kept), writes header and prolog and starts page 1; with
// `verbose`, a document written to a file names it on `term`. False when the
// file cannot be created.
bool startup(PsWriter& w, const DocumentSetup& d, bool verbose, OutBuffer& term);
// Writes the start-up colour table: 255 white, 10..1 grey 0.0..0.9, 0 white.
void default_colors(PsWriter& w);

// Line emitters --------------------------------------------------------------
// Integers are written in minimal width; above 999,999 or below -999 they
// stand right-aligned in 12 characters.

// s as a line.
void out_a(PsWriter& w, std::string_view s);
// s, a blank, t.
void out_aa(PsWriter& w, std::string_view s, std::string_view t);
// s, a blank, n.
void out_ai(PsWriter& w, std::string_view s, int n);
// n, a blank, s.
void out_ia(PsWriter& w, int n, std::string_view s);
// i, a blank, j, a blank, s.
void out_ija(PsWriter& w, int i, int j, std::string_view s);
// Hands everything written so far to the target.
void out_flush(PsWriter& w);
// "%! " and the text without trailing blanks, each control character (below
// 32, except tab) written as a blank so that the comment cannot end early.
void ps_comment(PsWriter& w, std::string_view text);
// "" while every write to the document, the bounding-box patch and the close
// have succeeded; otherwise the one message that says so, naming the file
// and the reason.
std::string ps_error_message(const PsWriter& w);
// The text without trailing blanks as one line.
void ps_literal(PsWriter& w, std::string_view text);

// Writes what the pen holds back under --compact (a move, lines along a
// column or row), so that the line written next follows them. The emitters
// here call it (a width, colour or dash line keeps a held move back while the
// document has a point of its own, and a stroke that ends the path drops it);
// code that writes to `out` itself calls it first, unless its lines leave
// the path and the current point alone. Without --compact nothing is held.
void settle_pen(PsWriter& w);
// Before a line that strokes and ends the path (an image's "S gsave"): as
// settle_pen, but a held move is dropped, as nothing was drawn from it.
void end_pen_path(PsWriter& w);

// Writes n in minimal width at p (room for 12 characters); returns the end.
char* put_minimal(char* p, int n);
// Pen ------------------------------------------------------------------------

// The pen call's codes, as they have always been numbered: a move or draw,
// either then making the point the origin, a new page (-999, and the older
// codes +-22 and +-23), the end of the document. Any other code does nothing.
enum class PenCode : int {
  kMove = 3,
  kDraw = 2,
  kMoveOrigin = -3,  // move, then the point becomes the origin
  kDrawOrigin = -2,  // draw, then the point becomes the origin
  kNewPage = -999,
  kEnd = 999,  // end of the document
};
// True for the codes that make the point the new origin (any code below 0
// but a new page).
inline bool shifts_origin(PenCode code) { return static_cast<int>(code) < 0; }
void plot(PsWriter& w, double x, double y, PenCode code);
// Device units of a user coordinate: (v + origin) x scale rounded to single
// precision, truncated toward zero.
int device_x(const PsWriter& w, double x);
int device_y(const PsWriter& w, double y);
// Moves to (x, y), inches from the origin; repeats of the device point write
// nothing. Under --compact the move is held until something is drawn from it
// or another line is written; a move after it replaces it.
void moveto(PsWriter& w, double x, double y);
// Draws to (x, y), inches from the origin, widening the bounding box; repeats
// of the device point do nothing at all. Under --compact lines along one
// device column or row are held: a line that goes straight on extends the
// one before it (with fold_runs, the run may also turn back; see PenHold).
void drawto(PsWriter& w, double x, double y);
// As moveto/drawto with (x, y) measured from the page corner.
void amoveto(PsWriter& w, double x, double y);
void adrawto(PsWriter& w, double x, double y);
// As moveto/drawto with (dx, dy) added to the last user position.
void rmoveto(PsWriter& w, double dx, double dy);
void rdrawto(PsWriter& w, double dx, double dy);
// The last user position and the scale.
void where(const PsWriter& w, double& x, double& y, double& scale);
// The drawn bounding box in user inches from the current origin.
void boundbox(const PsWriter& w, double& x0, double& y0, double& x1, double& y1);
// Sets the scale to f x res (FACTOR).
void factor(PsWriter& w, double f);
// Line width w inches; a change of at most half a device unit writes nothing.
void thickpen(PsWriter& w, double inches);
// Line width n device units.
void newpen(PsWriter& w, int n);
// The line width (PsWriter::width, device units) thickpen(w, inches) leaves
// in force when `width` is in force before it.
double thickpen_width(const PsWriter& w, double width, double inches);
// The whole device units the document draws with at PsWriter::width `width`.
int pen_width_units(double width);
// A colour component as the document writes it: within 0..1, NaN as 0.
double color_component(double v);
// Sets the colour directly; within 0.005 of the last colour nothing is written.
void setrgbcolor(PsWriter& w, double r, double g, double b);
// Grey level g clamped to 0..1.
void gray(PsWriter& w, double g);
// Stores table entry k and writes its definition; false (nothing done) when k
// lies outside 0..255.
bool define_color(PsWriter& w, int k, double r, double g, double b);
// Selects table entry k; false (nothing done) when k lies outside 0..255.
bool set_forecolor(PsWriter& w, int k);
// Table entry k; false (and black) when k lies outside 0..255.
bool get_color(const PsWriter& w, int k, double& r, double& g, double& b);
// The same as get_color (the name the colour commands use).
bool whatis_color(const PsWriter& w, int k, double& r, double& g, double& b);
// Background colour: accepted and ignored (the page stays white).
void set_backcolor(PsWriter& w, int k);

// Dash pattern: mark/space pairs in inches (FACTOR does not apply). A pattern
// whose first mark is not positive, or equal to the one in force, writes nothing.
void set_dash(PsWriter& w, const std::array<double, 8>& pattern);
// The pen call under the name the main program uses; the same as plot.
void dash(PsWriter& w, double x, double y, PenCode code);

// Clipping ---------------------------------------------------------------------
// Both clip routines stroke what is drawn so far and leave the pen at a known
// point; the clip path itself is invisible.

// Clips to the polygon of the n vertices (x[i], y[i]), inches from the origin;
// the clip window becomes the vertices' bounding rectangle and the pen ends on
// the last vertex. Fewer than one vertex does nothing.
void clipregion(PsWriter& w, const double* x, const double* y, int n);
// Clips to the circle of radius r about (x, y) and moves there; the clip
// window is kept.
void clipcircle(PsWriter& w, double x, double y, double r);
// Writes the arc line of the circle of radius r about (x, y), inches from the
// origin: centre and radius in device units, from angle a1 to a2 (degrees,
// single precision; one that is not finite gives 0 or 360). A circle
// reaching beyond 1000 inches from the page corner is pulled in (centre
// within 1000 inches, radius within 2000) so that readers accept it.
void out_circle(PsWriter& w, double x, double y, double r, double a1 = 0, double a2 = 360);
// Removes clipping, keeping the current point.
void noclip(PsWriter& w);

// The document has no current point any more (the caller stroked or began a
// new path): the next move is written whatever the position, and a width,
// colour or dash change first moves to the page corner, since "CSM" needs a point.
void forget_point(PsWriter& w);

}  // namespace vexal
