// Terminal lines with editing and history.
#include "interp/line_editor.h"

#include <unistd.h>

#include <cstdlib>

#ifdef VEXAL_LINE_EDITING
#include <editline/readline.h>
#endif

namespace vexal {

#ifdef VEXAL_LINE_EDITING

constexpr int kHistoryLines = 1000;  // lines the history keeps, the latest

std::unique_ptr<LineEditor> LineEditor::for_terminal(std::FILE* fp,
                                                     const std::string& history_file) {
  if (!fp || !::isatty(::fileno(fp))) return nullptr;
  return std::unique_ptr<LineEditor>(new LineEditor(history_file));
}

LineEditor::LineEditor(std::string history_file) : history_file_(std::move(history_file)) {
  using_history();
  stifle_history(kHistoryLines);
  if (!history_file_.empty()) read_history(history_file_.c_str());
}

LineEditor::~LineEditor() {
  if (!history_file_.empty()) write_history(history_file_.c_str());
  clear_history();
}

bool LineEditor::read(const char* prompt, std::string& line, bool command) {
  rl_inhibit_completion = command ? 0 : 1;
  // The library's own signal handling stays on (rl_catch_signals): while it
  // reads, a signal first puts the terminal back as it was, then reaches the
  // program's handler, and readline returns null. Without it a suspended
  // session would come back to a terminal that no longer edits.
  char* text = readline(prompt);
  if (!text) return false;
  line = text;
  std::free(text);
  if (!line.empty() && line.back() == '\r') line.pop_back();
  if (command && line.find_first_not_of(" \t") != std::string::npos) add_history(line.c_str());
  return true;
}

#else

std::unique_ptr<LineEditor> LineEditor::for_terminal(std::FILE*, const std::string&) {
  return nullptr;
}
LineEditor::LineEditor(std::string history_file) : history_file_(std::move(history_file)) {}
LineEditor::~LineEditor() = default;
bool LineEditor::read(const char*, std::string&, bool) { return false; }

#endif

}  // namespace vexal
