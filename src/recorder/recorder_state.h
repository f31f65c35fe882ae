// State of the transient recorder that other windows set. Byte flags are 0 or 1.
#pragma once

#include <cstdint>

#include "display/screen_colors.h"
#include "platform/ui/types.h"

namespace recorder {

// The recorder's copy of the scope's eight screen colours, taken at start-up
// and whenever the scope's colours change.
inline TColor RecBackgroundColor = display::kBrightScreenColors.Background;
inline TColor RecCh1Color = display::kBrightScreenColors.Ch1;
inline TColor RecCh2Color = display::kBrightScreenColors.Ch2;
inline TColor RecMath1Color = display::kBrightScreenColors.Math1;
inline TColor RecMath2Color = display::kBrightScreenColors.Math2;
inline TColor RecDarkGridColor = display::kBrightScreenColors.DarkGrid;
inline TColor RecBrightGridColor = display::kBrightScreenColors.BrightGrid;
inline TColor RecTimeMarkerColor = display::kBrightScreenColors.TimeMarker;
inline std::uint8_t RecBrightGrid = 0;  // recorder "Bright Grid"

}  // namespace recorder
