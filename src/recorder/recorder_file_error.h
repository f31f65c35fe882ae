// Home of the recorder data-file reader; shows the reader's error message.
#pragma once

#include "platform/ui/forms.h"

class TForm5_rec : public TForm {
 public:
  explicit TForm5_rec(TComponent* owner) : TForm(owner) {
    SetCaption("File Error");
  }
};

inline TForm5_rec* Form5_rec = nullptr;
