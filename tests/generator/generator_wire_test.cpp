// The generator panel on the scope window driven as a user would, with the
// simulated device checking the packets byte for byte and in order.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "engine/device_fixture.h"
#include "engine/main_form.h"
#include "engine/scope_state.h"
#include "generator/generator_form.h"
#include "generator/generator_panel.h"
#include "generator/generator_state.h"
#include "support/program_states.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

struct Write {
  Bytes data;
  unsigned timeout;
};

class GeneratorWireTest : public device_test::DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    OpenDevice();
    panel_ = Form1->GeneratorControls;
    ASSERT_NE(panel_, nullptr);
  }

  std::vector<Write> OutWrites() const {
    std::vector<Write> out;
    for (const SimTransfer& t : harness_->Device().Transfers())
      if (t.kind == SimTransfer::Kind::Write) out.push_back({t.data, t.timeout_ms});
    return out;
  }

  static void Enter(TEdit* edit, const std::string& text) {
    edit->SetText(text);
    unsigned short key = VK_RETURN;
    edit->OnKeyDown(edit, key, TShiftState{});
  }

  // The debounced apply: its timer's tick.
  void WaitForApply() {
    ASSERT_TRUE(harness_->PumpUntil([] { return !Form1_fgen->Timer8->Enabled(); }, 3000));
  }

  // The settings, wave, frequency and apply writes of one full send.
  static void ExpectFullSend(const std::vector<Write>& w, bool waveFirst, const Bytes& settings,
                             const Bytes& frequency) {
    ASSERT_EQ(w.size(), 5u);
    const std::size_t s = waveFirst ? 2 : 0, c = waveFirst ? 0 : 1;
    EXPECT_EQ(w[s].data, settings);
    EXPECT_EQ(w[s].timeout, 10u);
    EXPECT_EQ(w[c].data, Bytes{0x04});
    EXPECT_EQ(w[c].timeout, 10u);
    EXPECT_EQ(w[c + 1].data.size(), 512u);
    EXPECT_EQ(w[c + 1].timeout, 100u);
    EXPECT_EQ(w[3].data, frequency);
    EXPECT_EQ(w[3].timeout, 10u);
    EXPECT_EQ(w[4].data, Bytes{0x06});
    EXPECT_EQ(w[4].timeout, 10u);
  }

  GeneratorPanel* panel_ = nullptr;
};

TEST_F(GeneratorWireTest, OneKilohertzSineOnTheFiveKRangeSendsItsPackets) {
  panel_->GrSpeedButton5->Click();
  panel_->GrSpeedButton11->Click();
  Device().ClearLog();
  panel_->Image5->Click();
  ASSERT_TRUE(panel_->Edit1->Visible());
  Enter(panel_->Edit1, "1000");

  EXPECT_FALSE(panel_->Edit1->Visible());
  EXPECT_DOUBLE_EQ(GeneratorState().GenFrequency, 1000);
  EXPECT_EQ(panel_->TrackBar4->Position(), 10);
  const std::vector<Write> w = OutWrites();
  ExpectFullSend(w, false, {0x0E, 0x05, 0x04, 0x7F, 0x76, 0x23, 0x0F},
                 {0x0E, 0x02, 0x13, 0, 0, 0, 0, 0, 0, 0, 0, 0x47, 0xAC, 0xC5, 0xA7, 0, 0, 0xA0, 0x86, 0x01, 0, 0});
  ASSERT_EQ(w.size(), 5u);
  const Bytes& block = w[2].data;
  // One period of a 5 Vpp sine around 126: peak a quarter in, trough three quarters in.
  EXPECT_EQ(block[0], 126);
  EXPECT_EQ(block[64], 203);
  EXPECT_EQ(block[128], 235);
  EXPECT_EQ(block[256], 126);
  EXPECT_EQ(block[384], 16);
  EXPECT_EQ(*std::max_element(block.begin(), block.end()), 235);
  EXPECT_EQ(*std::min_element(block.begin(), block.end()), 16);
  EXPECT_TRUE(Device().ProtocolErrors().empty());
}

TEST_F(GeneratorWireTest, SquareSendsAnInvertedRotatedHalfAndHalfBlock) {
  Device().ClearLog();
  panel_->GrSpeedButton12->Click();
  EXPECT_TRUE(panel_->TrackBar5->Visible());  // duty for the square only
  const std::vector<Write> w = OutWrites();
  ExpectFullSend(w, false, {0x0E, 0x05, 0x04, 0x7F, 0x4E, 0x23, 0x08},
                 {0x0E, 0x02, 0x13, 0, 0, 0, 0, 0, 0, 0, 0, 0x11, 0x6B, 0xF1, 0x29, 0, 0, 0xA0, 0x86, 0x01, 0, 0});
  ASSERT_EQ(w.size(), 5u);
  const Bytes& block = w[2].data;
  EXPECT_EQ(std::count(block.begin(), block.begin() + 256, 239), 256);
  EXPECT_EQ(std::count(block.begin() + 256, block.end(), 12), 256);
}

TEST_F(GeneratorWireTest, LinearAndLogSweepsSendTheirSweepFields) {
  // As the sweep of More Functions starts it.
  GeneratorState().WaveShape = generator::kShapeSweep;
  GeneratorState().GenOutputOff = 0;
  panel_->Edit3->SetText("1000");
  panel_->Edit4->SetText("10000");
  panel_->Edit9->SetText("10");
  Device().ClearLog();
  Form1_fgen->read_edit34();
  std::vector<Write> w = OutWrites();
  ExpectFullSend(w, false, {0x0E, 0x05, 0x04, 0x7F, 0x4E, 0x23, 0x0F},
                 {0x0E, 0x02, 0x13, 0x4A, 0x54, 0xEF, 0xB1, 0x7B, 0, 0, 0, 0x47, 0xAC, 0xC5, 0xA7, 0, 0,
                  0x50, 0xC3, 0, 0, 0});
  ASSERT_EQ(w.size(), 5u);
  // The device plays a sine period (inverted, as every shape but the sine);
  // it sweeps the frequency itself.
  EXPECT_EQ(w[2].data[0], 125);
  EXPECT_EQ(w[2].data[128], 16);
  EXPECT_EQ(w[2].data[384], 235);
  EXPECT_TRUE(panel_->Panel7->Visible());
  EXPECT_TRUE(Form1->Timer91->Enabled());

  panel_->Edit3->SetText("100");
  panel_->Edit4->SetText("100000");
  panel_->Edit9->SetText("2");
  Device().ClearLog();
  panel_->Log->Click();
  w = OutWrites();
  ExpectFullSend(w, false, {0x0E, 0x05, 0x04, 0x7F, 0x4E, 0x23, 0x0E},
                 {0x0E, 0x02, 0x13, 0x31, 0x16, 0x9B, 0x88, 0xD6, 0, 0, 0, 0xA0, 0xF7, 0xC6, 0x10, 0, 0,
                  0xE2, 0x04, 0, 0, 0x02});
}

TEST_F(GeneratorWireTest, RisingAmplitudeRangeSendsTheWaveFirstAndFallingTheSettings) {
  panel_->GrSpeedButton11->Click();
  const auto amplitude = [&](const char* text) {
    panel_->Image8->Click();
    Enter(panel_->Edit7, text);
    Device().ClearLog();
    WaitForApply();
    return OutWrites();
  };
  amplitude("0,5");
  EXPECT_DOUBLE_EQ(GeneratorState().GenAmplitude, 0.5);
  std::vector<Write> up = amplitude("2");
  ASSERT_EQ(up.size(), 5u) << Device().Dump();
  EXPECT_EQ(up[0].data, Bytes{0x04});
  EXPECT_EQ(up[2].data, (Bytes{0x0E, 0x05, 0x04, 0x7F, 0x4D, 0x23, 0x0F}));
  std::vector<Write> down = amplitude("0.5");
  ASSERT_EQ(down.size(), 5u) << Device().Dump();
  EXPECT_EQ(down[0].data, (Bytes{0x0E, 0x05, 0x04, 0x7F, 0x4B, 0x23, 0x0F}));
  EXPECT_EQ(down[1].data, Bytes{0x04});

  // 20 Vpp stored from elsewhere: the top range, the wave clipped at its
  // ends instead of wrapping round in the low byte.
  Form1_fgen->set_fg(500, 0, 20);
  Device().ClearLog();
  Form1_fgen->Timer8Timer(nullptr);
  const std::vector<Write> over = OutWrites();
  ASSERT_EQ(over.size(), 5u) << Device().Dump();
  EXPECT_EQ(over[2].data, (Bytes{0x0E, 0x05, 0x04, 0x7F, 0x4F, 0x23, 0x0F}));
  EXPECT_EQ(over[1].data[128], 255);
  EXPECT_EQ(over[1].data[384], 0);
}

TEST_F(GeneratorWireTest, ReleasingTheShapeSwitchesTheOutputOff) {
  panel_->GrSpeedButton11->Click();
  Device().ClearLog();
  panel_->GrSpeedButton11->Click();
  ASSERT_FALSE(panel_->GrSpeedButton11->Down());
  const std::vector<Write> w = OutWrites();
  ASSERT_EQ(w.size(), 6u) << Device().Dump();
  // The click first releases "Stop Sweep", which sends the settings again...
  EXPECT_EQ(w[0].data, (Bytes{0x0E, 0x05, 0x04, 0x7F, 0x4E, 0x23, 0x0F}));
  EXPECT_EQ(w[1].data, Bytes{0x06});
  // ...then the output goes off: a silent period, range byte 0, apply.
  EXPECT_EQ(w[2].data, Bytes{0x04});
  EXPECT_EQ(w[3].data, Bytes(512, 0x80));
  EXPECT_EQ(w[3].timeout, 100u);
  EXPECT_EQ(w[4].data, (Bytes{0x0E, 0x05, 0x04, 0x80, 0x00, 0x13, 0x0F}));
  EXPECT_EQ(w[5].data, Bytes{0x06});
  EXPECT_EQ(GeneratorState().GenOutputOff, 1);
}

TEST_F(GeneratorWireTest, PanelEntriesAndRangesAsTheUserSeesThem) {
  // An offset typed with a decimal comma.
  panel_->Image7->Click();
  Enter(panel_->Edit6, "2,5");
  EXPECT_EQ(GeneratorState().OffsetDac, 191);
  EXPECT_EQ(panel_->TrackBar6->Position(), 64);
  EXPECT_EQ(GeneratorState().OffsetOnlyChange, 1);

  // A typed frequency moves by decades between ranges; the slider stays.
  panel_->GrSpeedButton5->Click();
  panel_->Image5->Click();
  Enter(panel_->Edit1, "1234");
  EXPECT_EQ(panel_->TrackBar4->Position(), 15);
  panel_->GrSpeedButton7->Click();
  EXPECT_NEAR(GeneratorState().GenFrequency, 12.34, 1e-9);
  EXPECT_EQ(panel_->TrackBar4->Position(), 15);
  EXPECT_EQ(GeneratorState().RangeCode, 4);

  // The sine on the top range reaches 1 MHz; the square is held to 500 kHz.
  panel_->GrSpeedButton11->Click();
  EXPECT_EQ(panel_->GrSpeedButton3->Caption(), "1M");
  panel_->GrSpeedButton3->Click();
  panel_->TrackBar4->SetPosition(90);
  EXPECT_DOUBLE_EQ(GeneratorState().GenFrequency, 1000);
  panel_->GrSpeedButton12->Click();
  EXPECT_EQ(panel_->GrSpeedButton3->Caption(), "500k");
  EXPECT_DOUBLE_EQ(GeneratorState().GenFrequency, 500);
  EXPECT_DOUBLE_EQ(GeneratorState().RangeMax, 500);

  // Stored values from elsewhere: the frequency is held to the range and the
  // offset byte saturates instead of wrapping to the other sign.
  struct Stored {
    double frequency, offset;
    double expectedFrequency;
    int expectedDac;
  } stored[] = {{1e9, 9, 500, 255}, {-3, -9, 50, 0}, {200, 2.5, 200, 191}};
  for (const Stored& s : stored) {
    Form1_fgen->set_fg(s.frequency, s.offset, 12);
    EXPECT_DOUBLE_EQ(GeneratorState().GenFrequency, s.expectedFrequency);
    EXPECT_EQ(GeneratorState().OffsetDac, s.expectedDac) << s.offset;
    EXPECT_DOUBLE_EQ(GeneratorState().GenAmplitude, 12);
  }
}

TEST_F(GeneratorWireTest, ProbeTestSendsAOneKilohertzTenVoltSquareAndRunsTheScope) {
  Device().ClearLog();
  panel_->GrSpeedButton2->Click();
  EXPECT_EQ(Dialogs().CountMessages("Connect your X10 probe to the generator output for calibration."), 1);
  EXPECT_TRUE(panel_->GrSpeedButton5->Down());
  EXPECT_TRUE(panel_->GrSpeedButton12->Down());
  EXPECT_DOUBLE_EQ(GeneratorState().GenFrequency, 1000);
  EXPECT_DOUBLE_EQ(GeneratorState().GenAmplitude, 10);
  EXPECT_TRUE(Form1->SpeedButton02ms->Down());
  EXPECT_TRUE(Form1->SpeedButton5v1->Down());
  EXPECT_TRUE(Form1->SpeedButton5v2->Down());
  EXPECT_TRUE(Form1->SpeedButton8->Down());
  EXPECT_TRUE(Form1->SpeedButtonRun->Down());
  // The last generator settings: offset 0 V, "5k" with the 10 V range, square filter.
  const std::vector<SimPacket>& packets = Device().Packets();
  const auto last = std::find_if(packets.rbegin(), packets.rend(), [](const SimPacket& p) { return p.type == 5; });
  ASSERT_NE(last, packets.rend());
  EXPECT_EQ(last->bytes, (Bytes{0x0E, 0x05, 0x04, 0x7F, 0x77, 0x23, 0x08}));
  Form1->SpeedButtonRun->SetDown(false);
  Form1->SpeedButtonRunClick(Form1);
}

TEST_F(GeneratorWireTest, SweepStopBelowStartIsRaisedWithANotice) {
  GeneratorState().WaveShape = generator::kShapeSweep;
  GeneratorState().GenOutputOff = 0;
  Form1_fgen->read_edit34();
  ASSERT_TRUE(panel_->Panel7->Visible());
  EXPECT_EQ(Dialogs().CountMessages("Stop frequency must be higher than Start frequency."), 0);
  panel_->Edit3->SetText("5000");
  panel_->Edit4->SetText("100");
  panel_->Edit9->SetText("abc");
  panel_->StartSweep->Click();
  EXPECT_EQ(Dialogs().CountMessages("Stop frequency must be higher than Start frequency."), 1);
  EXPECT_EQ(panel_->Edit4->Text(), "5000");
  EXPECT_EQ(panel_->Edit9->Text(), "1");
  EXPECT_DOUBLE_EQ(GeneratorState().SweepStopHz, 5000);
}

TEST_F(GeneratorWireTest, PreviewFollowsTheOutputAndNothingGoesOutInDemoMode) {
  const auto bluePixels = [&] {
    const QImage& image = panel_->Image6->Picture()->Image();
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x) n += (image.pixel(x, y) & 0xFFFFFF) == 0x0000FF;
    return n;
  };
  ScopeState().DemoMode = 1;
  Device().ClearLog();
  EXPECT_EQ(bluePixels(), 0);
  panel_->GrSpeedButton11->Click();
  EXPECT_GT(bluePixels(), 300);
  panel_->GrSpeedButton11->Click();
  EXPECT_EQ(bluePixels(), 0);
  EXPECT_TRUE(OutWrites().empty()) << Device().Dump();
}

}  // namespace
