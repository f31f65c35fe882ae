// What the panel and the picture show while the start-up runs: the channel
// labels in the stored colours, and range labels that name the pressed
// volts/div buttons even while the start-up's dialogs are up.
#include <gtest/gtest.h>

#include <string>

#include "engine/control_panel.h"
#include "engine/main_form.h"
#include "display/display_state.h"
#include "engine/scope_state.h"
#include "startup_fixture.h"
#include "support/program_states.h"

namespace {

using startup_test::StartupTest;

TEST_F(StartupTest, ChannelLabelsOfBothPanelsTakeTheStoredColours) {
  // Colours as the colour dialog left them in the last session.
  WriteIni("[Colors]\nCh1=65280\nCh2=16711935\nBackground=0\n");
  StartAndRun();
  ASSERT_EQ(DisplayState().Ch1Color, 0x00FF00u);
  for (FrontPanelControls* panel : {static_cast<FrontPanelControls*>(Form1), static_cast<FrontPanelControls*>(Form11)}) {
    EXPECT_EQ(panel->LabelCh1->Font().Color, 0x00FF00u);
    EXPECT_EQ(panel->LabelCh2->Font().Color, 0xFF00FFu);
  }
}

TEST_F(StartupTest, RangeLabelsNameThePressedButtonsWhileTheStartupDialogsAreUp) {
  // The missing device brings its notice; a stored x10 probe on CH2
  // relabels that channel before.
  WriteIni("[ScopeMainForm]\nProbe_CH2=10\n");
  std::string ch1 = "?", ch2 = "?", time = "?";
  bool pressed = false;
  Dialogs().AnswerModal([&](TForm&) {
    ch1 = ScopeState().Channels[0].RangeText;
    ch2 = ScopeState().Channels[1].RangeText;
    time = ScopeState().TimeDivText;
    pressed = Form1->SpeedButton15v1->Down() && Form1->SpeedButton15v2->Down() && Form1->SpeedButton2ms->Down();
    return mrOk;
  });
  StartAndRun();
  ASSERT_EQ(Dialogs().Forms().size(), 1u);
  EXPECT_TRUE(pressed);
  EXPECT_EQ(ch1, "1V");
  EXPECT_EQ(ch2, "10V ");
  EXPECT_EQ(time, "1ms");
}

}  // namespace
