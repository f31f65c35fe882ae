#include "engine/notice_dialogs.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>

#include "engine/main_form.h"

namespace {

// Both radio buttons of the hardware dialog stop a running acquisition at
// once: the main window's Run and Single buttons go up and both loops are
// told to end.
void ReleaseRunAndSingle() {
  if (Form1) {
    if (Form1->SpeedButtonRun) Form1->SpeedButtonRun->SetDown(false);
    if (Form1->SpeedButtonSingle) Form1->SpeedButtonSingle->SetDown(false);
  }
  engine::RunStop = 1;
  engine::SingleStop = 1;
}

void SetUpDialog(TForm* form, const std::string& caption, int clientWidth, int clientHeight) {
  form->SetCaption(caption);
  form->SetBorderStyle(bsDialog);
  form->SetPosition(poScreenCenter);
  form->SetClientWidth(clientWidth);
  form->SetClientHeight(clientHeight);
}

TLabel* AddLabel(TForm* form, const std::string& name, const std::string& text, int left, int top) {
  auto* l = new TLabel(form);
  l->Name = name;
  l->SetParent(form);
  l->SetCaption(text);
  l->SetLeft(left);
  l->SetTop(top);
  return l;
}

TGrSpeedButton* AddOkButton(TForm* form, const std::string& name, int left, int top) {
  auto* b = new TGrSpeedButton(form);
  b->Name = name;
  b->SetParent(form);
  b->SetCaption("OK");
  b->SetLeft(left);
  b->SetTop(top);
  return b;
}

}  // namespace

// ---------------------------------------------------------------- hardware selection

TBtnBottomDlg::TBtnBottomDlg(TComponent* owner) : TForm(owner) {
  Name = "BtnBottomDlg";
  SetUpDialog(this, "Oscilloscope", 300, 142);
  Label1 = AddLabel(this, "Label1", "Please select the oscilloscope hardware", 20, 16);

  RadioButton1 = new TRadioButton(this);
  RadioButton1->Name = "RadioButton1";
  RadioButton1->SetParent(this);
  RadioButton1->SetCaption("Darvik48");
  RadioButton1->SetBounds(40, 44, 220, 20);
  RadioButton1->SetChecked(true);

  RadioButton2 = new TRadioButton(this);
  RadioButton2->Name = "RadioButton2";
  RadioButton2->SetParent(this);
  RadioButton2->SetCaption("None = Demo mode");
  RadioButton2->SetBounds(40, 68, 220, 20);

  GrSpeedButton1 = AddOkButton(this, "GrSpeedButton1", (300 - kButtonCellWidth) / 2, 106);

  // Handlers last: the preset above is not a user's choice.
  RadioButton1->OnClick = [this](TObject* s) { RadioButton1Click(s); };
  RadioButton2->OnClick = [this](TObject* s) { RadioButton2Click(s); };
  GrSpeedButton1->OnClick = [this](TObject* s) { GrSpeedButton1Click(s); };
}

void TBtnBottomDlg::RadioButton1Click(TObject*) {
  engine::DemoMode = 0;
  // The device level depends on the mode.
  if (Form1) Form1->RefreshDeviceTriggerLevel();
  ReleaseRunAndSingle();
}

void TBtnBottomDlg::RadioButton2Click(TObject*) {
  engine::DemoMode = 1;
  // The device level depends on the mode.
  if (Form1) Form1->RefreshDeviceTriggerLevel();
  ReleaseRunAndSingle();
}

void TBtnBottomDlg::GrSpeedButton1Click(TObject*) { Close(); }

// ---------------------------------------------------------------- no hardware

TBtnBottomDlg1::TBtnBottomDlg1(TComponent* owner) : TForm(owner) {
  Name = "BtnBottomDlg1";
  SetUpDialog(this, "Oscilloscope", 400, 150);
  Label1 = AddLabel(this, "Label1", "No hardware response!", 20, 14);
  TFont bold = Label1->Font();
  bold.Style = fsBold;
  bold.Size = 10;
  Label1->SetFont(bold);
  Label2 = AddLabel(this, "Label2", "  Please make sure that the USB cable is connected.", 20, 42);
  Label3 = AddLabel(this, "Label3", "  If connected: Disconnect and reconnect USB cable.", 20, 60);
  Label4 = AddLabel(this, "Label4", "Choose Options | Hardware Setup to select the operation mode.", 20, 86);
  OKBtn = AddOkButton(this, "OKBtn", (400 - kButtonCellWidth) / 2, 116);
  OKBtn->OnClick = [this](TObject* s) { OKBtnClick(s); };
}

void TBtnBottomDlg1::OKBtnClick(TObject*) { Close(); }

// ---------------------------------------------------------------- probe warning

namespace {

// Breaks text into lines no wider than width.
std::vector<QString> WrapWords(const QString& text, const QFontMetrics& fm, int width) {
  std::vector<QString> lines;
  QString line;
  for (const QString& word : text.split(' ', Qt::SkipEmptyParts)) {
    const QString candidate = line.isEmpty() ? word : line + ' ' + word;
    if (!line.isEmpty() && fm.horizontalAdvance(candidate) > width) {
      lines.push_back(line);
      line = word;
    } else {
      line = candidate;
    }
  }
  if (!line.isEmpty()) lines.push_back(line);
  return lines;
}

QFont PictureFont(int points, bool bold) {
  TFont f;
  f.Size = points;
  f.Style = bold ? static_cast<unsigned>(fsBold) : 0u;
  QFont q = ToQFont(f);
  // Crisp pixels, as every text the program draws into pictures.
  q.setStyleStrategy(QFont::NoAntialias);
  return q;
}

}  // namespace

std::vector<std::string> DrawProbeWarning(TBitmap& picture) {
  static const char* const kSentences[] = {
      "Instrument grounds are interconnected and connected to PC ground.",
      "Max. voltage between probe tip and ground: 30 V AC+DC at all times.",
      "Before performing any measurement, make sure that the circuit is galvanically separated from the AC "
      "power (mains).",
      "If necessary, use a safety isolation transformer.",
  };
  const char* const kHeading = "WARNINGS";
  QImage& img = picture.Image();
  const int w = img.width(), h = img.height();
  QPainter p(&img);
  p.fillRect(0, 0, w, h, ToQColor(clWhite));
  p.setPen(ToQColor(0xA0A0A0));
  p.drawRect(0, 0, w - 1, h - 1);

  // The warning sign: a red triangle with rounded corners, white inside, a
  // black exclamation mark.
  p.setRenderHint(QPainter::Antialiasing, true);
  const double cx = 38, top = 12, bottom = h - 14.0, half = (bottom - top) * 0.58;
  QPainterPath sign;
  sign.moveTo(cx, top);
  sign.lineTo(cx + half, bottom);
  sign.lineTo(cx - half, bottom);
  sign.closeSubpath();
  p.setPen(QPen(ToQColor(0x1010D8), 9, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(ToQColor(clWhite));
  p.drawPath(sign);
  p.setPen(Qt::NoPen);
  p.setBrush(ToQColor(clBlack));
  const double barTop = top + (bottom - top) * 0.33, barBottom = top + (bottom - top) * 0.72;
  QPainterPath bar;
  bar.moveTo(cx - 3.2, barTop);
  bar.lineTo(cx + 3.2, barTop);
  bar.lineTo(cx + 1.6, barBottom);
  bar.lineTo(cx - 1.6, barBottom);
  bar.closeSubpath();
  p.drawPath(bar);
  p.drawEllipse(QPointF(cx, top + (bottom - top) * 0.85), 3.0, 3.0);

  // The text: the heading, then each sentence from a new line, wrapped; the
  // largest size at which everything fits.
  const int textLeft = 84, bulletWidth = 10, margin = 5;
  const int textWidth = w - textLeft - bulletWidth - margin;
  std::vector<std::string> laidOut;
  for (int points = 8; points >= 6; --points) {
    const QFont headingFont = PictureFont(points + 3, true);
    const QFont bodyFont = PictureFont(points, false);
    const QFontMetrics hm(headingFont), bm(bodyFont);
    std::vector<std::vector<QString>> paragraphs;
    int lines = 0;
    for (const char* s : kSentences) {
      paragraphs.push_back(WrapWords(QString::fromUtf8(s), bm, textWidth));
      lines += static_cast<int>(paragraphs.back().size());
    }
    const int total = hm.height() + 2 + lines * bm.height();
    if (total > h - 2 * 3 && points > 6) continue;
    const bool fits = total <= h - 2 * 3;

    p.setRenderHint(QPainter::Antialiasing, false);
    int y = std::max(3, (h - total) / 2);
    p.setFont(headingFont);
    p.setPen(ToQColor(0x0000C0));
    p.drawText(textLeft, y + hm.ascent(), QString::fromUtf8(kHeading));
    laidOut.push_back(kHeading);
    y += hm.height() + 2;
    p.setFont(bodyFont);
    for (const auto& para : paragraphs) {
      p.fillRect(textLeft + 1, y + bm.ascent() / 2, 4, 4, ToQColor(0x1010D8));
      p.setPen(ToQColor(clBlack));
      for (const QString& line : para) {
        p.drawText(textLeft + bulletWidth, y + bm.ascent(), line);
        laidOut.push_back(line.toStdString());
        y += bm.height();
      }
    }
    if (!fits) laidOut.clear();
    break;
  }
  return laidOut;
}

TForm12::TForm12(TComponent* owner) : TForm(owner) {
  Name = "Form12";
  SetUpDialog(this, "Warnings", kProbeWarningWidth + 16, kProbeWarningHeight + 50);
  SetFormStyle(fsStayOnTop);

  Image1 = new TImage(this);
  Image1->Name = "Image1";
  Image1->SetParent(this);
  Image1->SetBounds(8, 8, kProbeWarningWidth, kProbeWarningHeight);
  DrawProbeWarning(*Image1->Picture());

  CheckBox1 = new TCheckBox(this);
  CheckBox1->Name = "CheckBox1";
  CheckBox1->SetParent(this);
  CheckBox1->SetCaption("Don't show this warning again during this session.");
  CheckBox1->SetBounds(8, kProbeWarningHeight + 20, 340, 20);

  SpeedButton29 = AddOkButton(this, "SpeedButton29", 8 + kProbeWarningWidth - kButtonCellWidth,
                              kProbeWarningHeight + 19);

  CheckBox1->OnClick = [this](TObject* s) { CheckBox1Click(s); };
  SpeedButton29->OnClick = [this](TObject* s) { SpeedButton29Click(s); };
}

void TForm12::CheckBox1Click(TObject*) { engine::ProbeWarningMuted = CheckBox1->Checked() ? 1 : 0; }

void TForm12::SpeedButton29Click(TObject*) { Close(); }

// ---------------------------------------------------------------- Bode hint

TOKBottomDlg::TOKBottomDlg(TComponent* owner) : TForm(owner) {
  Name = "OKBottomDlg";
  SetUpDialog(this, "Bode Plot", 560, 222);

  Memo1 = new TMemo(this);
  Memo1->Name = "Memo1";
  Memo1->SetParent(this);
  Memo1->SetBounds(8, 8, 544, 172);
  Memo1->SetReadOnly(true);
  Memo1->SetScrollBars(ssVertical);
  TStrings& m = Memo1->Lines();
  m.BeginUpdate();
  m.Add("To get the ampltude plot:");
  m.Add("- Connect the output of the Function Generator to the input of the device under test.");
  m.Add("- Connect the output of the device under test to CH1 of the Oscilloscope.");
  m.Add("");
  m.Add("To get the phase plot: ");
  m.Add("- Connect the output of the Function Generator also to CH2 of the Oscilloscope.  ");
  m.Add("- From the View menu select Phase Plot.");
  m.Add("");
  m.Add("To use the option \"Normalize Output by Input\": ");
  m.Add("- Connect the output of the Function Generator also to CH2 of the Oscilloscope.  ");
  m.Add("- From the Options menu select Normalize Output by Input.");
  m.Add("- See Help for more information.");
  m.EndUpdate();

  CheckBox1 = new TCheckBox(this);
  CheckBox1->Name = "CheckBox1";
  CheckBox1->SetParent(this);
  CheckBox1->SetCaption("Do not show this again");
  CheckBox1->SetBounds(8, 192, 240, 20);

  OKBtn = AddOkButton(this, "OKBtn", 560 - 8 - kButtonCellWidth, 191);
  OKBtn->OnClick = [this](TObject* s) { OKBtnClick(s); };
}

void TOKBottomDlg::OKBtnClick(TObject*) { SetModalResult(mrOk); }
