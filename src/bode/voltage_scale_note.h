// The note shown when automatic voltage scaling is switched on.
#pragma once

#include "platform/ui/forms.h"

class TOKBottomDlg_1 : public TForm {
 public:
  explicit TOKBottomDlg_1(TComponent* owner) : TForm(owner) {
    SetCaption("Bode Plotter");
  }
};

inline TOKBottomDlg_1* OKBottomDlg_1 = nullptr;
