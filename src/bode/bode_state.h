// State of the Bode plotter that other windows read or set. Byte flags are 0 or 1.
#pragma once

#include <cstdint>

namespace bode {

inline std::uint8_t BodeSweepRunning = 0;
inline std::uint8_t BodeStopFlag = 0;
// A Bode sweep scales the voltage itself: the CH1 range buttons then leave the plot alone.
inline std::uint8_t BodeAutoScaleActive = 0;
inline std::uint8_t NoScope = 0;    // Bode sweep without the scope picture
inline std::uint8_t Bodehelp = 1;   // Bode-plot wiring hint
inline std::uint8_t Phasehelp = 1;  // phase-plot hint

}  // namespace bode
