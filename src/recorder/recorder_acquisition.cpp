// The recorder's engine: one sample pair per tick through the oscilloscope
// engine's device link, Run with its wrap and Single with its end, start and
// stop, the live trace and the demo source.
#include <algorithm>

#include <QDateTime>
#include <QLocale>

#include "device/scope_device.h"
#include "engine/control_panel.h"
#include "engine/acquisition/acquisition_controller.h"
#include "engine/front_panel/front_panel_controller.h"
#include "engine/scope_window.h"
#include "engine/scope_state.h"
#include "recorder/add_text_rec.h"
#include "recorder/recorder_form.h"
#include "recorder/recorder_readouts.h"
#include "recorder/recorder_state.h"
#include "recorder/scope_channel.h"

namespace {

constexpr std::uint32_t kPollTimeoutMs = 20;
constexpr std::size_t kHeaderChars = 50;
constexpr std::size_t kDateChars = 127;
constexpr TColor kRecordingColor = 0x0000FF;
constexpr const char* kNoDataText = "NO DATA - CHECK OSCILLOSCOPE CONNECTION!";

// Date and time in the user's formats, separated by a TAB.
std::string NowText() {
  const QDateTime now = QDateTime::currentDateTime();
  const QLocale locale = QLocale::system();
  const std::string text = (locale.toString(now.date(), QLocale::ShortFormat) + "\t" +
                            locale.toString(now.time(), "HH:mm:ss"))
                               .toStdString();
  return text.substr(0, kDateChars);
}

}  // namespace

// ---------------------------------------------------------------- samples

bool TForm1_rec::LueData() {
  if (ScopeState.DemoMode || !engine::TheScopeWindow()) return false;
  // A short reply is no sample.
  const std::optional<device::RecorderSample> sample = Device().ReadRecorderSample(kPollTimeoutMs);
  if (!sample) return false;
  const std::size_t pos = RecorderState.RecPos;
  RecBufCh2[pos] = sample->Ch2;
  RecBufCh1[pos] = sample->Ch1;
  return true;
}

void TForm1_rec::LueDemo() {
  RecorderState.DemoIndex %= 600;
  if (RecorderState.DemoIndex < 0) RecorderState.DemoIndex += 600;
  RecBufCh2[RecorderState.RecPos] = DemoArrays.Ch2[static_cast<std::size_t>(RecorderState.DemoIndex / 2)] & 0xFF;
  RecBufCh1[RecorderState.RecPos] = DemoArrays.Ch1[static_cast<std::size_t>(RecorderState.DemoIndex / 2)] & 0xFF;
  RecorderState.DemoIndex = static_cast<std::int32_t>((RecorderState.DemoIndex + 2LL * RecorderState.DemoStep) % 600);
}

void TForm1_rec::FastTimer1Timer(TObject* /*Sender*/) {
  if (RecorderState.RecStopped) {
    FastTimer1->SetEnabled(false);
    return;
  }
  bool sampled = false;
  if (ScopeState.DemoMode) {
    LueDemo();
    sampled = true;
  } else {
    // Polls until the device has a sample ready; a reply that came short is
    // polled for again within the same budget.
    for (int polls = 0; polls < kPollLimit && !sampled; ++polls) {
      if (engine::TheScopeWindow() && Device().PollDone(1, kPollTimeoutMs)) sampled = LueData();
      if (!Device().IsOpen()) break;
    }
    FastTimer1->SetEnabled(!RecorderState.RecStopped);
  }
  if (!sampled) {
    StopOnNoData();
    return;
  }

  // AutoSave row.
  if (RecorderState.RecAutoSaveOn) WriteAutoSaveRow();

  // Run wraps: the sample just stored becomes the first of the next pass.
  if (RecorderState.RecPos == recorder::kWrapPos) {
    RecBufCh1[0] = RecBufCh1[recorder::kWrapPos];
    RecBufCh2[0] = RecBufCh2[recorder::kWrapPos];
    paintbox_1();
    RecorderState.RecPos = 0;
    RecLastColumn = 0;
    for (ChannelTrace& trace : Traces) trace.LivePoints.clear();
  }

  // Live trace: 320 columns of 2 pixels, one point per 6.25 samples.
  if (RecorderState.RecPos == 1) {
    LiveX = X0 + 1;
    for (int channel = 1; channel <= 2; ++channel) Trace(channel).LiveY = Y0 + Controls(channel).Record[1];
  } else {
    const int c = recorder::LiveColumn(RecorderState.RecPos);
    if (c > RecLastColumn) {
      const int x = X0 + 2 * c;
      TCanvas* canvas = PaintBox1->Canvas();
      canvas->Pen.Mode = pmCopy;
      canvas->Pen.Style = psSolid;
      canvas->Pen.Width = 1;
      // CH2 first: CH1 is drawn over it.
      for (int channel = 2; channel >= 1; --channel) {
        if (!RecorderState.Channel(channel).On) continue;
        ChannelTrace& trace = Trace(channel);
        const int newY = Y0 + Controls(channel).Record[RecorderState.RecPos];
        canvas->Pen.Color = RecorderState.ChannelColor(channel);
        canvas->MoveTo(LiveX, trace.LiveY);
        canvas->LineTo(x, newY);
        trace.LivePoints.push_back({LiveX, trace.LiveY});
        trace.LiveY = newY;
      }
      LiveX = x;
      RecLastColumn = c;
      PaintBox1->Invalidate();
    }
  }

  ++RecorderState.RecPos;
  if (RecorderState.RecSingleMode && RecorderState.RecPos == recorder::kWrapPos) lopetus();
}

void TForm1_rec::StopOnNoData() {
  FastTimer1->SetEnabled(false);
  // A device lost during this recording has been reported as such: one
  // fault, one message.
  if (!(deviceAtStart_ && !Device().IsOpen())) MessageDlg(kNoDataText, mtWarning, mbOK, 0);
  RecClearPending = 1;
  // The record ends at the samples really read; nothing older stays in it.
  RecorderState.RecNoData = 1;
  if (!RecorderState.RecStopped) lopetus();
}

// ---------------------------------------------------------------- start and stop

void TForm1_rec::LockForRecording(bool recording, TSpeedButton* pressed) {
  const bool on = !recording;
  Time_div->SetEnabled(on);
  // The steps look as they act: greyed while the sample clock runs.
  for (TGrSpeedButton* b : TimeButtons) b->SetEnabled(on);
  for (TControl* c : {static_cast<TControl*>(SpeedButton3), static_cast<TControl*>(SpeedButton5),
                      static_cast<TControl*>(SpeedButton6), static_cast<TControl*>(SpeedButton7)})
    c->SetEnabled(on);
  for (TMenuItem* m : {Options1, Help1, View1, OpenData1, N1, N2, Edit2, Open1, Save1, Print1, PrintSetup1})
    if (m) m->SetEnabled(on);
  for (int channel = 1; channel <= 2; ++channel) Controls(channel).On->SetEnabled(on);
  ScrollBar2->SetEnabled(on);
  if (recording) {
    if (Form_9rec) Form_9rec->Hide();
    if (pressed != SpeedButtonRun) SpeedButtonRun->SetEnabled(false);
    if (pressed != SpeedButtonSingle) SpeedButtonSingle->SetEnabled(false);
    Panel2->SetColor(kRecordingColor);
    Label3->Font().Style = fsBold;
    Label3->FontChanged();
    Label3->SetCaption("Recording");
  } else {
    GroupBox1->SetEnabled(true);
    SpeedButtonRun->SetEnabled(true);
    SpeedButtonSingle->SetEnabled(true);
    Panel2->SetColor(clBtnFace);
    Label3->Font().Style = 0;
    Label3->FontChanged();
    Label3->SetCaption("    Stopped");
  }
}

void TForm1_rec::aloitus() {
  deviceAtStart_ = Device().IsOpen();
  RecorderState.RecStopped = 0;
  RecClearPending = 1;
  putsataanko();
  TrackBar1Change(this);
  TrackBar2Change(this);
  for (int channel = 1; channel <= 2; ++channel)
    recorder::ScopeChannel(ScopeState, channel).RateTrim = RecorderState.Channel(channel).RateTrim;
  // The device records untriggered at the recorder's fixed time-base code;
  // the scope's trigger stays as its buttons show it.
  RecorderState.Settings.TriggerHeldOff = true;
  ScopeState.FrontEndHolder = recorder::RecorderFrontEnd(RecorderState.Settings);
  ScopeState.Settings.TimeBaseCode = 32;
  asetus("", 0);
  RecorderState.DemoIndex = 0;
  RecorderState.RecHeaderTimeText = RecorderState.RecTimeDivText.substr(0, kHeaderChars);
  for (recorder::RecorderChannel& channel : RecorderState.Channels) channel.HeaderText = channel.Text.substr(0, kHeaderChars);
  RecorderState.RecStartText = NowText();
  RecorderState.AutoSaveRowNumber = 0;
  // Controls that would disturb a recording stay locked until it ends.
  TSpeedButton* pressed = SpeedButtonSingle->Down() ? SpeedButtonSingle : SpeedButtonRun;
  LockForRecording(true, RecorderState.RecFileReplay ? nullptr : pressed);
  if (RecorderState.RecFileReplay) {
    SpeedButtonRun->SetEnabled(false);
    SpeedButtonSingle->SetEnabled(false);
  }
  Application->ProcessMessages();
  if (RecorderState.RecStopped) return;  // stopped while the messages ran
  RecorderState.RecStopped = 0;
  for (ChannelTrace& trace : Traces) trace.LivePoints.clear();
  RecorderState.RecPos = 0;
  RecLastColumn = 0;
  ScopeState.Settings.TimeBaseCode = 153;
  if (engine::ScopeWindow* scopeWindow = engine::TheScopeWindow()) scopeWindow->FrontPanel().Set_DACs();
  // The live view always shows 100 samples per division.
  if (RecorderState.TimeUnitValue == 500) {
    TulostaTeksti(RecorderState.RecTimeDivText, X0 + 151, RecorderState.RecBackgroundColor, 3);
    TulostaTeksti("1s", X0 + 151, RecorderState.RecTimeMarkerColor, 3);
  }
  poisto();
  if (Form_9rec) Form_9rec->note();
  paintbox_1();
  if (RecorderState.RecFileReplay) {
    const std::size_t slash = RecorderState.RecFileName.find_last_of('/');
    SetCaption("Transient Recorder - " + (slash == std::string::npos ? RecorderState.RecFileName : RecorderState.RecFileName.substr(slash + 1)));
  } else {
    engine::ScopeWindow* scopeWindow = engine::TheScopeWindow();
    if (!ScopeState.DemoMode && !(scopeWindow && scopeWindow->Acquisition().SingleClick0())) {
      // The device never delivered its start capture.
      StopOnNoData();
      return;
    }
    SetCaption("Transient Recorder");
    SpeedButton1->SetEnabled(false);
    SpeedButton2->SetEnabled(false);
    RecorderState.RecPageStart = 2000;
    kursoriaika();
    if (!ScopeState.DemoMode && engine::TheScopeWindow()) {
      LueData();
      Device().Resetoi_500();
    }
    FastTimer1->SetEnabled(true);
    if (RecorderState.RecAutoSaveOn) WriteAutoSaveHeader();
  }
  Timer2->SetEnabled(false);
}

void TForm1_rec::lopetus() {
  // The last samples still in the device are read before the end.
  FastTimer1->SetEnabled(false);
  if (!RecorderState.RecFileReplay && !RecorderState.RecNoData) LueData();
  RecorderState.RecStopText = NowText();
  if (RecorderState.RecAutoSaveOn && !RecorderState.RecFileReplay) WriteAutoSaveTrailer();
  if (RecorderState.RecNoData) {
    RecorderState.RecLength = RecorderState.RecPos;
    for (int i = RecorderState.RecPos; i <= recorder::kLastEntry; ++i) RecBufCh1[i] = RecBufCh2[i] = recorder::kNoData;
  } else if (RecorderState.RecPos > 1) {
    RecorderState.RecLength = RecorderState.RecPos - 1;
    for (int i = RecorderState.RecPos; i <= recorder::kLastEntry; ++i) RecBufCh1[i] = RecBufCh2[i] = recorder::kNoData;
  }
  paintbox_0();
  if (!RecorderState.RecKeepDisplayStep) {
    RecorderState.RecDisplayStep = RecorderState.ZoomStep;
    RecorderState.RecordedTimeUnit = RecorderState.TimeUnitValue;
  }
  putsataanko();
  piirrot();
  // Run and Single come up; the controls unlock.
  SpeedButtonRun->SetDown(false);
  SpeedButtonSingle->SetDown(false);
  LockForRecording(false, nullptr);
  RecorderState.RecSingleMode = 0;
  RecorderState.RecStopped = 1;
  RecorderState.RecNoData = 0;
  if (ScrollBar2->Position() != 0) ScrollBar2->SetPosition(0);  // runs its change handler
  else ScrollBar2Change(this);
  RecorderState.RecScrollOffset = 0;
  if (RecorderState.TimeUnitValue == 500) {
    TulostaTeksti("1s", X0 + 151, RecorderState.RecBackgroundColor, 3);
    TulostaTeksti(RecorderState.RecTimeDivText, X0 + 151, RecorderState.RecTimeMarkerColor, 3);
  }
}

void TForm1_rec::ReleaseScopeRunAndSingle() {
  engine::ScopeWindow* scopeWindow = engine::TheScopeWindow();
  for (FrontPanelControls* panel : {scopeWindow ? &scopeWindow->Panel() : nullptr, static_cast<FrontPanelControls*>(Form11)}) {
    if (!panel) continue;
    if (panel->SpeedButtonRun) panel->SpeedButtonRun->SetDown(false);
    if (panel->SpeedButtonSingle) panel->SpeedButtonSingle->SetDown(false);
  }
}

void TForm1_rec::SpeedButtonRunClick(TObject* /*Sender*/) {
  for (recorder::RecorderChannel& channel : RecorderState.Channels) channel.Shift = 0;
  if (SpeedButtonRun->Down()) {
    ReleaseScopeRunAndSingle();
    ScopeState.RunStop = ScopeState.SingleStop = 1;
    aloitus();
  } else {
    lopetus();
    ScopeState.StartupTick |= recorder::kUserStoppedBit;
  }
}

void TForm1_rec::SpeedButtonSingleClick(TObject* /*Sender*/) {
  for (recorder::RecorderChannel& channel : RecorderState.Channels) channel.Shift = 0;
  if (SpeedButtonSingle->Down()) {
    ReleaseScopeRunAndSingle();
    ScopeState.RunStop = ScopeState.SingleStop = 1;
    RecorderState.RecSingleMode = 1;
    aloitus();
  } else {
    lopetus();
    ScopeState.StartupTick |= recorder::kUserStoppedBit;
  }
}

// ---------------------------------------------------------------- live picture

void TForm1_rec::paintbox_1() {
  PaintBox1->SetEnabled(true);
  PaintBox1->Picture()->Assign(*Image1->Picture());
  PaintBox1->SetVisible(true);
  PaintBox1->BringToFront();
  PaintBox1->Invalidate();
}

void TForm1_rec::paintbox_0() { PaintBox1->SetVisible(false); }

void TForm1_rec::Timer2Timer(TObject* /*Sender*/) {
  if (PaintBox1->Visible()) {
    paintbox_1();
    TCanvas* canvas = PaintBox1->Canvas();
    canvas->Pen.Mode = pmCopy;
    // CH2 first: CH1 is drawn over it.
    for (int channel = 2; channel >= 1; --channel) {
      const ChannelTrace& trace = Trace(channel);
      if (!RecorderState.Channel(channel).On || trace.LivePoints.empty()) continue;
      std::vector<TPoint> points = trace.LivePoints;
      points.push_back({LiveX, trace.LiveY});
      canvas->Pen.Color = RecorderState.ChannelColor(channel);
      canvas->Polyline(points);
    }
    PaintBox1->Invalidate();
  }
  Timer2->SetEnabled(false);
}

void TForm1_rec::FormPaint(TObject* /*Sender*/) { Timer2->SetEnabled(true); }

// ---------------------------------------------------------------- demo source

void TForm1_rec::tee_demo_taulut() {
  Ch1RangeButtons[recorder::kRange1V]->SetDown(true);
  SpeedButton15v1Click(this);
  Ch2RangeButtons[recorder::kRange1V]->SetDown(true);
  SpeedButton15v2Click(this);
  TimeButtons[recorder::kStep1s]->SetDown(true);
  SpeedButton50usClick(this);
  ScopeState.Settings.TimeBaseCode = 32;
  RecClearPending = 1;
  putsataanko();
  DemoTable = recorder::BuildDemoSources();
  tee_demo();
}

void TForm1_rec::tee_demo() {
  TulostaTeksti("DEMO", X0 + 240, RecorderState.RecBrightGridColor, 3);
  DemoArrays = recorder::BuildDemoDisplay(DemoTable, RecorderState.Settings.Channel(1).GainCode(), RecorderState.Settings.Channel(2).GainCode(),
                                          Controls(1).Bar->Position(), Controls(2).Bar->Position());
}
