// The Bode plotter's small windows: "Wait Time", "Frequency Step", the notes
// on automatic voltage scale and on the phase plot, "Add Text" and the two
// colour dialogs, with the plot window's handlers that open them.
#include "bode/add_text_bode.h"
#include "bode/bode_plot.h"
#include "bode/bode_state.h"
#include "bode/color_dialog.h"
#include "bode/frequency_step_dialog.h"
#include "bode/ok_bottom_dlg1.h"
#include "bode/trace_colors_dialog.h"
#include "bode/voltage_scale_note.h"
#include "bode/wait_time_dialog.h"
#include "platform/ui/keys.h"
#include "widgets/control_maker.h"

namespace {

void SetUpDialog(TForm* form, const std::string& name, const std::string& caption, int w, int h) {
  form->Name = name;
  form->SetCaption(caption);
  form->SetBorderStyle(bsDialog);
  form->SetPosition(poOwnerFormCenter);
  form->SetClientWidth(w);
  form->SetClientHeight(h);
}

TGrSpeedButton* ModalButton(ControlMaker& make, TForm* form, const std::string& name, const std::string& caption,
                            int result, int l, int t) {
  TGrSpeedButton* b = make.Button(form, name, caption, 0, l, t, 96);
  b->OnClick = [form, result](TObject*) { form->SetModalResult(result); };
  return b;
}

// The dialog's only button, which the dialog keys press; Space on the list
// presses it as well (the list still opens with the mouse, F4 or Alt+Down,
// and the arrow keys still choose an item).
void OnlyButtonTakesKeys(TForm* form, TComboBox* list, TGrSpeedButton* ok) {
  form->SetDefaultButton(ok);
  form->SetCancelButton(ok);
  list->OnKeyDown = [ok](TObject*, unsigned short& key, TShiftState shift) {
    if (key != VK_SPACE || (shift & (ssCtrl | ssAlt))) return;
    key = 0;
    ok->Click();
  };
}

TMemo* ReadOnlyMemo(ControlMaker& make, TForm* form, int l, int t, int w, int h,
                    std::initializer_list<const char*> lines) {
  TMemo* memo = make.Memo(form, "Memo1", l, t, w, h);
  memo->SetReadOnly(true);
  memo->Lines().BeginUpdate();
  for (const char* line : lines) memo->Lines().Add(line);
  memo->Lines().EndUpdate();
  return memo;
}

void ColorNote(ControlMaker& make, TForm* form, int l, int t) {
  const char* lines[] = {"Please note:", "Full color selection ", "is possible only if ", "True Color (24 bit)",
                         "display mode is used."};
  for (int i = 0; i < 5; ++i) make.Label(form, "Label" + std::to_string(i + 1), lines[i], l, t + 14 * i);
}

// The sample picture filled with the plot's background.
TCanvas* BlankSample(TImage* image, TColor background) {
  TCanvas* c = image->Canvas();
  c->Brush.Style = bsSolid;
  c->Brush.Color = background;
  c->FillRect(Rect(0, 0, image->Width(), image->Height()));
  return c;
}

void SampleLine(TCanvas* c, int y, int width, TColor color, TPenMode mode) {
  c->Pen = TPen{};
  c->Pen.Color = color;
  c->Pen.Mode = mode;
  c->MoveTo(0, y);
  c->LineTo(width, y);
  c->Pen = TPen{};
}

}  // namespace

// ---------------------------------------------------------------- Wait Time

TOKRightDlg_1::TOKRightDlg_1(TComponent* owner, bode::BodeSharedState& state) : TForm(owner), BodeState(state) {
  SetUpDialog(this, "OKRightDlg_1", "Wait Time", 260, 90);
  ControlMaker make(this);
  Label1 = make.Label(this, "Label1", "Wait time:", 12, 14);
  ComboBox1 = make.List(this, "ComboBox1", 12, 34, 120, [this](TObject* s) { ComboBox1Change(s); });
  for (int s : bode::kWaitSeconds) ComboBox1->Items().Add(std::to_string(s) + "s");
  ComboBox1->SetItemIndex(0);
  OKBtn = ModalButton(make, this, "OKBtn", "OK", mrOk, 152, 34);
  OnlyButtonTakesKeys(this, ComboBox1, OKBtn);
}

void TOKRightDlg_1::ComboBox1Change(TObject*) {
  const int item = ComboBox1->ItemIndex();
  if (item < 0 || item >= static_cast<int>(bode::kWaitSeconds.size())) return;
  BodeState.BodeWaitSeconds = bode::kWaitSeconds[static_cast<std::size_t>(item)];
  if (!Bode_plot) return;
  Bode_plot->Timer2->SetInterval(static_cast<unsigned>(BodeState.BodeWaitSeconds) * 1000);
  if (BodeState.BodeWaitSeconds == 0) {
    Bode_plot->Timer2->SetEnabled(false);
    BodeState.BodeWaitOver = 1;
  }
}

void TBode_plot::WaitTime1Click(TObject*) {
  if (!OKRightDlg_1) return;
  for (std::size_t i = 0; i < bode::kWaitSeconds.size(); ++i)
    if (bode::kWaitSeconds[i] == BodeState.BodeWaitSeconds) OKRightDlg_1->ComboBox1->SetItemIndex(static_cast<int>(i));
  OKRightDlg_1->ShowModal();
}

// ---------------------------------------------------------------- Frequency Step

TOKRightDlg_2::TOKRightDlg_2(TComponent* owner, bode::BodeSharedState& state) : TForm(owner), BodeState(state) {
  SetUpDialog(this, "OKRightDlg_2", "Frequency Step", 260, 90);
  ControlMaker make(this);
  Label1 = make.Label(this, "Label1", "Frequency step:", 12, 14);
  ComboBox1 = make.List(this, "ComboBox1", 12, 34, 120, [this](TObject* s) { ComboBox1Change(s); });
  for (const char* item : bode::kStepItems) ComboBox1->Items().Add(item);
  ComboBox1->SetItemIndex(0);
  OKBtn = ModalButton(make, this, "OKBtn", "OK", mrOk, 152, 34);
  OnlyButtonTakesKeys(this, ComboBox1, OKBtn);
}

void TOKRightDlg_2::ComboBox1Change(TObject*) { ApplyItem(ComboBox1->ItemIndex()); }

void TOKRightDlg_2::ApplyItem(int item) {
  if (item < 0) return;
  if (BodeState.BodeOctaveSteps) {
    BodeState.BodeOctaveRatio = bode::OctaveRatioOfItem(item);
    if (Bode_plot) Bode_plot->CheckBox4->SetCaption(bode::OctaveBoxCaption(item));
  } else {
    BodeState.BodeStepFraction = bode::StepFractionOfItem(item);
  }
}

void TBode_plot::FillStepList() {
  if (!OKRightDlg_2) return;
  TComboBox* list = OKRightDlg_2->ComboBox1;
  list->Items().BeginUpdate();
  list->Items().Clear();
  if (BodeState.BodeOctaveSteps) {
    for (const char* item : bode::kOctaveItems) list->Items().Add(item);
  } else {
    for (const char* item : bode::kStepItems) list->Items().Add(item);
  }
  list->Items().EndUpdate();
  const int item = BodeState.BodeOctaveSteps ? bode::ItemOfOctaveRatio(BodeState.BodeOctaveRatio) : bode::ItemOfStepFraction(BodeState.BodeStepFraction);
  list->SetItemIndex(item < 0 ? 0 : item);
}

void TBode_plot::FrequencyStep1Click(TObject*) {
  if (!OKRightDlg_2) return;
  FillStepList();
  OKRightDlg_2->ShowModal();
}

// ---------------------------------------------------------------- notes

TOKBottomDlg_1::TOKBottomDlg_1(TComponent* owner) : TForm(owner) {
  SetUpDialog(this, "OKBottomDlg_1", "Bode Plotter", 520, 250);
  ControlMaker make(this);
  Memo1 = ReadOnlyMemo(make, this, 8, 8, 504, 200,
                       {"Automatic Voltage Scale Mode is now enabled.", "",
                        "Oscilloscope automatically changes the voltage scale if the input ",
                        "signal is too low or too high.  ",
                        "To avoid oscilloscope's voltage scale overdrive by DC, it is good ",
                        "to do the following operations before the start of the measurements:",
                        "1. Turn the oscilloscope's input switch to AC position.",
                        "2. Adjust the scope's trace to the middle of the screen.",
                        "Note: When oscilloscope's input switch is in the AC position there is ",
                        "attenuation at frequencies below 5Hz. ",
                        "For the tests at low frequencies use DC coupling and be aware of the ",
                        "possible oscilloscope display overdrive at the most sensitive Volt/DIV ranges."});
  OKBtn = ModalButton(make, this, "OKBtn", "OK", mrOk, 212, 216);
  SetDefaultButton(OKBtn);
  SetCancelButton(OKBtn);
}

TOKBottomDlg1::TOKBottomDlg1(TComponent* owner) : TForm(owner) {
  SetUpDialog(this, "OKBottomDlg1", "Phase Plot", 560, 170);
  ControlMaker make(this);
  Memo1 = ReadOnlyMemo(
      make, this, 8, 8, 544, 120,
      {"To get the Phase Plot:",
       "Connect the Function Generator output to both the input of the device under test and ",
       "to CH2 of the oscilloscope.", "Connect the output of the device under test to CH1 of the oscilloscope.",
       "The signal level at CH2 must be appropriate. Signal levels too small will result in noisy ",
       "measurements. Signal levels too large will result in clipping and yield incorrect results."});
  CheckBox1 = make.Check(this, "CheckBox1", "Do not show this again", 8, 140, 240);
  OKBtn = ModalButton(make, this, "OKBtn", "OK", mrOk, 456, 138);
  SetDefaultButton(OKBtn);
  SetCancelButton(OKBtn);
}

// ---------------------------------------------------------------- Add Text

Tform_9bode::Tform_9bode(TComponent* owner, bode::BodeSharedState& state)
    : TNoteWindow(owner, "form_9bode", state.BodeNoteShown, state.BodeNoteTransparent), BodeState(state) {}

void Tform_9bode::Redraw() {
  if (Bode_plot) Bode_plot->draw();
}

void Tform_9bode::note() {
  if (!BodeState.BodeNoteShown || !Bode_plot) return;
  WriteLines(Bode_plot->Image1->Canvas(), BodeState.BodeNoteX, BodeState.BodeNoteY, BodeState.BodeFreqMarkerColor, BodeState.BodeBackgroundColor);
  Bode_plot->Image1->Invalidate();
}

// ---------------------------------------------------------------- plot colours

TBtnBottomDlg_2::TBtnBottomDlg_2(TComponent* owner, bode::BodeSharedState& state) : TForm(owner), BodeState(state) {
  SetUpDialog(this, "BtnBottomDlg_2", "Color", 400, 250);
  ControlMaker make(this);
  ColorDialog1 = new TColorDialog(this);
  ColorDialog1->Name = "ColorDialog1";
  // Down to the "Background" button: the picture's own colour is its sample.
  Image1 = make.Image(this, "Image1", 8, 8, 180, 166);
  struct Choice {
    const char* Caption;
    TColor* Color;
    int Row;  // each button stands beside its sample line (Sample), "Background" below them
  };
  const Choice choices[] = {{"Volt. Markers", &BodeState.BodeLevelMarkerColor, 1}, {"Freq. Marker", &BodeState.BodeFreqMarkerColor, 2},
                            {"Trace", &BodeState.BodeTraceColor, 0},                {"Text", &BodeState.BodeTextColor, 5},
                            {"Background", &BodeState.BodeBackgroundColor, 6},      {"Grid", &BodeState.BodeGridColor, 3},
                            {"Grid Border", &BodeState.BodeBorderColor, 4}};
  int i = 0;
  for (const Choice& choice : choices) {
    TGrSpeedButton* b =
        make.Button(this, "Button" + std::to_string(i + 1), choice.Caption, 0, 200, 8 + 24 * choice.Row, 110);
    TColor* color = choice.Color;
    b->OnClick = [this, color](TObject*) {
      ColorDialog1->SetColor(*color);
      if (ColorDialog1->Execute()) *color = ColorDialog1->Color();
      Sample();
    };
    ++i;
  }
  ColorNote(make, this, 8, 180);
  OKBtn = ModalButton(make, this, "OKBtn", "OK", mrOk, 296, 184);
  CancelBtn = ModalButton(make, this, "CancelBtn", "Cancel", mrCancel, 296, 210);
  DefaultBtn = ModalButton(make, this, "DefaultBtn", "Default Colors", kDefaults, 200, 184);
  SetDefaultButton(OKBtn);
  SetCancelButton(CancelBtn);
}

void TBtnBottomDlg_2::Sample() {
  TCanvas* c = BlankSample(Image1, BodeState.BodeBackgroundColor);
  const int w = Image1->Width();
  SampleLine(c, 10, w, BodeState.BodeTraceColor, pmCopy);
  SampleLine(c, 34, w, (~BodeState.BodeBackgroundColor ^ BodeState.BodeLevelMarkerColor) & 0xFFFFFF, pmNotXor);
  SampleLine(c, 58, w, (~BodeState.BodeFreqMarkerColor ^ BodeState.BodeBackgroundColor) & 0xFFFFFF, pmNotXor);
  SampleLine(c, 82, w, BodeState.BodeGridColor, pmCopy);
  SampleLine(c, 106, w, BodeState.BodeBorderColor, pmCopy);
  SampleLine(c, 130, w, BodeState.BodeTextColor, pmCopy);
  Image1->Invalidate();
}

void TBode_plot::Colors1Click(TObject*) {
  if (BodeState.BodeSweepRunning || !BtnBottomDlg_2) return;
  BtnBottomDlg_2->Sample();
  const int result = BtnBottomDlg_2->ShowModal();
  if (result == TBtnBottomDlg_2::kDefaults) {
    BodeState.BodeBackgroundColor = bode::kDefaultBodeBackground;
    BodeState.BodeGridColor = bode::kDefaultBodeGrid;
    BodeState.BodeBorderColor = bode::kDefaultBodeBorder;
    BodeState.BodeTextColor = bode::kDefaultBodeText;
    BodeState.BodeTraceColor = bode::kDefaultBodeTrace;
    BodeState.BodeFreqMarkerColor = bode::kDefaultBodeMarker;
    BodeState.BodeLevelMarkerColor = bode::kDefaultBodeMarker;
  }
  // The marker pens stay as they were unless the choice was confirmed.
  if (result == mrOk || result == TBtnBottomDlg_2::kDefaults) DerivePens();
  if (BodeState.BodeMultiTrace) BodeState.BodeTraceColors[static_cast<std::size_t>((NextTraceColor + bode::kBodeTraceColorCount - 1) %
                                                               bode::kBodeTraceColorCount)] = BodeState.BodeTraceColor;
  draw();
}

// ---------------------------------------------------------------- colours of multiple traces

TBtnBottomDlg_21::TBtnBottomDlg_21(TComponent* owner, bode::BodeSharedState& state) : TForm(owner), BodeState(state) {
  SetUpDialog(this, "BtnBottomDlg_21", "Color", 400, 250);
  ControlMaker make(this);
  ColorDialog1 = new TColorDialog(this);
  ColorDialog1->Name = "ColorDialog1";
  Image1 = make.Image(this, "Image1", 8, 8, 180, 120);
  for (int i = 0; i < 5; ++i) {
    TGrSpeedButton* b =
        make.Button(this, "Button" + std::to_string(i + 1), "Trace " + std::to_string(i + 1), 0, 200, 8 + 24 * i, 110);
    b->OnClick = [this, i](TObject*) {
      ColorDialog1->SetColor(Working[static_cast<std::size_t>(i)]);
      if (ColorDialog1->Execute()) Working[static_cast<std::size_t>(i)] = ColorDialog1->Color();
      Sample();
    };
  }
  ColorNote(make, this, 8, 156);
  OKBtn = ModalButton(make, this, "OKBtn", "OK", mrOk, 296, 184);
  CancelBtn = ModalButton(make, this, "CancelBtn", "Cancel", mrCancel, 296, 210);
  SetDefaultButton(OKBtn);
  SetCancelButton(CancelBtn);
}

void TBtnBottomDlg_21::Sample() {
  TCanvas* c = BlankSample(Image1, BodeState.BodeBackgroundColor);
  const int w = Image1->Width();
  for (int i = 0; i < 5; ++i) SampleLine(c, 10 + 24 * i, w, Working[static_cast<std::size_t>(i)], pmCopy);
  Image1->Invalidate();
}

void TBode_plot::ColorsofTraces1Click(TObject*) {
  if (BodeState.BodeSweepRunning || !BtnBottomDlg_21) return;
  for (std::size_t i = 0; i < 5; ++i) BtnBottomDlg_21->Working[i] = BodeState.BodeTraceColors[i];
  BtnBottomDlg_21->Sample();
  if (BtnBottomDlg_21->ShowModal() != mrOk) return;
  for (std::size_t i = 0; i < 5; ++i) BodeState.BodeTraceColors[i] = BtnBottomDlg_21->Working[i];
  draw();
}
