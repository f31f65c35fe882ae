// The "Extended calibration time" window: while the [Hardware] option
// ExtendCalTime is set, the first calibration waits until the Run loop has
// updated its read-outs 150 times, and this window shows how far the wait
// has come. Closing it ends the wait and runs the calibration.
#pragma once

#include "platform/ui/bars.h"
#include "platform/ui/forms.h"
#include "platform/ui/text_controls.h"
#include "platform/ui/timer.h"

class TBtnBottomDlg3 : public TForm {
 public:
  explicit TBtnBottomDlg3(TComponent* owner);

  TLabel* Label1;              // what the wait is for
  TProgressBar* ProgressBar1;  // 0..150 steps
  TTimer* Timer1;              // 10 ms, started when the window shows

  void FormShow(TObject* Sender);
  // Presses Run once, so that the wait makes progress.
  void Timer1Timer(TObject* Sender);
  // Ends the wait: Run released, then the calibration.
  void FormClose(TObject* Sender, TCloseAction& Action);
};

inline TBtnBottomDlg3* BtnBottomDlg3 = nullptr;
