// The Bode plotter's "Add Text" window (annotation on the plot).
#pragma once

#include "platform/ui/forms.h"

class Tform_9bode : public TForm {
 public:
  explicit Tform_9bode(TComponent* owner) : TForm(owner) {
    SetCaption("Add Text");
  }
};

inline Tform_9bode* form_9bode = nullptr;
