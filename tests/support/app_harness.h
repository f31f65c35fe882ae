// The whole program without a display, for one test: a temporary HOME,
// scripted dialog answers, a simulated device (present or not; the real USB
// bus is never touched) and every window created as the main block does.
// One harness at a time; each starts from the start-up state, so tests run in
// any order in one process.
#pragma once

#include <functional>
#include <memory>

#include "bode/bode_state.h"
#include "device/scope_device.h"
#include "recorder/recorder_state.h"
#include "platform/ui/clock.h"
#include "support/scripted_dialogs.h"
#include "support/sim_device.h"
#include "support/temp_home.h"

namespace generator {
struct GeneratorSharedState;
}

class AppHarness {
 public:
  struct Options {
    bool DevicePresent = false;    // a simulated Darvik48 on the bus, or none
    bool ShowMainWindow = true;    // as the message loop does at start
    // The program's timers and waits on a clock the test drives (see
    // platform/ui/clock.h), or on the system's clock where real time is
    // what the test is about.
    bool RealClock = false;
  };

  AppHarness();
  explicit AppHarness(Options options);
  ~AppHarness();
  AppHarness(const AppHarness&) = delete;
  AppHarness& operator=(const AppHarness&) = delete;

  TempHome& Home() { return home_; }
  ScriptedDialogs& Dialogs() { return dialogs_; }
  SimulatedDarvik48& Device() { return device_.device(); }
  // The program's driver of that device, fresh for this harness and handed
  // to the windows as the program hands it.
  device::ScopeDevice& Driver();
  // The Bode plotter's state, fresh for this harness, as the windows have it.
  bode::BodeSharedState& BodeState();
  // The recorder's state, fresh for this harness and handed to the
  // recorder's windows as the program hands it.
  recorder::RecorderSharedState& RecorderState();
  // The function generator's state, fresh for this harness like the driver.
  generator::GeneratorSharedState& GeneratorState();

  // The driven clock the program runs on (null with RealClock).
  program_clock::DrivenClock* Clock() { return clock_.get(); }

  // Processes events (timers, posted calls, repaints) until condition holds
  // or timeout_ms has passed on the program's clock; returns whether it
  // held. On the driven clock, time jumps from one due timer to the next, so
  // the wait costs only the work the program does in it.
  bool PumpUntil(const std::function<bool()>& condition, int timeout_ms);
  // Moves the program's clock on by ms milliseconds, running every timer
  // that falls due on the way (on the system clock: processes events that
  // long).
  void Pump(int ms);
  // For what comes from outside the program (another thread or process):
  // processes events until condition holds or timeout_ms of real time have
  // passed, the driven clock keeping pace with the real one meanwhile.
  bool WaitForOutside(const std::function<bool()>& condition, int timeout_ms);

 private:
  // Made first and gone last: every window's timers run on it.
  std::unique_ptr<program_clock::DrivenClock> clock_;
  TempHome home_;
  ScriptedDialogs dialogs_;
  ScopedSimulatedDevice device_;
};
