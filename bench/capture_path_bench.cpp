// Per-capture cost of the work done on the GUI thread after a capture has
// arrived: erase the shown traces, unpack the 8192 bytes into the sample
// block (history and copy included), draw both channels. One capture takes at
// least 6.7 ms on the wire, so this must stay far below that.
//
// The program's windows are created headless in a temporary home (nothing of
// the user's settings is touched); the device is never opened.
#include "bench_program.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <string>

#include "device/scope_device.h"
#include "engine/capture_unpack.h"
#include "engine/main_form.h"
#include "engine/persistence/persistence_controller.h"
#include "engine/scope_state.h"

namespace {

// The capture as the device sent it.
std::array<std::uint8_t, display::kCaptureBytes> received{};

// A capture as the device sends it: (CH2, CH1) byte pairs, rotated left by
// 63 bytes (the unpacker rotates them back). Two sines that clip now and then.
void PackCapture() {
  using namespace engine;
  for (std::size_t i = 0; i < kChannelSamples; ++i) {
    const double t = static_cast<double>(i);
    const int ch1 = static_cast<int>(std::lround(128 + 140 * std::sin(t * 0.013)));
    const int ch2 = static_cast<int>(std::lround(128 + 90 * std::sin(t * 0.041 + 1.0)));
    const std::uint8_t pair[2] = {static_cast<std::uint8_t>(std::clamp(ch1, 0, 255)),
                                  static_cast<std::uint8_t>(std::clamp(ch2, 0, 255))};
    for (std::size_t b = 0; b < 2; ++b) {
      const std::size_t rotated = 2 * i + b;  // position after the rotation
      received[(rotated + kUsbRxBufferSize - 63) % kUsbRxBufferSize] = pair[b];
    }
  }
}

// Unpacks the received capture as the scope unpacks the device's.
void Unpack() {
  if (const auto options = engine::BeginDeviceUnpack(*Form1))
    engine::TakeNewCapture(*Form1, device::UnpackCapture(received, *options));
}

// Applies a time/div row as its button does, then the plot method the
// acquisition picks for the two finest rows.
void SelectTimeBase(const std::string& l, std::uint8_t interpolation) {
  ::SelectTimeBase(l);
  Form1->ScopeState.PlotMethod = l == "0.2us" ? 1 : l == "0.1us" ? 2 : 0;
  Form1->DisplayState.InterpolationChoice = interpolation;
}

void PostCapturePath(benchmark::State& state, const char* label, std::uint8_t interpolation) {
  using namespace engine;
  Form1->ScopeState.DemoMode = 0;
  Form1->ScopeState.ScopeFileReplay = 0;
  Form1->ScopeState.AcquisitionIdle = 0;
  Form1->ScopeState.Settings.Channels[0].On = Form1->ScopeState.Settings.Channels[1].On = 1;
  SelectTimeBase(label, interpolation);
  Form1->ScopeState.ClearPending = 1;
  Form1->putsataanko();
  PackCapture();
  Unpack();
  Form1->piirrot();
  for (auto _ : state) {
    Form1->poisto();
    Unpack();
    Form1->piirrot();
    benchmark::DoNotOptimize(Form1->Image1->Picture()->Image().constBits());
  }
  state.SetItemsProcessed(state.iterations());
}

void BM_Capture1msPerDiv(benchmark::State& state) { PostCapturePath(state, "1ms", 0); }
void BM_Capture0_1usPerDivSine(benchmark::State& state) { PostCapturePath(state, "0.1us", 0); }
void BM_Capture0_1usPerDivLinear(benchmark::State& state) { PostCapturePath(state, "0.1us", 1); }
void BM_Capture0_2usPerDivSine(benchmark::State& state) { PostCapturePath(state, "0.2us", 0); }

// The two halves at 1 ms/div, to see where the time goes.
void BM_UnpackOnly(benchmark::State& state) {
  SelectTimeBase("1ms", 0);
  PackCapture();
  for (auto _ : state) {
    Unpack();
    benchmark::DoNotOptimize(Form1->ScopeState.ScopeSampleBlock.data());
  }
}
void BM_EraseAndDrawOnly1msPerDiv(benchmark::State& state) {
  SelectTimeBase("1ms", 0);
  PackCapture();
  Unpack();
  Form1->piirrot();
  for (auto _ : state) {
    Form1->poisto();
    Form1->piirrot();
    benchmark::DoNotOptimize(Form1->Image1->Picture()->Image().constBits());
  }
}

// Colour-graded persistence of both channels at 1 ms/div, the ring full
// (every capture adds one trace and ages the oldest): the per-capture cost
// on top of the plain path, which must stay under 0.25 ms.
void BM_GradedPersistenceBothChannels(benchmark::State& state) {
  using namespace engine;
  SelectTimeBase("1ms", 0);
  PackCapture();
  Unpack();
  Form1->PersistencewithIntensityGrading1Click(Form1);
  Form1->SpeedButton23->SetDown(true);
  Form1->Persistence().SpeedButton23Click(Form1);
  for (int i = 0; i <= Form1->PersistenceState.GradedPersistenceMask + 1; ++i) {
    Form1->piirrot();
    Form1->poisto();
  }
  for (auto _ : state) {
    Form1->piirrot();
    Form1->poisto();
    benchmark::DoNotOptimize(Form1->Image1->Picture()->Image().constBits());
  }
  Form1->ReleasePersist();
}

BENCHMARK(BM_Capture1msPerDiv)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Capture0_1usPerDivSine)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Capture0_1usPerDivLinear)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Capture0_2usPerDivSine)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_UnpackOnly)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EraseAndDrawOnly1msPerDiv)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_GradedPersistenceBothChannels)->Unit(benchmark::kMicrosecond);


}  // namespace

int main(int argc, char** argv) {
  return RunProgramBenchmarks(argc, argv, [] {
    // Steady state: the history ring has been written round once, as after
    // the first seconds of a Run.
    PackCapture();
    for (int i = 0; i <= Form1->HistoryState.HistoryLength + 1; ++i) Unpack();
  });
}
