// The hidden remote-control window that polls the scope mailbox; created
// minimised and never shown.
#pragma once

#include "platform/ui/forms.h"

class TFormx1 : public TForm {
 public:
  explicit TFormx1(TComponent* owner) : TForm(owner) {
    SetCaption("Darv-I/O");
    SetWindowState(wsMinimized);
  }
};

inline TFormx1* Formx1 = nullptr;
