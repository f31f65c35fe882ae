// The main window's front-panel handlers and the methods others call, each
// handing the work to the front-panel controller.
#include <array>
#include <memory>

#include "engine/front_panel/front_panel_controller.h"
#include "engine/main_form.h"
#include "engine/time_base.h"

using engine::front_panel::FrontPanelController;
using engine::front_panel::TriggerSlope;
using engine::front_panel::TriggerSource;

namespace {

using Handler = void (TForm1::*)(TObject*);

}  // namespace

// ---------------------------------------------------------------- building

void TForm1::CreateFrontPanel() {
  front_panel_ = std::make_unique<FrontPanelController>(
      engine::ScopeStates{ScopeState, DisplayState, HistoryState, PersistenceState}, *this, *this,
      engine::front_panel::MainWindowControls{Image1, ScrollBar2, Timer2, GrSpeedButton15}, MainView, device_);

  FrontPanelArea = new TPanel(this);
  FrontPanelArea->Name = "FrontPanelArea";
  FrontPanelArea->SetParent(this);
  FrontPanelArea->SetBevelOuter(bvNone);
  FrontPanelArea->SetBounds(Image1->Left() + Image1->Width() + 6, Image1->Top(), kFrontPanelWidth,
                            kFrontPanelHeight);
  BuildFrontPanel(this, FrontPanelArea, *this, DisplayState);

  // Time base: the span buttons share the handlers of their rows.
  for (std::size_t row = 0; row < engine::TimeBaseTable.size(); ++row) {
    const Handler handler = TimeBaseHandlers[row];
    for (const engine::PanelButton button : {engine::TimeBaseTable[row].Button, engine::TimeBaseTable[row].SpanButton}) {
      if (!button) continue;
      (this->*button)->OnClick = [this, handler](TObject* s) { (this->*handler)(s); };
    }
  }
  SpeedButton005us->OnClick = [this](TObject* s) { SpeedButton005usClick(s); };
  SpeedButton24->OnClick = [this](TObject* s) { SpeedButton24Click(s); };

  // Vertical channels.
  const std::array<std::array<Handler, 6>, 2> ranges{{
      {&TForm1::SpeedButton28Click, &TForm1::SpeedButton15v1Click, &TForm1::SpeedButton5v1Click,
       &TForm1::SpeedButton1p5v1Click, &TForm1::SpeedButton05v1Click, &TForm1::SpeedButton015v1Click},
      {&TForm1::SpeedButton29Click, &TForm1::SpeedButton15v2Click, &TForm1::SpeedButton5v2Click,
       &TForm1::SpeedButton1p5v2Click, &TForm1::SpeedButton05v2Click, &TForm1::SpeedButton015v2Click},
  }};
  auto bind = [this](TSpeedButton* b, Handler h) { b->OnClick = [this, h](TObject* s) { (this->*h)(s); }; };
  for (int channel = 1; channel <= 2; ++channel)
    for (std::size_t i = 0; i < 6; ++i) bind(RangeButtons(channel)[i], ranges[static_cast<std::size_t>(channel - 1)][i]);
  bind(SpeedButton_ac1, &TForm1::SpeedButton_ac1Click);
  bind(SpeedButton_dc1, &TForm1::SpeedButton_dc1Click);
  bind(SpeedButton_gnd1, &TForm1::SpeedButton_gnd1Click);
  bind(SpeedButton__ac2, &TForm1::SpeedButton__ac2Click);
  bind(SpeedButton_dc2, &TForm1::SpeedButton_dc2Click);
  bind(SpeedButton_gnd2, &TForm1::SpeedButton_gnd2Click);
  bind(x11, &TForm1::x11Click);
  bind(x101, &TForm1::x101Click);
  bind(x12, &TForm1::x12Click);
  bind(x102, &TForm1::x102Click);
  bind(CH1on, &TForm1::CH1onClick);
  bind(CH2on, &TForm1::CH2onClick);
  bind(SpeedButtonCh1, &TForm1::SpeedButtonCh1Click);
  bind(SpeedButtonCh2, &TForm1::SpeedButtonCh2Click);
  // TrackBar1/2 and Run/Single are bound with the start-up and acquisition
  // components, which name them.
}

void TForm1::BindTriggerHandlers() {
  SpeedButton3->OnClick = [this](TObject* s) { SpeedButton3Click(s); };
  SpeedButton4->OnClick = [this](TObject* s) { SpeedButton4Click(s); };
  SpeedButton_ext->OnClick = [this](TObject* s) { SpeedButton_extClick(s); };
  SpeedButton5->OnClick = [this](TObject* s) { SpeedButton5Click(s); };
  SpeedButton6->OnClick = [this](TObject* s) { SpeedButton6Click(s); };
  SpeedButton7->OnClick = [this](TObject* s) { SpeedButton7Click(s); };
  SpeedButton8->OnClick = [this](TObject* s) { SpeedButton8Click(s); };
  TrackBar3->OnChange = [this](TObject* s) { TrackBar3Change(s); };
}

// ---------------------------------------------------------------- settings packet

void TForm1::Set500() { FrontPanel().Set500(); }
void TForm1::Set_DACs() { FrontPanel().Set_DACs(); }
void TForm1::asetus(const std::string& label, int kind) { FrontPanel().asetus(label, kind); }

// ---------------------------------------------------------------- volts/div

void TForm1::ApplyRangeStep(int channel, const engine::RangeStep& step) { FrontPanel().ApplyRangeStep(channel, step); }
void TForm1::RangeCodeClick(int channel, std::uint8_t code) { FrontPanel().RangeCodeClick(channel, code); }
void TForm1::SpeedButton28Click(TObject*) { FrontPanel().RangeClick(1, 0); }
void TForm1::SpeedButton15v1Click(TObject*) { FrontPanel().RangeClick(1, engine::kRange1V); }
void TForm1::SpeedButton5v1Click(TObject*) { FrontPanel().RangeClick(1, 2); }
void TForm1::SpeedButton1p5v1Click(TObject*) { FrontPanel().RangeClick(1, 3); }
void TForm1::SpeedButton05v1Click(TObject*) { FrontPanel().RangeClick(1, 4); }
void TForm1::SpeedButton015v1Click(TObject*) { FrontPanel().RangeClick(1, 5); }
void TForm1::SpeedButton29Click(TObject*) { FrontPanel().RangeClick(2, 0); }
void TForm1::SpeedButton15v2Click(TObject*) { FrontPanel().RangeClick(2, engine::kRange1V); }
void TForm1::SpeedButton5v2Click(TObject*) { FrontPanel().RangeClick(2, 2); }
void TForm1::SpeedButton1p5v2Click(TObject*) { FrontPanel().RangeClick(2, 3); }
void TForm1::SpeedButton05v2Click(TObject*) { FrontPanel().RangeClick(2, 4); }
void TForm1::SpeedButton015v2Click(TObject*) { FrontPanel().RangeClick(2, 5); }

// ---------------------------------------------------------------- coupling, probes, positions

void TForm1::SpeedButton_ac1Click(TObject*) { FrontPanel().CouplingClick(1, kAc); }
void TForm1::SpeedButton_dc1Click(TObject*) { FrontPanel().CouplingClick(1, kDc); }
void TForm1::SpeedButton_gnd1Click(TObject*) { FrontPanel().CouplingClick(1, kGnd); }
void TForm1::SpeedButton__ac2Click(TObject*) { FrontPanel().CouplingClick(2, kAc); }
void TForm1::SpeedButton_dc2Click(TObject*) { FrontPanel().CouplingClick(2, kDc); }
void TForm1::SpeedButton_gnd2Click(TObject*) { FrontPanel().CouplingClick(2, kGnd); }
void TForm1::x11Click(TObject*) { FrontPanel().ProbeClick(1, false); }
void TForm1::x101Click(TObject*) { FrontPanel().ProbeClick(1, true); }
void TForm1::x12Click(TObject*) { FrontPanel().ProbeClick(2, false); }
void TForm1::x102Click(TObject*) { FrontPanel().ProbeClick(2, true); }
void TForm1::TrackBar1Change(TObject*) { FrontPanel().PositionChange(1); }
void TForm1::TrackBar2Change(TObject*) { FrontPanel().PositionChange(2); }

// ---------------------------------------------------------------- channel display

void TForm1::ChannelOnClick(int channel) { FrontPanel().ChannelOnClick(channel); }
void TForm1::CH1onClick(TObject*) { FrontPanel().ChannelOnClick(1); }
void TForm1::CH2onClick(TObject*) { FrontPanel().ChannelOnClick(2); }
void TForm1::SpeedButtonCh1Click(TObject*) { FrontPanel().ChannelShowClick(1); }
void TForm1::SpeedButtonCh2Click(TObject*) { FrontPanel().ChannelShowClick(2); }
void TForm1::ch1_dso() { FrontPanel().ChannelDso(1); }

// ---------------------------------------------------------------- time base

void TForm1::ApplyTimeBaseStep(const engine::TimeBaseStep& step) { FrontPanel().ApplyTimeBaseStep(step); }
void TForm1::TimeBaseStepClick(std::size_t row) { FrontPanel().TimeBaseStepClick(row); }
void TForm1::ReapplyTimeBase() { FrontPanel().ReapplyTimeBase(); }
void TForm1::SpeedButton500msClick(TObject*) { FrontPanel().TimeBaseStepClick(0); }
void TForm1::SpeedButton200msClick(TObject*) { FrontPanel().TimeBaseStepClick(1); }
void TForm1::SpeedButton50usClick(TObject*) { FrontPanel().TimeBaseStepClick(2); }
void TForm1::SpeedButton01sClick(TObject*) { FrontPanel().TimeBaseStepClick(3); }
void TForm1::peedButton50msClick(TObject*) { FrontPanel().TimeBaseStepClick(4); }
void TForm1::SpeedButton20msClick(TObject*) { FrontPanel().TimeBaseStepClick(5); }
void TForm1::SpeedButton10msClick(TObject*) { FrontPanel().TimeBaseStepClick(6); }
void TForm1::SpeedButton5msClick(TObject*) { FrontPanel().TimeBaseStepClick(7); }
void TForm1::SpeedButton2msClick(TObject*) { FrontPanel().TimeBaseStepClick(engine::kTimeBase1ms); }
void TForm1::SpeedButton1msClick(TObject*) { FrontPanel().TimeBaseStepClick(9); }
void TForm1::SpeedButton05msClick(TObject*) { FrontPanel().TimeBaseStepClick(10); }
void TForm1::SpeedButton02msClick(TObject*) { FrontPanel().TimeBaseStepClick(11); }
void TForm1::SpeedButton01msClick(TObject*) { FrontPanel().TimeBaseStepClick(12); }
void TForm1::SpeedButton20usClick(TObject*) { FrontPanel().TimeBaseStepClick(13); }
void TForm1::SpeedButton55Click(TObject*) { FrontPanel().TimeBaseStepClick(14); }
void TForm1::SpeedButton10usClick(TObject*) { FrontPanel().TimeBaseStepClick(15); }
void TForm1::SpeedButton5usClick(TObject*) { FrontPanel().TimeBaseStepClick(16); }
void TForm1::SpeedButton2usClick(TObject*) { FrontPanel().TimeBaseStepClick(17); }
void TForm1::SpeedButton1usClick(TObject*) { FrontPanel().TimeBaseStepClick(18); }
void TForm1::SpeedButton05usClick(TObject*) { FrontPanel().TimeBaseStepClick(19); }
void TForm1::SpeedButton02usClick(TObject*) { FrontPanel().TimeBaseStepClick(20); }
void TForm1::SpeedButton01usClick(TObject*) { FrontPanel().TimeBaseStepClick(21); }
void TForm1::SpeedButton005usClick(TObject*) { FrontPanel().InterpolationClick(); }
void TForm1::ScrollBar2Change(TObject*) { FrontPanel().HorizontalPositionChange(); }
void TForm1::SpeedButton24Click(TObject*) { FrontPanel().PositionPresetClick(); }

// ---------------------------------------------------------------- trigger

void TForm1::SpeedButton3Click(TObject*) { FrontPanel().TriggerSourceClick(TriggerSource::Ch1); }
void TForm1::SpeedButton4Click(TObject*) { FrontPanel().TriggerSourceClick(TriggerSource::Ch2); }
void TForm1::SpeedButton_extClick(TObject*) { FrontPanel().TriggerSourceClick(TriggerSource::External); }
void TForm1::SpeedButton5Click(TObject*) { FrontPanel().TriggerSlopeClick(TriggerSlope::Rising); }
void TForm1::SpeedButton6Click(TObject*) { FrontPanel().TriggerSlopeClick(TriggerSlope::Falling); }
void TForm1::SpeedButton7Click(TObject*) { FrontPanel().TriggerOnClick(); }
void TForm1::SpeedButton8Click(TObject*) { FrontPanel().TriggerOffClick(); }
void TForm1::TrackBar3Change(TObject*) { FrontPanel().TriggerLevelChange(); }
void TForm1::RefreshDeviceTriggerLevel() { FrontPanel().RefreshDeviceTriggerLevel(); }
