// State of the Bode plotter that other windows read or set. Byte flags are 0 or 1.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace bode {

inline std::uint8_t BodeSweepRunning = 0;
inline std::uint8_t BodeStopFlag = 0;
// A Bode sweep scales the voltage itself: the CH1 range buttons then leave the plot alone.
inline std::uint8_t BodeAutoScaleActive = 0;
inline std::uint8_t NoScope = 0;    // Bode sweep without the scope picture
inline std::uint8_t Bodehelp = 1;   // Bode-plot wiring hint
inline std::uint8_t Phasehelp = 1;  // phase-plot hint

// ---- Plot colours (0x00BBGGRR) and the frequency step; the generator
// settings file keeps them.
struct BodeColorSet {
  std::uint32_t Background = 0xFFFFFF;
  std::uint32_t Grid = 0xC0C0C0;
  std::uint32_t Text = 0x000000;
  std::uint32_t Trace = 0x000000;
  std::uint32_t Border = 0x404040;
  std::uint32_t FMarker = 0xFF0000;
  std::uint32_t VMarker = 0xFF0000;
};
inline BodeColorSet BodeColors;
// The not-xor pens of the level and frequency markers.
inline std::uint32_t BodeLevelMarkerPen = 0xFF0000;
inline std::uint32_t BodeFreqMarkerPen = 0xFF0000;
// Entries 1..5 of the multiple-trace cycle (entry 0 unused).
inline std::array<std::uint32_t, 6> BodeTraceColors{0, 0x000000, 0xFF0000, 0x0000FF, 0x00FF00, 0xFF00FF};
inline std::uint8_t BodeLogSteps = 1;
inline std::uint8_t BodeOctaveSteps = 0;
inline double BodeOctaveRatio = 1.258925412;  // 10^(1/10)
inline std::int32_t BodeStepIndex = 0;         // item of the "Frequency Step" list
inline std::string BodeOctaveCaption = "1/3 Octave Freq. Steps";

}  // namespace bode
