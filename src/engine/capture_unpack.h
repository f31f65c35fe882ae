// Steps of capture unpacking that the demo source shares.
#pragma once

namespace engine {

// The bit view: each captured byte of the sample copy becomes 8 one-bit
// samples (bit 0 first), CH2 low on the screen (32/96), CH1 high (160/224).
void ExpandBitView();

}  // namespace engine
