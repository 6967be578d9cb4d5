// Data and image files with lines as long as other programs write them: a
// plain PGM row per line, and text data of hundreds of columns.
#include <cstdio>
#include <string>
#include <vector>

#include "support/scratch_dir.h"

namespace vexal {
namespace {

using LongLinesTest = ScratchDirTest;

TEST_F(LongLinesTest, PgmRowsOfAnyLength) {
  struct Case {
    int width;
    const char* line_end;
  };
  constexpr Case kCases[] = {{1440, "\n"}, {4000, "\n"}, {4000, "\r\n"}};
  constexpr int kHeight = 3;
  for (const Case& c : kCases) {
    const std::string end = c.line_end;
    std::string file = "P2" + end + "# one row a line" + end + std::to_string(c.width) + " " +
                       std::to_string(kHeight) + end + "255" + end;
    std::vector<uint8_t> want(static_cast<size_t>(c.width) * kHeight);
    for (int row = 0; row < kHeight; ++row) {  // the file's first row is the top row
      for (int i = 0; i < c.width; ++i) {
        const int v = (i * 7 + row * 13) % 256;
        file += (i ? " " : "") + std::to_string(v);
        want[static_cast<size_t>(kHeight - 1 - row) * c.width + i] = static_cast<uint8_t>(v);
      }
      file += end;
    }
    write("wide.pgm", file);
    run("PGM wide.pgm\n");
    EXPECT_EQ(take_err(), "") << c.width;
    EXPECT_EQ(s->image.width, c.width);
    EXPECT_EQ(s->image.height, kHeight);
    EXPECT_EQ(s->image.pixels, want) << c.width;
  }
  finish();
}

// Field c of record r is r x 1000 + c, 15 characters a field as an
// instrument writes it: in 600 columns, field 35 straddles character 512.
TEST_F(LongLinesTest, EveryColumnOfALongDataLineIsRead) {
  struct Case {
    int columns;
    const char* err;
  };
  const Case kCases[] = {
      {600, ""},
      {100'000, ""},  // longer than a block of the file
      {300'000, "Warning--2 data lines longer than 4194304 characters: read only that far.\n"},
  };
  for (const Case& c : kCases) {
    std::string file;
    char field[32];
    for (int r = 1; r <= 2; ++r) {
      for (int col = 1; col <= c.columns; ++col) {
        file.append(field, static_cast<size_t>(std::snprintf(field, sizeof field, "%.8e%c",
                                                             r * 1000.0 + col,
                                                             col < c.columns ? ' ' : '\n')));
      }
    }
    write("wide.dat", file);
    for (int ycol : {1, 34, 35, 50}) {
      run("QUIET\nDATA wide.dat\nYCOL " + std::to_string(ycol) + "\nLOAD\n");
      EXPECT_EQ(take_err(), c.err) << c.columns;
      EXPECT_EQ(std::vector<double>(s->store.y.begin(), s->store.y.end()),
                (std::vector<double>{1000.0 + ycol, 2000.0 + ycol}))
          << c.columns << " columns, YCOL " << ycol;
    }
    EXPECT_EQ(std::vector<double>(s->store.x.begin(), s->store.x.end()),
              (std::vector<double>{1001, 2001}));
  }
  finish();
}

// The other readers of data lines take whole lines too: inline DATA and
// READXLAB's heading (MERGE and MULTIPLOT read through the same routine).
TEST_F(LongLinesTest, EveryReaderOfDataLinesTakesTheWholeLine) {
  std::string heading, row;
  for (int col = 1; col <= 600; ++col) {
    heading += (col > 1 ? " head" : "head") + std::to_string(col) + std::string(10, 'x');
    row += (col > 1 ? " " : "") + std::to_string(1000 + col) + ".000000000";
  }
  run("QUIET\nDATA\n" + row + "\nENDDATA\nYCOL 50\nLOAD\n");
  EXPECT_EQ(std::vector<double>(s->store.y.begin(), s->store.y.end()), (std::vector<double>{1050}));
  write("wide.dat", heading + "\n" + row + "\n");
  run("DATA wide.dat\nXCOL 50\nREADXLAB\n");
  EXPECT_EQ(s->axes[AxisId::X].layout.label, "head50xxxxxxxxxx");
  finish();
}

// Free-format array input (READFAST) takes its lines whole too: a whole
// array written as one line of 3 MB.
TEST_F(LongLinesTest, AnArrayOnOneLineIsReadWhole) {
  constexpr int kValues = 400'000;
  std::string line;
  for (int i = 0; i < kValues; ++i) line += std::to_string(i % 1000) + ".5 ";
  write("one_line.vx", "ARRAY " + std::to_string(kValues) + " 1\n" + line + "\n");
  run("QUIET\nREADFAST\nCOM one_line.vx\n");
  EXPECT_EQ(take_err(), "");
  ASSERT_EQ(s->array.values.size(), static_cast<size_t>(kValues));
  EXPECT_EQ(s->array.values.back(), (kValues - 1) % 1000 + 0.5);
  finish();
}

}  // namespace
}  // namespace vexal
