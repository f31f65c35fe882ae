// The Bode plotter's "Add Text" window (annotation on the plot).
#pragma once

#include "display/note_window.h"

namespace bode {
struct BodeSharedState;
}

class Tform_9bode : public TNoteWindow {
 public:
  // The annotation's place and options are kept in `state`.
  Tform_9bode(TComponent* owner, bode::BodeSharedState& state);
  bode::BodeSharedState& BodeState;
  // Writes the annotation on the plot picture when it is on.
  void note();

 protected:
  void Redraw() override;
};

inline Tform_9bode* form_9bode = nullptr;
