// The Bode plotter's "Wait Time" dialog.
#pragma once

#include "platform/ui/forms.h"

class TOKRightDlg_1 : public TForm {
 public:
  explicit TOKRightDlg_1(TComponent* owner) : TForm(owner) {
    SetCaption("Wait Time");
  }
};

inline TOKRightDlg_1* OKRightDlg_1 = nullptr;
