// Persistence on the main window and the twin panel: "Persist", the three
// modes and the options dialog, and what a press of "Persist" prepares.
#include <array>

#include "display/display_state.h"
#include "display/persistence.h"
#include "display/persistence_drawing.h"
#include "display/persistence_state.h"
#include "engine/big_screen.h"
#include "engine/control_panel.h"
#include "engine/persistence/persistence_controller.h"
#include "engine/persistence_controls.h"
#include "engine/persistence_options.h"
#include "engine/scope_state.h"
#include "widgets/control_maker.h"

namespace {

// The Big Screen's legend strips lie this much further right.
constexpr int kBigScreenLegendOffset = 330;

// A button of its own group: down and up by itself.
constexpr int kPersistGroup = 44;

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

namespace engine::persistence {

PersistenceController::PersistenceController(const engine::WithScopeStates& states, PersistenceHost& host,
                                             TForm& window, PersistenceControls& persistence,
                                             FrontPanelControls& panel, HistoryControls& history,
                                             display::ScopeView& view, TImage& picture, TScrollBar& positionBar)
    : engine::WithScopeStates(states),
      host_(host),
      window_(window),
      persistence_(persistence),
      panel_(panel),
      history_(history),
      view_(view),
      picture_(picture),
      positionBar_(positionBar) {}

// ---------------------------------------------------------------- "Persist"

void PersistenceController::SpeedButton23Click(TObject*) {
  const bool down = panel_.SpeedButton23->Down();
  MirrorToTwin(panel_, &FrontPanelControls::SpeedButton23);
  const std::int32_t mode = PersistenceState.PersistenceMode;
  if (mode == 2 || mode == 3) {
    display::ClearPersistenceStores(view_);
    if (Form10) display::ClearPersistenceStores(Form10->BigView);
  }
  if ((down && mode == 2) || mode == 3) {
    ScopeState.ClearPending = 1;
    host_.putsataanko();
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
    display::DrawPersistenceLegend(view_, 0, display::PersistenceLookOf(PersistenceState));
    picture_.Invalidate();
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
    host_.putsataanko();
    host_.piirrot();
  }
}

void PersistenceController::ReleasePersist() {
  TGrSpeedButton* persist = panel_.SpeedButton23;
  if (!persist || !persist->Down()) return;
  persist->SetDown(false);
  SpeedButton23Click(&window_);
}

void PersistenceController::RestartPersist() {
  TGrSpeedButton* persist = panel_.SpeedButton23;
  if (!persist || !persist->Down()) return;
  ReleasePersist();
  persist->SetDown(true);
  SpeedButton23Click(&window_);
}

// ---------------------------------------------------------------- modes

void PersistenceController::PersistenceModeClick(int mode) {
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
    for (FrontPanelControls* p : {&panel_, static_cast<FrontPanelControls*>(Form11)})
      if (p && p->SpeedButton23) p->SpeedButton23->SetEnabled(true);
  if (OKRightDlg) OKRightDlg->EnableForMode(mode);
}

void PersistenceController::NormalPersistence1Click(TObject*) { PersistenceModeClick(1); }
void PersistenceController::PersistencewithIntensityGrading1Click(TObject*) { PersistenceModeClick(2); }
void PersistenceController::VariablePersistence1Click(TObject*) { PersistenceModeClick(3); }

void PersistenceController::PersistenceOptions1Click(TObject*) {
  if (OKRightDlg) OKRightDlg->ShowModal();
}

void PersistenceController::SetPersistenceModeItemsEnabled(bool enabled) {
  for (PersistenceControls* p : PersistencePanels()) {
    if (!p || !p->PersistencewithIntensityGrading1) continue;
    p->PersistencewithIntensityGrading1->SetEnabled(enabled);
    p->VariablePersistence1->SetEnabled(enabled);
  }
}

// Both windows' controls, where they are built.
std::array<PersistenceControls*, 2> PersistenceController::PersistencePanels() const {
  return {&persistence_, Form11};
}

}  // namespace engine::persistence
