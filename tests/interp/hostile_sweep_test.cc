// The hostile-number sweep: every command of the command tables run with
// numbers that break careless conversions (the int range, infinities, NaN,
// a missing parameter), as its first parameter and as every parameter. Each
// run must end, print no sanitizer report (the sanitizer build stops at the
// first) and leave a document Ghostscript accepts. Commands join the sweep as
// their subsystems add them to the tables.
#include <algorithm>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "interp/command_table.h"
#include "support/ghostscript.h"
#include "support/scratch_dir.h"

// In the sanitizer build every report stops the run, whatever the checks were
// built to do, so that a report fails the test instead of scrolling past.
extern "C" const char* __ubsan_default_options() { return "halt_on_error=1:print_stacktrace=1"; }

namespace vexal {
namespace {

// Small values and a missing parameter (""); just past the int range; past
// every integer type; NaN and Inf as text, which the number reader refuses;
// a real infinity and NaN from expressions.
constexpr std::string_view kHostileValues[] = {
    "0",
    "-1",
    "",
    "3e9",
    "-3e9",
    "2147483648",
    "1e308",
    "-1e308",
    "NaN",
    "Inf",
    "{1e308 10 *}",
    "{1e308 10 * neg}",
    "{1e308 10 * dup -}",
    // Texts that a careless command would hand back to the stream as command
    // lines: an escaped ";" before a command, references and expressions,
    // and a character variable holding a plain ";".
    "a\\;ECHO SWEPT\\;DELETE victim \\\\ || |%t \\$t {1 2 +} %t $t",
    "|%sweep",
    // Text in UTF-8 and bytes that only look like it: a character of every
    // length, one no font has, overlong forms, a surrogate, a code point
    // past U+10FFFF and sequences cut short.
    "\xC2\xB0\xCE\xB1\xE2\x89\xA4\xF0\x9F\x98\x80 \xC0\xAF\xED\xA0\x80\xF4\x90\x80\x80"
    "\xE2\x89 \xF0\x9F",
};

// Commands the sweep leaves out.
constexpr std::string_view kNotSwept[] = {
    "QUIT",                                 // ends the session
    "SYSTEM",  "LIBEXEC", "NETLIB", "LIB",  // the shell and the command library
    "SETENV",                               // the test process's own environment
    "LITERAL",  // its parameters are PostScript as the user wrote it, 1e308 included
};

// Parameters given after the command word for "every parameter".
constexpr int kEveryParameter = 8;

// Lines run after each value, so that a setting is also used: a curve with
// markers and automatic axes from a small data file, a line, a text, a marker,
// and axes with a fixed count of ticks.
constexpr std::string_view kUseSettings =
    "PLOT\nMOVE 1 1\nDRAW 2 2\nTEXT hostile\nPUTSYM 1\nNOAUTO\nSHOWAXES\nAUTO\n";

bool swept(const Command& c) {
  return std::find(std::begin(kNotSwept), std::end(kNotSwept), c.name) == std::end(kNotSwept);
}

class HostileSweep : public ScratchDirTest {
 protected:
  // Runs the lines as terminal input of their own, closed after use (the
  // fixture's run() keeps its streams, and thousands of open streams make
  // every fclose slow).
  void feed(std::string lines) {
    std::FILE* f = fmemopen(lines.data(), lines.size(), "r");
    ASSERT_NE(f, nullptr);
    s->stream.terminal = f;
    s->loop(false);
    s->stream.terminal = nullptr;
    std::fclose(f);
  }

  // The document of the command run with every hostile value in one session.
  std::string sweep(std::string_view name) {
    s.reset();
    doc.clear();
    out.clear();
    err.clear();
    start();
    s->run.bounded = true;  // INVENT, loops and jumps kept small
    s->enter_sandbox();     // no shell, no file written or deleted
    s->reader.np = 20000;   // room for INVENT's points without reserving the full store
    setcvariable(s->vars, "SWEEP", "b;ECHO SWEPT;DELETE victim \\ | |%t \\$t {1 2 +}", s->err());
    for (std::string_view value : kHostileValues) {
      std::string one = std::string(name) + " " + std::string(value);
      std::string every = std::string(name);
      for (int i = 0; i < kEveryParameter; ++i) every += " " + std::string(value);
      // Each line is input of its own, so a command reading the lines after
      // it meets the end of input; an ENDIF closes a block IF or ELSE opened.
      feed(one + "\n");
      feed("ENDIF\n");
      if (!value.empty()) {
        feed(every + "\n");
        feed("ENDIF\n");
      }
      feed(std::string(kUseSettings));
    }
    if (!s->run.quit) feed("QUIT\n");
    s->flush_terminal();
    return doc;
  }
};

TEST_F(HostileSweep, EveryCommandEndsWithADocumentGhostscriptAccepts) {
  write("data", "1 2 3\n2 4 1\n3 1 2\n4 3 5\n");
  std::vector<NamedDocument> docs;
  for (const Command& c : command_table().commands()) {
    if (!swept(c)) continue;
    docs.push_back({std::string(c.name), sweep(c.name)});
    EXPECT_TRUE(s->run.quit) << c.name;
    // No text of a parameter ran as a command of its own.
    EXPECT_EQ(("\n" + out).find("\nSWEPT\n"), std::string::npos) << c.name;
  }
  EXPECT_GT(docs.size(), 300u);  // the commands built when the sweep was written
  std::vector<std::string> errors = ghostscript_errors(docs);
  for (size_t i = 0; i < docs.size(); ++i) EXPECT_EQ(errors[i], "") << docs[i].name;
}

// The batch check keeps documents apart: an error, or stacks left full, in
// one document neither hides nor causes an error in the next.
TEST(GhostscriptBatch, EachDocumentJudgedOnItsOwn) {
  const NamedDocument docs[] = {
      {"fine", "%!PS\n0 0 moveto 72 72 lineto stroke showpage\n"},
      {"undefined", "%!PS\n0 0 moveto no_such_operator showpage\n"},
      {"leftovers", "%!PS\n/x 1 def 1 2 3 10 dict begin gsave (open string\n"},
      {"uses x", "%!PS\nx pop showpage\n"},
      {"fine again", "%!PS\nnewpath 0 0 moveto 1 1 lineto stroke showpage\n"},
  };
  std::vector<std::string> errors = ghostscript_errors(docs);
  ASSERT_EQ(errors.size(), 5u);
  EXPECT_EQ(errors[0], "");
  EXPECT_NE(errors[1].find("undefined"), std::string::npos) << errors[1];
  EXPECT_NE(errors[2], "");
  EXPECT_NE(errors[3].find("undefined"), std::string::npos) << errors[3];
  EXPECT_EQ(errors[4], "");
}

}  // namespace
}  // namespace vexal
