#include "platform/ui/printer.h"

#include <algorithm>

#include <QPageLayout>
#include <QPainter>
#include <QPrinter>

TPrinter::TPrinter() : idle_(1, 1, QImage::Format_RGB32), canvas_(&idle_) { idle_.fill(Qt::white); }

PrinterPage TPrinter::Sheet() const {
  if (printing_) return job_sheet_;
  const PrinterPage page = CurrentDialogAnswerer().PageOfPrinter(orientation_);
  // A printer that reports no sheet still gets one to draw on.
  if (page.Width <= 0 || page.Height <= 0 || page.DotsPerInch <= 0) return A4Page(orientation_, 96);
  return page;
}

void TPrinter::SetOrientation(TPrinterOrientation o) {
  if (!printing_) orientation_ = o;
}

QImage& TPrinter::NewSheet() {
  pages_.push_back(std::make_unique<QImage>(job_sheet_.Width, job_sheet_.Height, QImage::Format_RGB32));
  QImage& page = *pages_.back();
  const int dotsPerMeter = static_cast<int>(job_sheet_.DotsPerInch / 0.0254 + 0.5);
  page.setDotsPerMeterX(dotsPerMeter);
  page.setDotsPerMeterY(dotsPerMeter);
  page.fill(Qt::white);
  canvas_.SetTarget(&page);
  canvas_.PixelsPerInch = job_sheet_.DotsPerInch;
  return page;
}

void TPrinter::BeginDoc() {
  pages_.clear();
  printing_ = false;
  job_sheet_ = Sheet();
  printing_ = true;
  NewSheet();
}

void TPrinter::NewPage() {
  if (printing_) NewSheet();
}

void TPrinter::Abort() {
  canvas_.SetTarget(&idle_);
  canvas_.PixelsPerInch = 96;
  pages_.clear();
  printing_ = false;
}

bool TPrinter::EndDoc() {
  if (!printing_) return false;
  PrintedDocument doc;
  doc.Title = title_;
  doc.Orientation = orientation_;
  doc.DotsPerInch = job_sheet_.DotsPerInch;
  doc.Pages.reserve(pages_.size());
  for (const auto& p : pages_) doc.Pages.push_back(*p);
  Abort();
  return CurrentDialogAnswerer().Print(doc);
}

TPrinter* Printer() {
  static TPrinter* printer = new TPrinter();  // lives to the end of the process
  return printer;
}

namespace {

// How many device pixels a page pixel spans on a printer of that resolution.
int DevicePixelsPerPagePixel(int deviceDpi) {
  return std::max(1, (deviceDpi + TPrinter::kMostDotsPerInch - 1) / TPrinter::kMostDotsPerInch);
}

}  // namespace

PrinterPage PageOfPrinter(QPrinter& printer, TPrinterOrientation orientation) {
  printer.setPageOrientation(orientation == poLandscape ? QPageLayout::Landscape : QPageLayout::Portrait);
  const int device = printer.resolution();
  if (device <= 0) return {};
  const int span = DevicePixelsPerPagePixel(device);
  const QRect area = printer.pageLayout().paintRectPixels(device);
  return {area.width() / span, area.height() / span, device / span};
}

bool PaintPages(QPrinter& printer, const PrintedDocument& document) {
  QPainter painter;
  if (!painter.begin(&printer)) return false;
  // Without this the picture would reach a PDF file as a JPEG, blurring
  // one-pixel lines and letters.
  painter.setRenderHint(QPainter::LosslessImageRendering, true);
  painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
  const int device = printer.resolution();
  for (size_t i = 0; i < document.Pages.size(); ++i) {
    if (i > 0) printer.newPage();
    const QImage& page = document.Pages[i];
    const QRect area = painter.viewport();
    // Each page pixel as a square of whole device pixels when the page was
    // drawn for this printer; a page drawn for another one is fitted whole.
    QSize size = page.size();
    if (document.DotsPerInch > 0 && device % document.DotsPerInch == 0) size *= device / document.DotsPerInch;
    if (size.width() > area.width() || size.height() > area.height())
      size = page.size().scaled(area.size(), Qt::KeepAspectRatio);
    painter.drawImage(QRect(QPoint(0, 0), size), page);
  }
  painter.end();
  return true;
}
