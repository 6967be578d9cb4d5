// The in-process session fixture.
#include "support/session_fixture.h"

#include <sstream>

#include "support/ghostscript.h"
#include "util/variables.h"

namespace vexal {

SessionTest::~SessionTest() {
  s.reset();
  for (std::FILE* f : inputs_) std::fclose(f);
}

void SessionTest::start(std::vector<std::string> args) {
  SessionIo io;
  io.out_text = &out;
  io.err_text = &err;
  io.ps_text = &doc;
  io.in = nullptr;
  s = std::make_unique<Session>(io);
  s->start(args);
  s->stream.prompt = false;
  banner = take_out();
}

void SessionTest::run(const std::string& lines) {
  if (!s) start();
  texts_.push_back(lines);
  std::string& text = texts_.back();
  std::FILE* f = fmemopen(text.data(), text.size() ? text.size() : 1, "r");
  if (text.empty()) std::fgetc(f);
  inputs_.push_back(f);
  s->stream.terminal = f;
  s->loop(false);
  s->flush_terminal();
  s->ps.out.flush();
}

void SessionTest::restart() {
  if (s) finish();
  s.reset();
  doc.clear();
  doc_seen = 0;
  start();
}

void SessionTest::finish() {
  if (!s) start();
  if (!s->run.quit) run("QUIT\n");
  s->flush_terminal();
  check_document_later(doc);
}

std::string SessionTest::document_of(const std::string& commands, bool compact) {
  s.reset();
  doc.clear();
  doc_seen = 0;
  start(compact ? std::vector<std::string>{"-d", "--compact"} : std::vector<std::string>{"-d"});
  run(commands);
  finish();
  return doc;
}

std::vector<std::string> SessionTest::new_ps_lines(bool comments) {
  s->ps.out.flush();
  std::vector<std::string> lines;
  std::istringstream in(doc.substr(doc_seen));
  doc_seen = doc.size();
  for (std::string l; std::getline(in, l);)
    if (comments || l.rfind("%!", 0) != 0) lines.push_back(l);
  return lines;
}

double SessionTest::num(const std::string& name) {
  bool error = false;
  OutBuffer sink;
  double v = getvariable(s->vars, name, &error, false, sink);
  EXPECT_FALSE(error) << name << " is not set";
  return v;
}

std::string SessionTest::chr(const std::string& name) {
  int i = whichcvariable(s->vars, name, IfUnknown::kQuiet, s->errbuf);
  return i ? s->vars.chars[i - 1].value : "<unset>";
}

std::string SessionTest::take_out() {
  s->flush_terminal();
  std::string t = out;
  out.clear();
  return t;
}

std::string SessionTest::take_err() {
  s->flush_terminal();
  std::string t = err;
  err.clear();
  return t;
}

}  // namespace vexal
