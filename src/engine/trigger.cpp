// The trigger group of the front panel: source, slope, on/off and the level
// bar. Each handler sets the trigger in the scope's settings, which the
// settings packet carries and the buttons of both panels show, and keeps the
// level and position ticks on the picture and the status label and panel in
// step.
#include <algorithm>
#include <string>

#include "display/display_state.h"
#include "display/graticule.h"
#include "engine/control_panel.h"
#include "engine/main_form.h"
#include "engine/picture_settings.h"
#include "engine/scope_state.h"
#include "platform/ui/vcl.h"

namespace {

constexpr TColor kTriggerOnPanelColor = 0xC0B0B0;

constexpr std::uint8_t kSourceCh1 = 16;
constexpr std::uint8_t kSourceCh2 = 0;
constexpr std::uint8_t kSourceExternal = 1;
constexpr std::uint8_t kSlopeRising = 32;
constexpr std::uint8_t kSlopeFalling = 0;
constexpr std::uint8_t kTriggerOffCode = 64;

// The level the device (or the demo trigger search) works from: the demo
// source counts its codes the other way up.
std::uint8_t DeviceLevelFor(const engine::WithScopeStates& states, int position) {
  const auto p = static_cast<std::uint8_t>(std::clamp(position, 0, 255));
  return states.ScopeState.DemoMode ? static_cast<std::uint8_t>(255 - p) : p;
}

}  // namespace

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

// ---------------------------------------------------------------- source

void TForm1::SpeedButton3Click(TObject* /*Sender*/) { TriggerSourceClick(kSourceCh1); }
void TForm1::SpeedButton4Click(TObject* /*Sender*/) { TriggerSourceClick(kSourceCh2); }
void TForm1::SpeedButton_extClick(TObject* /*Sender*/) { TriggerSourceClick(kSourceExternal); }

void TForm1::TriggerSourceClick(std::uint8_t source) {
  putsataanko();
  if (ScopeState.Settings.TriggerSource == source) {
    ShowTrigger(*this);
    return;
  }

  // The ticks take the new source's colour: drawn again in the old pen
  // (which takes them off), then in the new one.
  const bool positionTick = !ScopeState.SpectrumMode && MainView.LineDrawn;
  if (DisplayState.TriggerOn) t_viiva();
  if (positionTick) viiva();
  ScopeState.Settings.TriggerSource = source;
  ShowTrigger(*this);
  if (DisplayState.TriggerOn) t_viiva();
  if (positionTick) viiva();
  Image1->Invalidate();

  asetus("", 0);
  if (ScopeState.Settings.TriggerOff == 0) ShowTriggerState();
  TrackBar3Change(this);
}

// ---------------------------------------------------------------- slope

void TForm1::SpeedButton5Click(TObject* /*Sender*/) { TriggerSlopeClick(kSlopeRising); }
void TForm1::SpeedButton6Click(TObject* /*Sender*/) { TriggerSlopeClick(kSlopeFalling); }

void TForm1::TriggerSlopeClick(std::uint8_t slope) {
  const bool changed = ScopeState.Settings.TriggerSlope != slope;
  ScopeState.Settings.TriggerSlope = slope;
  ShowTrigger(*this);
  if (changed) asetus("", 0);
}

// ---------------------------------------------------------------- on and off

void TForm1::SpeedButton7Click(TObject* /*Sender*/) {
  const bool changed = ScopeState.Settings.TriggerOff != 0;
  ScopeState.Settings.TriggerOff = 0;
  ScopeState.Settings.TriggerWanted = 1;
  ShowTrigger(*this);
  if (changed) asetus("", 0);
  putsataanko();

  SetStatusText("Trigger on");
  ShowTriggerState();
  if (!DisplayState.TriggerOn) {
    t_viiva();
    DisplayState.TriggerOn = 1;
  }
  Timer2->SetEnabled(true);
  ScopeState.TriggerWaitTicks = 0;
}

void TForm1::SpeedButton8Click(TObject* /*Sender*/) {
  const bool changed = ScopeState.Settings.TriggerOff != kTriggerOffCode;
  ScopeState.Settings.TriggerOff = kTriggerOffCode;
  ScopeState.Settings.TriggerWanted = 0;
  ShowTrigger(*this);
  if (changed) asetus("", 0);
  putsataanko();

  SetStatusText("Trigger off");
  ShowTriggerState();
  if (DisplayState.TriggerOn) {
    t_viiva();
    DisplayState.TriggerOn = 0;
  }
  Timer2->SetEnabled(false);
  ScopeState.TriggerWaitTicks = 0;
}

void TForm1::ShowTriggerState() {
  const bool on = ScopeState.Settings.TriggerOff == 0;
  const TColor text = on ? display::TriggerLabelColor(engine::CurrentColorTable(*this), ScopeState.Settings.TriggerSource, ScopeState.InvertCh2Mode && !ScopeState.MathOff) : clBlack;
  const TColor panel = on ? kTriggerOnPanelColor : clBtnFace;
  SetFontColorOf(Label3, text);
  SetFontColorOf(TwinControl(&FrontPanelControls::Label3), text);
  for (TPanel* p : {Panel2, TwinControl(&FrontPanelControls::Panel2)})
    if (p) p->SetColor(panel);
}

// ---------------------------------------------------------------- level

void TForm1::TrackBar3Change(TObject* /*Sender*/) {
  ScopeState.CaptureCount = 0;
  putsataanko();
  const int position = TrackBar3->Position();
  if (DisplayState.TriggerOn) {
    t_viiva();
    ScopeState.Settings.TriggerLevel = static_cast<std::uint8_t>(position);
    t_viiva();
    Image1->Invalidate();
  } else {
    ScopeState.Settings.TriggerLevel = static_cast<std::uint8_t>(position);
  }
  ScopeState.Settings.DeviceTriggerLevel = DeviceLevelFor(*this, position);
  ShowTriggerLevel(*this);
  Set500();
}

void TForm1::RefreshDeviceTriggerLevel() {
  // The level differs between the two modes for every position, so an
  // equal level means the mode did not change: nothing to send.
  const std::uint8_t level = DeviceLevelFor(*this, TrackBar3->Position());
  if (level == ScopeState.Settings.DeviceTriggerLevel) return;
  ScopeState.Settings.DeviceTriggerLevel = level;
  Set500();
}
