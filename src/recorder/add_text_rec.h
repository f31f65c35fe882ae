// The recorder's "Add Text" window (annotation on the recorder picture).
#pragma once

#include "platform/ui/forms.h"

class Tform_9rec : public TForm {
 public:
  explicit Tform_9rec(TComponent* owner) : TForm(owner) {
    SetCaption("Add Text");
  }
};

inline Tform_9rec* Form_9rec = nullptr;
