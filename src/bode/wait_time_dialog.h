// The Bode plotter's "Wait Time" dialog.
#pragma once

#include "platform/ui/vcl.h"
#include "widgets/gr_speed_button.h"

namespace bode {
struct BodeSharedState;
}

class TOKRightDlg_1 : public TForm {
 public:
  // The dialog sets the wait in `state`.
  TOKRightDlg_1(TComponent* owner, bode::BodeSharedState& state);
  bode::BodeSharedState& BodeState;

  TLabel* Label1 = nullptr;  // "Wait time:"
  TComboBox* ComboBox1 = nullptr;
  TGrSpeedButton* OKBtn = nullptr;

  void ComboBox1Change(TObject* Sender);
};

inline TOKRightDlg_1* OKRightDlg_1 = nullptr;
