// The function generator's about box; it has no button of its own.
#pragma once

#include "io/about_box.h"

class TAboutBox_fgen : public AboutWindow {
 public:
  explicit TAboutBox_fgen(TComponent* owner);
};

inline TAboutBox_fgen* AboutBox_fgen = nullptr;
