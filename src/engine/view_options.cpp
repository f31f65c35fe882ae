// The View and Options toggles of the main window (each mirrored onto the
// twin panel's item of the same name) and the keyboard shortcuts the Big
// Screen hands to the main window.
#include <algorithm>
#include <initializer_list>
#include <optional>
#include <utility>

#include "engine/big_screen.h"
#include "display/display_state.h"
#include "display/marker_readouts.h"
#include "engine/measurement_window.h"
#include "engine/autoset.h"
#include "engine/control_panel.h"
#include "engine/main_form.h"
#include "engine/markers/markers_controller.h"
#include "engine/scope_state.h"
#include "engine/step_tables.h"
#include "widgets/control_maker.h"

namespace {

constexpr std::int32_t kUnplaced = -300;

using TwinItem = TMenuItem* TForm11::*;

bool Toggle(TMenuItem* item, TwinItem twin) {
  item->SetChecked(!item->Checked());
  MirrorCheck(item, twin);
  return item->Checked();
}

// The row of a channel's range.
std::optional<std::size_t> RangeRowOfChannel(const engine::ScopeSharedState& scope, int channel) {
  if (const engine::RangeStep* row = engine::RangeRowOfCode(scope.Settings.GainCode(channel)))
    return static_cast<std::size_t>(row - engine::RangeTable.data());
  return std::nullopt;
}

}  // namespace

void TForm1::CreateViewOptionControls() {
  ControlMaker make(this);
  auto item = [&](TMenuItem* parent, const char* name, const char* caption, void (TForm1::*handler)(TObject*)) {
    return make.Item(parent, name, caption, [this, handler](TObject* s) { (this->*handler)(s); });
  };
  MarkersFFT1 = item(View1, "MarkersFFT1", "Markers (FFT)  f && V", &TForm1::MarkersFFT1Click);
  MarkersFFTdBf1 = item(View1, "MarkersFFTdBf1", "Markers (FFT)  f && dV", &TForm1::MarkersFFTdBf1Click);
  if (!MarkersFFTSpectralDensity1)
    MarkersFFTSpectralDensity1 = item(View1, "MarkersFFTSpectralDensity1",
                                      "Markers (FFT)  f && Spectral Density  dBV/sqrt(Hz)",
                                      &TForm1::MarkersFFTSpectralDensity1Click);
  // The spectrum markers wait for spectrum mode.
  for (TMenuItem* m : {MarkersFFT1, MarkersFFTdBf1, MarkersFFTSpectralDensity1}) m->SetEnabled(ScopeState.SpectrumMode != 0);
  dBmValue1 = item(View1, "dBmValue1", "dBm Value", &TForm1::dBmValue1Click);
  SampleRate1 = item(View1, "SampleRate1", "Sample Rate", &TForm1::SampleRate1Click);
  DotJoin1 = item(View1, "DotJoin1", "Dot Join", &TForm1::DotJoin1Click);
  ClearDisplayonRunSingleClick1 = item(View1, "ClearDisplayonRunSingleClick1", "Clear Display on Run/Single Click",
                                       &TForm1::ClearDisplayonRunSingleClick1Click);
  View1->OnClick = [this](TObject* s) { View1Click(s); };
  TriggerOptions1 = make.Item(Options1, "TriggerOptions1", "Trigger Options");
  HFReject1 = item(TriggerOptions1, "HFReject1", "Noise Reject", &TForm1::HFReject1Click);
}

void TForm1::ApplyViewMenuChecks() {
  struct Check {
    TMenuItem* Item;
    TwinItem Twin;
    std::uint8_t Flag;
  };
  const Check checks[] = {{DotJoin1, &TForm11::DotJoin1, ScopeState.DotJoin},
                          {RMSCalculation1, &TForm11::RMSCalculation1, ScopeState.RmsOn},
                          {dBmValue1, &TForm11::dBmValue1, ScopeState.DbmOn},
                          {SampleRate1, &TForm11::SampleRate1, ScopeState.SampleRateOn},
                          {ClearDisplayonRunSingleClick1, nullptr, ScopeState.ClearOnRunSingle}};
  for (const Check& c : checks) {
    if (!c.Item) continue;
    c.Item->SetChecked(c.Flag != 0);
    MirrorCheck(c.Item, c.Twin);
  }
}

// ---------------------------------------------------------------- spectrum markers

void TForm1::SpectrumMarkersClick(TMenuItem* chosen, bool density, bool secondAtBottom) {
  const std::pair<TMenuItem*, TwinItem> items[] = {{MarkersFFT1, &TForm11::MarkersFFT1},
                                                   {MarkersFFTdBf1, &TForm11::MarkersFFTdBf1},
                                                   {MarkersFFTSpectralDensity1, &TForm11::MarkersFFTSpectralDensity1}};
  bool on = false;
  for (const auto& [item, twin] : items) {
    if (item == chosen)
      on = Toggle(item, twin);
    else
      item->SetChecked(false);
    MirrorCheck(item, twin);
  }
  DisplayState.FftMarkersOn = on ? 1 : 0;
  DisplayState.FftDensityMarkers = on && density ? 1 : 0;
  // The marker's spectrum point follows where its line is, on both pictures.
  DisplayState.FreqMarkerBin = static_cast<std::uint16_t>(std::clamp(
      display::FreqMarkerBinAt(DisplayState.FreqMarker1X, ScopeState.ScreenX0, ScopeState.DisplayStart, DisplayState.SpectrumZoom), 0, 65535));
  if (Form10) Form10->FreqMarkerBinFromX();
  ScopeState.ClearPending = 1;
  if (on) {
    DisplayState.LevelMarker2Y = secondAtBottom ? ScopeState.ScreenY0 + 240 : kUnplaced;
    if (Form10) Form10->BigLevelMarker2Y = secondAtBottom ? Form10->BigScreenY0 + 496 : kUnplaced;
    putsataanko();
    kursoridb();
    kursoritaajuus();
    piirrot();
  } else {
    putsataanko();
    piirrot();
    tekstit();
  }
}

void TForm1::MarkersFFT1Click(TObject*) { SpectrumMarkersClick(MarkersFFT1, false, false); }
void TForm1::MarkersFFTdBf1Click(TObject*) { SpectrumMarkersClick(MarkersFFTdBf1, false, true); }
void TForm1::MarkersFFTSpectralDensity1Click(TObject*) {
  SpectrumMarkersClick(MarkersFFTSpectralDensity1, true, false);
}

// ---------------------------------------------------------------- read-outs and drawing style

void TForm1::dBmValue1Click(TObject*) {
  putsataanko();
  ScopeState.DbmOn = Toggle(dBmValue1, &TForm11::dBmValue1) ? 1 : 0;
  if (!ScopeState.DbmOn) TulostaTeksti(ScopeState.DbmText, MainView.X0 + MainView.Texts.Dbm, MainView.TextLineY, DisplayState.BackgroundColor);
}

void TForm1::SampleRate1Click(TObject*) {
  ScopeState.SampleRateOn = Toggle(SampleRate1, &TForm11::SampleRate1) ? 1 : 0;
  TulostaTeksti(ScopeState.SampleRateText, MainView.X0 + MainView.Texts.SampleRate, MainView.TopTextY,
                ScopeState.SampleRateOn ? DisplayState.TimeMarkerColor : DisplayState.BackgroundColor);
}

void TForm1::DotJoin1Click(TObject*) {
  poisto();
  ScopeState.DotJoin = Toggle(DotJoin1, &TForm11::DotJoin1) ? 1 : 0;
  piirrot();
}

void TForm1::View1Click(TObject*) {
  SampleRate1->SetEnabled(!ScopeState.SpectrumMode);
  if (Form_99) MoreData1->SetChecked(Form_99->Visible());
}

void TForm1::HFReject1Click(TObject*) {
  ScopeState.CaptureCount = 0;
  ScopeState.NoiseRejectOn = Toggle(HFReject1, &TForm11::HFReject1) ? 1 : 0;
}

void TForm1::ClearDisplayonRunSingleClick1Click(TObject*) {
  ScopeState.ClearOnRunSingle = Toggle(ClearDisplayonRunSingleClick1, nullptr) ? 1 : 0;
}

// ---------------------------------------------------------------- shortcuts

void TForm1::Form10KeyDown(unsigned short Key, TShiftState Shift) {
  using engine::acquisition::AcquisitionController;
  using engine::front_panel::FrontPanelController;
  // The handler is that of a controller: `handler` of `target`.
  auto press = [this](TGrSpeedButton* button, auto& target, auto handler) {
    button->SetDown(true);
    (target.*handler)(this);
  };
  auto toggle = [this](TGrSpeedButton* button, auto& target, auto handler) {
    button->SetDown(!button->Down());
    (target.*handler)(this);
  };
  const int channel = Shift == ssShift ? 2 : 1;
  switch (Key) {
    case 'R': toggle(SpeedButtonRun, Acquisition(), &AcquisitionController::SpeedButtonRunClick); break;
    case 'S':
      if (SpeedButtonSingle->Enabled())
        toggle(SpeedButtonSingle, Acquisition(), &AcquisitionController::SpeedButtonSingleClick);
      break;
    case VK_DOWN:
    case VK_UP: {
      const auto row = RangeRowOfChannel(ScopeState, channel);
      if (!row) break;
      const auto next = Key == VK_DOWN ? engine::MoreSensitiveRange(*row) : engine::LessSensitiveRange(*row);
      if (next) RangeCodeClick(channel, engine::RangeTable[*next].Code);
      break;
    }
    case VK_LEFT:
    case VK_RIGHT: {
      const std::size_t row = ScopeState.Settings.TimeBaseRow;
      const auto next = Key == VK_LEFT ? engine::SlowerTimeRow(row) : engine::FasterTimeRow(row);
      if (next) TimeBaseStepClick(*next);
      break;
    }
    case 'T':
      if (ScopeState.Settings.TriggerOff != 0)
        press(SpeedButton7, FrontPanel(), &FrontPanelController::SpeedButton7Click);
      else
        press(SpeedButton8, FrontPanel(), &FrontPanelController::SpeedButton8Click);
      break;
    case 'C':
      if (engine::TriggerSourceIndex(ScopeState.Settings) == 0)
        press(SpeedButton4, FrontPanel(), &FrontPanelController::SpeedButton4Click);
      else
        press(SpeedButton3, FrontPanel(), &FrontPanelController::SpeedButton3Click);
      break;
    case 'E':
      if (ScopeState.Settings.TriggerSlope != 0)
        press(SpeedButton6, FrontPanel(), &FrontPanelController::SpeedButton6Click);
      else
        press(SpeedButton5, FrontPanel(), &FrontPanelController::SpeedButton5Click);
      break;
    case '1':
    case '2': {
      // "On" takes the state opposite to the settings', then its click runs.
      const int c = Key == '1' ? 1 : 2;
      (c == 1 ? CH1on : CH2on)->SetDown(!ScopeState.Settings.On(c));
      FrontPanel().ChannelOnClick(c);
      break;
    }
    case VK_F1: Spectrum().CH1CH21Click(this); break;
    case VK_F2: Spectrum().CH1CH22Click(this); break;
    case VK_F3: Spectrum().MultiClick(this); break;
    case VK_F4: Spectrum().DiviClick(this); break;
    case VK_F5: Spectrum().xyplot1Click(this); break;
    case VK_F6: Spectrum().InvertCH21Click(this); break;
    case 'W':
      Markers().MoreData1Click(this);
      if (Form10 && Form10->Timer1) Form10->Timer1->SetEnabled(true);
      break;
    default: break;
  }
}
