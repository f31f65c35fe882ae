// The function generator's about box.
#pragma once

#include "platform/ui/forms.h"

class TAboutBox_fgen : public TForm {
 public:
  explicit TAboutBox_fgen(TComponent* owner) : TForm(owner) {
    SetCaption("Function generator");
  }
};

inline TAboutBox_fgen* AboutBox_fgen = nullptr;
