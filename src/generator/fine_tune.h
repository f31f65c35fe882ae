// The generator's "Fine Tune" window (amplitude and square-wave offset trims).
// The class also carries the scope engine's unpacking, calibration and
// spectrum helpers (TForm8Engine, engine/form8_engine.h).
#pragma once

#include "engine/form8_engine.h"
#include "platform/ui/forms.h"

class TForm8 : public TForm, public TForm8Engine {
 public:
  explicit TForm8(TComponent* owner) : TForm(owner) {
    SetCaption("Fine Tune");
  }
};

inline TForm8* Form8 = nullptr;
