// The automatic calibration of both channels: with the inputs grounded in the
// device, the offset that centres each channel at 3 V/div, the correction for
// the 1 V/div family, and three (screen reading, position DAC) pairs per
// channel from a sweep of the position DAC. Also the menu entries that start
// it, the report ("Calibration Results" memo and "Calibration.log"), and the
// extended wait before the first calibration.
#include "engine/calibration.h"


#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <string>
#include <utility>

#include "engine/big_screen.h"
#include "engine/btn_bottom_dlg3.h"
#include "engine/calibration_record.h"
#include "engine/control_panel.h"
#include "engine/form9.h"
#include "engine/main_form.h"
#include "engine/notice_dialogs.h"
#include "device/scope_device.h"
#include "engine/scope_state.h"
#include "platform/ini/ini_file.h"
#include "platform/os/folders.h"
#include "platform/os/numeric.h"
#include "platform/ui/message_loop.h"
#include "platform/ui/vcl.h"

namespace engine {

bool OffsetInWindow(std::int32_t offset) { return offset >= 91 && offset <= 165; }

bool CorrectionInWindow(std::int32_t correction) { return std::abs(correction) < 50; }

void SetCalibrationPairs(ScopeSharedState& scope, const CalibrationPairs& p) {
  scope.Ch1_pos0 = scope.Ch2_pos0 = p.pos0;
  scope.Ch1_pos1 = scope.Ch2_pos1 = p.pos1;
  scope.Ch1_pos2 = scope.Ch2_pos2 = p.pos2;
  scope.Ch1_ad0 = scope.Ch2_ad0 = p.ad0;
  scope.Ch1_ad1 = scope.Ch2_ad1 = p.ad1;
  scope.Ch1_ad2 = scope.Ch2_ad2 = p.ad2;
}

std::array<CalibrationPairKey, 12> CalibrationPairKeys(ScopeSharedState& scope) {
  const CalibrationPairs& d = kDefaultCalibrationPairs;
  return {{{"Ch1_pos0", &scope.Ch1_pos0, d.pos0}, {"Ch1_pos1", &scope.Ch1_pos1, d.pos1}, {"Ch1_pos2", &scope.Ch1_pos2, d.pos2},
           {"Ch2_pos0", &scope.Ch2_pos0, d.pos0}, {"Ch2_pos1", &scope.Ch2_pos1, d.pos1}, {"Ch2_pos2", &scope.Ch2_pos2, d.pos2},
           {"Ch1_ad0", &scope.Ch1_ad0, d.ad0},    {"Ch1_ad1", &scope.Ch1_ad1, d.ad1},    {"Ch1_ad2", &scope.Ch1_ad2, d.ad2},
           {"Ch2_ad0", &scope.Ch2_ad0, d.ad0},    {"Ch2_ad1", &scope.Ch2_ad1, d.ad1},    {"Ch2_ad2", &scope.Ch2_ad2, d.ad2}}};
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

constexpr TColor kWhite = 0xFFFFFF;
// Step 1: a capture's samples 100..199 should sum to 100 x (125..127).
constexpr int kSumFirst = 100;
constexpr int kSumCount = 100;
constexpr std::int32_t kSumHigh = 12700;
constexpr std::int32_t kSumLow = 12500;
constexpr int kMaxOffsetCaptures = 51;
constexpr int kStableCaptures = 2;
// Step 2: the 1 V/div correction aims at a reading of 128.
constexpr int kMaxCorrectionReads = 101;
constexpr int kMidReading = 128;
// Step 3: the three points of the position sweep.
constexpr int kLowReading = 32;
constexpr int kHighReadingUp = 223;
constexpr int kHighReadingDown = 224;
constexpr std::int32_t kStartOffset = 110;

// Rows of the step tables the calibration selects.
constexpr std::size_t kRange3V = 0;
constexpr std::size_t kRange03V = 2;

constexpr std::size_t TimeBaseRow(engine::PanelButton button) {
  for (std::size_t i = 0; i < engine::TimeBaseTable.size(); ++i)
    if (engine::TimeBaseTable[i].Button == button) return i;
  return engine::TimeBaseTable.size();
}
constexpr std::size_t kTimeBase10us = TimeBaseRow(&FrontPanelControls::SpeedButton10us);
static_assert(kTimeBase10us < engine::TimeBaseTable.size());

const char* const kFailedText = "CALIBRATION FAILED.\rPlease check 'Calibration.log' file for more details";
const char* const kSucceededText = "Calibration completed successfully.";

// The calibration cannot go on: the device is unplugged, the program is
// ending, or the user asked to close it.
bool Interrupted() { return !Form1->Device().IsOpen() || (Application && Application->Terminated()) || Form1->ScopeState.CloseRequested; }

// The user will not be waiting for a verdict: the program ends once the
// calibration has.
bool Leaving() { return Form1->ScopeState.CloseRequested || (Application && Application->Terminated()); }

// Presses a button of the main window as the program presses buttons: down,
// then its handler (a click would be refused while the window is disabled).
// False when the front panel has no such button with a handler.
bool Press(engine::PanelButton member) {
  TSpeedButton* button = member ? Form1->*member : nullptr;
  if (!button || !button->OnClick) return false;
  button->SetDown(true);
  button->OnClick(button);
  return true;
}

// Puts a button down or up on the main window and the twin panel, without
// its handler.
void SetButtonDown(engine::PanelButton member, bool down) {
  for (TSpeedButton* button : {Form1->*member, TwinControl(member)})
    if (button) button->SetDown(down);
}

// A volts/div row for one channel and a time/div row, through their buttons.
void SelectRange(int channel, std::size_t row) {
  const engine::RangeStep& step = engine::RangeTable[row];
  if (!Press(channel == 1 ? step.Ch1Button : step.Ch2Button)) Form1->ApplyRangeStep(channel, step);
}

void SelectTimeBase(std::size_t row) {
  const engine::TimeBaseStep& step = engine::TimeBaseTable[row];
  if (!Press(step.Button)) Form1->ApplyTimeBaseStep(step);
}

// Trigger "Off", source CH1 (or CH2) and rising edge through their buttons.
void TriggerOffButton() {
  if (!Press(&FrontPanelControls::SpeedButton8)) Form1->ScopeState.Settings.TriggerOff = 64;
}
void TriggerSourceButton(int channel) {
  if (!Press(channel == 1 ? &FrontPanelControls::SpeedButton3 : &FrontPanelControls::SpeedButton4)) Form1->ScopeState.Settings.TriggerSource = channel == 1 ? 16 : 0;
}
void RisingEdgeButton() {
  if (!Press(&FrontPanelControls::SpeedButton5)) Form1->ScopeState.Settings.TriggerSlope = 32;
}

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
  std::int32_t engine::ScopeSharedState::*Reading;  // the record's screen reading and DAC value of the point
  std::int32_t engine::ScopeSharedState::*Dac;
  const char* Progress;   // progress shown once the point is measured; nullptr none
  int ReportLine;         // the report is complete up to this line
};

const SweepPoint kSweepPoints[] = {
    {1, true, 2, kLowReading, kLowReading, 1, &engine::ScopeSharedState::Ch1_pos1, &engine::ScopeSharedState::Ch1_ad1,
     nullptr, 7},
    {1, false, 0, kMidReading, kMidReading, 2, &engine::ScopeSharedState::Ch1_pos0, &engine::ScopeSharedState::Ch1_ad0,
     nullptr, 8},
    {1, false, 0, kHighReadingUp, kHighReadingDown, 2, &engine::ScopeSharedState::Ch1_pos2,
     &engine::ScopeSharedState::Ch1_ad2, "50% Complete", 9},
    {2, true, 0, kLowReading, kLowReading, 1, &engine::ScopeSharedState::Ch2_pos1, &engine::ScopeSharedState::Ch2_ad1,
     "70% Complete", 10},
    {2, false, 0, kMidReading, kMidReading, 1, &engine::ScopeSharedState::Ch2_pos0, &engine::ScopeSharedState::Ch2_ad0,
     "90% Complete", 11},
    {2, false, 0, kHighReadingUp, kHighReadingDown, 1, &engine::ScopeSharedState::Ch2_pos2,
     &engine::ScopeSharedState::Ch2_ad2, "100% Complete", 12},
};

// ---- The calibrating panels of the main window and the Big Screen

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

// ---- Measuring

struct Readings {
  int ch1 = 0;
  int ch2 = 0;
  bool ok = false;
};

// One slow read: the screen reading of each channel (255 minus its mean
// code). Its pairs land in entries 0..31 of both channels' samples.
Readings Read() {
  const std::optional<device::LevelReading> r =
      Form1->Device().ReadBytes([] { return Form1->ScopeState.CloseRequested != 0; });
  if (!r) return {};
  for (std::size_t k = 0; k < device::LevelReading::kPairs; ++k) {
    Form1->ScopeState.Ch2Samples()[k] = r->Ch2[k];
    Form1->ScopeState.Ch1Samples()[k] = r->Ch1[k];
  }
  return {r->Ch1Level, r->Ch2Level, true};
}

// One blocking capture. False when none arrived: the calibration was
// interrupted (a close request stops the capture loop), or the device
// delivered nothing within kDeviceAnswerLimitMs.
bool CaptureInTime() {
  bool late = false;
  program_clock::Alarm limit([&late] {
    late = true;
    Form1->ScopeState.SingleStop = 1;  // ends the capture loop without a capture
  });
  limit.Start(std::chrono::milliseconds(device::kDeviceAnswerLimitMs), false);
  Form1->SingleClick();
  return !late && !Interrupted();
}

// Step 1 for one channel: move the offset until a capture centres the
// grounded trace. False when no capture came.
bool CentreOffset(int channel) {
  std::int32_t& offset = channel == 1 ? Form1->ScopeState.Ch1OffsetCal : Form1->ScopeState.Ch2OffsetCal;
  const std::int32_t* samples = channel == 1 ? Form1->ScopeState.Ch1Samples().data() : Form1->ScopeState.Ch2Samples().data();
  int unchanged = 0;
  for (int capture = 0; capture < kMaxOffsetCaptures && unchanged < kStableCaptures; ++capture) {
    const std::int32_t before = offset;
    if (!CaptureInTime()) return false;
    std::int32_t sum = 0;
    for (int i = kSumFirst; i < kSumFirst + kSumCount; ++i) sum += samples[i];
    if (sum > kSumHigh) ++offset;
    else if (sum < kSumLow) --offset;
    unchanged = offset == before ? unchanged + 1 : 0;
  }
  return true;
}

// Step 2: both range trims at once until both readings are 128.
bool CorrectOneVoltFamily() {
  Form1->ScopeState.Ch1RangeTrim = 0;
  Form1->ScopeState.Ch2RangeTrim = 0;
  for (int i = 0; i < kMaxCorrectionReads; ++i) {
    const std::int32_t before1 = Form1->ScopeState.Ch1RangeTrim;
    const std::int32_t before2 = Form1->ScopeState.Ch2RangeTrim;
    Form1->Set_DACs();
    const Readings r = Read();
    if (!r.ok) return false;
    if (r.ch1 > kMidReading) --Form1->ScopeState.Ch1RangeTrim;
    else if (r.ch1 < kMidReading) ++Form1->ScopeState.Ch1RangeTrim;
    if (r.ch2 > kMidReading) --Form1->ScopeState.Ch2RangeTrim;
    else if (r.ch2 < kMidReading) ++Form1->ScopeState.Ch2RangeTrim;
    if (Form1->ScopeState.Ch1RangeTrim == before1 && Form1->ScopeState.Ch2RangeTrim == before2) break;
  }
  return true;
}

// Step 3: one point of a channel's position sweep. Up one DAC step at a time
// until the reading reaches upTarget, then down while it is above
// downTarget; both directions give up at DAC value 255. With two reads per
// step the first one is discarded. False when the device went away.
bool SweepPosition(int channel, int upTarget, int downTarget, int readsPerStep, int& reading) {
  std::int32_t& position = channel == 1 ? Form1->ScopeState.Ch1PositionDac : Form1->ScopeState.Ch2PositionDac;
  auto step = [&](int delta) {
    position = (position + delta + 256) % 256;
    Form1->Set_DACs();
    for (int k = 0; k < readsPerStep; ++k) {
      const Readings r = Read();
      if (!r.ok) return false;
      reading = channel == 1 ? r.ch1 : r.ch2;
    }
    return true;
  };
  do {
    if (!step(+1)) return false;
  } while (position != 255 && reading < upTarget);
  while (reading > downTarget) {
    if (!step(-1)) return false;
    if (position == 255) break;
  }
  return true;
}

// ---- The report

std::string Verdict(bool ok) { return ok ? "OK" : "FAIL"; }

std::string OffsetLine(const char* head, std::int32_t value, bool ok) {
  return std::string(head) + std::to_string(value) + "\t" + Verdict(ok);
}

// Report lines 3..12 from the record as it stands.
std::string ReportLine(int line) {
  switch (line) {
    case 3: return OffsetLine("CH1 offset at 3V/div      :\t", Form1->ScopeState.Ch1OffsetCal, engine::OffsetInWindow(Form1->ScopeState.Ch1OffsetCal));
    case 4: return OffsetLine("CH2 offset at 3V/div      :\t", Form1->ScopeState.Ch2OffsetCal, engine::OffsetInWindow(Form1->ScopeState.Ch2OffsetCal));
    case 5: return OffsetLine("CH1 offset at 1V/div   :\t", Form1->ScopeState.Ch1V5Offset, engine::CorrectionInWindow(Form1->ScopeState.Ch1V5Offset));
    case 6: return OffsetLine("CH2 offset at 1V/div   :\t", Form1->ScopeState.Ch2V5Offset, engine::CorrectionInWindow(Form1->ScopeState.Ch2V5Offset));
    case 7: return "CH1 Y-position low\t" + std::to_string(Form1->ScopeState.Ch1_pos1);
    case 8: return "CH1 Y-position mid\t" + std::to_string(Form1->ScopeState.Ch1_pos0);
    case 9: return "CH1 Y-position high\t" + std::to_string(Form1->ScopeState.Ch1_pos2);
    case 10: return "CH2 Y-position low\t" + std::to_string(Form1->ScopeState.Ch2_pos1);
    case 11: return "CH2 Y-position mid\t" + std::to_string(Form1->ScopeState.Ch2_pos0);
    case 12: return "CH2 Y-position high\t" + std::to_string(Form1->ScopeState.Ch2_pos2);
    default: return {};
  }
}

// The memo of the "Calibration Results" window, written line by line as the
// steps finish.
class Report {
 public:
  Report() {
    if (!Form9) return;
    Form9->Memo1->Clear();
    Form9->Memo1->Lines().Add("Calibration results:");
    Form9->Memo1->Lines().Add("");
  }
  // Adds the lines up to `last` that are not there yet.
  void Through(int last) {
    for (; next_ <= last; ++next_)
      if (Form9) Form9->Memo1->Lines().Add(ReportLine(next_));
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
  int next_ = 3;
};

// Run and Single up on both windows, both stop flags set, their timers stopped.
void StopAcquisition() { Form1->ReleaseRunAndSingle(); }

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

// Every math mode off (with its menu check) and the math button hidden; back
// to the oscilloscope when the spectrum analyser is shown.
void PlainScopeDisplay() {
  using MathItem = std::pair<TMenuItem*, TMenuItem*>;  // the main window's and the twin panel's
  const MathItem items[] = {{Form1->CH1CH21, Form11 ? Form11->CH1CH21 : nullptr},
                            {Form1->CH1CH22, Form11 ? Form11->CH1CH22 : nullptr},
                            {Form1->InvertCH21, Form11 ? Form11->InvertCH21 : nullptr},
                            {Form1->XYplot1, Form11 ? Form11->XYplot1 : nullptr}};
  for (auto [item, twin] : items) {
    // A checked mode goes off through its own handler, which tidies up after it.
    if (item && item->Checked() && item->OnClick) item->OnClick(item);
    for (TMenuItem* i : {item, twin})
      if (i) i->SetChecked(false);
  }
  Form1->ScopeState.MathOff = 1;
  Form1->ScopeState.InvertCh2Mode = 0;
  for (TSpeedButton* math : {Form1->SpeedButton21, TwinControl(&FrontPanelControls::SpeedButton21)})
    if (math) math->SetVisible(false);
  if (Form1->ScopeState.SpectrumMode) Press(&FrontPanelControls::SpeedButton22);
}

// Both channels shown, through their "On" buttons.
void BothChannelsShown() {
  if (!Press(&FrontPanelControls::CH1on)) Form1->ScopeState.Settings.Ch1On = 1;
  if (!Press(&FrontPanelControls::CH2on)) Form1->ScopeState.Settings.Ch2On = 1;
}

}  // namespace

// ---------------------------------------------------------------- the calibration

void TForm1::calibrate() {
  ScopeState.CalibrationCompleted = false;
  if (ScopeState.DemoMode || !device_.IsOpen() || !Form1) return;
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
  Report report;
  StopAcquisition();
  PlainScopeDisplay();
  TriggerOffButton();
  TriggerSourceButton(1);
  RisingEdgeButton();
  BothChannelsShown();
  ShowCalibratingPanel(Form1->CalibratingPanel, true);
  if (Form10) ShowCalibratingPanel(Form10->CalibratingPanel, true);
  Form1->SetEnabled(false);

  ScopeState.Settings.TriggerOff = 64;
  SetButtonDown(&FrontPanelControls::SpeedButton_gnd1, true);
  SetButtonDown(&FrontPanelControls::SpeedButton_gnd2, true);
  engine::SetCalibrationPairs(ScopeState, engine::kFallbackCalibrationPairs);
  ScopeState.Settings.Ch1InputOn = ScopeState.Settings.Ch2InputOn = 0;
  ScopeState.Ch1V5Offset = ScopeState.Ch2V5Offset = 0;
  ScopeState.Ch1RangeTrim = ScopeState.Ch2RangeTrim = 0;
  ScopeState.Ch1RateTrim = ScopeState.Ch2RateTrim = 0;
  ScopeState.Ch1PositionDac = ScopeState.Ch2PositionDac = 0;
  ScopeState.Ch1OffsetCal = ScopeState.Ch2OffsetCal = kStartOffset;
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
    failed =
        failed || !engine::OffsetInWindow(ScopeState.Ch1OffsetCal) || !engine::OffsetInWindow(ScopeState.Ch2OffsetCal);
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
    failed = failed || !engine::CorrectionInWindow(ScopeState.Ch1RangeTrim) ||
             !engine::CorrectionInWindow(ScopeState.Ch2RangeTrim);
    ScopeState.Ch1V5Offset = ScopeState.Ch1RangeTrim;
    ScopeState.Ch2V5Offset = ScopeState.Ch2RangeTrim;
    report.Through(6);
  }

  // Step 3: the position DACs alone drive the offset bytes.
  const std::int32_t offset1 = ScopeState.Ch1OffsetCal;
  const std::int32_t offset2 = ScopeState.Ch2OffsetCal;
  if (complete) {
    SelectRange(1, kRange3V);
    SelectRange(2, kRange3V);
    SelectTimeBase(kTimeBase10us);
    ScopeState.Ch1OffsetCal = ScopeState.Ch2OffsetCal = 0;
    ScopeState.Ch1RangeTrim = ScopeState.Ch2RangeTrim = 0;
    ScopeState.Ch1RateTrim = ScopeState.Ch2RateTrim = 0;
    TriggerSourceButton(1);
    TriggerOffButton();
    RisingEdgeButton();

    int reading = 0;
    for (const SweepPoint& point : kSweepPoints) {
      if (point.StartsChannel) {
        if (point.Channel == 2) TriggerSourceButton(2);
        (point.Channel == 1 ? ScopeState.Ch1PositionDac : ScopeState.Ch2PositionDac) = 0;
        Form1->Set_DACs();
        for (int k = 0; k < point.SettleReads && complete; ++k) complete = Read().ok;
      }
      device_.Resetoi_500();
      complete = complete && SweepPosition(point.Channel, point.UpTarget, point.DownTarget, point.ReadsPerStep, reading);
      if (!complete) break;
      ScopeState.*point.Reading = reading;
      ScopeState.*point.Dac = point.Channel == 1 ? ScopeState.Ch1PositionDac : ScopeState.Ch2PositionDac;
      if (point.Progress) ShowProgress(point.Progress);
      report.Through(point.ReportLine);
    }
  }
  // A calibration cut short is no success, whatever it measured so far; the
  // report still lists every value as it stands.
  if (!complete) failed = true;

  // Finish.
  Form1->Set_DACs();
  TriggerOffButton();
  TriggerSourceButton(1);
  RisingEdgeButton();
  ScopeState.Ch1OffsetCal = offset1;
  ScopeState.Ch2OffsetCal = offset2;
  // The report tells what this run measured; a run cut short leaves the
  // previous record in force (the settings below are sent with it).
  report.Through(12);
  if (!complete) engine::SetCalibrationRecord(ScopeState, previous);

  if (Form10) ShowCalibratingPanel(Form10->CalibratingPanel, false);
  Form1->SetEnabled(true);
  Form1->TrackBar3Change(Form1);
  ScopeState.Settings.Ch1Ac = ScopeState.Settings.Ch2Ac = 0;
  ScopeState.Settings.Ch1InputOn = ScopeState.Settings.Ch2InputOn = 1;
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
      if (failed) MessageDlgPos(kFailedText, mtWarning, mbOK, 0, Form1->Left() + 200, Form1->Top() + 200);
      else MessageDlgPos(kSucceededText, mtInformation, mbOK, 0, Form1->Left() + 238, Form1->Top() + 200);
    }
  }

  ShowCalibratingPanel(Form1->CalibratingPanel, false);
  ScopeState.ClearPending = 1;
  Form1->putsataanko();
  Form1->piirrot();
  ScopeState.CalibrationCompleted = complete;
}

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
  if (!Form1->ScopeState.ExtendCalTime || !Form1 || Form1->SpeedButtonRun->Down()) return;
  Form1->SpeedButtonRun->SetDown(true);
  Form1->SpeedButtonRunClick(Form1);
}

void TBtnBottomDlg3::FormClose(TObject* /*Sender*/, TCloseAction& /*Action*/) {
  Timer1->SetEnabled(false);
  if (!Form1->ScopeState.ExtendCalTime || !Form1) return;
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

// ---------------------------------------------------------------- ground-level fit

namespace engine {

GroundLevelLine GroundLevelFit(std::int32_t ad0, std::int32_t ad1, std::int32_t ad2, std::int32_t pos0,
                               std::int32_t pos1, std::int32_t pos2) {
  GroundLevelLine line;
  if (ad0 == ad1 || ad0 == ad2 || ad1 == ad2) return line;
  // In floating point throughout: the record comes from a file and its
  // differences need not fit 32 bits.
  const double x0 = ad0, x1 = ad1, x2 = ad2, y0 = pos0, y1 = pos1, y2 = pos2;
  line.Valid = true;
  line.Slope = ((y2 - y1) / (x2 - x1) + (y2 - y0) / (x2 - x0) + (y0 - y1) / (x0 - x1)) / 3;
  line.Intercept = ((y1 - line.Slope * x1) + (y0 - line.Slope * x0) + (y2 - line.Slope * x2)) / 3;
  return line;
}

std::int32_t GroundLevelAt(const GroundLevelLine& line, std::int32_t dac) {
  constexpr std::int64_t kLimit = 1000000;
  const std::int64_t level = numeric::Round(line.Slope * dac + line.Intercept);
  return static_cast<std::int32_t>(std::clamp(level, -kLimit, kLimit));
}

GroundLevelLine ChannelGroundLevelFit(const ScopeSharedState& scope, int channel) {
  if (channel == 1) return GroundLevelFit(scope.Ch1_ad0, scope.Ch1_ad1, scope.Ch1_ad2, scope.Ch1_pos0, scope.Ch1_pos1, scope.Ch1_pos2);
  return GroundLevelFit(scope.Ch2_ad0, scope.Ch2_ad1, scope.Ch2_ad2, scope.Ch2_pos0, scope.Ch2_pos1, scope.Ch2_pos2);
}

}  // namespace engine
