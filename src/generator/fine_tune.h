// The generator's "Fine Tune" window (amplitude and square-wave offset trims).
// The scope engine's capture unpacking and calibration are methods of this
// class too, with their sources in engine/.
#pragma once

#include "platform/ui/forms.h"

class TForm8 : public TForm {
 public:
  explicit TForm8(TComponent* owner) : TForm(owner) {
    SetCaption("Fine Tune");
  }

  // ---- Start-up, shutdown and settings file
  // Run and Single up, both stop flags set (the close stops the acquisition so).
  void Power_on_off();
  // The automatic calibration; the calibration work fills it.
  void calibrate() {}

  // ---- Device link and commands
  // Re-arms a capture: stop and reset (9), then arm (11).
  void Resetoi_500();
};

inline TForm8* Form8 = nullptr;
