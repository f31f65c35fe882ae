// The links between the instruments: what the scope window asks of the
// generator, the recorder and the Bode plotter, filled in before the first
// window is made.
#pragma once

namespace bode {
struct BodeSharedState;
}
namespace engine {
struct ScopeSharedState;
}
namespace generator {
struct GeneratorSharedState;
}
namespace recorder {
struct RecorderSharedState;
}

// The links go into the scope's, the Bode plotter's and the generator's
// states, and read and set the Bode plotter's and the recorder's; called
// again, they go to the states then handed in.
void LinkInstruments(engine::ScopeSharedState& scopeState, bode::BodeSharedState& bodeState,
                     recorder::RecorderSharedState& recorderState, generator::GeneratorSharedState& generatorState);
