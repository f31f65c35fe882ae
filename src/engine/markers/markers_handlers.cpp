// The main window's markers controller, which binds the marker items and
// the picture's mouse, and the window's read-out steps and handlers that
// other parts of the program call.
#include "engine/markers/markers_controller.h"

#include <memory>

#include "engine/main_form.h"

void TForm1::CreateMarkerControls() {
  markers_ = std::make_unique<engine::markers::MarkersController>(*this, *this, *this, MainView);
  Markers().BuildControls(*this, *View1, *Image1);
}

void TForm1::Markers1Click(TObject* s) { Markers().Markers1Click(s); }

void TForm1::kursoriaika() { Markers().kursoriaika(); }
void TForm1::kursorivoltit() { Markers().kursorivoltit(); }
void TForm1::kursoritaajuus() { Markers().kursoritaajuus(); }
void TForm1::kursoridb() { Markers().kursoridb(); }

void TForm1::rms_out() { Markers().rms_out(); }
void TForm1::rms_out(const display::Capture& capture) { Markers().rms_out(capture); }
void TForm1::measure() { Markers().measure(); }
void TForm1::measure(const display::Capture& capture) { Markers().measure(capture); }
double TForm1::calculate_phase() { return Markers().calculate_phase(); }
