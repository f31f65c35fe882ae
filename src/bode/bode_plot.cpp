// The Bode plotter window: its controls and menus, and the handlers of the
// range, start, scale and option controls.
#include "bode/bode_plot.h"
#include "device/scope_device.h"

#include "bode/add_text_bode.h"
#include "bode/bode_state.h"
#include "bode/ok_bottom_dlg1.h"
#include "bode/voltage_scale_note.h"
#include "engine/help_request.h"
#include "engine/front_panel/front_panel_controller.h"
#include "engine/scope_window.h"
#include "engine/spectrum/spectrum_controller.h"
#include "engine/scope_state.h"
#include "widgets/control_maker.h"

namespace {

constexpr int kRight = 548;  // left edge of the control column
constexpr int kColumnWidth = 200;

const char* const kAveragingInfo =
    "You may now use the averaging option of the oscilloscope.\r"
    "Averaging reduces noise and increases the dynamic range of the Bode Plotter.\r"
    "Please do following:\r"
    "1. Connect CH2 of the oscilloscope to the input of the device under test.\r"
    "2. Select the Volt/div setting of CH2 to get maximum swing of the trace on the screen.\r"
    "Avoid clipping if you are using the options \"Phase Plot\" or \"Normalize Output by Input\".\r"
    "3. Put triggering on.\r"
    "4. Select trigger source CH2.\r"
    "5. Select proper number of averages using the Options/Average menu option of the oscilloscope.\r"
    "6. Select proper wait time using Options/Wait Time menu option of the Bode Plotter.\r"
    "The wait time must be long enough to allow the waveform stabilize on the oscilloscope screen after every "
    "frequency step.";

}  // namespace

TBode_plot::TBode_plot(TComponent* owner, device::ScopeDevice& device, bode::BodeSharedState& state,
                       engine::ScopeSharedState& scope, display::DisplaySharedState& display)
    : TForm(owner), BodeState(state), ScopeState(scope), DisplayState(display), device_(&device) {
  Name = "Bode_plot";
  SetCaption("Bode Plotter");
  SetBorderStyle(bsSingle);
  SetBorderIcons(biSystemMenu | biMinimize);
  SetClientWidth(kRight + kColumnWidth + 8);
  BuildControls();
  BuildMenus();
  SetClientHeight(Memo1->Top() + Memo1->Height() + 8 + 24);
  OnCloseQuery = [this](TObject* s, bool& can) { FormCloseQuery(s, can); };
  OnShow = [this](TObject* s) { FormPaint(s); };

  // Defaults: "Volts", 10 kHz from 10 Hz, log scale and log steps.
  BodeState.BodeMargin = kImageHeight / 20;
  Quietly([&] {
    ScaleRadios[0]->SetChecked(true);
    RangeTopRadios[1]->SetChecked(true);
    StartRadios[1]->SetChecked(true);
    CheckBox2->SetChecked(true);
    CheckBox1->SetChecked(true);
    RadioButton14->SetChecked(true);
  });
  CheckBox3->SetEnabled(false);
  CheckBox4->SetEnabled(false);
  ApplyStartCaptions();
  const int m = Margin();
  Image2->SetBounds(Image1->Left(), Image1->Top() + kImageHeight - m, kImageWidth, m);
  Image3->SetBounds(Image1->Left(), Image1->Top(), kImageWidth, m);
  Image4->SetBounds(Image1->Left() + kImageWidth - m, Image1->Top() + m, m, kImageHeight - 2 * m);
  Image5->SetBounds(Image1->Left(), Image1->Top() + m, m, kImageHeight - 2 * m);
  for (TImage* strip : {Image2, Image3, Image4, Image5}) strip->SetVisible(false);
  FreqMarkerX = m + 13;
  LevelMarker1Y = m + 13;
  LevelMarker2Y = kImageHeight - m - 13;
  DerivePens();
  DrawEmptyPlotWhenShown();
}

int TBode_plot::Margin() const { return BodeState.BodeMargin; }

void TBode_plot::BuildControls() {
  ControlMaker make(this);
  Image1 = make.Image(this, "Image1", 8, 8, kImageWidth, kImageHeight);
  Image1->OnMouseDown = [this](TObject* s, TMouseButton b, TShiftState sh, int x, int y) {
    Image1MouseDown(s, b, sh, x, y);
  };
  Image1->OnMouseMove = [this](TObject* s, TShiftState sh, int x, int y) { Image1MouseMove(s, sh, x, y); };
  Image1->OnMouseUp = [this](TObject* s, TMouseButton b, TShiftState sh, int x, int y) {
    Image1MouseUp(s, b, sh, x, y);
  };
  Image2 = make.Image(this, "Image2", 0, 0, 1, 1);
  Image3 = make.Image(this, "Image3", 0, 0, 1, 1);
  Image4 = make.Image(this, "Image4", 0, 0, 1, 1);
  Image5 = make.Image(this, "Image5", 0, 0, 1, 1);

  const int row = 8 + kImageHeight + 8;
  SpeedButton1 = make.Button(this, "SpeedButton1", "Start", 0, 8, row, 72);
  SpeedButton2 = make.Button(this, "SpeedButton2", "Stop", 2, 84, row, 72);
  SpeedButton2->SetAllowAllUp(true);
  SpeedButton3 = make.Button(this, "SpeedButton3", "Pause", 3, 160, row, 72);
  SpeedButton3->SetAllowAllUp(true);
  SpeedButton4 = make.Button(this, "SpeedButton4", "Clear All", 0, 316, row, 80);
  SpeedButton5 = make.Button(this, "SpeedButton5", "Clear Last", 0, 400, row, 80);
  SpeedButton4->SetVisible(false);
  SpeedButton5->SetVisible(false);
  SpeedButton1->OnClick = [this](TObject* s) { SpeedButton1Click(s); };
  SpeedButton2->OnClick = [this](TObject* s) { SpeedButton2Click(s); };
  SpeedButton3->OnClick = [this](TObject* s) { SpeedButton3Click(s); };
  SpeedButton4->OnClick = [this](TObject* s) { SpeedButton4Click(s); };
  SpeedButton5->OnClick = [this](TObject* s) { SpeedButton5Click(s); };
  Label1 = make.Label(this, "Label1", "", 8, row + 28);
  Label3 = make.Label(this, "Label3", " Vrms", 484, row + 4);
  Label5 = make.Label(this, "Label5", "", 8, row + 46);
  Label5->Font().Color = clRed;
  Label5->FontChanged();
  Memo1 = make.Memo(this, "Memo1", 8, row + 66, kImageWidth, 130);
  Memo1->SetScrollBars(ssVertical);

  GroupBox1 = make.Group(this, "GroupBox1", "Vertical Scale", kRight, 4, kColumnWidth, 96);
  const char* scales[] = {"Volts", "10dB/div", "5dB/div", "1dB/div"};
  for (int i = 0; i < 4; ++i)
    ScaleRadios[i] = make.Radio(GroupBox1, "RadioButton" + std::to_string(1 + i), scales[i], 12, 18 + 18 * i, 170,
                                [this, i](TObject*) { ScaleClick(i); });
  GroupBox2 = make.Group(this, "GroupBox2", "Frequency Range", kRight, 104, kColumnWidth, 96);
  for (int i = 0; i < 4; ++i)
    RangeTopRadios[i] = make.Radio(GroupBox2, "RadioButton" + std::to_string(5 + i),
                                   bode::RangeRowOf(i, false).Caption, 12, 18 + 18 * i, 170,
                                   [this, i](TObject*) { RangeTopClick(i); });
  GroupBox3 = make.Group(this, "GroupBox3", "Frequency Start", kRight, 204, kColumnWidth, 114);
  for (int i = 0; i < 4; ++i)
    StartRadios[i] = make.Radio(GroupBox3, "RadioButton" + std::to_string(9 + i), "", 12, 18 + 18 * i, 170,
                                [this, i](TObject*) { StartClick(i); });
  CheckBox3 = make.Check(GroupBox3, "CheckBox3", "Start from DC", 12, 92, 170,
                         [this](TObject* s) { CheckBox3Click(s); });
  GroupBox4 = make.Group(this, "GroupBox4", "V Range", kRight, 322, kColumnWidth, 78);
  const char* volts[] = {"3V", "1V", "0.3V", "0.1V", "30mV", "10mV"};
  std::array<TRadioButton*, 6> radios{};
  for (int i = 0; i < 6; ++i)
    radios[i] = make.Radio(GroupBox4, "RadioButton" + std::to_string(13 + i), volts[i], 12 + (i / 3) * 92,
                           18 + 18 * (i % 3), 86, [this, i](TObject*) { VoltRangeClick(i); });
  RadioButton13 = radios[0];
  RadioButton14 = radios[1];
  RadioButton15 = radios[2];
  RadioButton16 = radios[3];
  RadioButton17 = radios[4];
  RadioButton18 = radios[5];
  CheckBox2 = make.Check(this, "CheckBox2", "Log. Freq. Scale", kRight, 408, kColumnWidth,
                         [this](TObject* s) { CheckBox2Click(s); });
  CheckBox1 = make.Check(this, "CheckBox1", "Log. Freq. Steps", kRight, 428, kColumnWidth,
                         [this](TObject* s) { CheckBox1Click(s); });
  CheckBox4 = make.Check(this, "CheckBox4", "1/3 Octave Freq. Steps", kRight, 448, kColumnWidth,
                         [this](TObject* s) { CheckBox4Click(s); });

  Timer2 = make.Timer("Timer2", 1000, [this](TObject* s) { Timer2Timer(s); });

  SaveDialog1 = new TSaveDialog(this);
  SaveDialog1->Name = "SaveDialog1";
  OpenDialog1 = new TOpenDialog(this);
  OpenDialog1->Name = "OpenDialog1";
  SavePictureDialog1 = new TSaveDialog(this);
  SavePictureDialog1->Name = "SavePictureDialog1";
  OpenPictureDialog1 = new TOpenDialog(this);
  OpenPictureDialog1->Name = "OpenPictureDialog1";
}

void TBode_plot::BuildMenus() {
  ControlMaker make(this);
  MainMenu1 = new TMainMenu(this);
  MainMenu1->Name = "MainMenu1";
  TMenuItem* root = MainMenu1->Items();
  File1 = make.Item(root, "File1", "&File");
  OpenImage1 = make.Item(File1, "OpenImage1", "&Open Image...", [this](TObject* s) { OpenImage1Click(s); });
  OpenData1 = make.Item(File1, "OpenData1", "Open &Data...", [this](TObject* s) { OpenData1Click(s); });
  SaveImage1 = make.Item(File1, "SaveImage1", "&Save Image...", [this](TObject* s) { SaveImage1Click(s); });
  SaveData1 = make.Item(File1, "SaveData1", "Save &Data...", [this](TObject* s) { SaveData1Click(s); });
  make.Item(File1, "N1", "-");
  Exit1 = make.Item(File1, "Exit1", "E&xit", [this](TObject*) { Close(); });
  Edit1 = make.Item(root, "Edit1", "&Edit", [this](TObject* s) { Edit1Click(s); });
  Copy1 = make.Item(Edit1, "Copy1", "&Copy Image", [this](TObject* s) { Copy1Click(s); });
  Copy1->SetShortCut("Ctrl+C");
  Paste1 = make.Item(Edit1, "Paste1", "&Paste Image", [this](TObject* s) { Paste1Click(s); });
  Paste1->SetShortCut("Ctrl+V");
  CopyData1 = make.Item(Edit1, "CopyData1", "Copy &Data", [this](TObject* s) { CopyData1Click(s); });
  Options1 = make.Item(root, "Options1", "&Options");
  AutomaticVoltageScale1 = make.Item(Options1, "AutomaticVoltageScale1", "&Automatic Voltage Scale",
                                     [this](TObject* s) { AutomaticVoltageScale1Click(s); });
  Normalize1 = make.Item(Options1, "Normalize1", "&Normalize Output by Input",
                         [this](TObject* s) { Normalize1Click(s); });
  MultipleTraces1 = make.Item(Options1, "MultipleTraces1", "&Show Multiple Traces",
                              [this](TObject* s) { MultipleTraces1Click(s); });
  AllowAveraging1 = make.Item(Options1, "AllowAveraging1", "Allow Averaging",
                              [this](TObject* s) { AllowAveraging1Click(s); });
  make.Item(Options1, "N2", "-");
  FrequencyStep1 = make.Item(Options1, "FrequencyStep1", "&Frequency Step Size...",
                             [this](TObject* s) { FrequencyStep1Click(s); });
  WaitTime1 = make.Item(Options1, "WaitTime1", "&Wait Time...", [this](TObject* s) { WaitTime1Click(s); });
  make.Item(Options1, "N3", "-");
  Colors1 = make.Item(Options1, "Colors1", "&Colors...", [this](TObject* s) { Colors1Click(s); });
  ColorsofTraces1 = make.Item(Options1, "ColorsofTraces1", "Colors of &Multiple Traces...",
                              [this](TObject* s) { ColorsofTraces1Click(s); });
  View1 = make.Item(root, "View1", "View");
  MarkersfV1 = make.Item(View1, "MarkersfV1", "&Markers  f && V", [this](TObject* s) { MarkersfV1Click(s); });
  MarkersfdV1 = make.Item(View1, "MarkersfdV1", "M&arkers  f && dV", [this](TObject* s) { MarkersfdV1Click(s); });
  PhasePlot1 = make.Item(View1, "PhasePlot1", "&Phase Plot", [this](TObject* s) { PhasePlot1Click(s); });
  Markersfph1 = make.Item(View1, "Markersfph1", "Ma&rkers  f && ph", [this](TObject* s) { Markersfph1Click(s); });
  Markersfph1->SetEnabled(false);
  AudioRange1 = make.Item(View1, "AudioRange1", "Audio Range 30kHz", [this](TObject* s) { AudioRange1Click(s); });
  Help1 = make.Item(root, "Help1", "&Help", [this](TObject* s) { Help1Click(s); });
  SetMenu(MainMenu1);
}

// ---------------------------------------------------------------- opening and leaving

void TBode_plot::ShowPlotter() {
  if (WindowState() == wsMinimized) SetWindowState(wsNormal);
  Show();
  if (form_9bode) form_9bode->SetBounds(Left() + Width() - form_9bode->Width(), Top(), form_9bode->Width(),
                                        form_9bode->Height());
}

void TBode_plot::LeavePlotter() {
  SpeedButton2->SetDown(true);
  SpeedButton2Click(SpeedButton2);
  Hide();
}

// ---------------------------------------------------------------- range, start and scale

void TBode_plot::ApplyStartCaptions() {
  int range = 0;
  for (int i = 0; i < 4; ++i)
    if (RangeTopRadios[i]->Checked()) range = i;
  const bode::RangeRow row = bode::RangeRowOf(range, BodeState.BodeAudioRange != 0);
  for (int i = 0; i < 4; ++i) {
    StartRadios[i]->SetVisible(row.StartCaptions[i] != nullptr);
    if (row.StartCaptions[i]) StartRadios[i]->SetCaption(row.StartCaptions[i]);
  }
}

void TBode_plot::ScaleClick(int index) {
  if (Quiet()) return;
  static constexpr int kScales[] = {0, 10, 5, 1};
  BodeState.BodeVertScale = kScales[index];
  draw();
}

void TBode_plot::RangeTopClick(int index) {
  if (Quiet()) return;
  const bool audio = BodeState.BodeAudioRange != 0;
  BodeState.BodeRangeTop = bode::RangeRowOf(index, audio).Top;
  BodeState.BodeSpanRatio = bode::RatioOnRange(index, BodeState.BodeSpanRatio, audio);
  ApplyStartCaptions();
  const int start = bode::StartOfRatio(BodeState.BodeSpanRatio);
  if (start >= 0) Quietly([&] { StartRadios[start]->SetChecked(true); });
  draw();
}

void TBode_plot::StartClick(int index) {
  if (Quiet()) return;
  const bool audio30k = BodeState.BodeAudioRange && RangeTopRadios[2]->Checked();
  BodeState.BodeSpanRatio = bode::RatioOfStart(index, audio30k);
  draw();
}

void TBode_plot::VoltRangeClick(int index) {
  engine::ScopeWindow* scope = engine::TheScopeWindow();
  if (Quiet() || !scope) return;
  scope->FrontPanel().RangeCodeClick(1, engine::RangeTable[static_cast<std::size_t>(index)].Code);
}

void TBode_plot::CheckBox1Click(TObject*) {
  if (Quiet()) return;
  BodeState.BodeLogSteps = CheckBox1->Checked() ? 1 : 0;
  BodeState.BodeOctaveSteps = 0;
  Quietly([&] { CheckBox4->SetChecked(false); });
  CheckBox4->SetEnabled(!BodeState.BodeLogSteps);
  FillStepList();
}

void TBode_plot::CheckBox4Click(TObject*) {
  if (Quiet()) return;
  BodeState.BodeOctaveSteps = CheckBox4->Checked() ? 1 : 0;
  BodeState.BodeLogSteps = 0;
  Quietly([&] { CheckBox1->SetChecked(false); });
  CheckBox1->SetEnabled(!BodeState.BodeOctaveSteps);
  FillStepList();
}

void TBode_plot::CheckBox2Click(TObject*) {
  if (Quiet()) return;
  BodeState.BodeLogScale = CheckBox2->Checked() ? 1 : 0;
  CheckBox3->SetEnabled(!BodeState.BodeLogScale && !BodeState.BodeSweepRunning);
  draw();
}

void TBode_plot::CheckBox3Click(TObject*) {
  if (Quiet()) return;
  BodeState.BodeStartFromDc = CheckBox3->Checked() ? 1 : 0;
  draw();
}

void TBode_plot::FormPaint(TObject*) {
  for (TRadioButton* r : ScaleRadios)
    if (r->Checked() && Visible() && r->CanFocus()) r->SetFocus();
  const engine::RangeStep* row = engine::RangeRowOfCode(ScopeState.Settings.Channels[0].GainCode);
  if (row) Quietly([&] { RangeRadios()[static_cast<std::size_t>(row - engine::RangeTable.data())]->SetChecked(true); });
}

// ---------------------------------------------------------------- traces

void TBode_plot::SpeedButton4Click(TObject*) {
  Memo1->Clear();
  NextTraceColor = 0;
  curve_0();
  tekstit();
}

void TBode_plot::SpeedButton5Click(TObject*) {
  TStrings& lines = Memo1->Lines();
  lines.BeginUpdate();
  while (lines.Count() > 0) {
    const bool header = lines[lines.Count() - 1].compare(0, 4, bode::kHeaderField) == 0;
    lines.Delete(lines.Count() - 1);
    if (header) break;
  }
  lines.EndUpdate();
  draw();
}

// ---------------------------------------------------------------- options

void TBode_plot::AutomaticVoltageScale1Click(TObject*) {
  BodeState.BodeAutoScale = BodeState.BodeAutoScale ? 0 : 1;
  AutomaticVoltageScale1->SetChecked(BodeState.BodeAutoScale);
  engine::ScopeWindow* scope = engine::TheScopeWindow();
  if (!BodeState.BodeAutoScale || !scope) return;
  if (ScopeState.SpectrumMode) scope->Spectrum().SpeedButton22Click(this);
  scope->FrontPanel().TriggerOffClick();
  scope->FrontPanel().ChannelDso(1);
  // The scope window is shown for its changed settings, but the user works
  // in the Bode Plotter: it stays in front, and the note opens over it.
  if (!scope->Window().Visible()) {
    scope->Window().SetVisible(true);
    if (Visible()) Show();
  }
  if (OKBottomDlg_1) OKBottomDlg_1->ShowModal();
}

void TBode_plot::Normalize1Click(TObject*) {
  BodeState.BodeNormalize = BodeState.BodeNormalize ? 0 : 1;
  Normalize1->SetChecked(BodeState.BodeNormalize);
}

void TBode_plot::MultipleTraces1Click(TObject*) {
  BodeState.BodeMultiTrace = BodeState.BodeMultiTrace ? 0 : 1;
  MultipleTraces1->SetChecked(BodeState.BodeMultiTrace);
  SpeedButton4->SetVisible(BodeState.BodeMultiTrace);
  SpeedButton5->SetVisible(BodeState.BodeMultiTrace);
}

void TBode_plot::AllowAveraging1Click(TObject*) {
  BodeState.BodeAllowAveraging = BodeState.BodeAllowAveraging ? 0 : 1;
  AllowAveraging1->SetChecked(BodeState.BodeAllowAveraging);
  if (BodeState.BodeAllowAveraging) Application->MessageBox(kAveragingInfo, "Average Info:", MB_OK);
}

void TBode_plot::PhasePlot1Click(TObject*) {
  BodeState.PhasePlotOn = BodeState.PhasePlotOn ? 0 : 1;
  PhasePlot1->SetChecked(BodeState.PhasePlotOn);
  Markersfph1->SetEnabled(BodeState.PhasePlotOn);
  if (!BodeState.PhasePlotOn && Markers == bode::MarkerMode::Phase) SelectMarkers(bode::MarkerMode::Phase);
  if (BodeState.PhasePlotOn && BodeState.Phasehelp && OKBottomDlg1) {
    OKBottomDlg1->CheckBox1->SetChecked(false);
    OKBottomDlg1->ShowModal();
    BodeState.Phasehelp = OKBottomDlg1->CheckBox1->Checked() ? 0 : 1;
  }
  draw();
}

void TBode_plot::AudioRange1Click(TObject*) {
  BodeState.BodeAudioRange = BodeState.BodeAudioRange ? 0 : 1;
  AudioRange1->SetChecked(BodeState.BodeAudioRange);
  RangeTopRadios[2]->SetCaption(BodeState.BodeAudioRange ? "30kHz" : "100kHz");
  int start = 1;
  for (int i = 0; i < 4; ++i)
    if (StartRadios[i]->Checked()) start = i;
  Quietly([&] { RangeTopRadios[2]->SetChecked(true); });
  RangeTopClick(2);
  StartClick(start);
}

void TBode_plot::MarkersfV1Click(TObject*) { SelectMarkers(bode::MarkerMode::Level); }
void TBode_plot::MarkersfdV1Click(TObject*) { SelectMarkers(bode::MarkerMode::LevelDifference); }
void TBode_plot::Markersfph1Click(TObject*) { SelectMarkers(bode::MarkerMode::Phase); }

void TBode_plot::Help1Click(TObject*) { engine::ShowHelp(io::kGeneratorHelp, io::kBodeTopic); }

void TBode_plot::SetSweepControlsEnabled(bool enabled) {
  for (TMenuItem* item : {AutomaticVoltageScale1, ColorsofTraces1, OpenImage1, SaveImage1, SaveData1, OpenData1,
                          MultipleTraces1, Colors1, Edit1, View1})
    item->SetEnabled(enabled);
  for (TRadioButton* r : RangeTopRadios) r->SetEnabled(enabled);
  for (TRadioButton* r : StartRadios) r->SetEnabled(enabled);
  CheckBox3->SetEnabled(enabled && !BodeState.BodeLogScale);
  SpeedButton1->SetEnabled(enabled);
  const bool scales = enabled || !BodeState.BodeAutoScale;
  for (TRadioButton* r : ScaleRadios) r->SetEnabled(scales);
}
