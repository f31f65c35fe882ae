// CPU cost of one drawn picture in demo Run. RunLoop: as the running program
// makes it, with its timers and the window system. RunTick: the Run tick
// handler with the demo trigger search and source, the erase and draw
// of the traces, the read-outs, and the paint of the shown picture widget
// (the offscreen platform stands in for the display). Each iteration is one
// tick that takes a capture and the event processing that paints it.
//
// The program's windows are created in a temporary home; no device is used.
#include "bench_program.h"

#include "engine/main_form.h"
#include "engine/persistence/persistence_controller.h"
#include "engine/scope_state.h"
#include "io/sample_export.h"
#include "io/shared_blocks.h"

namespace {

void TakeOneTick();
bool SpeedButtonRunDown();
void StopRun();

// Demo Run at a time base, started as the Run button starts it, with a few
// ticks taken so that the first-tick work is behind us.
void StartDemoRun(const char* label) {
  using namespace engine;
  if (SpeedButtonRunDown()) StopRun();
  Form1->ScopeState.DemoMode = 1;
  Form1->Acquisition().tee_demo_taulut();
  SelectTimeBase(label);
  Form1->SpeedButtonRun->SetDown(true);
  Form1->SpeedButtonRunClick(Form1);
  for (int i = 0; i < 5; ++i) TakeOneTick();
}

void TakeOneTick() {
  // The pacing timer's ticks that a capture waits for have passed.
  Form1->Acquisition().Timer4Timer(Form1);
  Form1->Acquisition().Timer4Timer(Form1);
  Form1->Acquisition().FastTimer1Timer(Form1);
}

bool SpeedButtonRunDown() { return Form1->SpeedButtonRun->Down(); }

void StopRun() {
  Form1->SpeedButtonRun->SetDown(false);
  Form1->SpeedButtonRunClick(Form1);
}

// One tick with a capture, then the events that paint the picture.
void RunTick(benchmark::State& state, const char* label, bool spectrum, bool graded = false) {
  StartDemoRun(label);
  if (spectrum) {
    Form1->fft1->SetDown(true);
    Form1->fft1Click(Form1);
  }
  if (graded) {
    Form1->PersistencewithIntensityGrading1Click(Form1);
    Form1->SpeedButton23->SetDown(true);
    Form1->Persistence().SpeedButton23Click(Form1);
    for (int i = 0; i < 40; ++i) TakeOneTick();  // the ring full, so each capture also ages the oldest out
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
  if (graded) Form1->ReleasePersist();
  state.SetItemsProcessed(state.iterations());
}

void BM_RunTick1msPerDiv(benchmark::State& state) { RunTick(state, "1ms", false); }
void BM_RunTick0_1usPerDiv(benchmark::State& state) { RunTick(state, "0.1us", false); }
void BM_RunTickSpectrum(benchmark::State& state) { RunTick(state, "1ms", true); }
void BM_RunTickGradedPersistence(benchmark::State& state) { RunTick(state, "1ms", false, true); }

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

// One picture of demo Run as the running program makes it: the program's own
// timers run in the event loop (the pacing ticks, the remote-control poll,
// the status), each capture goes to the history and the sample export and is
// drawn, and the picture goes to the window system. The loop sleeps between
// ticks as the program does, so the CPU column is the processor time of one
// picture and the Time column the picture period. Run it under xvfb-run to
// include what the window system takes (offscreen otherwise).
enum class View { Plain, Spectrum, GradedPersistence, BigScreen };

void RunLoop(benchmark::State& state, const char* label, View view) {
  using namespace engine;
  if (!io::SampleExportBlock) {
    state.SkipWithError("no sample export block");
    return;
  }
  if (SpeedButtonRunDown()) StopRun();
  Form1->ScopeState.DemoMode = 1;
  Form1->Acquisition().tee_demo_taulut();
  SelectTimeBase(label);
  switch (view) {
    case View::Plain: break;
    case View::Spectrum:
      Form1->fft1->SetDown(true);
      Form1->fft1Click(Form1);
      break;
    case View::GradedPersistence:
      Form1->PersistencewithIntensityGrading1Click(Form1);
      Form1->SpeedButton23->SetDown(true);
      Form1->Persistence().SpeedButton23Click(Form1);
      break;
    case View::BigScreen: Form1->GrSpeedButton1->Click(); break;
  }
  Form1->SpeedButtonRun->SetDown(true);
  Form1->SpeedButtonRunClick(Form1);
  io::SharedWords& block = *io::SampleExportBlock;
  const auto nextPicture = [&block] {
    block.Set(io::kExportDataReady, 0);
    while (block.Get(io::kExportDataReady) == 0) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
  };
  for (int i = 0; i < 5; ++i) nextPicture();
  for (auto _ : state) nextPicture();
  StopRun();
  QApplication::processEvents();
  switch (view) {
    case View::Plain: break;
    case View::Spectrum:
      Form1->SpeedButton22->SetDown(true);
      Form1->SpeedButton22Click(Form1);
      break;
    case View::GradedPersistence: Form1->ReleasePersist(); break;
    case View::BigScreen: Form1->GrSpeedButton1->Click(); break;
  }
  state.SetItemsProcessed(state.iterations());
}

void BM_RunLoop1msPerDiv(benchmark::State& state) { RunLoop(state, "1ms", View::Plain); }
void BM_RunLoop0_1usPerDiv(benchmark::State& state) { RunLoop(state, "0.1us", View::Plain); }
void BM_RunLoopSpectrum(benchmark::State& state) { RunLoop(state, "1ms", View::Spectrum); }
void BM_RunLoopGradedPersistence(benchmark::State& state) { RunLoop(state, "1ms", View::GradedPersistence); }
void BM_RunLoopBigScreen(benchmark::State& state) { RunLoop(state, "1ms", View::BigScreen); }

BENCHMARK(BM_RunLoop1msPerDiv)->Unit(benchmark::kMillisecond)->Iterations(150)->MeasureProcessCPUTime();
BENCHMARK(BM_RunLoop0_1usPerDiv)->Unit(benchmark::kMillisecond)->Iterations(150)->MeasureProcessCPUTime();
BENCHMARK(BM_RunLoopSpectrum)->Unit(benchmark::kMillisecond)->Iterations(150)->MeasureProcessCPUTime();
BENCHMARK(BM_RunLoopGradedPersistence)->Unit(benchmark::kMillisecond)->Iterations(150)->MeasureProcessCPUTime();
BENCHMARK(BM_RunLoopBigScreen)->Unit(benchmark::kMillisecond)->Iterations(150)->MeasureProcessCPUTime();

BENCHMARK(BM_RunTick1msPerDiv)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RunTick0_1usPerDiv)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RunTickSpectrum)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RunTickGradedPersistence)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TickWithoutPaint1msPerDiv)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PaintOnly)->Unit(benchmark::kMicrosecond);


}  // namespace

int main(int argc, char** argv) {
  return RunProgramBenchmarks(argc, argv, [] {
    Form1->Show();
    QApplication::processEvents();
  });
}
