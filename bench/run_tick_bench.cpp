// CPU cost of one drawn picture in demo Run as the program runs it: the Run
// tick handler with the demo trigger search and source, the erase and draw
// of the traces, the read-outs, and the paint of the shown picture widget
// (the offscreen platform stands in for the display). Each iteration is one
// tick that takes a capture and the event processing that paints it.
//
// The program's windows are created in a temporary home; no device is used.
#include "bench_program.h"

#include "engine/scope_state.h"

namespace {

void TakeOneTick();
bool SpeedButtonRunDown();
void StopRun();

// Demo Run at a time base, started as the Run button starts it, with a few
// ticks taken so that the first-tick work is behind us.
void StartDemoRun(const char* label) {
  using namespace engine;
  if (SpeedButtonRunDown()) StopRun();
  DemoMode = 1;
  Form1->tee_demo_taulut();
  SelectTimeBase(label);
  Form1->SpeedButtonRun->SetDown(true);
  Form1->SpeedButtonRunClick(Form1);
  for (int i = 0; i < 5; ++i) TakeOneTick();
}

void TakeOneTick() {
  // The pacing timer's ticks that a capture waits for have passed.
  Form1->Timer4Timer(Form1);
  Form1->Timer4Timer(Form1);
  Form1->FastTimer1Timer(Form1);
}

bool SpeedButtonRunDown() { return Form1->SpeedButtonRun->Down(); }

void StopRun() {
  Form1->SpeedButtonRun->SetDown(false);
  Form1->SpeedButtonRunClick(Form1);
}

// One tick with a capture, then the events that paint the picture.
void RunTick(benchmark::State& state, const char* label, bool spectrum) {
  StartDemoRun(label);
  if (spectrum) {
    Form1->fft1->SetDown(true);
    Form1->fft1Click(Form1);
  }
  for (auto _ : state) {
    TakeOneTick();
    QApplication::processEvents();
    QApplication::sendPostedEvents();
  }
  if (spectrum) {
    Form1->SpeedButton22->SetDown(true);
    Form1->SpeedButton22Click(Form1);
  }
  StopRun();
  state.SetItemsProcessed(state.iterations());
}

void BM_RunTick1msPerDiv(benchmark::State& state) { RunTick(state, "1ms", false); }
void BM_RunTick0_1usPerDiv(benchmark::State& state) { RunTick(state, "0.1us", false); }
void BM_RunTickSpectrum(benchmark::State& state) { RunTick(state, "1ms", true); }

// The parts: the tick alone (nothing painted), and the paint alone.
void BM_TickWithoutPaint1msPerDiv(benchmark::State& state) {
  StartDemoRun("1ms");
  for (auto _ : state) TakeOneTick();
  StopRun();
}

void BM_PaintOnly(benchmark::State& state) {
  StartDemoRun("1ms");
  StopRun();
  for (auto _ : state) {
    Form1->Image1->Invalidate();
    QApplication::processEvents();
  }
}

BENCHMARK(BM_RunTick1msPerDiv)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RunTick0_1usPerDiv)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RunTickSpectrum)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TickWithoutPaint1msPerDiv)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PaintOnly)->Unit(benchmark::kMicrosecond);


}  // namespace

int main(int argc, char** argv) {
  return RunProgramBenchmarks(argc, argv, [] {
    Form1->Show();
    QApplication::processEvents();
  });
}
