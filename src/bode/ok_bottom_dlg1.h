// The "Phase Plot" hint: how to wire the phase measurement.
#pragma once

#include "platform/ui/vcl.h"
#include "widgets/gr_speed_button.h"

class TOKBottomDlg1 : public TForm {
 public:
  explicit TOKBottomDlg1(TComponent* owner);

  TMemo* Memo1 = nullptr;
  TCheckBox* CheckBox1 = nullptr;  // "Do not show this again"
  TGrSpeedButton* OKBtn = nullptr;
};

inline TOKBottomDlg1* OKBottomDlg1 = nullptr;
