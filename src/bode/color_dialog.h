// The Bode plotter's "Color" dialog for the plot colours.
#pragma once

#include "platform/ui/forms.h"

class TBtnBottomDlg_2 : public TForm {
 public:
  explicit TBtnBottomDlg_2(TComponent* owner) : TForm(owner) {
    SetCaption("Color");
  }
};

inline TBtnBottomDlg_2* BtnBottomDlg_2 = nullptr;
