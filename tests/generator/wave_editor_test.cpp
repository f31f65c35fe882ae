// The wave editor: its close and New questions never lose text, its files,
// and the pixels of its two-cycle preview.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "engine/scope_state.h"
#include "generator/generator_form.h"
#include "generator/generator_state.h"
#include "generator/wave_editor.h"
#include "support/held_startup_test.h"

namespace {

constexpr const char* kQuestion = "Save changes to file?";

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

class WaveEditorTest : public HeldStartupTest {
 protected:
  void SetUp() override {
    HeldStartupTest::SetUp();
    editor_ = Wave_editor1;
    ASSERT_NE(editor_, nullptr);
  }
  ScriptedDialogs& Dialogs() { return harness_->Dialogs(); }
  // The user typed a wave.
  void Type(const std::string& text) {
    editor_->Memo1->SetText(text);
    editor_->Memo1->SetModified(true);
  }
  // Rows of blue pixels in one column of the preview (-1 alone: none).
  std::vector<int> BlueRows(int x) const {
    std::vector<int> rows;
    const QImage& image = editor_->Image1->Picture()->Image();
    for (int y = 0; y < image.height(); ++y)
      if ((image.pixel(x, y) & 0xFFFFFF) == 0x0000FF) rows.push_back(y);
    if (rows.empty()) rows.push_back(-1);
    return rows;
  }
  std::string Saved() const { return harness_->Home().Path() + "/saved.lib"; }

  TWave_editor1* editor_ = nullptr;
};

TEST_F(WaveEditorTest, ClosingAsksAndNeverLosesText) {
  struct Row {
    const char* name;
    bool edited;
    int answer;          // to the question
    bool chooseFile;     // the save dialog then
    bool closes;
  };
  const Row rows[] = {
      {"unedited", false, mrNone, false, true},
      {"No", true, mrNo, false, true},
      {"Cancel", true, mrCancel, false, false},
      {"Yes, save dialog cancelled", true, mrYes, false, false},
      {"Yes, saved", true, mrYes, true, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    std::remove(Saved().c_str());
    Dialogs().ClearRecords();
    editor_->Show();
    Type("0\r\n255");
    editor_->Memo1->SetModified(row.edited);
    if (row.edited) Dialogs().AnswerMessage(row.answer);
    if (row.answer == mrYes) row.chooseFile ? Dialogs().AnswerFile(Saved()) : Dialogs().CancelFile();
    editor_->Close();

    EXPECT_EQ(Dialogs().CountMessages(kQuestion), row.edited ? 1 : 0);
    EXPECT_EQ(editor_->Visible(), !row.closes);
    EXPECT_EQ(GeneratorState().WaveEditorCanClose, row.closes ? 1 : 0);
    EXPECT_EQ(editor_->Memo1->Text(), "0\r\n255");
    EXPECT_EQ(ReadText(Saved()), row.chooseFile ? "0\r\n255\r\n" : "");
    if (row.chooseFile) {
      EXPECT_EQ(editor_->Caption(), "Wave Editor saved.lib");
    }
    EXPECT_EQ(Dialogs().PendingAnswers(), 0);
  }
}

TEST_F(WaveEditorTest, NewClearsOnlyWhenTheTextIsSafe) {
  struct Row {
    const char* name;
    int answer;
    bool chooseFile;
    bool cleared;
  };
  const Row rows[] = {
      {"Cancel", mrCancel, false, false},
      {"Yes, save dialog cancelled", mrYes, false, false},
      {"No", mrNo, false, true},
      {"Yes, saved", mrYes, true, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    std::remove(Saved().c_str());
    Type("128 (3)\r\n0");
    Dialogs().AnswerMessage(row.answer);
    if (row.answer == mrYes) row.chooseFile ? Dialogs().AnswerFile(Saved()) : Dialogs().CancelFile();
    editor_->New1Click(nullptr);
    EXPECT_EQ(editor_->Memo1->Text().empty(), row.cleared);
    EXPECT_EQ(ReadText(Saved()), row.chooseFile ? "128 (3)\r\n0\r\n" : "");
    if (row.cleared) {
      EXPECT_EQ(editor_->Caption(), "Wave Editor");
      EXPECT_TRUE(editor_->FileName().empty());
    }
  }
}

TEST_F(WaveEditorTest, OpenSaveAndSaveAsGoToTheNamedFiles) {
  const std::string source = harness_->Home().Path() + "/Source.LIB";
  std::ofstream(source, std::ios::binary) << "Title\n0\n255\n";
  Dialogs().AnswerFile(source);
  editor_->Open1Click(nullptr);
  EXPECT_EQ(editor_->Caption(), "Wave Editor Source.LIB");
  EXPECT_EQ(editor_->Memo1->Lines().Count(), 3);
  EXPECT_TRUE(editor_->Label5->Visible());

  editor_->Memo1->Lines().Add("0");
  EXPECT_TRUE(editor_->Save1Click(nullptr));  // no dialog: the file has a name
  EXPECT_EQ(ReadText(source), "Title\r\n0\r\n255\r\n0\r\n");
  EXPECT_FALSE(editor_->Memo1->Modified());

  Dialogs().AnswerFile(Saved());
  EXPECT_TRUE(editor_->SaveAs1Click(nullptr));
  EXPECT_EQ(Dialogs().FileDialogs().back().FileName, source);
  EXPECT_EQ(Dialogs().FileDialogs().back().Filter, "Library File (*.lib)|*.lib|All files (*.*)|*.*");
  EXPECT_EQ(ReadText(Saved()), "Title\r\n0\r\n255\r\n0\r\n");

  const std::string picture = harness_->Home().Path() + "/wave.bmp";
  Dialogs().AnswerFile(picture);
  editor_->SaveAsBitmap1Click(nullptr);
  EXPECT_EQ(ReadText(picture).substr(0, 2), "BM");
}

TEST_F(WaveEditorTest, PreviewDrawsTwoCyclesOfTheText) {
  Type("0\r\n255");
  editor_->PreviewClick(nullptr);
  EXPECT_TRUE(editor_->Label5->Visible());
  // A rising ramp, twice: bottom at the left (inside the frame), top near
  // the middle, bottom again.
  const int w = editor_->Image1->Width();
  ASSERT_EQ(w, 160);
  EXPECT_EQ(BlueRows(1).front(), 111);
  EXPECT_LE(BlueRows(w / 2 - 2).front(), 20);
  EXPECT_GE(BlueRows(w / 2 + 1).back(), 105);
  EXPECT_EQ(Dialogs().CountMessages("Error found in data file"), 0);

  // One point: no wave, the table keeps its preset middle level.
  Type("100");
  editor_->PreviewClick(nullptr);
  for (int x : {1, 40, 120}) EXPECT_EQ(BlueRows(x), (std::vector<int>{64, 65})) << x;

  // Bad numbers: one warning, the rest still drawn.
  Type("0\r\n1-2\r\n(x)\r\n255");
  editor_->PreviewClick(nullptr);
  EXPECT_EQ(Dialogs().CountMessages("Error found in data file"), 1);
  // The bad value holds the level before it: the first half of each cycle
  // stays at the bottom, the second rises.
  EXPECT_EQ(BlueRows(20).front(), 112);
  EXPECT_LE(BlueRows(w / 2 - 2).front(), 22);

  // New: the empty grid.
  editor_->Memo1->SetModified(false);
  editor_->New1Click(nullptr);
  EXPECT_EQ(BlueRows(40), std::vector<int>{-1});
  const QImage& image = editor_->Image1->Picture()->Image();
  EXPECT_EQ(image.pixel(0, 5) & 0xFFFFFF, 0u);     // black frame
  EXPECT_EQ(image.pixel(5, 64) & 0xFFFFFF, 0u);    // black centre line
  EXPECT_EQ(image.pixel(5, 16) & 0xFFFFFF, 0x808080u);  // grey grid
}

}  // namespace
