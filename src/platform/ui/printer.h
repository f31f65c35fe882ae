// The printer object: a print job draws its pages on Canvas() and EndDoc
// hands the finished pages to the answering point, which prints them (the Qt
// one through the system's printing, a test's one records them).
//
// Pages are drawn at 96 dots per inch on an A4 sheet, so that texts and
// pictures have their screen sizes; PageWidth/PageHeight follow Orientation.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <QImage>

#include "platform/ui/canvas.h"
#include "platform/ui/dialogs.h"

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
  int PageWidth() const;
  int PageHeight() const;
  static constexpr int kDotsPerInch = 96;

  // Changes between jobs only.
  TPrinterOrientation Orientation() const { return orientation_; }
  void SetOrientation(TPrinterOrientation o);
  const std::string& Title() const { return title_; }
  void SetTitle(const std::string& s) { title_ = s; }

 private:
  QImage& NewSheet();

  TPrinterOrientation orientation_ = poPortrait;
  std::string title_;
  bool printing_ = false;
  std::vector<std::unique_ptr<QImage>> pages_;
  QImage idle_;  // the canvas target outside a job
  TCanvas canvas_;
};

// The one printer of the program.
TPrinter* Printer();
