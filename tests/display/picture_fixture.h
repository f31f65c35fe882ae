// The program headless with its main window created (the deferred start-up
// held back), a freshly wiped picture and a time base chosen by the test.
#pragma once

#include <gtest/gtest.h>

#include <QImage>

#include <cstdint>
#include <functional>
#include <memory>

#include "display/display_state.h"
#include "display/scope_view.h"
#include "engine/main_form.h"
#include "engine/scope_state.h"
#include "platform/ui/vcl.h"
#include "support/app_harness.h"
#include "support/held_startup_test.h"
#include "display/persistence_state.h"
#include "support/program_states.h"

namespace picture_test {

// 1 ms/div and the like: PixelStep pixels per step of `magnification` samples.
inline void UsePlainTimeBase(int pixelStep, double magnification) {
  ScopeState().PixelStep = static_cast<std::uint16_t>(pixelStep);
  ScopeState().Magnification = magnification;
  ScopeState().PlotMethod = 0;
}

// 0.2 us/div (step 2) and 0.1 us/div (step 1), sine or linear.
inline void UseInterpolatedTimeBase(int step, bool linear) {
  ScopeState().PixelStep = static_cast<std::uint16_t>(step == 2 ? 10 : 20);
  ScopeState().Magnification = 1.0;
  ScopeState().PlotMethod = static_cast<std::uint8_t>(step == 2 ? 1 : 2);
  DisplayState().InterpolationChoice = linear ? 1 : 0;
}

inline void Wipe() {
  ScopeState().ClearPending = 1;
  Form1->putsataanko();
}

inline void FillChannel(int base, const std::function<int(int)>& code) {
  for (int i = 0; i < 4096; ++i) ScopeState().ScopeSampleBlock[static_cast<std::size_t>(base + i)] = code(i);
}
inline void FillCh1(const std::function<int(int)>& code) { FillChannel(4096, code); }
inline void FillCh2(const std::function<int(int)>& code) { FillChannel(0, code); }

inline QImage Picture() { return Form1->Image1->Picture()->Image().copy(); }
inline TColor Pixel(int x, int y) { return Form1->Image1->Canvas()->Pixels(x, y); }
inline display::ScopeView& View() { return Form1->MainView; }

// The wiped picture as the graticule leaves it along the frame rows, which
// every trace drawing repaints in the bright grid colour.
inline QImage WithFrameRows(QImage picture, const display::ScopeView& view) {
  for (int y : {view.FrameTopY, view.FrameBottomY})
    for (int x = view.X0; x <= view.X0 + view.GridWidth; ++x)
      picture.setPixel(x, y, ToQRgb(DisplayState().BrightGridPenColor));
  return picture;
}

inline int DifferentPixels(const QImage& a, const QImage& b) {
  int n = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x) n += a.pixel(x, y) != b.pixel(x, y);
  return n;
}

// Plain traces, no math, both channels on: what a test starts from.
inline void ResetDisplayModes() {
  ScopeState().MathOff = 1;
  ScopeState().InvertCh2Mode = 0;
  ScopeState().SpectrumMode = 0;
  ScopeState().Settings.DigitalMode = 0;
  ScopeState().DotJoin = 1;
  PersistenceState().LiveTraceOn = 1;
  ScopeState().Settings.Channels[0].On = ScopeState().Settings.Channels[1].On = 1;
  ScopeState().TracesShown = 1;
  ScopeState().Settings.TriggerSource = 16;
  DisplayState().XYPlotMode = DisplayState().Ch1PlusCh2Mode = DisplayState().Ch1MinusCh2Mode = 0;
  DisplayState().MultiplyMode = DisplayState().DivideMode = 0;
  DisplayState().Channels[0].CapturePos = DisplayState().Channels[1].CapturePos = 0;
  DisplayState().SpectrumZoom = 8;
  DisplayState().SpectrumPoints = 4096;
  Form1->MainView.TracePenWidth = 1;
}

class PictureTest : public HeldStartupTest {
 protected:
  void SetUp() override {
    HeldStartupTest::SetUp();
    // A capture loop is running unless a test says otherwise: no stopped-trace shift.
    ScopeState().AcquisitionIdle = 0;
    ResetDisplayModes();
    UsePlainTimeBase(2, 5.0);
    ScopeState().DisplayStart = 1024;
    Wipe();
  }

};

}  // namespace picture_test
