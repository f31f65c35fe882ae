// The design the three print previews share: a drawing of the page with the
// instrument's picture placed on it, an editable caption line with the date
// and time, and "Print" and "Close". A preview differs from the others only
// in its page sizes, its source picture and whether it lists the
// measurement table on a portrait page.
#pragma once

#include <string>
#include <vector>

#include "io/print_layout.h"
#include "platform/ui/vcl.h"
#include "widgets/gr_speed_button.h"

class PrintPreviewWindow : public TForm {
 public:
  struct Design {
    int Width = 620, Height = 552;    // the window's design size
    int LandscapePage = 570, LandscapeMargin = 10;
    int PortraitPage = 428, PortraitMargin = 81;
    int PreviewTopDivisor = 5;        // landscape margin above the picture on the preview: page height / this
    bool MeasurementTable = false;    // the measurement report under the caption on a portrait page
    std::string JobTitle;
  };

  PrintPreviewWindow(TComponent* owner, const Design& design);

  TImage* Image1 = nullptr;        // the page drawing
  TLabel* CaptionLabel = nullptr;  // the caption as it shows on the page
  TLabel* Label1 = nullptr;        // "Caption:"
  TEdit* Edit1 = nullptr;
  TGrSpeedButton* Button1 = nullptr;  // "Print"
  TGrSpeedButton* Button2 = nullptr;  // "Close"

  // The picture the preview and the printout show (nullptr: none).
  virtual const TBitmap* SourcePicture() const = 0;
  // The lines of the measurement table a preview with one lists.
  virtual std::vector<std::string> MeasurementTableLines() const { return {}; }
  // True when there is a picture to print.
  bool HasPicture() const;

  // Takes the source size and the printer's orientation and sizes the page.
  void SetupPage();
  void DrawPreview();
  void Button1Click(TObject* Sender);
  void Button2Click(TObject* Sender);
  void Edit1KeyUp(TObject* Sender);
  // Stretches the bitmap onto the printer's page at (x, y), width x height,
  // keeping every line of it.
  void PrintBitmap(const TBitmap& bitmap, int x, int height, int width, int y);

  // The page as set up last (preview pixels) and the source size.
  int PageWidth() const { return page_width_; }
  int PageHeight() const { return page_height_; }
  int PageMargin() const { return page_margin_; }
  bool Landscape() const { return landscape_; }
  // The picture's place on the preview page, shifted onto Image1.
  io::PagePlace PreviewPicture() const { return preview_picture_; }

 private:
  bool ListsTable() const { return design_.MeasurementTable && !landscape_; }
  std::vector<std::string> TableLines() const;

  Design design_;
  int page_width_ = 0, page_height_ = 0, page_margin_ = 10;
  int source_width_ = 0, source_height_ = 0;
  bool landscape_ = false;
  io::PagePlace preview_picture_;
};
