// The main window's use of the device link: the open with its loading
// panel and the firmware version for the About box.
#include <QWidget>

#include "engine/acquisition/acquisition_controller.h"
#include "engine/front_panel/front_panel_controller.h"

#include "device/scope_device.h"
#include "engine/scope_state.h"
#include "io/about_box.h"

namespace engine::acquisition {

device::LogicFolders AcquisitionController::LogicFolders() const {
  return {ScopeState.ProgramFolder, ScopeState.DataFolder};
}

bool AcquisitionController::OpenLink() {
  return device_.Open(LogicFolders(), [this](bool show) { ShowLoadingPanel(show); });
}

void AcquisitionController::test0() {
  if (!OpenLink()) return;
  host_.FrontPanel().SpeedButton15v1Click(&controls_.Window);
  host_.FrontPanel().SpeedButton15v2Click(&controls_.Window);
  host_.FrontPanel().SpeedButton2msClick(&controls_.Window);
}

void AcquisitionController::test1() {
  if (!OpenLink()) return;
  host_.FrontPanel().SpeedButton15v1Click(&controls_.Window);
  host_.FrontPanel().SpeedButton15v2Click(&controls_.Window);
  host_.FrontPanel().SpeedButton2msClick(&controls_.Window);
  if (ScopeState.FirstRunCalibration && device_.IsOpen()) host_.calibrate();
}

void AcquisitionController::test2() {
  device_.ForgetMissingHardware();
  test0();
}

void AcquisitionController::ShowLoadingPanel(bool show) {
  controls_.LoadingPanel.SetVisible(show);
  if (!show) return;
  controls_.LoadingPanel.BringToFront();
  // The upload blocks the event loop, so the panel is painted now.
  if (QWidget* w = controls_.LoadingPanel.Widget()) w->repaint();
}

void AcquisitionController::QueryFirmwareVersion() {
  if (ScopeState.DemoMode || !device_.IsOpen()) return;
  const std::optional<std::string> version = device_.FirmwareVersion();
  if (!version || !AboutBox) return;
  AboutBox->Label2->SetCaption("Firmware version " + *version);
}

}  // namespace engine::acquisition
