// The number commands: NUMBER and its signed and day/time forms drawn at the
// current point, the number style of substitution and the axis number settings.
#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "interp/command_table.h"
#include "support/command_tables.h"
#include "support/session_fixture.h"
#include "util/variables.h"

namespace vexal {
namespace {

// Helvetica advance widths in 1/24 of the height, and the default text size.
constexpr double kDigit = 19, kPoint = 13, kPlus = 20, kMinus = 14, kColon = 13;
constexpr double kTextSize = 0.18;
constexpr double width(double units) { return units / 24 * kTextSize; }

class NumberCommandsTest : public SessionTest {
 protected:
  // The characters of the document's show lines, in order.
  std::string shown() {
    std::string text;
    for (const std::string& l : new_ps_lines())
      if (l.size() == 6 && l.compare(0, 2, " (") == 0 && l.compare(3, 3, ") T") == 0) text += l[2];
    return text;
  }
};

TEST(NumberCommandTable, EveryNameIsACommandAndDispatchesHere) {
  const size_t count = expect_dispatched_here(number_commands());
  EXPECT_EQ(count, 46u);
}

TEST_F(NumberCommandsTest, SubstitutionFollowsTheNumberStyle) {
  struct Case {
    const char* setup;
    double value;
    const char* want;
  };
  const Case kCases[] = {
      {"", 3.14159265, "3.142"},
      {"NDEC 1", 3.14159265, "3.1"},
      {"NUMBERDEC 0", 3.14159265, "3"},
      {"NDEC 7.9", 3.14159265, "3.1415927"},  // the integer part
      {"NDEC 1e300", 0.5, "0.5"},             // held at 20 decimals, no overflow
      {"SCI", 1234.4, "1.234x10|+3|>|-|>"},
      {"SCI;NDEC -1e300", 1234.5, "10|+4|>|-|>"},  // the power of ten alone survives
      {"SCI;NOSCI", 1234.5, "1234.5"},
      {"HMS", 26.5, "001/02:30"},
      {"HMS;NOHMS", 26.5, "26.5"},
      {"HMS;XHMSFORM hh:mm", 26.5, "02:30"},  // the form is upper-cased
      {"HMS;XHMSFORM DDD/HH:MM:SS unixsec", 1709296496, "061/12:34:56"},
      {"HMS;XHMSFORM DDD/HH:MM:SS UNIXSEC;XHMSFORM DDMON", 1709296496, "01Mar"},  // unit kept
  };
  for (const Case& c : kCases) {
    restart();
    setvariable(s->vars, "A", c.value);
    run(std::string(c.setup) + "\nECHOERR [\\$a]\n");
    EXPECT_EQ(take_err(), std::string("[") + c.want + "]\n") << c.setup;
  }
  finish();
}

TEST_F(NumberCommandsTest, NumberDrawsTheTextAndSetsSlen) {
  run("NDEC 2\nNUMBER 3.14159\n");
  EXPECT_EQ(shown(), "3.14");
  EXPECT_DOUBLE_EQ(num("SLEN"), width(3 * kDigit + kPoint));

  run("SCI\nNUMBER 1234.5\n");  // scientific: the raised exponent is drawn too
  EXPECT_EQ(shown(), "1.23x103");
  EXPECT_EQ(take_err(), "");
  finish();
}

TEST_F(NumberCommandsTest, NumberTurnsWithTheTextAndPlotAngles) {
  start();
  s->text.ta = 10;
  s->axes.angle = 20;
  run("NUMBER 7\n");
  std::vector<std::string> lines = new_ps_lines();
  EXPECT_NE(std::find(lines.begin(), lines.end(), "30 R"), lines.end());
  EXPECT_NE(std::find(lines.begin(), lines.end(), "-30 R"), lines.end());
  finish();
}

TEST_F(NumberCommandsTest, NumberStartsAtTheCurrentPointWithTheJustification) {
  start();
  moveto(s->ps, 1, 2);  // the page point (2, 3) inches
  new_ps_lines();
  s->text.justification = "RIGHT";
  run("NDEC 0\nNUMBER 42\n");
  // Right-justified: the text starts its length (two digits) left of the point.
  const int x0 = static_cast<int>((2 - width(2 * kDigit)) * 300);
  std::vector<std::string> lines = new_ps_lines();
  EXPECT_NE(std::find(lines.begin(), lines.end(), std::to_string(x0) + " 900 M"), lines.end());
  finish();
}

TEST_F(NumberCommandsTest, SignedNumberDrawsPlusFromZeroButMeasuresItAboveZero) {
  struct Case {
    double value;
    const char* drawn;
    double slen;
  };
  constexpr Case kCases[] = {
      {2, "+2", width(kPlus + kDigit)},
      {0, "+0", width(kDigit)},  // drawn signed, measured unsigned
      {-2, "-2", width(kMinus + kDigit)},
  };
  for (const Case& c : kCases) {
    run("SIGNEDNUMBER " + std::to_string(c.value) + "\n");
    EXPECT_EQ(shown(), c.drawn);
    EXPECT_DOUBLE_EQ(num("SLEN"), c.slen) << c.value;
  }
  finish();
}

TEST_F(NumberCommandsTest, HmsNumberUsesTheXFormAndUnit) {
  run("XHMSFORM HH:MM\nHMSNUMBER 26.5\n");
  EXPECT_EQ(shown(), "02:30");
  EXPECT_DOUBLE_EQ(num("SLEN"), width(4 * kDigit + kColon));
  run("XHMSFORM\nHMSNUMBER 26.5\n");  // a blank form: the default layout
  EXPECT_EQ(shown(), "001/02:30");
  EXPECT_EQ(take_err(), " A parameter was missing or invalid: XHMSFORM\n");
  finish();
}

TEST_F(NumberCommandsTest, MissingValueDrawsNothing) {
  run("NUMBER 5\nNUMBER\nSIGNEDNUMBER\nHMSNUMBER x\n");
  EXPECT_EQ(shown(), "5");
  EXPECT_DOUBLE_EQ(num("SLEN"), width(kDigit));
  EXPECT_EQ(take_err(),
            " A parameter was missing or invalid: NUMBER\n"
            " A parameter was missing or invalid: SIGNEDNUMBER\n"
            " A parameter was missing or invalid: HMSNUMBER x\n");
  finish();
}

TEST_F(NumberCommandsTest, NumberSizesTakeUnitsAndVanishBelowOneDeviceUnit) {
  struct Case {
    const char* line;
    double x, y, contour;
  };
  constexpr Case kCases[] = {
      {"XNUMBERS 0.2", 0.5, 0.12, 0.12},  // UNITS 2.5
      {"XNS 0.001", 0, 0.12, 0.12},       // 0.0025 inch < 1/300
      {"YNS 0.002", 0.12, 0.005, 0.12},  {"YNUMBERS -1", 0.12, 0, 0.12},
      {"NS 0.1", 0.25, 0.25, 0.25},      {"NUMBERS 0.1", 0.25, 0.25, 0.25},  // not NUMBER
  };
  for (const Case& c : kCases) {
    restart();
    s->pen.units = 2.5;
    run(std::string(c.line) + "\n");
    EXPECT_DOUBLE_EQ(s->axes[AxisId::X].numbers.size, c.x) << c.line;
    EXPECT_DOUBLE_EQ(s->axes[AxisId::Y].numbers.size, c.y) << c.line;
    EXPECT_DOUBLE_EQ(s->axes.contour_label_size, c.contour) << c.line;
    EXPECT_DOUBLE_EQ(num("XNUMBERSIZE"), c.x) << c.line;
    EXPECT_DOUBLE_EQ(num("YNUMBERSIZE"), c.y) << c.line;
    EXPECT_EQ(shown(), "") << c.line;
  }
  finish();
}

TEST_F(NumberCommandsTest, AxisAnglesAndPlacementsSetTheirVariables) {
  run("XNA 30\nYNUMBERA -15\nZNA 90\nXNP right\nYNUMBERP centered_text\nZNP Left\n");
  EXPECT_EQ(num("XNUMBERANGLE"), 30);
  EXPECT_EQ(num("YNUMBERANGLE"), -15);
  EXPECT_EQ(num("ZNUMBERANGLE"), 90);
  EXPECT_EQ(s->axes[AxisId::Z].numbers.angle, 90);
  EXPECT_EQ(chr("XNPLACE"), "RIGHT");
  EXPECT_EQ(chr("YNPLACE"), "CENTERED");  // the word holds 8 characters
  EXPECT_EQ(s->axes[AxisId::Y].numbers.place, "CENTERED");
  EXPECT_EQ(chr("ZNPLACE"), "LEFT");
}

TEST_F(NumberCommandsTest, NumberprIsNotNumberp) {
  run("XNUMBERPR\n");
  EXPECT_FALSE(s->axes[AxisId::X].numbers.first_side);
  EXPECT_TRUE(s->axes[AxisId::Y].numbers.first_side && s->axes[AxisId::X].numbers.second_side &&
              s->axes[AxisId::Y].numbers.second_side);
  EXPECT_EQ(s->axes[AxisId::X].numbers.place, "CENTER");
  EXPECT_EQ(take_err(), "");
}

TEST_F(NumberCommandsTest, DecimalsAreClampedAndTruncated) {
  run("DEC 2.9\nXDEC 1e300\nYDEC -1e300\n");
  EXPECT_EQ(s->axes[AxisId::X].numbers.ndec, 20);
  EXPECT_EQ(s->axes[AxisId::Y].numbers.ndec, -2);
  run("DEC 2.9\n");
  EXPECT_EQ(s->axes[AxisId::X].numbers.ndec, 2);
  EXPECT_EQ(s->axes[AxisId::Y].numbers.ndec, 2);
  EXPECT_EQ(take_err(), "");
}

TEST_F(NumberCommandsTest, SnIsSymboln) {
  for (const char* n : {"3", "-5", "2.7", "25", "1e30", "x"}) {
    run(std::string("NOSYM\nSN ") + n + "\n");
    const int sn = s->text.sn, sym = s->text.sym, ssk = s->text.ssk;
    const std::string err_sn = take_err();
    run(std::string("NOSYM\nSYMBOLN ") + n + "\n");
    EXPECT_EQ(sn, s->text.sn) << n;
    EXPECT_EQ(sym, s->text.sym) << n;
    EXPECT_EQ(ssk, s->text.ssk) << n;
    EXPECT_EQ(sym, 1) << n;                // markers on
    std::string err_symboln = take_err();  // the same warning, if any, naming its line
    if (size_t at = err_symboln.find("SYMBOLN"); at != std::string::npos)
      err_symboln.replace(at, 7, "SN");
    EXPECT_EQ(err_sn, err_symboln) << n;
  }
}

}  // namespace
}  // namespace vexal
