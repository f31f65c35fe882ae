// Ground-level markers: a small "1" or "2" just left of the grid at the
// level where each channel's 0 V lies. Written against a view, so the main
// picture and the Big Screen draw the same glyph, each at its own scale.
#pragma once

#include "display/scope_view.h"
#include "platform/ui/types.h"

namespace display {

// The glyph of channel 1 or 2 at `level` (screen units from the top of the
// grid, scaled by the view), one not-xor polyline: drawing it twice removes it.
void DrawGroundGlyph(ScopeView& view, int channel, int level, TColor pen);

}  // namespace display
