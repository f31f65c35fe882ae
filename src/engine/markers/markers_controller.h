// The markers and measurements of the main window: the marker lines the
// mouse drags and their read-outs, the right click that places the
// annotation, the RMS and dBm read-outs and the waveform parameters of the
// measurement window.
#pragma once

#include "display/capture.h"
#include "display/marker_drag.h"
#include "display/scope_view.h"
#include "engine/markers/markers_host.h"
#include "engine/scope_states.h"
#include "platform/ui/vcl.h"

namespace engine::markers {

class MarkersController : public engine::WithScopeStates {
 public:
  MarkersController(const engine::WithScopeStates& states, MarkersHost& host, MarkerControls& controls,
                    display::ScopeView& view);

  // Adds the View items under `view` and binds the picture's mouse to this controller.
  void BuildControls(TForm& window, TMenuItem& view, TImage& picture);
  void Markers1Click(TObject* Sender);
  void RMSCalculation1Click(TObject* Sender);
  void MoreData1Click(TObject* Sender);

  // The mouse on the picture: the left button drags the markers, the right
  // one places the annotation.
  void Image1MouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
  void Image1MouseMove(TObject* Sender, TShiftState Shift, int X, int Y);
  void Image1MouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
  display::MarkerDrag Drag;  // the marker line the mouse holds, if any

  // The marker read-outs on the picture and the shown Big Screen; they print
  // nothing while no marker read-out is shown.
  void kursoriaika();     // time markers (dt, 1/dt)
  void kursorivoltit();   // voltage markers (dV and levels)
  void kursoritaajuus();  // frequency marker
  void kursoridb();       // level markers

  // RMS and dBm read-outs of the shown channel; waveform parameters of CH1,
  // the phase, then CH2. Without a capture they read what the scope holds now.
  void rms_out();
  void rms_out(const display::Capture& capture);
  void measure();
  void measure(const display::Capture& capture);
  // CH2's waveform parameters; the phase of CH2 against CH1 in degrees.
  void measure2();
  double calculate_phase();

 private:
  void dso_down(int x, int y);
  void fft_down(int x, int y);
  void dso_up();
  void fft_up();
  // Moves the dragged line to the pointer and updates its read-out.
  void DragTo(int x, int y);
  void MarkerMoved(display::MarkerMove move);
  display::MarkerPens MarkerPens() const;
  // The read-outs of a block of samples taken with `settings`.
  void ShowRms(display::SampleBlockView block, const display::CaptureSettings& settings);
  void ShowMeasurements(display::SampleBlockView block, const display::CaptureSettings& settings);

  MarkersHost& host_;
  MarkerControls& controls_;
  display::ScopeView& view_;
};

}  // namespace engine::markers
