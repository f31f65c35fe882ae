// The transient recorder window.
#pragma once

#include "platform/ui/forms.h"

class TForm1_rec : public TForm {
 public:
  explicit TForm1_rec(TComponent* owner) : TForm(owner) {
    SetCaption("Transient Recorder");
  }
};

inline TForm1_rec* Form1_rec = nullptr;
