// The printer object: a print job draws its pages on Canvas() and EndDoc
// hands the finished pages to the answering point, which prints them (the Qt
// one through the system's printing, a test's one records them).
//
// Pages are drawn at the printer's own resolution (at most kMostDotsPerInch;
// a finer printer gets each page pixel as a square of whole device pixels),
// on the printer's printable area: PageWidth/PageHeight are its pixels, in
// the orientation chosen, and the canvas sizes its fonts for that
// resolution, so a line one pixel wide or a letter of a picture copied onto
// the page keeps all of its pixels.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <QImage>

#include "platform/ui/canvas.h"
#include "platform/ui/dialogs.h"

class QPrinter;

class TPrinter {
 public:
  TPrinter();
  TPrinter(const TPrinter&) = delete;
  TPrinter& operator=(const TPrinter&) = delete;

  // Starts a job with one blank page; a job already running is discarded.
  void BeginDoc();
  // Ends the job and prints it; false when there was no job or printing failed.
  bool EndDoc();
  // Starts the next page of the job.
  void NewPage();
  // Drops the job without printing.
  void Abort();
  bool Printing() const { return printing_; }
  // 1-based number of the page being drawn (0 outside a job).
  int PageNumber() const { return printing_ ? static_cast<int>(pages_.size()) : 0; }

  TCanvas* Canvas() { return &canvas_; }
  // The sheet of the job, or outside a job the printer's as it is now.
  int PageWidth() const { return Sheet().Width; }
  int PageHeight() const { return Sheet().Height; }
  int DotsPerInch() const { return Sheet().DotsPerInch; }
  static constexpr int kMostDotsPerInch = 600;

  // Changes between jobs only.
  TPrinterOrientation Orientation() const { return orientation_; }
  void SetOrientation(TPrinterOrientation o);
  const std::string& Title() const { return title_; }
  void SetTitle(const std::string& s) { title_ = s; }

 private:
  PrinterPage Sheet() const;
  QImage& NewSheet();

  TPrinterOrientation orientation_ = poPortrait;
  std::string title_;
  bool printing_ = false;
  PrinterPage job_sheet_;
  std::vector<std::unique_ptr<QImage>> pages_;
  QImage idle_;  // the canvas target outside a job
  TCanvas canvas_;
};

// The one printer of the program.
TPrinter* Printer();

// The sheet pages for this system printer are drawn on: its printable area
// at its resolution, or at a whole fraction of it not above
// TPrinter::kMostDotsPerInch.
PrinterPage PageOfPrinter(QPrinter& printer, TPrinterOrientation orientation);
// Prints the pages on the system printer, each page pixel as whole device
// pixels and without lossy compression; false when the printer could not be
// started.
bool PaintPages(QPrinter& printer, const PrintedDocument& document);
