// Home of the scope data-file reader; shows the reader's error message.
#pragma once

#include "platform/ui/forms.h"

class TForm5 : public TForm {
 public:
  explicit TForm5(TComponent* owner) : TForm(owner) {
    SetCaption("File Error");
  }
};

inline TForm5* Form5 = nullptr;
