// The pen commands as a user types them: moves and draws, widths, colours,
// dash patterns, clipping, the origin, pages and stamps, and the document
// lines each writes.
#include <cmath>
#include <string>
#include <vector>

#include "support/scratch_dir.h"
#include "support/session_fixture.h"
#include "util/variables.h"

namespace vexal {
namespace {

using Lines = std::vector<std::string>;

class PenCommandsTest : public SessionTest {
 protected:
  // Starts the session and drops the start-up part of the document.
  void begin(std::vector<std::string> args = {"-d"}) {
    start(std::move(args));
    new_ps_lines();
  }
  // Starts over with a fresh session and document (tables of cases).
  void restart(std::vector<std::string> args = {"-d"}) {
    s.reset();
    doc.clear();
    doc_seen = 0;
    begin(std::move(args));
  }
  // The document lines the commands write.
  Lines lines_of(const std::string& commands) {
    run(commands);
    return new_ps_lines();
  }
  // The document's bounding box in device units.
  std::vector<int> box() const { return {s->ps.bxmin, s->ps.bymin, s->ps.bxmax, s->ps.bymax}; }
  // The header's bounding-box line without its padding.
  std::string header_box() const {
    std::string line = doc.substr(kHeaderLineBytes, kHeaderLineBytes - 1);
    return line.substr(0, line.find_last_not_of(' ') + 1);
  }
};

// Lines from `first` up to the end.
Lines from(const Lines& lines, const std::string& first) {
  for (size_t i = 0; i < lines.size(); ++i)
    if (lines[i] == first) return Lines(lines.begin() + i, lines.end());
  return {};
}

TEST_F(PenCommandsTest, MoveAndDrawWriteDevicePointsAndSetXY) {
  begin();
  // The origin is one inch in; the first draw sets the solid dash.
  EXPECT_EQ(lines_of("MOVE 1 1\nDRAW 2 1.5\n"),
            (Lines{"600 600 M", "CSM [", "300 0 ", "] 0 setdash", "900 750 L"}));
  EXPECT_EQ(num("X"), 2);
  EXPECT_EQ(num("Y"), 1.5);
  // The same device point again: nothing written, the box unchanged.
  const std::vector<int> before = box();
  EXPECT_EQ(lines_of("DRAW 2.0001 1.5\nMOVE 2 1.5\n"), Lines{});
  EXPECT_EQ(box(), before);
  EXPECT_EQ(box(), (std::vector<int>{600, 600, 900, 750}));
  finish();
}

TEST_F(PenCommandsTest, UnitsFactorAndZoomScaleCoordinates) {
  struct Case {
    const char* commands;
    const char* line;
  };
  constexpr Case kCases[] = {
      {"UNITS 2\nMOVE 1 0.5\n", "900 600 M"},    // lengths times UNITS
      {"UNITS -3\nMOVE 1 0.5\n", "600 450 M"},   // not positive: 1
      {"FACTOR 2\nMOVE 1 0.5\n", "1200 900 M"},  // the whole page scale
      {"ZOOM 0.5\nMOVE 1 0.5\n", "300 225 M"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.commands);
    restart();
    EXPECT_EQ(lines_of(c.commands), Lines{c.line});
    finish();
  }
}

TEST_F(PenCommandsTest, AbsoluteAndRelativeMovesAndDraws) {
  begin();
  EXPECT_EQ(lines_of("AMOVE 2 2\n"), Lines{"600 600 M"});  // from the page corner
  EXPECT_EQ(num("X"), 1);  // X and Y from the pen: inches from the origin
  EXPECT_EQ(num("Y"), 1);
  EXPECT_EQ(lines_of("RMOVE 0.5 -0.5\nRDRAW 0 1\nADRAW 1 1\n"),
            (Lines{"750 450 M", "CSM [", "300 0 ", "] 0 setdash", "750 750 L", "300 300 L"}));
  EXPECT_EQ(num("X"), 1.5);  // RDRAW set them; ADRAW does not
  EXPECT_EQ(num("Y"), 1.5);
  // Relative steps follow UNITS but not the origin.
  EXPECT_EQ(lines_of("UNITS 2\nRMOVE 1 0\n"), Lines{"900 300 M"});
  finish();
}

TEST_F(PenCommandsTest, FrameRotationTurnsPoints) {
  begin();
  s->axes.angle = 90;
  EXPECT_EQ(lines_of("MOVE 1 0\n"), Lines{"300 600 M"});
  EXPECT_EQ(num("X"), 1);  // X and Y as typed
  EXPECT_EQ(num("Y"), 0);
  EXPECT_EQ(lines_of("RMOVE 1 0\n"), Lines{"300 900 M"});
  EXPECT_NEAR(num("X"), 0, 1e-12);  // from the pen, in inches from the origin
  EXPECT_EQ(num("Y"), 2);
  finish();
}

TEST_F(PenCommandsTest, LongPathStrokedAfter400Segments) {
  begin();
  std::string commands = "MOVE 0 0\n";
  for (int i = 1; i <= 401; ++i) commands += i % 2 ? "DRAW 1 0\n" : "DRAW 0 0\n";
  commands += "DRAW 0 1\n";
  Lines lines = lines_of(commands);
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(Lines(lines.end() - 3, lines.end()), (Lines{"600 300 L", "CSM", "300 600 L"}));
  EXPECT_EQ(s->ps.nseg, 1);
  finish();
}

TEST_F(PenCommandsTest, PenWidths) {
  struct Case {
    const char* command;
    Lines lines;
  };
  const Case kCases[] = {
      {"PENT 3", {"CSM", "3 W"}},
      {"PENT 3.9", {}},                 // truncated: still 3
      {"PENW 0.0113", {}},              // 3.39 units rounds to 3
      {"PENW 0.012", {"CSM", "4 W"}},   // 3.6 rounds to 4
      {"PENW 0.0001", {"CSM", "1 W"}},  // at least one unit
      {"PENT 0", {"CSM", "0 W"}},
  };
  begin();
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.command);
    EXPECT_EQ(lines_of(std::string(c.command) + "\n"), c.lines);
  }
  // A draw applies the thickness again after another width was set directly.
  newpen(s->ps, 9);
  new_ps_lines();
  EXPECT_EQ(lines_of("DRAW 1 1\n"),
            (Lines{"CSM [", "300 0 ", "] 0 setdash", "CSM", "0 W", "600 600 L"}));
  finish();
}

TEST_F(PenCommandsTest, DirectColours) {
  struct Case {
    const char* command;
    Lines lines;
  };
  const Case kCases[] = {
      {"SETRGB 0.5 0.5 0.5", {" CSM 0.50 0.50 0.50 RGB"}},
      {"SETCOLOR 0.5 0.5 0.5", {}},    // unchanged
      {"SETRGB 0.503 0.5 0.497", {}},  // within 0.005
      {"GRAY 0.25", {" CSM 0.25 0.25 0.25 RGB"}},
      {"GREY 7", {" CSM 1.00 1.00 1.00 RGB"}},  // clamped
      {"NOGRAY", {" CSM 0.00 0.00 0.00 RGB"}},
      // Components that do not fit the field still give valid numbers.
      {"SETRGB 1e300 -1e300 12", {" CSM 1.00 0.00 1.00 RGB"}},
      {"SETRGB $NOTANUMBER 0.5 -0", {" CSM 0.00 0.50 0.00 RGB"}},
      {"SETRGB 1 0.5 0", {" CSM 1.00 0.50 0.00 RGB"}},
  };
  begin();
  setvariable(s->vars, "NOTANUMBER", std::nan(""));
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.command);
    EXPECT_EQ(lines_of(std::string(c.command) + "\n"), c.lines);
  }
  EXPECT_EQ(s->pen.data_color.g, 0.5);  // axis, text and data colours follow
  EXPECT_EQ(s->pen.axis_color.r, 1);
  EXPECT_EQ(s->pen.text_color.b, 0);
  EXPECT_EQ(lines_of("GRAY 0.3\nDRAW 1 1\n").back(), "600 600 L");
  EXPECT_EQ(s->pen.data_color.r, 0.3);
  finish();
}

TEST_F(PenCommandsTest, TableColours) {
  begin();
  EXPECT_EQ(lines_of("DEFINECOL 3 0.7 0.2 0.1\n"), Lines{"/c0003 {CSM 0.700 0.200 0.100 RGB}b"});
  // The selection is written even when the colour is already in force, and
  // the queued SETRGB that carries it into the working colours writes nothing.
  run("SETRGB 0.7 0.2 0.1\n");
  new_ps_lines();
  run("COLOR 3\n");
  EXPECT_EQ(new_ps_lines(true),
            (Lines{"%! COLOR 3", "c0003",
                   "%! SETRGB 0.69999999999999996 0.20000000000000001 0.10000000000000001"}));
  EXPECT_EQ(s->pen.data_color.r, 0.7);
  EXPECT_EQ(s->pen.text_color.g, 0.2);
  EXPECT_EQ(lines_of("FOREC 3\n"), Lines{});  // already selected
  EXPECT_EQ(lines_of("FOREC 10\nDRAW 1 1\n").front(), "c0010");
  EXPECT_EQ(s->pen.data_color.r, 0);
  EXPECT_EQ(lines_of("BACKC 5\n"), Lines{});
  EXPECT_EQ(take_err(), "");
  finish();
}

TEST_F(PenCommandsTest, ColourIndexOutsideTableRejected) {
  struct Case {
    const char* command;
    const char* message;
  };
  constexpr Case kCases[] = {
      {"DEFINECOL 300 1 0 0", "Colour index out of range (0..255): 300\n"},
      {"DEFINECOL -1 1 0 0", "Colour index out of range (0..255): -1\n"},
      {"COLOR 256", "Colour index out of range (0..255): 256\n"},
      {"FOREC 99999", "Colour index out of range (0..255): 99999\n"},
      {"BACKC 1000.5", "Colour index out of range (0..255): 1000.5\n"},
      {"NCOLORS 300", "Number of colours out of range (1..256): 300\n"},
      {"NCOLORS 0", "Number of colours out of range (1..256): 0\n"},
  };
  begin();
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.command);
    EXPECT_EQ(lines_of(std::string(c.command) + "\n"), Lines{});
    EXPECT_EQ(take_err(), c.message);
    EXPECT_TRUE(s->stream.pending.empty());  // COLOR queued nothing
  }
  EXPECT_EQ(s->pen.ncolors, 11);
  EXPECT_EQ(s->ps.cmap[255].r, 1);
  finish();
}

TEST_F(PenCommandsTest, NcolorsAndDumpcolor) {
  begin();
  run("NCOLORS 3\nDEFINECOL 2 0.25 0.5 1\nDUMPCOLOR\n");
  EXPECT_EQ(num("NCOLORS"), 3);
  EXPECT_EQ(take_out(),
            " ncolors            3\n"
            " definecolor    0 1.00000 1.00000 1.00000\n"
            " definecolor    1 0.90000 0.90000 0.90000\n"
            " definecolor    2 0.25000 0.50000 1.00000\n");
  finish();
}

TEST_F(PenCommandsTest, DashPatterns) {
  struct Case {
    const char* command;
    Lines lines;  // written by the DRAW that follows
  };
  const Case kCases[] = {
      {"DASH 0.1", {"CSM [", "15 15 ", "] 0 setdash"}},
      {"DASH 0.1", {}},  // the same pattern again
      {"DATADASH 0.1 0.05", {"CSM [", "30 15 ", "] 0 setdash"}},
      {"DASH 0.1 0.05 0.02 0.03 0 0 -1 0.01", {"CSM [", "30 15 ", "6 9 ", "0 3 ", "] 0 setdash"}},
      {"MARK 0.2", {"CSM [", "60 15 ", "] 0 setdash"}},  // the space kept
      {"SPACE 0.1", {"CSM [", "60 30 ", "] 0 setdash"}},
      {"NODASH", {"CSM [", "300 0 ", "] 0 setdash"}},
      {"DASH -0.1", {}},  // no mark: the pattern in force stays
      {"NODATADASH", {}},
  };
  begin();
  bool right = false;
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.command);
    run(std::string(c.command) + "\n");
    EXPECT_EQ(new_ps_lines(), Lines{});  // applied by the next drawing command
    right = !right;
    Lines lines = lines_of(right ? "DRAW 1 0\n" : "DRAW 0 0\n");
    lines.pop_back();  // the L
    EXPECT_EQ(lines, c.lines);
  }
  finish();
}

TEST_F(PenCommandsTest, OrigShiftsAndQueuesCommands) {
  struct Case {
    const char* command;
    bool xscale, yscale;
    double xoff, yoff;
    Lines lines;  // the shift's move, then the command lines run, in order
  };
  const Case kCases[] = {
      {"ORIG 1 2", false, false, 2, 3, {"600 900 M", "NOSCALE", "MOVE 0 0"}},
      {"ORIG 1 2", true, true, 2, 3, {"600 900 M", "NOSCALE", "MOVE 0 0", "YSCALE", "XSCALE"}},
      {"ORIG 1 2", true, false, 2, 3, {"600 900 M", "NOSCALE", "MOVE 0 0", "XSCALE"}},
      {"XORIG 1", true, true, 2, 1, {"600 300 M", "NOXSCALE", "MOVE 0 0", "XSCALE"}},
      {"XORIG -0.5", false, true, 0.5, 1, {"150 300 M", "NOXSCALE", "MOVE 0 0"}},
      {"YORIG 0.5", true, true, 1, 1.5, {"300 450 M", "NOYSCALE", "MOVE 0 0", "YSCALE"}},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.command);
    restart();
    s->axes[AxisId::X].data_units = c.xscale;
    s->axes[AxisId::Y].data_units = c.yscale;
    run(std::string(c.command) + "\n");
    Lines lines = new_ps_lines(true);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0], "%! " + std::string(c.command));
    // The move to the new origin, then only the queued commands: MOVE 0 0
    // finds the pen there already.
    Lines seen{lines[1]};
    for (size_t i = 2; i < lines.size() && seen.size() < c.lines.size(); ++i)
      if (lines[i].rfind("%! ", 0) == 0) seen.push_back(lines[i].substr(3));
    EXPECT_EQ(seen, c.lines);
    EXPECT_EQ(s->pen.xoff, c.xoff);
    EXPECT_EQ(s->pen.yoff, c.yoff);
    take_err();  // the scaling commands may not exist yet
    s->axes[AxisId::X].data_units = s->axes[AxisId::Y].data_units = false;
    finish();
  }
}

TEST_F(PenCommandsTest, OrigFollowsUnitsAndRotation) {
  begin();
  s->axes.angle = 90;
  EXPECT_EQ(lines_of("UNITS 2\nORIG 1 0\n").front(), "300 900 M");
  EXPECT_DOUBLE_EQ(s->pen.xoff, 1);
  EXPECT_DOUBLE_EQ(s->pen.yoff, 3);
  finish();
}

TEST_F(PenCommandsTest, ClipAtAxes) {
  begin();
  EXPECT_EQ(lines_of("CLIP\nCLIPATAXES\n"),
            (Lines{"S N", "currentdash [0 300000] 0 setdash", "300 300 M", "2100 300 L",
                   "2100 2100 L", "300 2100 L", "closepath clip S setdash", "300 2100 M"}));
  EXPECT_EQ(lines_of("NOCLIP\n"), Lines{"currentpoint S initclip moveto"});
  EXPECT_FALSE(s->pen.xclip);
  // Without axis clipping the rectangle reaches 100 inches out.
  EXPECT_EQ(lines_of("CLIPATAXES\n")[2], "      -29700       -29700 M");  // 12-wide fields
  EXPECT_EQ(s->ps.cxmax, 30300);
  finish();
}

TEST_F(PenCommandsTest, ClipCircleAtThePen) {
  begin();
  EXPECT_EQ(lines_of("SETRGB 0 0 1\nMOVE 1 1\nSETRGB 1 0 0\nDRAW 2 1\nCLIPCIRCLE 0.5\n"),
            (Lines{" CSM 0.00 0.00 1.00 RGB", "600 600 M", " CSM 1.00 0.00 0.00 RGB", "CSM [",
                   "300 0 ", "] 0 setdash", "900 600 L", "S N", "currentdash [0 300000] 0 setdash",
                   "          900          600          150 0.00000000 360.000000 arc",
                   "closepath clip S setdash", "900 600 M"}));
  EXPECT_EQ(s->ps.cxmin, -kClipLimit);  // the clip window is kept
  // The data colour is set first; the radius follows UNITS and loses its sign.
  s->ps.last_rgb = {};
  EXPECT_EQ(lines_of("UNITS 2\nCLIPCIRCLE -0.5\n")[0], " CSM 1.00 0.00 0.00 RGB");
  EXPECT_NE(doc.find("          300 0.00000000 360.000000 arc"), std::string::npos);
  finish();
}

TEST_F(PenCommandsTest, ClippolyReadsItsVerticesFromTheInput) {
  begin();
  setvariable(s->vars, "XV", 0);
  Lines lines = lines_of("CLIPPOLY 3\n0 0\n2,0\n$XV 2\nDRAW 3 3\n");
  EXPECT_EQ(Lines(lines.begin(), lines.begin() + 7),
            (Lines{"S N", "currentdash [0 300000] 0 setdash", "300 300 M", "900 300 L", "300 900 L",
                   "closepath clip S setdash", "300 900 M"}));
  EXPECT_EQ(lines.back(), "1200 1200 L");
  EXPECT_EQ(take_err(), "");
  finish();  // the vertex lines were not run as commands: no comment for them
  EXPECT_EQ(doc.find("%! 0 0"), std::string::npos);
}

TEST_F(PenCommandsTest, ClippolyTakesAtMost100Lines) {
  begin();
  std::string commands = "CLIPPOLY 150\n";
  for (int i = 0; i < 100; ++i)
    commands += std::to_string(i % 3) + " " + std::to_string(i % 2) + "\n";
  commands += "ECHO after the polygon\n";
  run(commands);
  EXPECT_EQ(take_out(), "after the polygon\n");
  run("CLIPPOLY 3\n1 1\n");  // the input ends early: a polygon of what was read
  EXPECT_EQ(s->ps.cxmin, 600);
  EXPECT_EQ(s->ps.cxmax, 600);
  finish();
}

using PenCommandFileTest = ScratchDirTest;

TEST_F(PenCommandFileTest, ClippolyReadsFromTheCommandFile) {
  write("poly.vx", "CLIPPOLY 2\n1 0\n0 1\nMOVE 0 0\n");
  start({"-d"});
  s->run.stamp = false;  // only the lines of the file
  new_ps_lines();
  run("COM poly.vx\n");
  Lines lines = new_ps_lines();
  EXPECT_EQ(Lines(lines.begin(), lines.begin() + 5),
            (Lines{"S N", "currentdash [0 300000] 0 setdash", "600 300 M", "300 600 L",
                   "closepath clip S setdash"}));
  EXPECT_EQ(lines.back(), "300 300 M");
  finish();
}

TEST_F(PenCommandsTest, LiteralWritesTheRestOfTheLine) {
  begin();
  setvariable(s->vars, "W", 5);
  EXPECT_EQ(lines_of("LITERAL   \\$W setlinewidth   \nLITERAL\n"), (Lines{"  5 setlinewidth", ""}));
  finish();
}

TEST_F(PenCommandsTest, StampSwitches) {
  begin();
  run("NOSTAMP\n");
  EXPECT_FALSE(s->run.stamp);
  run("STAMP\n");
  EXPECT_TRUE(s->run.stamp);
  run("NOTIME\n");
  EXPECT_FALSE(s->run.stamp);
  // With a text the text is stamped, whatever the switch.
  EXPECT_NE(lines_of("STAMP |Hhello stamp\n"), Lines{});
  EXPECT_FALSE(s->run.stamp);
  finish();
}

// A new page: the stamps of the old one (when stamping is on), the page
// break, and the pen one inch in again.
TEST_F(PenCommandsTest, PageWithAndWithoutStamps) {
  begin();
  run("ORIG 2 2\nPAGE\n");
  Lines lines = new_ps_lines();
  Lines tail = from(lines, "S showpage");
  ASSERT_FALSE(tail.empty());
  EXPECT_EQ(tail, (Lines{"S showpage", "%%Page: 2",
                         " 0.23999999999999999 0.23999999999999999 scale", "0 0 M", "300 300 M"}));
  EXPECT_GT(lines.size() - tail.size(), 1u);  // the stamps came first
  EXPECT_EQ(s->run.pages_done, 1);
  EXPECT_EQ(s->pen.xoff, 1);
  EXPECT_EQ(s->pen.yoff, 1);
  take_err();

  run("NOSTAMP\nNEWPAGE\n");
  lines = new_ps_lines();
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.front(), "S showpage");
  EXPECT_EQ(lines[1], "%%Page: 3");
  EXPECT_EQ(s->run.pages_done, 2);
  finish();
  EXPECT_NE(doc.find("\n%%Pages: 3\n%%EOF\n"), std::string::npos);
}

TEST_F(PenCommandsTest, QuitStampsThePage) {
  begin();
  run("DRAW 1 1\n");
  new_ps_lines();
  finish();
  Lines lines = new_ps_lines();
  ASSERT_GT(lines.size(), 5u);
  EXPECT_NE(lines.front(), "S");  // stamps before the end
  EXPECT_EQ(s->run.pages_done, 1);
}

TEST_F(PenCommandFileTest, CommandFileNameStamped) {
  write("a.vx", "ECHO a\n");
  start({"-d"});
  new_ps_lines();
  run("COMMANDFILE/NOSTAMP a.vx\n");
  EXPECT_EQ(new_ps_lines(), Lines{});
  run("COM a.vx\n");
  EXPECT_NE(new_ps_lines(), Lines{});
  run("NOSTAMP\nCOM a.vx\n");
  EXPECT_EQ(new_ps_lines(), Lines{});
  finish();
}

TEST_F(PenCommandsTest, LandscapeDocument) {
  begin({"-d", "-l"});
  run("NOSTAMP\nMOVE 0 0\nDRAW 1 2\n");  // device box 300 300 600 900
  finish();
  EXPECT_NE(doc.find("%! Begin definitions\n612 0 translate\n90 rotate\n0 setlinecap\n"),
            std::string::npos);
  // 612 - ymax, xmin, 612 - (ymin + 1), xmax + 1 in points; no margin.
  EXPECT_EQ(header_box(), "%%BoundingBox:       396      72     539     145");
}

TEST_F(PenCommandsTest, StandardOutputKeepsAtend) {
  begin({"-d", "-s"});
  run("NOSTAMP\nMOVE 0 0\nDRAW 1 1\n");
  finish();
  EXPECT_EQ(header_box(), "%%BoundingBox: (atend)");
  EXPECT_NE(doc.find("%%BoundingBox:        67      67     149     149"), std::string::npos);
}

}  // namespace
}  // namespace vexal
