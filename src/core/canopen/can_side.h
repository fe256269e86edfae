#pragma once

#include <cstddef>

namespace kestrova {

// The two buses of the CAN-to-CAN bridge; each CANopen window keeps its data per side on two
// mirrored pages, side A ("CanA") first.
enum class CanSide : size_t { A = 0, B = 1 };
inline constexpr CanSide kCanSides[] = {CanSide::A, CanSide::B};

inline size_t SideIndex(CanSide side) { return static_cast<size_t>(side); }

}  // namespace kestrova
