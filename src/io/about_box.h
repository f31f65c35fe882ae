// The oscilloscope's about box (name, version, firmware version, web link).
#pragma once

#include "platform/ui/forms.h"

class TAboutBox : public TForm {
 public:
  explicit TAboutBox(TComponent* owner) : TForm(owner) {
    SetCaption("Oscilloscope");
  }
};

inline TAboutBox* AboutBox = nullptr;
