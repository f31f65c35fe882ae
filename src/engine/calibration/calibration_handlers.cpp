// The scope window's calibration: the building of its File menu items and
// "Calibrating" panel, bound to the calibration, and what the acquisition
// and the extended wait's window ask of it.
#include <memory>

#include "engine/btn_bottom_dlg3.h"
#include "engine/calibration/calibration_controller.h"
#include "engine/calibration/calibration_parts.h"
#include "engine/main_form.h"
#include "platform/ui/vcl.h"

void TForm1::CreateCalibrationControls() {
  using engine::calibration::CalibratingControls;
  calibration_ = std::make_unique<engine::calibration::CalibrationController>(
      engine::ScopeStates{ScopeState, DisplayState, HistoryState, PersistenceState}, *this, *this, *this, *this,
      *this, device_);
  Calibrate1 = new TMenuItem(this);
  Calibrate1->Name = "Calibrate1";
  Calibrate1->SetCaption("Calibrate");
  Calibrate1->OnClick = [this](TObject* s) { Calibration().Calibrate1Click(s); };
  CalibrateExit1 = new TMenuItem(this);
  CalibrateExit1->Name = "CalibrateExit1";
  CalibrateExit1->SetCaption("Calibrate && Exit");
  CalibrateExit1->OnClick = [this](TObject* s) { Calibration().CalibrateExit1Click(s); };
  // Just above "Restore Default Settings && Exit".
  const int at = File1->IndexOf(RestoreDefaultSettingsExit1);
  File1->Insert(at < 0 ? File1->Count() : at, Calibrate1);
  File1->Insert(File1->IndexOf(Calibrate1) + 1, CalibrateExit1);

  // Over the middle of the picture.
  const CalibratingControls c = engine::calibration::MakeCalibratingPanel(
      this, Image1->Left() + Image1->Width() / 2 - 140, Image1->Top() + Image1->Height() / 2 - 32);
  CalibratingPanel = c.Panel;
  CalibratingLabel = c.Heading;
  CalibrationProgressLabel = c.Progress;
}

void TForm1::calibrate() { Calibration().calibrate(); }
void TForm1::ExtendedCalibrationStep() { Calibration().ExtendedCalibrationStep(); }

void TBtnBottomDlg3::Timer1Timer(TObject* /*Sender*/) {
  Timer1->SetEnabled(false);
  if (Form1) Form1->Calibration().ExtendedWaitTimer();
}

void TBtnBottomDlg3::FormClose(TObject* /*Sender*/, TCloseAction& /*Action*/) {
  Timer1->SetEnabled(false);
  if (Form1) Form1->Calibration().ExtendedWaitClosed();
}
