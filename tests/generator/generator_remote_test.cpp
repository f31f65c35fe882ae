// The generator mailbox: requests written into the block are applied once,
// through the generator panel's own controls, with the packets a user's
// clicks would send.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/device_fixture.h"
#include "engine/main_form.h"
#include "generator/generator_form.h"
#include "generator/generator_panel.h"
#include "generator/generator_state.h"
#include "generator/more_functions.h"
#include "io/generator_mailbox.h"
#include "io/remote_fixture.h"
#include "platform/shm/shared_memory.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

class GeneratorRemoteTest : public device_test::DeviceTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(io::OpenSharedBlocks(nullptr));
    DeviceTest::SetUp();
    OpenDevice();
    panel_ = Form1->GeneratorControls;
    box_ = io::GeneratorMailboxBlock.get();
  }

  void Request(std::int32_t wave, std::int32_t mHz, std::int32_t mVpp, std::int32_t mV, std::int32_t control = 0) {
    box_->Set(io::kGenWave, wave);
    box_->Set(io::kGenFrequency, mHz);
    box_->Set(io::kGenAmplitude, mVpp);
    box_->Set(io::kGenOffset, mV);
    box_->Set(io::kGenControl, control);
  }
  // Waits for the next poll to end: it writes the sign of life again.
  void NextPoll() {
    box_->Set(io::kGenAlive, 0);
    ASSERT_TRUE(harness_->PumpUntil([&] { return box_->Get(io::kGenAlive) == 56; }, 2000));
  }
  std::vector<Bytes> Writes() const { return DeviceTest::Writes(); }

  SharedBlockNames names_;
  GeneratorPanel* panel_ = nullptr;
  io::SharedWords* box_ = nullptr;
};

TEST_F(GeneratorRemoteTest, ASineRequestSendsWhatTheSameClicksSendAndIsAppliedOnce) {
  Request(1, 1000000, 5000, 0);
  NextPoll();
  EXPECT_TRUE(panel_->GrSpeedButton5->Down());  // "5k"
  EXPECT_TRUE(panel_->GrSpeedButton11->Down());
  EXPECT_DOUBLE_EQ(GeneratorState().GenFrequency, 1000);
  EXPECT_EQ(GeneratorState().WaveShape, generator::kShapeSine);
  // The last full send is the one of a 1 kHz, 5 Vpp sine set by hand.
  const std::vector<Bytes> w = Writes();
  ASSERT_GE(w.size(), 5u);
  const std::size_t s = w.size() - 5;
  EXPECT_EQ(w[s], (Bytes{0x0E, 0x05, 0x04, 0x7F, 0x76, 0x23, 0x0F}));
  EXPECT_EQ(w[s + 1], Bytes{0x04});
  EXPECT_EQ(w[s + 2].size(), 512u);
  EXPECT_EQ(w[s + 3], (Bytes{0x0E, 0x02, 0x13, 0, 0, 0, 0, 0, 0, 0, 0, 0x47, 0xAC, 0xC5, 0xA7, 0, 0, 0xA0, 0x86, 0x01,
                             0, 0}));
  EXPECT_EQ(w[s + 4], Bytes{0x06});
  EXPECT_TRUE(Device().ProtocolErrors().empty());

  // The same words again, or only the sweep end and time changed: nothing.
  Device().ClearLog();
  NextPoll();
  box_->Set(io::kGenSweepEnd, 123456);
  box_->Set(io::kGenSweepTime, 2000);
  NextPoll();
  NextPoll();
  EXPECT_TRUE(Writes().empty());
}

TEST_F(GeneratorRemoteTest, RequestsTakeTheirRangeAndLimitedValues) {
  struct Case {
    std::int32_t wave, mHz, mVpp, mV;
    TGrSpeedButton* GeneratorPanel::*range;
    TGrSpeedButton* GeneratorPanel::*shape;
    double frequency, amplitude;
    int offsetDac;
  };
  using P = GeneratorPanel;
  const Case cases[] = {
      {2, 0, 2000, 0, &P::GrSpeedButton10, &P::GrSpeedButton12, 5, 2, 127},        // 0.05Hz range, its lowest value
      {3, 75, 2000, 0, &P::GrSpeedButton9, &P::GrSpeedButton13, 0.075, 2, 127},    // 0.075 Hz stays 0.075 Hz
      {-4, 20000, 50, 7000, &P::GrSpeedButton7, &P::GrSpeedButton11, 20, 0.1, 254},  // negative wave: sine
      {1, 20000, 20000, -7000, &P::GrSpeedButton7, &P::GrSpeedButton11, 20, 10, 0},
      {2, 250000000, 3000, 1000, &P::GrSpeedButton3, &P::GrSpeedButton12, 250, 3, 152},
  };
  for (const Case& c : cases) {
    Request(c.wave, c.mHz, c.mVpp, c.mV);
    NextPoll();
    EXPECT_TRUE((panel_->*c.range)->Down()) << c.wave << " " << c.mHz;
    EXPECT_TRUE((panel_->*c.shape)->Down()) << c.wave << " " << c.mHz;
    int downShapes = 0;
    for (TGrSpeedButton* b : panel_->ShapeButtons()) downShapes += b->Down();
    EXPECT_EQ(downShapes, 1);
    EXPECT_NEAR(GeneratorState().GenFrequency, c.frequency, 1e-9) << c.mHz;
    EXPECT_DOUBLE_EQ(GeneratorState().GenAmplitude, c.amplitude);
    EXPECT_EQ(GeneratorState().OffsetDac, c.offsetDac);
    EXPECT_EQ(GeneratorState().GenOutputOff, 0);
  }
}

TEST_F(GeneratorRemoteTest, OutputOffActsOnItsEdgeAndHoldDelaysOnePoll) {
  Request(1, 1000000, 5000, 0);
  NextPoll();
  ASSERT_TRUE(panel_->GrSpeedButton11->Down());

  Device().ClearLog();
  box_->Set(io::kGenControl, 223);
  NextPoll();
  // Every panel shows the output off, the recorder's as the scope's.
  ASSERT_GE(GeneratorState().Panels.size(), 2u);
  for (const GeneratorPanel* p : GeneratorState().Panels)
    for (TGrSpeedButton* b : p->ShapeButtons()) EXPECT_FALSE(b->Down());
  EXPECT_EQ(GeneratorState().GenOutputOff, 1);
  const std::size_t offWrites = Writes().size();
  EXPECT_GT(offWrites, 0u);
  NextPoll();
  NextPoll();
  EXPECT_EQ(Writes().size(), offWrites);  // still 223: nothing more

  // Back to normal with the same request: it is applied again.
  box_->Set(io::kGenControl, 0);
  NextPoll();
  for (const GeneratorPanel* p : GeneratorState().Panels) EXPECT_TRUE(p->GrSpeedButton11->Down());
  EXPECT_EQ(GeneratorState().GenOutputOff, 0);

  // 221 newly written: that poll leaves the new request alone, the next applies it.
  Request(2, 1000000, 5000, 0, 221);
  NextPoll();
  EXPECT_TRUE(panel_->GrSpeedButton11->Down());
  EXPECT_FALSE(panel_->GrSpeedButton12->Down());
  NextPoll();
  EXPECT_FALSE(panel_->GrSpeedButton11->Down());  // the sine is released through its button
  EXPECT_TRUE(panel_->GrSpeedButton12->Down());
}

TEST_F(GeneratorRemoteTest, ASweepRequestFillsTheSweepPanelAndStartsIt) {
  box_->Set(io::kGenSweepEnd, 10000000);
  box_->Set(io::kGenSweepTime, 10000);
  Request(4, 1000000, 5000, 0);
  NextPoll();
  EXPECT_EQ(GeneratorState().WaveShape, generator::kShapeSweep);
  EXPECT_TRUE(BtnBottomDlg1_fgen->SpeedButton3->Down());  // More Functions shows the sweep
  EXPECT_TRUE(panel_->Panel7->Visible());
  EXPECT_FALSE(panel_->TrackBar4->Visible());
  EXPECT_EQ(panel_->Edit3->Text(), "1000");
  EXPECT_EQ(panel_->Edit4->Text(), "10000");
  EXPECT_EQ(panel_->Edit9->Text(), "10");
  EXPECT_DOUBLE_EQ(GeneratorState().SweepStartHz, 1000);
  EXPECT_DOUBLE_EQ(GeneratorState().SweepStopHz, 10000);
  EXPECT_TRUE(Form1->Timer91->Enabled());
  // The sweep's frequency packet: 1 kHz to 10 kHz linear in 10 s.
  const std::vector<Bytes> w = Writes();
  ASSERT_GE(w.size(), 2u);
  EXPECT_EQ(w[w.size() - 2], (Bytes{0x0E, 0x02, 0x13, 0x4A, 0x54, 0xEF, 0xB1, 0x7B, 0, 0, 0, 0x47, 0xAC, 0xC5, 0xA7,
                                    0, 0, 0x50, 0xC3, 0, 0, 0}));
}

TEST_F(GeneratorRemoteTest, ALibraryRequestLoadsTheNamedFileOrKeepsTheShape) {
  std::filesystem::create_directories(dataDir_ + "lib");
  std::ofstream(dataDir_ + "lib/Ramp.lib") << "0\n128\n255\n";
  const auto name = [&](const std::string& text) {
    box_->Set(io::kGenNameLength, static_cast<std::int32_t>(text.size()));
    for (std::size_t i = 0; i < text.size(); ++i) box_->Set(io::kGenNameFirst + i, static_cast<unsigned char>(text[i]));
  };
  Request(1, 1000000, 5000, 0);
  NextPoll();
  ASSERT_TRUE(panel_->GrSpeedButton11->Down());

  name("RAMP.LIB");
  Request(5, 2000000, 5000, 0);
  NextPoll();
  EXPECT_EQ(GeneratorState().SequenceLibFile, "RAMP.LIB");
  EXPECT_EQ(GeneratorState().WaveShape, generator::kShapeLibrary);
  for (TGrSpeedButton* b : panel_->ShapeButtons()) EXPECT_FALSE(b->Down());
  EXPECT_DOUBLE_EQ(GeneratorState().GenFrequency, 2000);
  // The ramp's table: rising from the bottom to the top over the period.
  EXPECT_LT(GeneratorState().BaseTable[100], GeneratorState().BaseTable[16000]);

  // Only names in the library folders: a name from the root, even of a
  // library file that is there, leaves table and caption as they were.
  std::ofstream(dataDir_ + "Fall.lib") << "255\n0\n";
  const std::vector<std::int16_t> ramp = GeneratorState().BaseTable;
  const std::string caption = Form1_fgen->Caption();
  std::int32_t frequency = 2000000;
  for (const std::string& outside : {dataDir_ + "Fall.lib", std::string("/etc/passwd")}) {
    SCOPED_TRACE(outside);
    name(outside);
    Request(5, frequency += 1000, 5000, 0);
    NextPoll();
    EXPECT_EQ(GeneratorState().BaseTable, ramp);
    EXPECT_EQ(Form1_fgen->Caption(), caption);
  }

  // A name that finds no file: the range and values change, the shape stays,
  // and the apply still sends.
  name("missing.lib");
  Request(7, 300000, 5000, 0);
  Device().ClearLog();
  NextPoll();
  EXPECT_EQ(GeneratorState().WaveShape, generator::kShapeLibrary);
  EXPECT_TRUE(panel_->GrSpeedButton6->Down());  // "500Hz"
  EXPECT_DOUBLE_EQ(GeneratorState().GenFrequency, 300);
  EXPECT_FALSE(Writes().empty());
}

}  // namespace
