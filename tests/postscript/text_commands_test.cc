// The text and marker commands, run as command lines: TEXT and TITLE with
// their settings, fonts, text strings, new lines, text blocks and markers.
#include <algorithm>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "interp/command_table.h"
#include "support/command_tables.h"
#include "support/session_fixture.h"

namespace vexal {
namespace {

using Point = std::pair<int, int>;

class TextCommandsTest : public SessionTest {
 protected:
  void TearDown() override { finish(); }
  // Runs the lines; returns the document lines they wrote.
  std::vector<std::string> lines_of(const std::string& text) {
    run(text);
    return new_ps_lines();
  }
  // The characters shown among `ls`, in order.
  static std::string shown(const std::vector<std::string>& ls) {
    std::string text;
    for (const std::string& l : ls) {
      if (l.size() < 6 || l[0] != ' ' || !l.ends_with(" T")) continue;
      if (l[1] == '<')
        text += static_cast<char>(std::stoi(l.substr(2, 2), nullptr, 16));
      else if (l[1] == '(')
        text += l[2] == '\\' ? l[3] : l[2];
    }
    return text;
  }
  // Where each shown character is placed: the last move before it (moves
  // dropped as repeats leave the pen where it was, `from`).
  static std::vector<Point> placed(const std::vector<std::string>& ls, Point from) {
    std::vector<Point> out;
    for (const std::string& l : ls) {
      int x, y;
      if (l.ends_with(" M") && std::sscanf(l.c_str(), "%d %d", &x, &y) == 2) from = {x, y};
      if (l.size() >= 6 && l[0] == ' ' && l.ends_with(" T")) out.push_back(from);
    }
    return out;
  }
  Point pen() const { return {s->ps.ixlast, s->ps.iylast}; }
};

size_t count(const std::vector<std::string>& ls, std::string_view line) {
  return std::count(ls.begin(), ls.end(), line);
}

TEST(TextCommandTable, EveryNameIsACommandAndDispatchesHere) {
  const size_t count = expect_dispatched_here(text_commands());
  EXPECT_EQ(count, 34u);
}

TEST_F(TextCommandsTest, TextAtTheCurrentPointSetsSlen) {
  run("MOVE 1 2\n");
  const Point from = pen();
  EXPECT_EQ(from, Point(600, 900));
  auto ls = lines_of("TEXT Hello World\n");
  EXPECT_EQ(shown(ls), "Hello World");
  const auto p = placed(ls, from);
  ASSERT_EQ(p.size(), 11u);
  EXPECT_EQ(p[0], from);
  // H e l l o: 23 19 9 9 19 units of 0.18/24 inch.
  EXPECT_EQ(p[5], Point(600 + 177, 900));
  EXPECT_NEAR(num("SLEN"), (23 + 19 + 9 + 9 + 19 + 14 + 29 + 19 + 13 + 9 + 19) * 0.0075, 1e-12);
  EXPECT_EQ(pen(), from);  // the pen ends where the text began

  // A text whose escapes change fonts and sizes measures as drawn.
  run("TEXT a|+b\n");
  EXPECT_NEAR(num("SLEN"), (19 + 19 * 0.7499) * 0.0075, 1e-12);
}

// Typed characters through the commands: a label draws its glyphs, SLEN
// measures them by the fonts' metrics (an em is 100/72 of TEXTSI), and a
// character no standard font has is drawn as "?" with a warning naming it.
TEST_F(TextCommandsTest, TypedCharactersInTextsAndLabels) {
  run("TEXT 5 C\n");
  const double plain = num("SLEN");
  auto ls = lines_of(
      "TEXT 5 \xC2\xB0"
      "C\n");
  EXPECT_NE(std::find(ls.begin(), ls.end(), " /degree glyphshow"), ls.end());
  EXPECT_NEAR(num("SLEN") - plain, 0.4 * 0.25, 1e-12);  // the degree sign: 0.4 em
  EXPECT_EQ(take_err(), "");
  ls = lines_of("YMIN 0\nYMAX 1\nYLAB \xCE\xB1\nSHOWYAXIS\n");
  EXPECT_NE(std::find(ls.begin(), ls.end(), " /alpha glyphshow"), ls.end());
  ls = lines_of("TEXT \xE4\xB8\xAD\n");
  EXPECT_EQ(shown(ls), "?");
  EXPECT_EQ(take_err(), "Warning--no standard font has the character U+4E2D: drawn as ?\n");
}

TEST_F(TextCommandsTest, SizeAngleColourAndJustification) {
  auto ls = lines_of("TEXTSI 0.1\nMOVE 1 1\nTEXT a\n");
  EXPECT_EQ(num("TEXTSIZE"), 0.1);
  EXPECT_EQ(count(ls, "       41 BF SF"), 1u);
  run("UNITS 2\nTEXTSI 0.1\nUNITS 1\n");
  EXPECT_EQ(num("TEXTSIZE"), 0.2);

  ls = lines_of("TEXTA 30\nTEXTCOLOR 0 0 1\nTEXT ab\nTEXTA 0\n");
  EXPECT_EQ(count(ls, "30 R"), 2u);
  EXPECT_EQ(count(ls, "-30 R"), 2u);
  EXPECT_EQ(count(ls, " CSM 0.00 0.00 1.00 RGB"), 1u);

  // "ab" at 0.2 inch is 0.3166... inch long; the text starts at x 600.
  struct Case {
    const char* command;
    int x;
  };
  const Case kCases[] = {{"CENTER", 600 - 48}, {"RIGHT", 600 - 95}, {"LEFT", 600}};
  for (const Case& c : kCases) {
    const Point from = pen();
    const auto p = placed(lines_of(std::string(c.command) + "\nTEXT ab\n"), from);
    ASSERT_EQ(p.size(), 2u) << c.command;
    EXPECT_EQ(p[0].first, c.x) << c.command;
  }
}

TEST_F(TextCommandsTest, TitleCentredAboveTheFrame) {
  run("MOVE 0 0\n");
  const Point from = pen();
  const auto ls = lines_of("TITLE ab\n");
  const auto p = placed(ls, from);
  ASSERT_EQ(p.size(), 2u);
  // (6 / 2, 6 + 0.18) from the origin at (1, 1); "ab" is 0.285 inch long.
  EXPECT_EQ(p[0], Point(1200 - 43, 2154));
  EXPECT_NEAR(num("SLEN"), 0.285, 1e-12);
}

TEST_F(TextCommandsTest, SetfontTakesOnlyStandardNames) {
  lines_of("MOVE 1 1\n");
  auto ls = lines_of("SETFONT Times-Roman  \n");
  EXPECT_TRUE(ls.empty());  // a font change alone writes nothing
  ls = lines_of("TEXT a\n");
  EXPECT_EQ(count(ls, "(Times-Roman) FF"), 1u);
  ls = lines_of("SETFONT Palatino\nSETFONT times-bold\nTEXT b\n");
  EXPECT_EQ(shown(ls), "b");
  EXPECT_EQ(std::count_if(ls.begin(), ls.end(), [](auto& l) { return l.ends_with(" FF"); }), 0);
  ls = lines_of("SETFONT Courier-Bold\nTEXT c|Hd\n");
  EXPECT_EQ(count(ls, "(Courier-Bold) FF"), 1u);
  EXPECT_EQ(count(ls, "(Helvetica) FF"), 1u);
}

TEST_F(TextCommandsTest, TextStrings) {
  const auto ls = lines_of("TEXTSTRING2 Hello there\nSHOWTEXTSTRING2\n");
  EXPECT_EQ(chr("TEXTSTRING2"), "Hello there");
  EXPECT_EQ(shown(ls), "Hello there");
}

TEST_F(TextCommandsTest, NewlineMovesBySpacing) {
  struct Case {
    const char* setup;
    Point step;  // from a to b, device units
  };
  const Case kCases[] = {
      {"", {0, -65}},                          // 1.2 x 0.18 inch down
      {"NEWLINES 0.5\n", {0, -150}},           // wider than the text
      {"TEXTA 90\n", {64, 0}},                 // turned text: to the right
      {"UNITS 2\nNEWLINES 0.3\n", {0, -180}},  // 0.6 inch, though RMOVE takes units
  };
  for (const Case& c : kCases) {
    run(std::string("NEWLINES 0\n") + c.setup + "MOVE 1 2\nTEXT a\n");
    new_ps_lines();
    const Point a = pen();
    const auto p = placed(lines_of("NEWLINE\nTEXT b\nTEXTA 0\nUNITS 1\n"), a);
    ASSERT_EQ(p.size(), 1u) << c.setup;
    EXPECT_EQ(p[0], Point(a.first + c.step.first, a.second + c.step.second)) << c.setup;
    EXPECT_EQ(take_err(), "") << c.setup;
  }
}

TEST_F(TextCommandsTest, TextblockWrapsTheNextInputLine) {
  run("%animal=fox\nTEXTBLOCKW 2\nMOVE 0 3\n");
  const Point from = pen();
  const auto ls =
      lines_of("TEXTBLOCK\nthe quick  brown |%animal jumps over the lazy dog\nTEXT end\n");
  EXPECT_EQ(shown(ls), "the quickbrown foxjumps overthe lazy dogend");
  std::set<int> rows;
  for (const Point& p : placed(ls, from)) rows.insert(p.second);
  EXPECT_EQ(rows.size(), 4u);  // "end" is drawn on the last line's row, after the block
  EXPECT_EQ(take_err(), "");

  // A line far longer than a command line: every word is drawn.
  std::string words, all;
  for (int i = 100; i < 300; ++i) {
    words += "w" + std::to_string(i) + " ";
    all += "w" + std::to_string(i);
  }
  const auto long_ls = lines_of("TEXTBLOCKW 1000\nTEXTBLOCK\n" + words + "\n");
  std::string drawn = shown(long_ls);
  drawn.erase(std::remove(drawn.begin(), drawn.end(), ' '), drawn.end());
  EXPECT_EQ(drawn, all);
}

TEST_F(TextCommandsTest, MarkerCommands) {
  struct Case {
    const char* commands;
    std::vector<std::string> marker;  // the lines after the move
  };
  const Case kCases[] = {
      {"SYMBOLN 3\nSHOWSYM\n", {"30 S3"}},
      {"SS 0.2\nSHOWSYM\n", {"60 S3"}},
      {"FILLEDSYM\nSYMBOLN 0\nPUTSYM\n", {"S N", "", "60 S0F"}},
      {"NOFILLEDSYM\nSHOWSYM\n", {"60 S0"}},
      {"UNITS 0.5\nSYMBOLSI 0.2\nUNITS 1\nSYMBOLN 7\nSHOWSYM\n", {"30 S0", "30 S4"}},
  };
  double x = 0;
  for (const Case& c : kCases) {
    x += 0.5;
    run("MOVE " + std::to_string(x) + " 1\n");
    const std::string move = new_ps_lines().back();
    std::vector<std::string> want;
    for (const std::string& l : c.marker) want.push_back(l.empty() ? move : l);
    EXPECT_EQ(lines_of(c.commands), want) << c.commands;
  }
  EXPECT_EQ(s->text.sym, 1);
  EXPECT_GE(s->text.ssk, 1);
  run("NOSYM\n");
  EXPECT_EQ(s->text.ssk, 0);
  EXPECT_EQ(s->text.sym, 0);
  run("SYM\n");
  EXPECT_EQ(s->text.ssk, 1);
  run("SYMBOLC 0\n");
  EXPECT_EQ(s->text.ssk, 0);
}

TEST_F(TextCommandsTest, UserMarkers) {
  run("DEFINESYM 12 TEXT a b\nDEFINESYM 13 NUMBER 2.50\nMOVE 2 2\nSS 0.2\n");
  EXPECT_EQ(shown(lines_of("SYMBOLN 12\nSHOWSYM\n")), "a b");
  EXPECT_EQ(shown(lines_of("SYMBOLN 13\nSHOWSYM\n")), "2.5");
  run("DEFINESYM 14 WORDS x\n");
  EXPECT_EQ(take_err(), " A parameter was missing or invalid: DEFINESYM 14 WORDS x\n");
  EXPECT_EQ(shown(lines_of("SYMBOLN 14\nSHOWSYM\nSYMBOLN 30\nSHOWSYM\n")), "");
}

}  // namespace
}  // namespace vexal
