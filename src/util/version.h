// The program's own version: the code other parts compare compatibility
// levels with, and the text the start-up banner and the VERSION variable show.
#pragma once

namespace vexal {

// 2020.06.28 written as year * 372 + month * 31 + day.
inline constexpr int kOwnVersionCode = 751654;
inline constexpr const char* kVersionText = "Vexal version 2020.06.28";

}  // namespace vexal
