// The "Waveform Parameters" window: chosen measurements of CH1 and CH2.
#pragma once

#include "platform/ui/forms.h"

class TForm_99 : public TForm {
 public:
  explicit TForm_99(TComponent* owner) : TForm(owner) {
    SetCaption("Waveform Parameters");
    SetClientWidth(377);
    SetClientHeight(515);
  }
};

inline TForm_99* Form_99 = nullptr;
