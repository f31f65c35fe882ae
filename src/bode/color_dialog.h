// The Bode plotter's "Color" dialog for the plot colours.
#pragma once

#include "platform/ui/vcl.h"
#include "widgets/gr_speed_button.h"

class TBtnBottomDlg_2 : public TForm {
 public:
  explicit TBtnBottomDlg_2(TComponent* owner);

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
