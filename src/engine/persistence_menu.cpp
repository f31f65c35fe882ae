// Persistence on the main window and the twin panel: "Persist", the three
// modes and the options dialog, and what a press of "Persist" prepares.
#include <array>

#include "engine/big_screen.h"
#include "display/display_state.h"
#include "display/persistence.h"
#include "engine/persistence_controls.h"
#include "display/persistence_drawing.h"
#include "engine/persistence_options.h"
#include "display/persistence_state.h"
#include "engine/control_panel.h"
#include "engine/main_form.h"
#include "engine/scope_state.h"
#include "widgets/control_maker.h"

namespace {

using MainHandler = void (TForm1::*)(TObject*);

struct PersistenceItemBinding {
  TMenuItem* PersistenceControls::*Item;
  MainHandler Handler;
};

constexpr PersistenceItemBinding kModeItems[] = {
    {&PersistenceControls::NormalPersistence1, &TForm1::NormalPersistence1Click},
    {&PersistenceControls::PersistencewithIntensityGrading1, &TForm1::PersistencewithIntensityGrading1Click},
    {&PersistenceControls::VariablePersistence1, &TForm1::VariablePersistence1Click},
};

// The window's "Options" menu, made when no other control made it first.
TMenuItem* OptionsMenu(TForm* owner, TMainMenu* menu) {
  if (auto* options = owner->FindComponentAs<TMenuItem>("Options1")) return options;
  auto* options = new TMenuItem(owner);
  options->Name = "Options1";
  options->SetCaption("&Options");
  menu->Items()->Add(options);
  return options;
}

// The Big Screen's legend strips lie this much further right.
constexpr int kBigScreenLegendOffset = 330;

// A button of its own group: down and up by itself.
constexpr int kPersistGroup = 44;

// Both windows' controls, where they are built.
std::array<PersistenceControls*, 2> PersistencePanels() { return {Form1, Form11}; }

// The true colour of a not-xor pen on the current background.
TColor TrueColor(const engine::WithScopeStates& states, TColor pen) { return ~(pen ^ states.DisplayState.BackgroundColor) & 0xFFFFFF; }

}  // namespace

void BuildPersistenceControls(TForm* owner, TWinControl* parent, int left, int top, TMenuItem* options,
                              PersistenceControls& c, FrontPanelControls& panel) {
  ControlMaker make(owner);
  panel.SpeedButton23 = make.Button(parent, "SpeedButton23", "Persist", kPersistGroup, left, top, kPersistButtonWidth);
  panel.SpeedButton23->SetAllowAllUp(true);

  make.Item(options, "N7", "-");
  c.NormalPersistence1 = make.Item(options, "NormalPersistence1", "Infinite Persistence");
  c.PersistencewithIntensityGrading1 =
      make.Item(options, "PersistencewithIntensityGrading1", "Color Graded Persistence");
  c.VariablePersistence1 = make.Item(options, "VariablePersistence1", "Variable Persistence");
  for (TMenuItem* item : c.PersistenceModeItems()) item->SetRadioItem(true);
  c.NormalPersistence1->SetChecked(true);
  c.PersistenceOptions1 = make.Item(options, "PersistenceOptions1", "Persistence Options...");
}

// ---------------------------------------------------------------- building and binding

void TForm1::CreatePersistenceControls() {
  TMenuItem* options = OptionsMenu(this, MainMenu1);
  const int left = FftView->Left() + FftView->Width() + 10;
  BuildPersistenceControls(this, this, left, fft1->Top(), options, *this, *this);
  SpeedButton23->OnClick = [this](TObject* s) { SpeedButton23Click(s); };
  for (const PersistenceItemBinding& b : kModeItems) {
    const MainHandler handler = b.Handler;
    (this->*b.Item)->OnClick = [this, handler](TObject* s) { (this->*handler)(s); };
  }
  PersistenceOptions1->OnClick = [this](TObject* s) { PersistenceOptions1Click(s); };
}

void TForm11::CreatePersistenceControls() {
  TMenuItem* options = OptionsMenu(this, MainMenu1);
  const int left = FftView->Left() + FftView->Width() + 10;
  BuildPersistenceControls(this, this, left, fft1->Top(), options, *this, *this);
  // Copy then forward: the main window's "Persist" takes this one's state.
  SpeedButton23->OnClick = [](TObject*) {
    if (!Form1 || !Form11 || !Form1->SpeedButton23) return;
    Form1->SpeedButton23->SetDown(Form11->SpeedButton23->Down());
    Form1->SpeedButton23Click(Form1);
  };
  for (const PersistenceItemBinding& b : kModeItems) {
    const MainHandler handler = b.Handler;
    (this->*b.Item)->OnClick = [handler](TObject*) {
      if (Form1) (Form1->*handler)(Form1);
    };
  }
  PersistenceOptions1->OnClick = [](TObject*) {
    if (OKRightDlg) OKRightDlg->ShowModal();
  };
}

// ---------------------------------------------------------------- "Persist"

void TForm1::SpeedButton23Click(TObject*) {
  const bool down = SpeedButton23->Down();
  MirrorToTwin(*this, &FrontPanelControls::SpeedButton23);
  const std::int32_t mode = PersistenceState.PersistenceMode;
  if (mode == 2 || mode == 3) {
    display::ClearPersistenceStores(MainView);
    if (Form10) display::ClearPersistenceStores(Form10->BigView);
  }
  if ((down && mode == 2) || mode == 3) {
    ScopeState.ClearPending = 1;
    putsataanko();
    PersistenceState.LiveTraceOn = 0;
    const TColor colours[2] = {TrueColor(*this, DisplayState.Ch1PenColor), TrueColor(*this, DisplayState.Ch2PenColor)};
    if (mode == 2) {
      PersistenceState.GradedRampTop = PersistenceState.HighColorCount - PersistenceState.LowColorCount;
      for (int ch = 0; ch < 2; ++ch)
        PersistenceState.PersistColorTable[static_cast<std::size_t>(ch)] =
            display::GradedRamp(ch, colours[ch], DisplayState.BackgroundColor, PersistenceState.GradedRampTop);
    } else {
      PersistenceState.GradedRampTop = PersistenceState.VariablePersistenceMask;
      for (int ch = 0; ch < 2; ++ch)
        PersistenceState.PersistColorTable[static_cast<std::size_t>(ch)] = display::VariableRamp(colours[ch], DisplayState.BackgroundColor, PersistenceState.GradedRampTop);
    }
    display::DrawPersistenceLegend(MainView, 0, display::PersistenceLookOf(PersistenceState));
    Image1->Invalidate();
    if (TForm10* big = ShownBigScreen()) {
      display::DrawPersistenceLegend(big->BigView, kBigScreenLegendOffset,
                                     display::PersistenceLookOf(PersistenceState));
      big->Image10->Invalidate();
    }
  }
  if (!down) {
    PersistenceState.LiveTraceOn = 1;
    ScopeState.AcquisitionCountdown = ScopeState.AcquisitionLimit;
    ScopeState.ClearPending = 1;
    putsataanko();
    piirrot();
  }
}

void TForm1::ReleasePersist() {
  if (!SpeedButton23 || !SpeedButton23->Down()) return;
  SpeedButton23->SetDown(false);
  SpeedButton23Click(this);
}

void TForm1::RestartPersist() {
  if (!SpeedButton23 || !SpeedButton23->Down()) return;
  ReleasePersist();
  SpeedButton23->SetDown(true);
  SpeedButton23Click(this);
}

// ---------------------------------------------------------------- modes

void TForm1::PersistenceModeClick(int mode) {
  ReleasePersist();
  PersistenceState.PersistenceMode = mode;
  PersistenceState.NormalPersistenceChecked = mode == 1 ? 1 : 0;
  PersistenceState.GradedPersistenceChecked = mode == 2 ? 1 : 0;
  PersistenceState.VariablePersistenceChecked = mode == 3 ? 1 : 0;
  for (PersistenceControls* p : PersistencePanels()) {
    if (!p || !p->NormalPersistence1) continue;
    const auto items = p->PersistenceModeItems();
    for (int m = 1; m <= 3; ++m) items[static_cast<std::size_t>(m - 1)]->SetChecked(m == mode);
  }
  if (mode == 1)
    for (FrontPanelControls* p : {static_cast<FrontPanelControls*>(this), static_cast<FrontPanelControls*>(Form11)})
      if (p && p->SpeedButton23) p->SpeedButton23->SetEnabled(true);
  if (OKRightDlg) OKRightDlg->EnableForMode(mode);
}

void TForm1::NormalPersistence1Click(TObject*) { PersistenceModeClick(1); }
void TForm1::PersistencewithIntensityGrading1Click(TObject*) { PersistenceModeClick(2); }
void TForm1::VariablePersistence1Click(TObject*) { PersistenceModeClick(3); }

void TForm1::PersistenceOptions1Click(TObject*) {
  if (OKRightDlg) OKRightDlg->ShowModal();
}

void TForm1::SetPersistenceModeItemsEnabled(bool enabled) {
  for (PersistenceControls* p : PersistencePanels()) {
    if (!p || !p->PersistencewithIntensityGrading1) continue;
    p->PersistencewithIntensityGrading1->SetEnabled(enabled);
    p->VariablePersistence1->SetEnabled(enabled);
  }
}
