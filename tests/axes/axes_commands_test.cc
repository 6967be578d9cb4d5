// The scaling and axis commands as a user types them: limits from data and
// from commands, the axes SHOWXAX and its family draw (read back from the
// document in device units, 300 per inch, origin at 300 300), the commands
// DOAXES queues, tick values typed at the terminal and data-unit drawing.
#include <algorithm>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "axes/ps_trace.h"
#include "axes/varax.h"
#include "interp/command_table.h"
#include "support/command_tables.h"
#include "support/session_fixture.h"

namespace vexal {
namespace {

constexpr int kBase = 300;
const char* const kData0To100 = "DATA\n0 0\n100 100\nENDDATA\nLOAD\n";

class AxesCommandsTest : public SessionTest {
 protected:
  // A fresh session, the previous one's document checked first; the lines
  // of its start are passed over.
  void restart() {
    SessionTest::restart();
    new_ps_lines();
  }
  Trace drawn(const std::string& commands) {
    run(commands);
    return trace(new_ps_lines());
  }
  // The command lines run, as the document's comments record them.
  std::vector<std::string> commands_run(const std::string& commands) {
    run(commands);
    std::vector<std::string> lines;
    for (const std::string& l : new_ps_lines(true))
      if (l.rfind("%! ", 0) == 0) lines.push_back(l.substr(3));
    return lines;
  }
};

TEST(AxesCommandTable, EveryNameIsACommandAndDispatchesHere) {
  expect_dispatched_here(axes_commands());
  // The long forms the commands queue reach their commands.
  for (const char* line : {"SHOWXAXIS", "SHOWSECONDXAX/NOANNOTATION", "NOXBORDER", "YRESCALE"}) {
    const Command* found = command_table().find(line);
    ASSERT_NE(found, nullptr) << line;
  }
  EXPECT_EQ(command_table().find("SHOWSECONDXAX/NOANNOTATION")->name, "SHOWSECONDXAX/NO");
}

TEST_F(AxesCommandsTest, DefaultAxisOverDataFrom0To100) {
  restart();
  run(kData0To100);
  // The border is 5 % in single precision.
  EXPECT_NEAR(num("XMIN"), -5, 1e-6);
  EXPECT_NEAR(num("XMAX"), 105, 1e-6);
  const Trace t = drawn("XLAB Time\nSHOWXAX\n");
  EXPECT_EQ(t.text(), "020406080100Time");
  const std::vector<int> major = t.ticks_up(kBase, 30);
  ASSERT_EQ(major.size(), 6u);
  EXPECT_EQ(major.front(), 381);  // 5/110 of 6 inches in
  const std::vector<int> minor = t.ticks_up(kBase, 18);
  ASSERT_EQ(minor.size(), 23u);  // every 5
  EXPECT_EQ(minor[1], major.front());
  EXPECT_EQ(take_err(), "");

  // The Y axis: numbers and label to the left, ticks across at x = 300.
  const Trace y = drawn("SHOWYAX\n");
  EXPECT_EQ(y.text().substr(0, 12), "020406080100");
  int left = 0;
  for (const Segment& g : y.segments)
    if (g.y0 == g.y1 && g.x0 - g.x1 == 30 && std::abs(g.x1 - kBase) <= 1) ++left;
  EXPECT_EQ(left, 6);
  finish();
}

TEST_F(AxesCommandsTest, EqualDataWidensToOneUnit) {
  restart();
  run("DATA\n5 1\n5 2\nENDDATA\nLOAD\n");
  EXPECT_EQ(take_err(),
            "Warning--XMAX is equal to XMIN\n"
            "XMAX and MIN have been redefined\n");
  EXPECT_EQ(num("XMIN"), 4.5);
  EXPECT_EQ(num("XMAX"), 5.5);
  EXPECT_EQ(drawn("SHOWXAX\n").text(), "4.64.855.25.4");
  finish();
}

TEST_F(AxesCommandsTest, AxesWithoutLimitsSayWhatIsMissing) {
  restart();
  Trace t = drawn("SHOWXAX\nSHOWYAX\nXMIN 0\nSHOWXAX\n");
  EXPECT_EQ(take_err(),
            "Error--please set xmin and xmax and try again\n"
            "Error--please set ymin and ymax and try again\n"
            "Error--please set xmin and xmax and try again\n");
  EXPECT_TRUE(t.segments.empty());
  EXPECT_TRUE(t.glyphs.empty());
  // RES forgets the limits again; YRES (MULTIPLOT's YRESCALE) only those of Y.
  run("XMAX 1\nYMINMAX 0 1\nYRESCALE\nSHOWXAX\nSHOWYAX\nRES\nSHOWXAX\n");
  EXPECT_EQ(take_err(),
            "Error--please set ymin and ymax and try again\n"
            "Error--please set xmin and xmax and try again\n");
  finish();
}

TEST_F(AxesCommandsTest, LimitCommandsFixTheLimitsAgainstTheNextRead) {
  restart();
  run("XMIN -10\nXMAX 200\n");
  EXPECT_EQ(num("XMIN"), -10);
  EXPECT_FALSE(s->axes[AxisId::X].limits.border);  // NOXBORDER ran
  run(kData0To100);
  EXPECT_EQ(num("XMIN"), -10);
  EXPECT_EQ(num("XMAX"), 200);
  EXPECT_NEAR(num("YMIN"), -5, 1e-6);  // Y still derived, with its border
  run("ZMINMAX 1 2\nXDIM 4\nDIM 3 2\nUNITS 2\nZDIM 1\n");
  EXPECT_EQ(s->axes[AxisId::Z].limits.minu, 1);
  EXPECT_EQ(s->axes[AxisId::Z].limits.maxu, 2);
  EXPECT_FALSE(s->axes[AxisId::Z].limits.border);
  EXPECT_EQ(num("XDIM"), 3);
  EXPECT_EQ(num("YDIM"), 2);
  EXPECT_EQ(num("ZDIM"), 2);  // lengths in units
  EXPECT_EQ(s->axes[AxisId::Z].length, 2);
  finish();
}

TEST_F(AxesCommandsTest, FlushChecksOnTheEndNumbers) {
  struct Case {
    const char* setup;
    const char* text;
    int first_x;  // where "0" starts (0: not checked)
    int last_x;   // where "100" starts (0: not checked)
  };
  const Case kCases[] = {
      {"", "020406080100", 285, 2057},             // centred on the axis ends
      {"XFF1\n", "020406080100", 300, 0},          // left-justified at the start
      {"XFF1\nNOXFN1\n", "20406080100", 0, 0},     // omitted
      {"NOXFN1\nXFN1\n", "020406080100", 285, 0},  // XFN1 switches the check off again
      {"XLF1\n", "020406080100", 0, 2014},         // right-justified at the end
      {"NOXLN1\n", "020406080", 0, 0},
      {"XFF2\nNOXFN2\n", "020406080100", 285, 0},  // the second axis's checks
  };
  for (const Case& c : kCases) {
    restart();
    const Trace t = drawn(std::string(c.setup) + "XMIN 0\nXMAX 100\nSHOWXAX\n");
    EXPECT_EQ(t.text(), c.text) << c.setup;
    if (c.first_x) {
      EXPECT_EQ(t.glyphs.front().x, c.first_x) << c.setup;
    }
    if (c.last_x) {
      EXPECT_EQ(t.glyphs[t.glyphs.size() - 3].x, c.last_x) << c.setup;
    }
  }
  finish();
}

TEST_F(AxesCommandsTest, MinorTickControl) {
  struct Case {
    const char* setup;
    size_t major, minor;
  };
  const Case kCases[] = {
      {"", 6, 21},
      {"NOMINORT\n", 6, 0},
      {"XMTIC 2\n", 6, 11},
      {"NOAUTO\nXTIC 3\n", 3, 0},  // a fixed-count axis needs MTIC >= 1
      {"NOAUTO\nXTIC 3\nMTIC 2 2\n", 3, 4},
      {"NOAUTO\nXTIC 3\nMTIC 2 2\nNOXMINORT\n", 3, 0},
  };
  for (const Case& c : kCases) {
    restart();
    const Trace t = drawn(std::string(c.setup) + "XMIN 0\nXMAX 100\nSHOWXAX\n");
    EXPECT_EQ(t.ticks_up(kBase, 30).size(), c.major) << c.setup;
    EXPECT_EQ(t.ticks_up(kBase, 18).size(), c.minor) << c.setup;
  }
  finish();
}

TEST_F(AxesCommandsTest, TickPlacementModes) {
  struct Case {
    const char* setup;
    const char* text;
  };
  const Case kCases[] = {
      {"XLOG\nXMIN 1\nXMAX 1000\n", "100101102103"},
      {"LOG\nNOLOG\n", "1002003004005006007008009001000"},
      {"XVAR 3 1 500 999\n", "1500999"},
      {"XVAR 3 1 500 999\nNOXVAR\nXAUTO\n", "1002003004005006007008009001000"},
      {"NOAUTO\nXTIC 2\n", "11000"},
      {"XHMS\nXMIN 0\nXMAX 48\n", "000/00:00000/12:00001/00:00001/12:00002/00:00"},
      {"XHMS\nXHMSFORM HH:MM UNIXSEC\nXMIN 0\nXMAX 86400\n", "00:0006:0012:0018:0000:00"},
      // Modulo, then the absolute value, then negated: -1000 shows -100, -900 shows 0.
      {"XMIN -1000\nXMAX -1\nXMOD 300\nXABS\nXNEG\n", "-1000-200-1000-200-1000-200-100"},
      {"FEWERT\nFEWERT\n", "2004006008001000"},
  };
  for (const Case& c : kCases) {
    restart();
    const Trace t = drawn(std::string("XMIN 1\nXMAX 1000\nNOXBOR\n") + c.setup + "SHOWXAX\n");
    EXPECT_EQ(t.text(), c.text) << c.setup;
  }
  finish();
}

TEST_F(AxesCommandsTest, TextTickLabelsFromTheDataFile) {
  restart();
  run("DATA\nMon 3\nTue 5\nWed 4\nENDDATA\nDATATOXVAR 1\nLOAD\n");
  EXPECT_EQ(chr("1"), "Mon");
  EXPECT_EQ(chr("3"), "Wed");
  EXPECT_EQ(s->reader.xc, 0);  // "xcol 0" ran: X is the record number
  EXPECT_NEAR(num("XMIN"), 0.9, 1e-6);
  EXPECT_EQ(drawn("SHOWXAX\n").text(), "MonTueWed");
  // XVARCHAR labels user ticks by the character variables "1", "2", ...
  EXPECT_EQ(drawn("YMIN 0\nYMAX 2\nYVAR 2 0 2\nYVARCHAR\nSHOWYAX\n").text(), "MonTue");
  EXPECT_FALSE(s->axes[AxisId::X].layout.varchar);
  // READXLAB: the header word over the X column.
  run("DATA\ntime value\n1 2\nENDDATA\nXCOL 2\nREADXLAB\nXCOL 1\nREADXLAB\n");
  EXPECT_EQ(chr("XLABEL"), "time");
  EXPECT_EQ(s->axes[AxisId::X].layout.nl, 4);
  finish();
}

TEST_F(AxesCommandsTest, LabelsAndTheirSizes) {
  restart();
  run("XLAB   Speed (m/s)  \n");
  EXPECT_EQ(chr("XLABEL"), "Speed (m/s)");
  EXPECT_EQ(s->axes[AxisId::X].layout.label, "Speed (m/s)");
  EXPECT_EQ(s->axes[AxisId::X].layout.nl, 11);
  run("NOXLAB\n");
  EXPECT_EQ(chr("XLABEL"), "");
  EXPECT_EQ(s->axes[AxisId::X].layout.nl, 1);
  run("YLAB Depth\nLS 0.001\n");  // below one device unit: no labels
  EXPECT_EQ(num("XLABELSIZE"), 0);
  EXPECT_EQ(num("YLABELSIZE"), 0);
  EXPECT_EQ(chr("YLABEL"), "");
  run("UNITS 2\nXLS 0.1\n");
  EXPECT_EQ(num("XLABELSIZE"), 0.2);
  finish();
}

TEST_F(AxesCommandsTest, QueuedAxisCommandsRunInOrder) {
  struct Case {
    const char* commands;
    std::vector<std::string> want;
  };
  const Case kCases[] = {
      {"SHOWAXES", {"SHOWAXES", "SHOWXAXIS", "SHOWYAXIS"}},
      {"SHOWSECONDAXES", {"SHOWSECONDAXES", "SHOWSECONDXAXIS", "SHOWSECONDYAXIS"}},
      {"DOAXES",
       {"DOAXES", "SHOWXAXIS", "SHOWSECONDXAX/NOANNOTATION", "SHOWYAXIS",
        "SHOWSECONDYAX/NOANNOTATION"}},
      {"NOYAX\nDOAXES", {"NOYAX", "DOAXES", "SHOWXAXIS", "SHOWSECONDXAX/NOANNOTATION"}},
      {"NOAX\nYAX\nDOAXES", {"NOAX", "YAX", "DOAXES", "SHOWYAXIS", "SHOWSECONDYAX/NOANNOTATION"}},
      // Numbers along the top: the bottom axis has ticks only.
      {"XNUMBERPR\nDOAXES",
       {"XNUMBERPR", "DOAXES", "SHOWXAXIS", "SHOWSECONDXAXIS", "SHOWYAXIS", "SHOWSECONDYAXIS"}},
  };
  for (const Case& c : kCases) {
    restart();
    run(kData0To100);
    new_ps_lines();
    EXPECT_EQ(commands_run(std::string(c.commands) + "\n"), c.want) << c.commands;
  }
  restart();
  run(kData0To100);
  new_ps_lines();
  // Unannotated opposite axes: ticks pointing into the frame, no numbers.
  const Trace t = drawn("XLAB T\nYLAB V\nDOAXES\n");
  EXPECT_EQ(t.text(), "020406080100T020406080100V");
  EXPECT_EQ(t.ticks_to(kBase + 1800, kBase + 1800 - 30).size(), 6u);  // top axis, downward
  const Trace top = drawn("XNUMBERPR\nDOAXES\n");
  EXPECT_EQ(top.text().substr(0, 13), "020406080100T");  // from the top axis
  EXPECT_GT(top.glyphs.front().y, kBase + 1800);
  finish();
}

TEST_F(AxesCommandsTest, TickValuesTypedAtTheTerminal) {
  restart();
  run("XVAR\n1\n2.5\n\nECHO done\n");
  EXPECT_EQ(take_out(),
            "Please enter values for ticmarks along the X\n"
            "axis. Enter a blank line to exit when you are done.\n"
            "done\n");
  EXPECT_EQ(s->axes[AxisId::X].layout.nt, 2);
  EXPECT_EQ(s->axes[AxisId::X].layout.ticplace[1], 2.5);
  EXPECT_TRUE(s->axes[AxisId::X].layout.var);
  EXPECT_FALSE(s->axes[AxisId::X].layout.avar);
  // At most 50 values are kept: the 51st line is the next command.
  std::string lines = "YVAR\n";
  for (int i = 1; i <= 50; ++i) lines += std::to_string(i) + "\n";
  run(lines + "ECHO next\n");
  EXPECT_EQ(s->axes[AxisId::Y].layout.nt, 50);
  EXPECT_EQ(s->axes[AxisId::Y].layout.ticplace[49], 50);
  EXPECT_NE(take_out().find("next\n"), std::string::npos);
  run("XVAR 60 1 2 3\n");  // a count beyond the table keeps 50; missing values read as 0
  EXPECT_EQ(s->axes[AxisId::X].layout.nt, 50);
  EXPECT_EQ(s->axes[AxisId::X].layout.ticplace[2], 3);
  EXPECT_EQ(s->axes[AxisId::X].layout.ticplace[3], 0);
  take_err();
  finish();
}

TEST_F(AxesCommandsTest, DataUnitDrawingMapsThroughTheAxes) {
  struct Case {
    const char* setup;
    std::vector<std::string> want;
  };
  const Case kCases[] = {
      {"XMINMAX 0 10\nYMINMAX 0 10\nSCALE\n", {"1200 2100 L"}},
      {"XMINMAX 0 10\nXSCALE\n", {"1200 3300 L"}},                     // Y in inches
      {"XLOG\nXMINMAX 1 100\nYMINMAX 0 10\nSCALE\n", {"929 2100 L"}},  // log10(5) / 2
      {"XMINMAX 0 10\nYMINMAX 0 10\nSCALE\nNOSCALE\n", {"1800 3300 L"}},
  };
  for (const Case& c : kCases) {
    restart();
    run(c.setup);
    new_ps_lines();
    std::vector<std::string> lines;
    run("DRAW 5 10\n");
    for (const std::string& l : new_ps_lines())
      if (l.size() > 2 && l.substr(l.size() - 2) == " L") lines.push_back(l);
    EXPECT_EQ(lines, c.want) << c.setup;
  }
  finish();
}

TEST_F(AxesCommandsTest, GridAxisPensAndClipping) {
  restart();
  run("XMINMAX 0 100\nYMINMAX 0 100\n");
  new_ps_lines();
  run("GRID\nGRIDDASH 0.02 0.05\nAXESW 0.02\nSHOWXAX\n");
  const std::vector<std::string> lines = new_ps_lines();
  const Trace t = trace(lines);
  EXPECT_EQ(t.ticks_up(kBase, 1800).size(), 6u);  // grid lines across the 6-inch frame
  EXPECT_NE(std::find(lines.begin(), lines.end(), "6 15 "), lines.end());  // the grid dash
  EXPECT_NE(std::find(lines.begin(), lines.end(), "6 W"), lines.end());    // 0.02 inch pens
  run("XCLIP\n");
  EXPECT_TRUE(s->pen.xclip);
  EXPECT_FALSE(s->pen.yclip);
  run("NOXCLIP\nYCLIP\n");
  EXPECT_FALSE(s->pen.xclip);
  EXPECT_TRUE(s->pen.yclip);
  finish();
}

TEST_F(AxesCommandsTest, ExtremeLimitsAndCountsStillFinish) {
  const char* const kCases[] = {
      "XMIN 0\nXMAX 1e-300\n",
      "XMIN -1e30\nXMAX 1e308\n",
      "XMIN 3\nXMAX 3\n",
      "XMIN 0\nXMAX 1\nMORET\nMORET\nMORET\nMORET\nMORET\nMORET\nMORET\nMORET\nMORET\nMORET\n",
      "XMIN 0\nXMAX 1\nNOAUTO\nXTIC 1e12\nMTIC 1e12 1e12\n",
      "XLOG\nXMIN -5\nXMAX 0\n",
      "XLOG\nXMIN 1e-300\nXMAX 1e300\nGRID\nMINORG\n",
      "XVAR 2 1e300 -1e300\nXMIN 0\nXMAX 1\n",
  };
  for (const char* c : kCases) {
    restart();
    const Trace t = drawn(std::string(c) + "SHOWXAX\nSHOWSECONDXAX\n");
    EXPECT_LE(t.segments.size(), 8u * kMaxTicks) << c;
    EXPECT_FALSE(t.segments.empty()) << c;
  }
  finish();
}

}  // namespace
}  // namespace vexal
