// The readers of a capture work on the capture they are handed, with the
// settings it was taken with: what they show or export stays the same when
// the scope's sample block and channel settings hold something else by then.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <string>

#include "display/capture.h"
#include "display/measurements.h"
#include "display/picture_fixture.h"
#include "engine/big_screen.h"
#include "engine/markers/markers_controller.h"
#include "engine/measurement_window.h"
#include "engine/picture_settings.h"
#include "io/remote_fixture.h"
#include "io/sample_export.h"
#include "support/program_states.h"

namespace {

using namespace picture_test;

// Sines of the given amplitude (codes) and period (samples), CH2 a quarter
// period behind CH1.
display::Capture SineCapture(int amplitude, int period) {
  display::Capture c;
  for (int i = 0; i < 4096; ++i) {
    const auto at = static_cast<std::size_t>(i);
    c.Samples[4096 + at] = 127 + static_cast<int>(std::lround(amplitude * std::sin(2 * M_PI * i / period)));
    c.Samples[at] = 127 + static_cast<int>(std::lround(amplitude * std::sin(2 * M_PI * (i - period / 4) / period)));
  }
  return c;
}

std::string Bytes(const void* data, std::size_t size) { return {static_cast<const char*>(data), size}; }

class CaptureReadersTest : public PictureTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(io::OpenSharedBlocks(nullptr));
    PictureTest::SetUp();
    ScopeState().RmsOn = ScopeState().DbmOn = 1;
    Form1->Markers().MoreData1Click(nullptr);  // "Waveform Parameters..."
    Form_99->CH1on->Click();         // "Select All"
  }
  SharedBlockNames names_;
};

struct ReaderRow {
  const char* name;
  std::function<void(const display::Capture&)> read;
  std::function<std::string()> seen;  // what the user or another program gets
};

TEST_F(CaptureReadersTest, EachReaderShowsTheCaptureItIsHandedNotWhatTheScopeHoldsLater) {
  const auto bytesOf = [](const QImage& image) {
    return Bytes(image.constBits(), static_cast<std::size_t>(image.sizeInBytes()));
  };
  const auto picture = [&] { return bytesOf(Picture()); };
  const ReaderRow rows[] = {
      {"picture", [](const display::Capture& c) { Wipe(); Form1->DrawCapture(c); }, picture},
      {"RMS and dBm read-outs", [](const display::Capture& c) { Wipe(); Form1->rms_out(c); }, picture},
      {"waveform parameters", [](const display::Capture& c) { Form1->measure(c); },
       [] {
         std::string cells;
         for (int row = 1; row <= display::kRowPhase; ++row)
           cells += Form_99->StringGrid1->Cells(1, row) + "|" + Form_99->StringGrid1->Cells(2, row) + "\n";
         return cells;
       }},
      {"sample export", [](const display::Capture& c) { Form1->Acquisition().SaveShareData(c); },
       [] {
         std::string words;
         for (std::size_t i = 0; i <= io::kExportDataReady; ++i) {
           const std::int32_t w = io::SampleExportBlock->Get(i);
           words += Bytes(&w, sizeof w);
         }
         return words;
       }},
      {"Big Screen",
       [](const display::Capture& c) {
         if (!Form10->Visible()) Form1->GrSpeedButton1->Click();
         Wipe();
         Form1->DrawCapture(c);
       },
       [&] { return bytesOf(Form10->Image10->Picture()->Image()); }},
  };

  // Taken at 3 V/div (CH1) and 30 mV/div (CH2), grounds off centre; by the
  // time a late reader would look, the scope holds another trace at 1 V/div.
  display::Capture taken = SineCapture(64, 100), later = SineCapture(30, 64);
  later.Settings = taken.Settings = engine::CurrentCaptureSettings(States());
  taken.Settings.Channels[0].GainCode = 1;
  taken.Settings.Channels[1].GainCode = 13;
  taken.Settings.Channels[0].GroundLevel = 100;
  taken.Settings.Channels[1].GroundLevel = 150;
  for (const ReaderRow& row : rows) {
    SCOPED_TRACE(row.name);
    // The scope holding just this capture, as right after it was taken.
    ScopeState().ScopeSampleBlock = taken.Samples;
    ScopeState().Settings.Channels[0].GainCode = 1;
    ScopeState().Settings.Channels[1].GainCode = 13;
    ScopeState().Channels[0].GroundLevel = 100;
    ScopeState().Channels[1].GroundLevel = 150;
    row.read(taken);
    const std::string asTaken = row.seen();

    ScopeState().ScopeSampleBlock = later.Samples;
    ScopeState().Settings.Channels[0].GainCode = ScopeState().Settings.Channels[1].GainCode = 27;
    ScopeState().Channels[0].GroundLevel = ScopeState().Channels[1].GroundLevel = 128;
    row.read(later);
    EXPECT_NE(row.seen(), asTaken);  // the two captures do look different
    row.read(taken);
    EXPECT_EQ(row.seen(), asTaken);
  }
}

}  // namespace
