// Ground-level markers: a small "1" or "2" just left of the grid at the
// level where each channel's 0 V lies. Written against a view, so the main
// picture and the Big Screen draw the same glyph, each at its own scale.
#pragma once

#include <cstdint>

#include "display/scope_view.h"
#include "platform/ui/types.h"

namespace display {

// The glyph of channel 1 or 2 at `level` (screen units from the top of the
// grid, scaled by the view), one not-xor polyline: drawing it twice removes it.
void DrawGroundGlyph(ScopeView& view, int channel, int level, TColor pen);

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
GroundMarkerOutcome PlaceGroundMarker(ScopeView& view, int channel);

}  // namespace display
