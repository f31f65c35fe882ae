// The scope window's screen colours: the "Colors..." and "Bright Grid"
// items, the pens derived from the colour table, and the channel labels in
// the channel colours.
#pragma once

struct FrontPanelControls;
namespace display {
struct DisplaySharedState;
}

namespace engine {

// The "CH1" and "CH2" labels of a front panel in the channel colours; a grey
// label stands for a hidden channel and stays grey.
void ColourChannelLabels(FrontPanelControls& panel, const display::DisplaySharedState& display);

}  // namespace engine
