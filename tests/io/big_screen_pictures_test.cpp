// The Big Screen's picture through the twin panel's menu: saved and opened
// back pixel for pixel, Open and Paste stopping the scope; and the twin
// panel's File and Help items reaching the main window's handlers.
#include <gtest/gtest.h>

#include <filesystem>

#include <QApplication>
#include <QClipboard>

#include "engine/big_screen.h"
#include "engine/control_panel.h"
#include "engine/main_form.h"
#include "engine/scope_state.h"
#include "io/picture_file.h"
#include "io_test_files.h"
#include "support/held_startup_test.h"
#include "support/program_states.h"

namespace fs = std::filesystem;

namespace {

using io_test::ReadBytes;

void PaintPattern(TBitmap& picture) {
  QImage& image = picture.Image();
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) image.setPixel(x, y, qRgb((x * 5) & 0xFF, y & 0xFF, (x + y * 3) & 0xFF));
}

class TwinPanelFiles : public HeldStartupTest {
 protected:
  void SetUp() override {
    HeldStartupTest::SetUp();
    ScopeState().DocumentsFolder = harness_->Home().Path() + "/Documents/";
    fs::create_directories(ScopeState().DocumentsFolder);
    Form1->GrSpeedButton1->Click();
    ASSERT_TRUE(Form10->Visible());
  }
  ScriptedDialogs& Dialogs() { return harness_->Dialogs(); }
  std::string Docs() const { return ScopeState().DocumentsFolder; }
  static TBitmap& Big() { return *Form10->Image10->Picture(); }
  static TBitmap& Main() { return *Form1->Image1->Picture(); }
  static void Click(TMenuItem* item) {
    ASSERT_NE(item, nullptr);
    ASSERT_TRUE(item->OnClick);
    item->OnClick(item);
  }
};

TEST_F(TwinPanelFiles, TheBigScreenPictureSavesAndOpensBackPixelForPixel) {
  // The chosen name's extension decides the format: none gives PNG, jpg a bitmap.
  const std::pair<std::string, std::string> cases[] = {{"noext", "\x89PNG"}, {"big.jpg", "BM"}};
  PaintPattern(Big());
  const QImage saved = Big().Image().copy();
  Main().Image().fill(qRgb(9, 9, 9));
  for (const auto& [chosen, magic] : cases) {
    SCOPED_TRACE(chosen);
    const std::string path = Docs() + chosen + (magic == "BM" ? "" : ".png");
    Dialogs().AnswerFile(Docs() + chosen);
    Click(Form11->Save1);
    EXPECT_EQ(ReadBytes(path).substr(0, magic.size()), magic);
    Big().Image().fill(qRgb(0, 0, 0));
    Dialogs().AnswerFile(path);
    Click(Form11->Open1);
    EXPECT_EQ(Big().Image(), saved);
  }
  // The main window's dialogs; its picture untouched.
  EXPECT_EQ(Dialogs().FileDialogs().at(0).DialogName, "SaveDialog1");
  EXPECT_EQ(Dialogs().FileDialogs().at(1).DialogName, "OpenPictureDialog1");
  EXPECT_EQ(Main().Image().pixel(500, 200), qRgb(9, 9, 9));
  EXPECT_TRUE(Dialogs().Messages().empty());
}

TEST_F(TwinPanelFiles, OpenAndPasteOnTheBigScreenReleaseRunThroughItsHandler) {
  QImage image(60, 30, QImage::Format_RGB32);
  image.fill(qRgb(4, 5, 6));
  const std::string path = Docs() + "small.png";
  ASSERT_EQ(io::WritePictureFile(image, path, io::PictureFormat::Png), "");
  for (const bool paste : {false, true}) {
    SCOPED_TRACE(paste ? "paste" : "open");
    ScopeState().DemoMode = 1;
    Form11->SpeedButtonRun->SetDown(true);
    Form11->SpeedButtonRunClick(Form11);
    ASSERT_TRUE(Form1->Fasttimer1->Enabled());
    Big().Image().fill(qRgb(0, 0, 0));
    ScopeState().ClearPending = 0;
    if (paste) {
      QApplication::clipboard()->setImage(image);
      Click(Form11->Edit2);
      EXPECT_TRUE(Form11->Paste1->Enabled());
      Click(Form11->Paste1);
    } else {
      Dialogs().AnswerFile(path);
      Click(Form11->Open1);
    }
    EXPECT_FALSE(Form1->SpeedButtonRun->Down());
    EXPECT_FALSE(Form11->SpeedButtonRun->Down());
    EXPECT_FALSE(Form1->Fasttimer1->Enabled());
    EXPECT_EQ(ScopeState().ClearPending, 1);
    EXPECT_EQ(Big().Image().pixel(59, 29), qRgb(4, 5, 6));
    EXPECT_EQ(Big().Image().pixel(60, 30), qRgb(0, 0, 0));
  }
}

TEST_F(TwinPanelFiles, FileAndHelpItemsRunTheMainWindowsHandlers) {
  struct Case {
    TMenuItem* TForm11::*item;
    std::string answer;  // "" cancels the file dialog
    std::string dialog, filter;
  };
  const std::string text = "Text file (*.txt)|*.txt|All files (*.*)|*.*";
  const std::string set = "Setup file (*.set)|*.set|All files (*.*)|*.*";
  const Case cases[] = {
      {&TForm11::SaveSettings1, "twin.set", "SaveDialog3", set},
      {&TForm11::SaveDSOData1, "twin.txt", "SaveDialog2", text},
      {&TForm11::SaveDataAs1, "fft.txt", "SaveDialog2", text},
      {&TForm11::RecallSettings1, "", "OpenDialog2", set},
      {&TForm11::OpenData1, "", "OpenDialog2", "Text file (*.txt)|*.txt"},
  };
  ScopeState().TraceValid = 1;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.dialog + " " + c.answer);
    Dialogs().ClearRecords();
    c.answer.empty() ? Dialogs().CancelFile() : Dialogs().AnswerFile(Docs() + c.answer);
    Click(Form11->*c.item);
    ASSERT_EQ(Dialogs().FileDialogs().size(), 1u);
    EXPECT_EQ(Dialogs().FileDialogs()[0].DialogName, c.dialog);
    EXPECT_EQ(Dialogs().FileDialogs()[0].Filter, c.filter);
    EXPECT_TRUE(Dialogs().Messages().empty());
  }
  EXPECT_NE(ReadBytes(Docs() + "twin.set").find("[Time]"), std::string::npos);
  EXPECT_NE(ReadBytes(Docs() + "twin.txt").find('\t'), std::string::npos);
  // Outside spectrum mode the spectrum table is empty.
  EXPECT_EQ(ReadBytes(Docs() + "fft.txt"), "");

  Click(Form11->PrintSetup1);
  ASSERT_EQ(Dialogs().PrintDialogs().size(), 1u);
  EXPECT_TRUE(Dialogs().PrintDialogs()[0].Setup);
  Click(Form11->Print1);
  Click(Form11->About2);
  ASSERT_EQ(Dialogs().Forms().size(), 2u);
  EXPECT_EQ(Dialogs().Forms()[0].ClassName, "TPreviewForm");
  EXPECT_EQ(Dialogs().Forms()[1].ClassName, "TAboutBox");

  // "Save/Recall Last Settings" is the main window's option, checked on both menus.
  const bool was = Form1->SaveRecallLastSettings1->Checked();
  for (bool expected : {!was, was}) {
    Click(Form11->SaveRecallLastSettings1);
    EXPECT_EQ(Form1->SaveRecallLastSettings1->Checked(), expected);
    EXPECT_EQ(Form11->SaveRecallLastSettings1->Checked(), expected);
    EXPECT_EQ(ScopeState().RecallLastSettings, expected ? 1 : 0);
  }
}

}  // namespace
