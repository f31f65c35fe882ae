// The "Persistence Options" dialog: durations, colour grading and acquisition limit.
#pragma once

#include "platform/ui/forms.h"

class TOKRightDlg : public TForm {
 public:
  explicit TOKRightDlg(TComponent* owner) : TForm(owner) {
    SetCaption("Persistence Options");
  }
};

inline TOKRightDlg* OKRightDlg = nullptr;
