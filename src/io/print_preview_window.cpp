#include "io/print_preview_window.h"

#include <QDate>
#include <QLocale>
#include <QTime>

#include "platform/os/numeric.h"
#include "widgets/control_maker.h"

namespace {

constexpr int kPageTop = 10;  // the page is drawn this far below the preview's top
constexpr int kControlsHeight = 40;

// The date in the short format, five blanks, the time with seconds.
std::string DateAndTime() {
  const QLocale locale = QLocale::system();
  return locale.toString(QDate::currentDate(), QLocale::ShortFormat).toStdString() + "     " +
         QTime::currentTime().toString(QStringLiteral("HH:mm:ss")).toStdString();
}

int Divide(double a, double b) { return numeric::Round32(a / b); }

io::PagePlace Shifted(io::PagePlace place, int dx, int dy) {
  place.Left += dx;
  place.Top += dy;
  return place;
}

// Copies the whole picture into the place so that every one-pixel line and
// text stroke of it stays: onto a larger place by whole pixels (each picture
// pixel becomes a block of page pixels, none is left out); onto a smaller
// one, as on the preview page, by averaging each page pixel over the picture
// pixels it covers, where a plain stretched copy would drop whole rows and
// columns.
void DrawKeepingEveryLine(TCanvas& canvas, const io::PagePlace& place, const TBitmap& source) {
  if (place.Width <= 0 || place.Height <= 0) return;
  if (place.Width >= source.Width() && place.Height >= source.Height()) {
    canvas.StretchDraw(Rect(place.Left, place.Top, place.Left + place.Width, place.Top + place.Height), source);
    return;
  }
  TBitmap shrunk;
  shrunk.Image() = source.Image()
                       .scaled(place.Width, place.Height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                       .convertToFormat(QImage::Format_RGB32);
  canvas.Draw(place.Left, place.Top, shrunk);
}

}  // namespace

PrintPreviewWindow::PrintPreviewWindow(TComponent* owner, const Design& design) : TForm(owner), design_(design) {
  SetCaption("Print Preview");
  SetBorderStyle(bsDialog);
  SetPosition(poOwnerFormCenter);
  SetClientWidth(design_.Width);
  SetClientHeight(design_.Height);
  ControlMaker make(this);
  Image1 = make.Image(this, "Image1", 0, 0, design_.Width, design_.Height - kControlsHeight);
  CaptionLabel = make.Label(this, "Label2", "", 0, 0);
  CaptionLabel->Font().Size = 5;
  CaptionLabel->FontChanged();
  CaptionLabel->SetColor(clWhite);
  const int row = design_.Height - kControlsHeight + 9;
  Label1 = make.Label(this, "Label1", "Caption:", 10, row + 3);
  Edit1 = make.Edit(this, "Edit1", "", 70, row, 300);
  Edit1->OnChange = [this](TObject* s) { Edit1KeyUp(s); };
  Button1 = make.Button(this, "Button1", "Print", 0, design_.Width - 180, row, 80, 24);
  Button2 = make.Button(this, "Button2", "Close", 0, design_.Width - 90, row, 80, 24);
  Button1->OnClick = [this](TObject* s) { Button1Click(s); };
  Button2->OnClick = [this](TObject* s) { Button2Click(s); };
  SetCancelButton(Button2);
}

bool PrintPreviewWindow::HasPicture() const {
  const TBitmap* source = SourcePicture();
  return source && source->Width() > 0 && source->Height() > 0;
}

void PrintPreviewWindow::SetupPage() {
  const TBitmap* source = SourcePicture();
  source_width_ = source ? source->Width() : 0;
  source_height_ = source ? source->Height() : 0;
  TPrinter* printer = Printer();
  landscape_ = printer->Orientation() == poLandscape;
  page_width_ = landscape_ ? design_.LandscapePage : design_.PortraitPage;
  page_margin_ = landscape_ ? design_.LandscapeMargin : design_.PortraitMargin;
  page_height_ = io::PreviewPageHeight(page_width_, printer->PageWidth(), printer->PageHeight());
  // The whole page shows: the drawing grows with a tall page.
  const int drawingHeight = std::max(design_.Height - kControlsHeight, kPageTop + page_height_ + kPageTop);
  SetClientHeight(drawingHeight + kControlsHeight);
  Image1->SetBounds(0, 0, design_.Width, drawingHeight);
  const int row = drawingHeight + 9;
  Label1->SetTop(row + 3);
  for (TControl* c : std::initializer_list<TControl*>{Edit1, Button1, Button2}) c->SetTop(row);
}

std::vector<std::string> PrintPreviewWindow::TableLines() const {
  return ListsTable() ? MeasurementTableLines() : std::vector<std::string>{};
}

void PrintPreviewWindow::DrawPreview() {
  TCanvas* canvas = Image1->Canvas();
  canvas->Brush.Style = bsSolid;
  canvas->Brush.Color = clBtnFace;
  canvas->FillRect(Rect(0, 0, Image1->Width(), Image1->Height()));
  canvas->Pen = TPen{};
  canvas->Brush.Color = clWhite;
  canvas->Rectangle(page_margin_, kPageTop, page_margin_ + page_width_, kPageTop + page_height_);

  preview_picture_ =
      Shifted(io::PicturePlace(page_width_, page_height_, source_width_, source_height_, landscape_,
                               landscape_ ? design_.PreviewTopDivisor : 5),
              page_margin_, kPageTop);
  if (const TBitmap* source = SourcePicture(); source && HasPicture())
    DrawKeepingEveryLine(*canvas, preview_picture_, *source);

  Edit1->SetText(DateAndTime());
  CaptionLabel->SetCaption(Edit1->Text());
  CaptionLabel->SetLeft(Image1->Left() + preview_picture_.Left);
  CaptionLabel->SetTop(Image1->Top() + preview_picture_.Bottom() + Divide(page_height_, 30));

  if (ListsTable()) {
    canvas->Font.Size = 6;
    canvas->Brush.Style = bsClear;
    const int x = CaptionLabel->Left() - Image1->Left();
    const int y = CaptionLabel->Top() - Image1->Top();
    for (const io::TableText& t : io::MeasurementTableTexts(TableLines(), x, y, page_width_, Divide(page_height_, 50)))
      canvas->TextOut(t.X, t.Y, t.Text);
    canvas->Brush.Style = bsSolid;
  }
  Image1->Invalidate();
}

void PrintPreviewWindow::PrintBitmap(const TBitmap& bitmap, int x, int height, int width, int y) {
  DrawKeepingEveryLine(*Printer()->Canvas(), io::PagePlace{x, y, width, height}, bitmap);
}

void PrintPreviewWindow::Button1Click(TObject* /*Sender*/) {
  const TBitmap* source = SourcePicture();
  if (!source || !HasPicture()) return;
  TBitmap copy;
  copy.Assign(*source);
  TPrinter* printer = Printer();
  const bool landscape = printer->Orientation() == poLandscape;
  const int pageWidth = printer->PageWidth();
  const int pageHeight = printer->PageHeight();
  const io::PagePlace place = io::PicturePlace(pageWidth, pageHeight, copy.Width(), copy.Height(), landscape, 5);
  printer->SetTitle(design_.JobTitle);
  printer->BeginDoc();
  TCanvas* canvas = printer->Canvas();
  canvas->Font.Size = 11;
  canvas->Brush.Style = bsClear;
  PrintBitmap(copy, place.Left, place.Height, place.Width, place.Top);
  const int captionY = place.Bottom() + Divide(pageHeight, 30);
  canvas->TextOut(place.Left, captionY, Edit1->Text());
  if (design_.MeasurementTable && !landscape)
    for (const io::TableText& t :
         io::MeasurementTableTexts(TableLines(), place.Left, captionY, pageWidth, Divide(pageHeight, 50)))
      canvas->TextOut(t.X, t.Y, t.Text);
  printer->EndDoc();
}

void PrintPreviewWindow::Button2Click(TObject* /*Sender*/) { Close(); }

void PrintPreviewWindow::Edit1KeyUp(TObject* /*Sender*/) { CaptionLabel->SetCaption(Edit1->Text()); }
