// The fixture most window tests start from: the whole program headless, its
// main window hidden and the deferred start-up held back, so that each test
// runs the steps it is about itself.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "support/app_harness.h"

class HeldStartupTest : public ::testing::Test {
 protected:
  // A simulated Darvik48 on the bus, or none.
  virtual bool DevicePresent() const { return false; }

  void SetUp() override;
  void TearDown() override { harness_.reset(); }

  // The program's driver of the device.
  device::ScopeDevice& Driver() { return harness_->Driver(); }
  // The Bode plotter's state the windows are handed.
  bode::BodeSharedState& BodeState() { return harness_->BodeState(); }
  // The recorder's state its windows share.
  recorder::RecorderSharedState& RecorderState() { return harness_->RecorderState(); }
  generator::GeneratorSharedState& GeneratorState() { return harness_->GeneratorState(); }

  std::unique_ptr<AppHarness> harness_;
};
