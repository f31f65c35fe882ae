// The Bode plotter's "Color" dialog for the plot colours.
#pragma once

#include "platform/ui/vcl.h"
#include "widgets/gr_speed_button.h"

namespace bode {
struct BodeSharedState;
}

class TBtnBottomDlg_2 : public TForm {
 public:
  // The dialog sets the plot colours in `state`.
  TBtnBottomDlg_2(TComponent* owner, bode::BodeSharedState& state);
  bode::BodeSharedState& BodeState;

  // Modal result of "Default Colors".
  static constexpr int kDefaults = mrRetry;

  TImage* Image1 = nullptr;  // the sample
  TGrSpeedButton* OKBtn = nullptr;
  TGrSpeedButton* CancelBtn = nullptr;
  TGrSpeedButton* DefaultBtn = nullptr;  // "Default Colors"
  TColorDialog* ColorDialog1 = nullptr;

  // Paints the sample lines in the current colours.
  void Sample();
};

inline TBtnBottomDlg_2* BtnBottomDlg_2 = nullptr;
