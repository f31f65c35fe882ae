// The calibration's controls on the main window: the File menu's entries that
// start it, and the "Calibrating" panels of the main window and the Big
// Screen that show its progress.
#include <array>
#include <string>

#include "engine/big_screen.h"
#include "engine/calibration.h"
#include "engine/calibration_parts.h"
#include "engine/main_form.h"
#include "engine/notice_dialogs.h"
#include "engine/scope_state.h"
#include "platform/ui/vcl.h"

namespace {

using engine::calibration::kWhite;
using engine::calibration::StopAcquisition;

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

// The panel with its heading and progress labels on `owner`.
struct CalibratingControls {
  TPanel* Panel = nullptr;
  TLabel* Heading = nullptr;
  TLabel* Progress = nullptr;
};

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

// The Big Screen's panel, made the first time it is needed.
void MakeBigScreenPanel() {
  if (!Form10 || Form10->CalibratingPanel) return;
  const CalibratingControls c = MakeCalibratingPanel(Form10, 360, 240);
  Form10->CalibratingPanel = c.Panel;
  Form10->CalibratingLabel = c.Heading;
  Form10->CalibrationProgressLabel = c.Progress;
}

// The labels of the main window's panel and the Big Screen's.
std::array<TLabel*, 2> HeadingLabels() {
  MakeBigScreenPanel();
  return {Form1->CalibratingLabel, Form10 ? Form10->CalibratingLabel : nullptr};
}

std::array<TLabel*, 2> ProgressLabels() {
  MakeBigScreenPanel();
  return {Form1->CalibrationProgressLabel, Form10 ? Form10->CalibrationProgressLabel : nullptr};
}

// Waveform averaging off, as its "Off" menu entry does.
void AveragingOff() {
  if (TMenuItem* off = Form1->Off1; off && off->OnClick) {
    off->OnClick(off);
    return;
  }
  Form1->ScopeState.AveragingOn = 0;
  Form1->ScopeState.AverageRunning = 0;
  Form1->ScopeState.AverageCount = 0;
  Form1->ScopeState.AverageLength = 4;
}

}  // namespace

namespace engine::calibration {

void SetCalibratingLabelColor(TColor color) {
  for (TLabel* label : HeadingLabels()) {
    if (!label) continue;
    label->Font().Color = color;
    label->FontChanged();
  }
}

void ShowProgress(const std::string& text) {
  for (TLabel* label : ProgressLabels())
    if (label) label->SetCaption(text);
}

void ShowCalibratingPanel(TPanel* panel, bool show) {
  if (!panel) return;
  panel->SetVisible(show);
  if (show) panel->BringToFront();
}

}  // namespace engine::calibration

// ---------------------------------------------------------------- menus

void TForm1::CreateCalibrationControls() {
  Calibrate1 = new TMenuItem(this);
  Calibrate1->Name = "Calibrate1";
  Calibrate1->SetCaption("Calibrate");
  Calibrate1->OnClick = [this](TObject* s) { Calibrate1Click(s); };
  CalibrateExit1 = new TMenuItem(this);
  CalibrateExit1->Name = "CalibrateExit1";
  CalibrateExit1->SetCaption("Calibrate && Exit");
  CalibrateExit1->OnClick = [this](TObject* s) { CalibrateExit1Click(s); };
  // Just above "Restore Default Settings && Exit".
  const int at = File1->IndexOf(RestoreDefaultSettingsExit1);
  File1->Insert(at < 0 ? File1->Count() : at, Calibrate1);
  File1->Insert(File1->IndexOf(Calibrate1) + 1, CalibrateExit1);

  // Over the middle of the picture.
  const CalibratingControls c = MakeCalibratingPanel(this, Image1->Left() + Image1->Width() / 2 - 140,
                                                     Image1->Top() + Image1->Height() / 2 - 32);
  CalibratingPanel = c.Panel;
  CalibratingLabel = c.Heading;
  CalibrationProgressLabel = c.Progress;
}

bool TForm1::RunMenuCalibration(bool stopAcquisitionFirst) {
  if (ScopeState.DemoMode) return false;
  if (stopAcquisitionFirst) {
    StopAcquisition();
    WaitOneTimer6Tick();
    if (Application->Terminated()) return false;
    AveragingOff();
  }
  ScopeState.FirstRunCalibration = 1;
  ScopeState.CalibrationCompleted = false;
  test1();
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

void TForm1::Calibrate1Click(TObject* /*Sender*/) {
  if (ScopeState.DemoMode) engine::TellCalibrationNeedsDevice();
  else RunMenuCalibration(true);
}

void TForm1::CalibrateExit1Click(TObject* /*Sender*/) {
  RunMenuCalibration(true);
  if (!Application->Terminated()) Close();
}
