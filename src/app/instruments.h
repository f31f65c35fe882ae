// The links between the instruments: what the scope window asks of the
// generator, the recorder and the Bode plotter, filled in before the first
// window is made.
#pragma once

namespace bode {
struct BodeSharedState;
}

// The links to the Bode plotter read and set `bodeState`; called again, they go to
// the state then handed in.
void LinkInstruments(bode::BodeSharedState& bodeState);
