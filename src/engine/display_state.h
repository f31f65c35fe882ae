// The program's display values. They keep the display namespace of their
// type, in which the windows name them.
#pragma once

#include <memory>

#include "display/display_state.h"

namespace display {

inline DisplaySharedState DisplayState;

// Puts every value back to its start-up default (in place: the arrays are large,
// and the names below stay bound).
inline void ResetDisplayState() {
  std::destroy_at(&DisplayState);
  std::construct_at(&DisplayState);
}

}  // namespace display
