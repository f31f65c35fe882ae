// The print previews on an A4 printer (at 96 dots per inch, 794 x 1123
// pixels, unless a test chooses another resolution): where the picture, the caption and the measurement
// table land on the preview and on the printed page of each instrument.
#include <gtest/gtest.h>

#include <optional>

#include "engine/measurement_window.h"
#include "engine/main_form.h"
#include "io/print_layout.h"
#include "engine/print_preview.h"
#include "engine/print_preview_1.h"
#include "recorder/print_preview_rec.h"
#include "recorder/recorder_form.h"
#include "support/held_startup_test.h"

namespace {

constexpr QRgb kMarked = qRgb(255, 0, 0);

// The smallest rectangle holding every pixel of the colour, or none.
std::optional<io::PagePlace> Bounds(const QImage& image, QRgb colour) {
  int left = image.width(), top = image.height(), right = -1, bottom = -1;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if ((image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF)) {
        left = std::min(left, x);
        right = std::max(right, x);
        top = std::min(top, y);
        bottom = std::max(bottom, y);
      }
  if (right < 0) return std::nullopt;
  return io::PagePlace{left, top, right - left + 1, bottom - top + 1};
}

// Is anything but white in the rows from y to y + h, right of x?
bool InkInRows(const QImage& page, int x, int y, int h) {
  for (int row = y; row < y + h && row < page.height(); ++row)
    for (int col = x; col < page.width(); ++col)
      if ((page.pixel(col, row) & 0xFFFFFF) != 0xFFFFFF) return true;
  return false;
}

TEST(PrintLayout, PlacesThePictureByOrientationAndMargin) {
  struct Case {
    int pageW, pageH, srcW, srcH;
    bool landscape;
    int divisor;
    io::PagePlace expected;
  };
  const std::vector<Case> cases = {
      // Scope printout on A4 landscape: a fifth of the height above and below.
      {1123, 794, 700, 298, true, 5, {3, 159, 1118, 476}},
      // The scope's landscape preview page (570 wide): a quarter above and below.
      {570, 403, 700, 298, true, 4, {49, 101, 472, 201}},
      // Portrait: a tenth at the sides and on top, the height keeps the proportions.
      {794, 1123, 700, 298, false, 5, {79, 112, 636, 271}},
      {354, 501, 672, 299, false, 5, {35, 50, 284, 126}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(io::PicturePlace(c.pageW, c.pageH, c.srcW, c.srcH, c.landscape, c.divisor), c.expected)
        << c.pageW << "x" << c.pageH;
  EXPECT_EQ(io::PreviewPageHeight(570, 1123, 794), 403);
  EXPECT_EQ(io::PreviewPageHeight(428, 794, 1123), 605);
}

TEST(PrintLayout, TheThirdFieldTakesTheSecondColumnWhenTheSecondIsEmpty) {
  const std::vector<io::TableText> texts =
      io::MeasurementTableTexts({" \tCH1\tCH2", "RMS\t1.00V\t2.00V", "Phase\t\t45.0"}, 100, 500, 794, 22);
  const std::vector<io::TableText> expected = {
      {100, 522, " "},     {259, 522, "CH1"}, {418, 522, "CH2"},   {100, 544, "RMS"},
      {259, 544, "1.00V"}, {418, 544, "2.00V"}, {100, 566, "Phase"}, {259, 566, "45.0"},
  };
  EXPECT_EQ(texts, expected);
}

class PrintPreviews : public HeldStartupTest {
 protected:
  void SetUp() override {
    HeldStartupTest::SetUp();
    Printer()->SetOrientation(poPortrait);
  }
  void TearDown() override {
    Printer()->SetOrientation(poPortrait);
    HeldStartupTest::TearDown();
  }
  ScriptedDialogs& Dialogs() { return harness_->Dialogs(); }
  // Opens the preview through the handler; the script presses "Print".
  void PrintThrough(const std::function<void()>& print1Click, PrintPreviewWindow& preview) {
    Dialogs().AnswerModal([&preview](TForm&) {
      preview.Edit1->SetText("Bench 4");
      preview.Button1->Click();
      return mrNone;
    });
    print1Click();
  }
};

TEST_F(PrintPreviews, EachInstrumentPrintsItsPictureWhereTheLayoutSays) {
  struct Case {
    const char* name;
    TPrinterOrientation orientation;
    io::PagePlace preview, printed;
  };
  const std::vector<Case> cases = {
      // Scope: the landscape preview page (570 x 403) at (10, 10) with a
      // quarter of its height above the picture, the printout a fifth.
      {"scope", poLandscape, {59, 111, 472, 201}, {3, 159, 1118, 476}},
      // Portrait preview page 428 x 605 at (81, 10).
      {"scope", poPortrait, {124, 70, 342, 146}, {79, 112, 636, 271}},
      // Recorder: pages 472 x 334 and 354 x 501, a fifth above on both.
      {"recorder", poLandscape, {21, 77, 449, 200}, {27, 159, 1070, 476}},
      {"recorder", poPortrait, {99, 60, 284, 126}, {79, 112, 636, 283}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.name) + (c.orientation == poLandscape ? " landscape" : " portrait"));
    const bool scope = std::string(c.name) == "scope";
    PrintPreviewWindow& preview = scope ? static_cast<PrintPreviewWindow&>(*PreviewForm) : *PreviewForm_rec;
    TImage* source = scope ? Form1->Image1 : Form1_rec->Image1;
    source->Picture()->Image().fill(kMarked);
    Printer()->SetOrientation(c.orientation);
    Dialogs().ClearRecords();
    PrintThrough([&] { scope ? Form1->Files().Print1Click(Form1) : Form1_rec->Print1Click(Form1_rec); }, preview);

    ASSERT_EQ(Dialogs().Forms().size(), 1u);
    EXPECT_EQ(Dialogs().Forms()[0].Caption, "Print Preview");
    EXPECT_EQ(Bounds(preview.Image1->Picture()->Image(), kMarked), c.preview);
    EXPECT_EQ(preview.CaptionLabel->Caption(), "Bench 4");

    ASSERT_EQ(Dialogs().Printed().size(), 1u);
    const PrintedDocument& doc = Dialogs().Printed()[0];
    ASSERT_EQ(doc.Pages.size(), 1u);
    const QImage& page = doc.Pages[0];
    EXPECT_EQ(page.width(), c.orientation == poLandscape ? 1123 : 794);
    std::optional<io::PagePlace> printed = Bounds(page, kMarked);
    ASSERT_TRUE(printed);
    EXPECT_EQ(*printed, c.printed);
    // The caption a thirtieth of the page height under the picture.
    EXPECT_TRUE(InkInRows(page, printed->Left, printed->Bottom() + page.height() / 30, 12));
  }
}

TEST_F(PrintPreviews, APortraitScopePageListsTheMeasurementsALandscapeOneDoesNot) {
  Form_99->Show();
  Form_99->CH1M->SetChecked(true);
  Form1->Image1->Picture()->Image().fill(kMarked);
  const auto tableInk = [&](TPrinterOrientation o) {
    Printer()->SetOrientation(o);
    Dialogs().ClearRecords();
    PrintThrough([&] { Form1->Files().Print1Click(Form1); }, *PreviewForm);
    const QImage& page = Dialogs().Printed().at(0).Pages.at(0);
    const io::PagePlace pic = *Bounds(page, kMarked);
    const int captionY = pic.Bottom() + page.height() / 30;
    return InkInRows(page, 0, captionY + 30, page.height() - captionY - 30);
  };
  EXPECT_TRUE(tableInk(poPortrait));
  EXPECT_FALSE(tableInk(poLandscape));
}

TEST_F(PrintPreviews, AnEmptyPictureKeepsThePreviewClosed) {
  Form1->Image1->Picture()->SetSize(0, 0);
  Form1->Files().Print1Click(Form1);
  Form1_rec->Image1->Picture()->SetSize(0, 0);
  Form1_rec->Print1Click(Form1_rec);
  EXPECT_TRUE(Dialogs().Forms().empty());
  EXPECT_TRUE(Dialogs().Printed().empty());
}

TEST_F(PrintPreviews, CloseLeavesWithoutPrintingAndTheSecondPreviewPrintsTheScope) {
  Form1->Image1->Picture()->Image().fill(kMarked);
  Dialogs().AnswerModal([](TForm&) {
    PreviewForm->Button2->Click();
    return mrNone;
  });
  Form1->Files().Print1Click(Form1);
  EXPECT_TRUE(Dialogs().Printed().empty());

  Preview_1Form->SetupPage();
  Preview_1Form->Button1Click(Preview_1Form);
  ASSERT_EQ(Dialogs().Printed().size(), 1u);
  EXPECT_EQ(Bounds(Dialogs().Printed()[0].Pages[0], kMarked), (io::PagePlace{79, 112, 636, 271}));
}

}  // namespace

namespace {

// Shrunk onto the preview page, a one-pixel line of the picture at any row or
// column still shows in the preview, on each instrument and orientation.
TEST_F(PrintPreviews, EveryOnePixelLineOfThePictureShowsInThePreview) {
  struct Case {
    const char* name;
    TPrinterOrientation orientation;
  };
  const std::vector<Case> cases = {
      {"scope", poLandscape}, {"scope", poPortrait}, {"recorder", poLandscape}, {"recorder", poPortrait}};
  constexpr QRgb kLine = qRgb(255, 255, 255);
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.name) + (c.orientation == poLandscape ? " landscape" : " portrait"));
    const bool scope = std::string(c.name) == "scope";
    PrintPreviewWindow& preview = scope ? static_cast<PrintPreviewWindow&>(*PreviewForm) : *PreviewForm_rec;
    QImage& source = (scope ? Form1->Image1 : Form1_rec->Image1)->Picture()->Image();
    const QImage& shown = preview.Image1->Picture()->Image();
    Printer()->SetOrientation(c.orientation);
    preview.SetupPage();
    source.fill(kMarked);
    preview.DrawPreview();
    const std::optional<io::PagePlace> place = Bounds(shown, kMarked);
    ASSERT_TRUE(place);
    // Is the line's colour mixed into the preview near the place it maps to?
    const auto lineNear = [&](bool row, int at) {
      const int extent = row ? source.height() : source.width();
      const int size = row ? place->Height : place->Width;
      const int mapped = (row ? place->Top : place->Left) + (2 * at + 1) * size / (2 * extent);
      for (int d = mapped - 1; d <= mapped + 1; ++d)
        for (int k = 0; k < (row ? place->Width : place->Height); ++k) {
          const QRgb p = row ? shown.pixel(place->Left + k, d) : shown.pixel(d, place->Top + k);
          if (qGreen(p) >= 48) return true;
        }
      return false;
    };
    std::vector<int> lostRows, lostColumns;
    for (bool row : {true, false})
      for (int at = 0; at < (row ? source.height() : source.width()); ++at) {
        source.fill(kMarked);
        for (int k = 0; k < (row ? source.width() : source.height()); ++k)
          row ? source.setPixel(k, at, kLine) : source.setPixel(at, k, kLine);
        preview.DrawPreview();
        if (!lineNear(row, at)) (row ? lostRows : lostColumns).push_back(at);
      }
    EXPECT_EQ(lostRows, std::vector<int>{});
    EXPECT_EQ(lostColumns, std::vector<int>{});
  }
}

}  // namespace

namespace {

// Printed at the printer's resolution, every row and column of the picture
// reaches the page, and the caption has its point size there: the picture is
// a checkerboard of one-pixel squares, so a row or column left out would join
// two squares of one colour on the page.
TEST_F(PrintPreviews, EveryRowAndColumnOfThePictureIsOnThePageAtThePrintersResolution) {
  struct Case {
    const char* name;
    TPrinterOrientation orientation;
    int dpi;
  };
  const std::vector<Case> cases = {
      {"scope", poPortrait, 300}, {"scope", poLandscape, 600}, {"recorder", poPortrait, 600}, {"recorder", poLandscape, 300}};
  constexpr QRgb kEven = qRgb(255, 0, 0), kOdd = qRgb(0, 0, 255);
  const auto square = [](QRgb p) { return (p & 0xFFFFFF) == (kEven & 0xFFFFFF) || (p & 0xFFFFFF) == (kOdd & 0xFFFFFF); };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.name) + (c.orientation == poLandscape ? " landscape " : " portrait ") +
                 std::to_string(c.dpi) + " dpi");
    const bool scope = std::string(c.name) == "scope";
    PrintPreviewWindow& preview = scope ? static_cast<PrintPreviewWindow&>(*PreviewForm) : *PreviewForm_rec;
    QImage& source = (scope ? Form1->Image1 : Form1_rec->Image1)->Picture()->Image();
    for (int y = 0; y < source.height(); ++y)
      for (int x = 0; x < source.width(); ++x) source.setPixel(x, y, (x + y) % 2 ? kOdd : kEven);
    Dialogs().SetPrinterResolution(c.dpi);
    Printer()->SetOrientation(c.orientation);
    Dialogs().ClearRecords();
    PrintThrough([&] { scope ? Form1->Files().Print1Click(Form1) : Form1_rec->Print1Click(Form1_rec); }, preview);
    ASSERT_EQ(Dialogs().Printed().size(), 1u);
    const QImage page = Dialogs().Printed()[0].Pages.at(0).convertToFormat(QImage::Format_RGB32);
    const PrinterPage sheet = A4Page(c.orientation, c.dpi);
    EXPECT_EQ(page.size(), QSize(sheet.Width, sheet.Height));

    int left = page.width(), top = page.height(), right = -1, bottom = -1;
    for (int y = 0; y < page.height(); ++y) {
      const auto* line = reinterpret_cast<const QRgb*>(page.constScanLine(y));
      for (int x = 0; x < page.width(); ++x)
        if (square(line[x])) left = std::min(left, x), right = std::max(right, x), top = std::min(top, y), bottom = y;
    }
    ASSERT_GE(right, left);
    // Colour changes along a line of the printed picture, plus one.
    const auto squares = [&](int x, int y, int dx, int dy, int count) {
      int n = 1;
      for (int i = 1; i < count; ++i)
        if (page.pixel(x + i * dx, y + i * dy) != page.pixel(x + (i - 1) * dx, y + (i - 1) * dy)) ++n;
      return n;
    };
    int shortRows = 0, shortColumns = 0;
    for (int y = top; y <= bottom; ++y) shortRows += squares(left, y, 1, 0, right - left + 1) != source.width();
    for (int x = left; x <= right; ++x) shortColumns += squares(x, top, 0, 1, bottom - top + 1) != source.height();
    EXPECT_EQ(shortRows, 0);
    EXPECT_EQ(shortColumns, 0);

    // The caption: the first band of ink under the picture, as high as the
    // letters of an 11-point font at this resolution.
    int y = bottom + 1;
    while (y < page.height() && !InkInRows(page, 0, y, 1)) ++y;
    ASSERT_LT(y, page.height());
    const int inkTop = y;
    while (y < page.height() && InkInRows(page, 0, y, 1)) ++y;
    const double fontPixels = 11.0 * c.dpi / 72;
    EXPECT_GE(y - inkTop, 0.5 * fontPixels);
    EXPECT_LE(y - inkTop, 1.0 * fontPixels);
  }
}

}  // namespace
