// The "Persistence Options" dialog: durations, colour grading and acquisition limit.
#pragma once

#include "platform/ui/forms.h"

class TOKRightDlg : public TForm {
 public:
  explicit TOKRightDlg(TComponent* owner) : TForm(owner) {
    SetCaption("Persistence Options");
  }

  // ---- Start-up, shutdown and settings file
  // Takes over the three edits ("Number of acquisitions", "Low color", "High color").
  void OKBtnClick(TObject* /*Sender*/) {}
};

inline TOKRightDlg* OKRightDlg = nullptr;
