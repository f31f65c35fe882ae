// The Bode plotter's "Frequency Step" dialog.
#pragma once

#include "platform/ui/vcl.h"
#include "widgets/gr_speed_button.h"

namespace bode {
struct BodeSharedState;
}

class TOKRightDlg_2 : public TForm {
 public:
  // The dialog sets the step in `state`.
  TOKRightDlg_2(TComponent* owner, bode::BodeSharedState& state);
  bode::BodeSharedState& BodeState;

  TLabel* Label1 = nullptr;  // "Frequency step:"
  TComboBox* ComboBox1 = nullptr;
  TGrSpeedButton* OKBtn = nullptr;

  void ComboBox1Change(TObject* Sender);
  // Takes the step of list item `item` for the current step mode.
  void ApplyItem(int item);
};

inline TOKRightDlg_2* OKRightDlg_2 = nullptr;
