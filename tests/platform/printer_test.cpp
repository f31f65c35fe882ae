// Printed pages reach the system printer whole: drawn at its resolution (or a
// whole fraction of it) and stored in a PDF file pixel for pixel, never as a
// lossy picture.
#include <QFile>
#include <QPageLayout>
#include <QPrinter>
#include <QTemporaryDir>

#include <cctype>
#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <zlib.h>

#include "platform/ui/printer.h"

namespace {

struct PdfImage {
  int Width = 0, Height = 0;
  std::string Filter;
  QByteArray Pixels;  // inflated when the filter is FlateDecode
};

// The image objects of a PDF file as Qt writes them.
std::vector<PdfImage> ImagesOf(const QByteArray& pdf) {
  std::vector<PdfImage> images;
  for (qsizetype at = pdf.indexOf("/Subtype /Image"); at >= 0; at = pdf.indexOf("/Subtype /Image", at + 1)) {
    const qsizetype end = pdf.indexOf(">>", at);
    const QByteArray dict = pdf.mid(at, end - at);
    const auto number = [&](const QByteArray& key) {
      const qsizetype k = dict.indexOf(key);
      return k < 0 ? 0 : std::atoi(dict.constData() + k + key.size());
    };
    PdfImage image;
    image.Width = number("/Width ");
    image.Height = number("/Height ");
    if (const qsizetype f = dict.indexOf("/Filter /"); f >= 0)
      for (qsizetype i = f + 9; i < dict.size() && std::isalnum(static_cast<unsigned char>(dict[i])); ++i)
        image.Filter += dict[i];
    const qsizetype data = pdf.indexOf("stream\n", end) + 7;
    if (image.Filter == "FlateDecode" && data >= 7) {
      image.Pixels.resize(qsizetype{image.Width} * image.Height * 3);
      z_stream z{};
      inflateInit(&z);
      z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(pdf.constData() + data));
      z.avail_in = static_cast<uInt>(pdf.size() - data);
      z.next_out = reinterpret_cast<Bytef*>(image.Pixels.data());
      z.avail_out = static_cast<uInt>(image.Pixels.size());
      const int rc = inflate(&z, Z_FINISH);
      inflateEnd(&z);
      if (rc != Z_STREAM_END) image.Pixels.clear();
    }
    images.push_back(image);
  }
  return images;
}

// The page's pixels as the rows of red, green and blue bytes of a PDF image.
QByteArray RgbRows(const QImage& page) {
  const QImage rgb = page.convertToFormat(QImage::Format_RGB888);
  QByteArray rows;
  for (int y = 0; y < rgb.height(); ++y)
    rows.append(reinterpret_cast<const char*>(rgb.constScanLine(y)), qsizetype{rgb.width()} * 3);
  return rows;
}

TEST(Printing, APdfHoldsEveryPixelOfThePageAtThePrintersResolution) {
  struct Case {
    int printerDpi;
    TPrinterOrientation orientation;
    int pageDpi;  // the printer's, or a whole fraction of it
  };
  const Case cases[] = {{300, poPortrait, 300}, {720, poLandscape, 360}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.printerDpi);
    QTemporaryDir dir;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath("page.pdf"));
    printer.setResolution(c.printerDpi);

    const PrinterPage sheet = PageOfPrinter(printer, c.orientation);
    EXPECT_EQ(sheet.DotsPerInch, c.pageDpi);
    // The printable area of the A4 sheet, in page pixels.
    const QRect area = printer.pageLayout().paintRectPixels(c.printerDpi);
    const int span = c.printerDpi / c.pageDpi;
    EXPECT_EQ(sheet.Width, area.width() / span);
    EXPECT_EQ(sheet.Height, area.height() / span);
    EXPECT_EQ(sheet.Width > sheet.Height, c.orientation == poLandscape);

    // One-pixel squares and a one-pixel line, as a picture copied onto the page has them.
    QImage page(sheet.Width, sheet.Height, QImage::Format_RGB32);
    page.fill(Qt::white);
    for (int y = 0; y < 298; ++y)
      for (int x = 0; x < 700; ++x) page.setPixel(100 + x, 100 + y, (x + y) % 2 ? qRgb(0, 0, 220) : qRgb(220, 0, 0));
    for (int x = 0; x < sheet.Width; ++x) page.setPixel(x, 500, qRgb(0, 0, 0));
    PrintedDocument doc;
    doc.DotsPerInch = sheet.DotsPerInch;
    doc.Pages = {page};
    ASSERT_TRUE(PaintPages(printer, doc));

    QFile file(dir.filePath("page.pdf"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const std::vector<PdfImage> images = ImagesOf(file.readAll());
    ASSERT_EQ(images.size(), 1u);
    EXPECT_EQ(images[0].Width, sheet.Width);
    EXPECT_EQ(images[0].Height, sheet.Height);
    EXPECT_EQ(images[0].Filter, "FlateDecode");
    EXPECT_TRUE(images[0].Pixels == RgbRows(page)) << "the image in the file differs from the page";
  }
}

}  // namespace
