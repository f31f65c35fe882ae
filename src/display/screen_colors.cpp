// Screen colours: the colour table and the "Color" dialog (TBtnBottomDlg2).
#include "display/screen_colors.h"

#include "display/color_dialog.h"
#include "display/display_state.h"
#include "platform/ui/vcl.h"

namespace display {

ColorTable ColorTableOf(const DisplaySharedState& d) {
  ColorTable t;
  t.BackgroundColor = d.BackgroundColor;
  t.Ch1Color = d.Ch1Color;
  t.Ch2Color = d.Ch2Color;
  t.Math1Color = d.Math1Color;
  t.Math2Color = d.Math2Color;
  t.TimeMarkerColor = d.TimeMarkerColor;
  t.Ch1PenColor = d.Ch1PenColor;
  t.Ch2PenColor = d.Ch2PenColor;
  t.Math1PenColor = d.Math1PenColor;
  t.TimeMarkerPenColor = d.TimeMarkerPenColor;
  t.GridPenColor = d.GridPenColor;
  t.BrightGridPenColor = d.BrightGridPenColor;
  return t;
}

ScreenColorSet CurrentScreenColors(const DisplaySharedState& d) {
  return {d.BackgroundColor, d.Ch1Color, d.Ch2Color, d.Math1Color, d.Math2Color, d.DarkGridColor, d.BrightGridColor, d.TimeMarkerColor};
}

void SetScreenColors(DisplaySharedState& d, const ScreenColorSet& colors) {
  d.BackgroundColor = colors.Background;
  d.Ch1Color = colors.Ch1;
  d.Ch2Color = colors.Ch2;
  d.Math1Color = colors.Math1;
  d.Math2Color = colors.Math2;
  d.DarkGridColor = colors.DarkGrid;
  d.BrightGridColor = colors.BrightGrid;
  d.TimeMarkerColor = colors.TimeMarker;
}

void UseDefaultScreenColors(DisplaySharedState& d) {
  SetScreenColors(d, kBrightScreenColors);
  d.DefaultColors = 1;
}

}  // namespace display

namespace {

// Swatch rows of the dialog's picture, one per pen.
constexpr int kSwatchCh1 = 10;
constexpr int kSwatchCh2 = 34;
constexpr int kSwatchMath1 = 58;
constexpr int kSwatchMath2 = 82;
constexpr int kSwatchDarkGrid = 106;
constexpr int kSwatchBrightGrid = 130;
constexpr int kSwatchTimeMarker = 154;

constexpr int kButtonWidth = 85;
constexpr int kButtonHeight = 21;

}  // namespace

// ---------------------------------------------------------------- TBtnBottomDlg2

TBtnBottomDlg2::TBtnBottomDlg2(TComponent* owner) : TForm(owner) {
  Name = "BtnBottomDlg2";
  SetCaption("Color");
  SetBorderStyle(bsDialog);
  SetPosition(poOwnerFormCenter);
  SetClientWidth(382);
  SetClientHeight(268);

  auto label = [this](const char* name, const char* text, int left, int top) {
    auto* l = new TLabel(this);
    l->Name = name;
    l->SetParent(this);
    l->SetCaption(text);
    l->SetLeft(left);
    l->SetTop(top);
    return l;
  };
  auto button = [this](const char* name, const char* caption, int left, int top) {
    auto* b = new TSpeedButton(this);
    b->Name = name;
    b->SetParent(this);
    b->SetCaption(caption);
    b->SetBounds(left, top, kButtonWidth, kButtonHeight);
    return b;
  };
  auto skinned = [this](const char* name, const char* caption, int left, int top) {
    auto* b = new TGrSpeedButton(this);
    b->Name = name;
    b->SetParent(this);
    b->SetCaption(caption);
    b->SetBounds(left, top, kButtonWidth, kButtonHeight);
    return b;
  };

  // Each colour button sits beside its swatch row; the background fills the
  // whole picture, its button comes last.
  constexpr int kTop = 8;
  auto rowTop = [](int swatchY) { return kTop + swatchY - kButtonHeight / 2; };
  SpeedButton1 = button("SpeedButton1", "Ch1", 12, rowTop(kSwatchCh1));
  SpeedButton2 = button("SpeedButton2", "Ch2", 12, rowTop(kSwatchCh2));
  SpeedButton7 = button("SpeedButton7", "Math 1", 12, rowTop(kSwatchMath1));
  SpeedButton8 = button("SpeedButton8", "Math 2", 12, rowTop(kSwatchMath2));
  SpeedButton4 = button("SpeedButton4", "Dark Grid", 12, rowTop(kSwatchDarkGrid));
  SpeedButton5 = button("SpeedButton5", "Bright Grid", 12, rowTop(kSwatchBrightGrid));
  SpeedButton6 = button("SpeedButton6", "Time Marker", 12, rowTop(kSwatchTimeMarker));
  SpeedButton3 = button("SpeedButton3", "Background", 12, rowTop(kSwatchTimeMarker + 24));

  Image1 = new TImage(this);
  Image1->Name = "Image1";
  Image1->SetParent(this);
  Image1->SetBounds(106, kTop, 120, kSwatchTimeMarker + 24 + kButtonHeight);

  Label1 = label("Label1", "Select Default Colors:", 240, kTop);
  GrSpeedButton4 = skinned("GrSpeedButton4", "Bright Screen", 252, 28);
  GrSpeedButton3 = skinned("GrSpeedButton3", "Black Screen", 252, 56);

  Label2 = label("Label2", "Please note:", 240, 104);
  Label3 = label("Label3", "Full color selection ", 240, 122);
  Label4 = label("Label4", "is possible only if ", 240, 138);
  Label5 = label("Label5", "True Color (24 bit)", 240, 154);
  Label6 = label("Label6", "display mode is used.", 240, 170);

  GrSpeedButton1 = skinned("GrSpeedButton1", "OK", 100, 234);
  GrSpeedButton2 = skinned("GrSpeedButton2", "Cancel", 197, 234);
  SetDefaultButton(GrSpeedButton1);
  SetCancelButton(GrSpeedButton2);

  ColorDialog1 = new TColorDialog(this);
  ColorDialog1->Name = "ColorDialog1";

  SpeedButton3->OnClick = [this](TObject* s) { SpeedButton3Click(s); };
  SpeedButton1->OnClick = [this](TObject* s) { SpeedButton1Click(s); };
  SpeedButton2->OnClick = [this](TObject* s) { SpeedButton2Click(s); };
  SpeedButton7->OnClick = [this](TObject* s) { SpeedButton7Click(s); };
  SpeedButton8->OnClick = [this](TObject* s) { SpeedButton8Click(s); };
  SpeedButton4->OnClick = [this](TObject* s) { SpeedButton4Click(s); };
  SpeedButton5->OnClick = [this](TObject* s) { SpeedButton5Click(s); };
  SpeedButton6->OnClick = [this](TObject* s) { SpeedButton6Click(s); };
  GrSpeedButton4->OnClick = [this](TObject* s) { SpeedButton9Click(s); };
  GrSpeedButton3->OnClick = [this](TObject* s) { SpeedButton10Click(s); };
  GrSpeedButton1->OnClick = [this](TObject* s) { OKBtnClick(s); };
  GrSpeedButton2->OnClick = [this](TObject* s) { CancelBtnClick(s); };

  FormCreate(this);
}

void TBtnBottomDlg2::UseDisplay(display::DisplaySharedState& display) {
  Display = &display;
  FormCreate(this);
}

void TBtnBottomDlg2::FormCreate(TObject* /*Sender*/) {
  if (Display) Display->ColorsAccepted = 0;
  draw_1();
}

void TBtnBottomDlg2::draw_1() {
  if (!Display) return;
  const display::DisplaySharedState& d = *Display;
  TCanvas* c = Image1->Canvas();
  const int width = Image1->Width();
  const TPen savedPen = c->Pen;
  const TBrush savedBrush = c->Brush;
  c->Brush.Color = d.BackgroundColor;
  c->Brush.Style = bsSolid;
  c->FillRect(Rect(0, 0, width, Image1->Height()));

  // The pens come from the colours as they are now, picks not yet taken
  // with OK included, so each row shows its colour as the picture will.
  const TColor bg = d.BackgroundColor;
  auto row = [&](int y, TColor pen, TPenMode mode) {
    c->Pen.Color = pen;
    c->Pen.Mode = mode;
    c->Pen.Style = psSolid;
    c->Pen.Width = 1;
    c->MoveTo(0, y);
    c->LineTo(width, y);
  };
  row(kSwatchCh1, display::NotXorPen(d.Ch1Color, bg), pmNotXor);
  row(kSwatchCh2, display::NotXorPen(d.Ch2Color, bg), pmNotXor);
  row(kSwatchMath1, display::NotXorPen(d.Math1Color, bg), pmNotXor);
  row(kSwatchMath2, display::NotXorPen(d.Math2Color, bg), pmNotXor);
  row(kSwatchDarkGrid, d.DarkGridColor, pmCopy);
  row(kSwatchBrightGrid, d.BrightGridColor, pmCopy);
  row(kSwatchTimeMarker, display::NotXorPen(d.TimeMarkerColor, bg), pmNotXor);

  c->Pen = savedPen;
  c->Brush = savedBrush;
  Image1->Invalidate();
}

void TBtnBottomDlg2::PickColor(TColor display::DisplaySharedState::*entry) {
  if (!Display) return;
  TColor& colour = Display->*entry;
  ColorDialog1->SetColor(colour);
  if (ColorDialog1->Execute()) colour = ColorDialog1->Color() & 0xFFFFFF;
  draw_1();
}

void TBtnBottomDlg2::SpeedButton3Click(TObject*) { PickColor(&display::DisplaySharedState::BackgroundColor); }
void TBtnBottomDlg2::SpeedButton1Click(TObject*) { PickColor(&display::DisplaySharedState::Ch1Color); }
void TBtnBottomDlg2::SpeedButton2Click(TObject*) { PickColor(&display::DisplaySharedState::Ch2Color); }
void TBtnBottomDlg2::SpeedButton7Click(TObject*) { PickColor(&display::DisplaySharedState::Math1Color); }
void TBtnBottomDlg2::SpeedButton8Click(TObject*) { PickColor(&display::DisplaySharedState::Math2Color); }
void TBtnBottomDlg2::SpeedButton4Click(TObject*) { PickColor(&display::DisplaySharedState::DarkGridColor); }
void TBtnBottomDlg2::SpeedButton5Click(TObject*) { PickColor(&display::DisplaySharedState::BrightGridColor); }
void TBtnBottomDlg2::SpeedButton6Click(TObject*) { PickColor(&display::DisplaySharedState::TimeMarkerColor); }

void TBtnBottomDlg2::ChoosePreset(bool black) {
  if (Display) {
    Display->ColorsAccepted = 0;
    Display->DefaultColors = 1;
    Display->BlackScreenPreset = black ? 1 : 0;
  }
  PresetChosen = 1;
  Finish(mrOk);
}

void TBtnBottomDlg2::SpeedButton9Click(TObject*) { ChoosePreset(false); }
void TBtnBottomDlg2::SpeedButton10Click(TObject*) { ChoosePreset(true); }

void TBtnBottomDlg2::OKBtnClick(TObject*) {
  if (Display) {
    Display->ColorsAccepted = 1;
    Display->DefaultColors = 0;
  }
  Finish(mrOk);
}

void TBtnBottomDlg2::CancelBtnClick(TObject*) {
  if (Display) Display->ColorsAccepted = 0;
  Finish(mrCancel);
}

void TBtnBottomDlg2::Finish(int result) {
  if (Modal())
    SetModalResult(result);
  else
    Close();
}
