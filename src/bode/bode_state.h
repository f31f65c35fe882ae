// State of the Bode plotter that other windows read or set. Byte flags are 0 or 1.
#pragma once

#include <array>
#include <cstdint>

#include "bode/sweep_generator.h"
#include "platform/ui/types.h"

namespace bode {

// ---- Colours (0x00BBGGRR), kept in the generator settings file.
inline constexpr TColor kDefaultBodeBackground = 0xFFFFFF;
inline constexpr TColor kDefaultBodeGrid = 0xC0C0C0;
inline constexpr TColor kDefaultBodeBorder = 0x404040;
inline constexpr TColor kDefaultBodeText = 0x000000;
inline constexpr TColor kDefaultBodeTrace = 0x000000;
inline constexpr TColor kDefaultBodeMarker = 0xFF0000;
inline constexpr std::array<TColor, 5> kDefaultBodeTraceColors{0x000000, 0xFF0000, 0x0000FF, 0x00FF00, 0xFF00FF};
inline constexpr int kBodeTraceColorCount = 100;

// The Bode plotter's values that change while the program runs, each with its start-up value.
// The program makes one and hands it to the windows that use it.
struct BodeSharedState {
  // What a sweep asks of the function generator, filled in at start-up.
  SweepGenerator Generator;
  std::uint8_t BodeSweepRunning = 0;
  std::uint8_t BodeStopFlag = 0;

  // A Bode sweep scales the voltage itself: the CH1 range buttons then leave the plot alone.
  std::uint8_t BodeAutoScaleActive = 0;
  std::uint8_t NoScope = 0;    // Bode sweep without the scope picture
  std::uint8_t Bodehelp = 1;   // Bode-plot wiring hint
  std::uint8_t Phasehelp = 1;  // phase-plot hint

  // ---- Sweep parameters, set by the plot window's controls and read at each point.
  std::int32_t BodeRangeTop = 100000;  // right end of the frequency axis, 0.1 Hz units
  std::int32_t BodeSpanRatio = 1000;   // range top / start frequency
  double BodeStepFraction = 1.0;       // linear and log step, part of the decade
  double BodeOctaveRatio = 1.258925412;  // 10^(1/10)
  std::uint8_t BodeLogSteps = 1;
  std::uint8_t BodeOctaveSteps = 0;
  std::uint8_t BodeLogScale = 1;
  std::uint8_t BodeStartFromDc = 0;
  std::int32_t BodeVertScale = 0;  // 0 volts, else dB per division (10, 5, 1)
  std::int32_t BodeWaitSeconds = 0;
  std::uint8_t BodeAutoScale = 0;   // "Automatic Voltage Scale"
  std::uint8_t BodeNormalize = 0;   // "Normalize Output by Input"
  std::uint8_t PhasePlotOn = 0;
  std::uint8_t BodeMultiTrace = 0;  // "Show Multiple Traces"
  std::uint8_t BodeAllowAveraging = 0;
  std::uint8_t BodeAudioRange = 0;  // "Audio Range 30kHz"
  std::int32_t BodeMargin = 15;     // border round the plot area, pixels

  // ---- Run state of a sweep.
  std::uint8_t BodePauseFlag = 0;
  std::uint8_t BodeWaitOver = 1;

  // ---- Colours (defaults above).
  TColor BodeBackgroundColor = kDefaultBodeBackground;
  TColor BodeGridColor = kDefaultBodeGrid;
  TColor BodeBorderColor = kDefaultBodeBorder;
  TColor BodeTextColor = kDefaultBodeText;
  TColor BodeTraceColor = kDefaultBodeTrace;
  TColor BodeFreqMarkerColor = kDefaultBodeMarker;
  TColor BodeLevelMarkerColor = kDefaultBodeMarker;

  // Not-xor pens of the markers, recomputed from the colours above (TBode_plot::DerivePens).
  TColor BodeFreqMarkerPen = 0xFF0000;
  TColor BodeLevelMarkerPen = 0xFF0000;

  // The multiple-trace cycle: the first five are the user's, the rest black.
  std::array<TColor, kBodeTraceColorCount> BodeTraceColors = [] {
    std::array<TColor, kBodeTraceColorCount> colors{};
    for (std::size_t i = 0; i < kDefaultBodeTraceColors.size(); ++i) colors[i] = kDefaultBodeTraceColors[i];
    return colors;
  }();

  // ---- Annotation of the plot ("Add Text").
  std::uint8_t BodeNoteShown = 0;
  std::int16_t BodeNoteX = 20;
  std::int16_t BodeNoteY = 20;
  std::uint8_t BodeNoteTransparent = 0;
};

}  // namespace bode
