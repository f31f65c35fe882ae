// Spectrum helpers the Run loop applies after each transform.
#pragma once

#include "engine/scope_states.h"

namespace engine {

// The shown channel's levels from the root mean square of the FFT slots.
void average_fft(const engine::WithScopeStates& states);
// Each level of the block raised to the held peak.
void maximize_fft(const engine::WithScopeStates& states);
// The held peaks from the block; cleared after a settings change unless FFT
// averaging is on.
void refresh_fft(const engine::WithScopeStates& states);

}  // namespace engine
