#include "platform/ui/printer.h"

namespace {
// A4 at 96 dots per inch.
constexpr int kShortSide = 794;
constexpr int kLongSide = 1123;
}  // namespace

TPrinter::TPrinter() : idle_(1, 1, QImage::Format_RGB32), canvas_(&idle_) { idle_.fill(Qt::white); }

int TPrinter::PageWidth() const { return orientation_ == poPortrait ? kShortSide : kLongSide; }

int TPrinter::PageHeight() const { return orientation_ == poPortrait ? kLongSide : kShortSide; }

void TPrinter::SetOrientation(TPrinterOrientation o) {
  if (!printing_) orientation_ = o;
}

QImage& TPrinter::NewSheet() {
  pages_.push_back(std::make_unique<QImage>(PageWidth(), PageHeight(), QImage::Format_RGB32));
  QImage& page = *pages_.back();
  page.fill(Qt::white);
  canvas_.SetTarget(&page);
  return page;
}

void TPrinter::BeginDoc() {
  pages_.clear();
  printing_ = true;
  NewSheet();
}

void TPrinter::NewPage() {
  if (printing_) NewSheet();
}

void TPrinter::Abort() {
  canvas_.SetTarget(&idle_);
  pages_.clear();
  printing_ = false;
}

bool TPrinter::EndDoc() {
  if (!printing_) return false;
  PrintedDocument doc;
  doc.Title = title_;
  doc.Orientation = orientation_;
  doc.Pages.reserve(pages_.size());
  for (const auto& p : pages_) doc.Pages.push_back(*p);
  canvas_.SetTarget(&idle_);
  pages_.clear();
  printing_ = false;
  return CurrentDialogAnswerer().Print(doc);
}

TPrinter* Printer() {
  static TPrinter* printer = new TPrinter();  // lives to the end of the process
  return printer;
}
