// The shape commands as a user types them: circles, arrows and their sizes,
// filled polygons read from the following lines, pattern comments, and
// hostile sizes that must still leave a document readers accept.
#include <string>
#include <vector>

#include "support/session_fixture.h"

namespace vexal {
namespace {

using Lines = std::vector<std::string>;

class ShapeCommandsTest : public SessionTest {
 protected:
  // A fresh session (the previous document checked) without its start-up lines.
  void fresh() {
    restart();
    new_ps_lines();
  }
  Lines lines_of(const std::string& commands) {
    run(commands);
    return new_ps_lines();
  }
};

// The last n lines.
Lines tail(const Lines& lines, size_t n) {
  return n < lines.size() ? Lines(lines.end() - n, lines.end()) : lines;
}

constexpr const char* kArcLine =
    "          600          600          150 0.00000000 360.000000 arc";

TEST_F(ShapeCommandsTest, CirclesAreOneArcAboutThePenInTheDataColour) {
  struct Case {
    const char* command;
    const char* open;
    const char* close;
  };
  constexpr Case kCases[] = {
      {"CIRCLE 0.25", "S", "S"},
      {"FCIRCLE -0.25", "S N", "CF S"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.command);
    fresh();
    run("SETRGB 1 0 0\nMOVE 1 1\nUNITS 2\n");
    new_ps_lines();
    s->ps.last_rgb = {};  // so that the data colour shows
    EXPECT_EQ(
        lines_of(std::string(c.command) + "\n"),
        (Lines{" CSM 1.00 0.00 0.00 RGB", c.open, "750 600 M", kArcLine, c.close, "600 600 M"}));
  }
  finish();
}

TEST_F(ShapeCommandsTest, ArrowsRunFromThePenToTheirEnd) {
  struct Case {
    const char* setup;
    const char* command;
    Lines polygon;  // the last lines written
  };
  const Case kCases[] = {
      // Automatic sizes: head a tenth of the length, shaft 0.03 of it.
      {"MOVE 0 0",
       "ARROW 1 0",
       {"600 300 M", "570 285 L", "570 295 L", "300 295 L", "300 304 L", "570 304 L", "570 315 L",
        "600 300 L"}},
      // Sizes times UNITS; pointing left.
      {"UNITS 2\nMOVE 0.5 0\nAHS 0.2\nASW 0.1",
       "ARROW 0 0",
       {"300 300 M", "420 360 L", "420 330 L", "600 330 L", "600 270 L", "420 270 L", "420 240 L",
        "300 300 L"}},
      {"MOVE 0 0\nARROWHEADS 0.4\nARROWSHAFTW 0.2",
       "FILLEDARROW 1 0",
       {"S N", "600 300 M", "480 240 L", "480 270 L", "300 270 L", "300 330 L", "480 330 L",
        "480 360 L", "CF S", "480 360 M", "600 300 M"}},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.command);
    fresh();
    run(std::string(c.setup) + "\n");
    new_ps_lines();
    const Lines lines = lines_of(std::string(c.command) + "\n");
    EXPECT_EQ(tail(lines, c.polygon.size()), c.polygon);
    // Only the outlined arrow takes the data dash.
    EXPECT_EQ(lines.size() > c.polygon.size() && lines[0] == "CSM [", c.command[0] == 'A');
  }
  // The end became the pen's position.
  EXPECT_EQ(lines_of("DRAW 0 0\n").back(), "300 300 L");
  finish();
}

TEST_F(ShapeCommandsTest, ArrowToThePenWritesNothing) {
  run("AHS 0.2\nASW 0.1\nMOVE 1 1\n");  // a head and shaft of their own sizes
  new_ps_lines();
  EXPECT_EQ(lines_of("ARROW 1 1\nFARROW 1 1\n"), Lines{});
  finish();
}

TEST_F(ShapeCommandsTest, FilledPolygonReadsItsVerticesFromTheFollowingLines) {
  s = nullptr;
  fresh();
  s->store.resize(3);
  EXPECT_EQ(lines_of("FPOLY 3\n0 0\n1,0\n1 1\nMOVE 1 1\n"),
            (Lines{"S N", "300 300 M", "600 300 L", "600 600 L", "CF S", "600 600 M"}));
  EXPECT_EQ(take_err(), "");
  // The vertices overwrote the points held; their number stays.
  EXPECT_EQ(s->store.npts(), 3);
  EXPECT_EQ(s->store.x[1], 1);
  EXPECT_EQ(s->store.y[2], 1);

  // A count beyond the input: the lines that are there. None: nothing drawn,
  // and the next line runs as a command.
  EXPECT_EQ(lines_of("FPOLY 3e9\n2 2\n"), Lines{"900 900 M"});
  run("FPOLY -5\nECHO after\n");
  EXPECT_EQ(take_out(), "after\n");
  EXPECT_EQ(new_ps_lines(), Lines{});
  finish();
}

TEST_F(ShapeCommandsTest, PatternsLeaveCommentLines) {
  fresh();
  EXPECT_EQ(lines_of("DEFINEPAT 1 255 0 0 0 0 0 0 16\nSETPAT 10\n"),
            (Lines{" %01FF00000000000010DPAT", " %0ASPAT"}));
  // Numbers and bytes beyond a byte: their low 8 bits.
  EXPECT_EQ(lines_of("DEFINEPAT 300 -1 0 0 0 0 0 0 256\nSETPAT -2\n"),
            (Lines{" %2CFF00000000000000DPAT", " %FESPAT"}));
  finish();
}

TEST_F(ShapeCommandsTest, HostileSizesLeaveADocumentReadersAccept) {
  constexpr const char* kCases[] = {
      "AHS 1e308\nASW {1e308 10 *}\nMOVE 0 0\nARROW 1 1\nFARROW 0 0\n",
      "AHS {1e308 10 * dup -}\nARROW -1e308 1e308\nFARROW 1 1\n",
      "MOVE 1e308 -1e308\nARROW 0 0\nCIRCLE 1\n",
      "CIRCLE 1e308\nFCIRCLE {1e308 10 *}\nCIRCLE {1e308 10 * dup -}\n",
      "FPOLY 3\n1e308 0\n{1e308 10 * dup -} 1\n0 {1e308 10 *}\n",
  };
  for (const char* c : kCases) {
    SCOPED_TRACE(c);
    fresh();
    run(c);
  }
  finish();
}

}  // namespace
}  // namespace vexal
