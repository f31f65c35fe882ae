// The twin control panel of the Big Screen: a copy of the main window's front
// panel and menus, kept in step with it; created hidden and never shown.
#pragma once

#include "platform/ui/forms.h"

class TForm11 : public TForm {
 public:
  explicit TForm11(TComponent* owner) : TForm(owner) {
    SetCaption("Darvik48");
    SetBounds(194, 13, 732, 380);
  }
};

inline TForm11* Form11 = nullptr;
