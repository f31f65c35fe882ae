// The front panel's building and binding, and the front-panel methods the
// other instruments and windows call on the main window, each handing on to
// the front-panel controller.
#include <array>
#include <memory>

#include "engine/front_panel/front_panel_controller.h"
#include "engine/front_panel/time_base.h"
#include "engine/main_form.h"

using engine::front_panel::FrontPanelController;

namespace {

using Handler = void (FrontPanelController::*)(TObject*);

}  // namespace

// ---------------------------------------------------------------- building

void TForm1::CreateFrontPanel() {
  front_panel_ = std::make_unique<FrontPanelController>(
      engine::ScopeStates{ScopeState, DisplayState, HistoryState, PersistenceState}, *this, *this,
      engine::front_panel::MainWindowControls{Image1, ScrollBar2, Timer2, GrSpeedButton15}, MainView, device_);
  FrontPanelController* panel = front_panel_.get();

  FrontPanelArea = new TPanel(this);
  FrontPanelArea->Name = "FrontPanelArea";
  FrontPanelArea->SetParent(this);
  FrontPanelArea->SetBevelOuter(bvNone);
  FrontPanelArea->SetBounds(Image1->Left() + Image1->Width() + 6, Image1->Top(), kFrontPanelWidth,
                            kFrontPanelHeight);
  BuildFrontPanel(this, FrontPanelArea, *this, DisplayState);

  auto bind = [panel](TSpeedButton* b, Handler h) { b->OnClick = [panel, h](TObject* s) { (panel->*h)(s); }; };
  // Time base: the span buttons share the handlers of their rows.
  for (std::size_t row = 0; row < engine::TimeBaseTable.size(); ++row) {
    const Handler handler = engine::front_panel::TimeBaseHandlers[row];
    for (const engine::PanelButton button : {engine::TimeBaseTable[row].Button, engine::TimeBaseTable[row].SpanButton}) {
      if (!button) continue;
      bind(this->*button, handler);
    }
  }
  bind(SpeedButton005us, &FrontPanelController::SpeedButton005usClick);
  bind(SpeedButton24, &FrontPanelController::SpeedButton24Click);

  // Vertical channels.
  const std::array<std::array<Handler, 6>, 2> ranges{{
      {&FrontPanelController::SpeedButton28Click, &FrontPanelController::SpeedButton15v1Click,
       &FrontPanelController::SpeedButton5v1Click, &FrontPanelController::SpeedButton1p5v1Click,
       &FrontPanelController::SpeedButton05v1Click, &FrontPanelController::SpeedButton015v1Click},
      {&FrontPanelController::SpeedButton29Click, &FrontPanelController::SpeedButton15v2Click,
       &FrontPanelController::SpeedButton5v2Click, &FrontPanelController::SpeedButton1p5v2Click,
       &FrontPanelController::SpeedButton05v2Click, &FrontPanelController::SpeedButton015v2Click},
  }};
  for (int channel = 1; channel <= 2; ++channel)
    for (std::size_t i = 0; i < 6; ++i) bind(RangeButtons(channel)[i], ranges[static_cast<std::size_t>(channel - 1)][i]);
  bind(SpeedButton_ac1, &FrontPanelController::SpeedButton_ac1Click);
  bind(SpeedButton_dc1, &FrontPanelController::SpeedButton_dc1Click);
  bind(SpeedButton_gnd1, &FrontPanelController::SpeedButton_gnd1Click);
  bind(SpeedButton__ac2, &FrontPanelController::SpeedButton__ac2Click);
  bind(SpeedButton_dc2, &FrontPanelController::SpeedButton_dc2Click);
  bind(SpeedButton_gnd2, &FrontPanelController::SpeedButton_gnd2Click);
  bind(x11, &FrontPanelController::x11Click);
  bind(x101, &FrontPanelController::x101Click);
  bind(x12, &FrontPanelController::x12Click);
  bind(x102, &FrontPanelController::x102Click);
  bind(CH1on, &FrontPanelController::CH1onClick);
  bind(CH2on, &FrontPanelController::CH2onClick);
  bind(SpeedButtonCh1, &FrontPanelController::SpeedButtonCh1Click);
  bind(SpeedButtonCh2, &FrontPanelController::SpeedButtonCh2Click);
  // TrackBar1/2 and Run/Single are bound with the start-up and acquisition
  // components, which name them.
}

void TForm1::BindTriggerHandlers() {
  FrontPanelController* panel = front_panel_.get();
  auto bind = [panel](TSpeedButton* b, Handler h) { b->OnClick = [panel, h](TObject* s) { (panel->*h)(s); }; };
  bind(SpeedButton3, &FrontPanelController::SpeedButton3Click);
  bind(SpeedButton4, &FrontPanelController::SpeedButton4Click);
  bind(SpeedButton_ext, &FrontPanelController::SpeedButton_extClick);
  bind(SpeedButton5, &FrontPanelController::SpeedButton5Click);
  bind(SpeedButton6, &FrontPanelController::SpeedButton6Click);
  bind(SpeedButton7, &FrontPanelController::SpeedButton7Click);
  bind(SpeedButton8, &FrontPanelController::SpeedButton8Click);
  TrackBar3->OnChange = [panel](TObject* s) { panel->TrackBar3Change(s); };
}

engine::front_panel::FrontPanelController* engine::front_panel::MainFrontPanel() {
  return Form1 ? &Form1->FrontPanel() : nullptr;
}

// ---------------------------------------------------------------- called by the other instruments and windows

void TForm1::Set500() { FrontPanel().Set500(); }
void TForm1::Set_DACs() { FrontPanel().Set_DACs(); }
void TForm1::RangeCodeClick(int channel, std::uint8_t code) { FrontPanel().RangeCodeClick(channel, code); }
void TForm1::SpeedButton5v1Click(TObject* s) { FrontPanel().SpeedButton5v1Click(s); }
void TForm1::SpeedButton5v2Click(TObject* s) { FrontPanel().SpeedButton5v2Click(s); }
void TForm1::SpeedButton_ac1Click(TObject* s) { FrontPanel().SpeedButton_ac1Click(s); }
void TForm1::SpeedButton_dc1Click(TObject* s) { FrontPanel().SpeedButton_dc1Click(s); }
void TForm1::SpeedButton_gnd1Click(TObject* s) { FrontPanel().SpeedButton_gnd1Click(s); }
void TForm1::SpeedButton__ac2Click(TObject* s) { FrontPanel().SpeedButton__ac2Click(s); }
void TForm1::SpeedButton_dc2Click(TObject* s) { FrontPanel().SpeedButton_dc2Click(s); }
void TForm1::SpeedButton_gnd2Click(TObject* s) { FrontPanel().SpeedButton_gnd2Click(s); }
void TForm1::x11Click(TObject* s) { FrontPanel().x11Click(s); }
void TForm1::x101Click(TObject* s) { FrontPanel().x101Click(s); }
void TForm1::x12Click(TObject* s) { FrontPanel().x12Click(s); }
void TForm1::x102Click(TObject* s) { FrontPanel().x102Click(s); }
void TForm1::CH1onClick(TObject* s) { FrontPanel().CH1onClick(s); }
void TForm1::CH2onClick(TObject* s) { FrontPanel().CH2onClick(s); }
void TForm1::ch1_dso() { FrontPanel().ch1_dso(); }
void TForm1::TimeBaseStepClick(std::size_t row) { FrontPanel().TimeBaseStepClick(row); }
void TForm1::ReapplyTimeBase() { FrontPanel().ReapplyTimeBase(); }
void TForm1::SpeedButton02msClick(TObject* s) { FrontPanel().SpeedButton02msClick(s); }
void TForm1::SpeedButton05usClick(TObject* s) { FrontPanel().SpeedButton05usClick(s); }
void TForm1::ScrollBar2Change(TObject* s) { FrontPanel().ScrollBar2Change(s); }
void TForm1::SpeedButton8Click(TObject* s) { FrontPanel().SpeedButton8Click(s); }
void TForm1::RefreshDeviceTriggerLevel() { FrontPanel().RefreshDeviceTriggerLevel(); }
