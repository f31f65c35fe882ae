// The transient recorder's about box.
#pragma once

#include "platform/ui/forms.h"

class TAboutBox_rec : public TForm {
 public:
  explicit TAboutBox_rec(TComponent* owner) : TForm(owner) {
    SetCaption("Transient Recorder");
  }
};

inline TAboutBox_rec* AboutBox_rec = nullptr;
