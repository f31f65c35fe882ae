// The spectrum view on the main window: entering the spectrum analyser and
// going back to the oscilloscope, the linear or logarithmic frequency axis,
// and the zoom buttons. Each handler keeps the twin panel's control of the
// same name in step.
#include <cstring>
#include <filesystem>

#include "engine/big_screen.h"
#include "display/display_state.h"
#include "display/history_state.h"
#include "display/spectrum.h"
#include "engine/control_panel.h"
#include "engine/scope_state.h"
#include "engine/spectrum/channel_blocks.h"
#include "engine/spectrum/spectrum_controller.h"
#include "engine/step_tables.h"
#include "platform/os/folders.h"
#include "platform/ui/vcl.h"

namespace {

constexpr int kLogScrollMax = 70;
constexpr int kLinScrollMax = 127;


// The twin panel's control of a member of the analysis controls.
template <class T>
T* Twin(T* AnalysisControls::*member) {
  return Form11 ? static_cast<AnalysisControls*>(Form11)->*member : nullptr;
}

// Releases a button that is down and runs its handler, as the user's click would.
void ReleaseButton(TSpeedButton* button) {
  if (!button || !button->Down()) return;
  button->SetDown(false);
  if (button->OnClick) button->OnClick(button);
}

void EnableItem(TMenuItem* item, bool enabled) {
  if (item) item->SetEnabled(enabled);
}

}  // namespace

namespace engine::spectrum {

// ---------------------------------------------------------------- the log axis

void SpectrumController::LinToLog() {
  display::ChannelEntries shown = ChannelSamples(ScopeState, ShownChannel());
  display::ChannelEntries levels = ChannelSpectrumLevels(ScopeState, ShownChannel());
  display::KeepBinValues(shown, DisplayState.SavedLinearDisplay);
  display::KeepBinValues(levels, DisplayState.SavedLinearLevels);
  display::WriteLogView(DisplayState.SavedLinearDisplay, shown);
  display::WriteLogView(DisplayState.SavedLinearLevels, levels);
}

void SpectrumController::LogToLin() {
  display::WriteLinearView(DisplayState.SavedLinearDisplay, ChannelSamples(ScopeState, ShownChannel()));
  display::WriteLinearView(DisplayState.SavedLinearLevels, ChannelSpectrumLevels(ScopeState, ShownChannel()));
}

void SpectrumController::LinKursLog() {
  DisplayState.FreqMarkerBin = display::MarkerLinToLog(DisplayState.FreqMarkerBin);
  if (TForm10* big = ShownBigScreen()) big->LinKursLog();
}
void SpectrumController::LogKursLin() {
  DisplayState.FreqMarkerBin = display::MarkerLogToLin(DisplayState.FreqMarkerBin);
  if (TForm10* big = ShownBigScreen()) big->LogKursLin();
}

void SpectrumController::SetSpectrumScrollMax(int max) { side_.ScrollBar2.SetMax(max); }

void SpectrumController::SpeedButtonLogClick(TObject*) {
  if (auto* twin = Twin(&AnalysisControls::SpeedButtonLog)) twin->SetDown(analysis_.SpeedButtonLog->Down());
  if (!analysis_.SpeedButtonLog->Down() || !ScopeState.SpectrumMode || ScopeState.LogFreqAxis) {
    analysis_.SpeedButtonLog->SetDown(true);
    return;
  }
  ScopeState.SettingsChanged = 1;
  host_.putsataanko();
  ScopeState.LogFreqAxis = 1;
  host_.fft_viiva_off();
  host_.poisto();
  LinToLog();
  DisplayState.SpectrumZoom = display::ZoomLinToLog(DisplayState.SpectrumZoom);
  DisplayState.SpectrumPoints = display::kLogAxisPoints;
  host_.piirrot();
  LinKursLog();
  host_.fft_viiva_on();
  SetSpectrumScrollMax(kLogScrollMax);
}

void SpectrumController::SpeedButtonLinClick(TObject*) {
  if (auto* twin = Twin(&AnalysisControls::SpeedButtonLin)) twin->SetDown(analysis_.SpeedButtonLin->Down());
  if (!analysis_.SpeedButtonLin->Down() || !ScopeState.SpectrumMode || !ScopeState.LogFreqAxis) {
    analysis_.SpeedButtonLin->SetDown(true);
    return;
  }
  ScopeState.SettingsChanged = 1;
  host_.putsataanko();
  ScopeState.LogFreqAxis = 0;
  host_.fft_viiva_off();
  host_.poisto();
  LogToLin();
  DisplayState.SpectrumZoom = display::ZoomLogToLin(DisplayState.SpectrumZoom);
  DisplayState.SpectrumPoints = display::kFftPoints;
  host_.piirrot();
  LogKursLin();
  host_.fft_viiva_on();
  SetSpectrumScrollMax(kLinScrollMax);
}

// ---------------------------------------------------------------- zoom

void SpectrumController::SpectrumZoomClick(TGrSpeedButton* AnalysisControls::*button, int factor) {
  TGrSpeedButton* own = analysis_.*button;
  if (auto* twin = Twin(button)) twin->SetDown(own->Down());
  if (!own->Down()) {
    own->SetDown(true);
    return;
  }
  host_.putsataanko();
  host_.fft_viiva_off();
  host_.poisto();
  DisplayState.SpectrumZoom = display::ZoomOfButton(factor, ScopeState.LogFreqAxis != 0);
  host_.piirrot();
  host_.fft_viiva_on();
}

void SpectrumController::SpeedButtonZoom1Click(TObject*) { SpectrumZoomClick(&AnalysisControls::SpeedButtonZoom1, 1); }
void SpectrumController::SpeedButtonZoom2Click(TObject*) { SpectrumZoomClick(&AnalysisControls::SpeedButtonZoom2, 2); }
void SpectrumController::SpeedButtonZoom4Click(TObject*) { SpectrumZoomClick(&AnalysisControls::SpeedButtonZoom4, 4); }
void SpectrumController::SpeedButtonZoom8Click(TObject*) { SpectrumZoomClick(&AnalysisControls::SpeedButtonZoom8, 8); }

// ---------------------------------------------------------------- entering and leaving

void SpectrumController::EnableScopeOnlyControls(bool enabled) {
  for (AnalysisControls* a : {&analysis_, static_cast<AnalysisControls*>(Form11)})
    if (a)
      for (TMenuItem* item : a->MathItems()) EnableItem(item, enabled);
  FrontPanelControls* panels[2] = {&panel_, Form11};
  for (FrontPanelControls* p : panels)
    if (p) {
      p->Autoset1->SetEnabled(enabled);
      p->Autoset2->SetEnabled(enabled);
      if (p->SpeedButton21) p->SpeedButton21->SetEnabled(enabled);
    }
  EnableItem(side_.RMSCalculation1, enabled);
  EnableItem(side_.Markers1, enabled);
  EnableItem(side_.dBmValue1, enabled);
  if (side_.GrSpeedButton15) side_.GrSpeedButton15->SetEnabled(enabled);
  // The spectrum markers are there in spectrum mode only.
  for (TMenuItem* m : {side_.MarkersFFT1, side_.MarkersFFTdBf1, side_.MarkersFFTSpectralDensity1})
    EnableItem(m, !enabled);
  if (Form11) {
    EnableItem(Form11->RMSCalculation1, enabled);
    EnableItem(Form11->Markers1, enabled);
    EnableItem(Form11->dBmValue1, enabled);
    for (TMenuItem* m : {Form11->MarkersFFT1, Form11->MarkersFFTdBf1, Form11->MarkersFFTSpectralDensity1})
      EnableItem(m, !enabled);
  }
}


void SpectrumController::ShowTimeOrSpan(bool spectrum) {
  FrontPanelControls* panels[2] = {&panel_, Form11};
  for (FrontPanelControls* p : panels) {
    if (!p) continue;
    p->Time_div->SetVisible(!spectrum);
    p->Freq_Range->SetVisible(spectrum);
  }
}

void SpectrumController::SetHistorySliderEnabled(bool enabled) { host_.SetHistoryBarsEnabled(enabled); }

void SpectrumController::ShowChannelSettings(int channel) {
  ::ShowChannelSettings(&panel_, ScopeState.Settings, channel);
  ::ShowChannelSettings(Form11, ScopeState.Settings, channel);
}

void SpectrumController::fft1Click(TObject*) {
  // Controls that only the time view serves go idle.
  ReleaseButton(side_.GrSpeedButton15);
  for (AnalysisControls* a : {&analysis_, static_cast<AnalysisControls*>(Form11)})
    if (a) a->Averagesamples1->SetEnabled(false);
  SetHistorySliderEnabled(false);
  ScopeState.AverageRunning = 0;
  HistoryState.HistoryStoreOn = 0;
  if (auto* twin = Twin(&AnalysisControls::fft1)) twin->SetDown(true);
  analysis_.fft1->SetDown(true);
  ScopeState.CaptureCount = 0;
  ScopeState.SettingsChanged = 1;

  if (!ScopeState.SpectrumMode) {
    // The ground markers go (they are not shown in spectrum mode).
    host_.y_viivat();
    // (fft1 going down has released "Oscilloscope" on both windows.)
    if (Form11) Form11->SpeedButton21->SetEnabled(false);
    panel_.SpeedButton21->SetEnabled(false);
    if (!ScopeState.MathOff) {
      if (Form11) Form11->SpeedButton21->SetDown(false);
      panel_.SpeedButton21->SetDown(false);
      SpeedButton21Click(&side_.Window);
    }
    host_.poisto();
    side_.Image1.Invalidate();
    for (std::size_t k = 0; k < engine::kCaptureBytes && ScopeState.SpectrumHistoryBlock; ++k) {
      const auto sample = static_cast<std::int16_t>(ScopeState.ScopeSampleBlock[k]);
      std::memcpy(ScopeState.SpectrumHistoryBlock + 2 * k, &sample, sizeof sample);
    }
    host_.kursorit();
    host_.tekstit_pois();

    // The spectrum of the capture held, on the chosen axis.
    ScopeState.SpectrumMode = 1;
    FFT();
    if (ScopeState.LogFreqAxis) {
      LinToLog();
      DisplayState.SpectrumPoints = display::kLogAxisPoints;
    }
    DisplayState.ScopeScrollPos = side_.ScrollBar2.Position();
    DisplayState.ScopeDisplayStart = ScopeState.DisplayStart;
    ScopeState.DisplayStart = DisplayState.SpectrumDisplayStart;
    host_.fft_viiva_on();

    // One channel's spectrum shows.
    DisplayState.SavedCh1On = ScopeState.Settings.Channels[0].On;
    DisplayState.SavedCh2On = ScopeState.Settings.Channels[1].On;
    FrontPanelControls* panels[2] = {&panel_, Form11};
    if (ScopeState.Settings.Channels[0].On) {
      ScopeState.Settings.Channels[1].On = 0;
      host_.fft_kursorit();
      ShowChannelSettings(2);
      for (FrontPanelControls* p : panels)
        if (p) SetFontColorOf(p->LabelCh2, clGray);
      host_.TulostaTeksti(ScopeState.Channels[1].RangeText, ScopeState.ScreenX0 + 70, display::kTopTextY, DisplayState.BackgroundColor);
      host_.TulostaTeksti(ScopeState.Channels[0].RangeText, ScopeState.ScreenX0 + 10, display::kTopTextY, DisplayState.Ch1Color);
    } else {
      ScopeState.Settings.Channels[1].On = 1;
      host_.TulostaTeksti(ScopeState.Channels[0].RangeText, ScopeState.ScreenX0 + 10, display::kTopTextY, DisplayState.BackgroundColor);
      host_.TulostaTeksti(ScopeState.Channels[1].RangeText, ScopeState.ScreenX0 + 70, display::kTopTextY, DisplayState.Ch2Color);
      ShowChannelSettings(2);
      for (FrontPanelControls* p : panels)
        if (p) SetFontColorOf(p->LabelCh2, DisplayState.Ch2Color);
    }

    // The span buttons take the time base's place.
    ShowTimeOrSpan(true);
    if (engine::TimeBaseButton(ScopeState.Settings.TimeBaseRow)) host_.TimeBaseStepClick(ScopeState.Settings.TimeBaseRow);
    host_.kursoritaajuus();
    host_.kursoridb();

    // Captions and the scroll range of the spectrum.
    side_.Window.SetCaption(ScopeState.DataFileName.empty() ? "Spectrum Analyzer" : "Spectrum Analyzer - " + os::FileNameOnly(ScopeState.DataFileName));
    if (Form10) Form10->SetCaption("Spectrum analyzer");
    if (Form11) Form11->SetCaption("Spectrum analyzer");
    side_.ScrollBar2.SetMin(0);
    side_.ScrollBar2.SetMax(ScopeState.LogFreqAxis ? kLogScrollMax : kLinScrollMax);
    side_.ScrollBar2.SetPosition(DisplayState.SpectrumScrollPos);
    EnableScopeOnlyControls(false);
  }

  // Persistence never runs on a spectrum.
  host_.ReleasePersist();
}

void SpectrumController::SpeedButton22Click(TObject*) {
  if (Form11) Form11->SpeedButton22->SetDown(true);
  ScopeState.CaptureCount = 0;

  if (ScopeState.SpectrumMode) {
    // The time traces saved on entry come back.
    host_.poisto();
    for (std::size_t k = 0; k < engine::kCaptureBytes && ScopeState.SpectrumHistoryBlock; ++k) {
      std::int16_t sample = 0;
      std::memcpy(&sample, ScopeState.SpectrumHistoryBlock + 2 * k, sizeof sample);
      ScopeState.ScopeSampleBlock[k] = sample;
    }
    host_.fft_viiva_off();
    host_.fft_kursorit();
    host_.tekstit_pois();
    ScopeState.SpectrumMode = 0;
    DisplayState.SpectrumDisplayStart = ScopeState.DisplayStart;
    ScopeState.DisplayStart = DisplayState.ScopeDisplayStart;
    ScopeState.Settings.Channels[0].On = DisplayState.SavedCh1On;
    ScopeState.Settings.Channels[1].On = DisplayState.SavedCh2On;
    host_.y_viivat();
    host_.kursorit();
    DisplayState.SpectrumPoints = display::kFftPoints;
    host_.tekstit();
    FrontPanelControls* panels[2] = {&panel_, Form11};
    const TColor colors[2] = {DisplayState.Ch1Color, DisplayState.Ch2Color};
    const std::string* rangeTexts[2] = {&ScopeState.Channels[0].RangeText, &ScopeState.Channels[1].RangeText};
    constexpr int kRangeTextX[2] = {10, 70};
    TLabel* FrontPanelControls::* const labels[2] = {&FrontPanelControls::LabelCh1, &FrontPanelControls::LabelCh2};
    for (int channel = 1; channel <= 2; ++channel) {
      const auto i = static_cast<std::size_t>(channel - 1);
      const bool shown = ScopeState.Settings.On(channel) != 0;
      host_.TulostaTeksti(*rangeTexts[i], ScopeState.ScreenX0 + kRangeTextX[i], display::kTopTextY,
                          shown ? colors[i] : DisplayState.BackgroundColor);
      for (FrontPanelControls* p : panels)
        if (p) SetFontColorOf(p->*labels[i], shown ? colors[i] : clGray);
      ShowChannelSettings(channel);
    }

    // The time base and its read-outs come back.
    ShowTimeOrSpan(false);
    host_.ReapplyTimeBase();

    // The spectrum keeps its scroll place for the next visit.
    DisplayState.SpectrumScrollPos = side_.ScrollBar2.Position();
    side_.Window.SetCaption(ScopeState.DataFileName.empty() ? "Darvik48" : "Darvik48 - " + os::FileNameOnly(ScopeState.DataFileName));
    if (Form10) Form10->SetCaption("Darvik48");
    if (Form11) Form11->SetCaption("Darvik48");
    side_.ScrollBar2.SetPosition(DisplayState.ScopeScrollPos);

    panel_.SpeedButton22->SetDown(true);
    EnableScopeOnlyControls(true);
  }

  // Controls of the time view work again.
  for (AnalysisControls* a : {&analysis_, static_cast<AnalysisControls*>(Form11)})
    if (a) a->Averagesamples1->SetEnabled(true);
  if (ScopeState.AcquisitionIdle) SetHistorySliderEnabled(true);
  host_.ReleasePersist();
}

}  // namespace engine::spectrum
