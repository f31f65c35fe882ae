// The oscilloscope's about box (name, version, firmware version, web link).
#pragma once

#include "platform/ui/forms.h"
#include "platform/ui/text_controls.h"

class TAboutBox : public TForm {
 public:
  explicit TAboutBox(TComponent* owner) : TForm(owner) {
    SetCaption("Oscilloscope");
    // The firmware version, filled in once the device has reported it.
    Label2 = new TLabel(this);
    Label2->Name = "Label2";
    Label2->SetParent(this);
    Label2->SetBounds(16, 72, 200, 16);
    Label2->SetCaption(" ");
  }

  TLabel* Label2;
};

inline TAboutBox* AboutBox = nullptr;
