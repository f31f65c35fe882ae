// Persistence of the scope picture: the defaults of a new session.
#pragma once

namespace display {

// Infinite persistence, the live trace drawn, the default durations and colour counts.
void ResetPersistence();

}  // namespace display
