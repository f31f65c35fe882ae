// The transient recorder window.
#pragma once

#include <cstdint>

#include "platform/ui/forms.h"

class TForm1_rec : public TForm {
 public:
  explicit TForm1_rec(TComponent* owner) : TForm(owner) {
    SetCaption("Transient Recorder");
  }

  // ---- Start-up, shutdown and settings file
  std::uint8_t RecClearPending = 0;  // wipe the recorder picture at the next refresh
  // Wipes and rebuilds the picture when a wipe is pending.
  void putsataanko() {}
};

inline TForm1_rec* Form1_rec = nullptr;
