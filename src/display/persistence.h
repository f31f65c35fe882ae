// Persistence of the scope picture: the defaults of a new session, the
// values the options dialog takes from its edits, and the colour ramps.
#pragma once

#include <cstdint>
#include <string>

#include "display/persistence_state.h"
#include "platform/ui/types.h"

namespace display {

// Infinite persistence, the live trace drawn, the default durations and colour counts.
void ResetPersistence(PersistenceSharedState& p);

// ---- The options dialog's edits. A comma is read as the decimal point, a
// text that is not a number counts as 0, the value is rounded (halves to
// even) and then limited; Text is what the edit shows afterwards.
struct PersistEditValue {
  std::int64_t Value = 0;
  std::string Text;
};
inline constexpr std::uint32_t kMaxAcquisitionLimit = 4000000000u;
// "Number of acquisitions": 0 (no limit) or 1 .. 4,000,000,000.
PersistEditValue ReadAcquisitionLimit(const std::string& text);
// "Low color": 1 .. high - 1.
PersistEditValue ReadLowColor(const std::string& text, std::int32_t high);
// "High color": low + 1 (and at least 2) .. low + 767, so that the ramp
// never runs past its table.
PersistEditValue ReadHighColor(const std::string& text, std::int32_t low);

// The durations the menus offer; anything else is not taken.
bool IsGradedMask(std::int64_t mask);    // 0 (infinite), 31, 63, 127, 255
bool IsVariableMask(std::int64_t mask);  // 7, 15, 31

// ---- Ramps: entries 0 .. top, the rest of the table the background colour.
// Colour graded: from the channel colour (channel 0 CH1, 1 CH2) towards
// white, CH1 raising blue, then red, then green; CH2 red, green, blue.
PersistRamp GradedRamp(int channel, TColor channelColor, TColor background, int top);
// Variable: from the channel colour towards black on a dark background
// (below $808081), towards white on a light one.
PersistRamp VariableRamp(TColor channelColor, TColor background, int top);

}  // namespace display
