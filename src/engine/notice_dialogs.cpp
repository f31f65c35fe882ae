#include "engine/notice_dialogs.h"

#include <algorithm>

#include "engine/front_panel.h"
#include "engine/front_panel/front_panel_controller.h"
#include "engine/scope_window.h"

namespace {

// Both radio buttons of the hardware dialog stop a running acquisition at
// once: the main window's Run and Single buttons go up and both loops are
// told to end.
void ReleaseRunAndSingle(engine::ScopeSharedState& scope) {
  if (engine::ScopeWindow* window = engine::TheScopeWindow()) {
    FrontPanelControls& panel = window->Panel();
    if (panel.SpeedButtonRun) panel.SpeedButtonRun->SetDown(false);
    if (panel.SpeedButtonSingle) panel.SpeedButtonSingle->SetDown(false);
  }
  scope.RunStop = 1;
  scope.SingleStop = 1;
}

void SetUpDialog(TForm* form, const std::string& caption, int clientWidth, int clientHeight) {
  form->SetCaption(caption);
  form->SetBorderStyle(bsDialog);
  form->SetPosition(poOwnerFormCenter);
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

// The only button: Return, Enter, Space and Escape press it as well.
TGrSpeedButton* AddOkButton(TForm* form, const std::string& name, int left, int top) {
  auto* b = new TGrSpeedButton(form);
  b->Name = name;
  b->SetParent(form);
  b->SetCaption("OK");
  b->SetLeft(left);
  b->SetTop(top);
  form->SetDefaultButton(b);
  form->SetCancelButton(b);
  return b;
}

}  // namespace

// ---------------------------------------------------------------- hardware selection

TBtnBottomDlg::TBtnBottomDlg(TComponent* owner, const engine::ScopeStates& states)
    : TForm(owner), engine::WithScopeStates(states) {
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
  ScopeState.DemoMode = 0;
  // The device level depends on the mode.
  if (engine::ScopeWindow* window = engine::TheScopeWindow()) window->FrontPanel().RefreshDeviceTriggerLevel();
  ReleaseRunAndSingle(ScopeState);
}

void TBtnBottomDlg::RadioButton2Click(TObject*) {
  ScopeState.DemoMode = 1;
  // The device level depends on the mode.
  if (engine::ScopeWindow* window = engine::TheScopeWindow()) window->FrontPanel().RefreshDeviceTriggerLevel();
  ReleaseRunAndSingle(ScopeState);
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

// Breaks text into lines no wider than width in the canvas's font.
std::vector<std::string> WrapWords(const std::string& text, TCanvas& canvas, int width) {
  std::vector<std::string> lines;
  std::string line;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find(' ', start);
    if (end == std::string::npos) end = text.size();
    const std::string word = text.substr(start, end - start);
    start = end + 1;
    if (word.empty()) continue;
    const std::string candidate = line.empty() ? word : line + ' ' + word;
    if (!line.empty() && canvas.TextWidth(candidate) > width) {
      lines.push_back(line);
      line = word;
    } else {
      line = candidate;
    }
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

void UseFont(TCanvas& canvas, int points, bool bold, TColor color) {
  canvas.Font.Size = points;
  canvas.Font.Style = bold ? static_cast<unsigned>(fsBold) : 0u;
  canvas.Font.Color = color;
}

// Fills the triangle (a, b, c) in `color`: its outline, then the inside
// bounded by it.
void FillTriangle(TCanvas& canvas, TPoint a, TPoint b, TPoint c, TColor color) {
  canvas.Pen.Color = color;
  canvas.Pen.Width = 1;
  canvas.MoveTo(a.x, a.y);
  canvas.LineTo(b.x, b.y);
  canvas.LineTo(c.x, c.y);
  canvas.LineTo(a.x, a.y);
  canvas.FloodFill((a.x + b.x + c.x) / 3, (a.y + b.y + c.y) / 3, color, fsBorder);
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
  constexpr TColor kSignRed = 0x1010D8;
  TCanvas& canvas = *picture.Canvas();
  const int w = picture.Width(), h = picture.Height();
  canvas.Brush.Style = bsSolid;
  canvas.Brush.Color = clWhite;
  canvas.FillRect(TRect{0, 0, w, h});
  canvas.Brush.Color = 0xA0A0A0;
  canvas.FrameRect(TRect{0, 0, w, h});

  // The warning sign: a red triangle, white inside, a black exclamation mark.
  const int cx = 38, top = 10, bottom = h - 12;
  const int half = (bottom - top) * 55 / 100;
  constexpr int kBand = 8;  // width of the red edge
  canvas.Brush.Color = kSignRed;
  FillTriangle(canvas, {cx, top}, {cx + half, bottom}, {cx - half, bottom}, kSignRed);
  canvas.Brush.Color = clWhite;
  FillTriangle(canvas, {cx, top + 2 * kBand}, {cx + half - 2 * kBand + 2, bottom - kBand},
               {cx - half + 2 * kBand - 2, bottom - kBand}, clWhite);
  // The mark: a bar narrowing downwards, and a dot.
  const int barTop = top + (bottom - top) * 36 / 100, barBottom = top + (bottom - top) * 70 / 100;
  canvas.Pen.Color = clBlack;
  for (int y = barTop; y <= barBottom; ++y) {
    const int halfWidth = 3 - (y - barTop) * 2 / std::max(1, barBottom - barTop);
    canvas.LineInclusive(cx - halfWidth, y, cx + halfWidth, y);
  }
  const int dotY = top + (bottom - top) * 82 / 100;
  canvas.Brush.Color = clBlack;
  canvas.Ellipse(cx - 3, dotY - 3, cx + 4, dotY + 4);

  // The text: the heading, then each sentence from a new line, wrapped; the
  // largest size at which everything fits.
  const int textLeft = 84, bulletWidth = 10, margin = 5;
  const int textWidth = w - textLeft - bulletWidth - margin;
  canvas.Brush.Style = bsClear;
  std::vector<std::string> laidOut;
  for (int points = 8; points >= 6; --points) {
    UseFont(canvas, points + 3, true, 0x0000C0);
    const int headingHeight = canvas.TextHeight(kHeading);
    UseFont(canvas, points, false, clBlack);
    const int lineHeight = canvas.TextHeight("Wg");
    std::vector<std::vector<std::string>> paragraphs;
    int lines = 0;
    for (const char* s : kSentences) {
      paragraphs.push_back(WrapWords(s, canvas, textWidth));
      lines += static_cast<int>(paragraphs.back().size());
    }
    const int total = headingHeight + 2 + lines * lineHeight;
    if (total > h - 2 * 3 && points > 6) continue;
    const bool fits = total <= h - 2 * 3;

    int y = std::max(3, (h - total) / 2);
    UseFont(canvas, points + 3, true, 0x0000C0);
    canvas.TextOut(textLeft, y, kHeading);
    laidOut.push_back(kHeading);
    y += headingHeight + 2;
    UseFont(canvas, points, false, clBlack);
    for (const auto& para : paragraphs) {
      canvas.Brush.Style = bsSolid;
      canvas.Brush.Color = kSignRed;
      canvas.FillRect(TRect{textLeft + 1, y + lineHeight / 3, textLeft + 5, y + lineHeight / 3 + 4});
      canvas.Brush.Style = bsClear;
      for (const std::string& line : para) {
        canvas.TextOut(textLeft + bulletWidth, y, line);
        laidOut.push_back(line);
        y += lineHeight;
      }
    }
    if (!fits) laidOut.clear();
    break;
  }
  return laidOut;
}

TForm12::TForm12(TComponent* owner, const engine::ScopeStates& states)
    : TForm(owner), engine::WithScopeStates(states) {
  Name = "Form12";
  SetUpDialog(this, "Warnings", kProbeWarningWidth + 16, kProbeWarningHeight + 50);
  SetPosition(poScreenCenter);
  SetFormStyle(fsStayOnTop);

  Image1 = new TImage(this);
  Image1->Name = "Image1";
  Image1->SetParent(this);
  Image1->SetBounds(8, 8, kProbeWarningWidth, kProbeWarningHeight);
  // Drawn when the warning is first shown: most sessions never show it.
  Image1->Picture()->DrawWhenUsed([](TBitmap& picture) { DrawProbeWarning(picture); }, true);

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

void TForm12::CheckBox1Click(TObject*) { ScopeState.ProbeWarningMuted = CheckBox1->Checked() ? 1 : 0; }

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
