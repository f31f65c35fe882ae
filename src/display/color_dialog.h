// The "Color" dialog: the eight screen colours of the scope and recorder pictures.
#pragma once

#include "platform/ui/forms.h"

class TBtnBottomDlg2 : public TForm {
 public:
  explicit TBtnBottomDlg2(TComponent* owner) : TForm(owner) {
    SetCaption("Color");
    SetClientWidth(382);
    SetClientHeight(268);
  }
};

inline TBtnBottomDlg2* BtnBottomDlg2 = nullptr;
