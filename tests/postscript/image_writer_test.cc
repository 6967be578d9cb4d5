// Tests of --compact images: which cells make one image and where it goes,
// the colour lookup and the colours painted again, and, through whole
// sessions with and without --compact, that the image shows what the
// strokes showed, pixel for pixel away from the cell edges.
#include "postscript/image_writer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "support/document_fixture.h"
#include "support/scratch_dir.h"

namespace vexal {
namespace {

using Lines = std::vector<std::string>;

size_t count_ending(const Lines& lines, std::string_view end) {
  return std::count_if(lines.begin(), lines.end(),
                       [&](const std::string& l) { return l.ends_with(end); });
}

// ---- the cells an image is made of ---------------------------------------------

struct BandCase {
  const char* name;
  std::vector<double> x_lo, x_hi, y_lo, y_hi;
  bool image;
};

const BandCase kBandCases[] = {
    {"cells of one size", {300, 400, 500}, {400, 500, 600}, {300, 350}, {350, 400}, true},
    // Rows a unit thicker than their spacing, each over the one below.
    {"overlapping rows", {300}, {600}, {299.5, 349.5}, {350.5, 400.5}, true},
    {"half cells at the ends", {300, 350, 450, 550}, {350, 450, 550, 600}, {300}, {400}, true},
    {"edges a unit off", {300, 401, 499}, {401, 499, 600}, {300}, {400}, true},
    {"one cell wider", {300, 400, 500, 620, 700}, {400, 500, 620, 700, 800}, {300}, {400}, false},
    {"a gap between rows", {300}, {400}, {300, 351}, {349, 400}, false},
    {"a row past the next", {300}, {400}, {300, 350}, {420, 400}, false},
    {"less than a unit", {300}, {300.5}, {300}, {400}, false},
    {"backwards", {400}, {300}, {300}, {400}, false},
};

class ImageWriterTest : public DocumentTest {
 protected:
  ImageWriterTest() { w.compact = true; }  // the prolog defines IMG and MSK
};

TEST_F(ImageWriterTest, CellsOfOneSizeMakeOneImage) {
  for (const BandCase& c : kBandCases) {
    CellBands b{c.x_lo, c.x_hi, c.y_lo, c.y_hi, {300, 300, 600, 400}};
    const std::vector<uint8_t> indices(c.x_lo.size() * c.y_lo.size(), 0);
    const int bxmax = w.bxmax;
    EXPECT_EQ(write_cell_image(w, b, indices.data()), c.image) << c.name;
    const Lines ls = lines();
    if (!c.image) {
      EXPECT_EQ(ls, Lines{}) << c.name;
      EXPECT_EQ(w.bxmax, bxmax) << c.name;
      continue;
    }
    EXPECT_EQ(count_ending(ls, " IMG"), 1u) << c.name;
    EXPECT_EQ(count_ending(ls, " IMR"), 1u) << c.name;
    EXPECT_EQ(ls.back(), "grestore") << c.name;
    EXPECT_EQ(w.ixlast, kNoPoint) << c.name;  // stroked: the next move is written
    EXPECT_EQ(w.bxmax, 600) << c.name;
  }
}

TEST_F(ImageWriterTest, HalfCellsAreCutFromCellsOfTheInnerSize) {
  CellBands b{{300, 350, 450, 550}, {350, 450, 550, 600}, {300}, {400}, {}};
  const uint8_t indices[4] = {};
  ASSERT_TRUE(write_cell_image(w, b, indices));
  const Lines ls = lines();
  // Four cells 100 wide from 250 and a copy of the last, shown from 300 to
  // 600; the rows are strokes 100 wide across y.
  EXPECT_NE(std::find(ls.begin(), ls.end(), " 300 600 0 0 0 300 400 100 100 100 IMR"), ls.end());
  // The cells are white: a grey image of the levels themselves.
  EXPECT_NE(
      std::find(ls.begin(), ls.end(), " 250 300 translate 500 200 scale /DeviceGray setcolorspace"),
      ls.end());
  EXPECT_NE(std::find(ls.begin(), ls.end(), "5 2 [0 1] IMG"), ls.end());
}

// The lookup gives each entry's bytes once, written again only when they
// change; an entry whose component lies near halfway between two bytes
// (0.9 x 255 = 229.5) is painted again by a selection of its own values,
// only where it is used.
TEST_F(ImageWriterTest, ColoursNearHalfwayArePaintedByTheirOwnSelection) {
  CellBands b{{300, 400, 500}, {400, 500, 600}, {300}, {400}, {}};
  define_color(w, 1, 0.9, 0.8, 0.2);
  define_color(w, 2, 0.7, 0.7, 0.7);  // near halfway, unused
  define_color(w, 3, 0.8, 0.6, 0.4);  // exact bytes 204, 153, 102
  const uint8_t indices[3] = {1, 3, 1};
  lines();
  ASSERT_TRUE(write_cell_image(w, b, indices));
  Lines ls = lines();
  EXPECT_EQ(ls[0], "/ICT <");  // colours: an indexed image
  EXPECT_EQ(count_ending(ls, "4 2 [0 255] IMG"), 1u);
  EXPECT_EQ(ls[1].substr(0, 24), "000000e6cc33b3b3b3cc9966");
  EXPECT_EQ(count_ending(ls, " RGB"), 1u);
  EXPECT_NE(std::find(ls.begin(), ls.end(), " 0.900 0.800 0.200 RGB"), ls.end());
  EXPECT_EQ(count_ending(ls, "4 2 MSK"), 1u);  // a copy of the last cells

  ASSERT_TRUE(write_cell_image(w, b, indices));
  EXPECT_EQ(count_ending(lines(), "/ICT <"), 0u);
  define_color(w, 3, 0.801, 0.6, 0.4);  // the same bytes
  ASSERT_TRUE(write_cell_image(w, b, indices));
  EXPECT_EQ(count_ending(lines(), "/ICT <"), 0u);
  define_color(w, 3, 0.81, 0.6, 0.4);
  ASSERT_TRUE(write_cell_image(w, b, indices));
  EXPECT_EQ(count_ending(lines(), "/ICT <"), 1u);
}

// Large and odd-sized data: rows longer than the compressor's chunks, a
// one-cell image, zero samples across whole ASCII85 groups. Ghostscript
// reads every document (TearDown).
TEST_F(ImageWriterTest, AnySizeOfDataIsWrittenWhole) {
  for (const auto& [nx, ny] : {std::pair{70000, 2}, {1, 1}, {3, 50000}}) {
    CellBands b;
    for (int i = 0; i < nx; ++i) {
      b.x_lo.push_back(300 + 600.0 * i / nx);
      b.x_hi.push_back(300 + 600.0 * (i + 1) / nx);
    }
    for (int j = 0; j < ny; ++j) {
      b.y_lo.push_back(300 + 300.0 * j / ny);
      b.y_hi.push_back(300 + 300.0 * (j + 1) / ny);
    }
    std::vector<uint8_t> indices(static_cast<size_t>(nx) * static_cast<size_t>(ny));
    for (size_t k = 0; k < indices.size(); ++k) indices[k] = k % 7 == 0 ? 0 : (k * 37 >> 3) & 255;
    EXPECT_TRUE(write_cell_image(w, b, indices.data())) << nx << " x " << ny;
  }
  for (const std::string& l : lines()) {
    EXPECT_LE(l.size(), 255u);
    EXPECT_FALSE(l.starts_with('%'));
  }
}

// ---- whole sessions with and without --compact -----------------------------------

constexpr const char* kPicture =
    "XDIM 1.6\nYDIM 0.8\nIMAGE 8 4\n0102030405060708\n090A000102030405\n"
    "0A0A0A0A05050505\n0001000100010001\n";
// A 7 x 5 array on coordinates 0..6 and 0..4; another whose X spacing is uneven.
constexpr const char* kGrid =
    "XDIM 1.8\nYDIM 1.5\nARRAYXSCALE 7 0 1\nARRAYYSCALE 5 0 1\nARRAY/NOMATH 7 5\n"
    "0 1 2 3 4 5 6\n1 2 3 4 5 6 7\n2 3 4 5 6 7 8\n3 4 5 6 7 8 9\n4 5 6 7 8 9 10\nZMIN 0\nZMAX 10\n";
constexpr const char* kUnevenGrid =
    "XDIM 1.8\nYDIM 1.5\nARRAYX 7\n0 1 2 3 4 5 7\nARRAYY 5\n0 1 2 3 4\nARRAY/NOMATH 7 5\n"
    "0 1 2 3 4 5 6\n1 2 3 4 5 6 7\n2 3 4 5 6 7 8\n3 4 5 6 7 8 9\n4 5 6 7 8 9 10\nZMIN 0\nZMAX 10\n";
constexpr const char* kStrips =
    "DATA strip.txt\nPENC 3\nLOAD\nRASTERDX 0.2\nRASTERDY 0.1\nMOVE 0.5 0.5\nXRASTER\n"
    "MOVE 0.2 0.8\nYRASTER\n";
constexpr const char* kStripData = "1 1 3\n2 2 3\n3 3 5\n4 4 0\n5 5 -1\n6 6 8\n";

class CompactSessionTest : public ScratchDirTest {
 protected:
  // The document the commands write, with or without --compact; every one
  // is checked by Ghostscript.
  std::string document(const std::string& commands, bool compact) {
    document_of("QUIET\n" + commands, compact);
    EXPECT_EQ(take_err(), "") << commands;
    return doc;
  }
  // The lines written by the commands from the comment "%! <command>" on.
  static Lines lines_from(const std::string& document, const std::string& command) {
    const Lines all = absolute_steps(split_lines(document));
    const auto first = std::find(all.begin(), all.end(), "%! " + command);
    return Lines(first, all.end());
  }
};

struct CompactCase {
  const char* name;
  std::string commands;
  const char* drawing;  // the command whose drawing is compared
  size_t images;
};

TEST_F(CompactSessionTest, ImagesWhereTheCellsFormAGridTodaysStrokesElsewhere) {
  write("strip.txt", kStripData);
  const CompactCase cases[] = {
      {"picture", std::string(kPicture) + "SHOWIMAGE\n", "SHOWIMAGE", 1},
      {"cells halved at the ends", std::string(kGrid) + "CCONT\n", "CCONT", 1},
      {"whole cells", std::string(kGrid) + "NOTRIMCON\nCCONT\n", "CCONT", 1},
      {"strips", kStrips, "XRASTER", 2},
      {"uneven spacing", std::string(kUnevenGrid) + "CCONT\n", "CCONT", 0},
      {"turned frame", std::string(kGrid) + "CARTESIAN\n3DROT -60 0 -30\nCCONT\n", "CCONT", 0},
      // Rows a third as thick as their spacing leave gaps no image has.
      {"rows apart", std::string(kPicture) + "FACTOR 3\nSHOWIMAGE\n", "SHOWIMAGE", 0},
      {"a picture of no width", std::string(kPicture) + "XDIM 0\nSHOWIMAGE\n", "SHOWIMAGE", 0},
  };
  for (const CompactCase& c : cases) {
    const Lines today = lines_from(document(c.commands + "DRAW 3 3\n", false), c.drawing);
    const Lines compact = lines_from(document(c.commands + "DRAW 3 3\n", true), c.drawing);
    EXPECT_EQ(count_ending(compact, " IMG"), c.images) << c.name;
    if (c.images == 0) {  // today's drawing, moves written only where something is drawn
      const auto drawn = [](Lines ls) {
        std::erase_if(ls, [](const std::string& l) { return l.ends_with(" M"); });
        return ls;
      };
      EXPECT_EQ(drawn(compact), drawn(today)) << c.name;
      continue;
    }
    EXPECT_LE(count_ending(compact, " L"), 1u) << c.name;  // DRAW 3 3 alone
    // The bounding box grows as by the strokes' lines.
    const auto box = [](const Lines& ls) {
      return *std::find_if(ls.begin(), ls.end(),
                           [](const std::string& l) { return l.starts_with("%%BoundingBox:"); });
    };
    EXPECT_EQ(box(compact), box(today)) << c.name;
  }
}

TEST_F(CompactSessionTest, OnlyCompactDocumentsAskForLanguageLevel3) {
  const std::string level = "\n%%LanguageLevel: 3\n";
  EXPECT_EQ(document("DRAW 1 1\n", false).find(level), std::string::npos);
  EXPECT_NE(document("DRAW 1 1\n", true).find(level), std::string::npos);
}

// ---- pixels -----------------------------------------------------------------------

// The commands of the pages compared: four colour tables over the 16 x 16
// image of the indices 0..255, between them every component value a table
// selection writes (0.000 .. 1.000) in each of red, green and blue; then the
// colour cells of an array in the start-up table's greys, halved at the ends
// and whole; then raster strips. A line drawn after each picture shows the
// pen's place, width and colour as the picture left them.
std::string pixel_pages() {
  std::string commands = "XDIM 1.6\nYDIM 1.6\n";
  char line[64];
  for (int page = 0; page < 4; ++page) {
    for (int k = 0; k < 256; ++k) {
      const int m = std::min(page * 256 + k, 1000);
      std::snprintf(line, sizeof line, "DEFINECOL %d %.3f %.3f %.3f\n", k, m / 1000.0,
                    m * 2 % 1001 / 1000.0, m * 3 % 1001 / 1000.0);
      commands += line;
    }
    commands += "IMAGE 16 16\n";
    for (int row = 0; row < 16; ++row) {
      for (int col = 0; col < 16; ++col) {
        std::snprintf(line, sizeof line, "%02X", row * 16 + col);
        commands += line;
      }
      commands += '\n';
    }
    commands += "SHOWIMAGE\nDRAW 0 0\nNEWPAGE\n";
  }
  // The start-up table's greys: 0.9, 0.7, 0.5, 0.3 and 0.1 lie halfway between two bytes.
  for (int k = 1; k <= 10; ++k) {
    std::snprintf(line, sizeof line, "DEFINECOL %d %.1f %.1f %.1f\n", k, (10 - k) / 10.0,
                  (10 - k) / 10.0, (10 - k) / 10.0);
    commands += line;
  }
  commands += "DEFINECOL 0 1 1 1\n" + std::string(kGrid) +
              "CCONT\nDRAW 0 0\nNEWPAGE\nNOTRIMCON\nCCONT\nDRAW 0 0\nNEWPAGE\n";
  commands += "DEFINECOL 8 0.3 0.6 0.9\n" + std::string(kStrips) + "DRAW 0 0\n";
  return commands;
}

// Every pixel of the compact page whose 3 x 3 neighbourhood is of one colour
// on today's page has that colour; every other has one of the neighbourhood's
// colours (at 300 dpi a pixel is a device unit). Returns the pixels that fail.
int differing_pixels(const Raster& today, const Raster& compact, std::string& first) {
  int failures = 0;
  for (int y = 0; y < today.height; ++y) {
    for (int x = 0; x < today.width; ++x) {
      const uint32_t want = today.at(x, y), got = compact.at(x, y);
      if (got == want) continue;
      bool uniform = true, near = false;
      for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
          const uint32_t c = today.at(x + dx, y + dy);
          uniform = uniform && (c == want || c > 0xFFFFFF);
          near = near || c == got;
        }
      }
      if (!uniform && near) continue;
      if (failures++ == 0) {
        char text[96];
        std::snprintf(text, sizeof text, "at %d, %d: %06X, today %06X%s", x, y, got, want,
                      uniform ? "" : " (an edge)");
        first = text;
      }
    }
  }
  return failures;
}

TEST_F(CompactSessionTest, TheImageShowsTheStrokesPixelsWithinAUnitOfTheEdges) {
  write("strip.txt", kStripData);
  const std::string commands = pixel_pages();
  const std::string docs[] = {document(commands, false), document(commands, true)};
  constexpr int kPages = 7;
  // 3 x 3 inches from the page corner: the origin is an inch in.
  const std::vector<Raster> pages = ghostscript_render_pages(docs, 300, 900, 900);
  ASSERT_EQ(pages.size(), 2u * kPages);
  for (int p = 0; p < kPages; ++p) {
    const Raster &today = pages[p], &compact = pages[kPages + p];
    std::vector<uint32_t> colours;
    for (int y = 0; y < today.height; y += 7)
      for (int x = 0; x < today.width; x += 7) colours.push_back(today.at(x, y));
    std::sort(colours.begin(), colours.end());
    EXPECT_GE(std::unique(colours.begin(), colours.end()) - colours.begin(), 3) << "page " << p;
    std::string first;
    EXPECT_EQ(differing_pixels(today, compact, first), 0) << "page " << p + 1 << " " << first;
  }
}

}  // namespace
}  // namespace vexal
