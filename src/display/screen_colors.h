// The eight colours of the scope picture as one set, the two presets of the
// colour dialog and the not-xor pen of a colour.
#pragma once

#include "platform/ui/types.h"

namespace display {

struct ScreenColorSet {
  TColor Background;
  TColor Ch1;
  TColor Ch2;
  TColor Math1;
  TColor Math2;
  TColor DarkGrid;
  TColor BrightGrid;
  TColor TimeMarker;
  bool operator==(const ScreenColorSet&) const = default;
};

// "Bright Screen" (also the colours of a first start) and "Black Screen".
inline constexpr ScreenColorSet kBrightScreenColors{0xF5FFFF, 0xDC0000, 0x0000DC, 0xFF0080,
                                                    0xFF00FF, 0xC0C0C0, 0x808080, 0x400080};
inline constexpr ScreenColorSet kBlackScreenColors{0x000000, 0x00FFFF, 0x00FF00, 0xFFFFFF,
                                                   0xFF00FF, 0x800000, 0xFF0000, 0xFFFF00};

// The scope's colour table (the engine's BackgroundColor, Ch1Color ...).
ScreenColorSet CurrentScreenColors();
void SetScreenColors(const ScreenColorSet& colors);
// The "Bright Screen" preset as the colours of a new session.
void UseDefaultScreenColors();

// The pen that, drawn in not-xor mode on `background`, shows `colour`; drawn
// twice it gives the background back.
constexpr TColor NotXorPen(TColor colour, TColor background) { return ~(colour ^ background) & 0xFFFFFF; }

}  // namespace display
