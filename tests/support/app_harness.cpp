#include "support/app_harness.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include "app/windows.h"
#include "platform/ui/application.h"

AppHarness::AppHarness() : AppHarness(Options{}) {}

AppHarness::AppHarness(Options options)
    : clock_(options.RealClock ? nullptr : std::make_unique<program_clock::DrivenClock>()) {
  if (!options.DevicePresent) device_->SetDeviceCount(0);
  // Whatever an earlier program in this process left behind goes first.
  ResetProgramState();
  PrepareApplication();
  CreateAllWindows();
  if (options.ShowMainWindow && Application->MainForm()) Application->MainForm()->Show();
}

device::ScopeDevice& AppHarness::Driver() { return CreatedDevice(); }
recorder::RecorderSharedState& AppHarness::RecorderState() { return CreatedRecorderState(); }

bode::BodeSharedState& AppHarness::BodeState() { return CreatedBodeState(); }
generator::GeneratorSharedState& AppHarness::GeneratorState() { return CreatedGeneratorState(); }

AppHarness::~AppHarness() {
  FreeAllWindows();
  // Deletions and calls the windows posted on their way out.
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  QCoreApplication::processEvents();
  // A program that ended leaves no terminated application to the tests after it.
  ResetProgramState();
}

namespace {

// Real time: sleeps in the event loop in short slices, so the condition is
// checked often while the system's timers fire on time.
bool PumpRealUntil(const std::function<bool()>& condition, int timeout_ms,
                   program_clock::DrivenClock* keepPace) {
  QElapsedTimer clock;
  clock.start();
  qint64 paced = 0;
  for (;;) {
    if (keepPace) {
      const qint64 now = clock.elapsed();
      keepPace->Advance(std::chrono::milliseconds(now - paced));
      paced = now;
    }
    if (condition()) return true;
    const qint64 left = timeout_ms - clock.elapsed();
    if (left <= 0) return false;
    QEventLoop loop;
    QTimer wake;
    wake.setSingleShot(true);
    QObject::connect(&wake, &QTimer::timeout, &loop, &QEventLoop::quit);
    wake.start(static_cast<int>(std::min<qint64>(left, 5)));
    loop.exec();
    if (wake.isActive()) {
      // The loop returned at once: the program was told to end, and every
      // event loop now does so until it starts again. Handle what is pending
      // and wait the slice out instead of spinning.
      QCoreApplication::processEvents();
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }
}

}  // namespace

bool AppHarness::PumpUntil(const std::function<bool()>& condition, int timeout_ms) {
  if (!clock_) return PumpRealUntil(condition, timeout_ms, nullptr);
  const program_clock::TimePoint end = clock_->Now() + std::chrono::milliseconds(timeout_ms);
  for (;;) {
    Application->ProcessMessages();
    if (condition()) return true;
    if (clock_->Now() >= end) return false;
    const auto next = clock_->NextDue();
    clock_->AdvanceTo(next && *next < end ? *next : end);
  }
}

void AppHarness::Pump(int ms) {
  if (clock_) clock_->Advance(std::chrono::milliseconds(ms));
  else PumpRealUntil([] { return false; }, ms, nullptr);
}

bool AppHarness::WaitForOutside(const std::function<bool()>& condition, int timeout_ms) {
  return PumpRealUntil(condition, timeout_ms, clock_.get());
}
