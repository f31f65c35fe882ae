// The recorder window: its controls, creation and close.
#include "recorder/recorder_form.h"
#include "device/scope_device.h"

#include <algorithm>
#include <map>
#include <memory>

#include "engine/front_panel.h"
#include "engine/scope_window.h"
#include "engine/scope_state.h"
#include "recorder/add_text_rec.h"
#include "recorder/recorder_state.h"
#include "recorder/scope_channel.h"
#include "widgets/control_maker.h"

namespace {

constexpr int kRecMargin = 8;
constexpr int kRecFormWidth = 1000;
constexpr int kRecFormHeight = 500;



}  // namespace

TForm1_rec::TForm1_rec(TComponent* owner, device::ScopeDevice& device, recorder::RecorderSharedState& state,
                       engine::ScopeSharedState& scope, display::DisplaySharedState& display)
    : TForm(owner),
      RecorderState(state),
      ScopeState(scope),
      DisplayState(display),
      RecBufCh2(state.RecBlock.data(), recorder::kChannelEntries),
      RecBufCh1(state.RecBlock.data() + recorder::kChannelEntries, recorder::kChannelEntries),
      device_(&device) {
  Name = "Form1_rec";
  SetCaption("Transient Recorder");
  SetBounds(20, 20, kRecFormWidth, kRecFormHeight);
  BuildControls();
  BuildMenus();
  CreateGeneratorControls();
  // Never so small that a control is cut off.
  SetMinimumSize(ControlsWidth() + kRecMargin, ControlsHeight() + kRecMargin);
  SetBounds(20, 20, std::max(kRecFormWidth, ControlsWidth() + kRecMargin), ControlsHeight() + kRecMargin);

  FastTimer1 = new TFastTimer(this);
  FastTimer1->Name = "FastTimer1";
  FastTimer1->SetInterval(10);
  FastTimer1->SetResolution(10);
  FastTimer1->OnTimer = [this](TObject* s) { FastTimer1Timer(s); };
  ControlMaker make(this);
  Timer1 = make.Timer("Timer1", 100, [this](TObject* s) { Timer1Timer(s); });
  Timer2 = make.Timer("Timer2", 1000, [this](TObject* s) { Timer2Timer(s); });

  OnCloseQuery = [this](TObject* s, bool& canClose) { FormCloseQuery(s, canClose); };
  OnClose = [this](TObject* s, TCloseAction& action) { FormClose(s, action); };
  OnShow = [this](TObject* s) { FormPaint(s); };

  FormCreate(this);
}

TForm1_rec::~TForm1_rec() = default;

TForm1_rec::ChannelControls TForm1_rec::Controls(int channel) {
  if (channel == 1)
    return {LabelCh1, Ch1RangeButtons, {&SpeedButton_ac1, &SpeedButton_dc1, &SpeedButton_gnd1}, CH1on, SpeedButtonCh1,
            TrackBar1, RecBufCh1};
  return {LabelCh2, Ch2RangeButtons, {&SpeedButton__ac2, &SpeedButton_dc2, &SpeedButton_gnd2}, CH2on, SpeedButtonCh2,
          TrackBar2, RecBufCh2};
}

void TForm1_rec::BuildControls() {
  ControlMaker make(this);

  Image1 = new TImage(this);
  Image1->Name = "Image1";
  Image1->SetParent(this);
  Image1->SetBounds(kRecMargin, kRecMargin, kImageWidth, kImageHeight);
  Image1->OnMouseDown = [this](TObject* s, TMouseButton b, TShiftState sh, int x, int y) {
    Image1MouseDown(s, b, sh, x, y);
  };
  Image1->OnMouseMove = [this](TObject* s, TShiftState sh, int x, int y) { Image1MouseMove(s, sh, x, y); };
  Image1->OnMouseUp = [this](TObject* s, TMouseButton b, TShiftState sh, int x, int y) {
    Image1MouseUp(s, b, sh, x, y);
  };
  PaintBox1 = new TImage(this);
  PaintBox1->Name = "PaintBox1";
  PaintBox1->SetParent(this);
  PaintBox1->SetBounds(kRecMargin, kRecMargin, kImageWidth, kImageHeight);
  PaintBox1->SetVisible(false);
  PaintBox1->SetEnabled(false);

  const int underY = kRecMargin + kImageHeight + 4;
  ScrollBar2 = new TScrollBar(this);
  ScrollBar2->Name = "ScrollBar2";
  ScrollBar2->SetParent(this);
  ScrollBar2->SetBounds(kRecMargin, underY, kImageWidth, 17);
  ScrollBar2->SetParams(0, 0, 2000);
  ScrollBar2->SetLargeChange(100);
  ScrollBar2->SetSmallChange(10);
  ScrollBar2->OnChange = [this](TObject* s) { ScrollBar2Change(s); };

  const int pageY = underY + 22;
  SpeedButton1 = make.Button(this, "SpeedButton1", "<<", 0, kRecMargin, pageY, 40);
  SpeedButton2 = make.Button(this, "SpeedButton2", ">>", 0, kRecMargin + 44, pageY, 40);
  SpeedButton1->OnClick = [this](TObject* s) { SpeedButton1Click(s); };
  SpeedButton2->OnClick = [this](TObject* s) { SpeedButton2Click(s); };

  Panel2 = new TPanel(this);
  Panel2->Name = "Panel2";
  Panel2->SetParent(this);
  Panel2->SetBevelOuter(bvLowered);
  Panel2->SetBounds(kRecMargin + 96, pageY - 2, 150, 26);
  Panel2->SetCaption("");
  Label3 = make.Label(Panel2, "Label3", "      Ready", 6, 5);

  // Time/div: two rows of eight, slowest at the top left.
  const int timeY = pageY + 30;
  Time_div = make.Group(this, "Time_div", "Time/Div.", kRecMargin, timeY, kImageWidth, 78);
  for (std::size_t i = 0; i < recorder::RecorderTimeTable.size(); ++i) {
    const int col = static_cast<int>(i % 8), line = static_cast<int>(i / 8);
    TimeButtons[i] = make.Button(Time_div, recorder::RecorderTimeTable[i].Button,
                                 recorder::RecorderTimeTable[i].Caption, 4, 8 + col * 82, 18 + line * 26, 78);
    TimeButtons[i]->OnClick = [this, i](TObject*) { TimeStepClick(i); };
  }
  TimeButtons[recorder::kStep1s]->SetDown(true);

  // Volts/div of both channels beside the picture.
  const int panelX = kRecMargin + kImageWidth + 8;
  const int panelW = kRecFormWidth - panelX - kRecMargin;
  GroupBox1 = make.Group(this, "GroupBox1", "Volts/Div.", panelX, kRecMargin, panelW, kImageHeight);
  for (int ch = 1; ch <= 2; ++ch) {
    const std::size_t c = static_cast<std::size_t>(ch - 1);
    const ChannelControls column = Controls(ch);
    const ChannelControlNames& names = kChannelControlNames[c];
    const int left = 8 + static_cast<int>(c) * (panelW / 2);
    TLabel* label = make.Label(GroupBox1, names.Label, names.Caption, left, 18);
    label->Font().Style = fsBold;
    label->Font().Size = 9;
    label->Font().Color = RecorderState.ChannelColor(ch);
    label->FontChanged();
    column.Label = label;
    for (std::size_t i = 0; i < recorder::RecorderRangeTable.size(); ++i) {
      const auto& row = recorder::RecorderRangeTable[i];
      const int col = static_cast<int>(i % 2), line = static_cast<int>(i / 2);
      column.Ranges[i] = make.Button(GroupBox1, c == 0 ? row.Ch1Button : row.Ch2Button, row.Caption, ch,
                                     left + col * 44, 38 + line * 24, 40);
      column.Ranges[i]->OnClick = [this, ch, i](TObject*) { RangeStepClick(ch, i); };
    }
    column.Ranges[recorder::kRange1V]->SetDown(true);
    const int coupleTop = 38 + 3 * 24 + 4;
    const int coupleLefts[3] = {0, 29, 58}, coupleWidths[3] = {27, 27, 28};
    for (std::size_t i = 0; i < 3; ++i)
      *column.Coupling[i] = make.Button(GroupBox1, names.Coupling[i], kCouplingCaptions[i], names.CouplingGroup,
                                        left + coupleLefts[i], coupleTop, coupleWidths[i]);
    (*column.Coupling[1])->SetDown(true);
    const int onTop = coupleTop + 28;
    auto* on = make.Button(GroupBox1, names.On, "On", names.OnGroup, left, onTop, 40);
    on->SetAllowAllUp(true);
    on->SetDown(true);
    auto* off = make.Button(GroupBox1, names.Off, "OFF", names.OffGroup, left + 44, onTop, 40);
    off->SetAllowAllUp(true);
    column.On = on;
    column.Off = off;
    auto* bar = new TTrackBar(this);
    bar->Name = names.Bar;
    bar->SetParent(GroupBox1);
    bar->SetOrientation(trVertical);
    bar->SetBounds(left + 90, 16, 30, kImageHeight - 24);
    bar->SetParams(0, -128, 127);
    bar->SetPageSize(10);
    bar->SetFrequency(16);
    column.Bar = bar;
  }
  SpeedButton_ac1->OnClick = [this](TObject* s) { SpeedButton_ac1Click(s); };
  SpeedButton_dc1->OnClick = [this](TObject* s) { SpeedButton_dc1Click(s); };
  SpeedButton_gnd1->OnClick = [this](TObject* s) { SpeedButton_gnd1Click(s); };
  SpeedButton__ac2->OnClick = [this](TObject* s) { SpeedButton__ac2Click(s); };
  SpeedButton_dc2->OnClick = [this](TObject* s) { SpeedButton_dc2Click(s); };
  SpeedButton_gnd2->OnClick = [this](TObject* s) { SpeedButton_gnd2Click(s); };
  CH1on->OnClick = [this](TObject* s) { CH1onClick(s); };
  CH2on->OnClick = [this](TObject* s) { CH2onClick(s); };
  SpeedButtonCh1->OnClick = [this](TObject* s) { SpeedButtonCh1Click(s); };
  SpeedButtonCh2->OnClick = [this](TObject* s) { SpeedButtonCh2Click(s); };
  TrackBar1->OnChange = [this](TObject* s) { TrackBar1Change(s); };
  TrackBar2->OnChange = [this](TObject* s) { TrackBar2Change(s); };

  // Run and Single under the channels; the instruments under them.
  const int runY = kRecMargin + kImageHeight + 6;
  const int halfW = (panelW - 6) / 2;
  SpeedButtonRun = make.Button(this, "SpeedButtonRun", "Run", 1, panelX, runY, halfW, 32);
  SpeedButtonSingle = make.Button(this, "SpeedButtonSingle", "Single", 2, panelX + halfW + 6, runY, halfW, 32);
  for (TGrSpeedButton* b : {SpeedButtonRun, SpeedButtonSingle}) {
    b->SetAllowAllUp(true);
    b->Font().Style = fsBold;
    b->Font().Size = 10;
    b->FontChanged();
  }
  SpeedButtonRun->OnClick = [this](TObject* s) { SpeedButtonRunClick(s); };
  SpeedButtonSingle->OnClick = [this](TObject* s) { SpeedButtonSingleClick(s); };

  const int instY = runY + 40;
  SpeedButton5 = make.Button(this, "SpeedButton5", "Oscilloscope", 10, panelX, instY, halfW, 24);
  SpeedButton7 = make.Button(this, "SpeedButton7", "Spectrum Analyzer", 10, panelX + halfW + 6, instY, halfW, 24);
  SpeedButton3 = make.Button(this, "SpeedButton3", "Circuit Analyzer", 10, panelX, instY + 28, halfW, 24);
  SpeedButton6 = make.Button(this, "SpeedButton6", "Transient Recorder", 10, panelX + halfW + 6, instY + 28, halfW,
                             24);
  SpeedButton6->SetDown(true);
  SpeedButton5->OnClick = [this](TObject* s) { SpeedButton5Click(s); };
  SpeedButton7->OnClick = [this](TObject* s) { SpeedButton7Click(s); };
  SpeedButton3->OnClick = [this](TObject* s) { SpeedButton3Click(s); };
  SpeedButton6->OnClick = [this](TObject* s) { SpeedButton6Click(s); };
}

void TForm1_rec::BuildMenus() {
  ControlMaker make(this);
  MainMenu1 = new TMainMenu(this);
  MainMenu1->Name = "MainMenu1";
  TMenuItem* root = MainMenu1->Items();
  File1 = make.Item(root, "File1", "&File", [this](TObject* s) { File1Click(s); });
  OpenData1 = make.Item(File1, "OpenData1", "Open Da&ta...", [this](TObject* s) { OpenData1Click(s); });
  N1 = make.Item(File1, "N1", "Save &Data...", [this](TObject* s) { N1Click(s); });
  N2 = make.Item(File1, "N2", "&AutoSave Data...", [this](TObject* s) { N2Click(s); });
  make.Item(File1, "N3", "-");
  SaveSettings1 = make.Item(File1, "SaveSettings1", "Save Settings...", [this](TObject* s) { SaveSettings1Click(s); });
  RecallSettings1 =
      make.Item(File1, "RecallSettings1", "Recall Settings...", [this](TObject* s) { RecallSettings1Click(s); });
  make.Item(File1, "N4", "-");
  ExittoMenu1 = make.Item(File1, "ExittoMenu1", "Exit to Menu", [this](TObject* s) { ExittoMenu1Click(s); });
  Exit1 = make.Item(File1, "Exit1", "E&xit", [this](TObject* s) { ExitClick(s); });

  View1 = make.Item(root, "View1", "&View");
  Markers1 = make.Item(View1, "Markers1", "&Markers  dV && t", [this](TObject* s) { Markers1Click(s); });
  MarkersVdt1 = make.Item(View1, "MarkersVdt1", "M&arkers  dV && dt", [this](TObject* s) { MarkersVdt1Click(s); });
  BrightGrid1 = make.Item(View1, "BrightGrid1", "Bright &Grid", [this](TObject* s) { BrightGrid1Click(s); });
  SampleRate1 = make.Item(View1, "SampleRate1", "Sample &Rate", [this](TObject* s) { SampleRate1Click(s); });

  Options1 = make.Item(root, "Options1", "&Options");
  Colors1 = make.Item(Options1, "Colors1", "&Colors...", [this](TObject* s) { Colors1Click(s); });

  Help1 = make.Item(root, "Help1", "&Help");
  Help2 = make.Item(Help1, "Help2", "Transient Recorder Help", [this](TObject* s) { Help2Click(s); });
  About2 = make.Item(Help1, "About2", "&About...", [this](TObject* s) { About2Click(s); });
  BuildPictureMenus();
  SetMenu(MainMenu1);

  for (TSaveDialog** dialog : {&SaveDialog2, &SaveDialog3}) {
    *dialog = new TSaveDialog(this);
    (*dialog)->Name = dialog == &SaveDialog2 ? "SaveDialog2" : "SaveDialog3";
    (*dialog)->SetFilter("Text file (*.txt)|*.txt|All files (*.*)|*.*");
    (*dialog)->SetDefaultExt("txt");
  }
}

void TForm1_rec::FormCreate(TObject* /*Sender*/) {
  for (int channel = 1; channel <= 2; ++channel) {
    RecorderState.Channel(channel).Shift = 0;
    RecorderState.Channel(channel).ZeroLevel = 127;
    Trace(channel).PreviousPosition = Controls(channel).Bar->Position();
  }
  SpeedButton1->SetEnabled(false);
  SpeedButton2->SetEnabled(false);
  RecorderState.RecPageStart = 2000;
  RecorderState.RecSingleMode = RecorderState.RecAutoSaveOn = RecorderState.RecFileReplay = RecorderState.RecKeepDisplayStep = RecorderState.RecNoData = 0;
  RecorderState.RecStopped = 1;
  for (recorder::RecorderChannel& channel : RecorderState.Channels) channel.On = 1;
  Timer1->SetEnabled(false);
  Timer2->SetEnabled(false);
  Label3->SetCaption("      Ready");

  X0 = kImageWidth / 2 - 320;
  Y0 = kImageHeight / 2 - 129;
  ReadoutY = kImageHeight - 20;
  RecorderState.RecTimeMarker1X = X0 + 16;
  RecorderState.RecTimeMarker2X = X0 + 624;
  RecorderState.RecVoltMarker1Y = Y0 + 16;
  RecorderState.RecVoltMarker2Y = Y0 + 240;
  RecorderState.RecTimeDivText = "1s";
  for (recorder::RecorderChannel& channel : RecorderState.Channels) channel.Text = channel.Label = "5V";
  RecorderState.TimeUnitValue = RecorderState.RecordedTimeUnit = 500;
  FastTimer1->SetInterval(10);
  RecorderState.ZoomStep = RecorderState.RecDisplayStep = 6.25;
  ScopeState.Settings.TimeBaseCode = 0;
  for (recorder::RecorderChannelSettings& channel : RecorderState.Settings.Channels)
    channel.RangeRow = recorder::kRange1V;
  PaintBox1->SetEnabled(false);
  for (int channel = 1; channel <= 2; ++channel) {
    const recorder::ScopeChannelTerms scope = recorder::ScopeChannel(ScopeState, channel);
    RecorderState.Channel(channel).OffsetSum = scope.OffsetCal + scope.PositionDac;
  }
  RecorderState.RecBlock.fill(recorder::kNoData);
  RecorderState.RecPos = 0;
  RecorderState.RecLength = 2000;
  DemoTable = recorder::BuildDemoSources();

  RecView.Image = Image1;
  RecView.X0 = X0;
  RecView.Y0 = Y0;
  RecView.VScale = 1;
  TCanvas* canvas = Image1->Canvas();
  canvas->Font.Size = 8;
  DerivePens();
  // The recorder is seldom opened: its grid is drawn when it first shows
  // (or its picture is read before), as it looks now.
  Image1->Picture()->DrawWhenUsed([look = TakeGridLook()](TBitmap& picture) { DrawGrid(*picture.Canvas(), look); },
                                  true);
  Image1->Invalidate();
}

void TForm1_rec::FormCloseQuery(TObject* /*Sender*/, bool& CanClose) {
  if (!RecorderState.RecStopped) {
    lopetus();
    Application->ProcessMessagesUntil([this] { return !FastTimer1->Enabled(); });
  }
  CanClose = RecorderState.RecStopped != 0;
}

void TForm1_rec::FormClose(TObject* /*Sender*/, TCloseAction& Action) {
  Action = caHide;
  Hide();
  if (engine::ScopeWindow* scopeWindow = engine::TheScopeWindow()) {
    TForm& scope = scopeWindow->Window();
    scope.SetBounds(Left(), Top(), scope.Width(), Height());
    scope.Show();
    if (!RecorderState.InstrumentSwitch) scope.Close();
  }
}

void TForm1_rec::Timer1Timer(TObject* /*Sender*/) {
  Timer1->SetEnabled(false);
  Close();
}
