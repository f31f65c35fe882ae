// Ground-level markers: a small "1" or "2" just left of the grid at the
// level where each channel's 0 V lies. Written against a view, so the main
// picture and the Big Screen draw the same glyph, each at its own scale.
#pragma once

#include "display/scope_view.h"
#include "platform/ui/types.h"

class TCanvas;

namespace display {

// The glyph of channel 1 or 2 at `level` (screen units from the top of the
// grid, scaled by the view), one not-xor polyline: drawing it twice removes it.
void DrawGroundGlyph(ScopeView& view, int channel, int level, TColor pen);
// The same glyph on a canvas, for the grid whose left edge is x0, at row y.
void DrawGroundGlyph(TCanvas& canvas, int x0, int y, int channel, TColor pen);

}  // namespace display
