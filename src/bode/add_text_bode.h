// The Bode plotter's "Add Text" window (annotation on the plot).
#pragma once

#include "display/note_window.h"

class Tform_9bode : public TNoteWindow {
 public:
  explicit Tform_9bode(TComponent* owner);
  // Writes the annotation on the plot picture when it is on.
  void note();

 protected:
  void Redraw() override;
};

inline Tform_9bode* form_9bode = nullptr;
