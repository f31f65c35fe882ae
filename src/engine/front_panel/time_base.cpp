// The time base: the rows of the time-base table (time/div and span
// buttons), the apply operation that stretches the picture to a new time
// base, "S/L", the horizontal position bar and its preset button.
#include <algorithm>

#include "display/display_state.h"
#include "engine/add_text.h"
#include "engine/big_screen.h"
#include "engine/control_panel.h"
#include "engine/acquisition/acquisition_controller.h"
#include "engine/front_panel/front_panel_controller.h"
#include "engine/scope_state.h"
#include "platform/os/numeric.h"

namespace engine::front_panel {
namespace {

constexpr int kPositionCentre = 32;

}  // namespace

// ---------------------------------------------------------------- time/div steps

void FrontPanelController::TimeBaseStepClick(std::size_t row) { ApplyTimeBaseStep(engine::TimeBaseTable[row]); }

void FrontPanelController::ReapplyTimeBase() {
  const engine::ScopeSettings& s = ScopeState.Settings;
  const std::size_t row = ScopeState.SpectrumMode ? s.SpanRow : s.TimeBaseRow;
  if (row < engine::TimeBaseTable.size()) TimeBaseStepClick(row);
}

void FrontPanelController::ms500off() {
  for (FrontPanelControls* panel : {&panel_, static_cast<FrontPanelControls*>(Form11)}) {
    if (!panel) continue;
    for (TControl* c : {panel->Autoset1, panel->Autoset2})
      if (c) c->SetEnabled(true);
  }
  if (window_.GrSpeedButton15) window_.GrSpeedButton15->SetEnabled(!ScopeState.SpectrumMode);
  if (Form11 && Form11->Digi) Form11->Digi->SetEnabled(!ScopeState.SpectrumMode);
}

void FrontPanelController::ApplyTimeBaseStep(const engine::TimeBaseStep& step) {
  const auto row = static_cast<std::uint8_t>(&step - engine::TimeBaseTable.data());
  ms500off();
  if (step.RateText) NextSampleRateText = step.RateText;
  // A row without a button of the view leaves that view's row as it was.
  if (ScopeState.SpectrumMode) {
    if (step.SpanButton) ScopeState.Settings.SpanRow = row;
    ScopeState.TimePerDiv = step.SpectrumTimePerDiv;
    ScopeState.Settings.TimeBaseCode = step.SpectrumCode;
    ScopeState.SampleStep = step.SpectrumSampleStep;
  } else {
    if (step.Button) ScopeState.Settings.TimeBaseRow = row;
    ScopeState.TimePerDiv = step.TimePerDiv;
    ScopeState.Settings.TimeBaseCode = step.Code;
    ScopeState.SampleStep = step.SampleStep;
  }
  ShowTimeBase();
  ScopeState.Channels[0].RateTrim = 0;
  ScopeState.Channels[1].RateTrim = 0;
  asetus("", 0);
  AsetaAika(step.PixelStep, step.Label);
}

void FrontPanelController::ShowTimeBase() {
  const engine::ScopeSettings& s = ScopeState.Settings;
  const engine::PanelButton shown[2] = {engine::TimeBaseButton(s.TimeBaseRow), engine::SpanButton(s.SpanRow)};
  for (FrontPanelControls* panel : {&panel_, static_cast<FrontPanelControls*>(Form11)})
    if (panel)
      for (const engine::PanelButton button : shown)
        if (button && panel->*button) (panel->*button)->SetDown(true);
}

// ---------------------------------------------------------------- apply operation

void FrontPanelController::AsetaAika(int pixelStep, const std::string& label) {
  host_.putsataanko();
  host_.poisto();
  if (ScopeState.ScopeNoteShown && Form_9) Form_9->note();
  if (ScopeState.ParametersOnScreen && Form_9) Form_9->note_1();
  ScopeState.PlotMethod = 0;

  if (ScopeState.SpectrumMode) {
    host_.f_alue();
    host_.kursoritaajuus();
    if (ScopeState.ShownTimePerDiv == ScopeState.TimePerDiv) host_.piirrot();
  } else {
    host_.ShowTimeBaseLabels(label, NextSampleRateText);
    ScopeState.PixelStep = static_cast<std::uint16_t>(pixelStep);
  }

  // A stopped trace is stretched to the new time base; a capture taken at a
  // time base that gives no usable factor (or none yet) shows at 100.
  double magnification = static_cast<double>(ScopeState.TimePerDiv) / ScopeState.ShownTimePerDiv * ScopeState.SampleStep;
  if (!(magnification < 65535.0)) magnification = 100.0;
  ScopeState.Magnification = magnification;

  TScrollBar* scrollBar2 = window_.ScrollBar2;
  const int m = scrollBar2->Position() - 32;
  const double u = ScopeState.SampleStep / (ScopeState.PixelStep * (ScopeState.Settings.DigitalMode ? 20.0 : 5.0));
  std::int64_t start = numeric::Round(m * u * 32) + 1024;
  if (ScopeState.Settings.DigitalMode) start = 1024;
  ScopeState.DisplayStart = static_cast<std::int32_t>(std::clamp<std::int64_t>(start, 1, 4066));

  if (ScopeState.Magnification > 0.4 && ScopeState.Magnification < 80) host_.piirrot();

  const int barMin = numeric::Round32((u * 1024 - 1024) / (u * 32));
  const int barMax = numeric::Round32((u * 1024 + 3072) / (u * 32));
  for (TScrollBar* bar : {scrollBar2, Form10 ? Form10->ScrollBar2 : nullptr}) {
    if (!bar) continue;
    bar->SetMin(barMin);
    bar->SetMax(barMax);
  }
  host_.kursoriaika();

  ScopeState.SettingsChanged = 1;
  if (ScopeState.DemoMode && ScopeState.DataFileName.empty()) host_.Acquisition().tee_demo();

  // "S/L" chooses the interpolation of the two finest steps only; the bit
  // view keeps it as it is.
  const bool interpolated = ScopeState.Settings.TimeBaseRow >= engine::kTimeBase02us;
  for (TSpeedButton* sl : {panel_.SpeedButton005us, TwinControl(&FrontPanelControls::SpeedButton005us)}) {
    if (!sl) continue;
    if (!interpolated) sl->SetEnabled(false);
    else if (!ScopeState.Settings.DigitalMode) sl->SetEnabled(true);
  }
}

// ---------------------------------------------------------------- "S/L"

void FrontPanelController::InterpolationClick() {
  const bool linear = panel_.SpeedButton005us->Down();
  if (Form11) Form11->SpeedButton005us->SetDown(linear);
  host_.poisto();
  DisplayState.InterpolationChoice = linear ? 1 : 0;
  host_.piirrot();
  host_.SetStatusText(linear ? "Linear interpolation" : "Sine interpolation");
}

// ---------------------------------------------------------------- horizontal position

void FrontPanelController::HorizontalPositionChange() {
  // Persistence does not survive a move through the record.
  host_.ReleasePersist();
  ScopeState.CaptureCount = 0;
  host_.putsataanko();
  host_.fft_viiva_off();
  host_.poisto();

  TScrollBar* scrollBar2 = window_.ScrollBar2;
  const double x = ScopeState.SpectrumMode ? 1.0 : ScopeState.SampleStep / (ScopeState.PixelStep * (ScopeState.Settings.DigitalMode ? 20.0 : 5.0));
  const int position = scrollBar2->Position();
  std::int64_t start = numeric::Round((position - kPositionCentre) * x * 32) + 1024;
  if (start <= 0) start = 1;
  if (ScopeState.Settings.DigitalMode) {
    ScopeState.CaptureStart = static_cast<std::int32_t>(std::min<std::int64_t>(start, 4080));
    ScopeState.DisplayStart = 1024;
  } else {
    ScopeState.DisplayStart = static_cast<std::int32_t>(std::min<std::int64_t>(start, 4066));
  }

  host_.piirrot();
  if (ScopeState.SpectrumMode) host_.fft_viiva_on();
  // The Big Screen's bar has the same range (the spectrum view widens it).
  if (Form10 && Form10->ScrollBar2) Form10->ScrollBar2->SetParams(position, scrollBar2->Min(), scrollBar2->Max());
}

void FrontPanelController::PositionPresetClick() {
  const std::size_t row = ScopeState.Settings.TimeBaseRow;
  int preset = 24;
  if (ScopeState.SpectrumMode) preset = 0;
  else if (row == engine::kTimeBase1us) preset = 22;
  else if (row == engine::kTimeBase05us) preset = 19;
  else if (row == engine::kTimeBase02us) preset = 11;
  else if (row == engine::kTimeBase01us) preset = 0;
  if (Form10 && Form10->ScrollBar2) Form10->ScrollBar2->SetPosition(preset);
  // A real move runs the handler through the bar; an unchanged bar needs the call.
  TScrollBar* scrollBar2 = window_.ScrollBar2;
  if (scrollBar2->Position() == preset) HorizontalPositionChange();
  else scrollBar2->SetPosition(preset);
}

}  // namespace engine::front_panel
