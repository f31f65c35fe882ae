// The main window's markers: dragging them with the mouse, their read-outs on
// the bottom text line, the right click that places the annotation, and the
// View items for markers, the RMS read-out and the measurement window.
#include <algorithm>
#include <string>

#include "display/display_state.h"
#include "display/graticule.h"
#include "display/marker_drag.h"
#include "display/marker_readouts.h"
#include "engine/add_text.h"
#include "engine/big_screen.h"
#include "engine/control_panel.h"
#include "engine/markers/markers_controller.h"
#include "engine/measurement_window.h"
#include "engine/picture_settings.h"
#include "engine/scope_state.h"
#include "platform/ui/vcl.h"

namespace {

TMenuItem* AddViewItem(TForm& form, TMenuItem& view, const char* name, const char* caption, TNotifyEvent handler) {
  auto* item = new TMenuItem(&form);
  item->Name = name;
  item->SetCaption(caption);
  item->OnClick = std::move(handler);
  view.Add(item);
  return item;
}

}  // namespace

namespace engine::markers {

MarkersController::MarkersController(const engine::WithScopeStates& states, MarkersHost& host,
                                     MarkerControls& controls, display::ScopeView& view)
    : engine::WithScopeStates(states), host_(host), controls_(controls), view_(view) {}

// ---------------------------------------------------------------- menu and mouse

void MarkersController::BuildControls(TForm& window, TMenuItem& view, TImage& picture) {
  controls_.Markers1 = AddViewItem(window, view, "Markers1", "Markers (DSO) ", [this](TObject* s) { Markers1Click(s); });
  controls_.RMSCalculation1 =
      AddViewItem(window, view, "RMSCalculation1", "RMS Value", [this](TObject* s) { RMSCalculation1Click(s); });
  controls_.MoreData1 =
      AddViewItem(window, view, "MoreData1", "Waveform Parameters...", [this](TObject* s) { MoreData1Click(s); });
  picture.OnMouseDown = [this](TObject* s, TMouseButton b, TShiftState sh, int x, int y) {
    Image1MouseDown(s, b, sh, x, y);
  };
  picture.OnMouseMove = [this](TObject* s, TShiftState sh, int x, int y) { Image1MouseMove(s, sh, x, y); };
  picture.OnMouseUp = [this](TObject* s, TMouseButton b, TShiftState sh, int x, int y) {
    Image1MouseUp(s, b, sh, x, y);
  };
}

void MarkersController::Markers1Click(TObject* /*Sender*/) {
  TMenuItem* Markers1 = controls_.Markers1;
  Markers1->SetChecked(!Markers1->Checked());
  MirrorCheck(Markers1, &TForm11::Markers1);
  DisplayState.MarkersOn = Markers1->Checked() ? 1 : 0;
  // The rebuilt picture has the marker lines, or none; the read-outs follow.
  ScopeState.ClearPending = 1;
  host_.putsataanko();
  host_.piirrot();
  kursoriaika();
  kursorivoltit();
}

void MarkersController::RMSCalculation1Click(TObject* /*Sender*/) {
  host_.putsataanko();
  TMenuItem* RMSCalculation1 = controls_.RMSCalculation1;
  RMSCalculation1->SetChecked(!RMSCalculation1->Checked());
  MirrorCheck(RMSCalculation1, &TForm11::RMSCalculation1);
  ScopeState.RmsOn = RMSCalculation1->Checked() ? 1 : 0;
  if (!ScopeState.RmsOn) host_.TulostaTeksti(ScopeState.RmsText, view_.X0 + view_.Texts.Rms, view_.TextLineY, DisplayState.BackgroundColor);
}

void MarkersController::MoreData1Click(TObject* /*Sender*/) {
  if (!Form_99) return;
  const bool show = !Form_99->Visible();
  if (show) {
    Form_99->Show();
    measure();
  } else {
    Form_99->Close();
  }
  controls_.MoreData1->SetChecked(Form_99->Visible());
  if (Form_9) Form_9->Parameters->SetEnabled(Form_99->Visible());
}

void MarkersController::Image1MouseDown(TObject* /*Sender*/, TMouseButton Button, TShiftState /*Shift*/, int X, int Y) {
  if (Button == mbLeft) {
    if (ScopeState.SpectrumMode && DisplayState.FftMarkersOn) fft_down(X, Y);
    else if (!ScopeState.SpectrumMode && DisplayState.MarkersOn) dso_down(X, Y);
    return;
  }
  if (Button != mbRight || !Form_9) return;
  if (!ScopeState.ScopeNoteShown) {
    DisplayState.ScopeNoteX = static_cast<std::int16_t>(std::clamp(X, -32768, 32767));
    DisplayState.ScopeNoteY = static_cast<std::int16_t>(std::clamp(Y, -32768, 32767));
  } else if (Form_9->Visible()) {
    DisplayState.ScopeNoteX = static_cast<std::int16_t>(std::clamp(X, -32768, 32767));
    DisplayState.ScopeNoteY = static_cast<std::int16_t>(std::clamp(Y, -32768, 32767));
    ScopeState.ClearPending = 1;
    host_.putsataanko();
    host_.piirrot();
  }
  Form_9->Show();
}

void MarkersController::Image1MouseMove(TObject* /*Sender*/, TShiftState /*Shift*/, int X, int Y) {
  if (Drag.Active) DragTo(X, Y);
}

void MarkersController::Image1MouseUp(TObject* /*Sender*/, TMouseButton Button, TShiftState /*Shift*/, int /*X*/, int /*Y*/) {
  if (Button != mbLeft || !Drag.Active) return;
  if (ScopeState.SpectrumMode) fft_up();
  else dso_up();
}

// ---------------------------------------------------------------- dragging

display::MarkerPens MarkersController::MarkerPens() const {
  return {display::ShownChannelPen(engine::CurrentColorTable(*this), ScopeState.Settings.Channels[0].On != 0), DisplayState.TimeMarkerPenColor,
          DisplayState.BackgroundColor};
}

void MarkersController::dso_down(int x, int y) {
  host_.putsataanko();
  display::BeginScopeDrag(view_, Drag, x, y, MarkerPens());
}

void MarkersController::fft_down(int x, int y) {
  host_.putsataanko();
  display::BeginSpectrumDrag(view_, Drag, x, y, MarkerPens(), DisplayState.FreqMarkerShown);
}

void MarkersController::DragTo(int x, int y) {
  MarkerMoved(display::DragMarkerTo(view_, Drag, x, y, ScopeState.SpectrumMode != 0, ScopeState.DisplayStart,
                                    DisplayState.SpectrumZoom, MarkerPens(),
                                    DisplayState.FreqMarkerBin));
}

void MarkersController::MarkerMoved(display::MarkerMove move) { display::ShowMovedReadout(*this, move); }

void MarkersController::dso_up() {
  MarkerMoved(display::DropMarker(view_, Drag, false, ScopeState.DisplayStart, DisplayState.SpectrumZoom, MarkerPens(),
                                  DisplayState.FreqMarkerShown,
                                  DisplayState.FreqMarkerBin));
}

void MarkersController::fft_up() {
  MarkerMoved(display::DropMarker(view_, Drag, true, ScopeState.DisplayStart, DisplayState.SpectrumZoom, MarkerPens(),
                                  DisplayState.FreqMarkerShown,
                                  DisplayState.FreqMarkerBin));
}

// ---------------------------------------------------------------- read-outs

void MarkersController::kursoriaika() {
  display::ShowTimeReadout(view_, engine::CurrentPictureSettings(*this));
  if (TForm10* big = ShownBigScreen()) big->kursoriaika();
}

void MarkersController::kursorivoltit() {
  display::ShowVoltReadout(view_, engine::CurrentPictureSettings(*this));
  if (TForm10* big = ShownBigScreen()) big->kursorivoltit();
}

void MarkersController::kursoritaajuus() {
  display::ShowFreqReadout(view_, engine::CurrentPictureSettings(*this), DisplayState.FreqMarkerBin);
  if (TForm10* big = ShownBigScreen()) big->kursoritaajuus();
}

void MarkersController::kursoridb() {
  display::ShowLevelReadout(view_, engine::CurrentPictureSettings(*this));
  if (TForm10* big = ShownBigScreen()) big->kursoridb();
}

}  // namespace engine::markers
