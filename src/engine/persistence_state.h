// The program's persistence values. They keep the display namespace of their
// type, in which the windows name them.
#pragma once

#include <memory>

#include "display/persistence_state.h"

namespace display {

inline PersistenceSharedState PersistenceState;

// Puts every value back to its start-up default (in place: the arrays are large,
// and the names below stay bound).
inline void ResetPersistenceState() {
  std::destroy_at(&PersistenceState);
  std::construct_at(&PersistenceState);
}

}  // namespace display
