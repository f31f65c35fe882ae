// The automatic calibration of the scope window: its File menu items, the
// "Calibrating" panels, the extended wait before the first calibration, the
// run through the device and its report.
#pragma once

#include <cstddef>
#include <string>

#include "engine/front_panel.h"
#include "engine/scope_states.h"
#include "engine/spectrum/analysis_controls.h"
#include "engine/step_tables.h"
#include "platform/ui/vcl.h"

namespace device {
class ScopeDevice;
}
namespace engine::acquisition {
class AcquisitionController;
}
namespace engine::front_panel {
class FrontPanelController;
}

namespace engine::calibration {

struct Readings;

// File "Calibrate" and "Calibrate && Exit", and the panel "Calibrating -
// Please wait..." over the picture while a calibration runs, with its
// progress ("0% Complete" .. "100% Complete").
struct CalibrationControls {
  TMenuItem* Calibrate1 = nullptr;
  TMenuItem* CalibrateExit1 = nullptr;
  TPanel* CalibratingPanel = nullptr;
  TLabel* CalibratingLabel = nullptr;
  TLabel* CalibrationProgressLabel = nullptr;
};

// What the calibration needs of the scope window: the acquisition and the
// front panel it drives, and the picture rebuilt at its end.
class CalibrationHost {
 public:
  virtual engine::acquisition::AcquisitionController& Acquisition() = 0;
  virtual engine::front_panel::FrontPanelController& FrontPanel() = 0;
  virtual void putsataanko() = 0;
  virtual void piirrot() = 0;

 protected:
  ~CalibrationHost() = default;
};

class CalibrationController : public engine::WithScopeStates {
 public:
  // `window` is the scope window: disabled while a calibration runs, closed
  // by "Calibrate && Exit".
  CalibrationController(const engine::ScopeStates& states, CalibrationHost& host, CalibrationControls& controls,
                        FrontPanelControls& panel, AnalysisControls& analysis, TForm& window,
                        device::ScopeDevice& device);

  // File menu "Calibrate" and "Calibrate && Exit": stop the acquisition, wait
  // one tick of Timer6, averaging off, then open the device if needed and
  // calibrate; "No hardware response!" when no device answers.
  void Calibrate1Click(TObject* Sender);
  void CalibrateExit1Click(TObject* Sender);
  // The calibration of the menus; stopAcquisitionFirst is false for the twin
  // panel's "Calibrate", which goes straight to the device. True when a
  // calibration ran to its end.
  bool RunMenuCalibration(bool stopAcquisitionFirst);
  // Calibrates both channels through the device (nothing in demo mode or
  // while the link is closed): the panel's buttons pressed as each step
  // needs, the device's captures and slow reads, the report. Whether every
  // step was measured is ScopeState.CalibrationCompleted.
  void calibrate();

  // One step of the extended wait before the first calibration, counted by
  // the Run loop's read-out updates.
  void ExtendedCalibrationStep();
  // The wait's window: its timer presses Run once so that the wait makes
  // progress; closing it ends the wait (Run released) and calibrates.
  void ExtendedWaitTimer();
  void ExtendedWaitClosed();

 private:
  // The user will not be waiting for a verdict: the program ends once the
  // calibration has.
  bool Leaving() const;
  // Report line 3..12 from the record as it stands.
  std::string ReportLine(int line) const;

  // Measuring (calibration_measuring.cpp).
  bool Interrupted() const;
  bool CaptureInTime();
  Readings Read();
  bool CentreOffset(int channel);
  bool CorrectOneVoltFamily();
  bool SweepPosition(int channel, int upTarget, int downTarget, int readsPerStep, int& reading);

  // The calibrating panels of the main window and the Big Screen
  // (calibration_controls.cpp).
  void SetCalibratingLabelColor(TColor color);
  void ShowProgress(const std::string& text);
  void AveragingOff();

  // The front panel as the calibration sets it (calibration_front_panel.cpp).
  bool Press(engine::PanelButton member);
  void SetButtonDown(engine::PanelButton member, bool down);
  void SelectRange(int channel, std::size_t row);
  void SelectTimeBase(std::size_t row);
  void TriggerOffButton();
  void TriggerSourceButton(int channel);
  void RisingEdgeButton();
  void StopAcquisition();
  void PlainScopeDisplay();
  void BothChannelsShown();

  CalibrationHost& host_;
  CalibrationControls& controls_;
  FrontPanelControls& panel_;
  AnalysisControls& analysis_;
  TForm& window_;
  device::ScopeDevice& device_;
};

}  // namespace engine::calibration
