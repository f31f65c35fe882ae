// A small dialog created at start-up with the others; nothing uses it yet.
#pragma once

#include "platform/ui/forms.h"

class TBtnBottomDlg3 : public TForm {
 public:
  explicit TBtnBottomDlg3(TComponent* owner) : TForm(owner) {}
};

inline TBtnBottomDlg3* BtnBottomDlg3 = nullptr;
