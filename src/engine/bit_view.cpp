// The bit view ("10110010"): each captured byte of a channel shown as eight
// successive logic levels, CH1 in the upper half of the picture and CH2 in
// the lower half. The expansion itself runs with every drawing (piirrot).
#include "display/display_state.h"
#include "engine/control_panel.h"
#include "engine/main_form.h"
#include "engine/scope_state.h"
#include "platform/ui/vcl.h"

namespace {

constexpr int kBitButtonWidth = 80;
constexpr int kBitButtonHeight = 21;
constexpr int kBitViewGroup = 15;

}  // namespace

void TForm1::CreateBitViewControls() {
  GrSpeedButton15 = new TGrSpeedButton(this);
  GrSpeedButton15->Name = "GrSpeedButton15";
  GrSpeedButton15->SetParent(this);
  GrSpeedButton15->SetGlyph(*MakeButtonStrip(kBitButtonWidth, kBitButtonHeight, kButtonBaseColor));
  GrSpeedButton15->SetNumGlyphs(4);
  GrSpeedButton15->SetTransparentColor(clRed);
  // Under the front panel, beside the horizontal position bar.
  GrSpeedButton15->SetBounds(FrontPanelArea->Left(), FrontPanelArea->Top() + FrontPanelArea->Height() + 6,
                             kBitButtonWidth, kBitButtonHeight);
  GrSpeedButton15->SetCaption("10110010");
  GrSpeedButton15->SetGroupIndex(kBitViewGroup);
  GrSpeedButton15->SetAllowAllUp(true);
  GrSpeedButton15->OnClick = [this](TObject* s) { GrSpeedButton15Click(s); };
}

void TForm1::GrSpeedButton15Click(TObject* /*Sender*/) {
  if (!GrSpeedButton15->Down()) {
    ScopeState.Settings.DigitalMode = 0;
    ScopeState.ClearPending = 1;
    ReapplyTimeBase();
    piirrot();
    return;
  }
  poisto();
  ScopeState.Settings.DigitalMode = 1;
  // Logic levels are steps: no sine ringing between them.
  DisplayState.InterpolationChoice = 1;
  // The time base is applied again for eight samples per byte (and the
  // device told to send bits).
  ReapplyTimeBase();
  piirrot();
  SpeedButton005us->SetDown(true);
  if (Form11) Form11->SpeedButton005us->SetDown(true);
  TulostaTeksti(ScopeState.DemoMode ? "Not supported in Demo Mode" : "Digital function is active", ScopeState.ScreenX0 + 265, 3,
                clRed);
  // An average over bits means nothing.
  ScopeState.AveragingOn = 0;
  ScopeState.AverageRunning = 0;
  ScopeState.AverageCount = 0;
  ScopeState.AverageLength = 4;
  if (Off1) Off1->SetChecked(true);
}
