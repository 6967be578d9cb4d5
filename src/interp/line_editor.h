// Terminal lines read with editing (arrow keys) and a history kept across
// sessions, when standard input is a terminal and the build has the
// line-editing library.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

namespace vexal {

class LineEditor {
 public:
  // An editor for lines typed on `fp` with the history in `history_file`,
  // or null when `fp` is not a terminal or the build has no line editing.
  static std::unique_ptr<LineEditor> for_terminal(std::FILE* fp, const std::string& history_file);
  ~LineEditor();  // writes the history back
  LineEditor(const LineEditor&) = delete;
  LineEditor& operator=(const LineEditor&) = delete;

  // Reads one line after `prompt` into `line`, whole; false at the end of
  // input, and when a caught signal (Ctrl-C) interrupted the read. A
  // `command` line goes into the history and Tab completes a file name in
  // it; any other line (data, a loop body, an answer) stays out of the
  // history and takes a Tab as typed, so pasted tab-separated data stays whole.
  bool read(const char* prompt, std::string& line, bool command);

 private:
  explicit LineEditor(std::string history_file);
  std::string history_file_;
};

}  // namespace vexal
