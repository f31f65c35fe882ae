// The generator's hardware dialog (LPT port communication speed).
#pragma once

#include "platform/ui/forms.h"

class TBtnBottomDlg_fgen : public TForm {
 public:
  explicit TBtnBottomDlg_fgen(TComponent* owner) : TForm(owner) {
    SetCaption("Function Generator");
  }
};

inline TBtnBottomDlg_fgen* BtnBottomDlg_fgen = nullptr;
