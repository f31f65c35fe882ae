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

AppHarness::AppHarness(Options options) {
  if (!options.DevicePresent) device_->SetDeviceCount(0);
  // Whatever an earlier program in this process left behind goes first.
  ResetProgramState();
  PrepareApplication();
  CreateAllWindows();
  if (options.ShowMainWindow && Application->MainForm()) Application->MainForm()->Show();
}

AppHarness::~AppHarness() {
  FreeAllWindows();
  // Deletions and calls the windows posted on their way out.
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  QCoreApplication::processEvents();
}

bool AppHarness::PumpUntil(const std::function<bool()>& condition, int timeout_ms) {
  QElapsedTimer clock;
  clock.start();
  for (;;) {
    if (condition()) return true;
    const qint64 left = timeout_ms - clock.elapsed();
    if (left <= 0) return false;
    // Sleep in the event loop rather than spin: short slices keep the
    // condition checked often while timers fire on time.
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

void AppHarness::Pump(int ms) {
  PumpUntil([] { return false; }, ms);
}
