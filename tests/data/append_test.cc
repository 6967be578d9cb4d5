// The data-file reader driven directly with plain records: text, binary and
// frame layouts, positioning, the per-point checks and codes, bad input, and
// the limit rule and interpolation it feeds.
#include "data/append.h"

#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <fstream>
#include <limits>
#include <sstream>
#include <thread>
#include <vector>

#include "data/minmax.h"
#include "support/scratch_dir.h"

namespace vexal {
namespace {

// A "$P" (8-byte) or "$R" (4-byte) binary file: header record(s), comment
// records holding `comments`, then the values, record after record.
std::string binary_file(char kind, int ncols, int ncomments, const std::vector<double>& values,
                        const std::string& comments = "", bool swap = false) {
  const size_t width = kind == 'P' ? 8 : 4;
  const size_t reclen = width * static_cast<size_t>(std::max(ncols, 1));
  const size_t header = (kind == 'R' && ncols == 1) ? 8 : std::max<size_t>(reclen, 8);
  std::string out(header, '\0');
  out.replace(0, 4, std::string("$") + kind + "\r\n");
  uint16_t counts[2] = {static_cast<uint16_t>(ncols), static_cast<uint16_t>(ncomments)};
  if (swap)
    for (uint16_t& c : counts) c = __builtin_bswap16(c);
  std::memcpy(out.data() + 4, counts, 4);
  std::string text = comments;
  text.resize(static_cast<size_t>(std::max(ncomments, 0)) * reclen, ' ');
  out += text;
  for (double v : values) {
    char bytes[8];
    if (kind == 'P') {
      uint64_t bits;
      std::memcpy(&bits, &v, 8);
      if (swap) bits = __builtin_bswap64(bits);
      std::memcpy(bytes, &bits, 8);
    } else {
      float f = static_cast<float>(v);
      uint32_t bits;
      std::memcpy(&bits, &f, 4);
      if (swap) bits = __builtin_bswap32(bits);
      std::memcpy(bytes, &bits, 4);
    }
    out.append(bytes, width);
  }
  return out;
}

class AppendTest : public ScratchDirTest {
 protected:
  AppendResult read(const std::string& text) {
    write("data.txt", text);
    return read_file("data.txt");
  }
  AppendResult read_file(const std::string& name) {
    in.file = name;
    MathEnv env = math_env();
    AppendResult r = append(in, rs, math, env, frame, store);
    err_buf.flush();
    out_buf.flush();
    for (size_t size : {store.y.size(), store.z.size(), store.v.size(), store.symbol.size(),
                        store.pen.size(), store.colour.size()})
      EXPECT_EQ(size, store.x.size());
    return r;
  }
  MathEnv math_env() {
    MathEnv env{vars, err_buf, out_buf, point, stacks};
    env.frame = &frame;
    return env;
  }
  void add_math(const char* text) {
    MathEnv env = math_env();
    ASSERT_TRUE(add_math_command(math, text, env));
  }
  std::vector<double> xs() const { return {store.x.begin(), store.x.end()}; }
  std::vector<double> ys() const { return {store.y.begin(), store.y.end()}; }
  std::vector<int> pens() const { return store.pen.values(); }
  double var(const char* name) {
    bool error = false;
    OutBuffer sink;
    double v = getvariable(vars, name, &error, false, sink);
    EXPECT_FALSE(error) << name;
    return v;
  }

  Variables vars;
  std::string err_text, out_text;
  OutBuffer err_buf{&err_text}, out_buf{&out_text};
  CurrentPoint point;
  MathStacks stacks;
  TmFrame frame;
  PointStore store;
  ReaderSettings rs;
  MathList math;
  AppendInput in = [] {
    AppendInput quiet;
    quiet.verbose = false;
    return quiet;
  }();
};

TEST_F(AppendTest, TextLinesBecomeFields) {
  struct Case {
    const char* name;
    const char* text;
    std::vector<double> x, y, z;
  };
  const Case kCases[] = {
      {"star header drops two lines", "* title\nx y\n1 2\n3 4\n", {1, 3}, {2, 4}, {0, 0}},
      {"no header", "1 2\n3 4\n", {1, 3}, {2, 4}, {0, 0}},
      {"two tabs hold a zero", "1\t\t5\t7\n", {1}, {0}, {5}},
      {"commas and blanks", "1, 2 ,3\n", {1}, {2}, {3}},
      {"short line and words", "1\nword word word\n4 5 6\n", {1, 0, 4}, {0, 0, 5}, {0, 0, 6}},
      {"expressions, hex, times", "{2 3 +} 0x1F 12:30 GMT\n", {5}, {31}, {12.5}},
      {"d exponent and percent", "1.5d2 50%\n", {150}, {0.5}, {0}},
      {"NaN and infinity words reject the point",
       "nan 1 1\n1 +INF 1\n1 1 -Infinity\nnano info 6\n",
       {0},
       {0},
       {6}},
      {"CRLF and no final line end", "1 2\r\n3 4", {1, 3}, {2, 4}, {0, 0}},
  };
  // A file whose lines never reach column 3 says so, once.
  const std::vector<std::string> kTwoColumns = {"star header drops two lines", "no header",
                                                "d exponent and percent",
                                                "CRLF and no final line end"};
  rs.zc = 3;
  for (const Case& c : kCases) {
    store = PointStore{};
    err_text.clear();
    read(c.text);
    EXPECT_EQ(xs(), c.x) << c.name;
    EXPECT_EQ(ys(), c.y) << c.name;
    EXPECT_EQ(store.z.values(), c.z) << c.name;
    const bool two = std::find(kTwoColumns.begin(), kTwoColumns.end(), c.name) != kTwoColumns.end();
    EXPECT_EQ(err_text,
              two ? "Warning--column 3 is beyond the 2 columns of the data file data.txt: it "
                    "reads as 0.\n"
                  : "")
        << c.name;
  }
}

TEST_F(AppendTest, ColumnZeroIsTheRecordNumber) {
  rs.xc = 0;
  rs.yc = 1;
  rs.xrangemin = 2.5;  // rejects the first record: record numbers still count it
  read("10\n20\n30\n");
  EXPECT_EQ(xs(), (std::vector<double>{3}));
  EXPECT_EQ(ys(), (std::vector<double>{30}));
}

TEST_F(AppendTest, SeekSkipMaxpAndPlotevery) {
  std::string lines;
  for (int i = 1; i <= 30; ++i) lines += std::to_string(i) + " 0\n";
  rs.seek = "5 0";  // finds line 5 (not 15 or 25 first)
  rs.skip = 2;
  rs.maxpts = 3;
  read(lines);
  EXPECT_EQ(xs(), (std::vector<double>{8, 9, 10}));

  store = PointStore{};
  rs = ReaderSettings{};
  rs.plotevery = 3;
  read("1\n2\n3\n4\n5\n6\n7\n8\n9\n");
  EXPECT_EQ(xs(), (std::vector<double>{1, 4, 7}));
  EXPECT_EQ(store.npts_skipped, 6);

  store = PointStore{};
  rs = ReaderSettings{};
  rs.seek = "absent";
  read("1 2\n");
  EXPECT_EQ(store.npts(), 0);
}

TEST_F(AppendTest, ReadFastTakesNumbersOnly) {
  rs.read_fast = true;
  read("1 2\n3 x\n5 6\n7 8\n9\n11 12\n");
  // "3 x" fails and takes "5 6" with it; "9" lacks its second value and takes "11 12".
  EXPECT_EQ(xs(), (std::vector<double>{1, 7}));
  EXPECT_EQ(store.npts_skipped, 2);
  EXPECT_EQ(pens(), (std::vector<int>{2, 0}));
}

TEST_F(AppendTest, RejectedRecordsBreakTheLine) {
  rs.yrangemin = 0;
  rs.yrangemax = 10;
  in.lt = 3;
  read("1 1\n2 50\n3 3\n4 4\n");
  EXPECT_EQ(xs(), (std::vector<double>{1, 3, 4}));
  EXPECT_EQ(pens(), (std::vector<int>{3, 0, 3}));
  EXPECT_EQ(store.npts_skipped, 1);

  store = PointStore{};
  rs.force_pen_down = true;
  read("1 1\n2 50\n3 3\n");
  EXPECT_EQ(pens(), (std::vector<int>{3, 3}));
}

TEST_F(AppendTest, StepsBreakOrDropPoints) {
  rs.xdeltamin = 0;
  rs.xdeltamax = 5;
  read("0 0\n1 0\n10 0\n11 0\n5 0\n");
  EXPECT_EQ(xs(), (std::vector<double>{0, 1, 10, 11, 5}));
  EXPECT_EQ(pens(), (std::vector<int>{2, 2, 0, 2, 0}));

  store = PointStore{};
  rs.xdeltaskip = true;
  read("0 0\n1 0\n10 0\n11 0\n");
  // 10 is dropped (and becomes the previous X); 11 starts a new line.
  EXPECT_EQ(xs(), (std::vector<double>{0, 1, 11}));
  EXPECT_EQ(pens(), (std::vector<int>{2, 2, 0}));
}

TEST_F(AppendTest, MarkerPenAndColourColumns) {
  rs.sc = 3;
  rs.cc = 4;
  rs.wc = 5;
  in.ncolors = 11;
  read("1 1 7.9 3.6 0.01\n2 2 -2 40 0.02\n3 3 nan nan nan\n");
  EXPECT_EQ(store.symbol.values(), (std::vector<int>{7, -2, 0}));
  EXPECT_EQ(store.colour.values(), (std::vector<int>{4, 10, 0}));
  EXPECT_EQ(pens(), (std::vector<int>{3, 6, 0}));

  store = PointStore{};
  rs = ReaderSettings{};
  rs.pen = 3;
  rs.pen_thick_factor = 2;
  rs.pen_thick_add = 0.5;
  in.symbols_on = true;
  in.sn = 4;
  read("1 1 2.6\n");
  EXPECT_EQ(pens(), (std::vector<int>{5}));
  EXPECT_EQ(store.symbol[0], 4);
  EXPECT_EQ(store.colour[0], -1);
}

TEST_F(AppendTest, MathCommandsRunOnEveryPoint) {
  add_math("Y = {Y 2 *}");
  add_math("X = {X 2 3 INC}");  // rejects X outside 2 .. 3
  read("1 1\n2 2\n3 3\n4 4\n");
  EXPECT_EQ(xs(), (std::vector<double>{2, 3}));
  EXPECT_EQ(ys(), (std::vector<double>{4, 6}));
  EXPECT_EQ(pens(), (std::vector<int>{0, 2}));
  EXPECT_EQ(store.npts_skipped, 2);
}

TEST_F(AppendTest, RangesWaitForTheMathOnItsAxis) {
  add_math("X = {X 10 *}");
  rs.xrangemin = 15;
  rs.xrangemax = 35;
  in.negate = {true, true};
  read("1 1\n2 2\n3 3\n");
  EXPECT_EQ(xs(), (std::vector<double>{}));  // negated after the math: all below 15
  store = PointStore{};
  in.negate.x = false;
  read("1 1\n2 2\n3 3\n");
  EXPECT_EQ(xs(), (std::vector<double>{20, 30}));
  EXPECT_EQ(ys(), (std::vector<double>{-2, -3}));
}

TEST_F(AppendTest, TooManyPoints) {
  rs.np = 3;
  rs.yc = 0;  // the record number: the file has one column
  read("1\n2\n3\n4\n5\n");
  EXPECT_EQ(xs(), (std::vector<double>{1, 2, 3}));
  EXPECT_EQ(err_text,
            "There are too many points in this data file.\n"
            "Increase \"NP\" and recompile vexal.\n");
}

TEST_F(AppendTest, AppendsAfterThePointsHeld) {
  read("1 1\n2 2\n");
  rs.xdeltamax = 5;
  read("20 3\n");
  EXPECT_EQ(xs(), (std::vector<double>{1, 2, 20}));
  EXPECT_EQ(pens(), (std::vector<int>{2, 2, 0}));  // the step from the last point held
}

TEST_F(AppendTest, ProgressEvery250Points) {
  in.verbose = true;
  std::string lines;
  for (int i = 0; i < 520; ++i) lines += "1 1\n";
  for (int i = 0; i < 260; ++i) lines += "1 9\n";
  read(lines);
  EXPECT_EQ(out_text,
            "    250 points read.      0 points skipped.\r"
            "    500 points read.      0 points skipped.\r"
            "    750 points read.      0 points skipped.\r"
            "    780 points read.      0 points skipped.\n");
  out_text.clear();
  store = PointStore{};
  rs.yrangemax = 5;  // the last 260 records are rejected
  read(lines);
  EXPECT_EQ(out_text,
            "    250 points read.      0 points skipped.\r"
            "    500 points read.      0 points skipped.\r"
            "    520 points read.    250 points skipped.\r"
            "    520 points read.    260 points skipped.\n");
}

TEST_F(AppendTest, DisplayListsEachPoint) {
  in.verbose = true;
  rs.display_data = true;
  read("1 -2.5\n");
  EXPECT_EQ(out_text, "     1  0.10000000E+01 -0.25000000E+01  0.10000000E+01\n");
}

TEST_F(AppendTest, ErrorBarFile) {
  in.run_id = "00000042";
  rs.yebcl = 3;
  rs.yebch = 4;
  rs.ebskip = 2;
  AppendResult r = read("1 10 9 11\n2 20 19 21\n3 30 29 31\n4 40 39 41\n");
  EXPECT_EQ(r.errorbar_file, "error00000042.tmp");
  std::ifstream f("error00000042.tmp");
  std::stringstream text;
  text << f.rdbuf();
  EXPECT_EQ(text.str(),
            "ERRORBAR   0.2000000000E+01  0.2000000000E+02  0.0000000000E+00  0.0000000000E+00"
            "  0.1900000000E+02  0.2100000000E+02\n"
            "ERRORBAR   0.4000000000E+01  0.4000000000E+02  0.0000000000E+00  0.0000000000E+00"
            "  0.3900000000E+02  0.4100000000E+02\n");
  rs = ReaderSettings{};
  EXPECT_EQ(read("1 1\n").errorbar_file, "");
}

TEST_F(AppendTest, BinaryColumns) {
  struct Case {
    const char* name;
    char kind;
    int ncols;
    bool swap;
  };
  constexpr Case kCases[] = {
      {"double, 2 columns", 'P', 2, false}, {"single, 2 columns", 'R', 2, false},
      {"double, 3 columns", 'P', 3, false}, {"swapped double", 'P', 2, true},
      {"swapped single", 'R', 3, true},
  };
  for (const Case& c : kCases) {
    std::vector<double> values;
    for (int rec = 1; rec <= 4; ++rec)
      for (int col = 1; col <= c.ncols; ++col) values.push_back(rec * 10 + col);
    write("b.dat", binary_file(c.kind, c.ncols, 0, values, "", c.swap));
    store = PointStore{};
    rs.swap_binary = c.swap;
    read_file("b.dat");
    EXPECT_EQ(xs(), (std::vector<double>{11, 21, 31, 41})) << c.name;
    EXPECT_EQ(ys(), (std::vector<double>{12, 22, 32, 42})) << c.name;
    EXPECT_EQ(var("BINARYCOLUMNS"), c.ncols) << c.name;
  }
  EXPECT_EQ(err_text, "");
}

TEST_F(AppendTest, SingleColumnSinglePrecisionStartsAtByte8) {
  rs.xc = 0;
  rs.yc = 1;
  write("r.dat", binary_file('R', 1, 0, {5, 6, 7}));
  read_file("r.dat");
  EXPECT_EQ(xs(), (std::vector<double>{1, 2, 3}));
  EXPECT_EQ(ys(), (std::vector<double>{5, 6, 7}));
  // Record 1 is the 4-byte marker "$R\r\n" read as a single.
  float marker;
  std::memcpy(&marker, "$R\r\n", 4);
  EXPECT_EQ(var("BINARYHEADER01"), static_cast<double>(marker));
}

TEST_F(AppendTest, BinaryColumnCountOutOfRange) {
  for (int n : {0, 51, -1}) {
    write("b.dat", binary_file('P', n, 0, {1, 2, 3, 4}));
    err_text.clear();
    store = PointStore{};
    AppendResult r = read_file("b.dat");
    EXPECT_TRUE(r.opened);
    EXPECT_EQ(store.npts(), 0) << n;
    EXPECT_EQ(err_text, "Binary data error: Less than one or more than 50 columns of data.\n") << n;
  }
}

TEST_F(AppendTest, TruncatedBinaryKeepsWholeRecords) {
  std::string file = binary_file('P', 2, 0, {1, 2, 3, 4, 5});  // half a third record
  for (size_t cut : {file.size(), file.size() - 3, size_t{12}, size_t{6}, size_t{2}}) {
    write("b.dat", file.substr(0, cut));
    store = PointStore{};
    read_file("b.dat");
    EXPECT_EQ(store.npts(), cut >= 48 ? 2 : 0) << cut;
  }
}

TEST_F(AppendTest, BinaryNonFiniteValues) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  rs.sc = 3;
  rs.cc = 3;
  rs.wc = 3;
  rs.pen = 3;
  // A NaN or infinite X or Y rejects the point; in a code column it is clamped.
  write("b.dat",
        binary_file('P', 3, 0,
                    {nan, 1, nan, 1, 2, inf, 2, 3, -inf, inf, 4, 0, 5, -inf, 0, 6, nan, 0}));
  read_file("b.dat");
  EXPECT_EQ(xs(), (std::vector<double>{1, 2}));
  EXPECT_EQ(store.npts_skipped, 4);
  EXPECT_EQ(store.colour.values(), (std::vector<int>{10, 0}));
  EXPECT_EQ(store.symbol.values(), (std::vector<int>{INT32_MAX, INT32_MIN}));
}

TEST_F(AppendTest, CommentRecordsAndTheCompatibilityRule) {
  const std::string comments = "XMIN 0\r\nECHO a;b\r\nrest";
  struct Case {
    char kind;
    int level;
    bool allow;
    std::vector<std::string> commands;
    std::vector<double> x;
  };
  const std::vector<std::string> kQueued = {"XMIN 0;", "ECHO a;", "b;"};
  const Case kCases[] = {
      {'P', 740000, true, kQueued, {1, 3}},
      {'P', 751654, true, {}, {1, 3}},
      {'P', 740000, false, kQueued, {1, 3}},  // "$P" always reads its comments
      {'R', 740000, true, kQueued, {1, 3}},
      {'R', 740000, false, {}, {}},  // the comment text read as data (first one a record)
  };
  for (const Case& c : kCases) {
    const int reclen = c.kind == 'P' ? 16 : 8;
    const int ncomments = (static_cast<int>(comments.size()) + reclen - 1) / reclen;
    write("c.dat", binary_file(c.kind, 2, ncomments, {1, 2, 3, 4}, comments));
    store = PointStore{};
    in.compat_level = c.level;
    in.allow_commands_in_data = c.allow;
    AppendResult r = read_file("c.dat");
    EXPECT_EQ(r.commands, c.commands) << c.kind << c.level << c.allow;
    if (c.kind == 'R' && !c.allow)
      EXPECT_EQ(store.npts(), ncomments + 2);
    else
      EXPECT_EQ(xs(), c.x) << c.kind << c.level << c.allow;
  }
}

TEST_F(AppendTest, BinarySkipAndPlotevery) {
  std::vector<double> values;
  for (int i = 1; i <= 10; ++i) values.insert(values.end(), {double(i), 0.0});
  write("b.dat", binary_file('P', 2, 0, values));
  rs.skip = 2;
  rs.plotevery = 3;
  read_file("b.dat");
  EXPECT_EQ(xs(), (std::vector<double>{3, 6, 9}));
  EXPECT_EQ(store.npts_skipped, 5);
}

TEST_F(AppendTest, FramesFeedTheMathCommands) {
  std::string bytes;
  for (int f = 0; f < 3; ++f)
    for (int b = 0; b < 6; ++b) bytes += static_cast<char>(f * 10 + b);
  write("tm.dat", bytes + "xx");  // a short last frame is not read
  rs.tmdata = true;
  frame.rows = 2;
  frame.cols = 3;
  add_math("X = {2 1 TM}");  // row 2, column 1: byte 4 of the frame
  read_file("tm.dat");
  EXPECT_EQ(xs(), (std::vector<double>{3, 13, 23}));

  for (auto [rows, cols] : {std::pair{100, 100}, {0, 5}, {8193, 1}}) {
    frame.rows = rows;
    frame.cols = cols;
    err_text.clear();
    store = PointStore{};
    read_file("tm.dat");
    EXPECT_EQ(store.npts(), 0);
    EXPECT_EQ(err_text, "TMDATA frame of " + std::to_string(rows) + " x " + std::to_string(cols) +
                            " bytes does not fit the 8192-byte frame buffer; nothing read.\n");
  }
}

TEST(ExponentField, ListOutputLayout) {
  struct Case {
    double v;
    int width, digits;
    const char* want;
  };
  constexpr Case kCases[] = {
      {-2.5, 16, 8, " -0.25000000E+01"},
      {0, 19, 12, " 0.000000000000E+00"},
      {9.99999999999, 16, 8, "  0.10000000E+02"},
      {1e-300, 18, 10, "  0.1000000000-299"},
      {-1, 5, 3, "*****"},
  };
  char buf[40];
  for (const Case& c : kCases) EXPECT_EQ(exponent_field(c.v, c.width, c.digits, buf), c.want);
}

TEST(Minmax, LimitRule) {
  struct Case {
    const char* name;
    std::vector<double> values;
    double min, max;  // limits before: unset or fixed
    bool border, log;
    double want_min, want_max, want_minu, want_maxu;
    bool warned;
  };
  const double u = kUnsetLimit, half = static_cast<double>(0.1f) * 0.5, lo = -3 * half;
  const Case kCases[] = {
      {"border", {0, 100, 50}, u, u, true, false, 0, 100, -100 * half, 100 + 100 * half, false},
      {"no border", {3, -1}, u, u, false, false, -1, 3, -1, 3, false},
      {"fixed limits kept", {3, -1}, 0, 10, false, false, 0, 10, 0, 10, false},
      {"one fixed", {3, -1}, 2, u, false, false, 2, 3, 2, 3, false},
      {"log", {1, 1000}, u, u, true, true, 1, 1000, std::pow(10, lo), std::pow(10, 3 - lo), false},
      {"equal values", {5, 5}, u, u, true, false, 5, 5, 4.5, 5.5, true},
      {"no values stay unset", {}, u, u, false, false, u, u, u - 0.5, u + 0.5, true},
  };
  for (const Case& c : kCases) {
    std::string messages;
    OutBuffer err(&messages);
    AxisLimits a{c.min, c.max, 0, 0, c.border, c.log};
    minmax(c.values, a, 'X', err);
    err.flush();
    EXPECT_EQ(a.min, c.want_min) << c.name;
    EXPECT_EQ(a.max, c.want_max) << c.name;
    EXPECT_DOUBLE_EQ(a.minu, c.want_minu) << c.name;
    EXPECT_DOUBLE_EQ(a.maxu, c.want_maxu) << c.name;
    EXPECT_EQ(messages,
              c.warned ? "Warning--XMAX is equal to XMIN\nXMAX and MIN have been redefined\n" : "")
        << c.name;
  }
}

}  // namespace
}  // namespace vexal

namespace vexal {
namespace {

// Binary records that need no per-point work take a faster path than text
// lines. The same values with the same settings must give the same store,
// counts, messages, current record and sums whichever way they come in.
class PlainBinaryTest : public AppendTest {
 protected:
  // Values as bits, so that NaN compares equal to itself.
  static std::vector<uint64_t> bits(const std::vector<double>& values) {
    std::vector<uint64_t> out;
    for (double d : values) out.push_back(std::bit_cast<uint64_t>(d));
    return out;
  }
  struct Read {
    std::vector<uint64_t> x, y, z, v;
    std::vector<int32_t> symbol, pen, colour;
    int npts = 0, skipped = 0;
    std::string err, out;
    std::vector<uint64_t> current;  // C0 .. C2
    std::vector<uint64_t> sums;     // X and Y: sum, smallest, largest
    size_t count = 0;
    bool operator==(const Read&) const = default;
  };

  Read load(const std::string& file, int keep_first) {
    store = PointStore{};
    if (keep_first > 0) {  // APPEND after points already held
      for (int i = 0; i < keep_first; ++i) {
        store.x.push_back(-i);
        store.y.push_back(i);
        store.z.push_back(0);
        store.v.push_back(0);
        store.symbol.push_back(-1);
        store.pen.push_back(2);
        store.colour.push_back(-1);
      }
    }
    err_text.clear();
    out_text.clear();
    AppendResult r = read_file(file);
    Read got;
    got.x = bits(xs());
    got.y = bits(ys());
    got.z = bits(store.z.values());
    got.v = bits(store.v.values());
    got.symbol = store.symbol.values();
    got.pen = store.pen.values();
    got.colour = store.colour.values();
    got.npts = store.npts();
    got.skipped = store.npts_skipped;
    got.err = err_text;
    got.out = out_text;
    got.current = bits({point.fields[0], point.fields[1], point.fields[2]});
    got.sums = bits({r.x_summary.total(), r.x_summary.smallest(), r.x_summary.largest(),
                     r.y_summary.total(), r.y_summary.smallest(), r.y_summary.largest()});
    got.count = r.x_summary.count;
    return got;
  }
};

TEST_F(PlainBinaryTest, SameStoreAsTheTextPath) {
  // Three columns; enough records to cross the reader's blocks and runs.
  const int kRows = 9000;
  std::vector<double> values;
  for (int i = 0; i < kRows; ++i) {
    double x = i * 0.5, y = std::sin(i * 0.01) * 100, z = (i % 7) - 3;
    if (i == 5000) x = 0;  // a zero for the logarithm and a step back
    if (i == 7001) y = 1e6;
    values.insert(values.end(), {x, y, z});
  }
  struct Case {
    const char* name;
    void (*set)(ReaderSettings&, AppendInput&);
    char kind = 'P';
    int keep_first = 0;
  };
  const Case kCases[] = {
      {"defaults", [](ReaderSettings&, AppendInput&) {}},
      {"single precision", [](ReaderSettings&, AppendInput&) {}, 'R'},
      {"after points held", [](ReaderSettings&, AppendInput&) {}, 'P', 3},
      {"X range rejects", [](ReaderSettings& rs, AppendInput&) { rs.xrangemin = 1000; }},
      {"Y range rejects", [](ReaderSettings& rs, AppendInput&) { rs.yrangemax = 50; }},
      {"Z from a column, ranged",
       [](ReaderSettings& rs, AppendInput&) {
         rs.zc = 3;
         rs.zrangemin = -2;
       }},
      {"record numbers ranged", [](ReaderSettings& rs, AppendInput&) { rs.zrangemax = 4321; }},
      {"negation and ranges",
       [](ReaderSettings& rs, AppendInput& in) {
         in.negate = {true, true};
         rs.xrangemin = -3000;
         rs.xrangemax = 2000;
       }},
      {"logarithmic axes", [](ReaderSettings&, AppendInput& in) { in.xlog = in.ylog = true; }},
      {"step limits break the line",
       [](ReaderSettings& rs, AppendInput&) {
         rs.xdeltamax = 0.75;
         rs.ydeltamin = -10;
       }},
      {"step limits drop points",
       [](ReaderSettings& rs, AppendInput&) {
         rs.xdeltamax = 0.75;
         rs.xdeltaskip = true;
       }},
      {"maxp mid-file", [](ReaderSettings& rs, AppendInput&) { rs.maxpts = 4097; }},
      {"too many points", [](ReaderSettings& rs, AppendInput&) { rs.np = 6000; }},
      {"markers on, thick lines",
       [](ReaderSettings&, AppendInput& in) {
         in.symbols_on = true;
         in.sn = 4;
         in.lt = 7;
       }},
      {"progress lines",
       [](ReaderSettings& rs, AppendInput& in) {
         in.verbose = true;
         rs.xrangemax = 4000;
       }},
      {"columns swapped", [](ReaderSettings& rs, AppendInput&) { rs.xc = 3, rs.yc = 1; }},
  };
  for (const Case& c : kCases) {
    rs = ReaderSettings{};
    rs.maxpts = kMaxPoints;
    in = AppendInput{};
    in.verbose = false;
    c.set(rs, in);
    std::vector<double> shown = values;
    if (c.kind == 'R')
      for (double& v : shown) v = static_cast<float>(v);
    std::string text;
    char buf[128];
    for (size_t i = 0; i < shown.size(); i += 3) {
      std::snprintf(buf, sizeof buf, "%.17g %.17g %.17g\n", shown[i], shown[i + 1], shown[i + 2]);
      text += buf;
    }
    write("plain.txt", text);
    write("plain.dat", binary_file(c.kind, 3, 0, values));
    const Read from_text = load("plain.txt", c.keep_first);
    const Read from_binary = load("plain.dat", c.keep_first);
    EXPECT_GT(from_binary.npts, c.keep_first) << c.name;
    EXPECT_TRUE(from_text == from_binary)
        << c.name << ": " << from_text.npts << " points, " << from_text.skipped
        << " skipped as text; " << from_binary.npts << ", " << from_binary.skipped << " as binary\n"
        << from_text.err << "--\n"
        << from_binary.err;
    // Non-finite values (text would read them as words): against the full
    // path, which a math command that changes nothing selects.
    std::vector<double> odd = values;
    odd[3 * 8100] = std::nan("");
    odd[3 * 8200 + 1] = -HUGE_VAL;
    odd[3 * 8300] = HUGE_VAL;
    odd[3 * 8400 + 2] = std::nan("");  // read only as Z
    write("odd.dat", binary_file(c.kind, 3, 0, odd));
    const Read plain = load("odd.dat", c.keep_first);
    add_math("Z = {Z}");
    const Read full = load("odd.dat", c.keep_first);
    math = MathList{};
    for (const Read* r : {&plain, &full})
      for (const std::vector<uint64_t>* column : {&r->x, &r->y, &r->z})
        EXPECT_TRUE(std::all_of(column->begin(), column->end(), [](uint64_t b) {
          return std::isfinite(std::bit_cast<double>(b));
        })) << c.name;
    EXPECT_TRUE(plain == full) << c.name << ": " << full.npts << " points, " << full.skipped
                               << " skipped by the full path; " << plain.npts << ", "
                               << plain.skipped << " by the plain one";
  }
}

// Another program cutting the file short while it is read: reading ends
// where the file now ends (or where the reader stood), the points read so
// far are kept, and nothing else happens. Where the cut falls against the
// reader differs from round to round.
TEST_F(PlainBinaryTest, FileCutShortWhileRead) {
  const int kRows = 1 << 20;
  std::vector<double> values;
  values.reserve(2 * kRows);
  for (int i = 0; i < kRows; ++i) values.insert(values.end(), {i * 1.0, -i * 1.0});
  const std::string file = binary_file('P', 2, 0, values);
  const off_t cut = static_cast<off_t>(16 + 16 * (kRows / 4) + 5);  // mid-record
  rs.maxpts = kMaxPoints;
  for (int round = 0; round < 4; ++round) {
    write("cut.dat", file);
    store = PointStore{};
    std::thread cutter([&] { ASSERT_EQ(::truncate("cut.dat", cut), 0); });
    read_file("cut.dat");
    cutter.join();
    ASSERT_GE(store.npts(), kRows / 4) << round;
    ASSERT_LE(store.npts(), kRows) << round;
    for (int i = 0; i < store.npts(); ++i) {
      ASSERT_EQ(store.x[i], i) << round;
      ASSERT_EQ(store.y[i], -i) << round;
    }
  }
}

TEST_F(PlainBinaryTest, DefaultCodesHoldNoMemory) {
  std::vector<double> values;
  for (int i = 0; i < 5000; ++i) values.insert(values.end(), {i * 1.0, i * 2.0});
  write("big.dat", binary_file('P', 2, 0, values));
  read_file("big.dat");
  ASSERT_EQ(store.npts(), 5000);
  for (bool implicit : {store.z.implicit(), store.v.implicit(), store.symbol.implicit(),
                        store.pen.implicit(), store.colour.implicit()})
    EXPECT_TRUE(implicit);
  EXPECT_EQ(store.z[4999], 5000);  // the record number
  EXPECT_EQ(store.pen[0], 2);
}

}  // namespace
}  // namespace vexal
