// The program's history ring. It keeps the display namespace of its type, in
// which the windows name it.
#pragma once

#include <memory>

#include "display/history_state.h"

namespace display {

inline HistorySharedState HistoryState;

// Puts every value back to its start-up default (in place: the arrays are large,
// and the names below stay bound).
inline void ResetHistoryState() {
  std::destroy_at(&HistoryState);
  std::construct_at(&HistoryState);
}

}  // namespace display
