// Variables and substitution as users see them: the "$" and "%" line forms,
// SETVAR and SETENV, the listings, and every substitution control.
#include "util/variables.h"

#include <cstdlib>

#include "interp/expand.h"
#include "support/session_fixture.h"

namespace vexal {
namespace {

TEST(VariableTables, NamesAreCaseInsensitiveAndCutAt16) {
  Variables v;
  OutBuffer err;
  setvariable(v, "alpha_1+2", 5);
  bool error = true;
  EXPECT_EQ(getvariable(v, "ALPHA_1", &error, false, err), 5);
  EXPECT_FALSE(error);
  setvariable(v, "abcdefghijklmnopqrs", 7);
  EXPECT_EQ(getvariable(v, "ABCDEFGHIJKLMNOP", &error, false, err), 7);
}

TEST(VariableTables, TheHundredAndFirstNameReplacesEntryHundred) {
  Variables v;
  std::string msgs;
  OutBuffer err(&msgs);
  for (int i = 2; i <= 100; ++i) setvariable(v, "V" + std::to_string(i), i);
  ASSERT_EQ(v.numeric.size(), 100u);
  setvariable(v, "NEWCOMER", 1);
  EXPECT_EQ(v.numeric.size(), 100u);
  EXPECT_EQ(v.numeric[99].name, "NEWCOMER");
  bool error = false;
  getvariable(v, "V100", &error, true, err);
  EXPECT_TRUE(error);
  EXPECT_EQ(getvariable(v, "V99", &error, false, err), 99);
  err.flush();
  EXPECT_EQ(msgs, "V100 is not a known variable.\n");
}

TEST(VariableTables, CharacterTableIsBoundedAndSaysSo) {
  Variables v;
  std::string msgs;
  OutBuffer err(&msgs);
  for (int i = 2; i <= 500; ++i) setcvariable(v, "C" + std::to_string(i), "x", err);
  setcvariable(v, "ONE_MORE", "y", err);
  EXPECT_EQ(v.chars.size(), 500u);
  EXPECT_EQ(v.chars[499].name, "ONE_MORE");
  err.flush();
  EXPECT_EQ(msgs, "Too many character variables: ONE_MORE replaces C500\n");
}

TEST(VariableTables, WhichvariableCreatesOrWarns) {
  Variables v;
  std::string msgs;
  OutBuffer err(&msgs);
  EXPECT_EQ(whichvariable(v, "NULL", IfUnknown::kQuiet, err), 0);  // searched from entry 2
  EXPECT_EQ(whichvariable(v, "q", IfUnknown::kWarn, err), 0);
  int i = whichvariable(v, "q", IfUnknown::kCreate, err);
  EXPECT_EQ(i, 2);
  svariable(v, i, 4.5);
  EXPECT_EQ(gvariable(v, i), 4.5);
  EXPECT_EQ(gvariable(v, 999), 0.0);  // out of range reads nothing
  err.flush();
  EXPECT_EQ(msgs, "Q is not a known variable--please re-enter command.\n");
}

class SubstitutionTest : public SessionTest {
 protected:
  std::string echo(const std::string& line) {
    run("ECHO " + line + "\n");
    std::string o = take_out();
    if (!o.empty() && o.back() == '\n') o.pop_back();
    return o;
  }
};

TEST_F(SubstitutionTest, NumbersAndTheirLayouts) {
  run("SETVAR      A    2.5\nSETVAR      NEG  -3.26\n$small=0.000012345\n");
  struct Case {
    const char* line;
    const char* want;
  };
  const Case kCases[] = {
      {"a=\\$a", "a=2.5"},
      {"\\#(i5)\\$a", "    3"},
      {"\\#(f8.3)\\$a", "   2.500"},
      {"\\${a}x", "2.5x"},
      {"|$a", "2.5"},
      {"\\#+\\$a \\#-\\$a", "+2.5 2.5"},
      {"\\#1\\$neg", "-3.3"},
      {"\\#0\\$neg", "-3"},
      {"\\^\\$a", "2.5x10|+0|>|-|>"},
      {"\\:\\$a", "000/02:30"},
      {"x\\&y", "xy"},
      {"a\\\\$b", "a\\\\$b"},
      {"||", "||"},
      // Decimals are held to what a double shows.
      {"\\^\\#400\\$a", "2.5x10|+0|>|-|>"},
      {"\\#400\\$small", "0.000012345"},
      {"\\#999\\$a", "2.5"},
  };
  for (const Case& c : kCases) EXPECT_EQ(echo(c.line), c.want) << c.line;
  EXPECT_EQ(take_err(), "");
}

TEST_F(SubstitutionTest, CharacterVariablesAndTheEnvironment) {
  run("%greeting=  Hello there\n%who=\\%greeting\n");
  EXPECT_EQ(chr("GREETING"), "Hello there");
  EXPECT_EQ(echo("[\\%greeting] [\\%{who}!]"), "[Hello there] [Hello there!]");
  ::setenv("VEXAL_TEST_ENV", "from env", 1);
  EXPECT_EQ(echo("\\%VEXAL_TEST_ENV"), "from env");
  EXPECT_EQ(chr("VEXAL_TEST_ENV"), "from env");  // remembered
  EXPECT_EQ(echo("<\\%nosuchvariable>"), "<>");
  EXPECT_EQ(take_err(), "NOSUCHVARIABLE is not a known variable--please re-enter command.\n");
  EXPECT_EQ(echo("\\$nosuch"), "0");
  EXPECT_EQ(take_err(), "NOSUCH is not a known variable.\n");
}

TEST_F(SubstitutionTest, ASelfReferenceIsStopped) {
  start();
  setcvariable(s->vars, "ME", "x\\%me", s->errbuf);
  std::string o = echo("\\%me");
  EXPECT_LE(o.size(), 256u);
  EXPECT_NE(take_err().find("Substitution stopped"), std::string::npos);
  run("ECHO fine\n");
  EXPECT_EQ(take_out(), "fine\n");
}

TEST_F(SubstitutionTest, SubstitutedLinesAreCutAt256) {
  run(std::string("%long=") + std::string(200, 'a') + "\n");
  EXPECT_EQ(echo("\\%long\\%long").size(), 256u - 5u);
}

TEST_F(SubstitutionTest, LineFormsAndVariableCommands) {
  run("SETVAR      XX   7\n$xx\n%c\n%c=text with Case\n%c\nSHOWVAR xx\nSHOWCVAR c\n");
  EXPECT_EQ(take_out(),
            " 7.0000000000000000\n\ntext with Case\n 7.0000000000000000\ntext with Case\n");
  EXPECT_EQ(take_err(), "C is not a known variable--please re-enter command.\n");
  run("$xx=3\n$xx\n");
  EXPECT_EQ(take_out(), " 3.0000000000000000\n");
  run("SETENV path_like /a/b/C d\n");
  EXPECT_EQ(chr("PATH_LIKE"), "/a/b/C d");
  run("VARSU 0.5\n");
  EXPECT_EQ(s->text.sup, 0.5);
}

TEST_F(SubstitutionTest, SetvarReadsFixedColumns) {
  // The name stands in columns 13 to 16, the value from column 18 on.
  run("SETVAR      ABCDE9 4\n");
  EXPECT_EQ(num("ABCD"), 9.0);
  EXPECT_EQ(s->pen.remembered_x, 9.0);
  run("SETVAR      Q    5\n");
  EXPECT_EQ(num("Q"), 5.0);
}

TEST_F(SubstitutionTest, Listings) {
  start();
  setvariable(s->vars, "ZZ", 1.5);
  setcvariable(s->vars, "NAME", "value  ", s->errbuf);
  run("DUMPVAR\n");
  std::string o = take_out();
  EXPECT_NE(o.find(" ZZ               1.5000000000000000\n"), std::string::npos) << o;
  EXPECT_EQ(o.substr(0, 31), "            1 NULL             ");
  run("DUMPCVAR\n");
  o = take_out();
  EXPECT_EQ(o.substr(0, 22), "  1 NULL             \n");
  EXPECT_NE(o.find(" NAME             value\n"), std::string::npos) << o;
  run("%YYYY=2026\n%YY=26\n%DDD=341\n%HH=12\n%MM=30\n%MM05=30\n%MM15=30\n%MM30=30\n%SS=00\n"
      "%SS15=45000\n%MONTH=12\n%DOM=07\nDUMPCSH\n");
  o = take_out();
  EXPECT_EQ(o.substr(0, 18), "setenv YYYY 2026\ns");
  EXPECT_NE(o.find("setenv DOM 07\n"), std::string::npos);
  finish();
}

}  // namespace
}  // namespace vexal
