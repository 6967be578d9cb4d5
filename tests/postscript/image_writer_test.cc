// Tests of --compact images: which cells make one image and where it goes,
// the colour lookup and the colours painted again.
#include "postscript/image_writer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "support/document_fixture.h"

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
  bool image, clipped;
};

const BandCase kBandCases[] = {
    {"cells of one size", {300, 400, 500}, {400, 500, 600}, {300, 350}, {350, 400}, true, false},
    // Rows a unit thicker than their spacing, each over the one below.
    {"overlapping rows", {300}, {600}, {299.5, 349.5}, {350.5, 400.5}, true, false},
    {"half cells at the ends",
     {300, 350, 450, 550},
     {350, 450, 550, 600},
     {300},
     {400},
     true,
     true},
    {"edges a unit off", {300, 401, 499}, {401, 499, 600}, {300}, {400}, true, false},
    {"one cell wider",
     {300, 400, 500, 620, 700},
     {400, 500, 620, 700, 800},
     {300},
     {400},
     false,
     false},
    {"a gap between rows", {300}, {400}, {300, 351}, {349, 400}, false, false},
    {"a row past the next", {300}, {400}, {300, 350}, {420, 400}, false, false},
    {"less than a unit", {300}, {300.5}, {300}, {400}, false, false},
    {"backwards", {400}, {300}, {300}, {400}, false, false},
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
    EXPECT_EQ(count_ending(ls, " rectclip"), c.clipped ? 1u : 0u) << c.name;
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
  // Four cells 100 wide from 250, shown from 300 to 600.
  EXPECT_NE(std::find(ls.begin(), ls.end(), " 300 300 300 100 rectclip"), ls.end());
  EXPECT_NE(std::find(ls.begin(), ls.end(),
                      " 250 300 translate 400 100 scale [/Indexed /DeviceRGB 255 ICT] "
                      "setcolorspace"),
            ls.end());
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
  EXPECT_EQ(ls[0], "/ICT <");
  EXPECT_EQ(ls[1].substr(0, 24), "000000e6cc33b3b3b3cc9966");
  EXPECT_EQ(count_ending(ls, " RGB"), 1u);
  EXPECT_NE(std::find(ls.begin(), ls.end(), " 0.900 0.800 0.200 RGB"), ls.end());
  EXPECT_EQ(count_ending(ls, "3 1 MSK"), 1u);

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

}  // namespace
}  // namespace vexal
