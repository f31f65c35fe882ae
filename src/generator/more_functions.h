// "More Functions": the generator shapes without a button of their own.
#pragma once

#include "platform/ui/forms.h"

class TBtnBottomDlg1_fgen : public TForm {
 public:
  explicit TBtnBottomDlg1_fgen(TComponent* owner) : TForm(owner) {
    SetCaption("More Functions");
  }
};

inline TBtnBottomDlg1_fgen* BtnBottomDlg1_fgen = nullptr;
