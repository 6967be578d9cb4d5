// The data commands as a user types them: naming files and inline data,
// LOAD and APPEND with the variables they set, the reader settings, the
// queued command files, MERGE, INVENT, BUILD and DUMPDATA.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <sstream>

#include "support/scratch_dir.h"

namespace vexal {
namespace {

// A "$P" file of `ncols` columns holding `values` record after record.
std::string doubles_file(int16_t ncols, const std::vector<double>& values) {
  std::string file("$P\r\n", 4);
  const int16_t counts[2] = {ncols, 0};
  file.append(reinterpret_cast<const char*>(counts), 4);
  file.resize(8 * static_cast<size_t>(ncols), '\0');
  for (double v : values) file.append(reinterpret_cast<const char*>(&v), 8);
  return file;
}

class DataCommandsTest : public ScratchDirTest {
 protected:
  std::vector<double> xs() const { return {s->store.x.begin(), s->store.x.end()}; }
  std::vector<double> ys() const { return {s->store.y.begin(), s->store.y.end()}; }
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
  EXPECT_EQ(s->store.npts(), 0);
  EXPECT_TRUE(s->store.x.empty());
  finish();
}

TEST_F(DataCommandsTest, MissingDataFile) {
  write("d.txt", "1 2\n");
  run("QUIET\nDATA d.txt\nDATA nothere.dat\n");
  EXPECT_EQ(take_err(), "Error--cannot open data file nothere.dat\n");
  EXPECT_EQ(num("HAVEDATAFILE"), 0);
  EXPECT_EQ(chr("DATAFILE"), "nothere.dat");
  // Said once: LOAD, the axes and the curve of PLOT add nothing.
  run("LOAD\nVERBOSE\nPLOT\nQUIET\n");
  EXPECT_EQ(take_err(), "");
  EXPECT_EQ(s->store.npts(), 0);
  // A file that goes away after DATA named it is reported when read.
  run("DATA d.txt\n");
  std::filesystem::remove("d.txt");
  run("LOAD\n");
  EXPECT_EQ(take_err(), "Error--cannot open data file d.txt\n");
  finish();
}

// A column asked for beyond the file's is named once per read, as the cause
// of what follows; a read that stored nothing for it adds no warnings of
// its own.
TEST_F(DataCommandsTest, AColumnBeyondTheFileIsNamed) {
  write("three.dat", "1 2 3\n2 3 4\n3 5 6\n");
  run("QUIET\nDATA three.dat\nYCOL 7\nLOAD\n");
  EXPECT_EQ(take_err(),
            "Warning--column 7 is beyond the 3 columns of the data file three.dat: it reads as 0.\n"
            "Warning--YMAX is equal to YMIN\nYMAX and MIN have been redefined\n");
  run("YCOL 2\nZCOL 4\nREADFAST\nLOAD\nDOAXES\n");
  EXPECT_EQ(take_err(),
            "Warning--column 4 is beyond the 3 columns of the data file three.dat: lines without "
            "it are skipped.\n");
  EXPECT_EQ(s->store.npts(), 0);
  finish();
}

// Directories, devices and FIFOs are refused by name, unread (a FIFO would
// block the open, a device may never end), by every command that reads the
// data file; the run goes on.
TEST_F(DataCommandsTest, OnlyRegularFilesAreRead) {
  write("d.txt", "1 1\n2 4\n3 9\n4 16\n5 25\n");
  std::filesystem::create_directory("folder");
  ASSERT_EQ(::mkfifo("pipe", 0600), 0);
  for (const std::string name : {"folder", "/dev/null", "pipe"}) {
    const std::string refused = "Error--not a regular file: " + name + "\n";
    run("QUIET\nDATA d.txt\nLOAD\nDATA " + name + "\n");
    EXPECT_EQ(take_err(), refused);
    EXPECT_EQ(num("HAVEDATAFILE"), 0);
    run("MERGE\n");
    EXPECT_EQ(take_err(), refused);
    run("PLOT\n");  // LOAD refuses it, as DATA said; the plot goes on with no points
    EXPECT_EQ(take_err(), "") << name;
    EXPECT_EQ(s->store.npts(), 0);
    run("DATA d.txt\nLOAD\n");
    EXPECT_EQ(num("NPTS"), 5);
    restart();
  }
  finish();
}

// NaN and infinite values reject their point as values out of range do:
// counted as skipped, never stored, summed or drawn. Long enough for the
// binary reader's block-at-a-time path.
TEST_F(DataCommandsTest, NonFiniteValuesRejectThePoint) {
  const double nan = std::nan(""), inf = HUGE_VAL;
  std::vector<double> values;
  std::string text;
  for (int i = 0; i < 300; ++i) {
    double x = i, y = i % 2 ? 3 : 1, z = i;
    if (i == 100) y = nan;
    if (i == 151) x = -inf;
    if (i == 200) z = nan;
    values.insert(values.end(), {x, y, z});
    char line[64];
    std::snprintf(line, sizeof line, "%g %g %g\n", x, y, z);
    text += line;
  }
  write("b.dat", doubles_file(3, values));
  write("t.txt", text);  // written by printf: "nan", "-inf"
  struct Case {
    const char* commands;
    int npts;
    double yaverage;
  };
  const double z_dropped = (148 * 1 + 149 * 3) / 297.0;  // and one Y of 1 with it
  const Case kCases[] = {
      {"DATA b.dat\nLOAD\n", 298, 2},
      {"DATA t.txt\nLOAD\n", 298, 2},
      {"DATA t.txt\nREADFAST\nLOAD\n", 298, 2},
      {"DATA b.dat\nZCOL 3\nLOAD\n", 297, z_dropped},
      {"DATA t.txt\nZCOL 3\nLOAD\n", 297, z_dropped},
  };
  for (const Case& c : kCases) {
    run(std::string("QUIET\n") + c.commands);
    EXPECT_EQ(num("NPTS"), c.npts) << c.commands;
    EXPECT_EQ(s->store.npts_skipped, 300 - c.npts) << c.commands;
    EXPECT_EQ(num("YAVERAGE"), c.yaverage) << c.commands;
    EXPECT_EQ(num("XMIN_DATA"), 0) << c.commands;
    run("PLOT\n");
    for (const std::string& line : new_ps_lines())
      EXPECT_EQ(line.find("2000000000"), std::string::npos) << c.commands << ": " << line;
    EXPECT_EQ(take_err(), "") << c.commands;
    restart();
  }
  finish();
}

// Reading stops at MAXP; when data remain, one warning says so and how to
// raise the limit (records PLOTEVERY steps over count as read).
TEST_F(DataCommandsTest, MaxpWarnsWhenDataRemainUnread) {
  write("five.txt", "1 1\n2 2\n3 3\n4 4\n5 5\n");
  std::vector<double> values;
  for (int i = 0; i < 1000; ++i) values.insert(values.end(), {i * 1.0, i * 2.0});
  write("long.dat", doubles_file(2, values));
  const std::string warning =
      "Warning--reading stopped at MAXP = 3 points; data remain unread (raise it with MAXP n).\n";
  struct Case {
    const char* commands;
    int npts;
    bool warned;
  };
  const Case kCases[] = {
      {"MAXP 3\nDATA five.txt\nLOAD\n", 3, true},
      {"MAXP 5\nDATA five.txt\nLOAD\n", 5, false},
      {"MAXP 3\nPLOTEVERY 2\nDATA five.txt\nLOAD\n", 3, false},
      {"MAXP 3\nDATA long.dat\nLOAD\n", 3, true},
      {"MAXP 1000\nDATA long.dat\nLOAD\n", 1000, false},
  };
  for (const Case& c : kCases) {
    run(std::string("QUIET\n") + c.commands);
    EXPECT_EQ(num("NPTS"), c.npts) << c.commands;
    EXPECT_EQ(take_err(), c.warned ? warning : "") << c.commands;
    restart();
  }
  finish();
}

// A scratch file name something else already has (a planted link, a file
// this run did not make) is never written through: the command says so and
// does nothing more. The run's own scratch files are replaced freely.
TEST_F(DataCommandsTest, ScratchFilesNeverWriteThroughWhatIsInTheWay) {
  write("target.txt", "precious\n");
  write("d.txt", "1 1 1\n2 4 2\n3 9 3\n4 16 4\n5 25 5\n");
  start();
  const std::string data = "data" + s->run.pid + ".tmp", error = "error" + s->run.pid + ".tmp";
  ASSERT_EQ(::symlink("target.txt", data.c_str()), 0);
  ASSERT_EQ(::symlink("target.txt", error.c_str()), 0);
  auto in_the_way = [](const std::string& name) {
    return "Error--will not overwrite " + name + ": it exists and was not made by this run\n";
  };
  run("QUIET\nDATA d.txt\nLOAD\nDATA\n7 8\nENDDATA\n");
  EXPECT_EQ(take_err(), in_the_way(data));
  EXPECT_EQ(chr("DATAFILE"), "d.txt");
  run("LOAD\nMERGE\n");
  EXPECT_EQ(take_err(), in_the_way(data));
  run("INVENT 4 0 1\n");
  EXPECT_EQ(take_err(), in_the_way(data));
  run("DATA d.txt\nYEBCL 3\nLOAD\n");
  EXPECT_EQ(take_err(), in_the_way(error));
  EXPECT_EQ(s->store.npts(), 0);
  EXPECT_EQ(file_text("target.txt"), "precious\n");
  // A plain file of the name is left alone as well.
  std::filesystem::remove(error);
  write(error, "not ours\n");
  run("LOAD\n");
  EXPECT_EQ(take_err(), in_the_way(error));
  EXPECT_EQ(file_text(error), "not ours\n");
  // Once the names are free the run makes, and then replaces, its own.
  std::filesystem::remove(data);
  std::filesystem::remove(error);
  run("NOYERR\nDATA\n7 8\nENDDATA\nDATA\n9 10\nENDDATA\nLOAD\n");
  EXPECT_EQ(take_err(), "");
  EXPECT_EQ(xs(), (std::vector<double>{9}));
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
  EXPECT_EQ(s->store.npts(), 4);
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
  s->axes[AxisId::Z].limits.min = 0;  // ZMIN 0, ZMAX 100
  s->axes[AxisId::Z].limits.max = 100;
  run("QUIET\nCOLORCOL 3\nSCALECOL\nDATA d.txt\nLOAD\n");
  EXPECT_EQ(s->store.colour.values(), (std::vector<int>{5, 10, 1}));
  s->axes[AxisId::Z].limits.min = s->axes[AxisId::Z].limits.max = 4;
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
  EXPECT_EQ(s->store.npts(), 2 * kRows);
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
  EXPECT_EQ(s->store.npts(), 4);
  EXPECT_EQ(std::string(s->frame.bytes.begin(), s->frame.bytes.begin() + 6), "stuvwx");
  take_err();
  run("TMDATA tm.dat 100 100\nLOAD\n");
  EXPECT_NE(take_err().find("TMDATA frame of 100 x 100 bytes does not fit the 8192-byte frame "
                            "buffer; nothing read.\n"),
            std::string::npos);
  EXPECT_EQ(s->store.npts(), 0);
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

// MERGE 1 interpolates linearly between the two stored points around each
// X (found by binary search), so a wrong neighbour shows on a cubic. As
// specified, the window starts at most m points before the last, so the
// last point never enters: X beyond the one before it is extrapolated.
TEST_F(DataCommandsTest, MergeFindsTheNeighboursOfEachX) {
  write("cubic.txt", "0 0\n1 1\n2 8\n3 27\n4 64\n5 125\n6 216\n");
  struct Case {
    double x, want;
  };
  constexpr Case kCases[] = {{0, 0},  {0.5, 0.5}, {1, 1},       {2.5, 17.5},
                             {3, 27}, {5, 125},   {5.5, 155.5}, {6, 186}};
  std::string at;
  for (const Case& c : kCases) at += std::to_string(c.x) + " 0\n";
  write("at.txt", at + "-1 0\n7 0\n");  // outside the curve: skipped
  run("QUIET\nDATA cubic.txt\nLOAD\nDATA at.txt\nMERGE 1\n");
  std::istringstream lines(file_text("data" + s->run.pid + ".tmp"));
  for (const Case& c : kCases) {
    double x, y, y_at;
    ASSERT_TRUE(lines >> x >> y >> y_at) << c.x;
    EXPECT_EQ(x, c.x);
    EXPECT_DOUBLE_EQ(y_at, c.want) << c.x;
  }
  double more;
  EXPECT_FALSE(lines >> more);
  finish();
}

TEST_F(DataCommandsTest, InventQueuesItsReading) {
  run("QUIET\nINVENT 5 0 1\n");
  EXPECT_EQ(chr("DATAFILE"), "data" + s->run.pid + ".tmp");
  EXPECT_EQ(s->reader.xc, 1);
  EXPECT_EQ(s->reader.yc, 1);
  EXPECT_EQ(s->store.npts(), 5);
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
