// The main window's picture cycle: TForm1's drawing operations run the shared
// view code on Image1 and mirror each step on the Big Screen while it shows.
#include <algorithm>
#include <initializer_list>

#include "engine/add_text.h"
#include "engine/big_screen.h"
#include "display/display_state.h"
#include "display/scope_view.h"
#include "engine/capture_unpack.h"
#include "engine/control_panel.h"
#include "engine/main_form.h"
#include "engine/picture_settings.h"
#include "engine/scope_state.h"
#include "platform/ui/vcl.h"
#include "display/persistence_state.h"

namespace {


bool BigScreenShown() { return Form10 && Form10->Visible(); }

}  // namespace

void TForm1::putsataanko() {
  if (ScopeState.ClearPending) {
    display::WipePicture(MainView, DisplayState.BackgroundColor);
    DisplayState.FreqMarkerShown = 0;
    DoGrid();
    Image1->Invalidate();
    if (BigScreenShown()) Form10->putsataanko();
    ScopeState.ClearPending = 0;
    if (ScopeState.Settings.DigitalMode)
      TulostaTeksti(ScopeState.DemoMode ? "Not supported in Demo Mode" : "Digital function is active",
                    MainView.X0 + MainView.Texts.Notice, MainView.TopTextY, clRed);
  }
  // Autoset works on the plain channel traces only.
  const bool autoset = ScopeState.MathOff && !ScopeState.SpectrumMode;
  for (FrontPanelControls* panel : {static_cast<FrontPanelControls*>(this), static_cast<FrontPanelControls*>(Form11)}) {
    if (!panel) continue;
    for (TControl* button : {panel->Autoset1, panel->Autoset2})
      if (button) button->SetEnabled(autoset);
  }
}

void TForm1::poisto() {
  if (display::EraseTraces(MainView, engine::CurrentPictureSettings(*this))) ScopeState.PlotMethod = 0;
  if (BigScreenShown()) Form10->poisto();
}

void TForm1::piirrot() { DrawPicture(engine::CurrentPictureSettings(*this)); }

void TForm1::DrawCapture(const display::Capture& capture) {
  display::PictureSettings s = engine::CurrentPictureSettings(*this);
  s.Samples = engine::ShownSamples(*this, capture);
  DrawPicture(s);
}

void TForm1::DrawPicture(display::PictureSettings s) {
  if (ScopeState.Settings.DigitalMode) engine::ExpandBitView(*this);
  if (display::DrawTraces(MainView, s)) s.PlotMethod = ScopeState.PlotMethod = 0;
  if (BigScreenShown()) Form10->DrawPicture(s);
  if (Form_9) {
    if (ScopeState.ScopeNoteShown) Form_9->note();
    if (ScopeState.ParametersOnScreen) Form_9->note_1();
  }
  Image1->Invalidate();
}

void TForm1::piirra(int trace) {
  if (display::PlotTraceOn(MainView, engine::CurrentPictureSettings(*this), trace)) ScopeState.PlotMethod = 0;
}
void TForm1::piirto(int first, int end) { display::DrawPlain(MainView, engine::CurrentPictureSettings(*this), first, end); }
void TForm1::piirto30(int first, int end, int step) {
  display::DrawSine(MainView, engine::CurrentPictureSettings(*this), first, end, step);
}
void TForm1::piirto10(int first, int end, int step) {
  display::DrawLinear(MainView, engine::CurrentPictureSettings(*this), first, end, step);
}
void TForm1::Kayran_Piirto(int count) { display::DrawPlotPoints(MainView, engine::CurrentPictureSettings(*this), count); }
void TForm1::viiva() { display::DrawTriggerTick(MainView, engine::CurrentPictureSettings(*this)); }

void TForm1::RedrawWithoutPositionOffset() {
  if (DisplayState.Channels[0].CapturePos == 0 && DisplayState.Channels[1].CapturePos == 0) return;
  poisto();
  DisplayState.Channels[0].CapturePos = 0;
  DisplayState.Channels[1].CapturePos = 0;
  piirrot();
}
