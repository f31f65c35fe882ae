// The Bode plotter's "Frequency Step" dialog.
#pragma once

#include "platform/ui/vcl.h"
#include "widgets/gr_speed_button.h"

class TOKRightDlg_2 : public TForm {
 public:
  explicit TOKRightDlg_2(TComponent* owner);

  TLabel* Label1 = nullptr;  // "Frequency step:"
  TComboBox* ComboBox1 = nullptr;
  TGrSpeedButton* OKBtn = nullptr;

  void ComboBox1Change(TObject* Sender);
  // Takes the step of list item `item` for the current step mode.
  void ApplyItem(int item);
};

inline TOKRightDlg_2* OKRightDlg_2 = nullptr;
