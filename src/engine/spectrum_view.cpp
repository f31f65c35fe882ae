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
#include "engine/main_form.h"
#include "engine/scope_state.h"
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

// The controls the spectrum view has no use for, on both windows where they
// are: the channel read-outs, the math items, the scope markers, Autoset.
void EnableScopeOnlyControls(bool enabled) {
  for (AnalysisControls* a : {static_cast<AnalysisControls*>(Form1), static_cast<AnalysisControls*>(Form11)})
    if (a)
      for (TMenuItem* item : a->MathItems()) EnableItem(item, enabled);
  FrontPanelControls* panels[2] = {Form1, Form11};
  for (FrontPanelControls* p : panels)
    if (p) {
      p->Autoset1->SetEnabled(enabled);
      p->Autoset2->SetEnabled(enabled);
      if (p->SpeedButton21) p->SpeedButton21->SetEnabled(enabled);
    }
  if (Form1) {
    EnableItem(Form1->RMSCalculation1, enabled);
    EnableItem(Form1->Markers1, enabled);
    EnableItem(Form1->dBmValue1, enabled);
    if (Form1->GrSpeedButton15) Form1->GrSpeedButton15->SetEnabled(enabled);
    // The spectrum markers are there in spectrum mode only.
    for (TMenuItem* m : {Form1->MarkersFFT1, Form1->MarkersFFTdBf1, Form1->MarkersFFTSpectralDensity1})
      EnableItem(m, !enabled);
  }
  if (Form11) {
    EnableItem(Form11->RMSCalculation1, enabled);
    EnableItem(Form11->Markers1, enabled);
    EnableItem(Form11->dBmValue1, enabled);
    for (TMenuItem* m : {Form11->MarkersFFT1, Form11->MarkersFFTdBf1, Form11->MarkersFFTSpectralDensity1})
      EnableItem(m, !enabled);
  }
}


}  // namespace

// ---------------------------------------------------------------- the log axis

void TForm1::LinToLog() {
  const bool ch1 = ScopeState.Settings.Ch1On != 0;
  display::ChannelEntries shown = ch1 ? ScopeState.Ch1Samples() : ScopeState.Ch2Samples();
  display::ChannelEntries levels =
      ch1 ? ScopeState.Ch1SpectrumLevels()
          : display::ChannelEntries(ScopeState.SpectrumLevels.data(), engine::kChannelSamples);
  display::KeepBinValues(shown, DisplayState.SavedLinearDisplay);
  display::KeepBinValues(levels, DisplayState.SavedLinearLevels);
  display::WriteLogView(DisplayState.SavedLinearDisplay, shown);
  display::WriteLogView(DisplayState.SavedLinearLevels, levels);
}

void TForm1::LogToLin() {
  const bool ch1 = ScopeState.Settings.Ch1On != 0;
  display::WriteLinearView(DisplayState.SavedLinearDisplay, ch1 ? ScopeState.Ch1Samples() : ScopeState.Ch2Samples());
  display::WriteLinearView(DisplayState.SavedLinearLevels,
                           ch1 ? ScopeState.Ch1SpectrumLevels()
                               : display::ChannelEntries(ScopeState.SpectrumLevels.data(), engine::kChannelSamples));
}

void TForm1::LinKursLog() {
  DisplayState.FreqMarkerBin = display::MarkerLinToLog(DisplayState.FreqMarkerBin);
  if (TForm10* big = ShownBigScreen()) big->LinKursLog();
}
void TForm1::LogKursLin() {
  DisplayState.FreqMarkerBin = display::MarkerLogToLin(DisplayState.FreqMarkerBin);
  if (TForm10* big = ShownBigScreen()) big->LogKursLin();
}

void TForm1::SetSpectrumScrollMax(int max) { ScrollBar2->SetMax(max); }

void TForm1::SpeedButtonLogClick(TObject*) {
  if (auto* twin = Twin(&AnalysisControls::SpeedButtonLog)) twin->SetDown(SpeedButtonLog->Down());
  if (!SpeedButtonLog->Down() || !ScopeState.SpectrumMode || ScopeState.LogFreqAxis) {
    SpeedButtonLog->SetDown(true);
    return;
  }
  ScopeState.SettingsChanged = 1;
  putsataanko();
  ScopeState.LogFreqAxis = 1;
  fft_viiva_off();
  poisto();
  LinToLog();
  DisplayState.SpectrumZoom = display::ZoomLinToLog(DisplayState.SpectrumZoom);
  DisplayState.SpectrumPoints = display::kLogAxisPoints;
  piirrot();
  LinKursLog();
  fft_viiva_on();
  SetSpectrumScrollMax(kLogScrollMax);
}

void TForm1::SpeedButtonLinClick(TObject*) {
  if (auto* twin = Twin(&AnalysisControls::SpeedButtonLin)) twin->SetDown(SpeedButtonLin->Down());
  if (!SpeedButtonLin->Down() || !ScopeState.SpectrumMode || !ScopeState.LogFreqAxis) {
    SpeedButtonLin->SetDown(true);
    return;
  }
  ScopeState.SettingsChanged = 1;
  putsataanko();
  ScopeState.LogFreqAxis = 0;
  fft_viiva_off();
  poisto();
  LogToLin();
  DisplayState.SpectrumZoom = display::ZoomLogToLin(DisplayState.SpectrumZoom);
  DisplayState.SpectrumPoints = display::kFftPoints;
  piirrot();
  LogKursLin();
  fft_viiva_on();
  SetSpectrumScrollMax(kLinScrollMax);
}

// ---------------------------------------------------------------- zoom

void TForm1::SpectrumZoomClick(TGrSpeedButton* AnalysisControls::*button, int factor) {
  TGrSpeedButton* own = this->*button;
  if (auto* twin = Twin(button)) twin->SetDown(own->Down());
  if (!own->Down()) {
    own->SetDown(true);
    return;
  }
  putsataanko();
  fft_viiva_off();
  poisto();
  DisplayState.SpectrumZoom = display::ZoomOfButton(factor, ScopeState.LogFreqAxis != 0);
  piirrot();
  fft_viiva_on();
}

void TForm1::SpeedButtonZoom1Click(TObject*) { SpectrumZoomClick(&AnalysisControls::SpeedButtonZoom1, 1); }
void TForm1::SpeedButtonZoom2Click(TObject*) { SpectrumZoomClick(&AnalysisControls::SpeedButtonZoom2, 2); }
void TForm1::SpeedButtonZoom4Click(TObject*) { SpectrumZoomClick(&AnalysisControls::SpeedButtonZoom4, 4); }
void TForm1::SpeedButtonZoom8Click(TObject*) { SpectrumZoomClick(&AnalysisControls::SpeedButtonZoom8, 8); }

// ---------------------------------------------------------------- entering and leaving

void TForm1::ShowTimeOrSpan(bool spectrum) {
  FrontPanelControls* panels[2] = {this, Form11};
  for (FrontPanelControls* p : panels) {
    if (!p) continue;
    p->Time_div->SetVisible(!spectrum);
    p->Freq_Range->SetVisible(spectrum);
  }
}

void TForm1::SetHistorySliderEnabled(bool enabled) { SetHistoryBarsEnabled(enabled); }

void TForm1::fft1Click(TObject*) {
  // Controls that only the time view serves go idle.
  ReleaseButton(GrSpeedButton15);
  for (AnalysisControls* a : {static_cast<AnalysisControls*>(this), static_cast<AnalysisControls*>(Form11)})
    if (a) a->Averagesamples1->SetEnabled(false);
  SetHistorySliderEnabled(false);
  ScopeState.AverageRunning = 0;
  HistoryState.HistoryStoreOn = 0;
  if (auto* twin = Twin(&AnalysisControls::fft1)) twin->SetDown(true);
  fft1->SetDown(true);
  ScopeState.CaptureCount = 0;
  ScopeState.SettingsChanged = 1;

  if (!ScopeState.SpectrumMode) {
    // The ground markers go (they are not shown in spectrum mode).
    y_viivat();
    // (fft1 going down has released "Oscilloscope" on both windows.)
    if (Form11) Form11->SpeedButton21->SetEnabled(false);
    SpeedButton21->SetEnabled(false);
    if (!ScopeState.MathOff) {
      if (Form11) Form11->SpeedButton21->SetDown(false);
      SpeedButton21->SetDown(false);
      SpeedButton21Click(this);
    }
    poisto();
    Image1->Invalidate();
    for (std::size_t k = 0; k < engine::kCaptureBytes && ScopeState.SpectrumHistoryBlock; ++k) {
      const auto sample = static_cast<std::int16_t>(ScopeState.ScopeSampleBlock[k]);
      std::memcpy(ScopeState.SpectrumHistoryBlock + 2 * k, &sample, sizeof sample);
    }
    kursorit();
    tekstit_pois();

    // The spectrum of the capture held, on the chosen axis.
    ScopeState.SpectrumMode = 1;
    FFT();
    if (ScopeState.LogFreqAxis) {
      LinToLog();
      DisplayState.SpectrumPoints = display::kLogAxisPoints;
    }
    DisplayState.ScopeScrollPos = ScrollBar2->Position();
    DisplayState.ScopeDisplayStart = ScopeState.DisplayStart;
    ScopeState.DisplayStart = DisplayState.SpectrumDisplayStart;
    fft_viiva_on();

    // One channel's spectrum shows.
    DisplayState.SavedCh1On = ScopeState.Settings.Ch1On;
    DisplayState.SavedCh2On = ScopeState.Settings.Ch2On;
    FrontPanelControls* panels[2] = {this, Form11};
    if (ScopeState.Settings.Ch1On) {
      ScopeState.Settings.Ch2On = 0;
      fft_kursorit();
      ShowChannelSettings(*this, 2);
      for (FrontPanelControls* p : panels)
        if (p) SetFontColorOf(p->LabelCh2, clGray);
      TulostaTeksti(ScopeState.Ch2RangeText, ScopeState.ScreenX0 + 70, display::kTopTextY, DisplayState.BackgroundColor);
      TulostaTeksti(ScopeState.Ch1RangeText, ScopeState.ScreenX0 + 10, display::kTopTextY, DisplayState.Ch1Color);
    } else {
      ScopeState.Settings.Ch2On = 1;
      TulostaTeksti(ScopeState.Ch1RangeText, ScopeState.ScreenX0 + 10, display::kTopTextY, DisplayState.BackgroundColor);
      TulostaTeksti(ScopeState.Ch2RangeText, ScopeState.ScreenX0 + 70, display::kTopTextY, DisplayState.Ch2Color);
      ShowChannelSettings(*this, 2);
      for (FrontPanelControls* p : panels)
        if (p) SetFontColorOf(p->LabelCh2, DisplayState.Ch2Color);
    }

    // The span buttons take the time base's place.
    ShowTimeOrSpan(true);
    if (engine::TimeBaseButton(ScopeState.Settings.TimeBaseRow)) TimeBaseStepClick(ScopeState.Settings.TimeBaseRow);
    kursoritaajuus();
    kursoridb();

    // Captions and the scroll range of the spectrum.
    SetCaption(ScopeState.DataFileName.empty() ? "Spectrum Analyzer" : "Spectrum Analyzer - " + os::FileNameOnly(ScopeState.DataFileName));
    if (Form10) Form10->SetCaption("Spectrum analyzer");
    if (Form11) Form11->SetCaption("Spectrum analyzer");
    ScrollBar2->SetMin(0);
    ScrollBar2->SetMax(ScopeState.LogFreqAxis ? kLogScrollMax : kLinScrollMax);
    ScrollBar2->SetPosition(DisplayState.SpectrumScrollPos);
    EnableScopeOnlyControls(false);
  }

  // Persistence never runs on a spectrum.
  ReleasePersist();
}

void TForm1::SpeedButton22Click(TObject*) {
  if (Form11) Form11->SpeedButton22->SetDown(true);
  ScopeState.CaptureCount = 0;

  if (ScopeState.SpectrumMode) {
    // The time traces saved on entry come back.
    poisto();
    for (std::size_t k = 0; k < engine::kCaptureBytes && ScopeState.SpectrumHistoryBlock; ++k) {
      std::int16_t sample = 0;
      std::memcpy(&sample, ScopeState.SpectrumHistoryBlock + 2 * k, sizeof sample);
      ScopeState.ScopeSampleBlock[k] = sample;
    }
    fft_viiva_off();
    fft_kursorit();
    tekstit_pois();
    ScopeState.SpectrumMode = 0;
    DisplayState.SpectrumDisplayStart = ScopeState.DisplayStart;
    ScopeState.DisplayStart = DisplayState.ScopeDisplayStart;
    ScopeState.Settings.Ch1On = DisplayState.SavedCh1On;
    ScopeState.Settings.Ch2On = DisplayState.SavedCh2On;
    y_viivat();
    kursorit();
    DisplayState.SpectrumPoints = display::kFftPoints;
    tekstit();
    FrontPanelControls* panels[2] = {this, Form11};
    for (int channel = 1; channel <= 2; ++channel) {
      const bool ch1 = channel == 1;
      const bool shown = (ch1 ? ScopeState.Settings.Ch1On : ScopeState.Settings.Ch2On) != 0;
      const TColor color = ch1 ? DisplayState.Ch1Color : DisplayState.Ch2Color;
      TulostaTeksti(ch1 ? ScopeState.Ch1RangeText : ScopeState.Ch2RangeText, ScopeState.ScreenX0 + (ch1 ? 10 : 70), display::kTopTextY,
                    shown ? color : DisplayState.BackgroundColor);
      for (FrontPanelControls* p : panels)
        if (p) SetFontColorOf(ch1 ? p->LabelCh1 : p->LabelCh2, shown ? color : clGray);
      ShowChannelSettings(*this, channel);
    }

    // The time base and its read-outs come back.
    ShowTimeOrSpan(false);
    ReapplyTimeBase();

    // The spectrum keeps its scroll place for the next visit.
    DisplayState.SpectrumScrollPos = ScrollBar2->Position();
    SetCaption(ScopeState.DataFileName.empty() ? "Darvik48" : "Darvik48 - " + os::FileNameOnly(ScopeState.DataFileName));
    if (Form10) Form10->SetCaption("Darvik48");
    if (Form11) Form11->SetCaption("Darvik48");
    ScrollBar2->SetPosition(DisplayState.ScopeScrollPos);

    SpeedButton22->SetDown(true);
    EnableScopeOnlyControls(true);
  }

  // Controls of the time view work again.
  for (AnalysisControls* a : {static_cast<AnalysisControls*>(this), static_cast<AnalysisControls*>(Form11)})
    if (a) a->Averagesamples1->SetEnabled(true);
  if (ScopeState.AcquisitionIdle) SetHistorySliderEnabled(true);
  ReleasePersist();
}
