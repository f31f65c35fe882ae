// The Bode plotter's "Color" dialog for the colours of multiple traces.
#pragma once

#include "platform/ui/forms.h"

class TBtnBottomDlg_21 : public TForm {
 public:
  explicit TBtnBottomDlg_21(TComponent* owner) : TForm(owner) {
    SetCaption("Color");
  }
};

inline TBtnBottomDlg_21* BtnBottomDlg_21 = nullptr;
