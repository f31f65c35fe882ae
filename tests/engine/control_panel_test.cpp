// The twin control panel: built by the same layout as the main window's
// front panel, kept in step by the main window's handlers, and forwarding
// every control to them.
#include "device_fixture.h"

#include <set>

#include "engine/big_screen.h"
#include "engine/control_panel.h"
#include "engine/notice_dialogs.h"
#include "support/program_states.h"

using namespace device_test;

namespace {

class ControlPanelTest : public DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    OpenDevice();
    ScopeState().SpectrumMode = 0;
    ScopeState().ProbeWarningMuted = 1;
  }
  SimScopeSettings Last() { return Device().LastSettings().value_or(SimScopeSettings{}); }
  std::size_t Packets() { return Device().SettingsHistory().size(); }
};

// Every control of the panel, by name, on one window.
std::set<std::string> PanelNames(TComponent* form) {
  std::set<std::string> names;
  for (int i = 0; i < form->ComponentCount(); ++i) names.insert(form->Components(i)->Name);
  return names;
}

TEST_F(ControlPanelTest, BothWindowsCarryTheSamePanel) {
  ASSERT_NE(Form11, nullptr);
  EXPECT_FALSE(Form11->Visible());
  const std::set<std::string> twin = PanelNames(Form11);
  const std::set<std::string> main = PanelNames(Form1);
  int checked = 0;
  for (const std::string& name : twin) {
    auto* t = Form11->FindComponentAs<TControl>(name);
    if (!t || name == "GrSpeedButton1" || name == "Digi") continue;
    ASSERT_TRUE(main.count(name)) << name << " is missing on the main window";
    auto* m = Form1->FindComponentAs<TControl>(name);
    ASSERT_NE(m, nullptr) << name;
    EXPECT_EQ(m->Caption(), t->Caption()) << name;
    EXPECT_EQ(m->Width(), t->Width()) << name;
    EXPECT_EQ(m->Visible(), t->Visible()) << name;
    ++checked;
  }
  // 12 volts/div, 6 coupling, 4 probe, 21 time/div, 17 spans and more.
  EXPECT_GT(checked, 80);
  // The panel fits the twin window's design size.
  EXPECT_LE(Form11->Time_div->Top() + Form11->Time_div->Height(), Form11->ClientHeight());
  EXPECT_LE(Form11->GrSpeedButton1->Left() + Form11->GrSpeedButton1->Width(), Form11->ClientWidth());
}

TEST_F(ControlPanelTest, MainWindowChangesAreMirrored) {
  Form1->SpeedButton05v2->Click();
  EXPECT_TRUE(Form11->SpeedButton05v2->Down());
  EXPECT_FALSE(Form11->SpeedButton15v2->Down());
  Form1->SpeedButton20us->Click();
  EXPECT_TRUE(Form11->SpeedButton20us->Down());
  Form1->SpeedButton_gnd1->Click();
  EXPECT_TRUE(Form11->SpeedButton_gnd1->Down());
  Form1->x102->Click();
  EXPECT_TRUE(Form11->x102->Down());
  EXPECT_EQ(Form11->SpeedButton05v2->Caption(), "0.3V");
  Form1->TrackBar2->SetPosition(-40);
  EXPECT_EQ(Form11->TrackBar2->Position(), -40);
  Form1->CH2on->Click();
  EXPECT_FALSE(Form11->CH2on->Down());
}

TEST_F(ControlPanelTest, TwinButtonsReachTheMainHandlers) {
  Form11->SpeedButton5v1->Click();
  EXPECT_TRUE(Form1->SpeedButton5v1->Down());
  EXPECT_EQ(Last().GainBits(1), 0x04);

  Form11->SpeedButton01ms->Click();  // "50us": plain forward
  EXPECT_TRUE(Form1->SpeedButton01ms->Down());
  EXPECT_EQ(Last().TimeBaseRegister(), 0xFD);

  Form11->SpeedButton2us->Click();  // press then forward
  EXPECT_TRUE(Form1->SpeedButton2us->Down());
  EXPECT_EQ(ScopeState().SampleStep, 2);

  Form11->SpeedButton__ac2->Click();  // copy then forward
  EXPECT_TRUE(Form1->SpeedButton__ac2->Down());
  EXPECT_FALSE(Last().DcCoupled(2));

  Form11->x101->Click();
  EXPECT_TRUE(Form1->x101->Down());
  EXPECT_EQ(Form1->SpeedButton28->Caption(), "30V");

  // Spectrum mode shows the span box instead of the time/div box.
  ScopeState().SpectrumMode = 1;
  Form11->Time_div->Hide();
  Form11->Freq_Range->Show();
  Form11->SpeedButton17->Click();  // "6M"
  EXPECT_TRUE(Form1->SpeedButton17->Down());
  EXPECT_EQ(ScopeState().TimePerDiv, 1000);
  Form11->SpeedButton2->Click();  // "3k": the 20 ms handler
  EXPECT_TRUE(Form1->SpeedButton2->Down());
  EXPECT_EQ(ScopeState().TimePerDiv, 2000000);
}

TEST_F(ControlPanelTest, TwinTrackBarMovesTheMainBarAndSendsOnce) {
  Device().ClearLog();
  Form11->TrackBar1->SetPosition(25);
  EXPECT_EQ(Form1->TrackBar1->Position(), 25);
  EXPECT_EQ(ScopeState().Settings.Channels[0].Position, 25);
  EXPECT_EQ(Packets(), 1u);

  Device().ClearLog();
  Form11->TrackBar3->SetPosition(200);
  EXPECT_EQ(Form1->TrackBar3->Position(), 200);
  EXPECT_EQ(Form11->TrackBar3->Position(), 200);
  EXPECT_EQ(Packets(), 1u);
  EXPECT_EQ(Last().TriggerLevel(), 200);

  // The main bar written back by the twin's own value changes nothing.
  Device().ClearLog();
  Form11->TrackBar1->SetPosition(25);
  EXPECT_EQ(Packets(), 0u);
}

TEST_F(ControlPanelTest, NormalScreenLeavesTheBigScreenOff) {
  ScopeState().BigScreenOn = 1;
  Form11->Show();
  Form11->GrSpeedButton1->Click();
  EXPECT_EQ(ScopeState().BigScreenOn, 0);
  EXPECT_FALSE(Form11->Visible());
  EXPECT_FALSE(Form10->Visible());
}

}  // namespace
