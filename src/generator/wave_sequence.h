// The "Wave Sequence" player.
#pragma once

#include "platform/ui/forms.h"

class TForm900 : public TForm {
 public:
  explicit TForm900(TComponent* owner) : TForm(owner) {
    SetCaption("Wave Sequence");
  }
};

inline TForm900* Form900 = nullptr;
