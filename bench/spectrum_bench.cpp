// Per-capture cost of the spectrum path (input preparation with the window,
// transform, levels, log axis), and the program's 4096-point transform beside
// FFTW's transform of the same real input, in the same run. One capture
// arrives at most every 6.7 ms; the spectrum of one must stay far below that.
#include <benchmark/benchmark.h>
#include <fftw3.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <numbers>

#include "display/spectrum.h"

namespace {

using namespace display;

// Two tones and a little noise-like ripple, as 8-bit codes.
std::array<std::int32_t, kFftPoints> Capture() {
  std::array<std::int32_t, kFftPoints> codes{};
  for (int i = 0; i < kFftPoints; ++i) {
    const double t = i;
    const double v = 128 + 80 * std::sin(2 * std::numbers::pi * 101.3 * t / kFftPoints) +
                     20 * std::sin(2 * std::numbers::pi * 517.8 * t / kFftPoints) + ((i * 7919) % 13) - 6;
    codes[static_cast<std::size_t>(i)] = static_cast<std::int32_t>(std::lround(std::clamp(v, 0.0, 255.0)));
  }
  return codes;
}

struct SpectrumRig {
  TwiddleTable twiddles;
  std::array<float, kFftPoints> window{}, work{}, staged{}, re{}, im{};
  std::array<float, kFftBins * kFftSlots> magnitudes{};
  std::array<std::int32_t, kFftPoints> display{}, levels{};
  std::array<std::int16_t, kFftBins> keptDisplay{}, keptLevels{};
  std::array<std::int32_t, kFftPoints> codes = Capture();
  SpectrumCounters counters;
  SpectrumRig() { FillWindowTable(FftWindow::Hamming, window); }
};

void BM_SpectrumCaptureLinearAxis(benchmark::State& state) {
  SpectrumRig rig;
  const SpectrumSetup setup{&rig.twiddles, rig.window, 1.852, false};
  const SpectrumTargets out{rig.work, rig.staged, rig.re, rig.im, rig.magnitudes, rig.display, rig.levels};
  for (auto _ : state) {
    RunSpectrum(rig.codes, setup, rig.counters, out);
    benchmark::DoNotOptimize(rig.display.data());
  }
}

void BM_SpectrumCaptureLogAxis(benchmark::State& state) {
  SpectrumRig rig;
  const SpectrumSetup setup{&rig.twiddles, rig.window, 1.852, false};
  const SpectrumTargets out{rig.work, rig.staged, rig.re, rig.im, rig.magnitudes, rig.display, rig.levels};
  for (auto _ : state) {
    RunSpectrum(rig.codes, setup, rig.counters, out);
    KeepBinValues(rig.display, rig.keptDisplay);
    KeepBinValues(rig.levels, rig.keptLevels);
    WriteLogView(rig.keptDisplay, rig.display);
    WriteLogView(rig.keptLevels, rig.levels);
    benchmark::DoNotOptimize(rig.display.data());
  }
}

// The transform alone: ours, then FFTW's complex transform of the same real
// input (imaginary parts zero, as ours takes it), then FFTW's real-input one.
void BM_TransformOwn(benchmark::State& state) {
  SpectrumRig rig;
  PrepareSpectrumInput(rig.codes, SpectrumSetup{&rig.twiddles, rig.window, 1.852, false}, rig.counters, rig.work,
                       rig.staged);
  for (auto _ : state) {
    Transform(rig.twiddles, rig.staged, rig.re, rig.im);
    benchmark::DoNotOptimize(rig.re.data());
  }
}

void BM_TransformFftwComplex(benchmark::State& state) {
  SpectrumRig rig;
  PrepareSpectrumInput(rig.codes, SpectrumSetup{&rig.twiddles, rig.window, 1.852, false}, rig.counters, rig.work,
                       rig.staged);
  auto* in = fftwf_alloc_complex(kFftPoints);
  auto* out = fftwf_alloc_complex(kFftPoints);
  fftwf_plan plan = fftwf_plan_dft_1d(kFftPoints, in, out, FFTW_FORWARD, FFTW_MEASURE);
  for (auto _ : state) {
    for (int i = 0; i < kFftPoints; ++i) {
      in[i][0] = rig.staged[static_cast<std::size_t>(i)];
      in[i][1] = 0.0f;
    }
    fftwf_execute(plan);
    benchmark::DoNotOptimize(out);
  }
  fftwf_destroy_plan(plan);
  fftwf_free(in);
  fftwf_free(out);
}

void BM_TransformFftwRealInput(benchmark::State& state) {
  SpectrumRig rig;
  PrepareSpectrumInput(rig.codes, SpectrumSetup{&rig.twiddles, rig.window, 1.852, false}, rig.counters, rig.work,
                       rig.staged);
  auto* in = fftwf_alloc_real(kFftPoints);
  auto* out = fftwf_alloc_complex(kFftPoints / 2 + 1);
  fftwf_plan plan = fftwf_plan_dft_r2c_1d(kFftPoints, in, out, FFTW_MEASURE);
  for (auto _ : state) {
    for (int i = 0; i < kFftPoints; ++i) in[i] = rig.staged[static_cast<std::size_t>(i)];
    fftwf_execute(plan);
    benchmark::DoNotOptimize(out);
  }
  fftwf_destroy_plan(plan);
  fftwf_free(in);
  fftwf_free(out);
}

BENCHMARK(BM_SpectrumCaptureLinearAxis)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SpectrumCaptureLogAxis)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TransformOwn)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TransformFftwComplex)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TransformFftwRealInput)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
