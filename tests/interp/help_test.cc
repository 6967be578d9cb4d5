// The command reference and HELP: one entry for every name of the command
// table, the program and the page in step with the text, and HELP name's listing.
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "interp/command_reference.h"
#include "interp/command_table.h"
#include "support/scratch_dir.h"

namespace vexal {
namespace {

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Runs a generating script of scripts/ into `output` and returns what it wrote.
std::string generated(const std::string& script, const std::string& output) {
  const std::string command =
      "sh '" + std::string(VEXAL_SOURCE_DIR) + "/scripts/" + script + "' '" + output + "'";
  EXPECT_EQ(std::system(command.c_str()), 0) << command;
  return read_file(output);
}

TEST(CommandReference, OneEntryForEveryCommandNameAndNoOther) {
  std::map<std::string_view, int> entries;
  for (const CommandEntry& e : command_reference()) {
    ++entries[e.name];
    EXPECT_FALSE(e.effect.empty()) << e.name;
    EXPECT_LE(e.effect.size(), 110u) << e.name;
    EXPECT_EQ(e.effect.find('\t'), std::string_view::npos) << e.name;
  }
  // The merged table of the subsystems' tables, against the reference.
  for (const Command& c : command_table().commands()) {
    auto it = entries.find(c.name);
    if (it == entries.end()) {
      ADD_FAILURE() << c.name << " has no entry in src/interp/command_reference.txt";
      continue;
    }
    EXPECT_EQ(it->second, 1) << c.name << " has more than one entry";
    entries.erase(it);
  }
  for (const auto& [name, count] : entries) ADD_FAILURE() << name << " is in no command table";
}

TEST(CommandReference, ParsingSkipsCommentsAndToleratesMissingFields) {
  const auto entries = parse_command_reference("# note\n\nA\tx y\tdoes a\nB\t\tdoes b\nC\n");
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].params, "x y");
  EXPECT_EQ(entries[0].effect, "does a");
  EXPECT_EQ(entries[1].params, "");
  EXPECT_EQ(entries[1].effect, "does b");
  EXPECT_EQ(entries[2].name, "C");
  EXPECT_EQ(entries[2].effect, "");
}

using GeneratedTest = ScratchDirTest;

// docs/commands.md is made from the text by a script and committed; it must be
// remade with every change to the text. The program's literal is remade by
// the build, so the program holds the text as it is now.
TEST_F(GeneratedTest, PageIsCurrentAndTheProgramHoldsTheText) {
  const std::string source = VEXAL_SOURCE_DIR;
  EXPECT_EQ(generated("render-command-reference.sh", "commands.md"),
            read_file(source + "/docs/commands.md"))
      << "run scripts/render-command-reference.sh";
  const std::string text = read_file(source + "/src/interp/command_reference.txt");
  const std::vector<CommandEntry> now = parse_command_reference(text);
  ASSERT_EQ(now.size(), command_reference().size());
  for (size_t i = 0; i < now.size(); ++i) {
    const CommandEntry& held = command_reference()[i];
    EXPECT_TRUE(now[i].name == held.name && now[i].params == held.params &&
                now[i].effect == held.effect)
        << now[i].name;
  }
}

using HelpTest = SessionTest;

TEST_F(HelpTest, NameListsTheCommandsBeginningWithIt) {
  run("HELP circ\n");
  EXPECT_EQ(take_out(), "CIRCLE  r  Draw a circle of radius r around the current point.\n");
  EXPECT_EQ(take_err(), "");

  // Sorted by name, the parameters and effects in aligned columns.
  run("HELP FCI\nHELP FILLEDC\nHELP TEXTB\n");
  EXPECT_EQ(take_out(),
            "FCIRCLE  r  Draw a filled circle of radius r around the current point.\n"
            "FILLEDCIRCLE  r  Same as FCIRCLE.\n"
            "TEXTBLOCK      Draw the next input line as a block of text wrapped to TEXTBLOCKW.\n"
            "TEXTBLOCKW  w  Width of a text block.\n");
}

TEST_F(HelpTest, AloneSaysWhereTheReferenceIs) {
  run("HELP\n");
  EXPECT_EQ(take_err(),
            "Vexal help is available on the internet via WWW\n"
            "at https://vexal.example.org/commands.html\n"
            "HELP name lists the commands whose names begin with name.\n");
  EXPECT_EQ(take_out(), "");
}

TEST_F(HelpTest, NoMatchSaysSo) {
  run("HELP qqq\n");
  EXPECT_EQ(take_err(), "No command begins with QQQ.\n");
  EXPECT_EQ(take_out(), "");
}

}  // namespace
}  // namespace vexal
