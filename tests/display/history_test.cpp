// The history view: the slider's traces and labels, "Clear History", the
// history files written and read back, and files that must be refused.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>
#include <vector>

#include "engine/big_screen.h"
#include "display/history.h"
#include "display/history_state.h"
#include "engine/control_panel.h"
#include "picture_fixture.h"
#include "support/app_harness.h"
#include "support/program_states.h"

namespace {

using namespace picture_test;

class HistoryTest : public PictureTest {
 protected:
  ScriptedDialogs& Dialogs() { return harness_->Dialogs(); }
  std::string Folder() { return harness_->Home().Path(); }
  // One capture whose CH1 samples all read `code` and CH2 samples code + 1
  // (low byte), stored as the unpacker stores it.
  static void Store(int code) {
    FillCh1([code](int) { return code & 0xFF; });
    FillCh2([code](int) { return (code + 1) & 0xFF; });
    display::StoreCaptureInHistory(HistoryState(), ScopeState().ScopeSampleBlock);
  }
  // What slider position `p` shows: CH1's first sample, CH2's last.
  static std::pair<int, int> Shown(int p) {
    Form1->ScrollBar1->SetPosition(p);
    return {ScopeState().Ch1Samples()[0], ScopeState().Ch2Samples()[4095]};
  }
  static std::string Label() { return Form1->Label3->Caption(); }
  static void Save(ScriptedDialogs& d, const std::string& path) {
    d.AnswerFile(path);
    Form1->SaveHistory1->OnClick(Form1->SaveHistory1);
  }
  static void Open(ScriptedDialogs& d, const std::string& path) {
    d.AnswerFile(path);
    Form1->OpenHistory1->OnClick(Form1->OpenHistory1);
  }
};

TEST_F(HistoryTest, ClearThenFiveCapturesShowOldestToNewest) {
  Form1->ClearHistory1->OnClick(Form1->ClearHistory1);
  EXPECT_EQ(Label(), "Trace: 0");
  for (int code = 11; code <= 15; ++code) Store(code);
  struct Row {
    int position;
    std::string label;
    int ch1;
  };
  const Row rows[] = {{996, "Trace: -4", 11}, {997, "Trace: -3", 12}, {1000, "Trace: 0", 15},
                      {999, "Trace: -1", 14}, {995, "Trace: -5", 0},  {0, "Trace: -1000", 0}};
  for (const Row& r : rows) {
    EXPECT_EQ(Shown(r.position).first, r.ch1) << r.position;
    EXPECT_EQ(Label(), r.label);
  }
  // The program's own moves of the bar select nothing.
  HistoryState().HistorySliderArmed = 0;
  Form1->ScrollBar1->SetPosition(996);
  EXPECT_EQ(Label(), "Trace: -1000");
  HistoryState().HistorySliderArmed = 1;
}

TEST_F(HistoryTest, EachSampleKeepsItsOwnLowByte) {
  // Every entry of the block different, with bits above the low byte set
  // (and negative codes), so that a byte put in another's place shows.
  // Three captures in neighbouring slots, each read back whole afterwards.
  Form1->ClearHistory1->OnClick(Form1->ClearHistory1);
  auto& block = ScopeState().ScopeSampleBlock;
  const auto code = [](std::size_t capture, std::size_t i) {
    return static_cast<std::int32_t>(i * (37 + 2 * capture) + 0x1234500 + capture) * (i % 3 == capture % 3 ? -1 : 1);
  };
  for (std::size_t capture = 0; capture < 3; ++capture) {
    for (std::size_t i = 0; i < block.size(); ++i) block[i] = code(capture, i);
    display::StoreCaptureInHistory(HistoryState(), block);
  }
  for (std::size_t capture = 0; capture < 3; ++capture)
    for (std::size_t i = 0; i < block.size(); ++i)
      ASSERT_EQ(display::HistorySample(HistoryState(), static_cast<std::int32_t>(capture), i),
                static_cast<std::uint8_t>(code(capture, i) & 0xFF))
          << "capture " << capture << " entry " << i;
}

TEST_F(HistoryTest, ASavedFileOpensToTheSameTraceAtEveryPosition) {
  // More captures than slots: the ring has wrapped and its oldest slot is
  // not slot 0.
  for (int code = 0; code < 1234; ++code) Store(code);
  ASSERT_EQ(HistoryState().HistoryIndex, 1234 % 1001);
  const int positions[] = {0, 1, 232, 233, 500, 999, 1000};
  std::vector<std::pair<int, int>> before;
  for (int p : positions) before.push_back(Shown(p));

  const std::string path = Folder() + "/run.hst";
  Save(Dialogs(), path);
  EXPECT_TRUE(Dialogs().Messages().empty());
  ASSERT_EQ(std::filesystem::file_size(path), 8201193u);
  // Oldest first: the first record is capture 233 (1234 - 1001), the last 1233.
  std::ifstream in(path, std::ios::binary);
  std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(static_cast<std::uint8_t>(bytes[4096]), 233 & 0xFF);                // CH1 of record 0
  EXPECT_EQ(static_cast<std::uint8_t>(bytes[1000 * 8193 + 4096]), 1233 & 0xFF);  // CH1 of record 1000
  EXPECT_EQ(static_cast<std::uint8_t>(bytes[1000 * 8193]), 1234 & 0xFF);         // its CH2

  Form1->ClearHistory1->OnClick(Form1->ClearHistory1);
  EXPECT_EQ(Shown(500), std::make_pair(0, 0));
  Open(Dialogs(), path);
  EXPECT_EQ(HistoryState().HistoryIndex, 0);
  EXPECT_EQ(Label(), "Trace: 0");
  for (std::size_t i = 0; i < std::size(positions); ++i) EXPECT_EQ(Shown(positions[i]), before[i]) << positions[i];
}

TEST_F(HistoryTest, AFileThatIsNotWholeLeavesEverythingAsItWas) {
  for (int code = 0; code < 40; ++code) Store(code);
  Shown(999);
  const std::int32_t viewIndex = HistoryState().HistoryViewIndex;
  const std::vector<std::uint8_t> ring(HistoryState().HistoryBuffer.begin(), HistoryState().HistoryBuffer.end());
  const QImage picture = Picture();
  const std::string label = Label();

  const std::string folder = Folder();
  const std::string truncated = folder + "/short.hst", empty = folder + "/empty.hst";
  std::filesystem::create_directory(folder + "/dir.hst");
  std::ofstream(truncated, std::ios::binary) << std::string(8201192, '\x55');
  std::ofstream(empty, std::ios::binary).flush();
  for (const std::string& path : {truncated, empty, folder + "/missing.hst", folder + "/dir.hst"}) {
    Dialogs().ClearRecords();
    Open(Dialogs(), path);
    ASSERT_EQ(Dialogs().Messages().size(), 1u) << path;
    EXPECT_EQ(Dialogs().Messages()[0].Text.rfind("Unable to read " + path, 0), 0u) << Dialogs().Messages()[0].Text;
    EXPECT_EQ(HistoryState().HistoryIndex, 40);
    EXPECT_EQ(HistoryState().HistoryViewIndex, viewIndex);
    EXPECT_TRUE(std::equal(ring.begin(), ring.end(), HistoryState().HistoryBuffer.begin())) << path;
    EXPECT_EQ(DifferentPixels(Picture(), picture), 0) << path;
    EXPECT_EQ(Label(), label);
  }

  // A longer file gives its first 1001 records.
  const std::string longer = folder + "/long.hst";
  std::ofstream(longer, std::ios::binary) << std::string(8201193 + 100, '\x07');
  Open(Dialogs(), longer);
  EXPECT_EQ(Shown(3), std::make_pair(7, 7));
}

TEST_F(HistoryTest, AFailedWriteIsReported) {
  Store(5);
  const std::string path = Folder() + "/no such folder/run.hst";
  Save(Dialogs(), path);
  ASSERT_EQ(Dialogs().Messages().size(), 1u);
  EXPECT_EQ(Dialogs().Messages()[0].Text, "Unable to write to " + path);
  EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(HistoryTest, HideAndShowTheBar) {
  Form1->HideHistoryBar1->OnClick(Form1->HideHistoryBar1);
  EXPECT_FALSE(Form1->ScrollBar1->Visible());
  EXPECT_TRUE(Form1->History->Visible());
  EXPECT_EQ(Form1->ScrollBar2->Width(), 625);
  Form1->History->Click();
  EXPECT_TRUE(Form1->ScrollBar1->Visible());
  EXPECT_FALSE(Form1->History->Visible());
  EXPECT_EQ(Form1->ScrollBar2->Width(), 507);
  EXPECT_EQ(Form1->ScrollBar1->Hint(), "Right-Click for History Menu");
}

TEST_F(HistoryTest, TheBigScreensBarFollowsTheMainBarBothWays) {
  Form1->ClearHistory1->OnClick(Form1->ClearHistory1);
  for (int code = 21; code <= 23; ++code) Store(code);
  EXPECT_EQ(Form10->ScrollBar1->PopupMenu(), Form1->HistoryMenu);
  const std::tuple<TScrollBar*, int, int, std::string> moves[] = {{Form10->ScrollBar1, 998, 21, "Trace: -2"},
                                                                  {Form1->ScrollBar1, 999, 22, "Trace: -1"},
                                                                  {Form10->ScrollBar1, 10, 0, "Trace: -990"}};
  for (const auto& [bar, position, ch1, label] : moves) {
    bar->SetPosition(position);
    EXPECT_EQ(ScopeState().Ch1Samples()[0], ch1);
    EXPECT_EQ(Label(), label);
    EXPECT_EQ(Form1->ScrollBar1->Position(), position);
    EXPECT_EQ(Form10->ScrollBar1->Position(), position);
  }
  // "Hide History Bar" hides both bars; "History" on the Big Screen brings both back.
  Form1->HideHistoryBar1->OnClick(Form1->HideHistoryBar1);
  EXPECT_FALSE(Form10->ScrollBar1->Visible());
  EXPECT_TRUE(Form10->History->Visible());
  EXPECT_EQ(Form10->ScrollBar2->Left() + Form10->ScrollBar2->Width() + 4, Form10->History->Left());
  Form10->History->Click();
  EXPECT_TRUE(Form1->ScrollBar1->Visible() && Form10->ScrollBar1->Visible());
  EXPECT_FALSE(Form1->History->Visible() || Form10->History->Visible());
  EXPECT_EQ(Form1->ScrollBar2->Width(), 507);
  EXPECT_EQ(Form10->ScrollBar2->Width(), 729);
  // No history in spectrum mode.
  Form1->fft1->Click();
  EXPECT_FALSE(Form10->ScrollBar1->Enabled());
}

}  // namespace
