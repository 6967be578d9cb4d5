// The executor of compiled expressions: one switch over the opcodes.
#include "expr/cmath.h"

#include <cmath>

#include "expr/stak_math.h"
#include "util/calendar.h"

namespace vexal {

namespace {

double* field(CurrentPoint& p, double n) {
  return std::fabs(n) <= kMaxFields ? point_field(p, std::lround(n)) : nullptr;
}

long long as_int(double v) { return std::isfinite(v) && std::fabs(v) < 9e18 ? std::llround(v) : 0; }

void error(MathEnv& env, const char* message) {
  env.err.line(message);
  env.point.error = 1;
}

}  // namespace

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
  MathConditions& cond = st.cond;
  auto push = [&](double v) { push_math_stack(st, v, err); };
  auto pop = [&] { return pop_math_stack(st, err); };
  for (const MathEntry& e : c.entries) {
    if (e.opcode < 900 && cond.skipping()) continue;
    double a, b, x;
    switch (e.opcode) {
      case 0:
        break;
      case 1:
        push(e.value);
        break;
      case 2:
        pop();
        break;
      case 3:
        b = pop();
        a = pop();
        push(a + b);
        break;
      case 4:
        b = pop();
        a = pop();
        push(a - b);
        break;
      case 5:
        b = pop();
        a = pop();
        push(a * b);
        break;
      case 6:
        b = pop();
        a = pop();
        if (b == 0) {
          error(env, "Error: Division by zero");
          push(0);
        } else {
          push(a / b);
        }
        break;
      case 7:
        push(p.x);
        break;
      case 8:
        push(p.y);
        break;
      case 9:
        push(p.z);
        break;
      case 10:
        push(p.v);
        break;
      case 11:
        if (double* f = field(p, e.value))
          push(*f);
        else
          push(0);
        break;
      case 12:
        p.x = pop();
        break;
      case 13:
        p.y = pop();
        break;
      case 14:
        p.z = pop();
        break;
      case 15:
        p.v = pop();
        break;
      case 16:
        x = pop();
        if (double* f = field(p, e.value)) *f = x;
        break;
      case 17:
        push(gvariable(env.vars, static_cast<int>(e.value)));
        break;
      case 18:
        svariable(env.vars, static_cast<int>(e.value), pop());
        break;
      case 19:
        b = pop();
        a = pop();
        push(std::pow(a, b));
        break;
      case 20:
        b = pop();
        a = pop();
        push(std::fmod(a, b));
        break;
      case 21:
        b = pop();
        a = pop();
        push(std::min(a, b));
        break;
      case 22:
        b = pop();
        a = pop();
        push(std::max(a, b));
        break;
      case 23:
        push(std::fabs(pop()));
        break;
      case 24:
        x = pop();
        if (x < 0) {
          error(env, "Error: square root of negative number.");
          push(0);
        } else {
          push(std::sqrt(x));
        }
        break;
      case 25:
        push(pop() * 0.017453293005625408);
        break;
      case 26:
        push(pop() * 57.29577791868205);
        break;
      case 27:
        push(std::cos(pop()));
        break;
      case 28:
        push(std::sin(pop()));
        break;
      case 29:
        push(std::tan(pop()));
        break;
      case 30:
        push(std::atan(pop()));
        break;
      case 31:
        push(std::acos(pop()));
        break;
      case 32:
        push(std::asin(pop()));
        break;
      case 33:
        b = pop();
        a = pop();
        push(std::atan2(b, a));
        break;
      case 34:
      case 35:
        x = pop();
        if (x <= 0) {
          error(env, "Error: logarithm of zero or negative number.");
          push(0);
        } else {
          push(e.opcode == 34 ? std::log10(x) : std::log(x));
        }
        break;
      case 36:
        push(std::trunc(pop()));
        break;
      case 37:
        x = pop();
        if (x == 0) {
          error(env, "Error: reciprocal of zero.");
          push(0);
        } else {
          push(1 / x);
        }
        break;
      case 38:
        push(std::round(pop()));
        break;
      case 39:
        push(-pop());
        break;
      case 40:
        save_math_stack(st, pop());
        break;
      case 41:
        x = pop();
        push(x);
        push(x);
        break;
      case 42:
        b = pop();
        a = pop();
        push(b);
        push(a);
        break;
      case 43:
        x = pop();
        p.error = std::isfinite(x) && std::fabs(x) < 2e9 ? static_cast<int>(std::lround(x)) : 1;
        break;
      case 44: {
        double n = pop();
        double v = pop();
        if (double* f = field(p, n))
          *f = v;
        else
          error(env, "Error: Column specified is out of range.");
        break;
      }
      case 45:
        b = pop();
        a = pop();
        push(ibit(single_to_int(a), single_to_int(b)));
        break;
      case 46:
      case 47: {
        double hi = pop(), lo = pop();
        x = pop();
        push(x);
        bool inside = x >= lo && x <= hi;
        if (e.opcode == 46 ? !inside : inside) p.error = 1;
        break;
      }
      case 48:
        b = pop();
        a = pop();
        push(a > 0 && b > 0);
        break;
      case 49:
        b = pop();
        a = pop();
        push(double(as_int(a) & as_int(b)));
        break;
      case 50:
        b = pop();
        a = pop();
        push(a > 0 || b > 0);
        break;
      case 51:
        b = pop();
        a = pop();
        push(double(as_int(a) | as_int(b)));
        break;
      case 52:
        b = pop();
        a = pop();
        push((a > 0) != (b > 0));
        break;
      case 53:
        push(pop() <= 0);
        break;
      case 54:
        b = pop();
        a = pop();
        push(a >= b);
        break;
      case 55:
        b = pop();
        a = pop();
        push(a > b);
        break;
      case 56:
        b = pop();
        a = pop();
        push(a <= b);
        break;
      case 57:
        b = pop();
        a = pop();
        push(a < b);
        break;
      case 58:
        b = pop();
        a = pop();
        push(a == b);
        break;
      case 59:
        b = pop();
        a = pop();
        push(a != b);
        break;
      case 60:
        push(recall_math_stack(st));
        break;
      case 61: {
        double col = pop(), row = pop();
        const TmFrame* f = env.frame;
        double index = f ? (row - 1) * f->cols + col : 0;
        double size = f ? double(f->rows) * f->cols : 0;
        if (index >= 1 && index <= size) {
          push(f->bytes[static_cast<size_t>(index) - 1]);
        } else {
          error(env, "Error: TMDATA frame index out of range.");
          push(0);
        }
        break;
      }
      case 62:
        push(f2i(pop()));
        break;
      case 63:
        dump_math_stack(st, env.out);
        break;
      case 64: {
        double sec = pop(), min = pop(), hour = pop(), doy = pop(), year = pop();
        push(mmktime(single_to_int(year), single_to_int(doy), single_to_int(hour),
                     single_to_int(min), single_to_int(sec)));
        break;
      }
      case 901: {
        // A level opened inside a skipped one is skipped whole, and pops nothing.
        if (cond.skipping()) {
          if (cond.level >= kMaxMathLevels)
            ++cond.beyond;
          else {
            ++cond.level;
            cond.skip[cond.level] = false;
            cond.taken[cond.level] = true;
          }
          break;
        }
        x = pop();
        if (cond.level >= kMaxMathLevels) {
          ++cond.beyond;
          break;
        }
        ++cond.level;
        cond.skip[cond.level] = !(x > 0);
        cond.taken[cond.level] = false;
        break;
      }
      case 902:
        if (cond.beyond > 0 || cond.level == 0) break;
        if (cond.taken[cond.level]) break;
        if (cond.skip[cond.level])
          cond.skip[cond.level] = false;
        else
          cond.taken[cond.level] = true;
        break;
      case 903:
        if (cond.beyond > 0)
          --cond.beyond;
        else if (cond.level > 0)
          --cond.level;
        break;
      default:
        break;
    }
  }
}

}  // namespace vexal
