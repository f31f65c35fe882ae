// The twin control panel: its layout and its forwards to the main window.
#include "engine/control_panel.h"

#include "engine/acquisition/acquisition_controller.h"
#include "engine/big_screen.h"
#include "engine/front_panel/front_panel_controller.h"
#include "engine/front_panel/time_base.h"
#include "engine/scope_state.h"
#include "engine/step_tables.h"
#include "widgets/control_maker.h"

namespace {

using engine::acquisition::AcquisitionController;
using engine::front_panel::FrontPanelController;
using PanelHandler = void (FrontPanelController::*)(TObject*);
using AcquisitionHandler = void (AcquisitionController::*)(TObject*);

// The volts/div handlers of each channel in RangeTable order.
constexpr std::array<std::array<PanelHandler, 6>, 2> kRangeHandlers{{
    {&FrontPanelController::SpeedButton28Click, &FrontPanelController::SpeedButton15v1Click,
     &FrontPanelController::SpeedButton5v1Click, &FrontPanelController::SpeedButton1p5v1Click,
     &FrontPanelController::SpeedButton05v1Click, &FrontPanelController::SpeedButton015v1Click},
    {&FrontPanelController::SpeedButton29Click, &FrontPanelController::SpeedButton15v2Click,
     &FrontPanelController::SpeedButton5v2Click, &FrontPanelController::SpeedButton1p5v2Click,
     &FrontPanelController::SpeedButton05v2Click, &FrontPanelController::SpeedButton015v2Click},
}};

// The handlers do not look at their sender.
constexpr TObject* kNoSender = nullptr;

// Runs the main window's front-panel handler, if there is a main window.
void ForwardToPanel(PanelHandler handler) {
  if (FrontPanelController* main = engine::front_panel::MainFrontPanel()) (main->*handler)(kNoSender);
}

// The main window's copy of the twin panel's `button` takes its state, then
// the main window's handler runs.
bool CopyToMain(const FrontPanelControls& twin, engine::PanelButton button) {
  FrontPanelController* main = engine::front_panel::MainFrontPanel();
  if (!main || !(twin.*button)) return false;
  if (auto* b = main->Controls().*button) b->SetDown((twin.*button)->Down());
  return true;
}

void CopyThenForward(const FrontPanelControls& twin, engine::PanelButton button, PanelHandler handler) {
  if (CopyToMain(twin, button)) (engine::front_panel::MainFrontPanel()->*handler)(kNoSender);
}

void CopyThenForward(const FrontPanelControls& twin, engine::PanelButton button, AcquisitionHandler handler) {
  if (CopyToMain(twin, button)) (engine::acquisition::MainAcquisition()->*handler)(kNoSender);
}

// The main window's bar `bar` takes the twin's position.
void CopyBar(TTrackBar* twin, PanelControl<TTrackBar> bar) {
  FrontPanelController* main = engine::front_panel::MainFrontPanel();
  TTrackBar* mainBar = main ? main->Controls().*bar : nullptr;
  if (twin && mainBar) mainBar->SetPosition(twin->Position());
}

}  // namespace

void MirrorToTwin(const FrontPanelControls& main, PanelControl<TGrSpeedButton> control) {
  TGrSpeedButton* twin = TwinControl(control);
  if (twin && main.*control) twin->SetDown((main.*control)->Down());
}

void MirrorToTwin(const FrontPanelControls& main, PanelControl<TTrackBar> control) {
  TTrackBar* twin = TwinControl(control);
  if (twin && main.*control) twin->SetPosition((main.*control)->Position());
}

void ShowChannelSettings(FrontPanelControls* panel, const engine::ScopeSettings& s, int channel) {
  using FP = FrontPanelControls;
  static constexpr engine::PanelButton kCoupling[2][3] = {
      {&FP::SpeedButton_ac1, &FP::SpeedButton_dc1, &FP::SpeedButton_gnd1},
      {&FP::SpeedButton__ac2, &FP::SpeedButton_dc2, &FP::SpeedButton_gnd2}};
  static constexpr engine::PanelButton kProbes[2][2] = {{&FP::x11, &FP::x101}, {&FP::x12, &FP::x102}};
  static constexpr engine::PanelButton engine::RangeStep::*kRangeButtons[2] = {&engine::RangeStep::Ch1Button,
                                                                              &engine::RangeStep::Ch2Button};
  // "On" and its hidden companion, which is down while the trace is hidden.
  static constexpr engine::PanelButton kOn[2] = {&FP::CH1on, &FP::CH2on};
  static constexpr engine::PanelButton kOff[2] = {&FP::SpeedButtonCh1, &FP::SpeedButtonCh2};
  if (!panel || (channel != 1 && channel != 2)) return;
  auto press = [panel](engine::PanelButton button) {
    if (button && panel->*button) (panel->*button)->SetDown(true);
  };
  if (const engine::RangeStep* row = engine::RangeRowOfCode(s.GainCode(channel)))
    press(row->*kRangeButtons[channel - 1]);
  press(kCoupling[channel - 1][engine::CouplingIndex(s, channel)]);
  press(kProbes[channel - 1][s.X10(channel) ? 1 : 0]);
  const bool shown = s.On(channel) != 0;
  if (TGrSpeedButton* on = panel->*kOn[channel - 1]) on->SetDown(shown);
  if (TGrSpeedButton* off = panel->*kOff[channel - 1]) off->SetDown(!shown);
}

TForm11::TForm11(TComponent* owner, const engine::ScopeStates& states)
    : TForm(owner), engine::WithScopeStates(states) {
  Name = "Form11";
  SetCaption("Darvik48");

  ControlMaker make(this);
  MainMenu1 = new TMainMenu(this);
  MainMenu1->Name = "MainMenu1";
  File1 = make.Item(MainMenu1->Items(), "File1", "&File");
  Exit = make.Item(File1, "Exit", "E&xit", [this](TObject* s) { ExitClick(s); });
  SetMenu(MainMenu1);
  // The design size holds the menu bar too.
  SetBounds(194, 13, 732, 380);

  constexpr int kMargin = 8;
  BuildFrontPanel(this, this, *this, DisplayState);
  // BuildFrontPanel lays out from the parent's corner; give the panel a margin.
  for (TControl* c : {static_cast<TControl*>(GroupBox1), static_cast<TControl*>(Trigger),
                      static_cast<TControl*>(Time_div), static_cast<TControl*>(Freq_Range),
                      static_cast<TControl*>(SpeedButtonRun), static_cast<TControl*>(SpeedButtonSingle)})
    c->SetBounds(c->Left() + kMargin, c->Top() + kMargin, c->Width(), c->Height());

  const int right = kMargin + kFrontPanelWidth + 10;
  GrSpeedButton1 = new TGrSpeedButton(this);
  GrSpeedButton1->Name = "GrSpeedButton1";
  GrSpeedButton1->SetParent(this);
  GrSpeedButton1->SetGlyph(*MakeButtonStrip(150, 30, kButtonBaseColor));
  GrSpeedButton1->SetBounds(right, kMargin, 150, 30);
  GrSpeedButton1->SetCaption("Normal Screen");
  GrSpeedButton1->OnClick = [this](TObject* s) { GrSpeedButton1Click(s); };

  Digi = new TCheckBox(this);
  Digi->Name = "Digi";
  Digi->SetParent(this);
  Digi->SetBounds(right, kMargin + 40, 150, 20);
  Digi->SetCaption("Logic Analyzer");
  Digi->OnClick = [this](TObject* s) { DigiClick(s); };

  BindForwards();
  CreateAnalysisControls();
  CreatePersistenceControls();
  CreateMenusAndInstruments();
  CreateFileEditHelpMenus();
  OnClose = [this](TObject* s, TCloseAction& action) { FormClose(s, action); };
  // Never so small that a control is cut off.
  SetMinimumSize(ControlsWidth() + kMargin, ControlsHeight() + kMargin);
}

void TForm11::BindForwards() {
  auto bind = [](TSpeedButton* b, std::function<void()> action) {
    if (b) b->OnClick = [action = std::move(action)](TObject*) { action(); };
  };

  // The main window's handlers set the settings, which both panels show.
  for (std::size_t row = 0; row < engine::TimeBaseTable.size(); ++row) {
    const engine::TimeBaseStep& step = engine::TimeBaseTable[row];
    const PanelHandler handler = engine::front_panel::TimeBaseHandlers[row];
    for (const engine::PanelButton button : {step.Button, step.SpanButton})
      if (button) bind(this->*button, [handler] { ForwardToPanel(handler); });
  }
  for (int channel = 1; channel <= 2; ++channel)
    for (std::size_t i = 0; i < 6; ++i) {
      const PanelHandler handler = kRangeHandlers[static_cast<std::size_t>(channel - 1)][i];
      bind(RangeButtons(channel)[i], [handler] { ForwardToPanel(handler); });
    }

  bind(CH1on, [this] { CH1onClick(this); });
  bind(CH2on, [this] { CH2onClick(this); });
  bind(SpeedButtonRun, [this] { SpeedButtonRunClick(this); });
  bind(SpeedButtonSingle, [this] { SpeedButtonSingleClick(this); });
  bind(SpeedButton_ac1, [this] { SpeedButton_ac1Click(this); });
  bind(SpeedButton_dc1, [this] { SpeedButton_dc1Click(this); });
  bind(SpeedButton_gnd1, [this] { SpeedButton_gnd1Click(this); });
  bind(SpeedButton__ac2, [this] { SpeedButton_ac2Click(this); });
  bind(SpeedButton_dc2, [this] { SpeedButton_dc2Click(this); });
  bind(SpeedButton_gnd2, [this] { SpeedButton_gnd2Click(this); });
  bind(SpeedButton005us, [this] { SpeedButton005usClick(this); });
  bind(x11, [this] { x11Click(this); });
  bind(x101, [this] { x101Click(this); });
  bind(x12, [this] { x12Click(this); });
  bind(x102, [this] { x102Click(this); });
  bind(SpeedButton3, [this] { SpeedButton3Click(this); });
  bind(SpeedButton4, [this] { SpeedButton4Click(this); });
  bind(SpeedButton_ext, [this] { SpeedButton_extClick(this); });
  bind(SpeedButton5, [this] { SpeedButton5Click(this); });
  bind(SpeedButton6, [this] { SpeedButton6Click(this); });
  bind(SpeedButton7, [this] { SpeedButton7Click(this); });
  bind(SpeedButton8, [this] { SpeedButton8Click(this); });
  bind(SpeedButton24, [this] { SpeedButton24Click(this); });
  TrackBar1->OnChange = [this](TObject* s) { TrackBar1Change(s); };
  TrackBar2->OnChange = [this](TObject* s) { TrackBar2Change(s); };
  TrackBar3->OnChange = [this](TObject* s) { TrackBar3Change(s); };
}

void TForm11::CH1onClick(TObject*) { CopyThenForward(*this, &FrontPanelControls::CH1on, &FrontPanelController::CH1onClick); }
void TForm11::CH2onClick(TObject*) { CopyThenForward(*this, &FrontPanelControls::CH2on, &FrontPanelController::CH2onClick); }
void TForm11::SpeedButtonRunClick(TObject*) { CopyThenForward(*this, &FrontPanelControls::SpeedButtonRun, &AcquisitionController::SpeedButtonRunClick); }
void TForm11::SpeedButtonSingleClick(TObject*) {
  CopyThenForward(*this, &FrontPanelControls::SpeedButtonSingle, &AcquisitionController::SpeedButtonSingleClick);
}
void TForm11::SpeedButton_ac1Click(TObject*) { CopyThenForward(*this, &FrontPanelControls::SpeedButton_ac1, &FrontPanelController::SpeedButton_ac1Click); }
void TForm11::SpeedButton_dc1Click(TObject*) { CopyThenForward(*this, &FrontPanelControls::SpeedButton_dc1, &FrontPanelController::SpeedButton_dc1Click); }
void TForm11::SpeedButton_gnd1Click(TObject*) {
  CopyThenForward(*this, &FrontPanelControls::SpeedButton_gnd1, &FrontPanelController::SpeedButton_gnd1Click);
}
void TForm11::SpeedButton_ac2Click(TObject*) { CopyThenForward(*this, &FrontPanelControls::SpeedButton__ac2, &FrontPanelController::SpeedButton__ac2Click); }
void TForm11::SpeedButton_dc2Click(TObject*) { CopyThenForward(*this, &FrontPanelControls::SpeedButton_dc2, &FrontPanelController::SpeedButton_dc2Click); }
void TForm11::SpeedButton_gnd2Click(TObject*) {
  CopyThenForward(*this, &FrontPanelControls::SpeedButton_gnd2, &FrontPanelController::SpeedButton_gnd2Click);
}
void TForm11::SpeedButton005usClick(TObject*) {
  CopyThenForward(*this, &FrontPanelControls::SpeedButton005us, &FrontPanelController::SpeedButton005usClick);
}
void TForm11::x11Click(TObject*) { CopyThenForward(*this, &FrontPanelControls::x11, &FrontPanelController::x11Click); }
void TForm11::x101Click(TObject*) { CopyThenForward(*this, &FrontPanelControls::x101, &FrontPanelController::x101Click); }
void TForm11::x12Click(TObject*) { CopyThenForward(*this, &FrontPanelControls::x12, &FrontPanelController::x12Click); }
void TForm11::x102Click(TObject*) { CopyThenForward(*this, &FrontPanelControls::x102, &FrontPanelController::x102Click); }
void TForm11::SpeedButton3Click(TObject*) { ForwardToPanel(&FrontPanelController::SpeedButton3Click); }
void TForm11::SpeedButton4Click(TObject*) { ForwardToPanel(&FrontPanelController::SpeedButton4Click); }
void TForm11::SpeedButton_extClick(TObject*) { ForwardToPanel(&FrontPanelController::SpeedButton_extClick); }
void TForm11::SpeedButton5Click(TObject*) { ForwardToPanel(&FrontPanelController::SpeedButton5Click); }
void TForm11::SpeedButton6Click(TObject*) { ForwardToPanel(&FrontPanelController::SpeedButton6Click); }
void TForm11::SpeedButton7Click(TObject*) { ForwardToPanel(&FrontPanelController::SpeedButton7Click); }
void TForm11::SpeedButton8Click(TObject*) { ForwardToPanel(&FrontPanelController::SpeedButton8Click); }

void TForm11::TrackBar1Change(TObject*) { CopyBar(TrackBar1, &FrontPanelControls::TrackBar1); }
void TForm11::TrackBar2Change(TObject*) { CopyBar(TrackBar2, &FrontPanelControls::TrackBar2); }
void TForm11::TrackBar3Change(TObject*) { CopyBar(TrackBar3, &FrontPanelControls::TrackBar3); }

void TForm11::SpeedButton24Click(TObject*) { ForwardToPanel(&FrontPanelController::SpeedButton24Click); }
