#include "support/held_startup_test.h"

#include "engine/main_form.h"

void HeldStartupTest::SetUp() {
  AppHarness::Options options;
  options.DevicePresent = DevicePresent();
  // Hidden: the offscreen platform moves a shown window by its frame.
  options.ShowMainWindow = false;
  harness_ = std::make_unique<AppHarness>(options);
  Form1->Timer3->SetEnabled(false);
}
