// The links between the instruments: what the scope window asks of the
// generator, the recorder and the Bode plotter, filled in before the first
// window is made.
#pragma once

namespace bode {
struct BodeSharedState;
}
namespace recorder {
struct RecorderSharedState;
}

// The links read and set the Bode plotter's and the recorder's state handed
// in; called again, they go to the states then handed in.
void LinkInstruments(bode::BodeSharedState& bodeState, recorder::RecorderSharedState& recorderState);
