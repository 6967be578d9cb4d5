// Contours and surfaces with --compact against the same drawings without
// it: the same device segments (contours joined into fewer lines, surfaces
// drawing each once), the labels where they were, and the same pixels but
// at the joins.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "support/ghostscript.h"
#include "support/lines.h"
#include "support/session_fixture.h"

namespace vexal {
namespace {

using Segment = std::array<int, 4>;  // device x0 y0 x1 y1, the lesser end first

// What a document draws: its segments in order, its moves, and each text
// shown with the device point it starts from.
struct Drawing {
  std::vector<Segment> segments;
  size_t moves = 0;
  std::vector<std::string> texts;
};

Drawing drawing(const std::string& doc) {
  Drawing d;
  int x = 0, y = 0;
  for (const std::string& l : absolute_steps(split_lines(doc))) {
    std::istringstream words(l);
    int a, b;
    std::string op;
    if (l.ends_with(" T")) {
      d.texts.push_back(std::to_string(x) + " " + std::to_string(y) + l);
    } else if (words >> a >> b >> op && (op == "M" || op == "L")) {
      if (op == "M") ++d.moves;
      if (op == "L") d.segments.push_back(std::min(Segment{x, y, a, b}, Segment{a, b, x, y}));
      x = a;
      y = b;
    }
  }
  return d;
}

// An nx x ny array over -2 .. 2 by -1.5 .. 1.5, a hill and a hollow on a
// slope, and the axis limits of the flat frame.
std::string hills(int nx, int ny) {
  const double dx = 4.0 / (nx - 1), dy = 3.0 / (ny - 1);
  std::string out = "ARRAYXSCALE " + std::to_string(nx) + " -2 " + std::to_string(dx) +
                    "\nARRAYYSCALE " + std::to_string(ny) + " -1.5 " + std::to_string(dy) +
                    "\nARRAY/NOMATH " + std::to_string(nx) + " " + std::to_string(ny) + "\n";
  char value[32];
  for (int j = 0; j < ny; ++j) {
    for (int i = 0; i < nx; ++i) {
      const double x = -2 + i * dx, y = -1.5 + j * dy;
      const double z = 3 * std::exp(-((x + 0.8) * (x + 0.8) + (y - 0.3) * (y - 0.3)) / 0.6) -
                       2.2 * std::exp(-((x - 0.9) * (x - 0.9) + (y + 0.4) * (y + 0.4)) / 0.45) +
                       0.3 * x;
      std::snprintf(value, sizeof value, "%.6g", z);
      out += value;
      out += i % 8 == 7 || i == nx - 1 ? '\n' : ' ';  // command lines stay short
    }
  }
  return out + "XMIN -2\nXMAX 2\nYMIN -1.5\nYMAX 1.5\nNOXBOR\nNOYBOR\nXDIM 6\nYDIM 4.5\n";
}

// Pixels of two renderings of one page: how many are inked in either, how
// many differ, and whether the pixels of `colour` are the same.
struct PixelComparison {
  size_t inked = 0, differing = 0;
  bool same_colour_pixels = true;
};

PixelComparison compare_pixels(const Raster& a, const Raster& b, uint32_t colour) {
  PixelComparison c;
  EXPECT_TRUE(a.width == b.width && a.height == b.height);
  for (int y = 0; y < std::min(a.height, b.height); ++y) {
    for (int x = 0; x < std::min(a.width, b.width); ++x) {
      const uint32_t pa = a.at(x, y), pb = b.at(x, y);
      if (pa != 0xFFFFFF || pb != 0xFFFFFF) ++c.inked;
      if (pa != pb) ++c.differing;
      if ((pa == colour) != (pb == colour)) c.same_colour_pixels = false;
    }
  }
  return c;
}

class CompactLinesTest : public SessionTest {
 protected:
  // The document of the commands in a fresh session, with or without --compact.
  std::string document(const std::string& commands, bool compact) {
    document_of(commands, compact);
    EXPECT_EQ(take_err(), "");
    return doc;
  }
  // Both documents and what they draw.
  void both(const std::string& commands) {
    plain_doc = document(commands, false);
    compact_doc = document(commands, true);
    plain = drawing(plain_doc);
    compact = drawing(compact_doc);
  }
  // At 100 and 300 dpi the pictures differ at most at the joins (0.1% of
  // the inked pixels), and the pixels of `colour` (the labels') not at all.
  void expect_same_pictures(const char* what, uint32_t colour = 0xFF0000) {
    const std::string docs[] = {plain_doc, compact_doc};
    for (int dpi : {100, 300}) {
      const std::vector<Raster> pages = ghostscript_render_pages(docs, dpi);
      ASSERT_EQ(pages.size(), 2u) << what;
      const PixelComparison c = compare_pixels(pages[0], pages[1], colour);
      EXPECT_GT(c.inked, 1000u) << what;
      EXPECT_LE(c.differing, c.inked / 1000) << what << " at " << dpi << " dpi";
      EXPECT_TRUE(c.same_colour_pixels) << what << " at " << dpi << " dpi";
    }
  }
  std::string plain_doc, compact_doc;
  Drawing plain, compact;
};

std::set<Segment> as_set(const std::vector<Segment>& v) { return {v.begin(), v.end()}; }

// What the segments cover: a run along a device row or column as its unit
// steps (the compact pen writes such a run as one line), others as they are.
std::set<Segment> covered(const std::vector<Segment>& v) {
  std::set<Segment> steps;
  for (const Segment& s : v) {
    if (s[0] != s[2] && s[1] != s[3]) {
      steps.insert(s);
      continue;
    }
    const int dx = s[2] > s[0] ? 1 : 0, dy = s[3] != s[1] ? (s[3] > s[1] ? 1 : -1) : 0;
    for (int x = s[0], y = s[1]; x != s[2] || y != s[3]; x += dx, y += dy)
      steps.insert(Segment{x, y, x + dx, y + dy});
  }
  return steps;
}

// Contours in the flat frame: fewer moves, the same segments (the compact
// document draws nothing the plain one does not), the labels as they were.
TEST_F(CompactLinesTest, FlatContoursJoinIntoFewerLines) {
  struct Case {
    const char* what;
    const char* commands;
  };
  const Case kCases[] = {
      {"labelled, labels in the line colour", "CONTOURSTEP 0.5\nCONT\n"},
      {"labels in a colour of their own",
       "DATACOLOR 0 0 1\nTEXTCOLOR 1 0 0\nCONTOURSTEP 0.25\nCONT\n"},
      {"one level", "TEXTCOLOR 1 0 0\nONECONT 0.7\n"},
      {"unlabelled", "NOANNOTATEC\nCONTOURSTEP 0.5\nCONT\n"},
  };
  size_t labelled_texts = 0;
  for (const Case& c : kCases) {
    both(hills(41, 31) + c.commands);
    EXPECT_LT(compact.moves * 3, plain.moves * 2) << c.what;
    EXPECT_EQ(covered(compact.segments), covered(plain.segments)) << c.what;
    EXPECT_EQ(compact.texts, plain.texts) << c.what;
    expect_same_pictures(c.what);
    if (&c == &kCases[0]) labelled_texts = plain.texts.size();
  }
  // The labels were there to compare: the unlabelled drawing shows fewer texts.
  EXPECT_LT(plain.texts.size(), labelled_texts);
}

// Turned, the contours keep the cell order the horizon has always seen.
TEST_F(CompactLinesTest, TurnedContoursKeepTheirOrder) {
  both(hills(21, 16) + "3DROT -60 0 -30\nCONTOURSTEP 0.5\nCONT\n");
  EXPECT_FALSE(plain.segments.empty());
  EXPECT_EQ(compact.segments, plain.segments);
  EXPECT_EQ(compact.texts, plain.texts);
}

// The mesh draws each segment once, the same segments as without --compact,
// with hidden lines and without.
TEST_F(CompactLinesTest, SurfacesDrawEachSegmentOnce) {
  for (const char* hiding : {"", "NOHIDE\n"}) {
    both(hills(31, 25) + "ZMIN -3\nZMAX 3\nCARTESIAN\n3DROT -60 0 -30\n" + hiding + "SURF\n");
    const std::set<Segment> once = as_set(compact.segments);
    EXPECT_EQ(once.size(), compact.segments.size()) << hiding;
    EXPECT_EQ(once, as_set(plain.segments)) << hiding;
    EXPECT_LT(compact.segments.size(), plain.segments.size()) << hiding;
    expect_same_pictures(hiding);
  }
}

}  // namespace
}  // namespace vexal
