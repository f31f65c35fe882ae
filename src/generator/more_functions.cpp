// "More Functions": sin(x)/x, noise, sweep, library waveform, +DC and -DC,
// each switched on by pressing its button and off by releasing it.
#include "generator/more_functions.h"

#include "generator/generator_form.h"
#include "generator/generator_panel.h"
#include "generator/generator_state.h"
#include "generator/panel_rules.h"
#include "widgets/control_maker.h"

namespace {

constexpr int kButtonGroup = 7;


// A running generator sweep ends: "Stop Sweep" goes up and its handler runs.
void EndSweepHold(const generator::GeneratorSharedState& state) {
  if (GeneratorPanel* p = LeadingGeneratorPanel(state)) {
    p->StopSweep->SetDown(false);
    p->StopSweepClick(p->StopSweep);
  }
}

// The top range takes its non-sine caption and, when chosen, its limits.
void ReapplyTopRange(const generator::GeneratorSharedState& state) {
  for (GeneratorPanel* p : state.Panels)
    p->GrSpeedButton3->SetCaption(generator::FrequencyRanges[generator::kTopRange].Caption);
  if (state.RangeCode == 8 && Form1_fgen) Form1_fgen->SpeedButton2Click(nullptr);
}

void ShowFrequencyText(const generator::GeneratorSharedState& state, const char* text) {
  for (GeneratorPanel* p : state.Panels)
    GeneratorPanel::PaintReadout(p->Image5, 10, 5, text, GeneratorPanel::kReadoutColor);
}

}  // namespace

TBtnBottomDlg1_fgen::TBtnBottomDlg1_fgen(TComponent* owner, generator::GeneratorSharedState& state)
    : TForm(owner), GeneratorState(state) {
  SetCaption("More Functions");
  SetBorderStyle(bsDialog);
  SetClientWidth(250);
  SetClientHeight(214);
  ControlMaker make(this);
  struct Row {
    TGrSpeedButton** slot;
    const char* name;
    const char* caption;
    int left, top;
  };
  const Row rows[] = {
      {&SpeedButton1, "SpeedButton1", "sin(x)/x", 142, 10}, {&SpeedButton2, "SpeedButton2", "Noise", 142, 40},
      {&SpeedButton3, "SpeedButton3", "Sweep", 142, 70},    {&SpeedButton4, "SpeedButton4", "Library", 142, 100},
      {&SpeedButton5, "SpeedButton5", "+DC", 142, 130},     {&SpeedButton6, "SpeedButton6", "-DC", 196, 130},
  };
  for (const Row& r : rows) {
    *r.slot = make.Button(this, r.name, r.caption, kButtonGroup, r.left, r.top, r.slot == &SpeedButton5 ||
                          r.slot == &SpeedButton6 ? 50 : 104);
    (*r.slot)->SetAllowAllUp(true);
  }
  make.Label(this, "Label1", "Sine(x)/x", 12, 13);
  make.Label(this, "Label2", "Noise", 12, 43);
  make.Label(this, "Label3", "Sweep", 12, 73);
  make.Label(this, "Label4", "Library waveforms", 12, 103);
  make.Label(this, "Label5", "DC", 12, 133);
  SpeedButton1->SetHint("Sine(x)/x harmonics useable up to 2MHz");
  SpeedButton1->SetShowHint(true);
  CloseBtn = make.Add<TButton>(this, "CloseBtn", 86, 176, 78, 25, "Close");

  SpeedButton1->OnClick = [this](TObject* s) { SpeedButton1Click(s); };
  SpeedButton2->OnClick = [this](TObject* s) { SpeedButton2Click(s); };
  SpeedButton3->OnClick = [this](TObject* s) { SpeedButton3Click(s); };
  SpeedButton4->OnClick = [this](TObject* s) { SpeedButton4Click(s); };
  SpeedButton5->OnClick = [this](TObject* s) { SpeedButton5Click(s); };
  SpeedButton6->OnClick = [this](TObject* s) { SpeedButton6Click(s); };
  CloseBtn->OnClick = [this](TObject* s) { CloseBtnClick(s); };
}

void TBtnBottomDlg1_fgen::ReleaseAll() {
  active_.reset();
  for (TGrSpeedButton* b : ShapeButtons()) b->SetDown(false);
}

void TBtnBottomDlg1_fgen::EnableDcButtons(bool enabled) {
  SpeedButton5->SetEnabled(enabled);
  SpeedButton6->SetEnabled(enabled);
}

void TBtnBottomDlg1_fgen::SpeedButton1Click(TObject*) { FunctionClick(Function::Sinc); }
void TBtnBottomDlg1_fgen::SpeedButton2Click(TObject*) { FunctionClick(Function::Noise); }
void TBtnBottomDlg1_fgen::SpeedButton3Click(TObject*) { FunctionClick(Function::Sweep); }
void TBtnBottomDlg1_fgen::SpeedButton4Click(TObject*) { FunctionClick(Function::Library); }
void TBtnBottomDlg1_fgen::SpeedButton5Click(TObject*) { FunctionClick(Function::DcPlus); }
void TBtnBottomDlg1_fgen::SpeedButton6Click(TObject*) { FunctionClick(Function::DcMinus); }

void TBtnBottomDlg1_fgen::CloseBtnClick(TObject*) { Hide(); }

void TBtnBottomDlg1_fgen::FunctionClick(Function f) {
  if (!Form1_fgen) return;
  if (ShapeButtons()[static_cast<std::size_t>(f)]->Down()) Press(f);
  else Release(f);
}

void TBtnBottomDlg1_fgen::Press(Function f) {
  if (f == Function::Library) {
    // Nothing changes unless a file was chosen.
    if (!Form1_fgen->file1_count()) {
      // The group let go of the running function's button: it goes down again.
      SpeedButton4->SetDown(false);
      if (active_) ShapeButtons()[static_cast<std::size_t>(*active_)]->SetDown(true);
      return;
    }
  }
  active_ = f;
  if (f != Function::Noise && f != Function::Sweep) EndSweepHold(GeneratorState);
  for (GeneratorPanel* p : GeneratorState.Panels) {
    for (std::size_t i = 0; i < 3; ++i) p->ShapeButtons()[i]->SetDown(false);
    p->TrackBar4->SetVisible(f == Function::Sinc || f == Function::Library);
  }
  if (f == Function::Noise) ShowFrequencyText(GeneratorState, "NOISE             ");
  if (f == Function::Sweep) ShowFrequencyText(GeneratorState, "SWEEP            ");
  GeneratorState.GenOutputOff = 0;
  switch (f) {
    case Function::Sinc: Form1_fgen->sinxx_count(); GeneratorState.WaveShape = generator::kShapeSinc; break;
    case Function::Noise: Form1_fgen->noise_count(); GeneratorState.WaveShape = generator::kShapeNoise; break;
    case Function::Sweep:
      if (GeneratorState.WaveShape != generator::kShapeSweep)
        GeneratorState.ShapeBeforeSweep = GeneratorState.WaveShape;
      GeneratorState.WaveShape = generator::kShapeSweep;
      break;
    case Function::Library: GeneratorState.WaveShape = generator::kShapeLibrary; break;
    case Function::DcPlus: Form1_fgen->dcn_count(); GeneratorState.WaveShape = generator::kShapeDc; break;
    case Function::DcMinus: Form1_fgen->dcp_count(); GeneratorState.WaveShape = generator::kShapeDc; break;
  }
  GeneratorState.NoiseSweepFlag = (f == Function::Noise || f == Function::Sweep) ? 1 : 0;
  Application->ProcessMessages();
  if (f == Function::Sweep) Form1_fgen->read_edit34();
  else Form1_fgen->Timer8Timer(this);
  if (f == Function::DcPlus) ShowFrequencyText(GeneratorState, "+DC               ");
  if (f == Function::DcMinus) ShowFrequencyText(GeneratorState, "-DC               ");
  if (f == Function::Sinc || f == Function::Library) ReapplyTopRange(GeneratorState);
}

void TBtnBottomDlg1_fgen::Release(Function f) {
  active_.reset();
  if (f == Function::Sweep) {
    RunScopeSweepBar(false);
    for (GeneratorPanel* p : GeneratorState.Panels) p->Bar1->SetPosition(0);
  }
  GeneratorState.GenOutputOff = 1;
  Application->ProcessMessages();
  Form1_fgen->Disable();
}
