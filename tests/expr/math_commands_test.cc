// The MATH, DUMPMATH, DOMATH, DUMPCOMPILE and TESTCOMPILE commands as a
// user types them: variables set at once, commands stored and compiled,
// points transformed and dropped, and the listings.
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/scratch_dir.h"

namespace vexal {
namespace {

struct Pt {
  double x, y, z, v;
  int symbol, pen, colour;
  bool operator==(const Pt&) const = default;
};

std::ostream& operator<<(std::ostream& o, const Pt& p) {
  return o << "(" << p.x << " " << p.y << " " << p.z << " " << p.v << " " << p.symbol << " "
           << p.pen << " " << p.colour << ")";
}

class MathCommandsTest : public ScratchDirTest {
 protected:
  // Puts points into the store directly, as a reader would.
  void fill(const std::vector<Pt>& pts) {
    if (!s) start();
    PointStore& st = s->store;
    st = PointStore{};
    for (const Pt& p : pts) {
      st.x.push_back(p.x);
      st.y.push_back(p.y);
      st.z.push_back(p.z);
      st.v.push_back(p.v);
      st.symbol.push_back(p.symbol);
      st.pen.push_back(p.pen);
      st.colour.push_back(p.colour);
    }
  }
  // The points held, checking that every column has npts entries.
  std::vector<Pt> points() {
    const PointStore& st = s->store;
    size_t n = static_cast<size_t>(st.npts());
    for (size_t size : {st.x.size(), st.y.size(), st.z.size(), st.v.size(), st.symbol.size(),
                        st.pen.size(), st.colour.size()})
      EXPECT_EQ(size, n);
    std::vector<Pt> pts;
    for (size_t i = 0; i < n; ++i)
      pts.push_back({st.x[i], st.y[i], st.z[i], st.v[i], st.symbol[i], st.pen[i], st.colour[i]});
    return pts;
  }
  static std::vector<Pt> ramp(const std::vector<double>& ys) {
    std::vector<Pt> pts;
    int i = 0;
    for (double y : ys) {
      ++i;
      pts.push_back({double(i), y, 10.0 * i, -1.0 * i, i, 2 * i, 3 * i});
    }
    return pts;
  }
  static std::string read(const std::string& name) {
    std::ifstream in(name);
    std::stringstream t;
    t << in.rdbuf();
    return t.str();
  }
};

TEST_F(MathCommandsTest, DollarTargetsSetVariablesAtOnce) {
  run("MATH $A = ADD(1, 2)\n");
  EXPECT_EQ(num("A"), 3);
  run("$a=5\n");
  EXPECT_EQ(num("A"), 5);
  run("math $b = {$a 2 *}\nMATH $C = MUL($B, C0)\n");
  EXPECT_EQ(num("B"), 10);
  EXPECT_EQ(num("C"), 0);
  run("MATH $D = LOG(-1)\n");
  EXPECT_EQ(take_err(), "Invalid math: LOG OF NEGATIVE NUMBER\n");
  EXPECT_EQ(num("D"), 0);
  // Nothing was stored for the points.
  EXPECT_TRUE(s->math_list.commands.empty());
  finish();
}

TEST_F(MathCommandsTest, CommandsAreStoredUpperCasedAndListed) {
  run("MATH   x = {x 2 *}\nY=LOG(Y)\nC3 = {C1 C2 +}\nMATH Q = 5\nDUMPMATH\n");
  EXPECT_EQ(take_out(), "X = {X 2 *}\nY=LOG(Y)\nC3 = {C1 C2 +}\nQ = 5\n");
  EXPECT_TRUE(s->math_list.any_xmath);
  EXPECT_TRUE(s->math_list.any_ymath);
  run("DUMPCOMPILE\n");
  EXPECT_EQ(take_out(),
            "X = {X 2 *}\n"
            " 0.0000000000000000            7\n"
            " 2.0000000000000000            1\n"
            " 0.0000000000000000            5\n"
            " 0.0000000000000000           12\n"
            "Y=LOG(Y) did not compile.\n"
            "C3 = {C1 C2 +}\n"
            " 1.0000000000000000           11\n"
            " 2.0000000000000000           11\n"
            " 0.0000000000000000            3\n"
            " 3.0000000000000000           16\n"
            "Q = 5 did not compile.\n");
  run("DUMPMATH math.lis\nDUMPCOMPILE comp.lis\n");
  EXPECT_EQ(take_out(), "");
  EXPECT_EQ(read("math.lis"), "X = {X 2 *}\nY=LOG(Y)\nC3 = {C1 C2 +}\nQ = 5\n");
  EXPECT_EQ(read("comp.lis").substr(0, 12), "X = {X 2 *}\n");
  run("DUMPMATH no/such/dir/x.lis\n");
  EXPECT_EQ(take_err(), "Cannot open no/such/dir/x.lis\n");
  run("MATH\n");
  EXPECT_EQ(take_err(), " A parameter was missing or invalid: MATH\n");
  finish();
}

TEST_F(MathCommandsTest, ClearForms) {
  const char* kCommands =
      "MATH CLEAR\nX = {X 1 +}\nY = {Y 1 +}\nMATH V = {V 1 +}\nMATH Z = {Z 1 +}\n"
      "X = {X 2 +}\n";
  struct Case {
    const char* clear;
    const char* left;
    bool xmath, ymath;
  };
  const Case kCases[] = {
      {"MATH CLEAR Y", "X = {X 1 +}\nV = {V 1 +}\nZ = {Z 1 +}\nX = {X 2 +}\n", true, false},
      {"math clear x", "Y = {Y 1 +}\nV = {V 1 +}\nZ = {Z 1 +}\n", false, true},
      {"MATH CLEAR V", "X = {X 1 +}\nY = {Y 1 +}\nZ = {Z 1 +}\nX = {X 2 +}\n", true, true},
      {"MATH CLEAR Z", "X = {X 1 +}\nY = {Y 1 +}\nV = {V 1 +}\nX = {X 2 +}\n", true, true},
      {"MATH CLEAR LAST", "X = {X 1 +}\nY = {Y 1 +}\nV = {V 1 +}\nZ = {Z 1 +}\n", true, true},
      {"MATH CLEAR WORK", "X = {X 1 +}\nY = {Y 1 +}\nV = {V 1 +}\nZ = {Z 1 +}\nX = {X 2 +}\n", true,
       true},
      {"MATH CLEAR ALL", "", false, false},
  };
  for (const Case& c : kCases) {
    run(kCommands);
    run(std::string(c.clear) + "\nDUMPMATH\n");
    EXPECT_EQ(take_out(), c.left) << c.clear;
    EXPECT_EQ(s->math_list.any_xmath, c.xmath) << c.clear;
    EXPECT_EQ(s->math_list.any_ymath, c.ymath) << c.clear;
  }
  // The commands that stay keep working, compiled, after the others moved out.
  run(kCommands);
  run("MATH CLEAR Y\n");
  fill(ramp({5, 6}));
  run("DOMATH\n");
  EXPECT_EQ(points(), (std::vector<Pt>{{4, 5, 11, 0, 1, 2, 3}, {5, 6, 21, -1, 2, 4, 6}}));
  // CLEAR WORK empties the hidden-line horizon, as CLEARW.
  s->horizon.upper[7] = 12;
  run("MATH CLEAR WORK\n");
  EXPECT_EQ(s->horizon.upper[7], kHorizonEmptyUpper);
  // CLEAR LAST on an empty list is harmless.
  run("MATH CLEAR\nMATH CLEAR LAST\nDUMPMATH\n");
  EXPECT_EQ(take_out(), "      2 points munged.      0 points skipped.\n");
  EXPECT_EQ(take_err(), "");
  finish();
}

TEST_F(MathCommandsTest, DomathDropsThePointsThatFail) {
  fill(ramp({2, 0, 4, 0, -8}));
  run("MATH Y = {1 Y /}\nDOMATH\n");
  EXPECT_EQ(take_out(), "      3 points munged.      2 points skipped.\n");
  EXPECT_EQ(take_err(), "Error: Division by zero\nError: Division by zero\n");
  // The survivors move up with their own symbol, pen and colour codes.
  EXPECT_EQ(points(), (std::vector<Pt>{{1, 0.5, 10, -1, 1, 2, 3},
                                       {3, 0.25, 30, -3, 3, 6, 9},
                                       {5, -0.125, 50, -5, 5, 10, 15}}));
  EXPECT_EQ(num("NPTS"), 3);
  finish();
}

TEST_F(MathCommandsTest, DomathWithInterpretedCommands) {
  struct Case {
    const char* command;
    std::vector<double> ys;
    std::vector<double> kept_ys;
    std::string messages;
  };
  const Case kCases[] = {
      {"Y = LOG(Y)",
       {100, -1, 0, 10},
       {2, 1},
       "Invalid math: LOG OF NEGATIVE NUMBER\nInvalid math: LOG OF NEGATIVE NUMBER\n"},
      {"Y = INC(0, 10)", {-1, 0, 5, 10, 11}, {0, 5, 10}, ""},
      {"Y = EXC(0, 10)", {-1, 0, 5, 10, 11}, {-1, 11}, ""},
      {"Y = ARCSIN(Y)", {1, 0}, {1.5707963267948966, 0}, ""},
      {"Q = 5", {1, 2, 3}, {1, 2, 3}, ""},
      {"Q = {5}", {1, 2, 3}, {1, 2, 3}, ""},
      {"C3 = {Y 2 *}", {1, 2, 3}, {1, 2, 3}, ""},
      // Interpreted from its text (it holds TIME) and still drops the same points.
      {"Y = {Y 0 > ? Y : SKIP ) TIME POP}", {1, -1, 0, 2}, {1, 2}, ""},
      {"Y = {Y 0 > ? Y : SKIP )}", {1, -1, 0, 2}, {1, 2}, ""},
  };
  for (const Case& c : kCases) {
    fill(ramp(c.ys));
    run(std::string("MATH CLEAR\nQUIET\nMATH ") + c.command + "\nDOMATH\nVERBOSE\n");
    std::vector<double> ys;
    for (const Pt& p : points()) ys.push_back(p.y);
    EXPECT_EQ(ys.size(), c.kept_ys.size()) << c.command;
    for (size_t i = 0; i < std::min(ys.size(), c.kept_ys.size()); ++i)
      EXPECT_NEAR(ys[i], c.kept_ys[i], 1e-15) << c.command;
    EXPECT_EQ(num("NPTS"), double(c.kept_ys.size())) << c.command;
    EXPECT_EQ(take_err(), c.messages) << c.command;
  }
  EXPECT_EQ(take_out(), "");
  finish();
}

TEST_F(MathCommandsTest, BracesInsideAFunctionCallAreNotRunAlone) {
  // Compiled from its braces alone this would give 2X; the interpreter
  // gives 2X + 3.
  fill(ramp({1, 2}));
  run("MATH X = ADD({X 2 *}, 3)\nMATH Y = {Y 1 +}\nDOMATH\n");
  EXPECT_FALSE(s->math_list.commands[0].compiled.compiled);
  EXPECT_TRUE(s->math_list.commands[1].compiled.compiled);
  std::vector<Pt> pts = points();
  ASSERT_EQ(pts.size(), 2u);
  EXPECT_EQ(pts[0].x, 5);
  EXPECT_EQ(pts[1].x, 7);
  EXPECT_EQ(pts[1].y, 3);
}

TEST_F(MathCommandsTest, CommandsRunInOrder) {
  fill(ramp({1, 2, 3}));
  run("MATH X = {X 10 *}\nMATH Y = ADD(X, Y)\nC0 = {C0}\nMATH Z = {C0}\nDOMATH\n");
  EXPECT_EQ(points(),
            (std::vector<Pt>{
                {10, 11, 1, -1, 1, 2, 3}, {20, 22, 2, -2, 2, 4, 6}, {30, 33, 3, -3, 3, 6, 9}}));
  finish();
}

TEST_F(MathCommandsTest, TestcompileShowsBothRuns) {
  run("MATH X = {X 2 *}\nMATH Y = LOG(Y)\nMATH Y = {Y 4 /}\nTESTCOMPILE\n");
  EXPECT_EQ(take_out(),
            "{X 2 *}\n"
            "            1            4 42.000000000000000\n"
            "            7 0.0000000000000000\n"
            "            1 2.0000000000000000\n"
            "            5 0.0000000000000000\n"
            "           12 0.0000000000000000\n"
            " 42.000000000000000 42.000000000000000\n"
            "Y = LOG(Y) holds no braced expression.\n"
            "{Y 4 /}\n"
            "            1            4 5.5000000000000000\n"
            "            8 0.0000000000000000\n"
            "            1 4.0000000000000000\n"
            "            6 0.0000000000000000\n"
            "           12 0.0000000000000000\n"
            " 5.5000000000000000 5.5000000000000000\n");
  EXPECT_EQ(take_err(), "");
  finish();
}

TEST_F(MathCommandsTest, TheHundredAndFirstCommandIsRefused) {
  std::string lines;
  for (int i = 0; i < 100; ++i) lines += "MATH X = {X 1 +}\n";
  run(lines + "MATH Y = {Y 1 +}\n");
  EXPECT_EQ(take_err(), "Too many math commands (at most 100); not added: Y = {Y 1 +}\n");
  EXPECT_EQ(s->math_list.commands.size(), 100u);
  fill(ramp({0}));
  run("DOMATH\n");
  EXPECT_EQ(points()[0].x, 101);
  EXPECT_EQ(points()[0].y, 0);
  finish();
}

}  // namespace
}  // namespace vexal
