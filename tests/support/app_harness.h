// The whole program without a display, for one test: a temporary HOME,
// scripted dialog answers, a simulated device (present or not; the real USB
// bus is never touched) and every window created as the main block does.
// One harness at a time; each starts from the start-up state, so tests run in
// any order in one process.
#pragma once

#include <functional>

#include "support/scripted_dialogs.h"
#include "support/sim_device.h"
#include "support/temp_home.h"

class AppHarness {
 public:
  struct Options {
    bool DevicePresent = false;    // a simulated Darvik48 on the bus, or none
    bool ShowMainWindow = true;    // as the message loop does at start
  };

  AppHarness();
  explicit AppHarness(Options options);
  ~AppHarness();
  AppHarness(const AppHarness&) = delete;
  AppHarness& operator=(const AppHarness&) = delete;

  TempHome& Home() { return home_; }
  ScriptedDialogs& Dialogs() { return dialogs_; }
  SimulatedDarvik48& Device() { return device_.device(); }

  // Processes events (timers, posted calls, repaints) until condition holds
  // or timeout_ms has passed; returns whether it held.
  bool PumpUntil(const std::function<bool()>& condition, int timeout_ms);
  // Processes events for ms milliseconds.
  void Pump(int ms);

 private:
  TempHome home_;
  ScriptedDialogs dialogs_;
  ScopedSimulatedDevice device_;
};
