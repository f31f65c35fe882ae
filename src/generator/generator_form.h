// The generator engine window: it holds the generator's state, timers and
// dialogs; the visible generator controls sit on the scope and recorder windows.
#pragma once

#include "platform/ui/forms.h"

class TForm1_fgen : public TForm {
 public:
  explicit TForm1_fgen(TComponent* owner) : TForm(owner) {
    SetCaption("Function Generator ");
  }

  // ---- Start-up, shutdown and settings file
  // Generator output off now.
  void Disable() {}
};

inline TForm1_fgen* Form1_fgen = nullptr;
