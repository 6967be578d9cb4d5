// Which axis, and the limits of each axis: the data limits (set by the user or derived from
// the data) and the limits used for drawing and mapping.
#pragma once

namespace vexal {

inline constexpr double kUnsetLimit = -9.999999933815813e36;  // -1.0e37 in single precision
// A limit below this is unset, and an array value below it is missing.
inline constexpr double kUnsetBelow = -1.0e36;

inline bool limit_unset(double v) { return v < kUnsetBelow; }

// Which axis: X, Y or Z, the index of its record among the axes.
enum class AxisId { X, Y, Z };

// The letter that names the axis in commands, variables and messages.
constexpr char axis_letter(AxisId id) { return "XYZ"[static_cast<int>(id)]; }

struct AxisLimits {
  double min = kUnsetLimit, max = kUnsetLimit;  // data limits (XMIN/XMAX fix them)
  double minu = 0, maxu = 0;                    // limits used for drawing and mapping
  bool border = true;                           // widen derived limits by 5 % (XBOR)
  bool log = false;                             // logarithmic axis (XLOG)
  bool chop = false;                            // clamp mapped positions to the axis (XCHOP)
};

}  // namespace vexal
