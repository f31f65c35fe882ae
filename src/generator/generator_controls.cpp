// The generator's panel logic on the engine window: apply, ranges, shapes,
// sliders, entries, the sweep and the read-outs on every panel.
#include <algorithm>
#include <cmath>

#include "engine/instrument_links.h"
#include "engine/scope_state.h"
#include "generator/generator_form.h"
#include "generator/generator_panel.h"
#include "generator/generator_state.h"
#include "generator/more_functions.h"
#include "generator/packets.h"
#include "generator/panel_rules.h"
#include "platform/os/numeric.h"

namespace {

constexpr const char* kSweepOrderText = "Stop frequency must be higher than Start frequency.";

bool ShapeShowsFrequency(std::int32_t shape) {
  return shape != generator::kShapeNoise && shape != generator::kShapeSweep && shape != generator::kShapePoints &&
         shape != generator::kShapeDc;
}

}  // namespace

// ---------------------------------------------------------------- helpers

GeneratorPanel* TForm1_fgen::PanelOf(TObject* sender) const {
  for (GeneratorPanel* p : GeneratorState.Panels)
    if (p->Holds(sender)) return p;
  for (GeneratorPanel* p : GeneratorState.Panels)
    if (p->HostForm()->Visible()) return p;
  return GeneratorState.Panels.empty() ? nullptr : GeneratorState.Panels.front();
}

GeneratorPanel* TForm1_fgen::ScopePanel() const { return LeadingGeneratorPanel(GeneratorState); }

void TForm1_fgen::RestartApplyTimer() {
  Timer8->SetEnabled(false);
  Timer8->SetEnabled(true);
}

void TForm1_fgen::SetFrequencySliders(int position) {
  // Each panel's slider handler mirrors and re-derives the frequency from
  // the slider grid when the position really changes.
  if (GeneratorPanel* p = ScopePanel()) p->TrackBar4->SetPosition(position);
  for (GeneratorPanel* p : GeneratorState.Panels) p->TrackBar4->SetPosition(position);
}

void TForm1_fgen::HoldFrequencyOnSliders() {
  const double frequency = GeneratorState.GenFrequency;
  SetFrequencySliders(generator::FrequencySliderPosition(GeneratorState.GenFrequency, GeneratorState.RangeMin, GeneratorState.RangeMax));
  GeneratorState.GenFrequency = frequency;
}

// ---------------------------------------------------------------- read-outs

void TForm1_fgen::ShowFrequencyReadout() {
  // Noise and sweep show their own texts there, DC none.
  if (!ShapeShowsFrequency(GeneratorState.WaveShape)) return;
  const std::string text = generator::FrequencyReadoutText(GeneratorState.GenFrequency, GeneratorState.RangeDecimals, GeneratorState.FreqUnitText);
  for (GeneratorPanel* p : GeneratorState.Panels) {
    GeneratorPanel::PaintReadout(p->Image5, 10, 5, text, GeneratorPanel::kReadoutColor);
    GeneratorPanel::PaintReadout(p->Image9, 10, 5, text, GeneratorPanel::kReadoutColor);
  }
}

void TForm1_fgen::ShowOffsetReadout() {
  const std::string text = generator::OffsetReadoutText(GeneratorState.OffsetDac, GeneratorState.AutoOffsetMode != 0, GeneratorState.GenAmplitude);
  const TColor color = GeneratorState.AutoOffsetMode ? GeneratorPanel::kReadoutGrey : GeneratorPanel::kReadoutColor;
  for (GeneratorPanel* p : GeneratorState.Panels) GeneratorPanel::PaintReadout(p->Image7, 4, 0, text, color);
}

void TForm1_fgen::ShowAmplitudeReadout() {
  const bool dc = GeneratorState.WaveShape == generator::kShapeDc;
  if (dc) GeneratorState.GenAmplitude = std::max(GeneratorState.GenAmplitude, 0.4);
  const std::string text =
      generator::AmplitudeReadoutText(GeneratorState.GenAmplitude, GeneratorState.PeakOffsetMode != 0, dc);
  for (GeneratorPanel* p : GeneratorState.Panels) {
    p->Label29->SetCaption(dc ? "Vp" : "Vpp");
    GeneratorPanel::PaintReadout(p->Image8, 2, 0, text, GeneratorPanel::kReadoutColor);
  }
}

void TForm1_fgen::ShowVrmsReadout() {
  const std::string text = generator::VrmsReadoutText(GeneratorState.GenAmplitude, GeneratorState.PeakOffsetMode != 0);
  for (GeneratorPanel* p : GeneratorState.Panels) GeneratorPanel::PaintReadout(p->Image2, 2, 0, text, GeneratorPanel::kReadoutColor);
}

// ---------------------------------------------------------------- apply

void TForm1_fgen::Timer8Timer(TObject* /*Sender*/) {
  Timer8->SetEnabled(false);
  for (GeneratorPanel* p : GeneratorState.Panels) {
    p->Panel13->SetVisible(false);
    p->Label36->SetVisible(false);
  }
  for (GeneratorPanel* p : GeneratorState.Panels) {
    p->Panel6->SetVisible(GeneratorState.WaveShape == generator::kShapeNoise);
    p->Panel7->SetVisible(GeneratorState.WaveShape == generator::kShapeSweep);
    p->Panel8->SetVisible(GeneratorState.WaveShape == generator::kShapeDc);
    if (GeneratorState.WaveShape == generator::kShapeSine) {
      p->Panel13->SetVisible(true);
      p->Label36->SetVisible(true);
    }
  }
  if (GeneratorState.WaveShape == generator::kShapeSine) ShowVrmsReadout();
  if (GeneratorState.WaveShape == generator::kShapeNone) GeneratorState.GenOutputOff = 1;

  ShowOffsetReadout();
  ShowAmplitudeReadout();
  ShowFrequencyReadout();

  if (GeneratorState.OffsetOnlyChange) {
    GeneratorState.SendBusy = 1;
    asetus();
    laske();
    WaitWhileSending();
    GeneratorState.OffsetOnlyChange = 0;
  } else {
    laske();
    WaitWhileSending();
  }
  if (GeneratorState.AutoOffsetMode) ShowOffsetReadout();
}

void TForm1_fgen::set_fg(double frequency, double offsetVolts, double amplitudeVpp) {
  Timer8->SetEnabled(false);
  if (std::isfinite(frequency)) GeneratorState.GenFrequency = std::clamp(frequency, GeneratorState.RangeMin, GeneratorState.RangeMax);
  GeneratorState.GenAmplitude = amplitudeVpp;
  // The offset byte saturates: a value beyond +-5 V must not wrap to the other sign.
  GeneratorState.OffsetDac = static_cast<std::uint8_t>(std::clamp(numeric::Round32(offsetVolts * 127 / 5, 0) + 127, 0, 255));
}

// ---------------------------------------------------------------- ranges

void TForm1_fgen::SpeedButton2Click(TObject*) { RangeClick(0); }
void TForm1_fgen::SpeedButton3Click(TObject*) { RangeClick(1); }
void TForm1_fgen::SpeedButton4Click(TObject*) { RangeClick(2); }
void TForm1_fgen::SpeedButton9Click(TObject*) { RangeClick(3); }
void TForm1_fgen::SpeedButton5Click(TObject*) { RangeClick(4); }
void TForm1_fgen::SpeedButton6Click(TObject*) { RangeClick(5); }
void TForm1_fgen::SpeedButton7Click(TObject*) { RangeClick(6); }
void TForm1_fgen::SpeedButton8Click(TObject*) { RangeClick(7); }

void TForm1_fgen::RangeClick(std::size_t index) {
  Timer8->SetEnabled(false);
  const generator::FrequencyRange& range = generator::FrequencyRanges.at(index);
  const bool top = index == generator::kTopRange;
  GeneratorState.RangeDecimals = range.Decimals;
  GeneratorState.RangeCode = range.Code;
  GeneratorState.RangeBits = range.Bits;
  GeneratorState.RangeMin = range.Min;
  GeneratorState.RangeMax = range.Max;
  GeneratorState.FreqUnitText = range.Unit;
  if (top) {
    if (GeneratorState.WaveShape == generator::kShapeSine) {
      GeneratorState.RangeMax = generator::kTopRangeSineMax;
    } else if (GeneratorState.GenFrequency > range.Max) {
      GeneratorState.GenFrequency = range.Max;
    }
  }

  GeneratorPanel* scope = ScopePanel();
  const int slider = scope ? scope->TrackBar4->Position() : generator::kFrequencySliderMax;
  GeneratorState.GenFrequency = generator::RescaleToRange(GeneratorState.GenFrequency, GeneratorState.RangeMin, GeneratorState.RangeMax, top, slider);
  const double chosen = GeneratorState.GenFrequency;
  SetFrequencySliders(generator::FrequencySliderPosition(GeneratorState.GenFrequency, GeneratorState.RangeMin, GeneratorState.RangeMax));
  // The top range keeps its frequency; the others take the slider's grid.
  if (top) GeneratorState.GenFrequency = chosen;

  Application->ProcessMessages();
  if (GeneratorState.WaveShape == generator::kShapeSweep) read_edit34();
  else Timer8Timer(this);
}

// ---------------------------------------------------------------- shapes

void TForm1_fgen::SpeedButton10Click(TObject*) { ShapeButtonClick(generator::kShapeSine); }
void TForm1_fgen::SpeedButton11Click(TObject*) { ShapeButtonClick(generator::kShapeSquare); }
void TForm1_fgen::SpeedButton12Click(TObject*) { ShapeButtonClick(generator::kShapeTriangle); }

void TForm1_fgen::ShapeButtonClick(std::int32_t shape) {
  GeneratorPanel* scope = ScopePanel();
  if (!scope) return;
  for (GeneratorPanel* p : GeneratorState.Panels)
    for (TControl* c : std::initializer_list<TControl*>{p->TrackBar5, p->Label23, p->Label24, p->Label25})
      c->SetVisible(shape == generator::kShapeSquare);

  TGrSpeedButton* button = scope->ShapeButtons()[static_cast<std::size_t>(shape - 1)];
  if (!button->Down()) {
    GeneratorState.GenOutputOff = 1;
    Disable();
    return;
  }
  if (BtnBottomDlg1_fgen) {
    BtnBottomDlg1_fgen->ReleaseAll();
    BtnBottomDlg1_fgen->Hide();
  }
  // The sweep's progress bar has nothing more to show.
  RunScopeSweepBar(false);
  for (GeneratorPanel* p : GeneratorState.Panels) p->TrackBar4->SetVisible(true);
  GeneratorState.GenOutputOff = 0;
  if (shape == generator::kShapeSquare) skew_count();
  else if (!GeneratorState.SineInBaseTable) sine_count();
  GeneratorState.WaveShape = shape;
  GeneratorState.FilterChoice = shape == generator::kShapeSquare ? 4 : 7;
  Timer8Timer(this);
}

void TForm1_fgen::SpeedButton1Click(TObject*) {
  GeneratorPanel* scope = ScopePanel();
  if (!scope) return;
  for (GeneratorPanel* p : GeneratorState.Panels)
    for (TControl* c : std::initializer_list<TControl*>{p->TrackBar5, p->Label23, p->Label24, p->Label25})
      c->SetVisible(false);
  const auto stopProgress = [] {
    RunScopeSweepBar(false);
  };
  if (scope->GrSpeedButton14->Down()) {
    if (BtnBottomDlg1_fgen) BtnBottomDlg1_fgen->Show();
    // A shape of the dialog comes back on when its button is still down.
    if (GeneratorState.WaveShape > generator::kShapeTriangle) {
      if (!BtnBottomDlg1_fgen) return;
      const auto buttons = BtnBottomDlg1_fgen->ShapeButtons();
      if (std::none_of(buttons.begin(), buttons.begin() + 5, [](TGrSpeedButton* b) { return b->Down(); })) return;
      GeneratorState.GenOutputOff = 0;
      if (GeneratorState.WaveShape == generator::kShapeSweep) RunScopeSweepBar(true);
      Timer8Timer(this);
      return;
    }
    stopProgress();
    GeneratorState.GenOutputOff = 1;
    Disable();
    return;
  }
  stopProgress();
  if (BtnBottomDlg1_fgen) BtnBottomDlg1_fgen->Hide();
  GeneratorState.GenOutputOff = 1;
  Disable();
}

// ---------------------------------------------------------------- sweep

void TForm1_fgen::read_edit34() {
  GeneratorPanel* from = PanelOf(nullptr);
  if (!from) return;
  GeneratorState.SweepRunning = 1;
  for (GeneratorPanel* p : GeneratorState.Panels) {
    p->StopSweep->SetDown(false);
    p->Bar1->SetPosition(0);
  }
  generator::SweepSettings sweep =
      generator::SanitizeSweep(from->Edit3->Text(), from->Edit4->Text(), from->Edit9->Text());
  const auto writeBack = [&] {
    for (GeneratorPanel* p : GeneratorState.Panels) {
      p->Edit3->SetText(generator::EntryText(sweep.StartHz));
      p->Edit4->SetText(generator::EntryText(sweep.StopHz));
      p->Edit9->SetText(generator::EntryText(sweep.TimeS));
    }
  };
  if (sweep.StopRaised) {
    // Shown with the entries as they were read, then the stop is raised.
    for (GeneratorPanel* p : GeneratorState.Panels) {
      p->Edit3->SetText(generator::EntryText(sweep.StartHz));
      p->Edit9->SetText(generator::EntryText(sweep.TimeS));
    }
    MessageDlg(kSweepOrderText, mtInformation, mbOK, 0);
  }
  writeBack();
  GeneratorState.SweepStartHz = sweep.StartHz;
  GeneratorState.SweepStopHz = sweep.StopHz;
  GeneratorState.SweepTime = sweep.TimeS;
  GeneratorState.SweepLog = from->Log->Checked() ? 1 : 0;
  GeneratorState.FilterChoice = generator::SweepFilter(GeneratorState.SweepStartHz, GeneratorState.SweepStopHz);
  Timer8Timer(this);
  RunScopeSweepBar(true);
}

// ---------------------------------------------------------------- sliders

void TForm1_fgen::TrackBar1Change(TObject* /*Sender*/) {
  if (engine::BodeSweepRunning(ScopeState.OtherInstruments)) return;
  GeneratorPanel* scope = ScopePanel();
  if (!scope) return;
  const bool fine = GeneratorState.WaveShape == generator::kShapeSine && GeneratorState.RangeCode == 8;
  GeneratorState.GenFrequency = generator::SliderFrequency(scope->TrackBar4->Position(), GeneratorState.RangeMin, GeneratorState.RangeMax, fine);
  ShowFrequencyReadout();
  RestartApplyTimer();
}

void TForm1_fgen::TrackBar2Change(TObject* Sender) {
  GeneratorPanel* from = PanelOf(Sender);
  if (!from) return;
  GeneratorState.OffsetDac = static_cast<std::uint8_t>(255 - from->TrackBar6->Position());
  ShowOffsetReadout();
  GeneratorState.OffsetOnlyChange = 1;
  RestartApplyTimer();
}

void TForm1_fgen::TrackBar3Change(TObject* Sender) {
  GeneratorPanel* from = PanelOf(Sender);
  if (!from) return;
  GeneratorState.GenAmplitude = generator::SliderAmplitude(from->TrackBar7->Position());
  ShowAmplitudeReadout();
  if (GeneratorState.WaveShape == generator::kShapeSine) ShowVrmsReadout();
  RestartApplyTimer();
}

void TForm1_fgen::TrackBar4Change(TObject* Sender) {
  GeneratorPanel* from = PanelOf(Sender);
  if (!from) return;
  GeneratorState.DutyCycle = from->TrackBar5->Position();
  for (GeneratorPanel* p : GeneratorState.Panels) p->Label23->SetCaption(std::to_string(GeneratorState.DutyCycle));
  RestartApplyTimer();
}

// ---------------------------------------------------------------- entries

void TForm1_fgen::CloseEntries() {
  for (GeneratorPanel* p : GeneratorState.Panels) {
    for (TControl* c : std::initializer_list<TControl*>{p->Edit1, p->Edit5, p->Edit6, p->Edit7, p->Edit8})
      c->SetVisible(false);
    p->Image5->SetVisible(GeneratorState.FreqReadoutVisible);
  }
}

void TForm1_fgen::Image5Click(TObject* Sender) {
  if (GeneratorState.WaveShape == generator::kShapeNoise || GeneratorState.WaveShape == generator::kShapeSweep || GeneratorState.WaveShape == generator::kShapePoints) return;
  GeneratorPanel* from = PanelOf(Sender);
  const std::string text = generator::EntryText(numeric::Round(GeneratorState.GenFrequency * 10000) / 10000.0);
  for (GeneratorPanel* p : GeneratorState.Panels) {
    p->Edit1->SetText(text);
    p->Edit5->SetText(GeneratorState.FreqUnitText);
    p->Edit1->SetVisible(true);
    p->Edit5->SetVisible(true);
    p->Edit1->BringToFront();
    p->Edit5->BringToFront();
  }
  if (from) from->Edit1->SetFocus();
}

void TForm1_fgen::Edit1KeyDown(TObject* Sender, unsigned short& Key, TShiftState /*Shift*/) {
  if (Key != VK_RETURN) return;
  GeneratorPanel* from = PanelOf(Sender);
  if (!from) return;
  const std::optional<double> v = generator::ParseEntryNumber(from->Edit1->Text());
  if (v && *v >= GeneratorState.RangeMin - 1e-9 && *v <= GeneratorState.RangeMax) {
    GeneratorState.GenFrequency = *v;
    HoldFrequencyOnSliders();
    ShowFrequencyReadout();
    CloseEntries();
    Timer8Timer(this);
    return;
  }
  CloseEntries();
}

void TForm1_fgen::Image7Click(TObject* Sender) {
  if (GeneratorState.AutoOffsetMode) return;
  GeneratorPanel* from = PanelOf(Sender);
  if (!from) return;
  from->Edit6->SetText(generator::FixedText((GeneratorState.OffsetDac - 127) * 5 / 127.0, 0, 2));
  from->Edit6->SetVisible(true);
  from->Edit6->BringToFront();
  from->Edit6->SetFocus();
}

void TForm1_fgen::Edit5KeyDown(TObject* Sender, unsigned short& Key, TShiftState /*Shift*/) {
  if (Key != VK_RETURN) return;
  GeneratorPanel* from = PanelOf(Sender);
  if (!from) return;
  if (const std::optional<double> v = generator::ParseEntryNumber(from->Edit6->Text())) {
    GeneratorState.OffsetDac = generator::OffsetDacFromVolts(*v);
    const std::uint8_t typed = GeneratorState.OffsetDac;
    for (GeneratorPanel* p : GeneratorState.Panels) p->TrackBar6->SetPosition(255 - typed);
    GeneratorState.OffsetDac = typed;
    ShowOffsetReadout();
    GeneratorState.OffsetOnlyChange = 1;
    RestartApplyTimer();
  }
  CloseEntries();
}

void TForm1_fgen::Image8Click(TObject* Sender) {
  GeneratorPanel* from = PanelOf(Sender);
  if (!from) return;
  const bool peak = GeneratorState.WaveShape == generator::kShapeDc || GeneratorState.PeakOffsetMode;
  from->Edit7->SetText(
      generator::FixedText(peak ? GeneratorState.GenAmplitude / 2 : GeneratorState.GenAmplitude, 0, 2));
  from->Edit7->SetVisible(true);
  from->Edit7->BringToFront();
  from->Edit7->SetFocus();
}

void TForm1_fgen::AmplitudeEntered(double amplitude) {
  GeneratorState.GenAmplitude = amplitude;
  for (GeneratorPanel* p : GeneratorState.Panels)
    p->TrackBar7->SetPosition(generator::AmplitudeSliderPosition(amplitude));
  // The typed amplitude stands; the slider only shows where it lies.
  GeneratorState.GenAmplitude = amplitude;
  ShowAmplitudeReadout();
  if (GeneratorState.WaveShape == generator::kShapeSine) ShowVrmsReadout();
  RestartApplyTimer();
}

void TForm1_fgen::Edit6KeyDown(TObject* Sender, unsigned short& Key, TShiftState /*Shift*/) {
  if (Key != VK_RETURN) return;
  GeneratorPanel* from = PanelOf(Sender);
  if (!from) return;
  if (const std::optional<double> v = generator::ParseEntryNumber(from->Edit7->Text()))
    AmplitudeEntered(generator::AmplitudeFromEntry(*v, GeneratorState.WaveShape == generator::kShapeDc,
                                                   GeneratorState.PeakOffsetMode != 0));
  CloseEntries();
}

void TForm1_fgen::Image1Click(TObject* Sender) {
  GeneratorPanel* from = PanelOf(Sender);
  if (!from) return;
  from->Edit8->SetText(generator::VrmsReadoutText(GeneratorState.GenAmplitude, false));
  from->Edit8->SetVisible(true);
  from->Edit8->BringToFront();
  from->Edit8->SetFocus();
}

void TForm1_fgen::Edit8KeyDown(TObject* Sender, unsigned short& Key, TShiftState /*Shift*/) {
  if (Key != VK_RETURN) return;
  GeneratorPanel* from = PanelOf(Sender);
  if (!from) return;
  if (const std::optional<double> v = generator::ParseEntryNumber(from->Edit8->Text()))
    AmplitudeEntered(generator::AmplitudeFromVrms(*v));
  CloseEntries();
}

void TForm1_fgen::Edit3KeyDown(TObject*, unsigned short& Key, TShiftState) {
  if (Key == VK_RETURN) read_edit34();
}
void TForm1_fgen::Edit4KeyDown(TObject*, unsigned short& Key, TShiftState) {
  if (Key == VK_RETURN) read_edit34();
}
void TForm1_fgen::Edit9KeyDown(TObject*, unsigned short& Key, TShiftState) {
  if (Key == VK_RETURN) read_edit34();
}
