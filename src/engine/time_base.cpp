// The main window's front panel: building it beside the picture and the
// time-base handlers (time/div and span buttons, "S/L", the horizontal
// position bar and its preset button).
#include <algorithm>

#include "engine/big_screen.h"
#include "display/display_state.h"
#include "engine/control_panel.h"
#include "engine/time_base.h"
#include "engine/main_form.h"
#include "engine/scope_state.h"
#include "platform/os/numeric.h"

namespace {

using Handler = void (TForm1::*)(TObject*);

constexpr int kPositionCentre = 32;

}  // namespace

// ---------------------------------------------------------------- building

void TForm1::CreateFrontPanel() {
  FrontPanelArea = new TPanel(this);
  FrontPanelArea->Name = "FrontPanelArea";
  FrontPanelArea->SetParent(this);
  FrontPanelArea->SetBevelOuter(bvNone);
  FrontPanelArea->SetBounds(Image1->Left() + Image1->Width() + 6, Image1->Top(), kFrontPanelWidth,
                            kFrontPanelHeight);
  BuildFrontPanel(this, FrontPanelArea, *this, DisplayState);

  // Time base: the span buttons share the handlers of their rows.
  for (std::size_t row = 0; row < engine::TimeBaseTable.size(); ++row) {
    const Handler handler = TimeBaseHandlers[row];
    for (const engine::PanelButton button : {engine::TimeBaseTable[row].Button, engine::TimeBaseTable[row].SpanButton}) {
      if (!button) continue;
      (this->*button)->OnClick = [this, handler](TObject* s) { (this->*handler)(s); };
    }
  }
  SpeedButton005us->OnClick = [this](TObject* s) { SpeedButton005usClick(s); };
  SpeedButton24->OnClick = [this](TObject* s) { SpeedButton24Click(s); };

  // Vertical channels.
  const std::array<Handler, 6> ch1{&TForm1::SpeedButton28Click,  &TForm1::SpeedButton15v1Click,
                                   &TForm1::SpeedButton5v1Click, &TForm1::SpeedButton1p5v1Click,
                                   &TForm1::SpeedButton05v1Click, &TForm1::SpeedButton015v1Click};
  const std::array<Handler, 6> ch2{&TForm1::SpeedButton29Click,  &TForm1::SpeedButton15v2Click,
                                   &TForm1::SpeedButton5v2Click, &TForm1::SpeedButton1p5v2Click,
                                   &TForm1::SpeedButton05v2Click, &TForm1::SpeedButton015v2Click};
  auto bind = [this](TSpeedButton* b, Handler h) { b->OnClick = [this, h](TObject* s) { (this->*h)(s); }; };
  for (std::size_t i = 0; i < 6; ++i) {
    bind(RangeButtons(1)[i], ch1[i]);
    bind(RangeButtons(2)[i], ch2[i]);
  }
  bind(SpeedButton_ac1, &TForm1::SpeedButton_ac1Click);
  bind(SpeedButton_dc1, &TForm1::SpeedButton_dc1Click);
  bind(SpeedButton_gnd1, &TForm1::SpeedButton_gnd1Click);
  bind(SpeedButton__ac2, &TForm1::SpeedButton__ac2Click);
  bind(SpeedButton_dc2, &TForm1::SpeedButton_dc2Click);
  bind(SpeedButton_gnd2, &TForm1::SpeedButton_gnd2Click);
  bind(x11, &TForm1::x11Click);
  bind(x101, &TForm1::x101Click);
  bind(x12, &TForm1::x12Click);
  bind(x102, &TForm1::x102Click);
  bind(CH1on, &TForm1::CH1onClick);
  bind(CH2on, &TForm1::CH2onClick);
  bind(SpeedButtonCh1, &TForm1::SpeedButtonCh1Click);
  bind(SpeedButtonCh2, &TForm1::SpeedButtonCh2Click);
  // TrackBar1/2 and Run/Single are bound with the start-up and acquisition
  // components, which name them.
}

// ---------------------------------------------------------------- time/div steps

void TForm1::TimeBaseStepClick(std::size_t row) { ApplyTimeBaseStep(engine::TimeBaseTable[row]); }

void TForm1::SpeedButton500msClick(TObject*) { TimeBaseStepClick(0); }
void TForm1::SpeedButton200msClick(TObject*) { TimeBaseStepClick(1); }
void TForm1::SpeedButton50usClick(TObject*) { TimeBaseStepClick(2); }
void TForm1::SpeedButton01sClick(TObject*) { TimeBaseStepClick(3); }
void TForm1::peedButton50msClick(TObject*) { TimeBaseStepClick(4); }
void TForm1::SpeedButton20msClick(TObject*) { TimeBaseStepClick(5); }
void TForm1::SpeedButton10msClick(TObject*) { TimeBaseStepClick(6); }
void TForm1::SpeedButton5msClick(TObject*) { TimeBaseStepClick(7); }
// SpeedButton2msClick ("1ms") lives with the device commands, which the device open uses.
void TForm1::SpeedButton1msClick(TObject*) { TimeBaseStepClick(9); }
void TForm1::SpeedButton05msClick(TObject*) { TimeBaseStepClick(10); }
void TForm1::SpeedButton02msClick(TObject*) { TimeBaseStepClick(11); }
void TForm1::SpeedButton01msClick(TObject*) { TimeBaseStepClick(12); }
void TForm1::SpeedButton20usClick(TObject*) { TimeBaseStepClick(13); }
void TForm1::SpeedButton55Click(TObject*) { TimeBaseStepClick(14); }
void TForm1::SpeedButton10usClick(TObject*) { TimeBaseStepClick(15); }
void TForm1::SpeedButton5usClick(TObject*) { TimeBaseStepClick(16); }
void TForm1::SpeedButton2usClick(TObject*) { TimeBaseStepClick(17); }
void TForm1::SpeedButton1usClick(TObject*) { TimeBaseStepClick(18); }
void TForm1::SpeedButton05usClick(TObject*) { TimeBaseStepClick(19); }
void TForm1::SpeedButton02usClick(TObject*) { TimeBaseStepClick(20); }
void TForm1::SpeedButton01usClick(TObject*) { TimeBaseStepClick(21); }

void TForm1::ReapplyTimeBase() {
  const engine::ScopeSettings& s = ScopeState.Settings;
  const std::size_t row = ScopeState.SpectrumMode ? s.SpanRow : s.TimeBaseRow;
  if (row < TimeBaseHandlers.size()) (this->*TimeBaseHandlers[row])(this);
}

// ---------------------------------------------------------------- "S/L"

void TForm1::SpeedButton005usClick(TObject*) {
  const bool linear = SpeedButton005us->Down();
  if (Form11) Form11->SpeedButton005us->SetDown(linear);
  poisto();
  DisplayState.InterpolationChoice = linear ? 1 : 0;
  piirrot();
  SetStatusText(linear ? "Linear interpolation" : "Sine interpolation");
}

// ---------------------------------------------------------------- horizontal position

void TForm1::ScrollBar2Change(TObject*) {
  // Persistence does not survive a move through the record.
  ReleasePersist();
  ScopeState.CaptureCount = 0;
  putsataanko();
  fft_viiva_off();
  poisto();

  const double x = ScopeState.SpectrumMode ? 1.0 : ScopeState.SampleStep / (ScopeState.PixelStep * (ScopeState.Settings.DigitalMode ? 20.0 : 5.0));
  const int position = ScrollBar2->Position();
  std::int64_t start = numeric::Round((position - kPositionCentre) * x * 32) + 1024;
  if (start <= 0) start = 1;
  if (ScopeState.Settings.DigitalMode) {
    ScopeState.CaptureStart = static_cast<std::int32_t>(std::min<std::int64_t>(start, 4080));
    ScopeState.DisplayStart = 1024;
  } else {
    ScopeState.DisplayStart = static_cast<std::int32_t>(std::min<std::int64_t>(start, 4066));
  }

  piirrot();
  if (ScopeState.SpectrumMode) fft_viiva_on();
  // The Big Screen's bar has the same range (the spectrum view widens it).
  if (Form10 && Form10->ScrollBar2) Form10->ScrollBar2->SetParams(position, ScrollBar2->Min(), ScrollBar2->Max());
}

void TForm1::SpeedButton24Click(TObject*) {
  const std::size_t row = ScopeState.Settings.TimeBaseRow;
  int preset = 24;
  if (ScopeState.SpectrumMode) preset = 0;
  else if (row == engine::kTimeBase1us) preset = 22;
  else if (row == engine::kTimeBase05us) preset = 19;
  else if (row == engine::kTimeBase02us) preset = 11;
  else if (row == engine::kTimeBase01us) preset = 0;
  if (Form10 && Form10->ScrollBar2) Form10->ScrollBar2->SetPosition(preset);
  // A real move runs the handler through the bar; an unchanged bar needs the call.
  if (ScrollBar2->Position() == preset) ScrollBar2Change(this);
  else ScrollBar2->SetPosition(preset);
}
