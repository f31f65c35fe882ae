// The Bode plotter's "Color" dialog for the colours of multiple traces.
#pragma once

#include <array>

#include "platform/ui/vcl.h"
#include "widgets/gr_speed_button.h"

namespace bode {
struct BodeSharedState;
}

class TBtnBottomDlg_21 : public TForm {
 public:
  // The sample is drawn on the plot background of `state`.
  TBtnBottomDlg_21(TComponent* owner, bode::BodeSharedState& state);
  bode::BodeSharedState& BodeState;

  TImage* Image1 = nullptr;  // the sample
  TGrSpeedButton* OKBtn = nullptr;
  TGrSpeedButton* CancelBtn = nullptr;
  TColorDialog* ColorDialog1 = nullptr;
  // The five colours being chosen; OK takes them over.
  std::array<TColor, 5> Working{};

  void Sample();
};

inline TBtnBottomDlg_21* BtnBottomDlg_21 = nullptr;
