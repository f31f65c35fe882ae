// The links between the instruments. The scope window sits under the
// generator, the recorder and the Bode plotter and knows none of them; what
// it needs of them (moving to another instrument, their keys in its settings
// files, the generator panel on its window) it asks through
// the engine::InstrumentLinks its state holds. The three stand side by side
// and know none of each other: the Bode sweep drives the generator through
// the bode::SweepGenerator in the Bode state, and the generator keeps the
// plotter's settings and opens it through the generator::PlotterLink in its
// state. All are filled in here.
#include "app/instruments.h"

#include <initializer_list>
#include <iterator>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/instrument_settings.h"
#include "app/windows.h"
#include "bode/bode_plot.h"
#include "bode/bode_rules.h"
#include "bode/bode_state.h"
#include "bode/frequency_step_dialog.h"
#include "bode/sweep_generator.h"
#include "engine/add_text.h"
#include "engine/instrument_links.h"
#include "engine/acquisition/acquisition_controller.h"
#include "engine/markers/markers_host.h"
#include "engine/scope_window.h"
#include "engine/scope_states.h"
#include "engine/measurement_window.h"
#include "engine/notice_dialogs.h"
#include "engine/scope_state.h"
#include "engine/startup.h"
#include "generator/generator_form.h"
#include "generator/generator_panel.h"
#include "generator/generator_state.h"
#include "generator/plotter_link.h"
#include "platform/ini/ini_file.h"
#include "recorder/add_text_rec.h"
#include "recorder/recorder_form.h"
#include "recorder/recorder_state.h"

namespace {

// The scope hands the device to the recorder: the recorder takes its own
// settings to the device and the scope window's place, and shows.
void OpenRecorder(engine::ScopeWindow& scope) {
  if (!Form1_rec) return;
  TForm1_rec& rec = *Form1_rec;
  engine::ScopeSharedState& ScopeState = scope.States().ScopeState;
  scope.BitViewButton()->SetDown(false);
  scope.GrSpeedButton15Click(&scope.Window());
  ScopeState.CaptureCount = 0;
  scope.Acquisition().StopAndSettle();

  // Hardware Setup chose demo mode since the recorder last showed.
  if (scope.RecorderDemoChange()) {
    rec.TrackBar1Change(&rec);
    rec.TrackBar2Change(&rec);
    rec.RecClearPending = 1;
    rec.putsataanko();
    scope.RecorderDemoChange() = 0;
  }
  rec.RecorderState.SavedTimeBaseCode = ScopeState.Settings.TimeBaseCode;
  rec.RecorderState.SavedTriggerOff = ScopeState.Settings.TriggerOff;

  // The recorder's pressed buttons send its settings to the device.
  for (int channel = 1; channel <= 2; ++channel) {
    const auto& buttons = channel == 1 ? rec.Ch1RangeButtons : rec.Ch2RangeButtons;
    for (std::size_t row = 0; row < buttons.size(); ++row)
      if (buttons[row] && buttons[row]->Down()) rec.RangeStepClick(channel, row);
  }
  struct Coupling {
    TGrSpeedButton* TForm1_rec::*Button;
    void (TForm1_rec::*Handler)(TObject*);
  };
  static constexpr Coupling kCouplings[] = {
      {&TForm1_rec::SpeedButton_ac1, &TForm1_rec::SpeedButton_ac1Click},
      {&TForm1_rec::SpeedButton__ac2, &TForm1_rec::SpeedButton__ac2Click},
      {&TForm1_rec::SpeedButton_dc1, &TForm1_rec::SpeedButton_dc1Click},
      {&TForm1_rec::SpeedButton_dc2, &TForm1_rec::SpeedButton_dc2Click},
      {&TForm1_rec::SpeedButton_gnd1, &TForm1_rec::SpeedButton_gnd1Click},
      {&TForm1_rec::SpeedButton_gnd2, &TForm1_rec::SpeedButton_gnd2Click}};
  for (const Coupling& c : kCouplings)
    if (TGrSpeedButton* b = rec.*c.Button; b && b->Down()) (rec.*c.Handler)(&rec);

  rec.SetBounds(scope.Window().Left(), scope.Window().Top(), scope.Window().Width(), scope.Window().Height());
  // A Bode sweep stops when the recorder takes the device.
  if (Bode_plot) Bode_plot->LeavePlotter();
  rec.RecorderState.InstrumentSwitch = 0;

  if (rec.LabelCh1) rec.LabelCh1->Font().Color = rec.RecorderState.RecCh1Color;
  if (rec.LabelCh2) rec.LabelCh2->Font().Color = rec.RecorderState.RecCh2Color;
  if (rec.LabelCh1) rec.LabelCh1->FontChanged();
  if (rec.LabelCh2) rec.LabelCh2->FontChanged();
  // The handler turns the check back and applies it.
  rec.BrightGrid1->SetChecked(rec.RecorderState.RecBrightGrid == 0);
  rec.BrightGrid1Click(&rec);

  rec.SpeedButton6->SetDown(true);
  rec.Show();
  scope.Window().Hide();
  if (Form_9) Form_9->Hide();
  if (Form_99) {
    scope.MarkerItems().MoreData1->SetChecked(Form_99->Visible());
    Form_99->Hide();
  }
  if (ScopeState.DemoMode && !scope.RecorderDemoReady()) {
    rec.tee_demo_taulut();
    scope.RecorderDemoReady() = 1;
  }
}

// "Circuit Analyzer": the Bode plotter comes up, with its wiring note until
// the user declines it.
void OpenBodePlotter(engine::ScopeWindow&, bode::BodeSharedState& BodeState) {
  if (Bode_plot) Bode_plot->ShowPlotter();
  if (Form_9) Form_9->Hide();
  if (BodeState.Bodehelp && OKBottomDlg) {
    OKBottomDlg->ShowModal();
    BodeState.Bodehelp = OKBottomDlg->CheckBox1->Checked() ? 0 : 1;
  }
}

void LinkGenerator(engine::InstrumentLinks& links) {
  links.MakeGeneratorPanel = [](const engine::InstrumentLinks::PanelPlace& place) {
    GeneratorPanel::Options options;
    options.ScopeWindow = place.ScopeWindow;
    options.OptionsMenu = place.OptionsMenu;
    options.ToolsMenu = place.ToolsMenu;
    return new GeneratorPanel(place.Owner, place.Parent, place.Left, place.Top, options, CreatedGeneratorState());
  };
  links.StepSweepProgress = [] { GeneratorPanel::StepSweepProgress(CreatedGeneratorState()); };
  links.ServeGeneratorMailbox = [](engine::ScopeWindow& scope) { generator::ServeGeneratorMailbox(scope, CreatedGeneratorState()); };
  links.GeneratorStartValues = [] {
    CreatedGeneratorState().GeneratorActive = 1;
    CreatedGeneratorState().SweepRunning = 1;
  };
  links.ActivateGenerator = [] { CreatedGeneratorState().GeneratorActive = 1; };
  links.SetGeneratorHardware = [](bool device) { CreatedGeneratorState().GeneratorHardware = device ? 10 : 0; };
  links.GeneratorOnDevice = [] { return CreatedGeneratorState().GeneratorHardware == 10; };
  links.GeneratorOutputOff = [] {
    if (Form1_fgen) Form1_fgen->Disable();
  };
  links.TellIfGeneratorSettingsUnusable = [] {
    if (Form1_fgen && Form1_fgen->GeneratorIni) engine::TellIfUnusable(CreatedScopeStates().Scope, *Form1_fgen->GeneratorIni);
  };
  links.GeneratorMayClose = [] {
    return !(CreatedGeneratorState().GeneratorActive && Form1_fgen) || Form1_fgen->WaveEditorMayClose();
  };
  // The generator writes its own settings as its window closes.
  links.CloseGenerator = [] {
    if (!(CreatedGeneratorState().GeneratorActive && Form1_fgen)) return true;
    Form1_fgen->Close();
    return CreatedGeneratorState().WaveEditorCanClose != 0;
  };
}

void LinkRecorder(engine::InstrumentLinks& links, recorder::RecorderSharedState& state) {
  links.OpenRecorder = OpenRecorder;
  links.RecorderExists = [] { return Form1_rec != nullptr; };
  links.RecorderShown = [] { return Form1_rec && Form1_rec->Visible(); };
  links.RecorderToScope = [] {
    if (Form1_rec) Form1_rec->SpeedButton5Click(Form1_rec);
  };
  links.RecorderToSpectrum = [] {
    if (!Form1_rec) return;
    Form1_rec->RecClearPending = 1;
    Form1_rec->SpeedButton7Click(Form1_rec);
  };
  links.RecorderTextEditor = []() -> TForm* { return Form_9rec; };
  // The recorder takes the colours (and its own variant of a preset).
  links.RecorderTakesScreenColors = [&state](TObject* sender) {
    if (Form1_rec) Form1_rec->Colors2Click(sender);
    else recorder::CopyScreenColorsFromScope(state, CreatedScopeStates().Display);
  };
  links.RecorderStartColors = [&state] {
    recorder::CopyScreenColorsFromScope(state, CreatedScopeStates().Display);
    if (!Form1_rec) return;
    Form1_rec->RecClearPending = 1;
    Form1_rec->putsataanko();
  };
  // The recorder's buttons have names of their own.
  links.RecorderProbeCaptions = [](int channel, bool x10) {
    if (Form1_rec) Form1_rec->ShowProbeCaptions(channel, x10);
  };
  // Its handler comes back to the scope with the same position.
  links.RecorderPositionFollows = [](int channel, int position) {
    if (Form1_rec) (channel == 1 ? Form1_rec->TrackBar1 : Form1_rec->TrackBar2)->SetPosition(position);
  };
  links.RecorderBrightGrid = &state.RecBrightGrid;
}

void LinkBodePlotter(engine::InstrumentLinks& links, bode::BodeSharedState& BodeState) {
  links.OpenBodePlotter = [&BodeState](engine::ScopeWindow& scope) { OpenBodePlotter(scope, BodeState); };
  links.BodeRangeCaption = [](std::size_t row, const char* caption) {
    if (!Bode_plot) return;
    if (TRadioButton* radio = Bode_plot->RangeRadios()[row]) radio->SetCaption(caption);
  };
  links.BodeRangeChosen = [&BodeState](std::optional<std::size_t> row) {
    if (!Bode_plot) return;
    if (row)
      if (TRadioButton* radio = Bode_plot->RangeRadios()[*row]) radio->SetChecked(true);
    if (!BodeState.BodeAutoScaleActive) Bode_plot->draw();
  };
  links.StopBodeSweep = [&BodeState] { BodeState.BodeStopFlag = 1; };
  links.BodeSweepRunning = [&BodeState] { return BodeState.BodeSweepRunning != 0; };
  links.BodeNoScope = &BodeState.NoScope;
  links.Bodehelp = &BodeState.Bodehelp;
  links.Phasehelp = &BodeState.Phasehelp;
}

// The Bode sweep drives the generator through the scope window's panel (the
// one whose buttons lead) and the generator's own operations.
void LinkSweepGenerator(bode::SweepGenerator& sweep) {
  sweep.Present = [] { return Form1_fgen != nullptr; };
  sweep.EnableControls = [](bool enabled) {
    GeneratorPanel* p = ScopeGeneratorPanel();
    if (!p) return;
    for (TControl* c : std::initializer_list<TControl*>{p->FrequencyBox, p->OutputBox, p->TrackBar4, p->TrackBar5,
                                                        p->TrackBar6, p->TrackBar7})
      if (c) c->SetEnabled(enabled);
    for (TGrSpeedButton* b : p->RangeButtons())
      if (b) b->SetEnabled(enabled);
    for (TGrSpeedButton* b : p->ShapeButtons())
      if (b) b->SetEnabled(enabled);
  };
  sweep.PressRange = [](std::size_t index) {
    if (GeneratorPanel* p = ScopeGeneratorPanel()) p->RangeButtonClick(index);
    else if (Form1_fgen) Form1_fgen->RangeClick(index);
  };
  sweep.SetFrequencySlider = [](int position) {
    if (GeneratorPanel* p = ScopeGeneratorPanel()) p->TrackBar4->SetPosition(position);
  };
  sweep.ShowText = [](const std::string& text) {
    for (GeneratorPanel* p : CreatedGeneratorState().Panels) {
      GeneratorPanel::PaintReadout(p->Image9, 10, 5, text, GeneratorPanel::kReadoutColor);
      p->Image9->SetVisible(true);
    }
  };
  sweep.SetFrequencyReadout = [](bool visible) { CreatedGeneratorState().FreqReadoutVisible = visible ? 1 : 0; };
  sweep.ShowReadouts = [] {
    for (GeneratorPanel* p : CreatedGeneratorState().Panels) p->Image9->SetVisible(true);
  };
  sweep.PressSine = [] {
    if (GeneratorPanel* p = ScopeGeneratorPanel()) {
      p->GrSpeedButton11->SetDown(true);
      p->GrSpeedButton11Click(p->GrSpeedButton11);
    }
  };
  sweep.SetFrequency = [](double frequency) { CreatedGeneratorState().GenFrequency = frequency; };
  sweep.SelectSine = [] { CreatedGeneratorState().WaveShape = generator::kShapeSine; };
  sweep.EnterBand = [](int filterChoice) {
    CreatedGeneratorState().FilterChoice = filterChoice;
    Form1_fgen->sine_count();
  };
  sweep.Apply = [] { Form1_fgen->Timer8Timer(nullptr); };
  sweep.OutputDc = [](int step) {
    if (step == 0) Form1_fgen->dcn_count();
    else Form1_fgen->dcp_count();
    CreatedGeneratorState().WaveShape = generator::kShapeDc;
    Form1_fgen->Timer8Timer(nullptr);
  };
  sweep.Amplitude = [] { return CreatedGeneratorState().GenAmplitude; };
  sweep.ResetFilter = [] { CreatedGeneratorState().FilterChoice = 7; };
}

// The Bode plotter's part of the generator's settings file and menu.
void LinkPlotterToGenerator(generator::PlotterLink& plotter, bode::BodeSharedState& BodeState) {
  static constexpr const char* kTraceKeys[] = {"Trace_1", "Trace_2", "Trace_3", "Trace_4", "Trace_5"};
  plotter.Window = []() -> TForm* { return Bode_plot; };
  plotter.ListedOctaveStep = [] { return OKRightDlg_2 ? OKRightDlg_2->ComboBox1->ItemIndex() : 0; };
  plotter.OctaveStepInUse = [] {
    const bool octave = Bode_plot && Bode_plot->CheckBox4->Checked() && OKRightDlg_2;
    return octave ? OKRightDlg_2->ComboBox1->ItemIndex() : 0;
  };
  plotter.ReadColours = [&BodeState](TIniFile& ini) {
    BodeState.BodeBackgroundColor = ReadColourEntry(ini, "Background", BodeState.BodeBackgroundColor);
    BodeState.BodeGridColor = ReadColourEntry(ini, "Grid", BodeState.BodeGridColor);
    BodeState.BodeTextColor = ReadColourEntry(ini, "Text", BodeState.BodeTextColor);
    BodeState.BodeTraceColor = ReadColourEntry(ini, "Trace", BodeState.BodeTraceColor);
    BodeState.BodeBorderColor = ReadColourEntry(ini, "Border", BodeState.BodeBorderColor);
    BodeState.BodeFreqMarkerColor = ReadColourEntry(ini, "F_Marker", BodeState.BodeFreqMarkerColor);
    BodeState.BodeLevelMarkerColor = ReadColourEntry(ini, "V_Marker", BodeState.BodeLevelMarkerColor);
    for (std::size_t i = 0; i < std::size(kTraceKeys); ++i)
      BodeState.BodeTraceColors[i] = ReadColourEntry(ini, kTraceKeys[i], bode::kDefaultBodeTraceColors[i]);
  };
  plotter.Colours = [&BodeState] {
    std::vector<std::pair<const char*, std::uint32_t>> colours = {
        {"Background", BodeState.BodeBackgroundColor}, {"Grid", BodeState.BodeGridColor},
        {"Text", BodeState.BodeTextColor},             {"Trace", BodeState.BodeTraceColor},
        {"Border", BodeState.BodeBorderColor},         {"F_Marker", BodeState.BodeFreqMarkerColor},
        {"V_Marker", BodeState.BodeLevelMarkerColor}};
    for (std::size_t i = 0; i < std::size(kTraceKeys); ++i) colours.emplace_back(kTraceKeys[i], BodeState.BodeTraceColors[i]);
    return colours;
  };
  plotter.SettingsRead = [&BodeState](int octaveStep) {
    if (!Bode_plot) return;
    Bode_plot->DerivePens();
    Bode_plot->draw();
    // A fractional-octave step: the octave box takes its caption and check.
    if (octaveStep > 0) {
      BodeState.BodeOctaveRatio = bode::OctaveRatioOfItem(octaveStep);
      Bode_plot->CheckBox1->SetChecked(false);
      Bode_plot->CheckBox4->SetCaption(bode::OctaveBoxCaption(octaveStep));
      Bode_plot->CheckBox4->SetEnabled(true);
      if (Bode_plot->CheckBox4->Checked()) Bode_plot->CheckBox4Click(Bode_plot->CheckBox4);
      else Bode_plot->CheckBox4->SetChecked(true);
    }
  };
  plotter.Show = [] {
    if (!Bode_plot) return;
    Bode_plot->tekstit();
    Bode_plot->ShowPlotter();
  };
  plotter.Close = [] {
    if (Bode_plot) Bode_plot->Close();
  };
}

}  // namespace

void LinkInstruments(engine::ScopeSharedState& scopeState, bode::BodeSharedState& bodeState,
                     recorder::RecorderSharedState& recorderState, generator::GeneratorSharedState& generatorState) {
  engine::InstrumentLinks& links = scopeState.OtherInstruments;
  LinkGenerator(links);
  LinkRecorder(links, recorderState);
  LinkBodePlotter(links, bodeState);
  links.AddSettingsKeys = AddInstrumentSettingsKeys;
  LinkSweepGenerator(bodeState.Generator);
  LinkPlotterToGenerator(generatorState.Plotter, bodeState);
}
