// Moving between the instruments (function generator, circuit analyzer,
// transient recorder), the Big Screen on and off, and leaving to the menu
// program.
#include <filesystem>

#include "bode/bode_plot.h"
#include "bode/bode_state.h"
#include "engine/add_text.h"
#include "engine/big_screen.h"
#include "engine/measurement_window.h"
#include "engine/control_panel.h"
#include "engine/instruments.h"
#include "engine/main_form.h"
#include "engine/notice_dialogs.h"
#include "engine/scope_state.h"
#include "generator/generator_form.h"
#include "platform/os/process.h"
#include "recorder/recorder_form.h"
#include "recorder/recorder_state.h"
#include "widgets/control_maker.h"

namespace engine {

std::string MenuProgramPath(const std::string& programFolder) {
  for (const char* name : {"quenlow", "Quenlow.EXE"}) {
    const std::filesystem::path path = std::filesystem::path(programFolder) / name;
    std::error_code ec;
    if (std::filesystem::is_regular_file(path, ec)) return path.string();
  }
  return {};
}

InstrumentButtons MakeInstrumentButtons(ControlMaker& make, TWinControl* parent, int x, int y, bool column) {
  const int dx = column ? 0 : kInstrumentButtonWidth + 4;
  const int dy = column ? ControlMaker::kButtonHeight + 6 : 0;
  InstrumentButtons b;
  b.FunctionGenerator = make.Button(parent, "SpeedButton25", "Function Generator", 0, x, y, kInstrumentButtonWidth);
  b.CircuitAnalyzer = make.Button(parent, "SpeedButton26", "Circuit Analyzer", 0, x + dx, y + dy, kInstrumentButtonWidth);
  b.TransientRecorder =
      make.Button(parent, "SpeedButton27", "Transient Recorder", 0, x + 2 * dx, y + 2 * dy, kInstrumentButtonWidth);
  return b;
}

bool StartMenuProgram(const std::string& programFolder) {
  const std::string path = MenuProgramPath(programFolder);
  return !path.empty() && os::StartProgram(path, {}, programFolder);
}

}  // namespace engine

namespace {

constexpr int kBigScreenW = 84;

void Restore(TForm* form) {
  form->Show();
  if (form->WindowState() == wsMinimized) form->SetWindowState(wsNormal);
}

}  // namespace

void TForm1::CreateInstrumentControls() {
  ControlMaker make(this);
  // Under the front panel, beside the bit view button.
  int x = GrSpeedButton15->Left() + GrSpeedButton15->Width() + 10;
  const int y = GrSpeedButton15->Top();
  const engine::InstrumentButtons buttons = engine::MakeInstrumentButtons(make, this, x, y);
  SpeedButton25 = buttons.FunctionGenerator;
  SpeedButton26 = buttons.CircuitAnalyzer;
  SpeedButton27 = buttons.TransientRecorder;
  x = SpeedButton27->Left() + SpeedButton27->Width() + 10;
  GrSpeedButton1 = make.Button(this, "GrSpeedButton1", "Big Screen", 44, x, y, kBigScreenW);
  GrSpeedButton1->SetAllowAllUp(true);
  SpeedButton25->OnClick = [this](TObject* s) { SpeedButton25Click(s); };
  SpeedButton26->OnClick = [this](TObject* s) { SpeedButton26Click(s); };
  SpeedButton27->OnClick = [this](TObject* s) { SpeedButton27Click(s); };
  GrSpeedButton1->OnClick = [this](TObject* s) { GrSpeedButton1Click(s); };
  Timer7 = make.Timer("Timer7", 100, [this](TObject* s) { Timer7Timer(s); });

  ExittoMenu1 = make.Item(File1, "ExittoMenu1", "Exit to Menu", [this](TObject* s) { ExittoMenu1Click(s); });
  CreateViewOptionControls();
  CreateAutosetControls();
}

void TForm1::SpeedButton25Click(TObject*) {
  std::error_code ec;
  if (!engine::ScopeState.ProgramFolder.empty()) std::filesystem::current_path(engine::ScopeState.ProgramFolder, ec);
  // The generator's controls are on this window: it comes to the front.
  Restore(this);
}

void TForm1::SpeedButton26Click(TObject*) {
  GrSpeedButton15->SetDown(false);
  GrSpeedButton15Click(this);
  StopAndSettle();
  if (Bode_plot) Bode_plot->ShowPlotter();
  if (Form_9) Form_9->Hide();
  if (bode::BodeState.Bodehelp && OKBottomDlg) {
    OKBottomDlg->ShowModal();
    bode::BodeState.Bodehelp = OKBottomDlg->CheckBox1->Checked() ? 0 : 1;
  }
}

void TForm1::SpeedButton27Click(TObject*) {
  using namespace engine;
  if (!Form1_rec) return;
  TForm1_rec& rec = *Form1_rec;
  GrSpeedButton15->SetDown(false);
  GrSpeedButton15Click(this);
  ScopeState.CaptureCount = 0;
  StopAndSettle();

  // Hardware Setup chose demo mode since the recorder last showed.
  if (RecorderDemoChangePending) {
    rec.TrackBar1Change(&rec);
    rec.TrackBar2Change(&rec);
    rec.RecClearPending = 1;
    rec.putsataanko();
    RecorderDemoChangePending = 0;
  }
  recorder::RecorderState.SavedTimeBaseCode = ScopeState.TimeBaseCode;
  recorder::RecorderState.SavedTriggerOff = ScopeState.TriggerOff;

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

  rec.SetBounds(Left(), Top(), Width(), Height());
  // A Bode sweep stops when the recorder takes the device.
  if (Bode_plot) Bode_plot->LeavePlotter();
  recorder::RecorderState.InstrumentSwitch = 0;

  if (rec.LabelCh1) rec.LabelCh1->Font().Color = recorder::RecorderState.RecCh1Color;
  if (rec.LabelCh2) rec.LabelCh2->Font().Color = recorder::RecorderState.RecCh2Color;
  if (rec.LabelCh1) rec.LabelCh1->FontChanged();
  if (rec.LabelCh2) rec.LabelCh2->FontChanged();
  // The handler turns the check back and applies it.
  rec.BrightGrid1->SetChecked(recorder::RecorderState.RecBrightGrid == 0);
  rec.BrightGrid1Click(&rec);

  rec.SpeedButton6->SetDown(true);
  rec.Show();
  Hide();
  if (Form_9) Form_9->Hide();
  if (Form_99) {
    MoreData1->SetChecked(Form_99->Visible());
    Form_99->Hide();
  }
  if (ScopeState.DemoMode && !RecorderDemoBuilt) {
    rec.tee_demo_taulut();
    RecorderDemoBuilt = 1;
  }
}

void TForm1::GrSpeedButton1Click(TObject*) {
  if (!Form10) return;
  if (GrSpeedButton1->Down()) {
    Form10->Show();
    Form10->Rebuild();
    engine::ScopeState.BigScreenOn = 1;
  } else {
    Form10->Hide();
    engine::ScopeState.BigScreenOn = 0;
  }
}

void TForm1::Timer7Timer(TObject*) {
  Timer7->SetEnabled(false);
  GrSpeedButton1Click(this);
}

void TForm1::ExittoMenu1Click(TObject*) {
  engine::StartMenuProgram(engine::ScopeState.ProgramFolder);
  Close();
}
