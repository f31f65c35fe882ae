// Pictures and the clipboard on the scope and recorder windows: the format
// follows the chosen name, what is saved reads back pixel for pixel, a bad or
// huge file leaves the picture alone, and Open and Paste stop the scope.
#include <gtest/gtest.h>
#include <zlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include <QApplication>
#include <QClipboard>

#include "engine/main_form.h"
#include "engine/scope_state.h"
#include "io/picture_file.h"
#include "io/png_file.h"
#include "recorder/recorder_form.h"
#include "io_test_files.h"
#include "support/held_startup_test.h"
#include "support/program_states.h"

namespace {

using io_test::ReadBytes;

// A picture no drawing of the program makes: every pixel its own colour.
void PaintPattern(TBitmap& picture) {
  QImage& image = picture.Image();
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) image.setPixel(x, y, qRgb(x & 0xFF, y & 0xFF, (x * 7 + y * 3) & 0xFF));
}

void PaintSolid(TBitmap& picture, QRgb colour) { picture.Image().fill(colour); }

// A chunk with its length and CRC.
std::string PngChunk(const std::string& type, const std::string& data) {
  std::string chunk;
  for (int shift = 24; shift >= 0; shift -= 8) chunk += static_cast<char>((data.size() >> shift) & 0xFF);
  const std::string body = type + data;
  const uLong crc = crc32(0, reinterpret_cast<const Bytef*>(body.data()), static_cast<uInt>(body.size()));
  chunk += body;
  for (int shift = 24; shift >= 0; shift -= 8) chunk += static_cast<char>((crc >> shift) & 0xFF);
  return chunk;
}

// A PNG whose header announces the given size, followed by an empty image data chunk.
std::string PngHeaderOnly(std::uint32_t width, std::uint32_t height) {
  std::string header;
  for (std::uint32_t v : {width, height})
    for (int shift = 24; shift >= 0; shift -= 8) header += static_cast<char>((v >> shift) & 0xFF);
  header += std::string("\x08\x02\x00\x00\x00", 5);
  return std::string("\x89PNG\r\n\x1a\n", 8) + PngChunk("IHDR", header) + PngChunk("IDAT", "");
}

class ScopePictures : public HeldStartupTest {
 protected:
  void SetUp() override {
    HeldStartupTest::SetUp();
    // The start-up tick that finds the documents folder is held back.
    ScopeState().DocumentsFolder = harness_->Home().Path() + "/Documents/";
    std::filesystem::create_directories(ScopeState().DocumentsFolder);
  }
  ScriptedDialogs& Dialogs() { return harness_->Dialogs(); }
  std::string Docs() const { return ScopeState().DocumentsFolder; }
  TBitmap& Picture() { return *Form1->Image1->Picture(); }
};

TEST_F(ScopePictures, TheChosenNameDecidesTheFormatAndTheFileReadsBackPixelForPixel) {
  struct Case {
    std::string chosen, written;
    std::string magic;  // the file's first bytes
    io::PictureFormat format;
  };
  const std::vector<Case> cases = {
      {"a.png", "a.png", "\x89PNG", io::PictureFormat::Png},
      {"b", "b.png", "\x89PNG", io::PictureFormat::Png},
      {"c.PNG", "c.PNG", "\x89PNG", io::PictureFormat::Png},
      {"d.bmp", "d.bmp", "BM", io::PictureFormat::Bmp},
      {"e.jpg", "e.jpg", "BM", io::PictureFormat::Bmp},
  };
  PaintPattern(Picture());
  const QImage saved = Picture().Image().copy();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.chosen);
    Dialogs().AnswerFile(Docs() + c.chosen);
    Form1->Files().SaveClick(Form1);
    const std::string path = Docs() + c.written;
    ASSERT_TRUE(std::filesystem::exists(path));
    EXPECT_EQ(ReadBytes(path).substr(0, c.magic.size()), c.magic);

    PaintSolid(Picture(), qRgb(0, 0, 0));
    Dialogs().AnswerFile(path);
    Form1->Files().OpenClick(Form1);
    EXPECT_EQ(Picture().Image(), saved);
    EXPECT_EQ(Dialogs().Messages().size(), 0u);
  }
  const auto& shown = Dialogs().FileDialogs();
  ASSERT_FALSE(shown.empty());
  EXPECT_EQ(shown[0].Filter, "PNG (*.PNG)|*.png|Bitmap file (*.bmp)|*.bmp");
  EXPECT_EQ(shown[1].Filter, "PNG (*.PNG)|*.png|Bitmap (*.BMP)|*.bmp");
  EXPECT_EQ(shown[0].InitialDir, Docs());
}

TEST_F(ScopePictures, ALargerPictureIsClippedAtTheTopLeft) {
  QImage big(900, 400, QImage::Format_RGB32);
  big.fill(qRgb(10, 20, 30));
  big.setPixel(699, 297, qRgb(200, 100, 50));
  const std::string path = Docs() + "big.png";
  ASSERT_EQ(io::WritePictureFile(big, path, io::PictureFormat::Png), "");
  Dialogs().AnswerFile(path);
  Form1->Files().OpenClick(Form1);
  EXPECT_EQ(Picture().Width(), TForm1::kImage1Width);
  EXPECT_EQ(Picture().Height(), TForm1::kImage1Height);
  EXPECT_EQ(Picture().Image().pixel(0, 0), qRgb(10, 20, 30));
  EXPECT_EQ(Picture().Image().pixel(699, 297), qRgb(200, 100, 50));
}

TEST_F(ScopePictures, AFileThatIsNoPictureOrTooLargeIsRefusedAndThePictureStays) {
  struct Case {
    std::string name, bytes, says;
  };
  const std::string good = io::EncodePng(QImage(40, 30, QImage::Format_RGB32)).value();
  const std::vector<Case> cases = {
      {"huge.png", PngHeaderOnly(30000, 30000), "30000 x 30000 pixels, too large"},
      {"wide.png", PngHeaderOnly(10000, 5000), "10000 x 5000 pixels, too large"},
      {"cut.png", good.substr(0, good.size() / 2), "cut.png"},
      {"text.png", "not a picture", "Not a PNG file."},
      {"text.bmp", "BM not a bitmap", "not a valid bitmap file"},
      {"missing.png", "", "Cannot open file"},
  };
  PaintPattern(Picture());
  const QImage before = Picture().Image().copy();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = Docs() + c.name;
    if (!c.bytes.empty()) std::ofstream(path, std::ios::binary) << c.bytes;
    Dialogs().ClearRecords();
    Dialogs().AnswerFile(path);
    Form1->Files().OpenClick(Form1);
    ASSERT_EQ(Dialogs().Messages().size(), 1u);
    EXPECT_NE(Dialogs().Messages()[0].Text.find(c.says), std::string::npos) << Dialogs().Messages()[0].Text;
    EXPECT_EQ(Picture().Image(), before);
  }
}

TEST_F(ScopePictures, OpenAndPasteReleaseRunThroughItsHandler) {
  QImage image(50, 40, QImage::Format_RGB32);
  image.fill(qRgb(1, 2, 3));
  const std::string path = Docs() + "small.bmp";
  ASSERT_EQ(io::WritePictureFile(image, path, io::PictureFormat::Bmp), "");
  const std::vector<std::pair<std::string, std::function<void()>>> actions = {
      {"open",
       [&] {
         Dialogs().AnswerFile(path);
         Form1->Files().OpenClick(Form1);
       }},
      {"paste",
       [&] {
         QApplication::clipboard()->setImage(image);
         Form1->Files().Edit2Click(Form1);
         EXPECT_TRUE(Form1->Paste1->Enabled());
         Form1->Files().Paste1Click(Form1);
       }},
  };
  for (const auto& [name, act] : actions) {
    SCOPED_TRACE(name);
    ScopeState().DemoMode = 1;
    Form1->SpeedButtonRun->SetDown(true);
    Form1->SpeedButtonRunClick(Form1);
    ASSERT_TRUE(Form1->Fasttimer1->Enabled());
    PaintSolid(Picture(), qRgb(0, 0, 0));
    act();
    EXPECT_FALSE(Form1->SpeedButtonRun->Down());
    EXPECT_FALSE(Form1->Fasttimer1->Enabled());
    EXPECT_TRUE(Form1->SpeedButtonSingle->Enabled());
    EXPECT_EQ(ScopeState().AcquisitionIdle, 1);
    EXPECT_EQ(ScopeState().ClearPending, 1);
    EXPECT_EQ(Picture().Image().pixel(49, 39), qRgb(1, 2, 3));
    EXPECT_EQ(Picture().Image().pixel(50, 40), qRgb(0, 0, 0));
  }
}

TEST_F(ScopePictures, CopyPutsThePictureOnTheClipboardAndTextLeavesPasteDisabled) {
  PaintPattern(Picture());
  Form1->Files().Copy1Click(Form1);
  EXPECT_EQ(QApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32), Picture().Image());

  QApplication::clipboard()->setText("only text");
  Form1->Files().Edit2Click(Form1);
  EXPECT_FALSE(Form1->Paste1->Enabled());
  const QImage before = Picture().Image().copy();
  ScopeState().ClearPending = 0;
  Form1->Files().Paste1Click(Form1);
  EXPECT_EQ(Picture().Image(), before);
  EXPECT_EQ(ScopeState().ClearPending, 1);

  QImage huge(20000, 10, QImage::Format_RGB32);
  huge.fill(Qt::red);
  QApplication::clipboard()->setImage(huge);
  Form1->Files().Paste1Click(Form1);
  EXPECT_EQ(Picture().Image(), before);
  ASSERT_EQ(harness_->Dialogs().Messages().size(), 1u);
  EXPECT_EQ(harness_->Dialogs().Messages()[0].Text,
            "The picture on the clipboard is 20000 x 10 pixels, too large for the screen picture.");
}

TEST_F(ScopePictures, TheRecorderSavesOpensAndPastesItsOwnPicture) {
  TBitmap& rec = *Form1_rec->Image1->Picture();
  PaintPattern(rec);
  const QImage saved = rec.Image().copy();
  Dialogs().AnswerFile(Docs() + "rec");
  Form1_rec->SaveClick(Form1_rec);
  PaintSolid(rec, qRgb(0, 0, 0));
  Form1_rec->RecClearPending = 0;
  Dialogs().AnswerFile(Docs() + "rec.png");
  Form1_rec->OpenClick(Form1_rec);
  EXPECT_EQ(rec.Image(), saved);
  EXPECT_EQ(Form1_rec->RecClearPending, 1);

  Form1_rec->Copy1Click(Form1_rec);
  PaintSolid(rec, qRgb(0, 0, 0));
  Form1_rec->Paste1Click(Form1_rec);
  EXPECT_EQ(rec.Image(), saved);
}

}  // namespace
