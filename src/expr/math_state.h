// The records the expression machinery works on: the current point as the
// math commands see it, the value and save stacks with the conditional
// state, a compiled expression, and what an evaluation may read around it.
#pragma once

#include <array>
#include <cmath>
#include <cstdint>
#include <span>
#include <vector>

#include "expr/opcodes.h"
#include "util/array_grid.h"
#include "util/column.h"
#include "util/out_buffer.h"
#include "util/variables.h"
#include "util/version.h"

namespace vexal {

inline constexpr int kMathStackSize = 32;  // value stack and save stack slots
inline constexpr int kMaxCompiledEntries = 50;
inline constexpr int kMaxMathLevels = 11;  // nesting of ? : ) conditionals
inline constexpr int kMaxFields = 50;      // fields C1..C50 of a record
inline constexpr int kFrameBytes = 8192;   // largest TMDATA frame

// The current point: X, Y, Z, V, the record number (C0), the fields C1..C50
// of the current record, and the error flag that rejects the point.
// The message of a field number beyond the record's columns (Cn, SET(Cn),
// EXPORT), written by the compiler, the executor and the MATH lines alike.
inline constexpr const char* kColumnOutOfRange = "Error: Column specified is out of range.";

struct CurrentPoint {
  double v = 0, x = 0, y = 0, z = 0;
  std::array<double, kMaxFields + 1> fields{};  // [0] = record number, [k] = field Ck
  int error = 0;
  int fields_read = 0;  // fields of the record the last APPEND read last (BUILD)
};

// The slot SET(...), EXPORT and Op::kExport store into: -4 .. -1 are V, X, Y,
// Z, 0 is the record number, 1 .. 50 the fields; nullptr outside that range.
inline double* point_field(CurrentPoint& p, long n) {
  switch (n) {
    case -4:
      return &p.v;
    case -3:
      return &p.x;
    case -2:
      return &p.y;
    case -1:
      return &p.z;
    default:
      return n >= 0 && n <= kMaxFields ? &p.fields[static_cast<size_t>(n)] : nullptr;
  }
}
// The slot a value from the stack or an entry names: point_field of it
// rounded; nullptr when it is not a number or lies beyond +-50.
inline double* point_field(CurrentPoint& p, double n) {
  return std::fabs(n) <= kMaxFields ? point_field(p, std::lround(n)) : nullptr;
}

// One entry of a compiled expression.
struct MathEntry {
  Op opcode = Op::kNoop;
  double value = 0;
};

// A compiled expression: at most 50 entries; `compiled` is cleared when the
// expression holds something that cannot run from the list.
struct CompiledMath {
  std::vector<MathEntry> entries;  // reserved for 50 when compiling
  bool compiled = false;

  // Appends an entry; beyond 50 the form no longer compiles.
  void add(Op opcode, double value = 0) {
    if (static_cast<int>(entries.size()) >= kMaxCompiledEntries) {
      compiled = false;
      return;
    }
    entries.push_back({opcode, value});
  }
};

// What a level opened by ? runs.
enum class LevelRuns {
  kTruePart,  // up to its : (the condition held)
  kElsePart,  // from its : on (the condition failed)
  kNothing,   // none of it (opened inside a skipped level)
};

// The conditional state of ? : ) in one evaluation or one compiled run.
struct MathConditions {
  int level = 0;                                 // 0 = outside every conditional
  std::array<bool, kMaxMathLevels + 1> skip{};   // per level: skipping its true part
  std::array<bool, kMaxMathLevels + 1> taken{};  // per level: else-taken, skip the rest
  int beyond = 0;                                // levels opened beyond the deepest, ignored
  bool skipping() const { return level > 0 && (skip[level] || taken[level]); }

  // ? opens a level that runs what `runs` says; a level beyond the deepest
  // is only counted.
  void open(LevelRuns runs) {
    if (level >= kMaxMathLevels) {
      ++beyond;
      return;
    }
    ++level;
    skip[level] = runs == LevelRuns::kElsePart;
    taken[level] = runs == LevelRuns::kNothing;
  }
  // : (else): a running true part skips from here on; one skipped by its
  // condition runs from here on.
  void otherwise() {
    if (beyond > 0 || level == 0 || taken[level]) return;
    if (skip[level])
      skip[level] = false;
    else
      taken[level] = true;
  }
  // ) closes the current level (not below 0).
  void close() {
    if (beyond > 0)
      --beyond;
    else if (level > 0)
      --level;
  }
};

// The value stack (emptied for each evaluation) and the save stack (kept for the run).
struct MathStacks {
  std::array<double, kMathStackSize> values{};
  int count = 0;
  std::array<double, kMathStackSize> saved{};
  int saved_count = 0;
  MathConditions cond;
};

// A TMDATA frame: rows x cols bytes.
struct TmFrame {
  std::array<uint8_t, kFrameBytes> bytes{};
  int rows = 0, cols = 0;
};

// The position TM reads at (row, col): byte (row - 1) x cols + col, from 1.
inline double tm_index(const TmFrame* f, double row, double col) {
  return (row - 1) * (f ? f->cols : 0) + col;
}
// The byte at that position; nullptr outside the frame or without one.
inline const uint8_t* tm_byte(const TmFrame* f, double index) {
  bool inside = f && index >= 1 && index <= double(f->rows) * f->cols;
  return inside ? &f->bytes[static_cast<size_t>(index) - 1] : nullptr;
}

// The point store's coordinate columns as the vector accessors read them:
// points 1..n at index 0..n-1, read live (a math command that rewrites the
// store sees its own writes).
struct PointColumns {
  const Column<double>* x = nullptr;
  const Column<double>* y = nullptr;
  const ImplicitColumn<double>* z = nullptr;
  const ImplicitColumn<double>* v = nullptr;
  size_t n = 0;  // points readable

  double operator()(int column, size_t i) const {
    switch (column) {
      case 0:
        return (*x)[i];
      case 1:
        return (*y)[i];
      case 2:
        return (*z)[i];
      default:
        return (*v)[i];
    }
  }
};

// Everything an evaluation reads and writes besides its own text.
struct MathEnv {
  Variables& vars;
  OutBuffer& err;  // messages
  OutBuffer& out;  // DUMP listings
  CurrentPoint& point;
  MathStacks& stacks;
  int compat_level = kOwnVersionCode;
  PointColumns store{};
  const TmFrame* frame = nullptr;
  const ArrayGrid* array = nullptr;  // the array the ARRAY words and IX, IY read
};

}  // namespace vexal
