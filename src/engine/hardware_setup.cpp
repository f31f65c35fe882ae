// Options "Hardware Setup...": the user's way between the device and demo
// mode while the program runs, in either direction. A session that once fell
// back to demo mode keeps it in the settings file; this is how it returns.
#include <algorithm>

#include "engine/main_form.h"
#include "device/scope_device.h"
#include "engine/notice_dialogs.h"
#include "engine/scope_state.h"
#include "engine/instrument_links.h"
#include "platform/ui/vcl.h"

namespace {

const char* const kDemoChosenText = "Software runs now in demo mode.\rClick 'Run' to start the demo.";
const char* const kNoDeviceText = "Software runs now in Demo Mode.\rClick 'Run' to start the demo.";
const char* const kNotCalibratedText =
    "Oscilloscope is not calibrated.\rSelect File|Calibrate && Exit and restart the program.";

}  // namespace

void TForm1::CreateHardwareSetupControls() {
  Hardware1 = new TMenuItem(this);
  Hardware1->Name = "Hardware1";
  Hardware1->SetCaption("Hardware Setup...");
  Hardware1->OnClick = [this](TObject* s) { Hardware1Click(s); };
  Options1->Add(Hardware1);
}

void TForm1::Hardware1Click(TObject* /*Sender*/) {
  // Nothing may be capturing while the source changes.
  ScopeState.RunStop = 1;
  ScopeState.SingleStop = 1;
  SpeedButtonRun->SetDown(false);
  SpeedButtonRunClick(this);
  SpeedButtonSingle->SetDown(false);
  Acquisition().SpeedButtonSingleClick(this);

  // The dialog offers the mode in force; its radio buttons set DemoMode
  // (and the device trigger level that goes with it) as they are clicked.
  if (!BtnBottomDlg) return;
  const bool wasDemo = ScopeState.DemoMode != 0;
  (ScopeState.DemoMode ? BtnBottomDlg->RadioButton2 : BtnBottomDlg->RadioButton1)->SetChecked(true);
  BtnBottomDlg->ShowModal();
  if (Application->Terminated()) return;
  // The controls pressed below redraw the picture: the capture of the source
  // left behind must not come back on it.
  if ((ScopeState.DemoMode != 0) != wasDemo) ForgetCaptureOfOldSource();

  if (ScopeState.DemoMode) {
    // Demo mode chosen.
    Acquisition().tee_demo_taulut();
    MessageDlgPos(kDemoChosenText, mtInformation, mbOK, 0, Left() + 240, Top() + 200);
    RecorderDemoChangePending = 1;
  } else {
    // The device: open it unless it is open already.
    Acquisition().test2();
    if (device_.HardwareMissing()) {
      if (BtnBottomDlg1) BtnBottomDlg1->ShowModal();
      MessageDlgPos(kNoDeviceText, mtInformation, mbOK, 0, Left() + 238, Top() + 200);
      ScopeState.DemoMode = 1;
      // The device level is turned round for the demo trigger search.
      RefreshDeviceTriggerLevel();
      Acquisition().tee_demo_taulut();
    } else if (ScopeState.FirstRunCalibration) {
      MessageDlgPos(kNotCalibratedText, mtWarning, mbOK, 0, Left() + 125, Top() + 200);
    }
  }
  if (Application->Terminated()) return;

  // The generator follows the hardware; a fresh picture.
  const engine::InstrumentLinks& others = ScopeState.OtherInstruments;
  if (others.SetGeneratorHardware) others.SetGeneratorHardware(!ScopeState.DemoMode);
  if (others.GeneratorOnDevice && others.GeneratorOnDevice() && others.GeneratorOutputOff) others.GeneratorOutputOff();
  ScopeState.ClearPending = 1;
  putsataanko();
}

void TForm1::ForgetCaptureOfOldSource() {
  poisto();
  std::fill_n(ScopeState.ScopeSampleBlock.begin(), display::kCaptureBytes, 0);
  ScopeState.SampleCopy.fill(0);
  std::fill_n(ScopeState.NewestCapture.Samples.begin(), display::kCaptureBytes, 0);
  // Nothing to draw or to save until the new source's first capture.
  ScopeState.TracesShown = 0;
  ScopeState.TraceValid = 0;
}
