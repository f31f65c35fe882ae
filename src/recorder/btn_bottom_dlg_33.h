// A small dialog created at start-up with the recorder's windows; nothing uses it yet.
#pragma once

#include "platform/ui/forms.h"

class TBtnBottomDlg_33 : public TForm {
 public:
  explicit TBtnBottomDlg_33(TComponent* owner) : TForm(owner) {}
};

inline TBtnBottomDlg_33* BtnBottomDlg_33 = nullptr;
