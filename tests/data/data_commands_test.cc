// The data commands as a user types them: naming files and inline data,
// LOAD and APPEND with the variables they set, the reader settings, the
// queued command files, MERGE, INVENT, BUILD and DUMPDATA.
#include <algorithm>
#include <fstream>
#include <sstream>

#include "support/scratch_dir.h"

namespace vexal {
namespace {

class DataCommandsTest : public ScratchDirTest {
 protected:
  std::vector<double> xs() const { return {s->store.x.begin(), s->store.x.end()}; }
  std::vector<double> ys() const { return {s->store.y.begin(), s->store.y.end()}; }
  static std::string file_text(const std::string& name) {
    std::ifstream f(name);
    std::stringstream text;
    text << f.rdbuf();
    return text.str();
  }
  // The command lines run since the last call, as the document records them.
  std::vector<std::string> commands_run() {
    std::vector<std::string> lines;
    for (const std::string& l : new_ps_lines(true))
      if (l.rfind("%! ", 0) == 0) lines.push_back(l.substr(3));
    return lines;
  }
};

TEST_F(DataCommandsTest, LoadSetsTheSummaryVariables) {
  write("d.txt", "0 10\n50 30\n100 20\n");
  run("QUIET\nDATA d.txt\nLOAD\n");
  EXPECT_EQ(num("HAVEDATAFILE"), 1);
  EXPECT_EQ(chr("DATAFILE"), "d.txt");
  EXPECT_EQ(num("NPTS"), 3);
  EXPECT_EQ(num("XAVERAGE"), 50);
  EXPECT_EQ(num("YAVERAGE"), 20);
  const double half = static_cast<double>(0.1f) * 0.5;
  EXPECT_EQ(num("XMIN_DATA"), 0);
  EXPECT_EQ(num("XMAX_DATA"), 100);
  EXPECT_DOUBLE_EQ(num("XMIN"), -100 * half);
  EXPECT_DOUBLE_EQ(num("XMAX"), 100 + 100 * half);
  EXPECT_DOUBLE_EQ(num("YMIN"), 10 - 20 * half);
  // Z is the record number (column 0) and has no border by default.
  EXPECT_EQ(num("ZMIN"), 1);
  EXPECT_EQ(num("ZMAX"), 3);
  EXPECT_EQ(take_err(), "");
  finish();
}

TEST_F(DataCommandsTest, LoadEmptiesAppendAdds) {
  write("d.txt", "1 2\n3 4\n");
  run("QUIET\nDATA d.txt\nLOAD\nLOAD\n");
  EXPECT_EQ(num("NPTS"), 2);
  run("APPEND\n");
  EXPECT_EQ(xs(), (std::vector<double>{1, 3, 1, 3}));
  EXPECT_EQ(s->store.pen.size(), 4u);
  // Limits derived once stay until they are unset.
  write("d.txt", "-50 2\n");
  run("LOAD\n");
  EXPECT_EQ(num("XMIN_DATA"), 1);
  finish();
}

TEST_F(DataCommandsTest, InlineDataUpToEnddata) {
  run("QUIET\nDATA\n1 2   \n3\t4\n  data ends: enddata here\nLOAD\n");
  const std::string name = "data" + s->run.pid + ".tmp";
  EXPECT_EQ(chr("DATAFILE"), name);
  EXPECT_EQ(file_text(name), "1 2\n3\t4\n");
  EXPECT_EQ(xs(), (std::vector<double>{1, 3}));
  EXPECT_EQ(ys(), (std::vector<double>{2, 4}));
  // Inline data empties the store before the next read.
  run("DATA\n5 6\nENDDATA\n");
  EXPECT_EQ(s->store.npts, 0);
  EXPECT_TRUE(s->store.x.empty());
  finish();
}

TEST_F(DataCommandsTest, MissingDataFile) {
  write("d.txt", "1 2\n");
  run("QUIET\nDATA d.txt\nDATA nothere.dat\n");
  EXPECT_EQ(take_err(), "Error--cannot open data file nothere.dat\n");
  EXPECT_EQ(num("HAVEDATAFILE"), 0);
  EXPECT_EQ(chr("DATAFILE"), "nothere.dat");
  run("LOAD\n");
  EXPECT_EQ(take_err(), "Error--cannot open data file nothere.dat\n");
  EXPECT_EQ(s->store.npts, 0);
  std::filesystem::create_directory("folder");
  run("DATA folder\n");
  EXPECT_EQ(take_err(), "Error--cannot open data file folder\n");
  finish();
}

TEST_F(DataCommandsTest, ErrorBarsRunAsACommandFile) {
  write("d.txt", "1 10 9 12\n2 20 18 22\n");
  start();
  s->reader.yebcl = 3;  // YEBCL 3, YEBCH 4
  s->reader.yebch = 4;
  run("QUIET\nDATA d.txt\nLOAD\n");
  const std::string name = "error" + s->run.pid + ".tmp";
  std::vector<std::string> ran = commands_run();
  auto at = std::find(ran.begin(), ran.end(), "COMMANDFILE " + name);
  ASSERT_NE(at, ran.end());
  EXPECT_EQ(std::count_if(at, ran.end(),
                          [](const std::string& l) { return l.rfind("ERRORBAR ", 0) == 0; }),
            2);
  EXPECT_EQ(file_text(name).substr(0, 27), "ERRORBAR   0.1000000000E+01");
  finish();
}

TEST_F(DataCommandsTest, LogAxisStartsANewSegment) {
  write("d.txt", "1 1 1\n0 2 1\n3 3 -1\n4 4 4\n");
  run("QUIET\nXLOG\nZLOG\nZCOL 3\nDATA d.txt\nLOAD\n");
  EXPECT_EQ(take_err(),
            "Logarithm of negative or zero value (X). Record#           2\n"
            "Logarithm of negative or zero value (Z). Record#           2\n");
  EXPECT_EQ(xs(), (std::vector<double>{1, 4}));
  EXPECT_EQ(s->store.pen[1], 0);
  run("NOXLOG\nNOZLOG\nLOAD\n");
  EXPECT_EQ(take_err(), "");
  EXPECT_EQ(s->store.npts, 4);
  finish();
}

TEST_F(DataCommandsTest, ColumnMathDoublesY) {
  write("d.txt", "1 1\n2 2\n");
  run("QUIET\nDATA d.txt\nY = {Y 2 *}\nLOAD\n");
  EXPECT_EQ(ys(), (std::vector<double>{2, 4}));
  EXPECT_EQ(num("YAVERAGE"), 3);
  finish();
}

TEST_F(DataCommandsTest, ReaderSettings) {
  struct Case {
    const char* lines;
    const char* data;
    std::vector<double> x, y;
  };
  const Case kCases[] = {
      {"COL 2 1", "1 2\n3 4\n", {2, 4}, {1, 3}},
      {"COL 60 -3", "1 2\n", {0}, {1}},  // clamped: column 50 (empty), column 0
      {"XCOL 3.9\nYCOL 0", "1 2 3\n4 5 6\n", {3, 6}, {1, 2}},
      {"MAXP 10",
       "1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n11\n12\n",
       {1, 2, 3, 4, 5, 6, 7, 8, 9, 10},
       {0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
      {"SKIP 1\nSEEK start", "x\nstart\nskipped\n7 8\n", {7}, {8}},
      {"SKIP 1\nSEEK start\nNOSEEK", "x\nstart\n", {0}, {0}},
      {"XRANGE 2 3\nYRANGE 0 100", "1 1\n2 2\n3 3\n4 4\n", {2, 3}, {2, 3}},
      {"XRANGE 2 3\nNOXRANGE", "1 1\n4 4\n", {1, 4}, {1, 4}},
      {"ZCOL 3\nZRANGE 0 1", "1 1 0\n2 2 5\n", {1}, {1}},
      {"XNEG\nYNEG", "1 2\n", {-1}, {-2}},
      {"XNEG\nNOXNEG", "1 2\n", {1}, {2}},
      {"YDELTA -1 1\nYDELTASKIP", "0 0\n1 5\n2 5.5\n", {0, 2}, {0, 5.5}},
      {"YDELTA -1 1\nYDELTASKIP\nNOYDELTA", "0 0\n1 5\n", {0, 1}, {0, 5}},
      {"READFAST", "1 2\n3 q\n5 6\n7 8\n", {1, 7}, {2, 8}},
      {"READFAST\nNOFAST/FORCE", "1 2\n3 q\n", {1, 3}, {2, 0}},
      {"MAXCOL 1", "1 2\n", {1}, {0}},
      {"MAXCOL 1\nNOMAXCOL", "1 2\n", {1}, {2}},
  };
  for (const Case& c : kCases) {
    s.reset();  // a fresh session and document for each case
    doc.clear();
    doc_seen = 0;
    write("d.txt", c.data);
    run(std::string("QUIET\n") + c.lines + "\nDATA d.txt\nLOAD\n");
    EXPECT_EQ(xs(), c.x) << c.lines;
    EXPECT_EQ(ys(), c.y) << c.lines;
    EXPECT_EQ(take_err().find("Error"), std::string::npos) << c.lines;
    finish();
  }
}

TEST_F(DataCommandsTest, ScaledColourNeedsZLimits) {
  write("d.txt", "1 1 50\n2 2 100\n3 3 7\n");
  start();
  s->limits.z.min = 0;  // ZMIN 0, ZMAX 100
  s->limits.z.max = 100;
  run("QUIET\nCOLORCOL 3\nSCALECOL\nDATA d.txt\nLOAD\n");
  EXPECT_EQ(s->store.colour.values(), (std::vector<int>{5, 10, 1}));
  s->limits.z.min = s->limits.z.max = 4;
  take_err();
  run("LOAD\n");
  const std::string message = "ZMIN/ZMAX not set correctly, cannot scale color column\n";
  EXPECT_EQ(take_err().substr(0, 3 * message.size()), message + message + message);
  EXPECT_EQ(s->store.colour.values(), (std::vector<int>{10, 10, 7}));
  run("NOCOLORCOL\nLOAD\n");
  EXPECT_EQ(s->store.colour[0], -1);
  finish();
}

TEST_F(DataCommandsTest, BinaryHeaderVariablesAndCommentCommands) {
  // "$P", 2 columns, one comment record "ECHO hi\r\n" padded to 16 bytes.
  std::string file("$P\r\n", 4);
  const int16_t counts[2] = {2, 1};
  file.append(reinterpret_cast<const char*>(counts), 4);
  file.append(8, '\0');
  std::string comment = "ECHO hi\r\n";
  comment.resize(16, ' ');
  file += comment;
  for (double v : {1.0, 2.0}) file.append(reinterpret_cast<const char*>(&v), 8);
  write("b.dat", file);
  run("DATA b.dat\nLOAD\n");
  EXPECT_EQ(num("BINARYCOLUMNS"), 2);
  EXPECT_EQ(num("BINARYHEADER02"), 0);
  EXPECT_EQ(xs(), (std::vector<double>{1}));
  EXPECT_EQ(take_out().find("hi\n"), std::string::npos);
  run("VERSION 1990.1.1\nLOAD\n");  // older levels run the comment commands
  EXPECT_NE(take_out().find("\nhi\n"), std::string::npos);
  finish();
}

TEST_F(DataCommandsTest, LongBinaryFileLoadedAppendedAndPlotted) {
  // Long enough to be read on two threads; every sum exact, whatever order
  // the halves are added in.
  const int kRows = 300000;
  std::string file("$P\r\n", 4);
  const int16_t counts[2] = {2, 0};
  file.append(reinterpret_cast<const char*>(counts), 4);
  file.append(8, '\0');
  for (int i = 0; i < kRows; ++i)
    for (double v : {i * 0.5, static_cast<double>(i % 100)})
      file.append(reinterpret_cast<const char*>(&v), 8);
  write("big.dat", file);
  run("QUIET\nDATA big.dat\nLOAD\n");
  EXPECT_EQ(num("NPTS"), kRows);
  EXPECT_EQ(num("XAVERAGE"), (kRows - 1) * 0.25);
  EXPECT_EQ(num("YAVERAGE"), 49.5);
  EXPECT_EQ(num("XMAX_DATA"), (kRows - 1) * 0.5);
  EXPECT_EQ(num("ZMAX"), kRows);  // record numbers
  run("APPEND\n");
  EXPECT_EQ(s->store.npts, 2 * kRows);
  EXPECT_EQ(s->store.x[kRows + 12345], 12345 * 0.5);
  EXPECT_EQ(s->store.y[2 * kRows - 1], (kRows - 1) % 100);
  EXPECT_EQ(s->store.z[2 * kRows - 1], 2 * kRows);  // record numbers go on from the points held
  run("PLOT\n");
  EXPECT_EQ(take_err(), "");
  finish();
}

TEST_F(DataCommandsTest, TmdataFramesAndTheirLimit) {
  write("tm.dat", "abcdefghijklmnopqrstuvwx");
  run("QUIET\nTMDATA tm.dat 2 3.4\nLOAD\n");
  EXPECT_EQ(num("TM_ROWS"), 2);
  EXPECT_EQ(num("TM_COLS"), 3);
  EXPECT_EQ(s->store.npts, 4);
  EXPECT_EQ(std::string(s->frame.bytes.begin(), s->frame.bytes.begin() + 6), "stuvwx");
  take_err();
  run("TMDATA tm.dat 100 100\nLOAD\n");
  EXPECT_NE(take_err().find("TMDATA frame of 100 x 100 bytes does not fit the 8192-byte frame "
                            "buffer; nothing read.\n"),
            std::string::npos);
  EXPECT_EQ(s->store.npts, 0);
  // DATA ends TMDATA mode.
  write("d.txt", "7 8\n");
  run("DATA d.txt\nLOAD\n");
  EXPECT_EQ(xs(), (std::vector<double>{7}));
  finish();
}

TEST_F(DataCommandsTest, MergeInterpolatesTheLoadedCurve) {
  write("curve.txt", "3 9\n0 0\n1 1\n2 4\n4 16\n5 25\n");  // y = x^2, unsorted
  write("at.txt", "0.5 7\n2.5 7\n9 7\n");
  run("QUIET\nDATA curve.txt\nLOAD\nDATA at.txt\nMERGE 2\n");
  const std::string name = "data" + s->run.pid + ".tmp";
  EXPECT_EQ(chr("DATAFILE"), name);  // the queued DATA ran
  std::istringstream lines(file_text(name));
  double x, y, y_at;
  ASSERT_TRUE(lines >> x >> y >> y_at);
  EXPECT_EQ(x, 0.5);
  EXPECT_EQ(y, 7);
  EXPECT_DOUBLE_EQ(y_at, 0.25);
  ASSERT_TRUE(lines >> x >> y >> y_at);
  EXPECT_DOUBLE_EQ(y_at, 6.25);
  EXPECT_FALSE(lines >> x);  // 9 lies beyond the curve
  EXPECT_EQ(xs(), (std::vector<double>{0, 1, 2, 3, 4, 5}));

  run("VERBOSE\nDATA at.txt\nMERGE\n");
  EXPECT_NE(take_out().find("\r      2 points merged.      1 points skipped.\n"),
            std::string::npos);
  take_err();
  run("QUIET\nDATA\n1 1\n2 2\nENDDATA\nLOAD\nMERGE 2\n");
  EXPECT_EQ(take_err(), "Error: Insufficient points loaded to merge.\n");
  finish();
}

TEST_F(DataCommandsTest, InventQueuesItsReading) {
  run("QUIET\nINVENT 5 0 1\n");
  EXPECT_EQ(chr("DATAFILE"), "data" + s->run.pid + ".tmp");
  EXPECT_EQ(s->reader.xc, 1);
  EXPECT_EQ(s->reader.yc, 1);
  EXPECT_EQ(s->store.npts, 5);
  run("LOAD\n");
  EXPECT_EQ(xs(), (std::vector<double>{0, 0.25, 0.5, 0.75, 1}));
  EXPECT_EQ(ys(), xs());
  finish();
}

TEST_F(DataCommandsTest, BuildWritesTheCurrentRecord) {
  write("d.txt", "1 2.5 -3\n");
  run("MAXCOL 3\nDATA d.txt\nLOAD\nBUILD ECHO these words go\n");
  // ECHO prints its parameter text: 6 blanks, then the fields in free format.
  EXPECT_NE(take_out().find("\n      1.0000000000000000 2.5000000000000000 "
                            "-3.0000000000000000\n"),
            std::string::npos);
  finish();
}

TEST_F(DataCommandsTest, ClearQueuesAMathLine) {
  run("QUIET\nCLEAR WORK\n");
  std::vector<std::string> ran = commands_run();
  EXPECT_NE(std::find(ran.begin(), ran.end(), "MATH CLEAR WORK"), ran.end());
  finish();
}

TEST_F(DataCommandsTest, DumpDataListsEveryPoint) {
  write("d.txt", "1 -2\n1000 0.5\n");
  run("QUIET\nDATA d.txt\nLOAD\nDUMPDATA list.txt\n");
  EXPECT_EQ(file_text("list.txt"),
            "  0.100000000000E+01 -0.200000000000E+01  0.100000000000E+01  0.000000000000E+00\n"
            "  0.100000000000E+04  0.500000000000E+00  0.200000000000E+01  0.000000000000E+00\n");
  finish();
}

TEST_F(DataCommandsTest, UseAndClearw) {
  start();
  s->horizon.upper[7] = 12;
  run("QUIET\nUSE colour_plots\nNOUSE grid\nCLEARW\n");
  EXPECT_EQ(num("COLOUR_PLOTS"), 1);
  EXPECT_EQ(num("GRID"), 0);
  EXPECT_EQ(s->horizon.upper[7], -999999);
  EXPECT_EQ(s->horizon.lower[7], 999999);
  finish();
}

}  // namespace
}  // namespace vexal
