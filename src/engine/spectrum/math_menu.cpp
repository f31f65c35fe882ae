// The "Math" menu and the math button on the main window: one of CH1+CH2,
// CH1-CH2, CH1*CH2, CH1/CH2, XY and Invert CH2 at a time, the button
// switching the computed display on and off without leaving the function.
// The traces themselves are computed while they are drawn.
#include "display/display_state.h"
#include "display/persistence_state.h"
#include "engine/control_panel.h"
#include "engine/scope_state.h"
#include "engine/spectrum/spectrum_controller.h"
#include "engine/step_tables.h"
#include "platform/ui/vcl.h"

namespace {

// Order of AnalysisControls::MathItems().
enum MathMode { kSum, kDifference, kProduct, kQuotient, kXY, kInvert, kModes };

constexpr const char* kButtonCaptions[kModes] = {"CH1+CH2", "CH1-CH2", "CH1*CH2", "CH1/CH2", "XY Plot", "Invert CH2"};

std::uint8_t* ModeFlag(const engine::WithScopeStates& states, int mode) {
  switch (mode) {
    case kSum: return &states.DisplayState.Ch1PlusCh2Mode;
    case kDifference: return &states.DisplayState.Ch1MinusCh2Mode;
    case kProduct: return &states.DisplayState.MultiplyMode;
    case kQuotient: return &states.DisplayState.DivideMode;
    case kXY: return &states.DisplayState.XYPlotMode;
    default: return &states.ScopeState.InvertCh2Mode;
  }
}

// The function now chosen, or kModes when none.
int ChosenMode(const engine::WithScopeStates& states) {
  for (int mode = 0; mode < kModes; ++mode)
    if (*ModeFlag(states, mode)) return mode;
  return kModes;
}


// "Persist" on both windows, where it is built.
void SetPersistEnabled(FrontPanelControls& own, bool enabled) {
  FrontPanelControls* panels[2] = {&own, Form11};
  for (FrontPanelControls* p : panels)
    if (p && p->SpeedButton23) p->SpeedButton23->SetEnabled(enabled);
}

bool GradedOrVariable(const engine::WithScopeStates& states) { return states.PersistenceState.PersistenceMode == 2 || states.PersistenceState.PersistenceMode == 3; }

// The CH2 texts of the front panel that an inverted CH2 shows in the second
// math colour; otherwise the label is CH2's (grey while hidden) and the
// coupling buttons read as CH1's do.
void ColourCh2Labels(const engine::WithScopeStates& states, FrontPanelControls& own, bool inverted) {
  FrontPanelControls* panels[2] = {&own, Form11};
  for (FrontPanelControls* p : panels) {
    if (!p) continue;
    SetFontColorOf(p->LabelCh2, inverted ? states.DisplayState.Math2Color : states.ScopeState.Settings.Channels[1].On ? states.DisplayState.Ch2Color : clGray);
    for (TGrSpeedButton* b : {p->SpeedButton__ac2, p->SpeedButton_dc2, p->SpeedButton_gnd2}) {
      b->Font().Color = inverted ? states.DisplayState.Math2Color : p->SpeedButton_dc1->Font().Color;
      b->FontChanged();
    }
  }
}

}  // namespace

namespace engine::spectrum {

void SpectrumController::SetFastestStepsEnabled(bool enabled) {
  FrontPanelControls* panels[2] = {&panel_, Form11};
  for (FrontPanelControls* p : panels)
    if (p) {
      p->SpeedButton02us->SetEnabled(enabled);
      p->SpeedButton01us->SetEnabled(enabled);
    }
}

// Steps shared by the menu and the button once MathOff and the flags are set:
// marker voltages, the picture rebuilt, the "On" buttons.
void SpectrumController::RebuildMathPicture() {
  if (ScopeState.Settings.TriggerOff == 0 && ScopeState.Settings.TriggerSource == 0) {
    SetFontColorOf(panel_.Label3, DisplayState.Ch2Color);
    if (Form11) SetFontColorOf(Form11->Label3, DisplayState.Ch2Color);
  }
  host_.kursorivoltit();
  ScopeState.ClearPending = 1;
  host_.putsataanko();
  FrontPanelControls* panels[2] = {&panel_, Form11};
  for (FrontPanelControls* p : panels)
    if (p) {
      p->CH1on->SetEnabled(p->SpeedButtonCh1->Enabled());
      p->CH2on->SetEnabled(p->SpeedButtonCh2->Enabled());
    }
  host_.piirrot();
}

void SpectrumController::MathModeClick(int mode) {
  const bool on = *ModeFlag(*this, mode) == 0;
  const bool arithmetic = mode <= kQuotient;

  // Persistence does not go with a computed trace, except infinite
  // persistence with XY and the quotient, and the inverted CH2.
  const bool keepPersistence = !on || mode == kInvert || ((mode == kXY || mode == kQuotient) && !GradedOrVariable(*this));
  if (keepPersistence) {
    SetPersistEnabled(panel_, true);
    host_.SetPersistenceModeItemsEnabled(true);
  } else {
    host_.ReleasePersist();
    host_.SetPersistenceModeItemsEnabled(false);
    SetPersistEnabled(panel_, !GradedOrVariable(*this));
  }

  for (int m = 0; m < kModes; ++m) *ModeFlag(*this, m) = 0;
  *ModeFlag(*this, mode) = on ? 1 : 0;

  // and 3.
  for (AnalysisControls* a : {&analysis_, static_cast<AnalysisControls*>(Form11)}) {
    if (!a) continue;
    const auto items = a->MathItems();
    for (int m = 0; m < kModes; ++m) items[static_cast<std::size_t>(m)]->SetChecked(m == mode && on);
  }
  FrontPanelControls* buttons[2] = {&panel_, Form11};
  for (FrontPanelControls* p : buttons) {
    if (!p) continue;
    p->SpeedButton21->SetVisible(on);
    p->SpeedButton21->SetCaption(kButtonCaptions[mode]);
    p->SpeedButton21->SetDown(on);
  }

  // Pens and label colours.
  ScopeState.MathOff = on ? 0 : 1;
  DisplayState.Ch1PenColor = DisplayState.Ch1XorColor;
  DisplayState.Ch2PenColor = DisplayState.Ch2XorColor;
  if (on && mode == kInvert) DisplayState.Ch2PenColor = DisplayState.Math2PenColor;
  ColourCh2Labels(*this, panel_, on && mode == kInvert);
  if (!on) SetFontColorOf(panel_.LabelCh1, ScopeState.Settings.Channels[0].On ? DisplayState.Ch1Color : clGray);

  // The computed traces need real samples: not the two magnified steps.
  if (arithmetic && on && ScopeState.Settings.TimeBaseRow >= engine::kTimeBase02us) {
    panel_.SpeedButton05us->SetDown(true);
    host_.SpeedButton05usClick(&side_.Window);
  }
  if (arithmetic) SetFastestStepsEnabled(!on);
  if (mode == kXY || mode == kInvert) SetFastestStepsEnabled(true);

  // The XY figure needs both channels; the time and voltage markers do not fit it.
  const bool xy = mode == kXY && on;
  FrontPanelControls* panels[2] = {&panel_, Form11};
  for (FrontPanelControls* p : panels)
    if (p) {
      p->SpeedButtonCh1->SetEnabled(!xy);
      p->SpeedButtonCh2->SetEnabled(!xy);
    }
  if (xy && side_.Markers1 && side_.Markers1->Checked()) host_.Markers1Click(&side_.Window);
  if (xy) DisplayState.MarkersOn = 0;
  for (TMenuItem* markers : {side_.Markers1, Form11 ? Form11->Markers1 : nullptr})
    if (markers) markers->SetEnabled(!xy);
  if (mode == kInvert && on) {
    for (TGrSpeedButton* on_button : {panel_.CH1on, panel_.CH2on})
      if (!ScopeState.Settings.On(on_button == panel_.CH1on ? 1 : 2)) {
        on_button->SetDown(true);
        on_button == panel_.CH1on ? host_.CH1onClick(&side_.Window) : host_.CH2onClick(&side_.Window);
      }
  }

  // The math picture follows the new choice.
  RebuildMathPicture();
}

void SpectrumController::CH1CH21Click(TObject*) { MathModeClick(kSum); }
void SpectrumController::CH1CH22Click(TObject*) { MathModeClick(kDifference); }
void SpectrumController::MultiClick(TObject*) { MathModeClick(kProduct); }
void SpectrumController::DiviClick(TObject*) { MathModeClick(kQuotient); }
void SpectrumController::xyplot1Click(TObject*) { MathModeClick(kXY); }
void SpectrumController::InvertCH21Click(TObject*) { MathModeClick(kInvert); }

void SpectrumController::SpeedButton21Click(TObject*) {
  const bool down = panel_.SpeedButton21->Down();
  if (Form11) Form11->SpeedButton21->SetDown(down);
  const int mode = ChosenMode(*this);
  FrontPanelControls* panels[2] = {&panel_, Form11};
  DisplayState.Ch1PenColor = DisplayState.Ch1XorColor;
  DisplayState.Ch2PenColor = DisplayState.Ch2XorColor;
  if (down) {
    ScopeState.MathOff = 0;
    if (mode == kInvert) {
      DisplayState.Ch2PenColor = DisplayState.Math2PenColor;
      ColourCh2Labels(*this, panel_, true);
      if (panel_.Label3) SetFontColorOf(panel_.Label3, DisplayState.Math2Color);
    }
    if (mode == kXY) {
      for (FrontPanelControls* p : panels)
        if (p) {
          p->SpeedButtonCh1->SetEnabled(false);
          p->SpeedButtonCh2->SetEnabled(false);
        }
    } else {
      SetFastestStepsEnabled(mode == kInvert);
    }
  } else {
    ScopeState.MathOff = 1;
    ColourCh2Labels(*this, panel_, false);
    SetFontColorOf(panel_.LabelCh1, ScopeState.Settings.Channels[0].On ? DisplayState.Ch1Color : clGray);
    for (FrontPanelControls* p : panels)
      if (p) {
        p->SpeedButtonCh1->SetEnabled(true);
        p->SpeedButtonCh2->SetEnabled(true);
      }
    for (TMenuItem* markers : {side_.Markers1, Form11 ? Form11->Markers1 : nullptr})
      if (markers) markers->SetEnabled(true);
  }
  RebuildMathPicture();
}

}  // namespace engine::spectrum
