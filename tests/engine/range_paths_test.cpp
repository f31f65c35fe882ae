// A volts/div, time/div, trigger or channel on/off change reaches the device,
// the picture, both panels, the remote-status words and the settings file
// alike, whichever way it comes: the main window's button, the twin panel's,
// a remote command, a recalled file, or a visit of the recorder that took
// the front end over.
#include <QImage>

#include <map>
#include <string>

#include "../io/remote_fixture.h"
#include "device_fixture.h"
#include "engine/control_panel.h"
#include "engine/scope_settings.h"
#include "io/shared_blocks.h"
#include "recorder/recorder_form.h"
#include "support/program_states.h"

using namespace device_test;

namespace {

enum class Way { MainButton, TwinButton, Remote, Recall, RecorderVisit };

struct RangeChange {
  const char* name;
  Way way;
  int channel;
  int index;            // the range's place on the panel, 0 = 3 V .. 5 = 10 mV
  const char* button;   // its button on both panels
  const char* key;      // its key in the channel's section of the file
  std::uint8_t gainBits;
  const char* label;    // the label on the picture
};

const RangeChange kChanges[] = {
    {"CH1 0.1 V by the main button", Way::MainButton, 1, 3, "SpeedButton1p5v1", "0.1V", 0x24, "0.1V"},
    {"CH1 0.1 V by the twin panel", Way::TwinButton, 1, 3, "SpeedButton1p5v1", "0.1V", 0x24, "0.1V"},
    {"CH1 0.1 V by a remote command", Way::Remote, 1, 3, "SpeedButton1p5v1", "0.1V", 0x24, "0.1V"},
    {"CH1 0.1 V by a recalled file", Way::Recall, 1, 3, "SpeedButton1p5v1", "0.1V", 0x24, "0.1V"},
    {"CH1 0.1 V through a recorder visit", Way::RecorderVisit, 1, 3, "SpeedButton1p5v1", "0.1V", 0x24, "0.1V"},
    {"CH2 3 V by the main button", Way::MainButton, 2, 0, "SpeedButton29", "3V", 0x08, "3V"},
    {"CH2 3 V by the twin panel", Way::TwinButton, 2, 0, "SpeedButton29", "3V", 0x08, "3V"},
    {"CH2 3 V by a remote command", Way::Remote, 2, 0, "SpeedButton29", "3V", 0x08, "3V"},
    {"CH2 3 V by a recalled file", Way::Recall, 2, 0, "SpeedButton29", "3V", 0x08, "3V"},
    {"CH2 3 V through a recorder visit", Way::RecorderVisit, 2, 0, "SpeedButton29", "3V", 0x08, "3V"},
    {"CH1 10 mV by a remote command", Way::Remote, 1, 5, "SpeedButton015v1", "10mV", 0x22, "10mV"},
    {"CH2 10 mV by a recalled file", Way::Recall, 2, 5, "SpeedButton015v2", "10mV", 0x22, "10mV"},
};

class RangePathsTest : public DeviceTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(io::OpenSharedBlocks(nullptr));
    DeviceTest::SetUp();
    OpenDevice();
    ScopeState().StartupModeReady = 1;
    ScopeState().ProbeWarningMuted = 1;
    box_ = io::ScopeMailboxBlock.get();
  }

  // Every range back to 1 V on both channels, by the main window's buttons.
  void StartAt1V() {
    Form1->FrontPanel().SpeedButton15v1Click(Form1);
    Form1->FrontPanel().SpeedButton15v2Click(Form1);
    Device().ClearLog();
  }

  void Change(const RangeChange& c) {
    switch (c.way) {
      case Way::MainButton:
        Form1->FindComponentAs<TSpeedButton>(c.button)->Click();
        break;
      case Way::TwinButton:
        Form11->FindComponentAs<TSpeedButton>(c.button)->Click();
        break;
      case Way::Remote:
        box_->Set(1, c.index);
        box_->Set(0, c.channel, std::memory_order_release);
        ASSERT_TRUE(harness_->PumpUntil([&] { return box_->Get(0) == 0; }, 3000));
        break;
      case Way::Recall: {
        const std::string path = harness_->Home().Path() + "/range.set";
        WriteFile(path, Bytes(std::string("[CH") + std::to_string(c.channel) + "]\n1V=0\n" + c.key + "=1\n"));
        harness_->Dialogs().AnswerFile(path);
        Form1->RecallSettings1->Click();
        break;
      }
      case Way::RecorderVisit: {
        // The scope's range is set first; the recorder then takes the front
        // end at another range and hands it back.
        Form1->FindComponentAs<TSpeedButton>(c.button)->Click();
        Form1->SpeedButton27Click(Form1);
        TForm1_rec& rec = *Form1_rec;
        (c.channel == 1 ? rec.Ch1RangeButtons : rec.Ch2RangeButtons)[1]->Click();
        // Meanwhile the remote sees the range the device is at.
        harness_->Pump(50);
        EXPECT_EQ(box_->Get(9 + c.channel), 1) << "status while the recorder holds the front end";
        rec.SpeedButton5Click(&rec);
        break;
      }
    }
  }

  static std::vector<std::uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

  // The label strip of a channel on the picture.
  static QImage LabelStrip(int channel) {
    const int x = ScopeState().ScreenX0 + (channel == 1 ? 10 : 70);
    return Form1->Image1->Picture()->Image().copy(x, 0, 58, ScopeState().ScreenY0);
  }

  std::string Entry(int channel, const std::string& key) {
    const std::string section = channel == 1 ? "CH1" : "CH2";
    for (const engine::SettingsEntry& e : Form1->SettingsFiles().ScopeSettingsEntries())
      if (e.Section == section && e.Key == key) return e.Value;
    return "missing";
  }

  SharedBlockNames names_;
  io::SharedWords* box_ = nullptr;
};

TEST_F(RangePathsTest, EveryWayOfChangingARangeLeavesTheInstrumentThePictureThePanelsTheStatusAndTheFileAgreeing) {
  std::map<std::string, QImage> strips;  // the label strip per channel and label, as the main button left it
  for (const RangeChange& c : kChanges) {
    SCOPED_TRACE(c.name);
    StartAt1V();
    Change(c);

    ASSERT_FALSE(Device().SettingsHistory().empty());
    const SimScopeSettings last = Device().SettingsHistory().back();
    EXPECT_EQ(last.GainBits(c.channel), c.gainBits);
    EXPECT_EQ(last.GainBits(3 - c.channel), 0x28) << "the other channel stays at 1 V";

    EXPECT_EQ(c.channel == 1 ? ScopeState().Channels[0].RangeText : ScopeState().Channels[1].RangeText, c.label);
    const std::string stripKey = std::to_string(c.channel) + c.label;
    const QImage strip = LabelStrip(c.channel);
    if (!strips.count(stripKey)) strips[stripKey] = strip;
    EXPECT_TRUE(strip == strips[stripKey]) << "the label drawn differs from the main button's";

    for (TComponent* panel : {static_cast<TComponent*>(Form1), static_cast<TComponent*>(Form11)})
      EXPECT_TRUE(panel->FindComponentAs<TSpeedButton>(c.button)->Down()) << panel->Name;

    EXPECT_TRUE(harness_->PumpUntil([&] { return box_->Get(9 + c.channel) == c.index; }, 2000))
        << "status word " << 9 + c.channel << " = " << box_->Get(9 + c.channel);
    EXPECT_EQ(box_->Get(12 - c.channel), 1) << "the other channel's word stays at 1 V";

    EXPECT_EQ(Entry(c.channel, c.key), "1");
    EXPECT_EQ(Entry(c.channel, "1V"), "0");
    EXPECT_EQ(Entry(3 - c.channel, "1V"), "1");
  }
  // The labels of different ranges do look different.
  EXPECT_FALSE(strips["10.1V"] == strips["110mV"]);
}

// ---------------------------------------------------------------- time base, trigger, channel on/off

// The bit of the settings packet a change sets.
using PacketCheck = bool (SimScopeSettings::*)() const;

struct PanelChange {
  const char* name;
  const char* group;   // changes of one group leave the same packet and picture
  Way way;
  const char* button;  // down on both panels afterwards
  int command;         // remote command and its argument; 0 none
  int argument;
  int word;            // the status word that tells it and its value; 0 none
  int wordValue;
  const char* section;  // the file's key that holds it ("1"), and its counterpart ("0")
  const char* key;
  const char* otherKey;
  PacketCheck packet;  // nullptr: the change sends nothing of its own
  const char* timeLabel;  // the time/div label on the picture; nullptr: not a time change
};

constexpr PacketCheck TriggerOnCh2 = &SimScopeSettings::TriggerSourceCh2;
constexpr PacketCheck TriggerFalling = &SimScopeSettings::FallingEdge;
constexpr PacketCheck TriggerOn = &SimScopeSettings::TriggerOn;

const PanelChange kPanelChanges[] = {
    {"20 us by the main button", "20us", Way::MainButton, "SpeedButton20us", 0, 0, 12, 13, "Time", "20us", "1ms", nullptr, "20us"},
    {"20 us by the twin panel", "20us", Way::TwinButton, "SpeedButton20us", 0, 0, 12, 13, "Time", "20us", "1ms", nullptr, "20us"},
    {"20 us by a remote command", "20us", Way::Remote, "SpeedButton20us", 3, 13, 12, 13, "Time", "20us", "1ms", nullptr, "20us"},
    {"20 us by a recalled file", "20us", Way::Recall, "SpeedButton20us", 0, 0, 12, 13, "Time", "20us", "1ms", nullptr, "20us"},
    // The magnified steps share one device code; the panel tells them apart.
    {"2 us by a remote command", "2us", Way::Remote, "SpeedButton2us", 3, 16, 12, 16, "Time", "2us", "1ms", nullptr, "2us"},
    {"0.1 us by the twin panel", "0.1us", Way::TwinButton, "SpeedButton01us", 0, 0, 12, 16, "Time", "0.1us", "2us", nullptr, "0.1us"},
    {"0.1 us by a recalled file", "0.1us", Way::Recall, "SpeedButton01us", 0, 0, 12, 16, "Time", "0.1us", "2us", nullptr, "0.1us"},
    {"trigger on CH2 by the main button", "ch2", Way::MainButton, "SpeedButton4", 0, 0, 18, 1, "Trigger", "CH2", "CH1", TriggerOnCh2, nullptr},
    {"trigger on CH2 by the twin panel", "ch2", Way::TwinButton, "SpeedButton4", 0, 0, 18, 1, "Trigger", "CH2", "CH1", TriggerOnCh2, nullptr},
    {"trigger on CH2 by a remote command", "ch2", Way::Remote, "SpeedButton4", 10, 1, 18, 1, "Trigger", "CH2", "CH1", TriggerOnCh2, nullptr},
    {"trigger on CH2 by a recalled file", "ch2", Way::Recall, "SpeedButton4", 0, 0, 18, 1, "Trigger", "CH2", "CH1", TriggerOnCh2, nullptr},
    {"falling edge by the twin panel", "fall", Way::TwinButton, "SpeedButton6", 0, 0, 19, 0, "Trigger", "Down", "Up", TriggerFalling, nullptr},
    {"falling edge by a remote command", "fall", Way::Remote, "SpeedButton6", 11, 0, 19, 0, "Trigger", "Down", "Up", TriggerFalling, nullptr},
    {"falling edge by a recalled file", "fall", Way::Recall, "SpeedButton6", 0, 0, 19, 0, "Trigger", "Down", "Up", TriggerFalling, nullptr},
    {"trigger on by the main button", "on", Way::MainButton, "SpeedButton7", 0, 0, 17, 1, "Trigger", "On", "Off", TriggerOn, nullptr},
    {"trigger on by the twin panel", "on", Way::TwinButton, "SpeedButton7", 0, 0, 17, 1, "Trigger", "On", "Off", TriggerOn, nullptr},
    {"trigger on by a remote command", "on", Way::Remote, "SpeedButton7", 8, 1, 17, 1, "Trigger", "On", "Off", TriggerOn, nullptr},
    {"trigger on by a recalled file", "on", Way::Recall, "SpeedButton7", 0, 0, 17, 1, "Trigger", "On", "Off", TriggerOn, nullptr},
    // Hiding a trace puts the hidden "OFF" companion of "On" down.
    {"CH2 hidden by the main button", "hide2", Way::MainButton, "SpeedButtonCh2", 0, 0, 0, 0, "CH2", "", "On", nullptr, nullptr},
    {"CH2 hidden by the twin panel", "hide2", Way::TwinButton, "SpeedButtonCh2", 0, 0, 0, 0, "CH2", "", "On", nullptr, nullptr},
    {"CH2 hidden by a recalled file", "hide2", Way::Recall, "SpeedButtonCh2", 0, 0, 0, 0, "CH2", "", "On", nullptr, nullptr},
};

class PanelPathsTest : public RangePathsTest {
 protected:
  // 1 ms/div, trigger off on CH1's rising edge, both traces shown, the
  // remote's status in step: by the main window's handlers.
  void StartFromDefaults() {
    Form1->FrontPanel().SpeedButton2msClick(Form1);
    Form1->FrontPanel().SpeedButton3Click(Form1);
    Form1->FrontPanel().SpeedButton5Click(Form1);
    Form1->SpeedButton8Click(Form1);
    for (TSpeedButton* on : {Form1->CH1on, Form1->CH2on})
      if (!on->Down()) on->Click();
    ASSERT_TRUE(harness_->PumpUntil([&] { return box_->Get(12) == 8 && box_->Get(17) == 0; }, 2000));
    Device().ClearLog();
  }

  void Change(const PanelChange& c) {
    // "On" is the button a user presses to hide a trace.
    const char* pressed = std::string(c.button) == "SpeedButtonCh2" ? "CH2on" : c.button;
    switch (c.way) {
      case Way::MainButton: Form1->FindComponentAs<TSpeedButton>(pressed)->Click(); break;
      case Way::TwinButton: Form11->FindComponentAs<TSpeedButton>(pressed)->Click(); break;
      case Way::Remote:
        box_->Set(1, c.argument);
        box_->Set(0, c.command, std::memory_order_release);
        ASSERT_TRUE(harness_->PumpUntil([&] { return box_->Get(0) == 0; }, 3000));
        break;
      case Way::Recall: {
        const std::string path = harness_->Home().Path() + "/panel.set";
        const std::string key = *c.key ? c.key : c.otherKey;
        const std::string text = std::string("[") + c.section + "]\n" + c.otherKey + "=0\n" + (*c.key ? key + "=1\n" : "");
        WriteFile(path, Bytes(text));
        harness_->Dialogs().AnswerFile(path);
        Form1->RecallSettings1->Click();
        break;
      }
      case Way::RecorderVisit: break;
    }
  }

  std::string Entry(const std::string& section, const std::string& key) {
    for (const engine::SettingsEntry& e : Form1->SettingsFiles().ScopeSettingsEntries())
      if (e.Section == section && e.Key == key) return e.Value;
    return "missing";
  }

  // The text above the graticule, without its frame (a recall draws the grid anew).
  static QImage TimeLabelStrip() {
    return Form1->Image1->Picture()->Image().copy(ScopeState().ScreenX0 + 592, 0, 60, ScopeState().ScreenY0 - 2);
  }
};

TEST_F(PanelPathsTest, EveryWayOfChangingTheTimeBaseTheTriggerOrATraceLeavesDevicePanelsStatusAndFileAgreeing) {
  std::map<std::string, SimScopeSettings> packets;  // per group, as its first way left it
  std::map<std::string, QImage> strips;
  for (const PanelChange& c : kPanelChanges) {
    SCOPED_TRACE(c.name);
    StartFromDefaults();
    Change(c);

    if (c.packet || c.timeLabel) {
      ASSERT_FALSE(Device().SettingsHistory().empty());
      const SimScopeSettings last = Device().SettingsHistory().back();
      if (c.packet) {
        EXPECT_TRUE((last.*c.packet)());
      }
      if (!packets.count(c.group)) packets[c.group] = last;
      EXPECT_EQ(last.c, packets[c.group].c) << "the packet differs from the first way's";
    }
    if (c.timeLabel) {
      EXPECT_EQ(ScopeState().TimeDivText, c.timeLabel);
      if (!strips.count(c.group)) strips[c.group] = TimeLabelStrip();
      EXPECT_TRUE(TimeLabelStrip() == strips[c.group]) << "the label drawn differs from the first way's";
    }

    for (TComponent* panel : {static_cast<TComponent*>(Form1), static_cast<TComponent*>(Form11)})
      EXPECT_TRUE(panel->FindComponentAs<TSpeedButton>(c.button)->Down()) << panel->Name;

    if (c.word) {
      EXPECT_TRUE(harness_->PumpUntil([&] { return box_->Get(c.word) == c.wordValue; }, 2000))
          << "status word " << c.word << " = " << box_->Get(c.word);
    }
    if (*c.key) {
      EXPECT_EQ(Entry(c.section, c.key), "1");
    }
    EXPECT_EQ(Entry(c.section, c.otherKey), "0");
  }
  // Steps that share a device code still differ on the picture.
  EXPECT_FALSE(strips["2us"] == strips["0.1us"]);
}

}  // namespace
