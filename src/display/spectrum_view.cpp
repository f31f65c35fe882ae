// The spectrum view on the main window: entering the spectrum analyser and
// going back to the oscilloscope, the linear or logarithmic frequency axis,
// and the zoom buttons. Each handler keeps the twin panel's control of the
// same name in step.
#include <cstring>
#include <filesystem>

#include "display/big_screen.h"
#include "display/display_state.h"
#include "display/history_state.h"
#include "display/spectrum.h"
#include "engine/control_panel.h"
#include "engine/main_form.h"
#include "engine/scope_state.h"
#include "engine/step_tables.h"
#include "platform/ui/vcl.h"

namespace {

constexpr TColor kHiddenLabelColor = 0x808080;
constexpr int kTopTextY = 3;
constexpr int kLogScrollMax = 70;
constexpr int kLinScrollMax = 127;

void SetLabelColor(TLabel* label, TColor color) {
  if (!label) return;
  label->Font().Color = color;
  label->FontChanged();
}

// The twin panel's control of a member of the analysis controls.
template <class T>
T* Twin(T* AnalysisControls::*member) {
  return Form11 ? static_cast<AnalysisControls*>(Form11)->*member : nullptr;
}

void SetEnabledOnBoth(TComponent* a, TComponent* b, const char* name, bool enabled) {
  for (TComponent* owner : {a, b})
    if (auto* c = owner ? owner->FindComponentAs<TComponent>(name) : nullptr) {
      if (auto* item = dynamic_cast<TMenuItem*>(c)) item->SetEnabled(enabled);
      else if (auto* control = dynamic_cast<TControl*>(c)) control->SetEnabled(enabled);
    }
}

// Releases a button that is down and runs its handler, as the user's click would.
void ReleaseByName(TComponent* owner, const char* name) {
  auto* button = owner ? owner->FindComponentAs<TSpeedButton>(name) : nullptr;
  if (!button || !button->Down()) return;
  button->SetDown(false);
  if (button->OnClick) button->OnClick(button);
}

void SetScrollBar(TComponent* owner, int min, int max, int position) {
  auto* bar = owner ? owner->FindComponentAs<TScrollBar>("ScrollBar2") : nullptr;
  if (!bar) return;
  bar->SetMin(min);
  bar->SetMax(max);
  bar->SetPosition(position);
}

std::string FileNameOnly(const std::string& path) { return std::filesystem::path(path).filename().string(); }

}  // namespace

// ---------------------------------------------------------------- the log axis

void TForm1::LinToLog() {
  using namespace engine;
  using namespace display;
  const bool ch1 = Ch1On != 0;
  display::ChannelEntries shown = ch1 ? Ch1Samples : Ch2Samples;
  display::ChannelEntries levels =
      ch1 ? Ch1SpectrumLevels : display::ChannelEntries(SpectrumLevels.data(), kChannelSamples);
  display::KeepBinValues(shown, display::SavedLinearDisplay);
  display::KeepBinValues(levels, display::SavedLinearLevels);
  display::WriteLogView(display::SavedLinearDisplay, shown);
  display::WriteLogView(display::SavedLinearLevels, levels);
}

void TForm1::LogToLin() {
  using namespace engine;
  using namespace display;
  const bool ch1 = Ch1On != 0;
  display::WriteLinearView(display::SavedLinearDisplay, ch1 ? Ch1Samples : Ch2Samples);
  display::WriteLinearView(display::SavedLinearLevels,
                           ch1 ? Ch1SpectrumLevels : display::ChannelEntries(SpectrumLevels.data(), kChannelSamples));
}

void TForm1::LinKursLog() { display::FreqMarkerBin = display::MarkerLinToLog(display::FreqMarkerBin); }
void TForm1::LogKursLin() { display::FreqMarkerBin = display::MarkerLogToLin(display::FreqMarkerBin); }

void TForm1::SetSpectrumScrollMax(int max) {
  for (TComponent* owner : {static_cast<TComponent*>(this), static_cast<TComponent*>(Form10)})
    if (auto* bar = owner ? owner->FindComponentAs<TScrollBar>("ScrollBar2") : nullptr) bar->SetMax(max);
}

void TForm1::SpeedButtonLogClick(TObject*) {
  using namespace engine;
  using namespace display;
  if (auto* twin = Twin(&AnalysisControls::SpeedButtonLog)) twin->SetDown(SpeedButtonLog->Down());
  if (!SpeedButtonLog->Down() || !SpectrumMode || LogFreqAxis) {
    SpeedButtonLog->SetDown(true);
    return;
  }
  SettingsChanged = 1;
  putsataanko();
  LogFreqAxis = 1;
  fft_viiva_off();
  poisto();
  LinToLog();
  display::SpectrumZoom = display::ZoomLinToLog(display::SpectrumZoom);
  display::SpectrumPoints = display::kLogAxisPoints;
  piirrot();
  LinKursLog();
  fft_viiva_on();
  SetSpectrumScrollMax(kLogScrollMax);
}

void TForm1::SpeedButtonLinClick(TObject*) {
  using namespace engine;
  using namespace display;
  if (auto* twin = Twin(&AnalysisControls::SpeedButtonLin)) twin->SetDown(SpeedButtonLin->Down());
  if (!SpeedButtonLin->Down() || !SpectrumMode || !LogFreqAxis) {
    SpeedButtonLin->SetDown(true);
    return;
  }
  SettingsChanged = 1;
  putsataanko();
  LogFreqAxis = 0;
  fft_viiva_off();
  poisto();
  LogToLin();
  display::SpectrumZoom = display::ZoomLogToLin(display::SpectrumZoom);
  display::SpectrumPoints = display::kFftPoints;
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
  display::SpectrumZoom = display::ZoomOfButton(factor, engine::LogFreqAxis != 0);
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

void TForm1::SetHistorySliderEnabled(bool enabled) {
  for (TComponent* owner : {static_cast<TComponent*>(this), static_cast<TComponent*>(Form10)})
    if (auto* bar = owner ? owner->FindComponentAs<TScrollBar>("ScrollBar1") : nullptr) bar->SetEnabled(enabled);
}

void TForm1::fft1Click(TObject*) {
  using namespace engine;
  using namespace display;
  // 1.
  ReleaseByName(this, "GrSpeedButton15");
  for (AnalysisControls* a : {static_cast<AnalysisControls*>(this), static_cast<AnalysisControls*>(Form11)})
    if (a) a->Averagesamples1->SetEnabled(false);
  SetHistorySliderEnabled(false);
  AverageRunning = 0;
  HistoryStoreOn = 0;
  if (auto* twin = Twin(&AnalysisControls::fft1)) twin->SetDown(true);
  fft1->SetDown(true);
  CaptureCount = 0;
  SettingsChanged = 1;

  // 2.
  if (!SpectrumMode) {
    // 3. The ground markers go (they are not shown in spectrum mode).
    y_viivat();
    SpeedButton22->SetDown(false);
    if (auto* twin = Twin(&AnalysisControls::SpeedButton22)) twin->SetDown(false);
    for (AnalysisControls* a : {static_cast<AnalysisControls*>(this), static_cast<AnalysisControls*>(Form11)})
      if (a) a->SpeedButton21->SetEnabled(false);
    if (!MathOff) {
      if (auto* twin = Twin(&AnalysisControls::SpeedButton21)) twin->SetDown(false);
      SpeedButton21->SetDown(false);
      SpeedButton21Click(this);
    }
    poisto();
    Image1->Invalidate();
    for (std::size_t k = 0; k < kCaptureBytes && SpectrumHistoryBlock; ++k) {
      const auto sample = static_cast<std::int16_t>(ScopeSampleBlock[k]);
      std::memcpy(SpectrumHistoryBlock + 2 * k, &sample, sizeof sample);
    }
    kursorit();
    tekstit_pois();

    // 4.
    SpectrumMode = 1;
    FFT();
    if (LogFreqAxis) {
      LinToLog();
      display::SpectrumPoints = display::kLogAxisPoints;
    }
    display::ScopeScrollPos = ScrollBar2->Position();
    display::ScopeDisplayStart = DisplayStart;
    DisplayStart = display::SpectrumDisplayStart;
    fft_viiva_on();

    // 5. One channel's spectrum shows.
    display::SavedCh1On = Ch1On;
    display::SavedCh2On = Ch2On;
    FrontPanelControls* panels[2] = {this, Form11};
    if (Ch1On) {
      Ch2On = 0;
      fft_kursorit();
      for (FrontPanelControls* p : panels)
        if (p) {
          p->CH2on->SetDown(false);
          p->SpeedButtonCh2->SetDown(true);
          SetLabelColor(p->LabelCh2, kHiddenLabelColor);
        }
      TulostaTeksti(Ch2RangeText, ScreenX0 + 70, kTopTextY, BackgroundColor);
      TulostaTeksti(Ch1RangeText, ScreenX0 + 10, kTopTextY, Ch1Color);
    } else {
      Ch2On = 1;
      TulostaTeksti(Ch1RangeText, ScreenX0 + 10, kTopTextY, BackgroundColor);
      TulostaTeksti(Ch2RangeText, ScreenX0 + 70, kTopTextY, Ch2Color);
      for (FrontPanelControls* p : panels)
        if (p) {
          SetLabelColor(p->LabelCh2, Ch2Color);
          p->CH2on->SetDown(true);
          p->SpeedButtonCh2->SetDown(false);
        }
    }

    // 6. The span buttons take the time base's place.
    ShowTimeOrSpan(true);
    for (std::size_t row = 0; row < TimeBaseTable.size(); ++row) {
      const char* name = TimeBaseTable[row].Button;
      const auto* button = name ? FindComponentAs<TSpeedButton>(name) : nullptr;
      if (button && button->Down()) {
        TimeBaseStepClick(row);
        break;
      }
    }
    kursoritaajuus();
    kursoridb();

    // 7.
    SetCaption(DataFileName.empty() ? "Spectrum Analyzer" : "Spectrum Analyzer - " + FileNameOnly(DataFileName));
    if (Form10) Form10->SetCaption("Spectrum analyzer");
    if (Form11) Form11->SetCaption("Spectrum analyzer");
    const int scrollMax = LogFreqAxis ? kLogScrollMax : kLinScrollMax;
    for (TComponent* owner : {static_cast<TComponent*>(this), static_cast<TComponent*>(Form10)})
      SetScrollBar(owner, 0, scrollMax, display::SpectrumScrollPos);
    for (const char* name : {"RMScalculation1", "dBmValue1", "CH1CH21", "CH1CH22", "Multi", "Divi", "XYplot1",
                             "InvertCH21", "Markers1", "Autoset1", "Autoset2"})
      SetEnabledOnBoth(this, Form11, name, false);
    for (const char* name : {"MarkersFFT1", "MarkersFFTdBf1", "MarkersFFTSpectralDensity1"})
      SetEnabledOnBoth(this, Form11, name, true);
    if (auto* digital = FindComponentAs<TControl>("GrSpeedButton15")) digital->SetEnabled(false);
  }

  // 8.
  ReleaseByName(this, "SpeedButton23");
}

void TForm1::SpeedButton22Click(TObject*) {
  using namespace engine;
  using namespace display;
  // 1.
  if (auto* twin = Twin(&AnalysisControls::SpeedButton22)) twin->SetDown(true);
  CaptureCount = 0;

  if (SpectrumMode) {
    // 2. The time traces saved on entry come back.
    poisto();
    for (std::size_t k = 0; k < kCaptureBytes && SpectrumHistoryBlock; ++k) {
      std::int16_t sample = 0;
      std::memcpy(&sample, SpectrumHistoryBlock + 2 * k, sizeof sample);
      ScopeSampleBlock[k] = sample;
    }
    fft_viiva_off();
    fft_kursorit();
    tekstit_pois();
    SpectrumMode = 0;
    display::SpectrumDisplayStart = DisplayStart;
    DisplayStart = display::ScopeDisplayStart;
    Ch1On = display::SavedCh1On;
    Ch2On = display::SavedCh2On;
    y_viivat();
    kursorit();
    display::SpectrumPoints = display::kFftPoints;
    tekstit();
    FrontPanelControls* panels[2] = {this, Form11};
    for (int channel = 1; channel <= 2; ++channel) {
      const bool ch1 = channel == 1;
      const bool shown = (ch1 ? Ch1On : Ch2On) != 0;
      const TColor color = ch1 ? Ch1Color : Ch2Color;
      TulostaTeksti(ch1 ? Ch1RangeText : Ch2RangeText, ScreenX0 + (ch1 ? 10 : 70), kTopTextY,
                    shown ? color : BackgroundColor);
      for (FrontPanelControls* p : panels)
        if (p) {
          SetLabelColor(ch1 ? p->LabelCh1 : p->LabelCh2, shown ? color : kHiddenLabelColor);
          (ch1 ? p->SpeedButtonCh1 : p->SpeedButtonCh2)->SetDown(!shown);
          (ch1 ? p->CH1on : p->CH2on)->SetDown(shown);
        }
    }

    // 3.
    ShowTimeOrSpan(false);
    ReapplyTimeBase();

    // 4.
    display::SpectrumScrollPos = ScrollBar2->Position();
    SetCaption(DataFileName.empty() ? "Darvik48" : "Darvik48 - " + FileNameOnly(DataFileName));
    if (Form10) Form10->SetCaption("Darvik48");
    if (Form11) Form11->SetCaption("Darvik48");
    for (TComponent* owner : {static_cast<TComponent*>(this), static_cast<TComponent*>(Form10)})
      if (auto* bar = owner ? owner->FindComponentAs<TScrollBar>("ScrollBar2") : nullptr)
        bar->SetPosition(display::ScopeScrollPos);

    // 5.
    SpeedButton22->SetDown(true);
    for (AnalysisControls* a : {static_cast<AnalysisControls*>(this), static_cast<AnalysisControls*>(Form11)})
      if (a) a->SpeedButton21->SetEnabled(true);
    for (const char* name : {"RMScalculation1", "dBmValue1", "CH1CH21", "CH1CH22", "Multi", "Divi", "XYplot1",
                             "InvertCH21", "Markers1", "Autoset1", "Autoset2"})
      SetEnabledOnBoth(this, Form11, name, true);
    for (const char* name : {"MarkersFFT1", "MarkersFFTdBf1", "MarkersFFTSpectralDensity1"})
      SetEnabledOnBoth(this, Form11, name, false);
    if (auto* digital = FindComponentAs<TControl>("GrSpeedButton15")) digital->SetEnabled(true);
  }

  // 6.
  for (AnalysisControls* a : {static_cast<AnalysisControls*>(this), static_cast<AnalysisControls*>(Form11)})
    if (a) a->Averagesamples1->SetEnabled(true);
  if (AcquisitionIdle) SetHistorySliderEnabled(true);
  ReleaseByName(this, "SpeedButton23");
}
