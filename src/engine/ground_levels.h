// Where each channel's 0 V lies on a picture: the level from the calibration
// pairs and the offset DAC (demo mode: from the position bar), and its glyph.
#pragma once

#include <cstdint>

#include "display/scope_view.h"
#include "engine/scope_states.h"
#include "platform/ui/types.h"

namespace engine {

enum class GroundMarkerOutcome {
  NotShown,       // spectrum view, or the channel is hidden: nothing done
  Placed,         // level in force and glyph drawn
  NoCalibration,  // the calibration pairs give no line: level 0 used and drawn
};

// y1_viiva / y2_viiva on a view: the channel's ground level from the
// calibration pairs and the offset DAC (demo mode: from its position bar),
// stored as the level in force (and, from the pairs, as the marker level the
// start-up centres), and its glyph drawn in the channel's pen. An inverted
// CH2 is mirrored about mid-screen.
GroundMarkerOutcome PlaceGroundMarker(const WithScopeStates& states, display::ScopeView& view, int channel);
// PlaceGroundMarker without the drawing: the level stored, and where and in
// which pen the glyph goes (on screen units from the top of the grid).
struct GroundMark {
  GroundMarkerOutcome Outcome = GroundMarkerOutcome::NotShown;
  std::int32_t DrawnAt = 0;
  TColor Pen = 0;
};
GroundMark FindGroundMarker(const WithScopeStates& states, int channel);

}  // namespace engine
