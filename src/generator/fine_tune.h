// The generator's "Fine Tune" window (amplitude and square-wave offset trims).
// The scope engine's capture unpacking and calibration are methods of this
// class too, with their sources in engine/.
#pragma once

#include "platform/ui/forms.h"

class TForm8 : public TForm {
 public:
  explicit TForm8(TComponent* owner) : TForm(owner) {
    SetCaption("Fine Tune");
  }
};

inline TForm8* Form8 = nullptr;
