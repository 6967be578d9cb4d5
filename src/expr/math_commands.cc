// The commands of variable arithmetic and column math: MATH with its CLEAR
// forms and "$" targets, DUMPMATH, DOMATH, DUMPCOMPILE and TESTCOMPILE.
#include <cassert>
#include <cstdio>
#include <string>

#include "expr/math.h"
#include "expr/math_list.h"
#include "interp/command_table.h"
#include "interp/listing.h"
#include "interp/params.h"
#include "interp/session.h"
#include "util/text.h"

namespace vexal {

namespace {

bool contains(std::string_view text, std::string_view word) {
  return text.find(word) != std::string_view::npos;
}

void clear_math(Session& s, std::string_view text) {
  MathList& list = s.math_list;
  if (contains(text, "WORK")) {
    s.horizon = Horizon{};  // as CLEARW
    return;
  }
  if (contains(text, "LAST")) {
    remove_last_math_command(list);
    return;
  }
  for (char first : {'Y', 'X', 'V', 'Z'}) {
    if (contains(text, std::string_view(&first, 1))) {
      remove_math_commands(list, first);
      return;
    }
  }
  list = MathList{};
}

// MATH CLEAR [WORK | LAST | Y | X | V | Z], MATH $name = value (at once),
// MATH text (a command for every point).
void cmd_math(Session& s, Params& p) {
  std::string text = p.text;
  upcase(text);
  std::string_view t = trimmed(nolead(text));
  if (contains(t, "CLEAR")) {
    clear_math(s, t);
    return;
  }
  if (t.empty()) {
    parameter_warning(s);
    return;
  }
  MathEnv env = s.math_env();
  if (t[0] == '$') {
    math(t, env, s.scratch_math);
    return;
  }
  // MathList::any_xmath / any_ymath are set here for X and Y commands, the
  // X and Y arithmetic lines among them, since those arrive as MATH commands.
  add_math_command(s.math_list, t, env);
}

void cmd_dumpmath(Session& s, Params& p) {
  Listing list(s, getcparm(p, false));
  if (!list.failed()) write_math_list(s.math_list, list.out());
}

void cmd_dumpcompile(Session& s, Params& p) {
  Listing list(s, getcparm(p, false));
  if (!list.failed()) write_compiled_math(s.math_list, list.out());
}

void cmd_testcompile(Session& s, Params&) {
  MathEnv env = s.math_env();
  test_compile(s.math_list, env, s.term);
}

// Runs the math commands on every stored point and keeps the points they
// accept, in order.
void cmd_domath(Session& s, Params&) {
  PointStore& st = s.store;
  size_t n = static_cast<size_t>(st.npts());
  assert(st.x.size() >= n && st.y.size() >= n && st.z.size() >= n && st.v.size() >= n &&
         st.symbol.size() >= n && st.pen.size() >= n && st.colour.size() >= n);
  MathEnv env = s.math_env();
  CurrentPoint& point = s.point;
  size_t kept = 0;
  int skipped = 0;
  for (size_t j = 0; j < n; ++j) {
    point.x = st.x[j];
    point.y = st.y[j];
    point.z = st.z[j];
    point.v = st.v[j];
    point.fields[0] = static_cast<double>(j + 1);  // C0: the point's number
    if (!run_math_commands(s.math_list, env)) {
      ++skipped;
      continue;
    }
    st.x[kept] = point.x;
    st.y[kept] = point.y;
    st.z.set(kept, point.z);
    st.v.set(kept, point.v);
    st.symbol.set(kept, st.symbol[j]);
    st.pen.set(kept, st.pen[j]);
    st.colour.set(kept, st.colour[j]);
    ++kept;
  }
  st.x.resize(kept);
  st.y.resize(kept);
  st.z.resize(kept, 0.0);
  st.v.resize(kept, 0.0);
  for (auto* column : {&st.symbol, &st.pen, &st.colour}) column->resize(kept, 0);
  if (s.units.verbose) {
    char line[64];
    std::snprintf(line, sizeof line, "%7d points munged.%7d points skipped.", st.npts(), skipped);
    s.term.line(line);
  }
  setvariable(s.vars, "NPTS", st.npts());
}

constexpr Command kMathCommands[] = {
    {"MATH", cmd_math},
    {"DUMPMATH", cmd_dumpmath},
    {"DOMATH", cmd_domath},
    {"DUMPCOMPILE", cmd_dumpcompile},
    {"TESTCOMPILE", cmd_testcompile},
};

}  // namespace

std::span<const Command> math_commands() { return kMathCommands; }

}  // namespace vexal
