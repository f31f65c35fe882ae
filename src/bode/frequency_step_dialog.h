// The Bode plotter's "Frequency Step" dialog.
#pragma once

#include "platform/ui/forms.h"

class TOKRightDlg_2 : public TForm {
 public:
  explicit TOKRightDlg_2(TComponent* owner) : TForm(owner) {
    SetCaption("Frequency Step");
  }
};

inline TOKRightDlg_2* OKRightDlg_2 = nullptr;
