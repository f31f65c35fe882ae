// The main window's use of the device link: the open with its loading
// panel, the firmware version for the About box, and the stop at close.
#include <QWidget>

#include "device/scope_device.h"
#include "engine/main_form.h"
#include "engine/scope_state.h"
#include "io/about_box.h"

device::LogicFolders TForm1::LogicFolders() const {
  return {ScopeState.ProgramFolder, ScopeState.DataFolder};
}

bool TForm1::OpenLink() {
  return device_.Open(LogicFolders(), [this](bool show) { ShowLoadingPanel(show); });
}

void TForm1::test0() {
  if (!OpenLink()) return;
  SpeedButton15v1Click(this);
  SpeedButton15v2Click(this);
  SpeedButton2msClick(this);
}

void TForm1::test1() {
  if (!OpenLink()) return;
  SpeedButton15v1Click(this);
  SpeedButton15v2Click(this);
  SpeedButton2msClick(this);
  if (ScopeState.FirstRunCalibration && device_.IsOpen()) calibrate();
}

void TForm1::test2() {
  device_.ForgetMissingHardware();
  test0();
}

void TForm1::ShowLoadingPanel(bool show) {
  LoadingPanel->SetVisible(show);
  if (!show) return;
  LoadingPanel->BringToFront();
  // The upload blocks the event loop, so the panel is painted now.
  if (QWidget* w = LoadingPanel->Widget()) w->repaint();
}

void TForm1::QueryFirmwareVersion() {
  if (ScopeState.DemoMode || !device_.IsOpen()) return;
  const std::optional<std::string> version = device_.FirmwareVersion();
  if (!version || !AboutBox) return;
  AboutBox->Label2->SetCaption("Firmware version " + *version);
}

void TForm1::Power_on_off() {
  SpeedButtonRun->SetDown(false);
  SpeedButtonSingle->SetDown(false);
  ScopeState.RunStop = 1;
  ScopeState.SingleStop = 1;
}
