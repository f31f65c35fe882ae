// The Big Screen's picture through the twin panel's menu: saved and opened
// back pixel for pixel, copied and pasted, Open and Paste stopping the scope;
// and the twin panel's File, Edit and Help items reaching the main window's
// handlers.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include <QApplication>
#include <QClipboard>

#include "display/big_screen.h"
#include "engine/control_panel.h"
#include "engine/main_form.h"
#include "engine/scope_state.h"
#include "io/picture_file.h"
#include "io_test_files.h"
#include "support/held_startup_test.h"

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
    engine::DocumentsFolder = harness_->Home().Path() + "/Documents/";
    fs::create_directories(engine::DocumentsFolder);
    Form1->GrSpeedButton1->Click();
    ASSERT_TRUE(Form10->Visible());
  }
  ScriptedDialogs& Dialogs() { return harness_->Dialogs(); }
  std::string Docs() const { return engine::DocumentsFolder; }
  static TBitmap& Big() { return *Form10->Image10->Picture(); }
  static TBitmap& Main() { return *Form1->Image1->Picture(); }
  static void Click(TMenuItem* item) {
    ASSERT_NE(item, nullptr);
    ASSERT_TRUE(item->OnClick);
    item->OnClick(item);
  }
};

TEST_F(TwinPanelFiles, TheBigScreenPictureSavesAndOpensBackPixelForPixel) {
  struct Case {
    std::string chosen, written, magic;
  };
  const std::vector<Case> cases = {
      {"big.png", "big.png", "\x89PNG"},
      {"noext", "noext.png", "\x89PNG"},
      {"big.bmp", "big.bmp", "BM"},
      {"big.jpg", "big.jpg", "BM"},
  };
  PaintPattern(Big());
  const QImage saved = Big().Image().copy();
  Main().Image().fill(qRgb(9, 9, 9));
  for (const Case& c : cases) {
    SCOPED_TRACE(c.chosen);
    Dialogs().AnswerFile(Docs() + c.chosen);
    Click(Form11->Save1);
    const std::string path = Docs() + c.written;
    ASSERT_TRUE(fs::exists(path));
    EXPECT_EQ(ReadBytes(path).substr(0, c.magic.size()), c.magic);

    Big().Image().fill(qRgb(0, 0, 0));
    Dialogs().AnswerFile(path);
    Click(Form11->Open1);
    EXPECT_EQ(Big().Image(), saved);
    EXPECT_EQ(Dialogs().Messages().size(), 0u);
  }
  // The main window's picture and dialogs; its picture untouched.
  const auto& shown = Dialogs().FileDialogs();
  ASSERT_EQ(shown.size(), 2 * cases.size());
  EXPECT_EQ(shown[0].DialogName, "SaveDialog1");
  EXPECT_EQ(shown[1].DialogName, "OpenPictureDialog1");
  EXPECT_EQ(shown[0].InitialDir, Docs());
  EXPECT_EQ(Main().Image().pixel(500, 200), qRgb(9, 9, 9));
  EXPECT_EQ(Big().Width(), TForm10::kImage10Width);
}

TEST_F(TwinPanelFiles, OpenAndPasteOnTheBigScreenReleaseRunThroughItsHandler) {
  QImage image(60, 30, QImage::Format_RGB32);
  image.fill(qRgb(4, 5, 6));
  const std::string path = Docs() + "small.png";
  ASSERT_EQ(io::WritePictureFile(image, path, io::PictureFormat::Png), "");
  const std::vector<std::pair<std::string, std::function<void()>>> actions = {
      {"open",
       [&] {
         Dialogs().AnswerFile(path);
         Click(Form11->Open1);
       }},
      {"paste",
       [&] {
         QApplication::clipboard()->setImage(image);
         Click(Form11->Edit2);
         EXPECT_TRUE(Form11->Paste1->Enabled());
         Click(Form11->Paste1);
       }},
  };
  for (const auto& [name, act] : actions) {
    SCOPED_TRACE(name);
    engine::DemoMode = 1;
    Form11->SpeedButtonRun->SetDown(true);
    Form11->SpeedButtonRunClick(Form11);
    ASSERT_TRUE(Form1->Fasttimer1->Enabled());
    Big().Image().fill(qRgb(0, 0, 0));
    engine::ClearPending = 0;
    act();
    EXPECT_FALSE(Form1->SpeedButtonRun->Down());
    EXPECT_FALSE(Form11->SpeedButtonRun->Down());
    EXPECT_FALSE(Form1->Fasttimer1->Enabled());
    EXPECT_EQ(engine::AcquisitionIdle, 1);
    EXPECT_EQ(engine::ClearPending, 1);
    EXPECT_EQ(Big().Image().pixel(59, 29), qRgb(4, 5, 6));
    EXPECT_EQ(Big().Image().pixel(60, 30), qRgb(0, 0, 0));
  }
}

TEST_F(TwinPanelFiles, CopyTakesTheBigScreenAndTextOnTheClipboardDisablesPaste) {
  PaintPattern(Big());
  Main().Image().fill(qRgb(9, 9, 9));
  Click(Form11->Copy1);
  EXPECT_EQ(QApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32), Big().Image());

  QApplication::clipboard()->setText("only text");
  Click(Form11->Edit2);
  EXPECT_FALSE(Form11->Paste1->Enabled());
  const QImage before = Big().Image().copy();
  Click(Form11->Paste1);
  EXPECT_EQ(Big().Image(), before);
}

TEST_F(TwinPanelFiles, FileMenuEnablesTheDataItemsByMode) {
  struct Case {
    std::uint8_t spectrum, traceValid;
    bool fft, dso;
  };
  const Case cases[] = {{0, 0, false, false}, {0, 1, false, true}, {1, 1, true, false}, {1, 0, true, false}};
  for (const Case& c : cases) {
    engine::SpectrumMode = c.spectrum;
    engine::TraceValid = c.traceValid;
    Click(Form11->File1);
    EXPECT_EQ(Form11->SaveDataAs1->Enabled(), c.fft) << int(c.spectrum) << int(c.traceValid);
    EXPECT_EQ(Form11->SaveDSOData1->Enabled(), c.dso) << int(c.spectrum) << int(c.traceValid);
  }
  engine::SpectrumMode = 0;
}

TEST_F(TwinPanelFiles, FileItemsRunTheMainWindowsDialogsAndWrite) {
  struct Case {
    const char* caption;
    TMenuItem* TForm11::*item;
    std::string answer;  // "" cancels the dialog
    std::string dialog, filter;
    bool written, empty;
  };
  const std::string text = "Text file (*.txt)|*.txt|All files (*.*)|*.*";
  const std::vector<Case> cases = {
      {"Save Oscilloscope Settings...", &TForm11::SaveSettings1, "twin.set", "SaveDialog3",
       "Setup file (*.set)|*.set|All files (*.*)|*.*", true, false},
      {"Save DSO D&ata...", &TForm11::SaveDSOData1, "twin.txt", "SaveDialog2", text, true, false},
      // Outside spectrum mode the table is empty, and so is the file.
      {"Save FFT &Data...", &TForm11::SaveDataAs1, "fft.txt", "SaveDialog2", text, true, true},
      {"Recall Oscilloscope Settings...", &TForm11::RecallSettings1, "", "OpenDialog2",
       "Setup file (*.set)|*.set|All files (*.*)|*.*", false, false},
      {"Open DSO Data...", &TForm11::OpenData1, "", "OpenDialog2", "Text file (*.txt)|*.txt", false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.caption);
    TMenuItem* item = Form11->*c.item;
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->Caption(), c.caption);
    Dialogs().ClearRecords();
    if (c.answer.empty())
      Dialogs().CancelFile();
    else
      Dialogs().AnswerFile(Docs() + c.answer);
    Click(item);
    ASSERT_EQ(Dialogs().FileDialogs().size(), 1u);
    EXPECT_EQ(Dialogs().FileDialogs()[0].DialogName, c.dialog);
    EXPECT_EQ(Dialogs().FileDialogs()[0].Filter, c.filter);
    EXPECT_TRUE(Dialogs().Messages().empty());
    if (!c.written) continue;
    ASSERT_TRUE(fs::exists(Docs() + c.answer));
    EXPECT_EQ(fs::file_size(Docs() + c.answer) == 0, c.empty);
  }
  EXPECT_NE(ReadBytes(Docs() + "twin.set").find("[Time]"), std::string::npos);
}

TEST_F(TwinPanelFiles, PrintAboutAndLastSettingsReachTheMainWindow) {
  Click(Form11->PrintSetup1);
  ASSERT_EQ(Dialogs().PrintDialogs().size(), 1u);
  EXPECT_TRUE(Dialogs().PrintDialogs()[0].Setup);

  Click(Form11->Print1);
  Click(Form11->About2);
  ASSERT_EQ(Dialogs().Forms().size(), 2u);
  EXPECT_EQ(Dialogs().Forms()[0].ClassName, "TPreviewForm");
  EXPECT_EQ(Dialogs().Forms()[1].ClassName, "TAboutBox");

  // "Save/Recall Last Settings": the main window's option, checked on both menus.
  const bool was = Form1->SaveRecallLastSettings1->Checked();
  EXPECT_EQ(Form11->SaveRecallLastSettings1->Checked(), was);
  for (bool expected : {!was, was}) {
    Click(Form11->SaveRecallLastSettings1);
    EXPECT_EQ(Form1->SaveRecallLastSettings1->Checked(), expected);
    EXPECT_EQ(Form11->SaveRecallLastSettings1->Checked(), expected);
    EXPECT_EQ(engine::RecallLastSettings, expected ? 1 : 0);
  }
  Form1->SaveRecallLastSettings1Click(Form1);
  EXPECT_EQ(Form11->SaveRecallLastSettings1->Checked(), !was);
}

TEST_F(TwinPanelFiles, HelpItemsOpenTheScopeAndDriverHelp) {
  const std::string root = harness_->Home().Path() + "/program";
  fs::create_directories(root + "/Info");
  engine::ProgramFolder = root + "/";
  // The stub viewer writes the file it was given.
  const std::string viewer = root + "/viewer.sh";
  std::ofstream(viewer) << "#!/bin/sh\necho \"$1\" > " << root << "/seen.tmp && mv " << root << "/seen.tmp " << root
                        << "/seen\n";
  fs::permissions(viewer, fs::perms::owner_all);
  Form1->ScopeIni->WriteString("Help", "Viewer", viewer + " %f");
  const std::pair<TMenuItem* TForm11::*, std::string> cases[] = {{&TForm11::Help2, "Scopa48.chm"},
                                                                  {&TForm11::InstallingNT4driver1, "loaddrv60.chm"}};
  for (const auto& [item, file] : cases) {
    SCOPED_TRACE(file);
    Click(Form11->*item);
    const std::string seen = root + "/seen";
    for (int i = 0; i < 500 && !fs::exists(seen); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(ReadBytes(seen), root + "/Info/" + file + "\n");
    fs::remove(seen);
  }
  EXPECT_EQ(Form11->Help2->Caption(), "&Contents");
}

}  // namespace
