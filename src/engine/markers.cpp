// The main window's markers: dragging them with the mouse, their read-outs on
// the bottom text line, the right click that places the annotation, and the
// View items for markers, the RMS read-out and the measurement window.
#include <algorithm>
#include <string>

#include "engine/add_text.h"
#include "engine/big_screen.h"
#include "display/display_state.h"
#include "display/graticule.h"
#include "display/marker_drag.h"
#include "display/marker_readouts.h"
#include "engine/measurement_window.h"
#include "engine/control_panel.h"
#include "engine/main_form.h"
#include "engine/picture_settings.h"
#include "engine/scope_state.h"
#include "platform/ui/vcl.h"

namespace {

TMenuItem* AddViewItem(TForm1* form, const char* name, const char* caption, TNotifyEvent handler) {
  auto* item = new TMenuItem(form);
  item->Name = name;
  item->SetCaption(caption);
  item->OnClick = std::move(handler);
  form->View1->Add(item);
  return item;
}

}  // namespace

// ---------------------------------------------------------------- menu and mouse

void TForm1::CreateMarkerControls() {
  Markers1 = AddViewItem(this, "Markers1", "Markers (DSO) ", [this](TObject* s) { Markers1Click(s); });
  RMSCalculation1 = AddViewItem(this, "RMSCalculation1", "RMS Value", [this](TObject* s) { RMSCalculation1Click(s); });
  MoreData1 = AddViewItem(this, "MoreData1", "Waveform Parameters...", [this](TObject* s) { MoreData1Click(s); });
  Image1->OnMouseDown = [this](TObject* s, TMouseButton b, TShiftState sh, int x, int y) {
    Image1MouseDown(s, b, sh, x, y);
  };
  Image1->OnMouseMove = [this](TObject* s, TShiftState sh, int x, int y) { Image1MouseMove(s, sh, x, y); };
  Image1->OnMouseUp = [this](TObject* s, TMouseButton b, TShiftState sh, int x, int y) {
    Image1MouseUp(s, b, sh, x, y);
  };
}

void TForm1::Markers1Click(TObject* /*Sender*/) {
  Markers1->SetChecked(!Markers1->Checked());
  MirrorCheck(Markers1, &TForm11::Markers1);
  DisplayState.MarkersOn = Markers1->Checked() ? 1 : 0;
  // The rebuilt picture has the marker lines, or none; the read-outs follow.
  ScopeState.ClearPending = 1;
  putsataanko();
  piirrot();
  kursoriaika();
  kursorivoltit();
}

void TForm1::RMSCalculation1Click(TObject* /*Sender*/) {
  putsataanko();
  RMSCalculation1->SetChecked(!RMSCalculation1->Checked());
  MirrorCheck(RMSCalculation1, &TForm11::RMSCalculation1);
  ScopeState.RmsOn = RMSCalculation1->Checked() ? 1 : 0;
  if (!ScopeState.RmsOn) TulostaTeksti(ScopeState.RmsText, MainView.X0 + MainView.Texts.Rms, MainView.TextLineY, DisplayState.BackgroundColor);
}

void TForm1::MoreData1Click(TObject* /*Sender*/) {
  if (!Form_99) return;
  const bool show = !Form_99->Visible();
  if (show) {
    Form_99->Show();
    measure();
  } else {
    Form_99->Close();
  }
  MoreData1->SetChecked(Form_99->Visible());
  if (Form_9) Form_9->Parameters->SetEnabled(Form_99->Visible());
}

void TForm1::Image1MouseDown(TObject* /*Sender*/, TMouseButton Button, TShiftState /*Shift*/, int X, int Y) {
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
    putsataanko();
    piirrot();
  }
  Form_9->Show();
}

void TForm1::Image1MouseMove(TObject* /*Sender*/, TShiftState /*Shift*/, int X, int Y) {
  if (Drag.Active) DragTo(X, Y);
}

void TForm1::Image1MouseUp(TObject* /*Sender*/, TMouseButton Button, TShiftState /*Shift*/, int /*X*/, int /*Y*/) {
  if (Button != mbLeft || !Drag.Active) return;
  if (ScopeState.SpectrumMode) fft_up();
  else dso_up();
}

// ---------------------------------------------------------------- dragging

display::MarkerPens TForm1::MarkerPens() const {
  return {display::ShownChannelPen(engine::CurrentColorTable(*this), ScopeState.Settings.Ch1On != 0), DisplayState.TimeMarkerPenColor,
          DisplayState.BackgroundColor};
}

void TForm1::dso_down(int x, int y) {
  putsataanko();
  display::BeginScopeDrag(MainView, Drag, x, y, MarkerPens());
}

void TForm1::fft_down(int x, int y) {
  putsataanko();
  display::BeginSpectrumDrag(MainView, Drag, x, y, MarkerPens(), DisplayState.FreqMarkerShown);
}

void TForm1::DragTo(int x, int y) {
  MarkerMoved(display::DragMarkerTo(MainView, Drag, x, y, ScopeState.SpectrumMode != 0, ScopeState.DisplayStart,
                                    DisplayState.SpectrumZoom, MarkerPens(),
                                    DisplayState.FreqMarkerBin));
}

void TForm1::MarkerMoved(display::MarkerMove move) { display::ShowMovedReadout(*this, move); }

void TForm1::dso_up() {
  MarkerMoved(display::DropMarker(MainView, Drag, false, ScopeState.DisplayStart, DisplayState.SpectrumZoom, MarkerPens(),
                                  DisplayState.FreqMarkerShown,
                                  DisplayState.FreqMarkerBin));
}

void TForm1::fft_up() {
  MarkerMoved(display::DropMarker(MainView, Drag, true, ScopeState.DisplayStart, DisplayState.SpectrumZoom, MarkerPens(),
                                  DisplayState.FreqMarkerShown,
                                  DisplayState.FreqMarkerBin));
}

// ---------------------------------------------------------------- read-outs

void TForm1::kursoriaika() {
  display::ShowTimeReadout(MainView, engine::CurrentPictureSettings(*this));
  if (TForm10* big = ShownBigScreen()) big->kursoriaika();
}

void TForm1::kursorivoltit() {
  display::ShowVoltReadout(MainView, engine::CurrentPictureSettings(*this));
  if (TForm10* big = ShownBigScreen()) big->kursorivoltit();
}

void TForm1::kursoritaajuus() {
  display::ShowFreqReadout(MainView, engine::CurrentPictureSettings(*this), DisplayState.FreqMarkerBin);
  if (TForm10* big = ShownBigScreen()) big->kursoritaajuus();
}

void TForm1::kursoridb() {
  display::ShowLevelReadout(MainView, engine::CurrentPictureSettings(*this));
  if (TForm10* big = ShownBigScreen()) big->kursoridb();
}
