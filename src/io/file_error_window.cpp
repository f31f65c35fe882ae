#include "io/file_error_window.h"

#include <algorithm>

#include <QFontMetrics>

namespace {
constexpr int kMargin = 16;
constexpr int kTextTop = 20;
constexpr int kTextWidth = 330;
constexpr int kMaxTextWidth = 1000;
constexpr int kButtonWidth = 80;
constexpr int kButtonHeight = 28;
}  // namespace

FileErrorWindow::FileErrorWindow(TComponent* owner, const std::string& name, const std::string& filter)
    : TForm(owner) {
  Name = name;
  SetCaption("File Error");
  SetBorderStyle(bsDialog);
  SetPosition(poOwnerFormCenter);
  SetClientWidth(kTextWidth + 2 * kMargin);
  SetClientHeight(110);
  Label1 = new TLabel(this);
  Label1->Name = "Label1";
  Label1->SetParent(this);
  // Wrapping first: the label keeps its width while its text is still empty.
  Label1->SetWordWrap(true);
  Label1->SetBounds(kMargin, kTextTop, kTextWidth, 40);
  BitBtn1 = new TButton(this);
  BitBtn1->Name = "BitBtn1";
  BitBtn1->SetParent(this);
  BitBtn1->SetCaption("Close");
  BitBtn1->SetBounds((kTextWidth + 2 * kMargin - kButtonWidth) / 2, 70, kButtonWidth, kButtonHeight);
  BitBtn1->OnClick = [this](TObject* s) { BitBtn1Click(s); };
  SetDefaultButton(BitBtn1);
  SetCancelButton(BitBtn1);
  OpenDialog2 = new TOpenDialog(this);
  OpenDialog2->Name = "OpenDialog2";
  OpenDialog2->SetFilter(filter);
  OpenDialog2->SetDefaultExt("txt");
}

void FileErrorWindow::FitToText() {
  const QFontMetrics fm(ToQFont(Label1->Font()));
  const QString text = QString::fromStdString(Label1->Caption());
  // As wide as the longest word needs, within reason; the height follows.
  int width = kTextWidth;
  for (const QString& word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts))
    width = std::max(width, fm.horizontalAdvance(word) + 2);
  width = std::min(width, kMaxTextWidth);
  const QRect r = fm.boundingRect(QRect(0, 0, width, 100000), Qt::TextWordWrap, text);
  const int height = std::max(fm.height(), r.height());
  Label1->SetWordWrap(true);
  Label1->SetAutoSize(false);
  Label1->SetBounds(kMargin, kTextTop, width, height);
  const int buttonTop = kTextTop + height + 12;
  BitBtn1->SetBounds((width + 2 * kMargin - kButtonWidth) / 2, buttonTop, kButtonWidth, kButtonHeight);
  SetClientWidth(width + 2 * kMargin);
  SetClientHeight(buttonTop + kButtonHeight + 12);
}

void FileErrorWindow::ShowError(const std::string& text) {
  Label1->SetCaption(text);
  FitToText();
  ShowModal();
}

void FileErrorWindow::BitBtn1Click(TObject*) { Close(); }
