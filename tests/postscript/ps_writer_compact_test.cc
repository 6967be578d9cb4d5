// --compact as a user sees it: the same commands with and without the option
// give the same pixels and the same bounding box, and every line but the
// moves and lines is written the same, at the same current point; the moves
// and lines are fewer (a move only when something is drawn from it, runs
// along a device column or row merged, a dense curve's columns written as
// their ends and extremes).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "support/ghostscript.h"
#include "support/lines.h"
#include "support/scratch_dir.h"

namespace vexal {
namespace {

using Lines = std::vector<std::string>;

bool is_pen_line(const std::string& l) { return l.ends_with(" M") || l.ends_with(" L"); }

// Text, a marker or an arc: a line drawn at the current point.
bool drawn_at_point(const std::string& l) {
  const size_t s = l.rfind(" S");
  const bool marker = s != std::string::npos && l.size() - s <= 4 && l[s + 2] >= '0' &&
                      l[s + 2] <= '5' && (l.size() - s == 3 || l.back() == 'F');
  return marker || l.ends_with(" T") || l.ends_with(" arc");
}

// The document's lines after the prolog other than comments, moves and
// lines. A line drawn at the current point comes after the point the moves
// and lines before it leave ("?" after text or an arc has moved it); any
// other after "*" when the document has a current point and "-" when not.
Lines fixed_lines(const std::string& doc) {
  Lines out;
  std::string point = "-";
  const Lines lines = absolute_steps(split_lines(doc.substr(doc.find("%! End definitions"))));
  for (const std::string& l : lines) {
    if (l.starts_with("%!")) continue;
    if (is_pen_line(l)) {
      point = l.substr(0, l.size() - 2);
      continue;
    }
    out.push_back((drawn_at_point(l) || point == "-" ? point : "*") + " | " + l);
    if (l.ends_with(" T") || l.ends_with(" arc")) point = "?";
    if (l == "S" || l.starts_with("S ")) point = "-";
  }
  return out;
}

int pen_lines(const std::string& doc) {
  int n = 0;
  for (const std::string& l : absolute_steps(split_lines(doc))) n += is_pen_line(l);
  return n;
}

// A random walk of n points across x = 0..10, with a pen column (a break
// every `breaks` points, 0 for none) and a colour column that changes every
// `run` points. A fixed generator, so that every run draws the same.
std::string walk(int n, double step, int breaks, int run) {
  uint32_t state = 12345;
  double y = 0;
  std::string text;
  for (int i = 0; i < n; ++i) {
    state = state * 1664525u + 1013904223u;
    y += step * (static_cast<double>(state >> 8) / (1 << 24) - 0.5);
    const int pen = breaks > 0 && i % breaks == breaks - 1 ? 0 : 3 + (i / 50) % 3;
    text += std::to_string(10.0 * i / n) + " " + std::to_string(y) + " " + std::to_string(pen) +
            " " + std::to_string(1 + (i / run) % 10) + "\n";
  }
  return text;
}

class CompactTest : public ScratchDirTest {
 protected:
  // The whole document of a fresh session that runs the commands.
  std::string document(const std::string& commands, bool compact) {
    s.reset();
    doc.clear();
    doc_seen = 0;
    std::vector<std::string> args = {"-d", "-t"};
    if (compact) args.push_back("--compact");
    start(args);
    run(commands);
    finish();
    return doc;
  }
  // Starts a compact session whose X and Y axes map 0..10 onto 10 inches, so
  // that device coordinates are 300 + 300 x value, with the points loaded.
  void begin_curve(const std::string& points) {
    write("p.dat", points);
    start({"-d", "-t", "--compact"});
    s->axes[AxisId::X].length = s->axes[AxisId::Y].length = 10;
    for (AxisLimits* a : {&s->axes[AxisId::X].limits, &s->axes[AxisId::Y].limits}) {
      a->min = a->minu = 0;
      a->max = a->maxu = 10;
      a->border = false;
    }
    run("QUIET\nDATA p.dat\nLOAD\n");
    new_ps_lines();
  }
};

// The moves and lines DOPLOT writes for a few curves: points in device units
// 300 + 300 x value.
TEST_F(CompactTest, CurveLines) {
  struct Case {
    const char* name;
    const char* points;
    Lines want;  // after the dash and width lines
  };
  const Case cases[] = {
      // Straight on along a column and then a row: one line each.
      {"straight runs",
       "1 1\n1 2\n1 3\n1 4\n2 4\n3 4\n4 4\n",
       {"600 600 M", "600 1500 L", "1500 1500 L"}},
      // A slanted line keeps its pieces: merged, readers would round its
      // direction differently.
      {"slanted", "1 1\n2 2\n3 3\n", {"600 600 M", "900 900 L", "1200 1200 L"}},
      // A column of a dense curve: its first and last piece as they were,
      // between them the extremes in the order they came.
      {"column",
       "1 1\n1 5\n1 2\n1 6\n1 3\n1 7\n1 4\n2 4\n",
       {"600 600 M", "600 1800 L", "600 900 L", "600 2400 L", "600 1500 L", "900 1500 L"}},
      // Pen breaks: a move not drawn from is not written.
      {"breaks", "1 1 1\n2 2 0\n3 3 0\n4 4 2\n", {"1200 1200 M", "1500 1500 L"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    s.reset();
    doc.clear();
    doc_seen = 0;
    begin_curve(c.points);
    if (std::string(c.name) == "breaks") run("PENC 3\nLOAD\n");
    new_ps_lines();
    const size_t before = split_lines(doc).size();
    run("DOPLOT\nECHO\n");  // the next command's comment follows what is held
    new_ps_lines();
    // Steps are read from the point the lines before left.
    const Lines all = absolute_steps(split_lines(doc));
    Lines got;
    for (size_t i = before; i < all.size(); ++i)
      if (is_pen_line(all[i])) got.push_back(all[i]);
    EXPECT_EQ(got, c.want);
    finish();
  }
}

// A line from a point the pen knows is written as its steps where that is
// shorter; text moves the point, and the pen moves back after it.
TEST_F(CompactTest, LinesByStepsFromAKnownPoint) {
  begin_curve("1 1\n1.01 1.02\n1.5 1.02\n4 4\n");
  run("DOPLOT\nMOVE 5 5\nTEXT x\nDRAW 5.01 5.02\nDRAW 5.02 5.03\nECHO\n");
  Lines got;
  for (const std::string& l : new_ps_lines())
    if (l.ends_with(" M") || l.ends_with(" L") || l.ends_with(" D") || l.ends_with(" P") ||
        l.ends_with(" E") || l.ends_with(" T"))
      got.push_back(l);
  // Steps in a row are written together, last first: "n P"; a move too is
  // written as its step.
  EXPECT_EQ(got, (Lines{"600 600 M", "750 894 147 0 3 6 3 P", "300 300 E", " (x) T", "1800 1800 M",
                        "3 6 D", "3 3 D"}));
  finish();
}

// A marker, a colour or a width between points of a column ends the column:
// what the pen holds is written before it, where the document without
// --compact has the same current point.
TEST_F(CompactTest, HeldLinesGoOutBeforeMarkersColoursAndWidths) {
  write("p.dat", "1 1 2 1\n1 5 2 1\n1 2 2 1\n1 6 2 2\n1 3 4 2\n1 7 4 2\n1 4 4 2\n2 4 4 2\n");
  const std::string commands =
      "DATA p.dat\nPENC 3\nCOLORCOL 4\nSYMBOLN 1\nSSK 3\nXMIN 0\nXMAX 10\nYMIN 0\nYMAX 10\n"
      "PLOT\n";
  const std::string plain = document(commands, false);
  const std::string compact = document(commands, true);
  EXPECT_EQ(fixed_lines(compact), fixed_lines(plain));
  EXPECT_LT(pen_lines(compact), pen_lines(plain));
}

// Pictures: each script with and without --compact, rendered at 100 and 300
// dpi, must give the same pixels; apart from moves and lines the documents
// hold the same lines at the same current points, and the same bounding box.
TEST_F(CompactTest, SamePictures) {
  write("walk.dat", walk(20000, 0.6, 0, 37));
  write("breaks.dat", walk(120, 3, 7, 11));
  struct Script {
    const char* name;
    const char* commands;
  };
  const Script scripts[] = {
      {"markers and pen breaks", "DATA breaks.dat\nPENC 3\nSYMBOLN 2\nSSK 4\nPLOT\n"},
      {"dense curve", "DATA walk.dat\nPLOT\n"},
      {"dense thick curve", "DATA walk.dat\nDATAW 0.02\nPLOT\n"},
      {"text over lines",
       "DATA breaks.dat\nPLOT\nTITLE A title over the frame\nMOVE 0 0\nDRAW 3 0\nDRAW 3 3\n"
       "TEXT Text over lines\nRDRAW 1 0\nCIRCLE 0.5\n"},
      {"rotated frame", "ROT 30\nDATA walk.dat\nDATAW 0.01\nPLOT\n"},
      {"colours changing mid-curve", "NCOLORS 11\nDATA walk.dat\nCOLORCOL 4\nPLOT\n"},
      {"clip and page break",
       "DATA walk.dat\nCLIP\nXMIN 2\nXMAX 4\nPLOT\nNEWPAGE\nDATA breaks.dat\nPLOT\n"},
  };
  for (const Script& script : scripts) {
    SCOPED_TRACE(script.name);
    const std::vector<std::string> docs = {document(script.commands, false),
                                           document(script.commands, true)};
    const std::string& plain = docs[0];
    const std::string& compact = docs[1];
    EXPECT_EQ(compact.substr(kHeaderLineBytes, kHeaderLineBytes),
              plain.substr(kHeaderLineBytes, kHeaderLineBytes));
    EXPECT_EQ(fixed_lines(compact), fixed_lines(plain));
    EXPECT_LE(pen_lines(compact), pen_lines(plain));
    const Lines lines = absolute_steps(split_lines(compact));
    // A move is followed by what is drawn from it, or by a comment; the
    // first of a page may also be the point a width or colour needs. Font
    // lines leave the path alone and may come between.
    bool page_point = false;
    for (size_t i = 1; i < lines.size(); ++i) {
      if (lines[i - 1].starts_with("%%Page:")) page_point = false;
      if (!lines[i - 1].ends_with(" M") || !std::exchange(page_point, true)) continue;
      while (i + 1 < lines.size() && (lines[i].ends_with(" FF") || lines[i].ends_with(" SF"))) ++i;
      EXPECT_TRUE(lines[i].ends_with(" L") || drawn_at_point(lines[i]) ||
                  lines[i].starts_with("%!") || lines[i].ends_with(" R"))
          << "line " << i + 1 << ": " << lines[i];
    }
    for (int dpi : {100, 300}) {
      const auto pages = ghostscript_render_pgm(docs, dpi);
      ASSERT_EQ(pages.size(), 2u) << dpi << " dpi: Ghostscript failed";
      ASSERT_EQ(pages[1].size(), pages[0].size());
      for (size_t p = 0; p < pages[0].size(); ++p)
        EXPECT_TRUE(pages[1][p] == pages[0][p]) << "page " << p + 1 << " at " << dpi << " dpi";
    }
  }
}

}  // namespace
}  // namespace vexal
