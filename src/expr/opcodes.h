// The opcodes of compiled expressions: what the compiler in stak_math emits
// and the executor in cmath runs. The numbers are part of the interface
// (DUMPCOMPILE and TESTCOMPILE print them). "a b" means a pushed before b.
#pragma once

namespace vexal {

enum class Op : int {
  kNoop = 0,
  kPush = 1,  // push the entry's value
  kPop = 2,   // drop the top
  kAdd = 3,
  kSub = 4,
  kMul = 5,
  kDiv = 6,  // b = 0 is an error
  kPushX = 7,
  kPushY = 8,
  kPushZ = 9,
  kPushV = 10,
  kPushField = 11,  // field n = the entry's value (0 = record number)
  kPopX = 12,
  kPopY = 13,
  kPopZ = 14,
  kPopV = 15,
  kPopField = 16,      // into field n = the entry's value
  kPushVariable = 17,  // the numeric variable whose index is the entry's value
  kPopVariable = 18,
  kPow = 19,
  kMod = 20,  // remainder with the sign of a
  kMin = 21,
  kMax = 22,
  kAbs = 23,
  kSqrt = 24,  // negative is an error
  kDegToRad = 25,
  kRadToDeg = 26,
  kCos = 27,
  kSin = 28,
  kTan = 29,
  kArctan = 30,
  kArccos = 31,
  kArcsin = 32,
  kAtan2 = 33,  // atan2(b, a)
  kLog = 34,    // base 10; x <= 0 is an error
  kLn = 35,     // x <= 0 is an error
  kInt = 36,    // truncate toward zero
  kInv = 37,    // 1/x; 0 is an error
  kNint = 38,   // round to nearest
  kNeg = 39,
  kSave = 40,  // pop onto the save stack
  kDup = 41,
  kFlip = 42,
  kErr = 43,     // pop x; error flag := round(x)
  kExport = 44,  // pop n, then v: field n := v (-4 .. -1 address V, X, Y, Z)
  kBit = 45,     // bit b of a, both through single precision
  kInc = 46,     // pop hi, lo, x; push x; x outside [lo, hi] rejects the point
  kExc = 47,     // the same; x inside rejects the point
  kAnd = 48,
  kIand = 49,  // bitwise, of the rounded integers
  kOr = 50,
  kIor = 51,  // bitwise
  kXor = 52,
  kNot = 53,
  kGe = 54,
  kGt = 55,
  kLe = 56,
  kLt = 57,
  kEq = 58,
  kNe = 59,
  kRecall = 60,  // push the newest save-stack entry and remove it
  kTm = 61,      // pop column, row: the TMDATA byte there
  kFti = 62,     // the 32-bit pattern of x as single precision
  kDump = 63,    // print the stacks
  kMktime = 64,  // pop second, minute, hour, day of year, year: seconds
  kIf = 901,     // open a conditional level
  kElse = 902,
  kEnd = 903,  // close the level
};

}  // namespace vexal
