// The spectrum table and the waveform library file as the user gets them.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

#include "display/display_state.h"
#include "display/spectrum.h"
#include "engine/main_form.h"
#include "engine/scope_state.h"
#include "generator/library_wave.h"
#include "io/text_export.h"
#include "io_test_files.h"
#include "support/held_startup_test.h"
#include "support/program_states.h"

namespace {

using io_test::ReadBytes;

std::vector<std::string> CrLfLines(const std::string& text) {
  std::vector<std::string> lines;
  for (std::size_t pos = 0; pos < text.size();) {
    const std::size_t end = text.find("\r\n", pos);
    EXPECT_NE(end, std::string::npos) << "a line without CR LF";
    if (end == std::string::npos) break;
    lines.push_back(text.substr(pos, end - pos));
    pos = end + 2;
  }
  return lines;
}

std::vector<std::int32_t> Levels(std::int32_t level) {
  std::vector<std::int32_t> entries(4096);
  for (auto& e : entries) display::WriteLow16(e, level);
  return entries;
}

TEST(SpectrumTable, HeaderUnitFrequenciesAndLevels) {
  struct Case {
    const char* what;
    std::int32_t timePerDiv, level;
    double offset;
    bool log;
    std::string header, first, second;
  };
  const std::vector<Case> cases = {
      // 0.1 ms/div: 12.5 MHz / 2 over 4096 bins; 3 V/div at display level 0 (level 210).
      {"0.1 ms/div", 10000, 210, 15.563, false, "N\tf/[MHz]\tV/[dBV]", "0\t0.0002\t-64.4", "1\t0.0003\t-64.4"},
      {"1 ms/div", 100000, 465, 6.0, false, "N\tf/[kHz]\tV/[dBV]", "0\t0.0153\t6.0", "1\t0.0305\t6.0"},
      // A negative level: the low 16 bits are a signed number.
      {"negative", 100000, -1, 6.0, false, "N\tf/[kHz]\tV/[dBV]", "0\t0.0153\t-140.2", "1\t0.0305\t-140.2"},
      // The log axis starts at bin 20 for the first point.
      {"log axis", 100000, 300, 6.0, true, "N\tf/[kHz]\tV/[dBV]", "0\t0.3052\t-45.8", "1\t0.3052\t-45.8"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::vector<std::int32_t> levels = Levels(c.level);
    io::SpectrumTableInput in;
    in.Levels = levels;
    in.TimePerDiv = c.timePerDiv;
    in.LevelOffsetDb = c.offset;
    in.DisplayStart = 1;
    in.Zoom = 1;
    in.Points = c.log ? 2560 : 4096;
    in.LogAxis = c.log;
    const std::vector<std::string> lines = io::SpectrumTableLines(in);
    ASSERT_EQ(lines.size(), 326u);  // the header and the 325 points of the screen
    EXPECT_EQ(lines[0], c.header);
    EXPECT_EQ(lines[1], c.first);
    EXPECT_EQ(lines[2], c.second);
  }
}

TEST(SpectrumTable, AZoomedPointTakesTheHighestOfItsBinsAndOnlyPointsOnTheScreenAreListed) {
  std::vector<std::int32_t> levels = Levels(210);
  display::WriteLow16(levels[11], 261);  // among the first point's 9 bins at zoom 8, not the second's
  io::SpectrumTableInput in;
  in.Levels = levels;
  in.DisplayStart = 4;
  in.Zoom = 8;
  in.Points = 4096;
  in.LevelOffsetDb = 6.0;
  std::vector<std::string> lines = io::SpectrumTableLines(in);
  EXPECT_EQ(lines[1], "0\t0.0610\t-58.0");
  EXPECT_EQ(lines[2], "1\t0.1831\t-74.0");
  EXPECT_EQ(lines.size(), 326u);  // 325 points across the screen
  // Near the end of the spectrum the list stops a zoom step before its last point.
  in.DisplayStart = 3000;
  lines = io::SpectrumTableLines(in);
  EXPECT_EQ(lines.size(), 1u + 136u);
  EXPECT_EQ(lines.back().substr(0, 4), "135\t");
}

TEST(WaveformExport, WritesAnEmptyLineAndTheChannelsCodes) {
  std::vector<std::int32_t> codes(4096);
  for (std::size_t i = 0; i < codes.size(); ++i) codes[i] = static_cast<std::int32_t>((i * 37) % 256);
  const std::vector<std::string> lines = CrLfLines(io::WaveformLibraryText(codes));
  ASSERT_EQ(lines.size(), 4097u);
  EXPECT_EQ(lines[0], "");
  for (std::size_t i = 0; i < codes.size(); ++i) ASSERT_EQ(lines[i + 1], std::to_string(codes[i]));
}

class ScopeExports : public HeldStartupTest {
 protected:
  void SetUp() override {
    HeldStartupTest::SetUp();
    // The start-up tick that finds the documents folder is held back.
    ScopeState().DocumentsFolder = harness_->Home().Path() + "/Documents/";
    std::filesystem::create_directories(ScopeState().DocumentsFolder);
  }
};

TEST_F(ScopeExports, SaveFftDataWritesTheShownChannelsTableAndTheFileMenuFollowsTheMode) {
  using namespace engine;
  ScriptedDialogs& dialogs = harness_->Dialogs();
  Form1->Files().File1Click(Form1);
  EXPECT_FALSE(Form1->SaveDataAs1->Enabled());

  ScopeState().SpectrumMode = 1;
  ScopeState().Settings.Channels[0].On = 0;  // CH2's levels, the first half of the block
  ScopeState().Settings.Channels[1].GainCode = 1;
  ScopeState().Channels[1].ProbeDb = 20.0;
  ScopeState().TimePerDiv = 100000;
  ScopeState().DisplayStart = 1;
  DisplayState().SpectrumZoom = 1;
  DisplayState().SpectrumPoints = 4096;
  ScopeState().LogFreqAxis = 0;
  for (std::size_t i = 0; i < kChannelSamples; ++i) {
    display::WriteLow16(ScopeState().SpectrumLevels[i], 210);
    display::WriteLow16(ScopeState().Ch1SpectrumLevels()[i], 465);
  }
  Form1->Files().File1Click(Form1);
  EXPECT_TRUE(Form1->SaveDataAs1->Enabled());
  dialogs.AnswerFile(ScopeState().DocumentsFolder + "fft");
  Form1->Files().SaveDataAs1Click(Form1);
  const std::vector<std::string> lines = CrLfLines(ReadBytes(ScopeState().DocumentsFolder + "fft.txt"));
  ASSERT_EQ(lines.size(), 326u);
  EXPECT_EQ(lines[0], "N\tf/[kHz]\tV/[dBV]");
  EXPECT_EQ(lines[1], "0\t0.0153\t-44.4");
  EXPECT_EQ(dialogs.FileDialogs().back().Filter, "Text file (*.txt)|*.txt|All files (*.*)|*.*");
}

TEST_F(ScopeExports, ExportWaveformWritesEitherChannelAsALibraryFile) {
  using namespace engine;
  ScriptedDialogs& dialogs = harness_->Dialogs();
  for (std::size_t i = 0; i < kChannelSamples; ++i) {
    ScopeState().Ch1Samples()[i] = static_cast<std::int32_t>(i % 256);
    ScopeState().Ch2Samples()[i] = 255 - static_cast<std::int32_t>(i % 256);
  }
  dialogs.AnswerFile(ScopeState().DocumentsFolder + "one");
  Form1->Files().ExportWaveformCH11Click(Form1);
  dialogs.AnswerFile(ScopeState().DocumentsFolder + "two.lib");
  Form1->Files().ExportWaveformofCh21Click(Form1);
  const std::vector<std::string> one = CrLfLines(ReadBytes(ScopeState().DocumentsFolder + "one.lib"));
  const std::vector<std::string> two = CrLfLines(ReadBytes(ScopeState().DocumentsFolder + "two.lib"));
  ASSERT_EQ(one.size(), 4097u);
  ASSERT_EQ(two.size(), 4097u);
  EXPECT_EQ(one[1], "0");
  EXPECT_EQ(one[4096], "255");
  EXPECT_EQ(two[1], "255");
  EXPECT_EQ(two[4096], "0");
  EXPECT_EQ(dialogs.FileDialogs().back().Filter, "Library file (*.lib)|*.lib|All files (*.*)|*.*");

  // The generator's library reader takes the file back as the same 4096
  // points: each point starts its segment of the period at its own level.
  const std::optional<generator::LibraryWave> back = generator::ReadLibraryWaveFile(ScopeState().DocumentsFolder + "two.lib");
  ASSERT_TRUE(back);
  EXPECT_FALSE(back->Error);
  ASSERT_EQ(back->Points, 4096);
  ASSERT_EQ(back->Entries.size(), 32000u);
  const double perPoint = 32000.0 / 4095;
  for (std::size_t i = 0; i + 1 < kChannelSamples; ++i) {
    const std::int16_t entry = back->Entries[static_cast<std::size_t>(std::lround(i * perPoint))];
    ASSERT_EQ(std::lround((entry + 32766) * 255.0 / 65532), ScopeState().Ch2Samples()[i]) << "point " << i;
  }
  // The last point is where the period's last ramp ends.
  const std::int16_t* end = &back->Entries.back();
  EXPECT_EQ(std::lround((2 * end[0] - end[-1] + 32766) * 255.0 / 65532), ScopeState().Ch2Samples()[4095]);

  // A folder that cannot be written keeps nothing half-written and says so.
  dialogs.AnswerFile(ScopeState().DocumentsFolder + "no such folder/three.lib");
  Form1->Files().ExportWaveformCH11Click(Form1);
  ASSERT_EQ(dialogs.Messages().size(), 1u);
  EXPECT_EQ(dialogs.Messages()[0].Text.rfind("Unable to write to " + ScopeState().DocumentsFolder + "no such folder/three.lib", 0),
            0u);
}

}  // namespace
