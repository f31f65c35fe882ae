// The automatic calibration of both channels: with the inputs grounded in the
// device, the offset that centres each channel at 3 V/div, the correction for
// the 1 V/div family, and three (screen reading, position DAC) pairs per
// channel from a sweep of the position DAC. Also the report ("Calibration
// Results" memo and "Calibration.log") and what the rest of the program asks
// of the calibration.
#include "engine/calibration.h"

#include <array>
#include <cstdlib>
#include <functional>
#include <string>
#include <utility>

#include "engine/big_screen.h"
#include "engine/calibration/calibration_controller.h"
#include "engine/calibration/calibration_parts.h"
#include "engine/calibration_record.h"
#include "engine/form9.h"
#include "engine/front_panel/front_panel_controller.h"
#include "device/scope_device.h"
#include "engine/scope_state.h"
#include "engine/step_tables.h"
#include "platform/ini/ini_file.h"
#include "platform/os/folders.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/vcl.h"

namespace engine {

bool OffsetInWindow(std::int32_t offset) { return offset >= 91 && offset <= 165; }

bool CorrectionInWindow(std::int32_t correction) { return std::abs(correction) < 50; }

void SetCalibrationPairs(ScopeSharedState& scope, const CalibrationPairs& p) {
  for (ScopeChannelState& c : scope.Channels) {
    c.pos0 = p.pos0;
    c.pos1 = p.pos1;
    c.pos2 = p.pos2;
    c.ad0 = p.ad0;
    c.ad1 = p.ad1;
    c.ad2 = p.ad2;
  }
}

std::array<CalibrationPairKey, 12> CalibrationPairKeys(ScopeSharedState& scope) {
  const CalibrationPairs& d = kDefaultCalibrationPairs;
  return {{{"Ch1_pos0", &scope.Channels[0].pos0, d.pos0}, {"Ch1_pos1", &scope.Channels[0].pos1, d.pos1}, {"Ch1_pos2", &scope.Channels[0].pos2, d.pos2},
           {"Ch2_pos0", &scope.Channels[1].pos0, d.pos0}, {"Ch2_pos1", &scope.Channels[1].pos1, d.pos1}, {"Ch2_pos2", &scope.Channels[1].pos2, d.pos2},
           {"Ch1_ad0", &scope.Channels[0].ad0, d.ad0},    {"Ch1_ad1", &scope.Channels[0].ad1, d.ad1},    {"Ch1_ad2", &scope.Channels[0].ad2, d.ad2},
           {"Ch2_ad0", &scope.Channels[1].ad0, d.ad0},    {"Ch2_ad1", &scope.Channels[1].ad1, d.ad1},    {"Ch2_ad2", &scope.Channels[1].ad2, d.ad2}}};
}

std::string CalibrationLogPath(const ScopeSharedState& scope) {
  std::string folder = scope.DocumentsFolder;
  // Before the start-up has chosen the folder, the documents folder itself.
  if (folder.empty()) folder = os::GetSpecialFolderPath(os::kCsidlPersonal) + "/";
  return folder + "Calibration.log";
}

void TellCalibrationNeedsDevice() {
  MessageDlg(
      "Calibration needs the oscilloscope hardware.\rSoftware runs now in Demo Mode.\r\r"
      "Choose Options|Hardware Setup menu to enter normal mode.",
      mtInformation, mbOK, 0);
}

}  // namespace engine

namespace {

using engine::calibration::kHighReadingDown, engine::calibration::kHighReadingUp, engine::calibration::kLowReading,
    engine::calibration::kMidReading, engine::calibration::kRange3V, engine::calibration::kStartOffset,
    engine::calibration::kWhite, engine::calibration::ShowCalibratingPanel;

constexpr std::size_t TimeBaseRow(engine::PanelButton button) {
  for (std::size_t i = 0; i < engine::TimeBaseTable.size(); ++i)
    if (engine::TimeBaseTable[i].Button == button) return i;
  return engine::TimeBaseTable.size();
}
constexpr std::size_t kTimeBase10us = TimeBaseRow(&FrontPanelControls::SpeedButton10us);
static_assert(kTimeBase10us < engine::TimeBaseTable.size());

const char* const kFailedText = "CALIBRATION FAILED.\rPlease check 'Calibration.log' file for more details";
const char* const kSucceededText = "Calibration completed successfully.";

// Step 3, point by point: low, mid and high of CH1, then of CH2. The first
// point of a channel starts its position DAC at 0 (CH1 after two reads that
// let the front end settle, CH2 with the trigger on CH2); every point starts
// with a re-arm.
struct SweepPoint {
  int Channel;
  bool StartsChannel;
  int SettleReads;
  int UpTarget;
  int DownTarget;
  int ReadsPerStep;
  std::int32_t engine::ScopeChannelState::*Reading;  // the record's screen reading and DAC value of the point
  std::int32_t engine::ScopeChannelState::*Dac;
  const char* Progress;   // progress shown once the point is measured; nullptr none
  int ReportLine;         // the report is complete up to this line
};

const SweepPoint kSweepPoints[] = {
    {1, true, 2, kLowReading, kLowReading, 1, &engine::ScopeChannelState::pos1, &engine::ScopeChannelState::ad1,
     nullptr, 7},
    {1, false, 0, kMidReading, kMidReading, 2, &engine::ScopeChannelState::pos0, &engine::ScopeChannelState::ad0,
     nullptr, 8},
    {1, false, 0, kHighReadingUp, kHighReadingDown, 2, &engine::ScopeChannelState::pos2,
     &engine::ScopeChannelState::ad2, "50% Complete", 9},
    {2, true, 0, kLowReading, kLowReading, 1, &engine::ScopeChannelState::pos1, &engine::ScopeChannelState::ad1,
     "70% Complete", 10},
    {2, false, 0, kMidReading, kMidReading, 1, &engine::ScopeChannelState::pos0, &engine::ScopeChannelState::ad0,
     "90% Complete", 11},
    {2, false, 0, kHighReadingUp, kHighReadingDown, 1, &engine::ScopeChannelState::pos2,
     &engine::ScopeChannelState::ad2, "100% Complete", 12},
};

// ---- The report

std::string Verdict(bool ok) { return ok ? "OK" : "FAIL"; }

std::string OffsetLine(const char* head, std::int32_t value, bool ok) {
  return std::string(head) + std::to_string(value) + "\t" + Verdict(ok);
}

// The memo of the "Calibration Results" window, written line by line as the
// steps finish.
class Report {
 public:
  // `line` gives report line 3..12 from the record as it stands.
  explicit Report(std::function<std::string(int)> line) : line_(std::move(line)) {
    if (!Form9) return;
    Form9->Memo1->Clear();
    Form9->Memo1->Lines().Add("Calibration results:");
    Form9->Memo1->Lines().Add("");
  }
  // Adds the lines up to `last` that are not there yet.
  void Through(int last) {
    for (; next_ <= last; ++next_)
      if (Form9) Form9->Memo1->Lines().Add(line_(next_));
  }
  // Saves the memo; false when the file could not be written. A documents
  // folder that is not there yet is made.
  bool Save(const std::string& path) const {
    if (!Form9) return true;
    const std::size_t slash = path.rfind('/');
    if (slash != std::string::npos && slash > 0) os::ForceDirectories(path.substr(0, slash));
    return Form9->Memo1->Lines().SaveToFile(path);
  }

 private:
  std::function<std::string(int)> line_;
  int next_ = 3;
};

}  // namespace

namespace engine::calibration {

bool CalibrationController::Leaving() const {
  return ScopeState.CloseRequested || (Application && Application->Terminated());
}

std::string CalibrationController::ReportLine(int line) const {
  switch (line) {
    case 3: return OffsetLine("CH1 offset at 3V/div      :\t", ScopeState.Channels[0].OffsetCal, engine::OffsetInWindow(ScopeState.Channels[0].OffsetCal));
    case 4: return OffsetLine("CH2 offset at 3V/div      :\t", ScopeState.Channels[1].OffsetCal, engine::OffsetInWindow(ScopeState.Channels[1].OffsetCal));
    case 5: return OffsetLine("CH1 offset at 1V/div   :\t", ScopeState.Channels[0].V5Offset, engine::CorrectionInWindow(ScopeState.Channels[0].V5Offset));
    case 6: return OffsetLine("CH2 offset at 1V/div   :\t", ScopeState.Channels[1].V5Offset, engine::CorrectionInWindow(ScopeState.Channels[1].V5Offset));
    case 7: return "CH1 Y-position low\t" + std::to_string(ScopeState.Channels[0].pos1);
    case 8: return "CH1 Y-position mid\t" + std::to_string(ScopeState.Channels[0].pos0);
    case 9: return "CH1 Y-position high\t" + std::to_string(ScopeState.Channels[0].pos2);
    case 10: return "CH2 Y-position low\t" + std::to_string(ScopeState.Channels[1].pos1);
    case 11: return "CH2 Y-position mid\t" + std::to_string(ScopeState.Channels[1].pos0);
    case 12: return "CH2 Y-position high\t" + std::to_string(ScopeState.Channels[1].pos2);
    default: return {};
  }
}


// ---------------------------------------------------------------- the calibration

void CalibrationController::calibrate() {
  ScopeState.CalibrationCompleted = false;
  if (ScopeState.DemoMode || !device_.IsOpen()) return;
  // The close waits for the whole calibration, its closing message included.
  struct RunningScope {
    std::uint8_t& Flag;
    explicit RunningScope(std::uint8_t& flag) : Flag(flag) { Flag = 1; }
    ~RunningScope() { Flag = 0; }
  } running(ScopeState.CalibrationRunning);
  // What stays in force when this run is cut short.
  const engine::CalibrationRecordValues previous = engine::CurrentCalibrationRecord(ScopeState);
  bool failed = false;
  bool complete = true;

  // Preparation.
  SetCalibratingLabelColor(kWhite);
  ShowProgress("0% Complete");
  ScopeState.Calibrating = 1;
  Report report([this](int line) { return ReportLine(line); });
  StopAcquisition();
  PlainScopeDisplay();
  TriggerOffButton();
  TriggerSourceButton(1);
  RisingEdgeButton();
  BothChannelsShown();
  ShowCalibratingPanel(controls_.CalibratingPanel, true);
  if (Form10) ShowCalibratingPanel(Form10->CalibratingPanel, true);
  window_.SetEnabled(false);

  ScopeState.Settings.TriggerOff = 64;
  SetButtonDown(&FrontPanelControls::SpeedButton_gnd1, true);
  SetButtonDown(&FrontPanelControls::SpeedButton_gnd2, true);
  engine::SetCalibrationPairs(ScopeState, engine::kFallbackCalibrationPairs);
  for (engine::ScopeChannelSettings& settings : ScopeState.Settings.Channels) settings.InputOn = 0;
  for (engine::ScopeChannelState& channel : ScopeState.Channels) {
    channel.V5Offset = 0;
    channel.RangeTrim = 0;
    channel.RateTrim = 0;
    channel.PositionDac = 0;
    channel.OffsetCal = kStartOffset;
  }
  SelectTimeBase(engine::kTimeBase1ms);
  SelectRange(1, kRange3V);
  SelectRange(2, kRange3V);

  // Step 1: the offsets at 3 V/div.
  complete = CentreOffset(1);
  if (complete) {
    ShowProgress("10% Complete");
    complete = CentreOffset(2);
  }
  if (complete) {
    for (const engine::ScopeChannelState& channel : ScopeState.Channels)
      failed = failed || !engine::OffsetInWindow(channel.OffsetCal);
    ShowProgress("20% Complete");
    report.Through(4);
  }

  // Step 2: the correction of the 1 V/div family.
  if (complete) {
    SelectRange(1, engine::kRange1V);
    SelectRange(2, engine::kRange1V);
    complete = CorrectOneVoltFamily();
  }
  if (complete) {
    ShowProgress("30% Complete");
    for (engine::ScopeChannelState& channel : ScopeState.Channels) {
      failed = failed || !engine::CorrectionInWindow(channel.RangeTrim);
      channel.V5Offset = channel.RangeTrim;
    }
    report.Through(6);
  }

  // Step 3: the position DACs alone drive the offset bytes.
  const std::array<std::int32_t, 2> offsets{ScopeState.Channels[0].OffsetCal, ScopeState.Channels[1].OffsetCal};
  if (complete) {
    SelectRange(1, kRange3V);
    SelectRange(2, kRange3V);
    SelectTimeBase(kTimeBase10us);
    for (engine::ScopeChannelState& channel : ScopeState.Channels) {
      channel.OffsetCal = 0;
      channel.RangeTrim = 0;
      channel.RateTrim = 0;
    }
    TriggerSourceButton(1);
    TriggerOffButton();
    RisingEdgeButton();

    int reading = 0;
    for (const SweepPoint& point : kSweepPoints) {
      if (point.StartsChannel) {
        if (point.Channel == 2) TriggerSourceButton(2);
        ScopeState.Channel(point.Channel).PositionDac = 0;
        host_.FrontPanel().Set_DACs();
        for (int k = 0; k < point.SettleReads && complete; ++k) complete = Read().ok;
      }
      device_.Resetoi_500();
      complete = complete && SweepPosition(point.Channel, point.UpTarget, point.DownTarget, point.ReadsPerStep, reading);
      if (!complete) break;
      engine::ScopeChannelState& channel = ScopeState.Channel(point.Channel);
      channel.*point.Reading = reading;
      channel.*point.Dac = channel.PositionDac;
      if (point.Progress) ShowProgress(point.Progress);
      report.Through(point.ReportLine);
    }
  }
  // A calibration cut short is no success, whatever it measured so far; the
  // report still lists every value as it stands.
  if (!complete) failed = true;

  // Finish.
  host_.FrontPanel().Set_DACs();
  TriggerOffButton();
  TriggerSourceButton(1);
  RisingEdgeButton();
  for (std::size_t i = 0; i < offsets.size(); ++i) ScopeState.Channels[i].OffsetCal = offsets[i];
  // The report tells what this run measured; a run cut short leaves the
  // previous record in force (the settings below are sent with it).
  report.Through(12);
  if (!complete) engine::SetCalibrationRecord(ScopeState, previous);

  if (Form10) ShowCalibratingPanel(Form10->CalibratingPanel, false);
  window_.SetEnabled(true);
  host_.FrontPanel().TriggerLevelChange();
  for (engine::ScopeChannelSettings& settings : ScopeState.Settings.Channels) {
    settings.Ac = 0;
    settings.InputOn = 1;
  }
  SetButtonDown(&FrontPanelControls::SpeedButton_dc1, true);
  SetButtonDown(&FrontPanelControls::SpeedButton_dc2, true);
  SetButtonDown(&FrontPanelControls::SpeedButton8, true);
  SelectRange(1, engine::kRange1V);
  SelectRange(2, engine::kRange1V);
  SelectTimeBase(engine::kTimeBase1ms);

  const std::string logPath = engine::CalibrationLogPath(ScopeState);
  // Once the program has ended nothing more is written.
  const bool saved = Application->Terminated() || report.Save(logPath);
  ScopeState.Calibrating = 0;
  SetCalibratingLabelColor(clNavy);
  // Nothing is left marked as running while the user reads about the file.
  // A user who asked to close gets no verdict: the next start calibrates.
  // A close from a signal has its verdict on standard error.
  if (!Leaving() || Unattended()) {
    if (!saved) Application->MessageBox(UnableToWriteMessage(logPath), Application->Title(), MB_OK | MB_ICONERROR);
    // Nor does a user who was just told "Darvik48 disconnected.": one fault,
    // one message.
    if (device_.IsOpen()) {
      if (failed) MessageDlgPos(kFailedText, mtWarning, mbOK, 0, window_.Left() + 200, window_.Top() + 200);
      else MessageDlgPos(kSucceededText, mtInformation, mbOK, 0, window_.Left() + 238, window_.Top() + 200);
    }
  }

  ShowCalibratingPanel(controls_.CalibratingPanel, false);
  ScopeState.ClearPending = 1;
  host_.putsataanko();
  host_.piirrot();
  ScopeState.CalibrationCompleted = complete;
}

}  // namespace engine::calibration
