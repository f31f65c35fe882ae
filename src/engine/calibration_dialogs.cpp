// The calibration's dialogs: the extended wait before the first calibration,
// and the "Calibration Results" window whose memo is the report.
#include "engine/btn_bottom_dlg3.h"
#include "engine/calibration.h"
#include "engine/calibration_parts.h"
#include "engine/form9.h"
#include "engine/main_form.h"
#include "engine/scope_state.h"
#include "engine/step_tables.h"
#include "platform/ui/message_loop.h"
#include "platform/ui/vcl.h"

namespace {

using engine::calibration::kRange03V;
using engine::calibration::SelectRange;
using engine::calibration::SelectTimeBase;

}  // namespace

// ---------------------------------------------------------------- the extended wait

void TForm1::ExtendedCalibrationStep() {
  if (!ScopeState.ExtendCalTime || !BtnBottomDlg3 || ScopeState.ExtendCalSteps >= engine::kExtendedWaitSteps) return;
  if (!BtnBottomDlg3->Visible()) BtnBottomDlg3->Show();
  ++ScopeState.ExtendCalSteps;
  BtnBottomDlg3->ProgressBar1->SetPosition(ScopeState.ExtendCalSteps);
  if (ScopeState.ExtendCalSteps % 5 == 0) asetus("", 0);
  if (ScopeState.ExtendCalSteps < engine::kExtendedWaitSteps) return;
  BtnBottomDlg3->Hide();
  // Closed once this Run tick is over: the close stops Run and calibrates.
  PostToMessageLoop(BtnBottomDlg3, [] {
    if (BtnBottomDlg3) BtnBottomDlg3->Close();
  });
}

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

void TBtnBottomDlg3::Timer1Timer(TObject* /*Sender*/) {
  Timer1->SetEnabled(false);
  if (!Form1 || !Form1->ScopeState.ExtendCalTime || Form1->SpeedButtonRun->Down()) return;
  Form1->SpeedButtonRun->SetDown(true);
  Form1->SpeedButtonRunClick(Form1);
}

void TBtnBottomDlg3::FormClose(TObject* /*Sender*/, TCloseAction& /*Action*/) {
  Timer1->SetEnabled(false);
  if (!Form1 || !Form1->ScopeState.ExtendCalTime) return;
  Form1->ScopeState.ExtendCalTime = 0;
  Form1->ScopeState.ExtendCalSteps = 0;
  if (Form1->SpeedButtonRun->Down()) {
    Form1->SpeedButtonRun->SetDown(false);
    Form1->SpeedButtonRunClick(Form1);
  }
  Form1->ScopeState.RunStop = 1;
  Form1->ScopeState.SingleStop = 1;
  Form1->calibrate();
  Form1->TrackBar1Change(Form1);
  Form1->TrackBar2Change(Form1);
  if (Form1->ScopeState.CalibrationCompleted) Form1->ScopeState.FirstRunCalibration = 0;
  SelectRange(1, kRange03V);
  SelectRange(2, kRange03V);
  SelectTimeBase(engine::kTimeBase1ms);
}

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
