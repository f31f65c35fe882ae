// The serial-port settings dialog of the wave-sequence player.
#pragma once

#include "platform/ui/forms.h"

class TCommFrm : public TForm {
 public:
  explicit TCommFrm(TComponent* owner) : TForm(owner) {
    SetCaption("Communication Settings");
  }
};

inline TCommFrm* CommFrm = nullptr;
