// The Bode plotter's "Wait Time" dialog.
#pragma once

#include "platform/ui/vcl.h"
#include "widgets/gr_speed_button.h"

class TOKRightDlg_1 : public TForm {
 public:
  explicit TOKRightDlg_1(TComponent* owner);

  TLabel* Label1 = nullptr;  // "Wait time:"
  TComboBox* ComboBox1 = nullptr;
  TGrSpeedButton* OKBtn = nullptr;

  void ComboBox1Change(TObject* Sender);
};

inline TOKRightDlg_1* OKRightDlg_1 = nullptr;
