// The transient recorder's about box.
#pragma once

#include "io/about_box.h"

class TAboutBox_rec : public AboutWindow {
 public:
  explicit TAboutBox_rec(TComponent* owner);

  TGrSpeedButton* GrSpeedButton1 = nullptr;  // "OK"
};

inline TAboutBox_rec* AboutBox_rec = nullptr;
