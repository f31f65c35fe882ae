// The Bode sweep: "Start" steps the generator through the frequency plan and
// takes single captures at each step until the reading is settled, then draws
// the point and appends its line to the table. It drives the generator and the
// oscilloscope only through their own buttons and operations.
#include <chrono>
#include <cmath>

#include "device/scope_device.h"
#include "bode/bode_plot.h"
#include "bode/bode_state.h"
#include "bode/frequency_step_dialog.h"
#include "bode/sweep_generator.h"
#include "display/display_state.h"
#include "engine/acquisition/acquisition_controller.h"
#include "engine/front_panel.h"
#include "engine/front_panel/front_panel_controller.h"
#include "engine/markers/markers_controller.h"
#include "engine/scope_window.h"
#include "engine/spectrum/spectrum_controller.h"
#include "engine/scope_state.h"
#include "engine/step_tables.h"

namespace {


// The time/div caption of the scope's time view at time base `row`.
std::string TimeDivCaption(std::size_t row) {
  return engine::TimeBaseButton(row) ? engine::TimeBaseTable[row].Label : std::string();
}

void PressTimeDiv(engine::ScopeWindow& scope, const char* label) {
  for (std::size_t i = 0; i < engine::TimeBaseTable.size(); ++i) {
    const engine::TimeBaseStep& row = engine::TimeBaseTable[i];
    if (row.Button && std::string(row.Label) == label) {
      scope.FrontPanel().TimeBaseStepClick(i);
      return;
    }
  }
}



class BodeSweep {
 public:
  explicit BodeSweep(TBode_plot& plot)
      : plot_(plot),
        BodeState(plot.BodeState),
        ScopeState(plot.ScopeState),
        DisplayState(plot.DisplayState),
        TheSweepGenerator(plot.BodeState.Generator) {}
  void Run();

 private:
  bool Start();
  // One point; false when the sweep was stopped.
  bool Point();
  bool Measure();
  bool MeasureAc();
  bool MeasureDc();
  // One capture; false when the sweep was stopped meanwhile.
  bool Shot();
  // The RMS of CH1 (or of the normalised ratio) into RmsVolts; returns it.
  double ReadRms();
  void WaitWhilePaused(const std::string& text);
  void Draw(int row, int phaseRow);
  void End();

  TBode_plot& plot_;
  // The scope window the sweep measures with; none, no sweep.
  engine::ScopeWindow* scope_ = engine::TheScopeWindow();
  bode::BodeSharedState& BodeState;
  engine::ScopeSharedState& ScopeState;
  display::DisplaySharedState& DisplayState;
  // The controls a sweep holds are the generator's.
  const bode::SweepGenerator& TheSweepGenerator;
  double m_ = 1;
  int band_ = 0;
  double previous_ = 0;
  double reading_ = 0;
  double reference_ = 0;  // full scale the rows are measured against
  std::uint8_t startCode_ = 27;
  bool millivolts_ = false;
  bool applied_ = false;  // a band was entered at this point: the generator is applied
  bool deviceAtStart_ = false;
  TBode_plot::TracePen pen_;
  int x_ = 0;
};

bool BodeSweep::Start() {
  TheSweepGenerator.EnableControls(false);
  if (!BodeState.BodeAllowAveraging) scope_->Spectrum().Off1Click(&plot_);
  if (scope_->Panel().SpeedButtonRun && scope_->Panel().SpeedButtonRun->Down()) {
    scope_->Panel().SpeedButtonRun->SetDown(false);
    scope_->Acquisition().SpeedButtonRunClick(scope_->Panel().SpeedButtonRun);
  }
  previous_ = 0;
  if (BodeState.BodeSweepRunning) {
    TheSweepGenerator.EnableControls(true);
    return false;
  }
  BodeState.BodeSweepRunning = 1;
  deviceAtStart_ = plot_.Device().IsOpen();
  BodeState.BodeAutoScaleActive = BodeState.BodeAutoScale;
  if (BodeState.BodeMultiTrace) {
    plot_.draw();
  } else {
    plot_.Memo1->Clear();
    plot_.curve_0();
    plot_.tekstit();
  }
  plot_.CoverBorder();
  plot_.SetSweepControlsEnabled(false);
  plot_.Label1->SetCaption("");
  plot_.Label1->SetVisible(true);
  plot_.Label5->SetCaption("");
  plot_.SpeedButton2->SetDown(false);
  plot_.SpeedButton3->SetDown(false);
  plot_.SpeedButton4->SetVisible(false);
  plot_.SpeedButton5->SetVisible(false);
  BodeState.BodePauseFlag = 0;
  plot_.Timer2->SetEnabled(false);
  BodeState.BodeWaitOver = 1;
  BodeState.BodeStopFlag = 0;

  if (ScopeState.SpectrumMode) scope_->Spectrum().SpeedButton22Click(&plot_);
  if (!BodeState.BodeAllowAveraging) scope_->FrontPanel().TriggerOffClick();
  scope_->FrontPanel().ChannelDso(1);
  TheSweepGenerator.SetFrequencyReadout(false);
  TheSweepGenerator.PressSine();

  TCanvas* c = plot_.Image1->Canvas();
  c->Pen = TPen{};
  c->Pen.Color = BodeState.BodeMultiTrace ? BodeState.BodeTraceColors[static_cast<std::size_t>(plot_.NextTraceColor)] : BodeState.BodeTraceColor;
  startCode_ = ScopeState.Settings.Channels[0].GainCode;
  reference_ = bode::RangeFullScale(ScopeState.Settings.Channels[0].GainCode).FullScale * ScopeState.Channels[0].ProbeFactor;
  millivolts_ = bode::RangeFullScale(ScopeState.Settings.Channels[0].GainCode).Millivolts;
  const std::string unit = bode::TraceUnit(ScopeState.Settings.Channels[0].GainCode);
  plot_.Label3->SetCaption(unit);
  plot_.Memo1->Lines().Add(bode::HeaderLine(unit));
  if (OKRightDlg_2) OKRightDlg_2->ApplyItem(OKRightDlg_2->ComboBox1->ItemIndex());
  band_ = 0;
  m_ = BodeState.BodeStartFromDc && !BodeState.BodeLogScale ? 0 : 1;
  return true;
}

void BodeSweep::Run() {
  if (!scope_ || !TheSweepGenerator.Present || !TheSweepGenerator.Present()) return;
  if (!Start()) return;
  while (Point()) {
  }
  End();
}

bool BodeSweep::Point() {
  const double hz = bode::PointHz(BodeState.BodeRangeTop, BodeState.BodeSpanRatio, m_);
  const std::string text = bode::FrequencyText(hz);
  TheSweepGenerator.SetFrequency(hz >= 5000 ? hz / 1000 : hz);
  applied_ = false;
  if (m_ != 0) {
    TheSweepGenerator.SelectSine();
  } else {
    TheSweepGenerator.SetFrequency(1.0);
    TheSweepGenerator.SetFrequencySlider(10);
    TheSweepGenerator.PressRange(5);
    TheSweepGenerator.ShowReadouts();
    PressTimeDiv(*scope_, "100ms");
  }
  const std::int32_t s = BodeState.BodeRangeTop / BodeState.BodeSpanRatio;
  if (const bode::Band* band = bode::BandToEnter(s * m_, band_)) {
    TheSweepGenerator.EnterBand(band->FilterChoice);
    TheSweepGenerator.SetFrequencySlider(10);
    TheSweepGenerator.PressRange(band->GeneratorRange);
    if (band->Ch2TriggerShown && scope_->Panel().SpeedButton4) scope_->Panel().SpeedButton4->SetDown(true);
    PressTimeDiv(*scope_, band->TimeDiv);
    band_ = band->Index;
    applied_ = true;
  }
  for (const char* label : bode::RefinedTimeDivs(hz, TimeDivCaption(ScopeState.Settings.TimeBaseRow)))
    PressTimeDiv(*scope_, label);
  plot_.Label1->SetCaption("Running " + text + "Hz");

  if (!Measure()) return false;

  const int h = plot_.PlotHeight(), margin = plot_.Margin();
  const double rms = DisplayState.RmsVolts;
  double value = rms;
  if (BodeState.BodeAutoScale) {
    value = bode::InSweepUnit(rms, millivolts_, ScopeState.Settings.Channels[0].GainCode);
  } else {
    reference_ = bode::RangeFullScale(ScopeState.Settings.Channels[0].GainCode).FullScale * ScopeState.Channels[0].ProbeFactor;
  }
  std::string dbvText = "-80";
  int row = h;
  if (rms > 0 && std::isfinite(rms)) {
    const double dbv =
        bode::LevelDbv(rms, ScopeState.Settings.Channels[0].GainCode, ScopeState.Channels[0].ProbeFactor, ScopeState.Channels[0].ProbeDb);
    if (std::isfinite(dbv)) {
      dbvText = bode::DbvText(dbv);
      row = bode::LevelRow(BodeState.BodeVertScale, h, value / reference_);
    }
  }
  if (!std::isfinite(value)) value = 0;
  std::string line = (m_ == 0 ? std::string("  0") : text) + "\t" + bode::ValueText(value) + "\t" + dbvText;
  int phaseRow = 0;
  if (BodeState.PhasePlotOn) {
    double phase = m_ == 0 ? 0 : scope_->Markers().calculate_phase();
    if (!std::isfinite(phase)) phase = 0;
    line += "\t" + bode::PhaseText(phase);
    phaseRow = bode::PhaseRow(phase, h, margin);
  }
  plot_.Memo1->Lines().Add(line);
  Draw(row, phaseRow);

  plot_.Label5->SetCaption("");
  const std::string warning = bode::PointWarning(row, h, DisplayState.TraceMeanCode, BodeState.BodePauseFlag != 0);
  plot_.Label5->SetCaption(warning);
  if (BodeState.BodePauseFlag) WaitWhilePaused(warning);

  m_ = bode::NextMultiplier(m_, BodeState.BodeLogSteps ? bode::StepMode::Log : BodeState.BodeOctaveSteps ? bode::StepMode::Octave : bode::StepMode::Linear,
                            BodeState.BodeStepFraction, BodeState.BodeOctaveRatio);
  return !BodeState.BodeStopFlag && !bode::SweepEnds(x_, plot_.PlotWidth(), margin, BodeState.BodeRangeTop, BodeState.BodeSpanRatio, m_);
}

bool BodeSweep::Measure() {
  for (;;) {
    if (!(m_ != 0 ? MeasureAc() : MeasureDc())) return false;
    if (BodeState.BodePauseFlag) WaitWhilePaused("        Click \"Pause\" to continue.");
    if (BodeState.BodeStopFlag) return false;
    if (!BodeState.BodeAutoScale) return true;
    const std::optional<std::uint8_t> code = bode::AutoScaleCode(reading_, ScopeState.Settings.Channels[0].GainCode, ScopeState.Channels[0].ProbeFactor);
    if (!code) return true;
    scope_->FrontPanel().RangeCodeClick(1, *code);
    plot_.Label1->SetCaption("Changing Voltage Scale...");
  }
}

bool BodeSweep::MeasureAc() {
  TheSweepGenerator.SetFrequencyReadout(true);
  if (!applied_) TheSweepGenerator.Apply();
  int shots = 0;
  if (BodeState.BodeWaitSeconds > 0) {
    plot_.Timer2->SetInterval(static_cast<unsigned>(BodeState.BodeWaitSeconds) * 1000);
    BodeState.BodeWaitOver = 0;
    plot_.Timer2->SetEnabled(true);
  }
  for (;;) {
    if (!Shot()) return false;
    previous_ = reading_;
    reading_ = ReadRms();
    ++shots;
    const bode::ShotState state{m_, bode::Settled(previous_, reading_), shots, BodeState.BodeStepFraction, BodeState.BodeWaitOver != 0,
                                DisplayState.TraceMeanCode};
    if (bode::AfterShot(state) == bode::ShotVerdict::Accept) return true;
  }
}

bool BodeSweep::MeasureDc() {
  double levels[2][2] = {{0, 0}, {0, 0}};  // [A or B][CH1 or CH2]
  for (int k = 0; k < 2; ++k) {
    TheSweepGenerator.OutputDc(k);
    TheSweepGenerator.ShowText(k == 0 ? "+DC               " : "-DC               ");
    for (int shot = 0; shot < 3; ++shot)
      if (!Shot()) return false;
    if (BodeState.NoScope) continue;
    const std::uint8_t savedRms = ScopeState.RmsOn;
    ScopeState.RmsOn = 1;
    scope_->Markers().rms_out();
    levels[k][0] = DisplayState.TraceMeanVolts;
    if (BodeState.BodeNormalize) {
      ScopeState.Settings.Channels[0].On = 0;
      scope_->Markers().rms_out();
      levels[k][1] = DisplayState.TraceMeanVolts;
      ScopeState.Settings.Channels[0].On = 1;
    }
    ScopeState.RmsOn = savedRms;
  }
  previous_ = reading_;
  if (BodeState.NoScope) {
    reading_ = 2.0;
    DisplayState.TraceMeanCode = 128;
  } else if (BodeState.BodeNormalize) {
    reading_ = bode::NormalisedReading(TheSweepGenerator.Amplitude(), bode::DcReading(levels[0][0], levels[1][0]), ScopeState.Settings.Channels[0].GainCode,
                                       bode::DcReading(levels[0][1], levels[1][1]), ScopeState.Settings.Channels[1].GainCode);
  } else {
    reading_ = bode::DcReading(levels[0][0], levels[1][0]);
  }
  DisplayState.RmsVolts = reading_;
  return true;
}

bool BodeSweep::Shot() {
  if (!BodeState.NoScope) {
    scope_->Acquisition().SingleClick();
    Application->ProcessMessagesUntil([this] { return ScopeState.AcquisitionIdle || BodeState.BodeStopFlag; });
  } else {
    // Without captures the shots still let the wait timer and the buttons run.
    program_clock::Sleep(std::chrono::milliseconds(2));
  }
  Application->ProcessMessages();
  // A device lost on the way ends the sweep: a point without its capture is
  // no point.
  return !BodeState.BodeStopFlag && !(deviceAtStart_ && !plot_.Device().IsOpen());
}

double BodeSweep::ReadRms() {
  if (BodeState.NoScope) {
    DisplayState.TraceMeanCode = 128;
    DisplayState.RmsVolts = 2.0;
    return 2.0;
  }
  const std::uint8_t savedRms = ScopeState.RmsOn;
  ScopeState.RmsOn = 1;
  scope_->Markers().rms_out();
  double reading = DisplayState.RmsVolts;
  if (BodeState.BodeNormalize) {
    const std::int32_t meanCode = DisplayState.TraceMeanCode;
    ScopeState.Settings.Channels[0].On = 0;
    scope_->Markers().rms_out();
    const double input = DisplayState.RmsVolts;
    ScopeState.Settings.Channels[0].On = 1;
    DisplayState.TraceMeanCode = meanCode;
    reading = bode::NormalisedReading(TheSweepGenerator.Amplitude(), reading, ScopeState.Settings.Channels[0].GainCode, input, ScopeState.Settings.Channels[1].GainCode);
    DisplayState.RmsVolts = reading;
  }
  ScopeState.RmsOn = savedRms;
  return reading;
}

void BodeSweep::WaitWhilePaused(const std::string& text) {
  plot_.Label5->SetCaption(text);
  Application->ProcessMessagesUntil([this] { return !BodeState.BodePauseFlag || BodeState.BodeStopFlag; });
}

void BodeSweep::Draw(int row, int phaseRow) {
  const int margin = plot_.Margin();
  x_ = bode::PointX(BodeState.BodeLogScale != 0, plot_.PlotWidth(), margin, m_, BodeState.BodeSpanRatio);
  plot_.PlotPoint(pen_, TPoint{x_, margin + row}, TPoint{x_, phaseRow});
}

void BodeSweep::End() {
  TheSweepGenerator.ResetFilter();
  plot_.Label1->SetCaption("");
  plot_.SpeedButton2->SetDown(true);
  plot_.SpeedButton2Click(plot_.SpeedButton2);
  BodeState.BodeSweepRunning = 0;
  // However the sweep ended, no capture runs now: the scope's status says so.
  scope_->Acquisition().SetStatusText("Stopped");
  plot_.Timer2->SetEnabled(false);
  plot_.UncoverBorder();
  plot_.SetSweepControlsEnabled(true);
  plot_.SpeedButton4->SetVisible(BodeState.BodeMultiTrace);
  plot_.SpeedButton5->SetVisible(BodeState.BodeMultiTrace);
  if (BodeState.BodeAutoScale) scope_->FrontPanel().RangeCodeClick(1, startCode_);
  plot_.draw();
  BodeState.BodeAutoScaleActive = 0;
  TheSweepGenerator.EnableControls(true);
}

}  // namespace

void TBode_plot::SpeedButton1Click(TObject*) {
  BodeSweep sweep(*this);
  sweep.Run();
}

void TBode_plot::SpeedButton2Click(TObject*) {
  SpeedButton3->SetDown(false);
  Label5->SetCaption("");
  BodeState.BodePauseFlag = 0;
  BodeState.BodeStopFlag = 1;
  // A capture the sweep waits for ends at once.
  if (BodeState.BodeSweepRunning && !ScopeState.AcquisitionIdle) ScopeState.SingleStop = 1;
}

void TBode_plot::SpeedButton3Click(TObject*) {
  BodeState.BodePauseFlag = SpeedButton3->Down() ? 1 : 0;
  if (!BodeState.BodePauseFlag) Label5->SetCaption("");
}

void TBode_plot::Timer2Timer(TObject*) {
  Timer2->SetEnabled(false);
  BodeState.BodeWaitOver = 1;
}

void TBode_plot::FormCloseQuery(TObject*, bool& CanClose) {
  SpeedButton2->SetDown(true);
  SpeedButton2Click(SpeedButton2);
  CanClose = true;
}
