// The program ended and built again in the same process: the second one runs,
// the device hears from it what it heard from the first at its start, and its
// first capture looks as the first one's did, not as the first one was left.
#include <gtest/gtest.h>

#include <QImage>
#include <QTimer>

#include "engine/device_fixture.h"
#include "engine/main_form.h"
#include "engine/scope_state.h"
#include "platform/ui/application.h"
#include "support/program_states.h"

namespace {

class RebuildTest : public device_test::DeviceTest {
 protected:
  struct Opening {
    std::vector<std::vector<std::uint8_t>> Writes;  // every byte the device takes
    QImage Picture;                                 // the picture of a first Single capture
  };
  Opening OpenAndCapture() {
    InstallLogicFile(device_test::LogicFile(5, device_test::FullData()));
    Device().ClearLog();
    Form1->Acquisition().test0();
    Opening o{Writes(), {}};
    Form1->SpeedButtonSingle->Click();
    EXPECT_TRUE(harness_->PumpUntil([] { return ScopeState().AcquisitionIdle == 1; }, 3000));
    harness_->Pump(50);
    o.Picture = Form1->Image1->Picture()->Image().copy();
    return o;
  }
};

TEST_F(RebuildTest, AProgramBuiltAfterAnotherClosedStartsAsTheFirstDid) {
  const Opening first = OpenAndCapture();
  ASSERT_FALSE(first.Writes.empty());
  // The user moves away from every start-up setting the opening sends, then
  // closes the program.
  Form1->FrontPanel().SpeedButton5usClick(Form1);
  Form1->FrontPanel().SpeedButton015v1Click(Form1);
  Form1->SpeedButton5v2Click(Form1);
  Form1->SpeedButton_ac1Click(Form1);
  Form1->SpeedButton_gnd2Click(Form1);
  Form1->x101Click(Form1);
  Form1->Close();
  ASSERT_TRUE(harness_->PumpUntil([] { return Application->Terminated(); }, 3000));

  harness_.reset();
  SetUp();
  EXPECT_FALSE(Application->Terminated());
  bool ticked = false;
  QTimer::singleShot(0, [&ticked] { ticked = true; });
  EXPECT_TRUE(harness_->PumpUntil([&ticked] { return ticked; }, 1000)) << "the new program's events are handled";
  const Opening second = OpenAndCapture();
  EXPECT_EQ(second.Writes, first.Writes);
  EXPECT_TRUE(second.Picture == first.Picture);
}

}  // namespace
