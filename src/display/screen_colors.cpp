// Screen colours: the colour table and its not-xor pens, the "Color" dialog
// (TBtnBottomDlg2), and the main window's "Colors..." and "Bright Grid".
#include "display/screen_colors.h"

#include <initializer_list>
#include <utility>

#include "display/color_dialog.h"
#include "display/display_state.h"
#include "engine/control_panel.h"
#include "engine/main_form.h"
#include "engine/scope_state.h"
#include "platform/ui/vcl.h"
#include "recorder/recorder_form.h"
#include "recorder/recorder_state.h"

namespace display {

ScreenColorSet CurrentScreenColors() {
  using namespace engine;
  using namespace display;
  using namespace recorder;
  return {DisplayState.BackgroundColor, DisplayState.Ch1Color, DisplayState.Ch2Color, DisplayState.Math1Color, DisplayState.Math2Color, DisplayState.DarkGridColor, DisplayState.BrightGridColor, DisplayState.TimeMarkerColor};
}

void SetScreenColors(const ScreenColorSet& colors) {
  using namespace engine;
  using namespace display;
  using namespace recorder;
  DisplayState.BackgroundColor = colors.Background;
  DisplayState.Ch1Color = colors.Ch1;
  DisplayState.Ch2Color = colors.Ch2;
  DisplayState.Math1Color = colors.Math1;
  DisplayState.Math2Color = colors.Math2;
  DisplayState.DarkGridColor = colors.DarkGrid;
  DisplayState.BrightGridColor = colors.BrightGrid;
  DisplayState.TimeMarkerColor = colors.TimeMarker;
}

void UseDefaultScreenColors() {
  SetScreenColors(kBrightScreenColors);
  DisplayState.DefaultColors = 1;
}

void CopyScreenColorsToRecorder() {
  using namespace engine;
  using namespace display;
  using namespace recorder;
  RecorderState.RecBackgroundColor = DisplayState.BackgroundColor;
  RecorderState.RecCh1Color = DisplayState.Ch1Color;
  RecorderState.RecCh2Color = DisplayState.Ch2Color;
  RecorderState.RecMath1Color = DisplayState.Math1Color;
  RecorderState.RecMath2Color = DisplayState.Math2Color;
  RecorderState.RecDarkGridColor = DisplayState.DarkGridColor;
  RecorderState.RecBrightGridColor = DisplayState.BrightGridColor;
  RecorderState.RecTimeMarkerColor = DisplayState.TimeMarkerColor;
}

constexpr TColor kChannelOffGrey = 0x808080;  // a CH label while its channel is hidden

void ColourChannelLabels(FrontPanelControls& panel) {
  using namespace engine;
  for (auto [label, colour] : {std::pair{panel.LabelCh1, DisplayState.Ch1Color}, std::pair{panel.LabelCh2, DisplayState.Ch2Color}}) {
    if (!label || label->Font().Color == kChannelOffGrey) continue;
    TFont font = label->Font();
    font.Color = colour;
    label->SetFont(font);
  }
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

TMenuItem* MakeMenuItem(TForm1* form, const char* name, const char* caption) {
  auto* item = new TMenuItem(form);
  item->Name = name;
  item->SetCaption(caption);
  return item;
}

}  // namespace

// ---------------------------------------------------------------- pens

void TForm1::DerivePens() {
  using namespace engine;
  using namespace display;
  using namespace recorder;
  using display::NotXorPen;
  const TColor bg = DisplayState.BackgroundColor;
  DisplayState.Ch1XorColor = NotXorPen(DisplayState.Ch1Color, bg);
  DisplayState.Ch2XorColor = NotXorPen(DisplayState.Ch2Color, bg);
  DisplayState.Math1PenColor = NotXorPen(DisplayState.Math1Color, bg);
  DisplayState.Math2PenColor = NotXorPen(DisplayState.Math2Color, bg);
  DisplayState.TimeMarkerPenColor = NotXorPen(DisplayState.TimeMarkerColor, bg);
  // The grid is drawn in copy mode, in its own colours.
  DisplayState.DarkGridPenColor = DisplayState.DarkGridColor;
  DisplayState.BrightGridPenColor = DisplayState.BrightGridColor;
  // The pens in use: an inverted CH2 on show is drawn in the second math colour.
  DisplayState.Ch1PenColor = DisplayState.Ch1XorColor;
  DisplayState.Ch2PenColor = ScopeState.InvertCh2Mode && !ScopeState.MathOff ? DisplayState.Math2PenColor : DisplayState.Ch2XorColor;
  DisplayState.GridPenColor = DisplayState.ScopeBrightGrid ? DisplayState.BrightGridPenColor : DisplayState.DarkGridPenColor;
  // The View menu shows which grid is in force.
  if (BrightGrid1) BrightGrid1->SetChecked(DisplayState.ScopeBrightGrid != 0);
}

// ---------------------------------------------------------------- menu

void TForm1::CreateColorControls() {
  if (!View1) {
    View1 = MakeMenuItem(this, "View1", "&View");
    MainMenu1->Items()->Add(View1);
  }
  BrightGrid1 = MakeMenuItem(this, "BrightGrid1", "Bright Grid");
  BrightGrid1->OnClick = [this](TObject* s) { BrightGrid1Click(s); };
  View1->Add(BrightGrid1);

  if (!Options1) {
    Options1 = MakeMenuItem(this, "Options1", "&Options");
    MainMenu1->Items()->Add(Options1);
  }
  Colors1 = MakeMenuItem(this, "Colors1", "Colors...");
  Colors1->OnClick = [this](TObject* s) { Colors1Click(s); };
  Options1->Add(Colors1);
}

void TForm1::BrightGrid1Click(TObject* /*Sender*/) {
  using namespace engine;
  using namespace display;
  using namespace recorder;
  BrightGrid1->SetChecked(!BrightGrid1->Checked());
  if (Form11)
    if (Form11->BrightGrid1) Form11->BrightGrid1->SetChecked(BrightGrid1->Checked());
  DisplayState.ScopeBrightGrid = BrightGrid1->Checked() ? 1 : 0;
  DisplayState.GridPenColor = DisplayState.ScopeBrightGrid ? DisplayState.BrightGridPenColor : DisplayState.DarkGridPenColor;
  ScopeState.ClearPending = 1;
  putsataanko();
  piirrot();
}

// ---------------------------------------------------------------- the colour dialog's outcome

void TForm1::ApplyScreenColors() {
  using namespace engine;
  using namespace display;
  using namespace recorder;
  DerivePens();
  display::ColourChannelLabels(*this);
  if (Form11) display::ColourChannelLabels(*Form11);
  ScopeState.ClearPending = 1;
  putsataanko();
  piirrot();
}

void TForm1::Colors1Click(TObject* /*Sender*/) {
  using namespace engine;
  using namespace display;
  using namespace recorder;
  if (!BtnBottomDlg2) return;
  // Everything the dialog may change, so that leaving it without OK or a
  // preset changes nothing (the buttons store each pick at once).
  const display::ScreenColorSet before = display::CurrentScreenColors();
  display::DisplayState.ColorsAccepted = 0;
  BtnBottomDlg2->PresetChosen = 0;
  BtnBottomDlg2->draw_1();
  BtnBottomDlg2->ShowModal();

  if (display::DisplayState.ColorsAccepted) {
    ApplyScreenColors();
  } else {
    display::SetScreenColors(before);
    if (!BtnBottomDlg2->PresetChosen) return;
    display::SetScreenColors(display::DisplayState.BlackScreenPreset ? display::kBlackScreenColors
                                                        : display::kBrightScreenColors);
    ApplyScreenColors();
  }

  // The recorder takes the colours (and its own variant of a preset).
  if (Form1_rec) Form1_rec->Colors2Click(this);
  else display::CopyScreenColorsToRecorder();

  // Persistence keeps true colours on the picture: it starts again clean.
  ReleasePersist();
}

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

void TBtnBottomDlg2::FormCreate(TObject* /*Sender*/) {
  display::DisplayState.ColorsAccepted = 0;
  draw_1();
}

void TBtnBottomDlg2::draw_1() {
  using namespace engine;
  using namespace display;
  using namespace recorder;
  using display::NotXorPen;
  TCanvas* c = Image1->Canvas();
  const int width = Image1->Width();
  const TPen savedPen = c->Pen;
  const TBrush savedBrush = c->Brush;
  c->Brush.Color = DisplayState.BackgroundColor;
  c->Brush.Style = bsSolid;
  c->FillRect(Rect(0, 0, width, Image1->Height()));

  // The pens come from the colours as they are now, picks not yet taken
  // with OK included, so each row shows its colour as the picture will.
  const TColor bg = DisplayState.BackgroundColor;
  auto row = [&](int y, TColor pen, TPenMode mode) {
    c->Pen.Color = pen;
    c->Pen.Mode = mode;
    c->Pen.Style = psSolid;
    c->Pen.Width = 1;
    c->MoveTo(0, y);
    c->LineTo(width, y);
  };
  row(kSwatchCh1, NotXorPen(DisplayState.Ch1Color, bg), pmNotXor);
  row(kSwatchCh2, NotXorPen(DisplayState.Ch2Color, bg), pmNotXor);
  row(kSwatchMath1, NotXorPen(DisplayState.Math1Color, bg), pmNotXor);
  row(kSwatchMath2, NotXorPen(DisplayState.Math2Color, bg), pmNotXor);
  row(kSwatchDarkGrid, DisplayState.DarkGridColor, pmCopy);
  row(kSwatchBrightGrid, DisplayState.BrightGridColor, pmCopy);
  row(kSwatchTimeMarker, NotXorPen(DisplayState.TimeMarkerColor, bg), pmNotXor);

  c->Pen = savedPen;
  c->Brush = savedBrush;
  Image1->Invalidate();
}

void TBtnBottomDlg2::PickColor(TColor& colour) {
  ColorDialog1->SetColor(colour);
  if (ColorDialog1->Execute()) colour = ColorDialog1->Color() & 0xFFFFFF;
  draw_1();
}

void TBtnBottomDlg2::SpeedButton3Click(TObject*) { PickColor(display::DisplayState.BackgroundColor); }
void TBtnBottomDlg2::SpeedButton1Click(TObject*) { PickColor(display::DisplayState.Ch1Color); }
void TBtnBottomDlg2::SpeedButton2Click(TObject*) { PickColor(display::DisplayState.Ch2Color); }
void TBtnBottomDlg2::SpeedButton7Click(TObject*) { PickColor(display::DisplayState.Math1Color); }
void TBtnBottomDlg2::SpeedButton8Click(TObject*) { PickColor(display::DisplayState.Math2Color); }
void TBtnBottomDlg2::SpeedButton4Click(TObject*) { PickColor(display::DisplayState.DarkGridColor); }
void TBtnBottomDlg2::SpeedButton5Click(TObject*) { PickColor(display::DisplayState.BrightGridColor); }
void TBtnBottomDlg2::SpeedButton6Click(TObject*) { PickColor(display::DisplayState.TimeMarkerColor); }

void TBtnBottomDlg2::ChoosePreset(bool black) {
  display::DisplayState.ColorsAccepted = 0;
  display::DisplayState.DefaultColors = 1;
  display::DisplayState.BlackScreenPreset = black ? 1 : 0;
  PresetChosen = 1;
  Finish(mrOk);
}

void TBtnBottomDlg2::SpeedButton9Click(TObject*) { ChoosePreset(false); }
void TBtnBottomDlg2::SpeedButton10Click(TObject*) { ChoosePreset(true); }

void TBtnBottomDlg2::OKBtnClick(TObject*) {
  display::DisplayState.ColorsAccepted = 1;
  display::DisplayState.DefaultColors = 0;
  Finish(mrOk);
}

void TBtnBottomDlg2::CancelBtnClick(TObject*) {
  display::DisplayState.ColorsAccepted = 0;
  Finish(mrCancel);
}

void TBtnBottomDlg2::Finish(int result) {
  if (Modal())
    SetModalResult(result);
  else
    Close();
}
