// The scope's own settings survive a visit of the recorder, even when the
// scope's handlers run while the recorder holds the device (a recorder data
// file sets the scope's probes).
#include <functional>
#include <optional>

#include "../io/remote_fixture.h"
#include "engine/main_form.h"
#include "engine/remote_control_form.h"
#include "engine/scope_settings.h"
#include "io/shared_blocks.h"
#include "recorder_fixture.h"
#include "support/program_states.h"

using namespace recorder_test;

namespace {

struct ProbeDuringVisit {
  const char* name;
  int channel;
  void (engine::front_panel::FrontPanelController::*scopeRange)(TObject*);  // the scope's range before the visit
  std::size_t recorderRow;               // the recorder's range while it holds the device
  std::uint8_t scopeGainBits;
  std::uint8_t recorderGainBits;
  const char* scopeButton;  // pressed on the scope's panel after the hand back
  const char* scopeLabel;   // the scope's label with the x10 probe
};

const ProbeDuringVisit kVisits[] = {
    {"CH1 0.1 V, recorder 10 mV", 1, &engine::front_panel::FrontPanelController::SpeedButton1p5v1Click, 5, 0x24, 0x22, "SpeedButton1p5v1", "1V "},
    {"CH2 3 V, recorder 0.1 V", 2, &engine::front_panel::FrontPanelController::SpeedButton29Click, 3, 0x08, 0x24, "SpeedButton29", "30V "},
};

using RecorderHandBack = RecorderWireTest;

TEST_F(RecorderHandBack, AProbeSetWhileTheRecorderHoldsTheInstrumentLeavesBothRangesWhereTheirPanelsHaveThem) {
  ScopeState().ProbeWarningMuted = 1;
  for (const ProbeDuringVisit& v : kVisits) {
    SCOPED_TRACE(v.name);
    (Form1->FrontPanel().*v.scopeRange)(Form1);
    Form1->SpeedButton27Click(Form1);
    (v.channel == 1 ? Rec().Ch1RangeButtons : Rec().Ch2RangeButtons)[v.recorderRow]->Click();
    TSpeedButton* x10 = v.channel == 1 ? Form1->x101 : Form1->x102;
    x10->SetDown(true);
    (Form1->*(v.channel == 1 ? &TForm1::x101Click : &TForm1::x102Click))(Form1);
    EXPECT_EQ(Device().LastSettings()->GainBits(v.channel), v.recorderGainBits) << "the device records at the recorder's range";

    Rec().SpeedButton5Click(&Rec());
    EXPECT_EQ(Device().LastSettings()->GainBits(v.channel), v.scopeGainBits);
    EXPECT_TRUE(Form1->FindComponentAs<TSpeedButton>(v.scopeButton)->Down());
    EXPECT_EQ(ScopeState().Channel(v.channel).RangeText, v.scopeLabel);

    TSpeedButton* x1 = v.channel == 1 ? Form1->x11 : Form1->x12;
    x1->SetDown(true);
    (Form1->*(v.channel == 1 ? &TForm1::x11Click : &TForm1::x12Click))(Form1);
  }
}

// What another program reads in the scope mailbox while the recorder holds
// the device: the volts/div words tell the ranges the device records at,
// the trigger word what the scope's trigger buttons show (and the settings
// file keeps), although the device records untriggered.
class RecorderRemoteStatus : public RecorderWireTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(io::OpenSharedBlocks(nullptr));
    RecorderWireTest::SetUp();
  }
  std::string Entry(const std::string& section, const std::string& key) {
    for (const engine::SettingsEntry& e : Form1->SettingsFiles().ScopeSettingsEntries())
      if (e.Section == section && e.Key == key) return e.Value;
    return "missing";
  }
  SharedBlockNames names_;
};

TEST_F(RecorderRemoteStatus, TheRangeWordsFollowTheInstrumentAndTheTriggerWordTheScopesButtons) {
  Form1->FrontPanel().SpeedButton1p5v1Click(Form1);  // CH1 0.1 V
  Form1->FrontPanel().SpeedButton29Click(Form1);     // CH2 3 V
  Form1->SpeedButton7->Click();                      // trigger on
  ASSERT_TRUE(Device().LastSettings() && Device().LastSettings()->TriggerOn());

  struct Phase {
    const char* name;
    std::function<void()> act;
    int ch1Word, ch2Word, triggerWord;
    std::optional<bool> deviceTriggered;  // the last settings packet's trigger bit
  };
  const Phase phases[] = {
      {"the recorder takes the device at 10 mV and 0.3 V",
       [&] {
         Form1->SpeedButton27Click(Form1);
         Rec().Ch1RangeButtons[5]->Click();
         Rec().Ch2RangeButtons[2]->Click();
       },
       5, 2, 1, true},
      {"recording", [&] {
         Rec().SpeedButtonRun->Click();
         Tick(20);
       }, 5, 2, 1, false},
      {"stopped", [&] { Rec().SpeedButtonRun->Click(); }, 5, 2, 1, false},
      {"CH1 at 3 V after the recording", [&] { Rec().Ch1RangeButtons[0]->Click(); }, 0, 2, 1, false},
      {"handed back to the scope", [&] { Rec().SpeedButton5Click(&Rec()); }, 3, 0, 1, std::nullopt},
  };
  io::SharedWords& box = *io::ScopeMailboxBlock;
  for (const Phase& p : phases) {
    SCOPED_TRACE(p.name);
    p.act();
    Formx1->FastTimer1->Tick();
    EXPECT_EQ(box.Get(10), p.ch1Word);
    EXPECT_EQ(box.Get(11), p.ch2Word);
    EXPECT_EQ(box.Get(17), p.triggerWord);
    EXPECT_TRUE(Form1->SpeedButton7->Down());
    EXPECT_EQ(Entry("Trigger", "On"), "1");
    EXPECT_EQ(Entry("Trigger", "Off"), "0");
    if (p.deviceTriggered) {
      ASSERT_TRUE(Device().LastSettings());
      EXPECT_EQ(Device().LastSettings()->TriggerOn(), *p.deviceTriggered);
    }
  }
}

}  // namespace
