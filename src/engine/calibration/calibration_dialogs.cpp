// The calibration's dialogs: the extended wait before the first calibration,
// and the "Calibration Results" window whose memo is the report.
#include "engine/acquisition/acquisition_controller.h"
#include "engine/btn_bottom_dlg3.h"
#include "engine/calibration.h"
#include "engine/calibration/calibration_controller.h"
#include "engine/calibration/calibration_parts.h"
#include "engine/form9.h"
#include "engine/front_panel/front_panel_controller.h"
#include "engine/scope_state.h"
#include "engine/step_tables.h"
#include "platform/ui/message_loop.h"
#include "platform/ui/vcl.h"

namespace engine::calibration {

// ---------------------------------------------------------------- the extended wait

void CalibrationController::ExtendedCalibrationStep() {
  if (!ScopeState.ExtendCalTime || !BtnBottomDlg3 || ScopeState.ExtendCalSteps >= engine::kExtendedWaitSteps) return;
  if (!BtnBottomDlg3->Visible()) BtnBottomDlg3->Show();
  ++ScopeState.ExtendCalSteps;
  BtnBottomDlg3->ProgressBar1->SetPosition(ScopeState.ExtendCalSteps);
  if (ScopeState.ExtendCalSteps % 5 == 0) host_.FrontPanel().asetus("", 0);
  if (ScopeState.ExtendCalSteps < engine::kExtendedWaitSteps) return;
  BtnBottomDlg3->Hide();
  // Closed once this Run tick is over: the close stops Run and calibrates.
  PostToMessageLoop(BtnBottomDlg3, [] {
    if (BtnBottomDlg3) BtnBottomDlg3->Close();
  });
}

void CalibrationController::ExtendedWaitTimer() {
  if (!ScopeState.ExtendCalTime || panel_.SpeedButtonRun->Down()) return;
  panel_.SpeedButtonRun->SetDown(true);
  host_.Acquisition().SpeedButtonRunClick(&window_);
}

void CalibrationController::ExtendedWaitClosed() {
  if (!ScopeState.ExtendCalTime) return;
  ScopeState.ExtendCalTime = 0;
  ScopeState.ExtendCalSteps = 0;
  if (panel_.SpeedButtonRun->Down()) {
    panel_.SpeedButtonRun->SetDown(false);
    host_.Acquisition().SpeedButtonRunClick(&window_);
  }
  ScopeState.RunStop = 1;
  ScopeState.SingleStop = 1;
  calibrate();
  host_.FrontPanel().PositionChange(1);
  host_.FrontPanel().PositionChange(2);
  if (ScopeState.CalibrationCompleted) ScopeState.FirstRunCalibration = 0;
  SelectRange(1, kRange03V);
  SelectRange(2, kRange03V);
  SelectTimeBase(engine::kTimeBase1ms);
}

}  // namespace engine::calibration

TBtnBottomDlg3::TBtnBottomDlg3(TComponent* owner) : TForm(owner) {
  SetCaption("Extended calibration time");
  SetBorderStyle(bsDialog);
  SetBounds(300, 250, 420, 130);

  Label1 = new TLabel(this);
  Label1->Name = "Label1";
  Label1->SetParent(this);
  Label1->SetBounds(16, 16, 380, 16);
  Label1->SetCaption("Waiting for the Windows XP to complete the Plug and Play operation...");

  ProgressBar1 = new TProgressBar(this);
  ProgressBar1->Name = "ProgressBar1";
  ProgressBar1->SetParent(this);
  ProgressBar1->SetBounds(16, 48, 380, 20);
  ProgressBar1->SetMin(0);
  ProgressBar1->SetMax(engine::kExtendedWaitSteps);

  Timer1 = new TTimer(this);
  Timer1->Name = "Timer1";
  Timer1->SetEnabled(false);
  Timer1->SetInterval(10);
  Timer1->OnTimer = [this](TObject* s) { Timer1Timer(s); };

  OnShow = [this](TObject* s) { FormShow(s); };
  OnClose = [this](TObject* s, TCloseAction& action) { FormClose(s, action); };
}

void TBtnBottomDlg3::FormShow(TObject* /*Sender*/) { Timer1->SetEnabled(true); }


// ---------------------------------------------------------------- "Calibration Results"

TForm9::TForm9(TComponent* owner) : TForm(owner) {
  SetCaption("Calibration Results");
  SetBounds(200, 150, 360, 260);
  Memo1 = new TMemo(this);
  Memo1->Name = "Memo1";
  Memo1->SetParent(this);
  Memo1->SetBounds(8, 8, 336, 210);
  Memo1->SetReadOnly(true);
  Memo1->SetWordWrap(false);
  Memo1->SetScrollBars(ssVertical);
}
