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

// The colours the scope pictures are drawn in: the screen colours and the
// not-xor pens made of them (names as in the display's state).
struct ColorTable {
  TColor BackgroundColor = kBrightScreenColors.Background;
  TColor Ch1Color = kBrightScreenColors.Ch1;
  TColor Ch2Color = kBrightScreenColors.Ch2;
  TColor Math1Color = kBrightScreenColors.Math1;
  TColor Math2Color = kBrightScreenColors.Math2;
  TColor TimeMarkerColor = kBrightScreenColors.TimeMarker;
  TColor Ch1PenColor = 0, Ch2PenColor = 0, Math1PenColor = 0, TimeMarkerPenColor = 0;
  TColor GridPenColor = 0, BrightGridPenColor = 0;
};

struct DisplaySharedState;
// The colour table of the display's values.
ColorTable ColorTableOf(const DisplaySharedState& d);
// The screen colours of the display's values (BackgroundColor, Ch1Color ...).
ScreenColorSet CurrentScreenColors(const DisplaySharedState& d);
void SetScreenColors(DisplaySharedState& d, const ScreenColorSet& colors);
// The "Bright Screen" preset as the colours of a new session.
void UseDefaultScreenColors(DisplaySharedState& d);

// The pen that, drawn in not-xor mode on `background`, shows `colour`; drawn
// twice it gives the background back.
constexpr TColor NotXorPen(TColor colour, TColor background) { return ~(colour ^ background) & 0xFFFFFF; }

}  // namespace display
