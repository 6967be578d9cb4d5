// The array and image commands as a user types them: loads from the command
// input and from files, the commands they queue, the element math and
// arithmetic, crops, slices, listings, and refusals of bad input that leave
// the array and the image as they were.
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/scratch_dir.h"

namespace vexal {
namespace {

// One record of the binary array file: the payload framed by its length.
std::string record(const void* p, size_t n, int32_t len = -1) {
  if (len < 0) len = static_cast<int32_t>(n);
  std::string r(reinterpret_cast<const char*>(&len), 4);
  r.append(static_cast<const char*>(p), n);
  r.append(reinterpret_cast<const char*>(&len), 4);
  return r;
}
std::string count_record(int32_t n) { return record(&n, 4); }
std::string doubles_record(const std::vector<double>& v) {
  return record(v.data(), v.size() * sizeof(double));
}

class ArrayCommandsTest : public ScratchDirTest {
 protected:
  std::vector<double> values() const { return s->array.values; }
  std::vector<std::string> commands_run() {
    std::vector<std::string> lines;
    for (const std::string& l : new_ps_lines(true))
      if (l.rfind("%! ", 0) == 0) lines.push_back(l.substr(3));
    return lines;
  }
};

TEST_F(ArrayCommandsTest, ArrayLoadsRowsAndQueuesDefaultCoordinatesFirst) {
  run("QUIET\nNOYBOR\nNOXBOR\nARRAY 3 2\n1 2 3 4 5 6\n");
  EXPECT_EQ(take_err(), "");
  ASSERT_EQ(values(), (std::vector<double>{1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(num("MX"), 3);
  EXPECT_EQ(num("MY"), 2);
  run("$A = {3 1 ARRAY}\n$B = {1 2 ARRAY}\n$C = {3 ARRAYX}\n$D = {2 ARRAYDY}\n");
  EXPECT_EQ(num("A"), 3);
  EXPECT_EQ(num("B"), 4);
  EXPECT_EQ(num("C"), 3);
  EXPECT_EQ(num("D"), 1);
  std::vector<std::string> ran = commands_run();
  auto at = ran.begin();
  for (const char* queued : {"ARRAY 3 2", "ARRAYXSCALE 3 1 1", "ARRAYYSCALE 2 1 1", "DOARRAYMATH"})
    EXPECT_NE(at = std::find(at, ran.end(), queued), ran.end()) << queued << " not in stack order";
  EXPECT_EQ(s->axes[AxisId::X].limits.min, 1);
  EXPECT_EQ(s->axes[AxisId::X].limits.max, 3);
  EXPECT_EQ(s->axes[AxisId::Y].limits.max, 2);

  // Coordinates already increasing are kept; XMOD wraps them and queues the limits.
  run("XMOD 360\nARRAYX 3\n350 10 20\nARRAY/NOMATH 3 1\n7 8 9\n$E = {3 ARRAYX}\n");
  EXPECT_EQ(num("E"), 380);
  EXPECT_EQ(s->axes[AxisId::X].limits.max, 380);
  // Values are rounded to single precision, as loaded.
  run("ARRAY 1 1\n0.1\n");
  EXPECT_EQ(values()[0], static_cast<double>(0.1f));
  finish();
}

TEST_F(ArrayCommandsTest, LoadFailuresKeepWhatWasLoaded) {
  run("ARRAY 2 2\n1 2 3\n");
  EXPECT_EQ(take_err(), "Array load was incomplete owing to lack of data\n");
  run("XSLICEARRAY 1\n");
  EXPECT_EQ(take_err(),
            "XSLICEARRAY: the array holds only 3 of its 4 values (its load was incomplete).\n");
  run("ARRAY 2 1\n1 fish\n");
  EXPECT_EQ(take_err(), "Cannot read array data in line: 1 fish\n");
  run("ARRAY 2 1\n5 6\nARRAY 9000 9000\nARRAY 0 3\n");
  EXPECT_EQ(take_err(),
            "ARRAY is too large for available memory\n"
            "ARRAY needs nx and ny of at least 1; nothing was loaded.\n");
  EXPECT_EQ(values(), (std::vector<double>{5, 6}));
  // ARRAY2 needs the array's shape.
  run("ARRAY2 3 1\n1 2 3\n");
  EXPECT_EQ(take_err().substr(0, 43), "ARRAY2 must be the same dimensions as ARRAY");
  EXPECT_TRUE(s->array.second.empty());
  // XARRAY and YARRAY check their sizes before reading.
  run("XARRAY -1 5\nYARRAY 100000 100000\n");
  EXPECT_NE(take_err().find("ARRAY2 is too large"), std::string::npos);
  EXPECT_EQ(s->array.nx, 2);
  EXPECT_EQ(values(), (std::vector<double>{5, 6}));
  // READFAST: each row begins on a new line; the rest of a line is dropped.
  run("READFAST\nARRAY 2 2\n1 2 99\n3 4\n");
  EXPECT_EQ(values(), (std::vector<double>{1, 2, 3, 4}));
  run("ARRAY 2 2\n1 2 3 4\n");
  EXPECT_EQ(take_err(), "ERROR: Insufficient data to complete ARRAY load.\n");
  finish();
}

TEST_F(ArrayCommandsTest, SecondArrayArithmetic) {
  run("ARRAY 2 1\n6 8\nARRAYADDARRAY2\n");
  EXPECT_NE(take_err().find("no second array"), std::string::npos);
  run("ARRAY2 2 1\n2 4\nARRAYADDARRAY2\n");
  EXPECT_EQ(values(), (std::vector<double>{8, 12}));
  run("ARRAYSUBTRACTARRAY2\nARRAYDIVIDEARRAY2\n$A = {2 1 ARRAY2}\n");
  EXPECT_EQ(values(), (std::vector<double>{3, 2}));
  EXPECT_EQ(num("A"), 4);
  run("ARRAYTOARRAY2\n$B = {1 1 ARRAY2}\n");
  EXPECT_EQ(num("B"), 3);
  // A new shape drops the second array.
  run("ARRAY 1 1\n1\n$C = {1 1 ARRAY2}\n");
  EXPECT_NE(take_err().find("index out of range"), std::string::npos);
  finish();
}

TEST_F(ArrayCommandsTest, ElementMathSeesIndicesAndMarksErrors) {
  run("QUIET\nARRAYX 2\n10 20\nARRAYY 2\n100 200\n");
  run("MATH Z = {Z IX 10 * + IY +}\nMATH Z = {1 Z 6 - /}\nMATH Y = {Y 2 /}\n");
  run("ARRAY 2 2\n0 -15 0 0\n");
  // 1 / (Z + 10 IX + IY - 6): the element (1, 1) divides by 5, (2, 1) by zero.
  ASSERT_EQ(values().size(), 4u);
  EXPECT_DOUBLE_EQ(values()[0], 1.0 / 5);
  EXPECT_EQ(values()[1], kMissingValue);
  EXPECT_DOUBLE_EQ(values()[2], 1.0 / 6);
  EXPECT_EQ(s->array.y, (std::vector<double>{50, 100}));
  EXPECT_EQ(s->array.dy, (std::vector<double>{50, 50}));
  // The X coordinates are read as the elements' X.
  run("NOMATH\nMATH Z = {X}\nDOARRAYMATH\n");
  EXPECT_EQ(values(), (std::vector<double>{10, 20, 10, 20}));
  finish();
}

TEST_F(ArrayCommandsTest, ListsPgmAndReload) {
  run("ARRAYXSCALE 3 0 0.5\nARRAYYSCALE 2 -1 2\nARRAY/NOMATH 3 2\n0 1 2\n3 4 10\n");
  run("ZMIN 0\nZMAX 10\nNCOLORS 11\nDUMPPGM p.pgm\nDUMPARRAY a.d\n");
  EXPECT_EQ(file_text("p.pgm"),
            "P2\n# vexal PGM \n           3            2\n          11\n 3 4 10\n 0 1 2\n");
  // The listing reloads the same array and coordinates.
  run("ARRAY 1 1\n7\nCOM a.d\n");
  EXPECT_EQ(values(), (std::vector<double>{0, 1, 2, 3, 4, 10}));
  EXPECT_EQ(s->array.x, (std::vector<double>{0, 0.5, 1}));
  EXPECT_EQ(s->array.y, (std::vector<double>{-1, 1}));
  // The PGM reads back as the image, its first row on top.
  run("PGM p.pgm\n");
  EXPECT_EQ(num("IMAGEX"), 3);
  EXPECT_EQ(num("IMAGEY"), 2);
  EXPECT_EQ(s->image.pixels, (std::vector<uint8_t>{0, 1, 2, 3, 4, 10}));
  // IMAGETOARRAY goes through a command file back to the array.
  run("IMAGETOARRAY\n");
  EXPECT_EQ(file_text("array.d").substr(0, 12), "ARRAY 3 2\n  ");
  EXPECT_EQ(values(), (std::vector<double>{0, 1, 2, 3, 4, 10}));
  finish();
}

TEST_F(ArrayCommandsTest, SlicesAndCrops) {
  run("ARRAYX 3\n1 2 4\nARRAYY 2\n5 6\nARRAY/NOMATH 3 2\n1 2 3\n4 5 6\n");
  run("XSLICEARRAY 2\nLOAD\n");
  EXPECT_EQ(file_text("slice.d").find("           1 5.0000000000000000 2.0000000000000000\n"), 0u);
  EXPECT_EQ(std::vector<double>(s->store.y.begin(), s->store.y.end()), (std::vector<double>{2, 5}));
  run("YSLICEARRAY 9\nXSLICEARRAY 0\n");
  EXPECT_EQ(take_err(),
            "YSLICEARRAY needs an index of 1 .. 2; nothing was written.\n"
            "XSLICEARRAY needs an index of 1 .. 3; nothing was written.\n");
  // The crop goes through the scratch file, which is gone afterwards.
  run("ARRAYREGION 2 3 2 2\n");
  EXPECT_EQ(take_err(), "");
  EXPECT_EQ(values(), (std::vector<double>{5, 6}));
  EXPECT_EQ(s->array.x, (std::vector<double>{2, 4}));
  EXPECT_EQ(s->array.y, (std::vector<double>{6}));
  EXPECT_FALSE(std::ifstream("vexal" + s->run.pid + ".trns").good());
  for (const char* bad : {"ARRAYREGION 2 1 1 1", "ARRAYREGION 1 3 1 1", "ARRAYREGION 0 1 1 1"}) {
    run(std::string(bad) + "\n");
    EXPECT_NE(take_err().find("the array is unchanged"), std::string::npos) << bad;
  }
  EXPECT_EQ(values(), (std::vector<double>{5, 6}));

  run("IMAGE 3 2\n000102\n030405\nIMAGEREGION 2 3 1 2\n");
  EXPECT_EQ(s->image.pixels, (std::vector<uint8_t>{1, 2, 4, 5}));
  EXPECT_EQ(num("IMAGEX"), 2);
  run("YSLICEIMAGE 2\n");
  EXPECT_EQ(file_text("slice.d"), "           1           4\n           2           5\n");
  run("IMAGEREGION 1 3 1 1\nXSLICEIMAGE 3\nIMAGE 1441 1\nIMAGE 2 1\n0G\n");
  EXPECT_EQ(take_err(),
            "IMAGEREGION needs 1 <= ix1 <= ix2 <= 2 and 1 <= iy1 <= iy2 <= 2; the image is "
            "unchanged.\n"
            "XSLICEIMAGE needs an index of 1 .. 2; nothing was written.\n"
            "IMAGE needs a width of 1 .. 1440 and a height of at least 1; the image is "
            "unchanged.\n"
            "Cannot read image data in line: 0G; the image is unchanged.\n");
  EXPECT_EQ(s->image.pixels, (std::vector<uint8_t>{1, 2, 4, 5}));
  finish();
}

TEST_F(ArrayCommandsTest, FixedNameFilesAreNeverWrittenThroughLinks) {
  write("victim", "keep\n");
  for (const char* name : {"array.d", "slice.d", "list.d"})
    std::filesystem::create_symlink("victim", name);
  run("IMAGE 2 2\n00FF\n0A0B\nIMAGETOARRAY\nARRAY/NOMATH 2 1\n1 2\n");
  run("XSLICEARRAY 1\nXSLICEIMAGE 1\nDUMPARRAY list.d\n");
  EXPECT_EQ(file_text("victim"), "keep\n");
  EXPECT_EQ(take_err(),
            "Cannot write the scratch command file array.d: it exists and was not made by this "
            "run; the array is unchanged.\n"
            "Cannot open slice.d: it is a symbolic link\n"
            "Cannot open slice.d: it is a symbolic link\n"
            "Cannot open list.d: it is a symbolic link\n");
  EXPECT_EQ(values(), (std::vector<double>{1, 2}));
  EXPECT_EQ(s->store.npts(), 0);
  // A plain file under the name is refused too: COM would run it.
  std::filesystem::remove("array.d");
  write("array.d", "ECHO planted\n");
  run("IMAGETOARRAY\n");
  EXPECT_NE(take_err().find("array.d: it exists and was not made by this run"), std::string::npos);
  EXPECT_EQ(take_out().find("planted"), std::string::npos);
  EXPECT_EQ(file_text("array.d"), "ECHO planted\n");
  // The run's own array.d is replaced, and removed at the end.
  std::filesystem::remove("array.d");
  run("IMAGETOARRAY\nIMAGETOARRAY\n");
  EXPECT_EQ(take_err(), "");
  EXPECT_EQ(values(), (std::vector<double>{0, 255, 10, 11}));
  // Swapped between the write and the queued COM, the file does not run.
  push_command(s->stream, "IMAGETOARRAY");
  s->turn(false);
  write("swap.d", "ECHO swapped\n");
  std::filesystem::rename("swap.d", "array.d");
  run("");
  EXPECT_EQ(take_err(),
            "Error--cannot open command file array.d (it is not the file this run wrote)\n");
  EXPECT_EQ(take_out().find("swapped"), std::string::npos);
  std::filesystem::remove("array.d");
  finish();
  EXPECT_FALSE(std::filesystem::exists("array.d"));
}

TEST_F(ArrayCommandsTest, LimitsBeyondTwoExponentDigitsReadBack) {
  // Queued as "XMIN   0.10000-149": the exponent field has no room for its E.
  run("ARRAYXSCALE 3 1e-150 1e-150\n");
  EXPECT_EQ(take_err(), "");
  EXPECT_DOUBLE_EQ(num("XMIN"), 1e-150);
  EXPECT_DOUBLE_EQ(num("XMAX"), 3e-150);
  finish();
}

TEST_F(ArrayCommandsTest, BadImageFilesLeaveTheImage) {
  run("IMAGE 2 1\n0709\n");
  EXPECT_EQ(s->axes[AxisId::Z].limits.min, 7);  // automatic Z limits from the pixels
  EXPECT_EQ(s->axes[AxisId::Z].limits.max, 9);
  const char* const kBad[] = {
      "P5\n1 1 255\n0\n",      "P2\n0 1 255\n",     "P2\n-3 2 255\n1\n",
      "P2\n1 1 256\n0\n",      "P2\n2 1 255\n7\n",  "P2\n1 1 9\n10\n",
      "P2\n99999 99999 255\n", "P2\n1 1 255\n-1\n", "P2\n1 x 255\n",
  };
  for (const char* text : kBad) {
    write("bad.pgm", text);
    run("PGM bad.pgm\n");
    EXPECT_EQ(take_err().substr(0, 34), "PGM file format error: bad.pgm\n  (") << text;
  }
  EXPECT_EQ(s->image.pixels, (std::vector<uint8_t>{7, 9}));
  run("PGM missing.pgm\nPGM .\n");
  EXPECT_EQ(take_err(), "Unable to open PGM file: missing.pgm\nUnable to open PGM file: .\n");
  // Comments are echoed; the header may share the first line.
  write("ok.pgm", "P2 2\n  # made by hand\n1 255\n9 8\n");
  take_out();
  run("PGM ok.pgm\n");
  EXPECT_EQ(take_out(), "  # made by hand\n");
  EXPECT_EQ(s->image.pixels, (std::vector<uint8_t>{9, 8}));
  finish();
}

TEST_F(ArrayCommandsTest, RawArrayFiles) {
  const std::string good = count_record(2) + doubles_record({1, 2}) + count_record(2) +
                           doubles_record({3, 5}) + doubles_record({1, 2, 3, 4});
  write("good.raw", good);
  run("RAWARRAY good.raw\n");
  EXPECT_EQ(take_err(), "");
  EXPECT_EQ(values(), (std::vector<double>{1, 2, 3, 4}));
  EXPECT_EQ(s->array.dy, (std::vector<double>{2, 2}));
  EXPECT_EQ(s->axes[AxisId::Y].limits.max, 5);
  // One record per row.
  write("scans.raw", count_record(2) + doubles_record({1, 2}) + count_record(2) +
                         doubles_record({3, 5}) + doubles_record({9, 8}) + doubles_record({7, 6}));
  run("RAWARRAYXSCANS scans.raw\n");
  EXPECT_EQ(values(), (std::vector<double>{9, 8, 7, 6}));

  const int32_t huge = 2000000000;
  const std::string kBad[] = {
      good.substr(0, good.size() - 3),                            // short last record
      good.substr(0, 8) + record("\0\0\0\0\0\0\0\0", 8, 16),      // declares more than it holds
      count_record(2) + record(&huge, 4),                         // trailing length differs
      count_record(huge) + doubles_record({1}),                   // absurd nx
      count_record(3) + doubles_record({1, 2}),                   // wrong coordinate count
      count_record(2) + doubles_record({1, 2}) + count_record(2)  // values missing
          + doubles_record({1, 2}) + doubles_record({1, 2, 3}),
      "",
  };
  for (const std::string& text : kBad) {
    write("bad.raw", text);
    run("RAWARRAY bad.raw\n");
    EXPECT_EQ(take_err().substr(0, 32), "There is a problem with bad.raw\n") << text.size();
  }
  run("RAWARRAY\nRAWARRAY .\n");
  EXPECT_EQ(take_err(),
            "There is a problem with array.raw\n  (it cannot be opened; the array keeps what it "
            "held)\nThere is a problem with .\n  (it is not a regular file; the array keeps what "
            "it held)\n");
  EXPECT_EQ(values(), (std::vector<double>{9, 8, 7, 6}));
  finish();
}

TEST_F(ArrayCommandsTest, ExpressionWordsCheckTheirIndices) {
  run("ARRAYX 3\n0 10 11\nARRAY 3 1\n1 2 3\n");
  run("$A = {10.4 NXAI}\n$B = {0.5 NXAI}\n$C = {2 ARRAYDX}\n");
  EXPECT_EQ(num("A"), 2);
  EXPECT_EQ(num("B"), 1);
  EXPECT_EQ(num("C"), 5.5);
  take_err();
  for (const char* bad : {"{4 1 ARRAY}", "{1 2 ARRAY}", "{0 ARRAYX}", "{1 ARRAYZ}", "{1 NZAI}"}) {
    run(std::string("$D = ") + bad + "\n");
    EXPECT_NE(take_err().find("index out of range"), std::string::npos) << bad;
  }
  finish();
}

TEST_F(ArrayCommandsTest, ImageMapAndVolumeLists) {
  // The 3-D view set up again for the new YDIM: no rotation, so the frame
  // is the plane of the axes.
  run("XMIN 0\nXMAX 1\nYMIN 0\nYMAX 1\nNOXBOR\nNOYBOR\nXDIM 6\nYDIM 4\nMOVE 0 0\nDRAW 6 4\n");
  run("CARTESIAN\n");
  run("ARRAYXSCALE 2 0 1\nARRAYYSCALE 2 0 1\nARRAY/NOMATH 2 2\n1 2 3 -4.5e-3\n");
  run("DUMPARRAYMAP map.txt http://x/cgi? 10\n");
  // Pixels at 72 per inch from the drawn area's top-left corner: the X axis
  // spans 432 pixels, the Y axis 288, the top row at the offset.
  std::istringstream map(file_text("map.txt"));
  std::vector<std::string> lines;
  for (std::string l; std::getline(map, l);) lines.push_back(l);
  ASSERT_EQ(lines.size(), 4u);
  const std::string left = lines[0].substr(lines[0].size() - 9, 4);
  char right[16];
  std::snprintf(right, sizeof right, "%04d", std::stoi(left) + 432);
  EXPECT_EQ(lines[0],
            "point http://x/cgi?X=0.0000E+00&Y=0.0000E+00&Z=0.1000E+01 " + left + ",0298");
  EXPECT_EQ(lines[3], "point http://x/cgi?X=0.1000E+01&Y=0.1000E+01&Z=-0.4500E-02 " +
                          std::string(right) + ",0010");
  run("VOLUMEZSCALE 3 5 1\n$A = {6.2 NZAI}\nVOLUMEZ 2\n7 9\n$B = {2 ARRAYZ}\n");
  EXPECT_EQ(num("A"), 2);
  EXPECT_EQ(num("B"), 9);
  EXPECT_EQ(num("MZ"), 2);
  EXPECT_EQ(s->axes[AxisId::Z].limits.max, 9);
  finish();
}

TEST_F(ArrayCommandsTest, ImagesAndRastersDraw) {
  run("SHOWIMAGE\n");
  EXPECT_NE(take_err().find("no image loaded"), std::string::npos);
  new_ps_lines();
  run("XDIM 2\nYDIM 1\nIMAGE 2 2\n0A0A\n0A01\nSHOWIMAGE\n");
  std::vector<std::string> lines = new_ps_lines();
  EXPECT_GE(std::count_if(lines.begin(), lines.end(),
                          [](const std::string& l) { return l.find(" L") != std::string::npos; }),
            3);
  write("d.txt", "1 1 3\n2 2 3\n3 3 5\n");
  run("DATA d.txt\nPENC 3\n");
  run("LOAD\nRASTERDX 0.2\nRASTERDY 0.1\nXRASTER\nYRASTER\n");
  EXPECT_EQ(take_err(), "");
  finish();
}

}  // namespace
}  // namespace vexal
