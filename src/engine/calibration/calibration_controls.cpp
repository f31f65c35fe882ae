// The calibration's controls: the File menu's entries that start it, and the
// "Calibrating" panels of the main window and the Big Screen that show its
// progress.
#include <initializer_list>
#include <string>

#include "engine/big_screen.h"
#include "device/scope_device.h"
#include "engine/acquisition/acquisition_controller.h"
#include "engine/calibration.h"
#include "engine/calibration/calibration_controller.h"
#include "engine/calibration/calibration_parts.h"
#include "engine/notice_dialogs.h"
#include "engine/scope_state.h"
#include "platform/ui/vcl.h"

namespace {

using engine::calibration::CalibratingControls;
using engine::calibration::kWhite;
using engine::calibration::MakeCalibratingPanel;

TLabel* MakeLabel(TComponent* owner, TWinControl* parent, const char* name, const char* caption, int top,
                  int size, TColor color) {
  auto* label = new TLabel(owner);
  label->Name = name;
  label->SetParent(parent);
  label->SetTransparent(true);
  label->Font().Size = size;
  label->Font().Style = fsBold;
  label->Font().Color = color;
  label->FontChanged();
  label->SetCaption(caption);
  label->SetTop(top);
  label->SetLeft(16);
  return label;
}

// The Big Screen's panel, made the first time it is needed.
void MakeBigScreenPanel() {
  if (!Form10 || Form10->CalibratingPanel) return;
  const CalibratingControls c = MakeCalibratingPanel(Form10, 360, 240);
  Form10->CalibratingPanel = c.Panel;
  Form10->CalibratingLabel = c.Heading;
  Form10->CalibrationProgressLabel = c.Progress;
}

}  // namespace

namespace engine::calibration {

CalibrationController::CalibrationController(const engine::ScopeStates& states, CalibrationHost& host,
                                             CalibrationControls& controls, FrontPanelControls& panel,
                                             AnalysisControls& analysis, TForm& window, device::ScopeDevice& device)
    : engine::WithScopeStates(states),
      host_(host),
      controls_(controls),
      panel_(panel),
      analysis_(analysis),
      window_(window),
      device_(device) {}

CalibratingControls MakeCalibratingPanel(TForm* owner, int left, int top) {
  auto* panel = new TPanel(owner);
  panel->Name = "CalibratingPanel";
  panel->SetParent(owner);
  panel->SetBounds(left, top, 280, 64);
  panel->SetColor(clNavy);
  panel->SetCaption("");
  panel->SetVisible(false);
  // The heading turns white while a calibration runs; the progress is always readable.
  return {panel, MakeLabel(owner, panel, "CalibratingLabel", "Calibrating - Please wait...", 10, 12, clNavy),
          MakeLabel(owner, panel, "CalibrationProgressLabel", "0% Complete", 36, 10, kWhite)};
}

void CalibrationController::SetCalibratingLabelColor(TColor color) {
  MakeBigScreenPanel();
  for (TLabel* label : {controls_.CalibratingLabel, Form10 ? Form10->CalibratingLabel : nullptr}) {
    if (!label) continue;
    label->Font().Color = color;
    label->FontChanged();
  }
}

void CalibrationController::ShowProgress(const std::string& text) {
  MakeBigScreenPanel();
  for (TLabel* label : {controls_.CalibrationProgressLabel, Form10 ? Form10->CalibrationProgressLabel : nullptr})
    if (label) label->SetCaption(text);
}

void ShowCalibratingPanel(TPanel* panel, bool show) {
  if (!panel) return;
  panel->SetVisible(show);
  if (show) panel->BringToFront();
}

// ---------------------------------------------------------------- menus

// Waveform averaging off, as its "Off" menu entry does.
void CalibrationController::AveragingOff() {
  if (TMenuItem* off = analysis_.Off1; off && off->OnClick) {
    off->OnClick(off);
    return;
  }
  ScopeState.AveragingOn = 0;
  ScopeState.AverageRunning = 0;
  ScopeState.AverageCount = 0;
  ScopeState.AverageLength = 4;
}

bool CalibrationController::RunMenuCalibration(bool stopAcquisitionFirst) {
  if (ScopeState.DemoMode) return false;
  if (stopAcquisitionFirst) {
    StopAcquisition();
    host_.Acquisition().WaitOneTimer6Tick();
    if (Application->Terminated()) return false;
    AveragingOff();
  }
  ScopeState.FirstRunCalibration = 1;
  ScopeState.CalibrationCompleted = false;
  host_.Acquisition().test1();
  if (!device_.IsOpen()) {
    // The request stays for the next start. A device lost on the way has
    // been reported as such.
    if (device_.HardwareMissing() && BtnBottomDlg1) BtnBottomDlg1->ShowModal();
    return false;
  }
  if (!ScopeState.CalibrationCompleted) return false;
  ScopeState.FirstRunCalibration = 0;
  return true;
}

void CalibrationController::Calibrate1Click(TObject* /*Sender*/) {
  if (ScopeState.DemoMode) engine::TellCalibrationNeedsDevice();
  else RunMenuCalibration(true);
}

void CalibrationController::CalibrateExit1Click(TObject* /*Sender*/) {
  RunMenuCalibration(true);
  if (!Application->Terminated()) window_.Close();
}

}  // namespace engine::calibration
