// Moving between the instruments (function generator, circuit analyzer,
// transient recorder), the Big Screen on and off, and leaving to the menu
// program.
#include <filesystem>

#include "engine/big_screen.h"
#include "engine/control_panel.h"
#include "engine/instrument_links.h"
#include "engine/instruments.h"
#include "engine/main_form.h"
#include "engine/scope_state.h"
#include "platform/os/process.h"
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
constexpr int kScopeGeneratorLeft = 6;

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
  if (!ScopeState.ProgramFolder.empty()) std::filesystem::current_path(ScopeState.ProgramFolder, ec);
  // The generator's controls are on this window: it comes to the front.
  Restore(this);
}

void TForm1::SpeedButton26Click(TObject*) {
  GrSpeedButton15->SetDown(false);
  GrSpeedButton15Click(this);
  StopAndSettle();
  if (ScopeState.OtherInstruments.OpenBodePlotter) ScopeState.OtherInstruments.OpenBodePlotter(*this);
}

void TForm1::SpeedButton27Click(TObject*) {
  if (ScopeState.OtherInstruments.OpenRecorder) ScopeState.OtherInstruments.OpenRecorder(*this);
}

void TForm1::GrSpeedButton1Click(TObject*) {
  if (!Form10) return;
  if (GrSpeedButton1->Down()) {
    Form10->Show();
    Form10->Rebuild();
    ScopeState.BigScreenOn = 1;
  } else {
    Form10->Hide();
    ScopeState.BigScreenOn = 0;
  }
}

void TForm1::Timer7Timer(TObject*) {
  Timer7->SetEnabled(false);
  GrSpeedButton1Click(this);
}

void TForm1::ExittoMenu1Click(TObject*) {
  engine::StartMenuProgram(ScopeState.ProgramFolder);
  Close();
}

void TForm1::CreateGeneratorControls() {
  Tools1 = new TMenuItem(this);
  Tools1->Name = "Tools1";
  Tools1->SetCaption("&Tools");
  MainMenu1->Items()->Add(Tools1);
  // Under the picture, its position bar and the row of analysis buttons.
  const int top = FftView->Top() + FftView->Height() + 4;
  if (const auto& make = ScopeState.OtherInstruments.MakeGeneratorPanel)
    GeneratorControls = make({this, this, kScopeGeneratorLeft, top, true, Options1, Tools1});
}

void TForm1::Timer91Timer(TObject* /*Sender*/) {
  if (ScopeState.OtherInstruments.StepSweepProgress) ScopeState.OtherInstruments.StepSweepProgress();
}

void TForm1::Timer5Timer(TObject* /*Sender*/) {
  if (ScopeState.OtherInstruments.ServeGeneratorMailbox) ScopeState.OtherInstruments.ServeGeneratorMailbox(*this);
}
