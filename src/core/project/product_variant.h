#pragma once

namespace kestrova {

// The product variant of this build: names the help file ("help2.dat") and decides which banks
// the firmware composer offers.
inline constexpr int kProductVariant = 2;

}  // namespace kestrova
