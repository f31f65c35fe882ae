// The generator panel: its layout, and the glue from its controls to the
// generator engine with the mirror onto the other panels.
#include "generator/generator_panel.h"

#include <algorithm>
#include <map>
#include <memory>
#include <utility>

#include "engine/acquisition/acquisition_controller.h"
#include "engine/front_panel.h"
#include "engine/front_panel/front_panel_controller.h"
#include "engine/scope_window.h"
#include "engine/scope_state.h"
#include "generator/fine_tune.h"
#include "generator/generator_form.h"
#include "generator/generator_state.h"
#include "generator/more_functions.h"
#include "generator/panel_rules.h"
#include "generator/plotter_link.h"
#include "generator/wave_editor.h"
#include "generator/wave_sequence.h"
#include "widgets/control_maker.h"

namespace {

constexpr int kGenRangeW = 52;
constexpr int kGenRowStep = 24;

// Set while one panel copies its state onto the others: their handlers then
// leave the engine alone, since the panel that started it calls it once.
int mirroring = 0;

struct MirrorScope {
  MirrorScope() { ++mirroring; }
  ~MirrorScope() { --mirroring; }
};


}  // namespace

GeneratorPanel::GeneratorPanel(TForm* owner, TWinControl* parent, int left, int top, Options options,
                               generator::GeneratorSharedState& state)
    : TComponent(owner), GeneratorState(state), owner_(owner), options_(options) {
  Name = "GeneratorControls";
  Build(parent, left, top);
  BuildMenus();
  BindHandlers();
  GeneratorState.Panels.push_back(this);
}

GeneratorPanel::~GeneratorPanel() { std::erase(GeneratorState.Panels, this); }

GeneratorPanel* LeadingGeneratorPanel(const generator::GeneratorSharedState& state) {
  for (GeneratorPanel* p : state.Panels)
    if (p->ScopeWindow()) return p;
  return state.Panels.empty() ? nullptr : state.Panels.front();
}

GeneratorPanel* ScopeGeneratorPanel() {
  engine::ScopeWindow* scope = engine::TheScopeWindow();
  return scope ? scope->Generator() : nullptr;
}

void RunScopeSweepBar(bool on) {
  engine::ScopeWindow* scope = engine::TheScopeWindow();
  if (scope && scope->SweepBarTimer()) scope->SweepBarTimer()->SetEnabled(on);
}

void GeneratorPanel::Build(TWinControl* parent, int left, int top) {
  ControlMaker make(owner_);

  // Ranges: two rows of four, top range first.
  RangeBox = make.Group(parent, "GeneratorRangeBox", "Frequency Range", left, top, 230, 84);
  TGrSpeedButton** rangeSlots[8] = {&GrSpeedButton3, &GrSpeedButton4, &GrSpeedButton5, &GrSpeedButton6,
                                    &GrSpeedButton7, &GrSpeedButton8, &GrSpeedButton9, &GrSpeedButton10};
  for (std::size_t i = 0; i < generator::FrequencyRanges.size(); ++i) {
    const auto& row = generator::FrequencyRanges[i];
    const int col = static_cast<int>(i % 4), line = static_cast<int>(i / 4);
    *rangeSlots[i] = make.Button(RangeBox, row.Button, row.Caption, 31, 8 + col * (kGenRangeW + 2),
                                 20 + line * kGenRowStep * 3 / 2, kGenRangeW);
  }
  GrSpeedButton6->SetDown(true);

  // Shapes and Probe Test.
  ShapeBox = make.Group(parent, "GeneratorShapeBox", "Waveform", left, top + 90, 230, 86);
  const char* shapeNames[4] = {"GrSpeedButton11", "GrSpeedButton12", "GrSpeedButton13", "GrSpeedButton14"};
  const char* shapeCaptions[4] = {"Sine", "Square", "Triangle", "More"};
  TGrSpeedButton** shapeSlots[4] = {&GrSpeedButton11, &GrSpeedButton12, &GrSpeedButton13, &GrSpeedButton14};
  for (int i = 0; i < 4; ++i) {
    *shapeSlots[i] = make.Button(ShapeBox, shapeNames[i], shapeCaptions[i], 3, 8 + i * (kGenRangeW + 2), 20, kGenRangeW);
    (*shapeSlots[i])->SetAllowAllUp(true);
  }
  if (options_.ScopeWindow) GrSpeedButton2 = make.Button(ShapeBox, "GrSpeedButton2", "Probe Test", 0, 8, 52, 106);

  // Frequency: read-out (the entry opens in its place), slider, duty.
  FrequencyBox = make.Group(parent, "GeneratorFrequencyBox", "Frequency", left + 236, top, 300, 176);
  Image5 = make.Image(FrequencyBox, "Image5", 8, 18, 200, 26);
  Image9 = make.Image(FrequencyBox, "Image9", 8, 18, 200, 26);
  Image9->SetVisible(false);
  Edit1 = make.Edit(FrequencyBox, "Edit1", "", 8, 20, 110);
  Edit5 = make.Edit(FrequencyBox, "Edit5", "", 120, 20, 80);
  Edit5->SetEnabled(false);
  Edit1->SetVisible(false);
  Edit5->SetVisible(false);
  TrackBar4 = make.Bar(FrequencyBox, "TrackBar4", trHorizontal, 8, 50, 284, 32, 0, generator::kFrequencySliderMax,
                       generator::kFrequencySliderMax);
  TrackBar4->SetFrequency(10);
  TrackBar4->SetPageSize(10);
  Label25 = make.Label(FrequencyBox, "Label25", "Duty cycle ", 8, 96);
  Label23 = make.Label(FrequencyBox, "Label23", "50", 80, 96);
  Label24 = make.Label(FrequencyBox, "Label24", "%", 104, 96);
  TrackBar5 = make.Bar(FrequencyBox, "TrackBar5", trHorizontal, 8, 114, 284, 32, 10, 90, 50);
  TrackBar5->SetFrequency(10);
  for (TControl* c : std::initializer_list<TControl*>{Label25, Label23, Label24, TrackBar5}) c->SetVisible(false);

  // Output: offset and amplitude sliders with their read-outs, VRMS.
  OutputBox = make.Group(parent, "GeneratorOutputBox", "Output", left + 542, top, 250, 176);
  make.Label(OutputBox, "GeneratorOffsetLabel", "Offset", 44, 18);
  // The offset DAC is 255 - position: 0 V (DAC 127) sits at 128.
  TrackBar6 = make.Bar(OutputBox, "TrackBar6", trVertical, 6, 16, 32, 154, 0, 255, 128);
  TrackBar6->SetFrequency(128);  // a tick at 0 V
  TrackBar6->SetPageSize(16);
  Image7 = make.Image(OutputBox, "Image7", 44, 36, 60, 18);
  Edit6 = make.Edit(OutputBox, "Edit6", "", 44, 34, 60);
  Edit6->SetVisible(false);
  make.Label(OutputBox, "GeneratorOffsetUnit", "V", 108, 38);
  make.Label(OutputBox, "GeneratorAmplitudeLabel", "Amplitude", 160, 18);
  TrackBar7 = make.Bar(OutputBox, "TrackBar7", trVertical, 122, 16, 32, 154, 0, 99, 49);
  TrackBar7->SetFrequency(10);
  TrackBar7->SetPageSize(10);
  Image8 = make.Image(OutputBox, "Image8", 160, 36, 50, 18);
  Edit7 = make.Edit(OutputBox, "Edit7", "", 160, 34, 50);
  Edit7->SetVisible(false);
  Label29 = make.Label(OutputBox, "Label29", "Vpp", 214, 38);
  Panel13 = make.Panel(OutputBox, "Panel13", 158, 70, 88, 44);
  Label36 = make.Label(Panel13, "Label36", "VRMS", 2, 2);
  Image2 = make.Image(Panel13, "Image2", 2, 20, 50, 18);
  Edit8 = make.Edit(Panel13, "Edit8", "", 2, 18, 50);
  Edit8->SetVisible(false);
  Panel13->SetVisible(false);
  Label36->SetVisible(false);

  // The preview.
  PreviewBox = make.Group(parent, "GeneratorPreviewBox", "Preview", left + 798, top, 212, 176);
  Image6 = make.Image(PreviewBox, "Image6", 8, 20, kPreviewWidth, kPreviewHeight);

  // Sweep, noise and DC take turns in one place.
  ModeBox = make.Group(parent, "GeneratorModeBox", "", left + 1016, top, kWidth - 1016, 176);
  const int modeW = kWidth - 1016 - 12;
  Panel7 = make.Panel(ModeBox, "Panel7", 6, 14, modeW, 158);
  make.Label(Panel7, "GeneratorSweepStartLabel", "Start (Hz)", 0, 4);
  Edit3 = make.Edit(Panel7, "Edit3", "1000", 70, 0, 80);
  make.Label(Panel7, "GeneratorSweepStopLabel", "Stop (Hz)", 0, 30);
  Edit4 = make.Edit(Panel7, "Edit4", "10000", 70, 26, 80);
  make.Label(Panel7, "GeneratorSweepTimeLabel", "Time (s)", 0, 56);
  Edit9 = make.Edit(Panel7, "Edit9", "10", 70, 52, 80);
  Lin = new TRadioButton(owner_);
  Lin->Name = "Lin";
  Lin->SetParent(Panel7);
  Lin->SetBounds(156, 2, 52, 20);
  Lin->SetCaption("Lin");
  Lin->SetChecked(true);
  Log = new TRadioButton(owner_);
  Log->Name = "Log";
  Log->SetParent(Panel7);
  Log->SetBounds(156, 28, 52, 20);
  Log->SetCaption("Log");
  StartSweep = new TButton(owner_);
  StartSweep->Name = "StartSweep";
  StartSweep->SetParent(Panel7);
  StartSweep->SetBounds(0, 80, 100, 24);
  StartSweep->SetCaption("Start Sweep");
  StopSweep = make.Button(Panel7, "StopSweep", "Stop Sweep", 41, 106, 80, 100);
  StopSweep->SetAllowAllUp(true);
  Bar1 = new TProgressBar(owner_);
  Bar1->Name = "Bar1";
  Bar1->SetParent(Panel7);
  Bar1->SetBounds(0, 112, modeW, 16);
  Bar1->SetMin(0);
  Bar1->SetMax(14);
  Panel7->SetVisible(false);

  Panel6 = make.Panel(ModeBox, "Panel6", 6, 14, modeW, 158);
  make.Label(Panel6, "GeneratorNoiseLabel1", "Noise frequency range", 0, 20);
  make.Label(Panel6, "GeneratorNoiseLabel2", "0 Hz to 25 MHz", 0, 40);
  Panel6->SetVisible(false);
  Panel8 = make.Panel(ModeBox, "Panel8", 6, 14, modeW, 158);
  make.Label(Panel8, "GeneratorDcLabel", "DC", 0, 20);
  Panel8->SetVisible(false);

  for (TImage* image : {Image5, Image9, Image7, Image8, Image2}) PaintReadout(image, 0, 0, "", kReadoutColor);
}

void GeneratorPanel::BuildMenus() {
  ControlMaker make(owner_);
  FT1 = make.Item("FT1", "Fine Tune...");
  PO1 = make.Item("PO1", "Peak Offset (Negative peak at offset voltage && max 5Vpp)");
  AO1 = make.Item("AO1", "Auto Offset (Negative peak at 0V)");
  WaveEditor1 = make.Item("WaveEditor1", "Wave Editor");
  BodePlotter1 = make.Item("BodePlotter1", "Bode Plotter");
  WaveSequence1 = make.Item("WaveSequence1", "Wave Sequence");
  if (options_.OptionsMenu)
    for (TMenuItem* item : {FT1, PO1, AO1}) options_.OptionsMenu->Add(item);
  if (options_.ToolsMenu) {
    // The Bode plotter is started from the scope window only.
    options_.ToolsMenu->Add(WaveEditor1);
    if (options_.ScopeWindow) options_.ToolsMenu->Add(BodePlotter1);
    options_.ToolsMenu->Add(WaveSequence1);
  }
}

void GeneratorPanel::BindHandlers() {
  using H = void (GeneratorPanel::*)(TObject*);
  const std::pair<TGrSpeedButton*, H> buttons[] = {
      {GrSpeedButton3, &GeneratorPanel::GrSpeedButton3Click},   {GrSpeedButton4, &GeneratorPanel::GrSpeedButton4Click},
      {GrSpeedButton5, &GeneratorPanel::GrSpeedButton5Click},   {GrSpeedButton6, &GeneratorPanel::GrSpeedButton6Click},
      {GrSpeedButton7, &GeneratorPanel::GrSpeedButton7Click},   {GrSpeedButton8, &GeneratorPanel::GrSpeedButton8Click},
      {GrSpeedButton9, &GeneratorPanel::GrSpeedButton9Click},   {GrSpeedButton10, &GeneratorPanel::GrSpeedButton10Click},
      {GrSpeedButton11, &GeneratorPanel::GrSpeedButton11Click}, {GrSpeedButton12, &GeneratorPanel::GrSpeedButton12Click},
      {GrSpeedButton13, &GeneratorPanel::GrSpeedButton13Click}, {GrSpeedButton14, &GeneratorPanel::GrSpeedButton14Click},
      {GrSpeedButton2, &GeneratorPanel::GrSpeedButton2Click},   {StopSweep, &GeneratorPanel::StopSweepClick},
  };
  for (const auto& [button, handler] : buttons)
    if (button) button->OnClick = [this, handler = handler](TObject* s) { (this->*handler)(s); };

  TrackBar4->OnChange = [this](TObject* s) { TrackBar4Change(s); };
  TrackBar5->OnChange = [this](TObject* s) { TrackBar5Change(s); };
  TrackBar6->OnChange = [this](TObject* s) { TrackBar6Change(s); };
  TrackBar7->OnChange = [this](TObject* s) { TrackBar7Change(s); };
  StartSweep->OnClick = [this](TObject* s) { StartSweepClick(s); };
  Lin->OnClick = [this](TObject* s) { LinClick(s); };
  Log->OnClick = [this](TObject* s) { LogClick(s); };
  PO1->OnClick = [this](TObject* s) { PO1Click(s); };
  AO1->OnClick = [this](TObject* s) { AO1Click(s); };

  // Entries and read-out clicks go straight to the engine, which reads this panel.
  using KeyHandler = void (TForm1_fgen::*)(TObject*, unsigned short&, TShiftState);
  const std::pair<TEdit*, KeyHandler> entries[] = {
      {Edit1, &TForm1_fgen::Edit1KeyDown}, {Edit6, &TForm1_fgen::Edit5KeyDown}, {Edit7, &TForm1_fgen::Edit6KeyDown},
      {Edit8, &TForm1_fgen::Edit8KeyDown}, {Edit3, &TForm1_fgen::Edit3KeyDown}, {Edit4, &TForm1_fgen::Edit4KeyDown},
      {Edit9, &TForm1_fgen::Edit9KeyDown},
  };
  for (const auto& [edit, handler] : entries)
    edit->OnKeyDown = [handler = handler](TObject* s, unsigned short& key, TShiftState shift) {
      if (Form1_fgen) (Form1_fgen->*handler)(s, key, shift);
    };
  using ClickHandler = void (TForm1_fgen::*)(TObject*);
  const std::pair<TImage*, ClickHandler> readouts[] = {
      {Image5, &TForm1_fgen::Image5Click}, {Image9, &TForm1_fgen::Image5Click}, {Image7, &TForm1_fgen::Image7Click},
      {Image8, &TForm1_fgen::Image8Click}, {Image2, &TForm1_fgen::Image1Click},
  };
  for (const auto& [image, handler] : readouts)
    image->OnClick = [handler = handler](TObject* s) {
      if (Form1_fgen) (Form1_fgen->*handler)(s);
    };

  // The tools and the fine tune open their windows.
  FT1->OnClick = [](TObject*) {
    if (Form8) Form8->Show();
  };
  WaveEditor1->OnClick = [](TObject*) {
    if (Wave_editor1) Wave_editor1->Show();
  };
  BodePlotter1->OnClick = [this](TObject*) {
    // The bit view cannot measure: it goes before the plotter opens.
    engine::ScopeWindow* scope = engine::TheScopeWindow();
    if (scope && scope->BitViewButton() && scope->BitViewButton()->Down()) {
      scope->BitViewButton()->SetDown(false);
      scope->GrSpeedButton15Click(scope->BitViewButton());
    }
    if (GeneratorState.Plotter.Show) GeneratorState.Plotter.Show();
  };
  WaveSequence1->OnClick = [](TObject*) {
    if (Form900) Form900->Show();
  };
}

bool GeneratorPanel::Holds(const TObject* control) const {
  const auto* component = dynamic_cast<const TComponent*>(control);
  if (!component || component->Owner() != owner_) return false;
  const TObject* mine[] = {Edit1, Edit5, Edit6, Edit7, Edit8, Edit3, Edit4, Edit9, Image5, Image9, Image7,
                           Image8, Image2, TrackBar4, TrackBar5, TrackBar6, TrackBar7, StartSweep, StopSweep,
                           Lin, Log};
  if (std::find(std::begin(mine), std::end(mine), control) != std::end(mine)) return true;
  for (TGrSpeedButton* b : RangeButtons())
    if (b == control) return true;
  for (TGrSpeedButton* b : ShapeButtons())
    if (b == control) return true;
  return false;
}

std::array<TGrSpeedButton*, 8> GeneratorPanel::RangeButtons() const {
  return {GrSpeedButton3, GrSpeedButton4, GrSpeedButton5, GrSpeedButton6,
          GrSpeedButton7, GrSpeedButton8, GrSpeedButton9, GrSpeedButton10};
}

std::array<TGrSpeedButton*, 4> GeneratorPanel::ShapeButtons() const {
  return {GrSpeedButton11, GrSpeedButton12, GrSpeedButton13, GrSpeedButton14};
}

template <class F>
void GeneratorPanel::ForOtherPanels(F&& f) {
  MirrorScope scope;
  for (GeneratorPanel* other : GeneratorState.Panels)
    if (other != this) f(*other);
}

void GeneratorPanel::PaintReadout(TImage* image, int x, int y, const std::string& text, TColor color) {
  if (!image) return;
  // Most read-outs sit on panels nobody sees yet: their text is drawn when
  // they are first shown, and only the last one given.
  image->Picture()->DrawWhenUsed(
      [x, y, text, color](TBitmap& picture) {
        TCanvas& c = *picture.Canvas();
        c.Brush.Style = bsSolid;
        c.Brush.Color = kReadoutBackground;
        c.FillRect({0, 0, picture.Width(), picture.Height()});
        if (!text.empty()) {
          c.Font.Size = 10;
          c.Font.Style = fsBold;
          c.Font.Color = color;
          c.Brush.Style = bsClear;
          c.TextOut(x, y, text);
          c.Brush.Style = bsSolid;
        }
      },
      true);
  image->Invalidate();
}

// ---------------------------------------------------------------- ranges

void GeneratorPanel::GrSpeedButton3Click(TObject*) { RangeButtonClick(0); }
void GeneratorPanel::GrSpeedButton4Click(TObject*) { RangeButtonClick(1); }
void GeneratorPanel::GrSpeedButton5Click(TObject*) { RangeButtonClick(2); }
void GeneratorPanel::GrSpeedButton6Click(TObject*) { RangeButtonClick(3); }
void GeneratorPanel::GrSpeedButton7Click(TObject*) { RangeButtonClick(4); }
void GeneratorPanel::GrSpeedButton8Click(TObject*) { RangeButtonClick(5); }
void GeneratorPanel::GrSpeedButton9Click(TObject*) { RangeButtonClick(6); }
void GeneratorPanel::GrSpeedButton10Click(TObject*) { RangeButtonClick(7); }

void GeneratorPanel::RangeButtonClick(std::size_t index) {
  if (mirroring) return;
  RangeButtons()[index]->SetDown(true);
  ForOtherPanels([&](GeneratorPanel& p) { p.RangeButtons()[index]->SetDown(true); });
  if (Form1_fgen) Form1_fgen->RangeClick(index);
}

// ---------------------------------------------------------------- shapes

void GeneratorPanel::GrSpeedButton11Click(TObject*) { ShapeClick(0); }
void GeneratorPanel::GrSpeedButton12Click(TObject*) { ShapeClick(1); }
void GeneratorPanel::GrSpeedButton13Click(TObject*) { ShapeClick(2); }
void GeneratorPanel::GrSpeedButton14Click(TObject*) { ShapeClick(3); }

void GeneratorPanel::ShapeClick(std::size_t index) {
  if (mirroring) return;
  // A new shape ends a running sweep's hold: Stop Sweep goes up.
  StopSweep->SetDown(false);
  StopSweepClick(StopSweep);
  const bool down = ShapeButtons()[index]->Down();
  ForOtherPanels([&](GeneratorPanel& p) { p.ShapeButtons()[index]->SetDown(down); });
  if (Form1_fgen) {
    switch (index) {
      case 0: Form1_fgen->SpeedButton10Click(ShapeButtons()[index]); break;
      case 1: Form1_fgen->SpeedButton11Click(ShapeButtons()[index]); break;
      case 2: Form1_fgen->SpeedButton12Click(ShapeButtons()[index]); break;
      default: Form1_fgen->SpeedButton1Click(ShapeButtons()[index]); break;
    }
  }
  const char* topCaption = index == 0 ? "1M" : generator::FrequencyRanges[generator::kTopRange].Caption;
  for (GeneratorPanel* p : GeneratorState.Panels) p->GrSpeedButton3->SetCaption(topCaption);
  if (GeneratorState.RangeCode == 8 && Form1_fgen) Form1_fgen->SpeedButton2Click(GrSpeedButton3);
}

void GeneratorPanel::PutButton(TGrSpeedButton* button, bool down) {
  const auto ranges = RangeButtons();
  const auto shapes = ShapeButtons();
  const auto range = std::find(ranges.begin(), ranges.end(), button);
  const auto shape = std::find(shapes.begin(), shapes.end(), button);
  if (range == ranges.end() && shape == shapes.end()) return;
  for (GeneratorPanel* p : GeneratorState.Panels) {
    TGrSpeedButton* twin = range != ranges.end() ? p->RangeButtons()[static_cast<std::size_t>(range - ranges.begin())]
                                                 : p->ShapeButtons()[static_cast<std::size_t>(shape - shapes.begin())];
    if (twin->Down() == down) continue;
    const bool allUp = twin->AllowAllUp();
    twin->SetAllowAllUp(true);
    twin->SetDown(down);
    twin->SetAllowAllUp(allUp);
  }
}

// ---------------------------------------------------------------- sliders

void GeneratorPanel::TrackBar4Change(TObject* Sender) {
  if (mirroring) return;
  ForOtherPanels([&](GeneratorPanel& p) { p.TrackBar4->SetPosition(TrackBar4->Position()); });
  if (Form1_fgen) Form1_fgen->TrackBar1Change(Sender);
}

void GeneratorPanel::TrackBar5Change(TObject* Sender) {
  if (mirroring) return;
  ForOtherPanels([&](GeneratorPanel& p) { p.TrackBar5->SetPosition(TrackBar5->Position()); });
  if (Form1_fgen) Form1_fgen->TrackBar4Change(Sender);
}

void GeneratorPanel::TrackBar6Change(TObject* Sender) {
  if (mirroring) return;
  ForOtherPanels([&](GeneratorPanel& p) { p.TrackBar6->SetPosition(TrackBar6->Position()); });
  if (Form1_fgen) Form1_fgen->TrackBar2Change(Sender);
}

void GeneratorPanel::TrackBar7Change(TObject* Sender) {
  if (mirroring) return;
  ForOtherPanels([&](GeneratorPanel& p) { p.TrackBar7->SetPosition(TrackBar7->Position()); });
  if (Form1_fgen) Form1_fgen->TrackBar3Change(Sender);
}

void GeneratorPanel::PutAmplitudeSlider(int position) {
  MirrorScope scope;
  for (GeneratorPanel* p : GeneratorState.Panels) p->TrackBar7->SetPosition(position);
}

// ---------------------------------------------------------------- sweep

void GeneratorPanel::StartSweepClick(TObject*) {
  if (Form1_fgen) Form1_fgen->read_edit34();
}

void GeneratorPanel::StopSweepClick(TObject*) {
  if (mirroring) return;
  GeneratorState.SweepRunning = StopSweep->Down() ? 0 : 1;
  const bool down = StopSweep->Down();
  ForOtherPanels([&](GeneratorPanel& p) { p.StopSweep->SetDown(down); });
  RunScopeSweepBar(GeneratorState.SweepRunning && GeneratorState.WaveShape == generator::kShapeSweep);
  if (Form1_fgen) Form1_fgen->asetus();
}

void GeneratorPanel::LinClick(TObject*) {
  if (mirroring) return;
  ForOtherPanels([](GeneratorPanel& p) { p.Lin->SetChecked(true); });
  if (Form1_fgen) Form1_fgen->read_edit34();
}

void GeneratorPanel::LogClick(TObject*) {
  if (mirroring) return;
  ForOtherPanels([](GeneratorPanel& p) { p.Log->SetChecked(true); });
  if (Form1_fgen) Form1_fgen->read_edit34();
}

void GeneratorPanel::StepSweepProgress(const generator::GeneratorSharedState& state) {
  for (GeneratorPanel* p : state.Panels) {
    if (!p->ScopeWindow()) continue;
    const int next = p->Bar1->Position() >= 14 ? 0 : p->Bar1->Position() + 1;
    p->Bar1->SetPosition(next);
    for (GeneratorPanel* other : state.Panels)
      if (!other->ScopeWindow()) other->Bar1->SetPosition(next + 1);
    return;
  }
}

// ---------------------------------------------------------------- offset modes

void GeneratorPanel::PO1Click(TObject*) { OffsetModeClick(true); }
void GeneratorPanel::AO1Click(TObject*) { OffsetModeClick(false); }

void GeneratorPanel::OffsetModeClick(bool peak) {
  TMenuItem* item = peak ? PO1 : AO1;
  const bool on = !item->Checked();
  for (GeneratorPanel* p : GeneratorState.Panels) {
    (peak ? p->PO1 : p->AO1)->SetChecked(on);
    if (on) (peak ? p->AO1 : p->PO1)->SetChecked(false);
  }
  GeneratorState.PeakOffsetMode = PO1->Checked() ? 1 : 0;
  GeneratorState.AutoOffsetMode = AO1->Checked() ? 1 : 0;

  // The output goes off; the user picks the shape again in the new mode.
  for (GeneratorPanel* p : GeneratorState.Panels)
    for (TGrSpeedButton* b : p->ShapeButtons()) b->SetDown(false);
  GeneratorState.GenOutputOff = 1;
  if (Form1_fgen) Form1_fgen->Disable();

  if (BtnBottomDlg1_fgen) BtnBottomDlg1_fgen->EnableDcButtons(!GeneratorState.PeakOffsetMode && !GeneratorState.AutoOffsetMode);
  const bool manualOffset = !GeneratorState.AutoOffsetMode;
  for (GeneratorPanel* p : GeneratorState.Panels) {
    p->TrackBar6->SetEnabled(manualOffset);
    p->Edit6->SetEnabled(manualOffset);
  }
  // Both offset sliders to 128, and their handlers run whether or not they moved.
  {
    MirrorScope scope;
    for (GeneratorPanel* p : GeneratorState.Panels) p->TrackBar6->SetPosition(128);
  }
  if (Form1_fgen) Form1_fgen->TrackBar2Change(TrackBar6);
}

// ---------------------------------------------------------------- probe test

void GeneratorPanel::GrSpeedButton2Click(TObject*) {
  if (!Form1_fgen) return;
  GrSpeedButton5->SetDown(true);
  GrSpeedButton5Click(GrSpeedButton5);
  Form1_fgen->set_fg(1000, 0, 10);
  // The slider goes where 1 kHz lies, so that pressing "5k" again keeps
  // 1 kHz instead of snapping to the range's end.
  TrackBar4->SetPosition(generator::FrequencySliderPosition(GeneratorState.GenFrequency, GeneratorState.RangeMin,
                                                            GeneratorState.RangeMax));
  GrSpeedButton12->SetDown(true);
  GrSpeedButton12Click(GrSpeedButton12);
  GrSpeedButton5->SetDown(true);
  GrSpeedButton5Click(GrSpeedButton5);
  if (engine::ScopeWindow* scope = engine::TheScopeWindow()) {
    FrontPanelControls& panel = scope->Panel();
    scope->FrontPanel().TimeBaseStepClick(11);  // 0.1 ms/div
    scope->FrontPanel().RangeClick(1, 2);       // 0.3 V/div
    scope->FrontPanel().RangeClick(2, 2);
    panel.SpeedButton8->SetDown(true);  // trigger off
    scope->FrontPanel().TriggerOffClick();
    if (!panel.SpeedButtonRun->Down()) {
      panel.SpeedButtonRun->SetDown(true);
      scope->Acquisition().SpeedButtonRunClick(&scope->Window());
    }
  }
  TForm* window = owner_;
  MessageDlgPos("Connect your X10 probe to the generator output for calibration.", mtInformation, mbOK, 0,
                window->Left() + 163, window->Top() + 200);
}
