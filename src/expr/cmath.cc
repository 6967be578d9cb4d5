// The executor of compiled expressions: one switch over the opcodes; the
// plain functions and operators run from their row of the math_ops table.
#include "expr/cmath.h"

#include <cmath>

#include "expr/math_ops.h"
#include "expr/stak_math.h"
#include "util/calendar.h"

namespace vexal {

namespace {

void error(MathEnv& env, const char* message) {
  env.err.line(message);
  env.point.error = 1;
}

// Always inlined into the loop of cmath, which runs it per entry per point
// with the pieces of `env` it reads fetched once.
[[gnu::always_inline]] inline void run_entry(const MathEntry& e, MathEnv& env, MathStacks& st,
                                             OutBuffer& err, CurrentPoint& p) {
  MathConditions& cond = st.cond;
  auto push = [&](double v) { push_math_stack(st, v, err); };
  auto pop = [&] { return pop_math_stack(st, err); };
  double a, b, x;
  switch (e.opcode) {
    case Op::kNoop:
      break;
    case Op::kPush:
      push(e.value);
      break;
    case Op::kPop:
      pop();
      break;
    case Op::kPushX:
      push(p.x);
      break;
    case Op::kPushY:
      push(p.y);
      break;
    case Op::kPushZ:
      push(p.z);
      break;
    case Op::kPushV:
      push(p.v);
      break;
    case Op::kPushField:
      if (double* f = point_field(p, e.value))
        push(*f);
      else
        push(0);
      break;
    case Op::kPopX:
      p.x = pop();
      break;
    case Op::kPopY:
      p.y = pop();
      break;
    case Op::kPopZ:
      p.z = pop();
      break;
    case Op::kPopV:
      p.v = pop();
      break;
    case Op::kPopField:
      x = pop();
      if (double* f = point_field(p, e.value)) *f = x;
      break;
    case Op::kPushVariable:
      push(gvariable(env.vars, static_cast<int>(e.value)));
      break;
    case Op::kPopVariable:
      svariable(env.vars, static_cast<int>(e.value), pop());
      break;
    case Op::kSave:
      save_math_stack(st, pop());
      break;
    case Op::kDup:
      x = pop();
      push(x);
      push(x);
      break;
    case Op::kFlip:
      b = pop();
      a = pop();
      push(b);
      push(a);
      break;
    case Op::kErr:
      x = pop();
      p.error = std::isfinite(x) && std::fabs(x) < 2e9 ? static_cast<int>(std::lround(x)) : 1;
      break;
    case Op::kExport: {
      double n = pop();
      double v = pop();
      if (double* f = point_field(p, n))
        *f = v;
      else
        error(env, kColumnOutOfRange);
      break;
    }
    case Op::kInc:
    case Op::kExc: {
      double hi = pop(), lo = pop();
      x = pop();
      push(x);
      bool inside = x >= lo && x <= hi;
      if (e.opcode == Op::kInc ? !inside : inside) p.error = 1;
      break;
    }
    case Op::kRecall:
      push(recall_math_stack(st));
      break;
    case Op::kTm: {
      double col = pop(), row = pop();
      if (const uint8_t* byte = tm_byte(env.frame, tm_index(env.frame, row, col))) {
        push(*byte);
      } else {
        error(env, "Error: TMDATA frame index out of range.");
        push(0);
      }
      break;
    }
    case Op::kDump:
      dump_math_stack(st, env.out);
      break;
    case Op::kMktime: {
      double sec = pop(), min = pop(), hour = pop(), doy = pop(), year = pop();
      push(mmktime(single_to_int(year), single_to_int(doy), single_to_int(hour), single_to_int(min),
                   single_to_int(sec)));
      break;
    }
    case Op::kIf:
      // A level opened inside a skipped one is skipped whole, and pops nothing.
      if (cond.skipping())
        cond.open(LevelRuns::kNothing);
      else
        cond.open(pop() > 0 ? LevelRuns::kTruePart : LevelRuns::kElsePart);
      break;
    case Op::kElse:
      cond.otherwise();
      break;
    case Op::kEnd:
      cond.close();
      break;
    default:
      // The plain functions and operators.
      if (const MathOp* m = math_op(e.opcode); m && !apply_math_op(*m, st, err)) {
        error(env, m->compiled_message);
        push(0);
      }
      break;
  }
}

}  // namespace

void c_math(const MathEntry& e, MathEnv& env) { run_entry(e, env, env.stacks, env.err, env.point); }

void cmath(const CompiledMath& c, MathEnv& env) {
  MathStacks& st = env.stacks;
  OutBuffer& err = env.err;
  CurrentPoint& p = env.point;
  st.count = 0;
  if (!c.compiled) {
    p.error = 1;
    return;
  }
  st.cond = MathConditions{};
  p.error = 0;
  for (const MathEntry& e : c.entries)
    if (e.opcode >= Op::kIf || !st.cond.skipping()) run_entry(e, env, st, err, p);
}

}  // namespace vexal
