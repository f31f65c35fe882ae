// The note shown when automatic voltage scaling is switched on.
#pragma once

#include "platform/ui/vcl.h"
#include "widgets/gr_speed_button.h"

class TOKBottomDlg_1 : public TForm {
 public:
  explicit TOKBottomDlg_1(TComponent* owner);

  TMemo* Memo1 = nullptr;
  TGrSpeedButton* OKBtn = nullptr;
};

inline TOKBottomDlg_1* OKBottomDlg_1 = nullptr;
