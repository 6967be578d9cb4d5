// The PostScript document writer and the pen.
#include "postscript/ps_writer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <string>
#include <utility>

#include "postscript/image_writer.h"
#include "util/free_format.h"
#include "util/numbers.h"
#include "util/text.h"

namespace vexal {
namespace {

// Colours closer than this to the last one are not written again; the
// tolerance is the single-precision 0.005 the comparison has always used.
constexpr double kColorTolerance = 0.005f;

// Largest magnitude a device coordinate is clamped to, so that a wild user
// value cannot overflow the integer conversion.
constexpr float kDeviceLimit = 2.0e9f;

// How far, in inches from the page corner, an arc may reach. PostScript
// readers turn arcs into curves in fixed-point device space and refuse one
// they cannot hold (about 3500 inches at 2400 dpi); nothing on a page lies
// near this reach.
constexpr double kArcReachInches = 1000;

// A bounding-box value stands in an 8-character field behind a blank: 7
// characters at most, so the fields never run together.
constexpr long long kBoxFieldMin = -999999;
constexpr long long kBoxFieldMax = 9999999;

// The prolog after the optional landscape lines, one line each.
constexpr std::string_view kProlog[] = {
    "0 setlinecap",
    "/d /def load def",
    "/b {bind d}bind d",
    "/l {load d}b",
    "/e /exch l",
    "/L /lineto l",
    "/M /moveto l",
    "/W /setlinewidth l",
    "/FF /findfont l",
    "/SF /setfont l",
    "/BF /scalefont l",
    "/S /stroke l",
    "/G /setgray l",
    "/R /rotate l",
    "/T /show l",
    "/N /newpath l",
    "/CF {closepath fill}b",
    "/CSM {currentpoint stroke moveto}b",
    "/RGB /setrgbcolor l",
    // Markers: size s on the stack, centred on the current point, which they
    // leave where it was. The F variants fill.
    "/S0 {dup 2 div dup rmoveto",
    "dup neg 0 rlineto",
    "dup neg 0 e rlineto",
    "dup 0 rlineto",
    "dup 0 e rlineto",
    "2 div neg dup rmoveto",
    "currentpoint stroke moveto}b",
    "/S0F {dup 2 div dup rmoveto",
    "dup neg 0 rlineto",
    "dup neg 0 e rlineto",
    "dup 0 rlineto",
    "dup 0 e rlineto",
    "2 div neg dup rmoveto",
    "currentpoint closepath fill stroke moveto}b",
    "/S1 ",
    "{dup 2 div dup 2 div e",
    "rmoveto",
    "dup 2 div neg 0 rlineto",
    "dup 4 div neg dup rlineto",
    "dup 2 div neg 0 e rlineto",
    "dup 4 div dup neg rlineto",
    "dup 2 div 0 rlineto",
    "dup 4 div dup rlineto",
    "dup 2 div 0 e rlineto",
    "dup 4 div dup neg e rlineto",
    "-2 div dup 2 div e rmoveto",
    "currentpoint stroke moveto}b",
    "/S1F ",
    "{dup 2 div dup 2 div e",
    "rmoveto",
    "dup 2 div neg 0 rlineto",
    "dup 4 div neg dup rlineto",
    "dup 2 div neg 0 e rlineto",
    "dup 4 div dup neg rlineto",
    "dup 2 div 0 rlineto",
    "dup 4 div dup rlineto",
    "dup 2 div 0 e rlineto",
    "dup 4 div dup neg e rlineto",
    "-2 div dup 2 div e rmoveto",
    "currentpoint closepath fill stroke moveto}b",
    "/S2 {dup 2 div 0 e rmoveto",
    "dup neg dup 2 div e rlineto",
    "dup 0 rlineto",
    "dup dup neg 2 div e rlineto",
    "2 div neg 0 e rmoveto",
    "currentpoint stroke moveto}b",
    "/S2F {dup 2 div 0 e rmoveto",
    "dup neg dup 2 div e rlineto",
    "dup 0 rlineto",
    "dup dup neg 2 div e rlineto",
    "2 div neg 0 e rmoveto",
    "currentpoint closepath fill stroke moveto}b",
    "/S3 {dup 2 div 0 rmoveto",
    "dup neg 0 rlineto",
    "dup 2 div dup rmoveto",
    "dup neg 0 e rlineto",
    "2 div 0 e rmoveto",
    "currentpoint stroke moveto}b",
    "/S4 {dup 2 div dup rmoveto",
    "dup neg dup rlineto",
    "dup 0 rmoveto",
    "dup dup neg e rlineto",
    "2 div dup neg rmoveto",
    "currentpoint stroke moveto}b",
    "/S5 {dup 2 div 0 rmoveto",
    "dup neg 2 div dup rlineto",
    "dup -2 div dup neg rlineto",
    "dup 2 div dup rlineto",
    "dup 2 div dup neg rlineto",
    "2 div neg 0 rmoveto",
    "currentpoint stroke moveto}b",
    "/S5F {dup 2 div 0 rmoveto",
    "dup neg 2 div dup rlineto",
    "dup -2 div dup neg rlineto",
    "dup 2 div dup rlineto",
    "dup 2 div dup neg rlineto",
    "2 div neg 0 rmoveto",
    "currentpoint closepath fill stroke moveto}b",
};

// Header line padded with blanks to the fixed length the end-of-document
// patch relies on.
void put_padded_header(OutBuffer& out, std::string_view s) {
  out.put(s);
  for (size_t n = s.size(); n < kHeaderLineBytes - 1; ++n) out.put(' ');
  out.put('\n');
}

// Keeps the first failure of the target (an errno value; 0 is no failure).
void note_error(PsWriter& w, int error) {
  if (w.error == 0) w.error = error;
}

// The errno of a failed call that may not have set it.
int last_error() { return errno ? errno : EIO; }

// Drops the current target: flushes it and closes an owned file, noting a
// failure of either. A new file then takes its target's name, or goes when
// anything failed.
void close_target(PsWriter& w) {
  w.out.flush();
  note_error(w, w.out.error());
  w.out.set_discard();
  if (std::FILE* f = w.file.release()) {
    // A regular file written directly (the caller's standard output reached
    // through /dev/stdout) was not emptied: what was there beyond the
    // document goes.
    const int fd = ::fileno(f);
    const off_t end = ::ftello(f);
    struct stat st;
    if (w.new_file.name.empty() && end >= 0 && ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
        ::ftruncate(fd, end) != 0)
      note_error(w, last_error());
    errno = 0;
    if (std::fclose(f) != 0) note_error(w, last_error());
  }
  if (const std::string name = std::exchange(w.new_file.name, {}); !name.empty()) {
    if (w.error == 0 && ::rename(name.c_str(), w.path.c_str()) != 0) note_error(w, last_error());
    if (w.error != 0) ::unlink(name.c_str());
  }
  w.doc = nullptr;
  w.open = false;
}

// Attempts at a free name for a new document file before giving up.
constexpr int kNewFileAttempts = 100;

// Creates the new file a document to be named `target` is written into: in
// the target's folder, so that the rename is atomic, under a name of this
// process (".vexal-document-PID-N"), exclusively, so that no other run's file
// and nothing planted under the name is written. Permissions are `mode`, or
// 0666 under the umask when it is negative. Returns the descriptor with
// `name` set; -1 when none could be made.
int create_new_file(const std::string& target, int mode, std::string& name) {
  const size_t slash = target.rfind('/');
  const std::string folder = slash == std::string::npos ? "" : target.substr(0, slash + 1);
  const std::string stem = folder + ".vexal-document-" + std::to_string(::getpid()) + "-";
  for (int attempt = 1; attempt <= kNewFileAttempts; ++attempt) {
    name = stem + std::to_string(attempt);
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
      if (mode >= 0) ::fchmod(fd, static_cast<mode_t>(mode));
      return fd;
    }
    if (errno != EEXIST) break;
  }
  name.clear();
  return -1;
}

// True when `path`, with `st` from lstat, is a link to a device or FIFO, or
// to this program's own standard output or error: /dev/stdout and /dev/fd/1
// lead to the terminal, pipe or file the caller gave, which is written as it
// is rather than the link being replaced.
bool is_stream_link(const std::string& path, const struct stat& st) {
  struct stat to;
  if (!S_ISLNK(st.st_mode) || ::stat(path.c_str(), &to) != 0) return false;
  if (S_ISCHR(to.st_mode) || S_ISFIFO(to.st_mode)) return true;
  for (int fd : {STDOUT_FILENO, STDERR_FILENO}) {
    struct stat stream;
    if (::fstat(fd, &stream) == 0 && stream.st_dev == to.st_dev && stream.st_ino == to.st_ino)
      return true;
  }
  return false;
}

// Writes the text with every control character (below 32, except tab) as a
// blank: a carriage return or form feed would end a PostScript comment and
// let the rest of the line run as code.
void put_comment_text(OutBuffer& out, std::string_view text) {
  size_t kept = 0;  // text before this is written
  for (size_t i = 0; i < text.size(); ++i) {
    if (static_cast<unsigned char>(text[i]) >= 32 || text[i] == '\t') continue;
    out.put(text.substr(kept, i - kept));
    out.put(' ');
    kept = i + 1;
  }
  out.put(text.substr(kept));
}

// A header comment: the key, a blank and the text, control characters blanked.
void put_dsc_line(OutBuffer& out, std::string_view key, std::string_view text) {
  out.put(key);
  out.put(' ');
  put_comment_text(out, text);
  out.put('\n');
}

// The scale line of a page: 72/res twice in free format.
void put_scale_line(PsWriter& w) {
  const std::string k = free_real(kPointsPerInch / w.res);
  w.out.put(' ');
  w.out.put(k);
  w.out.put(' ');
  w.out.put(k);
  w.out.put(" scale\n");
}

// "i j X\n" for the pen's M and L lines, formatted in one go.
inline void put_point(OutBuffer& out, int i, int j, char op) {
  char line[32];
  char* p = put_minimal(line, i);
  *p++ = ' ';
  p = put_minimal(p, j);
  *p++ = ' ';
  *p++ = op;
  *p++ = '\n';
  out.put(std::string_view(line, p - line));
}

// The pen under --compact ------------------------------------------------------
// Only runs along a device column or row are merged. A reader places every
// end point in fixed point, so a slanted line drawn in several pieces and the
// same line drawn as one differ in their rounded direction, and the joins at
// their ends by a pixel; along a column or row the direction stays exact.
// A run that turns back on itself covers the span between its extremes in
// whatever order they are visited; what the joins at its ends depend on is
// the direction of its first and last piece, which the written run keeps.

// The prolog lines of a --compact document defining D, P (write_steps) and E
// (put_pen).
constexpr std::string_view kStepLines[] = {
    "/D {currentpoint round exch round 4 -1 roll add 3 1 roll add lineto}b",
    "/P {{D} repeat}b",
    "/E {currentpoint round exch round 4 -1 roll add 3 1 roll add moveto}b",
};

// Characters of n in minimal width.
inline int minimal_width(long long n) {
  int width = n < 0 ? 2 : 1;
  for (n = n < 0 ? -n : n; n >= 10; n /= 10) ++width;
  return width;
}

// Steps "dx dy" a P line takes at most: 400 operands, within the smallest
// operand stack a reader must have (500).
constexpr size_t kStepsPerChain = 200;
// Characters of a line of steps, within the 255 line-reading tools take.
constexpr int kStepLineWidth = 240;

// Writes the steps the pen holds: one as "dx dy D"; more as their pairs,
// last first, and "n P", which takes them from the operand stack first to
// last. A step is added to the reader's current point rounded back to
// whole units, so every end point is the very integer "x y L" would give
// (rlineto would add in the reader's fixed point and drift).
void write_steps(PsWriter& w) {
  std::vector<int>& steps = w.hold.steps;
  if (steps.empty()) return;
  const size_t pairs = steps.size() / 2;
  if (pairs == 1) {
    put_point(w.out, steps[0], steps[1], 'D');
  } else {
    char line[kStepLineWidth + 32];
    int used = 0;
    for (size_t k = pairs; k-- > 0;) {
      char* p = put_minimal(line + used, steps[2 * k]);
      *p++ = ' ';
      p = put_minimal(p, steps[2 * k + 1]);
      *p++ = ' ';
      used = static_cast<int>(p - line);
      if (used >= kStepLineWidth - 24) {
        line[used - 1] = '\n';
        w.out.put(std::string_view(line, static_cast<size_t>(used)));
        used = 0;
      }
    }
    char* p = put_minimal(line + used, static_cast<int>(pairs));
    std::memcpy(p, " P\n", 3);
    w.out.put(std::string_view(line, static_cast<size_t>(p + 3 - line)));
  }
  steps.clear();
}

// A move or line the pen writes under --compact. From a point the pen
// knows exactly, a line is held as its step and a move written as its step
// ("dx dy E", rounded as D) where that is shorter to write.
inline void put_pen(PsWriter& w, int ix, int iy, char op) {
  PenHold& h = w.hold;
  const long long dx = static_cast<long long>(ix) - h.at_x,
                  dy = static_cast<long long>(iy) - h.at_y;
  const bool by_steps =
      h.at && std::max(std::abs(dx), std::abs(dy)) <= INT_MAX &&
      minimal_width(dx) + minimal_width(dy) < minimal_width(ix) + minimal_width(iy);
  if (by_steps && op == 'L') {
    h.steps.push_back(static_cast<int>(dx));
    h.steps.push_back(static_cast<int>(dy));
    if (h.steps.size() >= 2 * kStepsPerChain) write_steps(w);
  } else {
    write_steps(w);
    if (by_steps)  // a move by steps
      put_point(w.out, static_cast<int>(dx), static_cast<int>(dy), 'E');
    else
      put_point(w.out, ix, iy, op);
  }
  h.point = true;
  h.at = true;
  h.at_x = ix;
  h.at_y = iy;
}

// Where (ix, iy) lies along the run's line.
inline int along(const PenHold& h, int ix, int iy) { return h.vertical ? iy : ix; }

// Adds the point at v along the run's line.
void run_add(PenHold& h, int v) {
  if (h.n == 0) {
    h.first = h.last = v;
    h.n = 1;
    h.length = std::abs(static_cast<long long>(v) - (h.vertical ? h.y : h.x));
    return;
  }
  h.length += std::abs(static_cast<long long>(v) - h.last);
  // The last point becomes the one before the last, and one of those whose
  // extremes are kept.
  const int p = h.last;
  if (h.n == 1) {
    h.lo = h.hi = p;
  } else if (p < h.lo) {
    h.lo = p;
    h.lo_first = false;
  } else if (p > h.hi) {
    h.hi = p;
    h.lo_first = true;
  }
  h.prev = p;
  h.last = v;
  ++h.n;
}

// Writes lines along the run's line, each piece that goes on the way the one
// before it went merged into it.
class RunWriter {
 public:
  RunWriter(PsWriter& w, int start) : w_(w), h_(w.hold), at_(start) {}
  ~RunWriter() {
    if (held_) put(end_);
    if (h_.vertical)
      h_.y = at_;
    else
      h_.x = at_;
    h_.n = 0;
  }
  void to(int v) {
    if (v == at_) return;
    const int way = v > at_ ? 1 : -1;
    if (held_ && way != way_) put(end_);
    held_ = true;
    end_ = v;
    way_ = way;
    at_ = v;
  }

 private:
  void put(int v) { put_pen(w_, h_.vertical ? h_.x : v, h_.vertical ? v : h_.y, 'L'); }
  PsWriter& w_;
  PenHold& h_;
  int at_;
  bool held_ = false;
  int end_ = 0, way_ = 0;
};

// The length a folded run is short of its points' under a dash pattern of
// `period` device units (0: none), so that the pattern meets what follows
// at the same phase. Both lengths join the same two points on one line, so
// their difference is even, and so is what is returned.
long long dash_makeup(long long points_length, long long written, long long period) {
  if (period <= 0) return 0;
  long long r = (points_length - written) % period;
  if (r % 2 != 0) r += period;
  return r;
}

// Writes the run: its first point, the extremes of those before the last in
// the order they came, the one before the last and the last. Where that is
// shorter than the points were and a dash pattern is in force, the pen goes
// back and forth from the first extreme for the length the pattern needs.
void write_run(PsWriter& w) {
  PenHold& h = w.hold;
  const int start = h.vertical ? h.y : h.x;
  RunWriter run(w, start);
  run.to(h.first);
  if (h.n < 2) return;  // a single line
  const int points[4] = {h.lo_first ? h.lo : h.hi, h.lo_first ? h.hi : h.lo, h.prev, h.last};
  long long written = std::abs(static_cast<long long>(h.first) - start);
  for (int i = 0, at = h.first; i < 4; at = points[i++])
    written += std::abs(static_cast<long long>(points[i]) - at);
  long long makeup = dash_makeup(h.length, written, w.dash_period);
  run.to(points[0]);
  if (makeup > 0) {
    // Everything between the lowest and the highest point is drawn anyway.
    const int bottom = std::min({start, h.lo, h.last}), top = std::max({start, h.hi, h.last});
    const int from = points[0], way = top - from >= from - bottom ? 1 : -1;
    const long long room = way > 0 ? top - from : from - bottom;
    while (makeup > 0) {
      const long long d = std::min(room, makeup / 2);
      run.to(from + way * static_cast<int>(d));
      run.to(from);
      makeup -= 2 * d;
    }
  }
  for (int i = 1; i < 4; ++i) run.to(points[i]);
}

// A move under --compact: held, replacing a move held before it.
void hold_move(PsWriter& w, int ix, int iy) {
  PenHold& h = w.hold;
  if (h.n > 0) write_run(w);
  h.move = true;
  h.known = true;
  h.x = ix;
  h.y = iy;
}

// A line under --compact to (ix, iy), which differs from the last point.
void hold_line(PsWriter& w, int ix, int iy) {
  PenHold& h = w.hold;
  if (h.move) {
    put_pen(w, h.x, h.y, 'M');
    h.move = false;
  }
  if (h.n > 0) {
    if (h.vertical ? ix == h.x : iy == h.y) {
      const int v = along(h, ix, iy);
      const int start = h.vertical ? h.y : h.x;
      if ((w.fold_runs && !w.dash_gaps) || (v > h.last) == (h.first > start)) {
        run_add(h, v);
        return;
      }
    }
    write_run(w);
  }
  if (h.known && (ix == h.x || iy == h.y)) {
    h.vertical = ix == h.x;
    run_add(h, along(h, ix, iy));
    return;
  }
  put_pen(w, ix, iy, 'L');
  h.x = ix;
  h.y = iy;
  h.known = true;
}

// Before a line that may move the current point (text, an arc, PostScript
// of the user's): what the pen holds goes first, and where the line leaves
// the current point is not known.
inline void settle_for_line(PsWriter& w) {
  settle_pen(w);
  w.hold.known = w.hold.at = false;
}

// "CSM" strokes from the current point and keeps it. The lines the pen holds
// go first, to be stroked with what was in force; a held move waits, unless
// the document has no point of its own, when it gives the point; a document
// without any point (after a stroke or newpath the caller announced with
// forget_point) gets the page corner.
void ensure_point(PsWriter& w) {
  if (w.hold.n > 0) write_run(w);
  write_steps(w);
  if (w.hold.move) {
    if (!w.hold.point) settle_pen(w);
    return;
  }
  if (w.ixlast != kNoPoint) return;
  w.out.put("0 0 M\n");
  w.xlast = -w.xorig;
  w.ylast = -w.yorig;
  w.ixlast = 0;
  w.iylast = 0;
  w.hold.x = w.hold.y = 0;
  w.hold.known = true;
  w.hold.point = true;
}

// showpage resets the graphics state (initgraphics): the transformation, the
// colour, the dash and the clip path. The landscape rotation is therefore
// written again with the page's scale, the colour and dash caches are
// forgotten so that the next request is written rather than taken as already
// in force, and the clip window is opened so that the box of the new page is
// not limited by a clip that no longer holds.
void page_break(PsWriter& w) {
  end_pen_path(w);
  out_a(w, "S showpage");
  ++w.pages;
  out_ai(w, "%%Page:", w.pages);
  if (w.landscape) {
    out_a(w, "612 0 translate");
    out_a(w, "90 rotate");
  }
  put_scale_line(w);
  w.last_rgb = {-1, -1, -1};
  w.current_color = -1;
  w.dash_last = {};
  w.dash_period = 0;
  w.dash_gaps = false;
  w.cxmin = w.cymin = -kClipLimit;
  w.cxmax = w.cymax = kClipLimit;
  w.xorig = 0;
  w.yorig = 0;
  forget_point(w);  // showpage cleared the path: the move below is always written
  moveto(w, 0, 0);
  newpen(w, 1);
}

// One bounding-box value in points: 72 x B is formed in integers, then
// divided as a double and offset, and truncated toward zero.
long long bbox_value(const PsWriter& w, int device, double offset) {
  return static_cast<long long>(std::trunc(static_cast<double>(72LL * device) / w.res + offset));
}

void end_document(PsWriter& w) {
  if (!w.open) return;
  end_pen_path(w);
  out_a(w, "S");
  out_a(w, "showpage");

  long long box[4];
  if (w.landscape) {  // the page is rotated; no margin is added
    box[0] = 612 - bbox_value(w, w.bymax, 0);
    box[1] = bbox_value(w, w.bxmin, 0);
    box[2] = 612 - bbox_value(w, w.bymin, 1);
    box[3] = bbox_value(w, w.bxmax, 1);
  } else {  // a 5-point margin all round
    box[0] = bbox_value(w, w.bxmin, -5);
    box[1] = bbox_value(w, w.bymin, -5);
    box[2] = bbox_value(w, w.bxmax, 5);
    box[3] = bbox_value(w, w.bymax, 5);
  }
  char line[kHeaderLineBytes + 1];
  std::memset(line, ' ', sizeof line);
  std::memcpy(line, "%%BoundingBox:  ", 16);
  for (int i = 0; i < 4; ++i) {
    // Clamped to the field so that the header line keeps its length and the
    // values stay apart.
    const long long v = std::clamp(box[i], kBoxFieldMin, kBoxFieldMax);
    char field[16];
    auto r = std::to_chars(field, field + sizeof field, v);
    size_t n = r.ptr - field;
    std::memcpy(line + 16 + 8 * i + (8 - n), field, n);
  }
  line[kHeaderLineBytes - 1] = '\n';

  w.out.put(std::string_view(line, kHeaderLineBytes));  // trailer copy, blanks included
  out_ai(w, "%%Pages:", w.pages);
  out_a(w, "%%EOF");

  // Standard output keeps "(atend)"; a file or string gets line 2 replaced.
  const bool patch = !w.to_stdout;
  std::string* doc = w.doc;
  const size_t base = w.doc_base;
  if (patch && w.file) {
    w.out.flush();
    note_error(w, w.out.error());
    if (w.error == 0) {
      errno = 0;
      const ssize_t n = ::pwrite(::fileno(w.file.get()), line, kHeaderLineBytes, kHeaderLineBytes);
      // A pipe or terminal cannot be patched: "(atend)" stays, as on standard output.
      if (n < 0 && errno != ESPIPE)
        note_error(w, last_error());
      else if (n >= 0 && n != kHeaderLineBytes)
        note_error(w, EIO);
    }
  }
  close_target(w);
  if (patch && doc && doc->size() >= base + 2 * kHeaderLineBytes)
    doc->replace(base + kHeaderLineBytes, kHeaderLineBytes, line, kHeaderLineBytes);
}

inline int to_device(double v, double scale) {
  float f = static_cast<float>(v * scale);      // single precision, as always written
  if (!(f > -kDeviceLimit)) f = -kDeviceLimit;  // also NaN
  if (f > kDeviceLimit) f = kDeviceLimit;
  return static_cast<int>(f);  // truncates toward zero
}

// Shifts the origin to user point (x, y) after a move or draw there. The
// last device position becomes the device point of the new origin, where the
// pen really is. (Setting it to (0, 0), as older versions did, dropped a move
// to the page corner right after a shift and made the next draw widen the
// bounding box from the corner.)
void shift_origin(PsWriter& w, double x, double y) {
  w.xorig += x;
  w.yorig += y;
  w.xlast = 0;
  w.ylast = 0;
  if (w.ixlast == kNoPoint) return;  // nothing was written: still no point
  w.ixlast = to_device(w.xorig, w.scale);
  w.iylast = to_device(w.yorig, w.scale);
}

// A dash length in whole device units: NaN and negative values give 0, and
// the value is kept within what PostScript integers hold.
long long dash_units(double inches, double res) {
  const double v = std::round(inches * res);
  if (!(v > 0)) return 0;
  return v > 1e9 ? 1000000000LL : static_cast<long long>(v);
}

// "a b " : one pair of a dash pattern, with the trailing blank separator.
void put_dash_pair(OutBuffer& out, long long a, long long b) {
  out.put_int(a);
  out.put(' ');
  out.put_int(b);
  out.put(" \n");
}

}  // namespace

void settle_pen(PsWriter& w) {
  PenHold& h = w.hold;
  if (h.move) {
    put_pen(w, h.x, h.y, 'M');
    h.move = false;
  }
  if (h.n > 0) write_run(w);
  write_steps(w);
}

// Output targets -------------------------------------------------------------

bool ps_open_file(PsWriter& w, const std::string& path) {
  close_target(w);
  w.path = path;
  if (path.empty()) return false;
  struct stat st;
  const bool exists = ::lstat(path.c_str(), &st) == 0;
  int fd = -1;
  if (exists && ((!S_ISREG(st.st_mode) && !S_ISLNK(st.st_mode)) || is_stream_link(path, st))) {
    // A device, FIFO or terminal has no contents to keep: written as it is.
    fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
  } else {
    // A file under the name keeps its permissions; a link is replaced, not followed.
    const int mode = exists && S_ISREG(st.st_mode) ? static_cast<int>(st.st_mode & 0777) : -1;
    fd = create_new_file(path, mode, w.new_file.name);
  }
  std::FILE* f = fd >= 0 ? ::fdopen(fd, "wb") : nullptr;
  if (fd >= 0 && !f) ::close(fd);
  if (!f) {
    if (!w.new_file.name.empty()) ::unlink(std::exchange(w.new_file.name, {}).c_str());
    return false;
  }
  w.file.reset(f);
  w.out.set_file(f);
  w.open = true;
  return true;
}

void ps_abandon(PsWriter& w) {
  if (!w.new_file.name.empty()) ::unlink(std::exchange(w.new_file.name, {}).c_str());
  close_target(w);
}

NewDocumentFile::~NewDocumentFile() {
  if (!name.empty()) ::unlink(name.c_str());
}

void ps_open_stdout(PsWriter& w) {
  close_target(w);
  w.path.clear();
  w.out.set_file(stdout);
  w.open = true;
}

void ps_open_string(PsWriter& w, std::string* doc) {
  close_target(w);
  w.path.clear();
  w.doc = doc;
  w.doc_base = doc->size();
  w.out.set_text(doc);
  w.open = true;
}

// Document frame -------------------------------------------------------------

bool startup(PsWriter& w, const DocumentSetup& d, bool verbose, OutBuffer& term) {
  // A precision of 0, negative or NaN would make every coordinate and the
  // page scale meaningless.
  const double res = d.res > 0 && std::isfinite(d.res) ? d.res : kDefaultUnitsPerInch;
  const bool to_stdout = d.to_stdout;
  const std::string_view file_name = trimmed(d.file_name);
  const std::string_view orientation = trimmed(d.orientation);

  w.res = res;
  w.to_stdout = to_stdout;
  w.pages = 0;
  w.bxmin = w.bymin = static_cast<int>(std::min(res * 100, 2.0e9));
  w.bxmax = w.bymax = 0;
  w.cxmin = w.cymin = -kClipLimit;
  w.cxmax = w.cymax = kClipLimit;
  w.landscape = orientation.starts_with("Landscape");
  w.current_color = -1;

  bool ok = true;
  if (!w.open) {
    if (to_stdout)
      ps_open_stdout(w);
    else
      ok = ps_open_file(w, std::string(file_name));
  }
  if (verbose && !to_stdout) {
    term.put("PostScript output is to  ");
    term.line(file_name);
  }

  OutBuffer& o = w.out;
  put_padded_header(o, "%!PS-Adobe-2.0");
  put_padded_header(o, "%%BoundingBox: (atend)");
  out_a(w, "%%Creator: vexal scientific plotting program");
  put_dsc_line(o, "%%Version: ", trimmed(d.version_text));
  put_dsc_line(o, "%%Title: ", file_name);
  put_dsc_line(o, "%%Orientation: ", orientation);
  out_a(w, "%%Pages: (atend)");
  // Images are read through the Flate filter of language level 3.
  if (w.compact) out_a(w, "%%LanguageLevel: 3");
  out_a(w, "%%EndComments");
  out_a(w, "%! ");
  out_a(w, "%! Produced by vexal, a command-driven plotting program.");
  out_a(w, "%! Every command line the program ran stands below as a comment.");
  out_a(w, "%! Begin definitions");
  if (w.landscape) {
    out_a(w, "612 0 translate");
    out_a(w, "90 rotate");
  }
  for (std::string_view s : kProlog) out_a(w, s);
  if (w.compact) {
    for (std::string_view s : kStepLines) out_a(w, s);
    for (std::string_view s : kImageProlog) out_a(w, s);
  }
  out_a(w, "%! End definitions");

  w.ixlast = w.iylast = 0;
  w.xorig = w.yorig = 0;
  w.xlast = w.ylast = 0;
  w.pages = 1;
  out_ai(w, "%%Page:", w.pages);
  put_scale_line(w);
  out_a(w, "0 0 M");  // the document always has a current point for CSM
  w.hold = PenHold{};
  w.hold.known = w.hold.point = true;  // at (0, 0)

  factor(w, 1.0);
  newpen(w, 1);
  gray(w, 0);
  return ok;
}

void default_colors(PsWriter& w) {
  define_color(w, 255, 1, 1, 1);
  for (int k = 10; k >= 1; --k) {
    double g = (10 - k) / 10.0;
    define_color(w, k, g, g, g);
  }
  define_color(w, 0, 1, 1, 1);
}

// Line emitters --------------------------------------------------------------

char* put_minimal(char* p, int n) {
  if (n >= -999 && n <= 999999) return std::to_chars(p, p + 12, n).ptr;
  char digits[12];
  auto r = std::to_chars(digits, digits + sizeof digits, n);
  size_t len = r.ptr - digits;
  std::memset(p, ' ', 12 - len);
  std::memcpy(p + 12 - len, digits, len);
  return p + 12;
}

void out_a(PsWriter& w, std::string_view s) {
  settle_for_line(w);
  w.out.line(s);
}

void out_aa(PsWriter& w, std::string_view s, std::string_view t) {
  settle_for_line(w);
  w.out.put(s);
  w.out.put(' ');
  w.out.line(t);
}

void out_ai(PsWriter& w, std::string_view s, int n) {
  char num[12];
  settle_for_line(w);
  w.out.put(s);
  w.out.put(' ');
  w.out.line(std::string_view(num, put_minimal(num, n) - num));
}

void out_ia(PsWriter& w, int n, std::string_view s) {
  settle_for_line(w);
  char num[13];
  char* p = put_minimal(num, n);
  *p++ = ' ';
  w.out.put(std::string_view(num, p - num));
  w.out.line(s);
}

void out_ija(PsWriter& w, int i, int j, std::string_view s) {
  settle_for_line(w);
  char num[26];
  char* p = put_minimal(num, i);
  *p++ = ' ';
  p = put_minimal(p, j);
  *p++ = ' ';
  w.out.put(std::string_view(num, p - num));
  w.out.line(s);
}

void out_flush(PsWriter& w) { w.out.flush(); }

void ps_comment(PsWriter& w, std::string_view text) {
  settle_pen(w);  // a comment leaves the current point where it is
  w.out.put("%! ");
  put_comment_text(w.out, trimmed(text));
  w.out.put('\n');
}

std::string ps_error_message(const PsWriter& w) {
  const int error = w.error ? w.error : w.out.error();
  if (error == 0) return "";
  std::string message = w.path.empty() ? "Error writing the PostScript output to standard output"
                                       : "Error writing the PostScript output file " + w.path;
  message += ": ";
  message += std::strerror(error);
  return message;
}

void ps_literal(PsWriter& w, std::string_view text) {
  settle_for_line(w);
  w.out.line(trimmed(text));
}

// Pen ------------------------------------------------------------------------

void plot(PsWriter& w, double x, double y, PenCode code) {
  switch (static_cast<int>(code)) {
    case static_cast<int>(PenCode::kMove):
      moveto(w, x, y);
      break;
    case static_cast<int>(PenCode::kDraw):
      drawto(w, x, y);
      break;
    case static_cast<int>(PenCode::kMoveOrigin):
      moveto(w, x, y);
      shift_origin(w, x, y);
      break;
    case static_cast<int>(PenCode::kDrawOrigin):
      drawto(w, x, y);
      shift_origin(w, x, y);
      break;
    case static_cast<int>(PenCode::kNewPage):
    case 22:  // the older new-page codes
    case -22:
    case 23:
    case -23:
      page_break(w);
      break;
    case static_cast<int>(PenCode::kEnd):
      end_document(w);
      break;
    default:
      break;
  }
}

int device_x(const PsWriter& w, double x) { return to_device(x + w.xorig, w.scale); }
int device_y(const PsWriter& w, double y) { return to_device(y + w.yorig, w.scale); }

void moveto(PsWriter& w, double x, double y) {
  const int ix = to_device(x + w.xorig, w.scale);
  const int iy = to_device(y + w.yorig, w.scale);
  if (ix == w.ixlast && iy == w.iylast) return;
  if (w.compact)
    hold_move(w, ix, iy);
  else
    put_point(w.out, ix, iy, 'M');
  w.xlast = x;
  w.ylast = y;
  w.ixlast = ix;
  w.iylast = iy;
}

namespace {

// The L line and the bounding box of drawto, without the segment count;
// false when nothing was written (a repeat).
inline bool line_to(PsWriter& w, double x, double y) {
  const int ix = to_device(x + w.xorig, w.scale);
  const int iy = to_device(y + w.yorig, w.scale);
  if (ix == w.ixlast && iy == w.iylast) return false;
  if (w.ixlast == kNoPoint) {  // "L" would fail without a current point: start the path here
    moveto(w, x, y);
    return false;
  }
  if (w.compact)
    hold_line(w, ix, iy);
  else
    put_point(w.out, ix, iy, 'L');
  const int x0 = w.ixlast, y0 = w.iylast;
  w.xlast = x;
  w.ylast = y;
  w.ixlast = ix;
  w.iylast = iy;
  // Widen the box by the segment, limited to the clip window.
  w.bxmin = std::min(w.bxmin, std::max(w.cxmin, std::min(x0, ix)));
  w.bxmax = std::max(w.bxmax, std::min(w.cxmax, std::max(x0, ix)));
  w.bymin = std::min(w.bymin, std::max(w.cymin, std::min(y0, iy)));
  w.bymax = std::max(w.bymax, std::min(w.cymax, std::max(y0, iy)));
  return true;
}

}  // namespace

void drawto(PsWriter& w, double x, double y) {
  if (!line_to(w, x, y)) return;
  if (++w.nseg > kSegmentsPerStroke) {  // keep PostScript paths short
    settle_pen(w);
    w.out.put("CSM\n");
    w.nseg = 0;
  }
}

void amoveto(PsWriter& w, double x, double y) { moveto(w, x - w.xorig, y - w.yorig); }
void adrawto(PsWriter& w, double x, double y) { drawto(w, x - w.xorig, y - w.yorig); }
void rmoveto(PsWriter& w, double dx, double dy) { moveto(w, w.xlast + dx, w.ylast + dy); }
void rdrawto(PsWriter& w, double dx, double dy) { drawto(w, w.xlast + dx, w.ylast + dy); }

void where(const PsWriter& w, double& x, double& y, double& scale) {
  x = w.xlast;
  y = w.ylast;
  scale = w.scale;
}

void boundbox(const PsWriter& w, double& x0, double& y0, double& x1, double& y1) {
  x0 = w.bxmin / w.scale - w.xorig;
  y0 = w.bymin / w.scale - w.yorig;
  x1 = w.bxmax / w.scale - w.xorig;
  y1 = w.bymax / w.scale - w.yorig;
}

void factor(PsWriter& w, double f) { w.scale = f * w.res; }

void thickpen(PsWriter& w, double inches) {
  const double a = inches * w.res;  // FACTOR does not apply to widths
  if (std::abs(a - w.width) <= 0.5) return;
  w.width = thickpen_width(w, w.width, inches);
  ensure_point(w);
  char line[24] = "CSM\n";
  char* p = put_minimal(line + 4, pen_width_units(w.width));
  std::memcpy(p, " W\n", 3);
  w.out.put(std::string_view(line, p + 3 - line));
}

void newpen(PsWriter& w, int n) { thickpen(w, n / w.res); }

double thickpen_width(const PsWriter& w, double width, double inches) {
  const double a = inches * w.res;  // FACTOR does not apply to widths
  if (std::abs(a - width) <= 0.5) return width;
  return a > 0 ? a : 0;  // also NaN
}

int pen_width_units(double width) { return static_cast<int>(std::min(std::round(width), 1.0e9)); }

// The fixed fields hold 0..1 (and PostScript clamps to 0..1 anyway), so the
// value is clamped here rather than overflowing the field.
double color_component(double v) {
  if (!(v > 0)) return 0;  // also -0, which would print as "-0.00"
  return v > 1 ? 1 : v;
}

void setrgbcolor(PsWriter& w, double r, double g, double b) {
  // Compared and remembered as written: 12 and 1 are the same white.
  r = color_component(r);
  g = color_component(g);
  b = color_component(b);
  if (std::abs(r - w.last_rgb.r) <= kColorTolerance &&
      std::abs(g - w.last_rgb.g) <= kColorTolerance &&
      std::abs(b - w.last_rgb.b) <= kColorTolerance)
    return;
  ensure_point(w);
  char line[40];
  int n = std::snprintf(line, sizeof line, " CSM %4.2f %4.2f %4.2f RGB\n", r, g, b);
  w.out.put(std::string_view(line, n));
  w.last_rgb = {r, g, b};
  w.current_color = -1;
}

void gray(PsWriter& w, double g) {
  g = std::clamp(g, 0.0, 1.0);
  setrgbcolor(w, g, g, g);
}

bool define_color(PsWriter& w, int k, double r, double g, double b) {
  if (k < 0 || k >= kColorTableSize) return false;
  w.cmap[k] = {r, g, b};
  char line[48];
  int n = std::snprintf(line, sizeof line, "/c%04d {CSM%6.3f%6.3f%6.3f RGB}b\n", k,
                        color_component(r), color_component(g), color_component(b));
  w.out.put(std::string_view(line, n));
  w.color_written.set(k);
  return true;
}

bool set_forecolor(PsWriter& w, int k) {
  if (k < 0 || k >= kColorTableSize) return false;
  if (k == w.current_color) return true;
  ensure_point(w);  // the procedure begins with CSM
  // An entry never defined in this document (black by default) is defined
  // first: selecting it by name alone would be an undefined name.
  if (!w.color_written.test(k)) {
    const Rgb c = w.cmap[k];
    define_color(w, k, c.r, c.g, c.b);
  }
  char line[8];
  int n = std::snprintf(line, sizeof line, "c%04d\n", k);
  w.out.put(std::string_view(line, n));
  w.current_color = k;
  const Rgb c = w.cmap[k];
  w.last_rgb = {color_component(c.r), color_component(c.g), color_component(c.b)};
  return true;
}

bool get_color(const PsWriter& w, int k, double& r, double& g, double& b) {
  if (k < 0 || k >= kColorTableSize) {
    r = g = b = 0;
    return false;
  }
  r = w.cmap[k].r;
  g = w.cmap[k].g;
  b = w.cmap[k].b;
  return true;
}

bool whatis_color(const PsWriter& w, int k, double& r, double& g, double& b) {
  return get_color(w, k, r, g, b);
}

void set_backcolor(PsWriter&, int) {}

// Dash -------------------------------------------------------------------------

void set_dash(PsWriter& w, const std::array<double, 8>& p) {
  if (!(p[0] > 0)) return;
  if (p == w.dash_last) return;
  w.dash_last = p;
  ensure_point(w);
  w.out.put("CSM [\n");
  // The first mark is at least one unit: an all-zero array is an error in PostScript.
  const long long mark = std::max(1LL, dash_units(p[0], w.res)), space = dash_units(p[1], w.res);
  put_dash_pair(w.out, mark, space);
  w.dash_period = mark + space;
  w.dash_gaps = space > 0;
  for (int i = 2; i < 8; i += 2) {
    const long long a = dash_units(p[i], w.res), b = dash_units(p[i + 1], w.res);
    if (a > 0 || b > 0) put_dash_pair(w.out, a, b);
    w.dash_period += a + b;
    w.dash_gaps = w.dash_gaps || b > 0;
  }
  w.out.put("] 0 setdash\n");
}

void dash(PsWriter& w, double x, double y, PenCode code) { plot(w, x, y, code); }

// Clipping -----------------------------------------------------------------------

namespace {

// Strokes what is drawn and starts an invisible path: the dash in force is
// saved on the operand stack and a dash that never inks is set, so the clip
// path can be stroked away afterwards without a mark.
void begin_clip_path(PsWriter& w) {
  end_pen_path(w);
  w.out.put("S N\n");
  w.out.put("currentdash [0 300000] 0 setdash\n");
  w.nseg = 0;
  forget_point(w);
}

// Clips to the path, strokes it away, restores the saved dash, and leaves
// the pen at (x, y) with the move always written (the stroke cleared the
// current point).
void end_clip_path(PsWriter& w, double x, double y) {
  settle_pen(w);
  w.hold.at = false;
  w.out.put("closepath clip S setdash\n");
  w.nseg = 0;
  forget_point(w);
  moveto(w, x, y);
}

}  // namespace

void clipregion(PsWriter& w, const double* x, const double* y, int n) {
  if (n < 1) return;
  begin_clip_path(w);
  moveto(w, x[0], y[0]);
  w.cxmin = w.cxmax = w.ixlast;
  w.cymin = w.cymax = w.iylast;
  for (int i = 1; i < n; ++i) {
    // The window grows to the vertex before the segment widens the box, so
    // each segment is limited to the window built so far.
    const int ix = device_x(w, x[i]), iy = device_y(w, y[i]);
    w.cxmin = std::min(w.cxmin, ix);
    w.cxmax = std::max(w.cxmax, ix);
    w.cymin = std::min(w.cymin, iy);
    w.cymax = std::max(w.cymax, iy);
    // Not drawto: a "CSM" inside the path would stroke part of it away
    // before "clip" sees it.
    line_to(w, x[i], y[i]);
  }
  end_clip_path(w, x[n - 1], y[n - 1]);
}

void out_circle(PsWriter& w, double x, double y, double r, double a1, double a2) {
  // The centre stays within the arc reach and the radius within twice it, so
  // a circle that covers the page still covers it. The sign of the radius is
  // dropped: the circle is the same, and not every interpreter accepts a
  // negative radius in "arc".
  const int reach = static_cast<int>(std::min(kArcReachInches * w.res, 1.0e9));
  const int ix = std::clamp(device_x(w, x), -reach, reach);
  const int iy = std::clamp(device_y(w, y), -reach, reach);
  const int ir = std::clamp(to_device(std::abs(r), w.scale), 0, 2 * reach);  // NaN gives 0
  // Angles stay finite and within what single precision holds exactly enough.
  auto angle = [](double a, double otherwise) {
    return static_cast<float>(std::isfinite(a) ? std::clamp(a, -1.0e6, 1.0e6) : otherwise);
  };
  out_a(w, " " + free_int(ix) + " " + free_int(iy) + " " + free_int(ir) + " " +
               free_single(angle(a1, 0)) + " " + free_single(angle(a2, 360)) + " arc");
}

void clipcircle(PsWriter& w, double x, double y, double r) {
  begin_clip_path(w);
  out_circle(w, x, y, r);
  end_clip_path(w, x, y);
}

void noclip(PsWriter& w) {
  ensure_point(w);
  w.out.put("currentpoint S initclip moveto\n");
  w.cxmin = w.cymin = -kClipLimit;
  w.cxmax = w.cymax = kClipLimit;
}

void forget_point(PsWriter& w) {
  settle_pen(w);
  w.hold.known = w.hold.point = w.hold.at = false;
  w.ixlast = kNoPoint;
  w.iylast = kNoPoint;
}

void end_pen_path(PsWriter& w) {
  w.hold.move = false;
  settle_pen(w);
  w.hold.at = false;
}

}  // namespace vexal
