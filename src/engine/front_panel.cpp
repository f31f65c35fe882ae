// Layout of the front panel: channels and trigger side by side on top, the
// time base under them with Run and Single at its right. The same code
// builds the main window's panel and the twin panel of the Big Screen.
#include "engine/front_panel.h"

#include <array>
#include <map>
#include <utility>

#include "engine/scope_state.h"
#include "engine/step_tables.h"
#include "display/display_state.h"
#include "widgets/control_maker.h"

namespace {

constexpr int kButtonH = 21;
constexpr int kRangeW = 50;   // volts/div, probe, "On", "Autoset"
constexpr int kCoupleW = 32;  // AC / DC / GND
constexpr int kTrigW = 44;
constexpr int kTimeW = 50;
constexpr int kTimeStep = 53;
constexpr int kRowStep = 24;

constexpr int kChannelsW = 328;
constexpr int kChannelsH = 196;
constexpr int kTriggerLeft = 334;
constexpr int kTriggerW = kFrontPanelWidth - kTriggerLeft;
constexpr int kTimeTop = 200;
constexpr int kTimeGroupW = 434;
constexpr int kTimeGroupH = kFrontPanelHeight - kTimeTop;
constexpr int kRunLeft = kTimeGroupW + 8;
constexpr int kRunW = kFrontPanelWidth - kRunLeft;

// An edge: low, up (or down) through the middle, high.
void DrawEdge(TCanvas& c, int x0, int w, int h, bool rising) {
  const int cx = x0 + w / 2;
  const int top = h / 2 - 6, bottom = h / 2 + 5;
  const int lowY = rising ? bottom : top, highY = rising ? top : bottom;
  c.LineInclusive(cx - 9, lowY, cx, lowY);
  c.LineInclusive(cx, lowY, cx, highY);
  c.LineInclusive(cx, highY, cx + 9, highY);
  // Arrow head on the edge, pointing the way the signal goes.
  const int mid = h / 2, dir = rising ? -1 : 1;
  c.LineInclusive(cx - 3, mid - 2 * dir, cx, mid + dir);
  c.LineInclusive(cx + 3, mid - 2 * dir, cx, mid + dir);
}
void DrawRising(TCanvas& c, int x0, int w, int h) { DrawEdge(c, x0, w, h, true); }
void DrawFalling(TCanvas& c, int x0, int w, int h) { DrawEdge(c, x0, w, h, false); }

// The trigger point brought back to its place: a marker between two arrows.
void DrawCentre(TCanvas& c, int x0, int w, int h) {
  const int cx = x0 + w / 2, cy = h / 2;
  c.LineInclusive(cx, cy - 6, cx, cy + 6);
  c.LineInclusive(cx - 12, cy, cx - 4, cy);
  c.LineInclusive(cx - 7, cy - 3, cx - 4, cy);
  c.LineInclusive(cx - 7, cy + 3, cx - 4, cy);
  c.LineInclusive(cx + 4, cy, cx + 12, cy);
  c.LineInclusive(cx + 7, cy - 3, cx + 4, cy);
  c.LineInclusive(cx + 7, cy + 3, cx + 4, cy);
}


constexpr const char* kProbeCaptions[2] = {"x1", "x10"};

// The position and level sliders: upright, full group height.
TTrackBar* OffsetBar(ControlMaker& make, TWinControl* parent, const char* name, int l, int min, int max, int position) {
  auto* bar = make.Bar(parent, name, trVertical, l, 16, 30, kChannelsH - 24, min, max, position);
  bar->SetPageSize(10);
  bar->SetFrequency(16);
  return bar;
}

// Where the panel keeps each channel's controls, and what else sets the two
// columns apart besides the names they share with the recorder.
struct ChannelColumn {
  PanelControl<TLabel> Label;
  TColor display::DisplaySharedState::*Color;
  int RangeGroup;
  engine::PanelButton engine::RangeStep::*RangeButton;
  std::array<const char*, 6> RangeNames;  // least sensitive first
  std::array<engine::PanelButton, 3> Coupling;
  int ProbeGroup;
  std::array<const char*, 2> ProbeNames;  // x1, x10
  std::array<engine::PanelButton, 2> Probe;
  engine::PanelButton On;
  const char* AutosetName;
  engine::PanelButton Autoset;
  engine::PanelButton Off;
  PanelControl<TTrackBar> Bar;
};

using FP = FrontPanelControls;
const ChannelColumn kChannelColumns[2] = {
    {&FP::LabelCh1, &display::DisplaySharedState::Ch1Color, 1, &engine::RangeStep::Ch1Button,
     {"SpeedButton28", "SpeedButton15v1", "SpeedButton5v1", "SpeedButton1p5v1", "SpeedButton05v1", "SpeedButton015v1"},
     {&FP::SpeedButton_ac1, &FP::SpeedButton_dc1, &FP::SpeedButton_gnd1}, 751, {"x11", "x101"}, {&FP::x11, &FP::x101},
     &FP::CH1on, "Autoset1", &FP::Autoset1, &FP::SpeedButtonCh1, &FP::TrackBar1},
    {&FP::LabelCh2, &display::DisplaySharedState::Ch2Color, 2, &engine::RangeStep::Ch2Button,
     {"SpeedButton29", "SpeedButton15v2", "SpeedButton5v2", "SpeedButton1p5v2", "SpeedButton05v2", "SpeedButton015v2"},
     {&FP::SpeedButton__ac2, &FP::SpeedButton_dc2, &FP::SpeedButton_gnd2}, 752, {"x12", "x102"}, {&FP::x12, &FP::x102},
     &FP::CH2on, "Autoset2", &FP::Autoset2, &FP::SpeedButtonCh2, &FP::TrackBar2},
};

void BuildChannel(ControlMaker& make, FrontPanelControls& p, const display::DisplaySharedState& display, int channel, int left) {
  TWinControl* box = p.GroupBox1;
  const ChannelColumn& c = kChannelColumns[channel - 1];
  const ChannelControlNames& n = kChannelControlNames[static_cast<std::size_t>(channel - 1)];

  TLabel* label = make.Label(box, n.Label, n.Caption, left, 18);
  label->Font().Style = fsBold;
  label->Font().Size = 9;
  label->Font().Color = display.*c.Color;
  label->FontChanged();
  p.*c.Label = label;

  // Volts/div: two columns, least sensitive at the top left.
  for (std::size_t i = 0; i < engine::RangeTable.size(); ++i) {
    const auto& row = engine::RangeTable[i];
    const int col = static_cast<int>(i % 2), line = static_cast<int>(i / 2);
    p.*(row.*c.RangeButton) = make.Button(box, c.RangeNames[i], row.CaptionX1, c.RangeGroup,
                                          left + col * (kRangeW + 4), 38 + line * kRowStep, kRangeW);
  }
  (p.*(engine::RangeTable[engine::kRange1V].*c.RangeButton))->SetDown(true);

  const int coupleTop = 38 + 3 * kRowStep + 4;
  const int coupleWidths[3] = {kCoupleW, kCoupleW, kCoupleW + 2};
  for (std::size_t i = 0; i < 3; ++i)
    p.*c.Coupling[i] = make.Button(box, n.Coupling[i], kCouplingCaptions[i], n.CouplingGroup,
                                   left + static_cast<int>(i) * (kCoupleW + 5), coupleTop, coupleWidths[i]);
  (p.*c.Coupling[1])->SetDown(true);

  const int probeTop = coupleTop + kRowStep;
  for (std::size_t i = 0; i < 2; ++i)
    p.*c.Probe[i] = make.Button(box, c.ProbeNames[i], kProbeCaptions[i], c.ProbeGroup,
                                left + static_cast<int>(i) * (kRangeW + 4), probeTop, kRangeW);
  (p.*c.Probe[0])->SetDown(true);

  const int onTop = probeTop + kRowStep + 4;
  auto* on = make.Button(box, n.On, "On", n.OnGroup, left, onTop, kRangeW);
  on->SetAllowAllUp(true);
  on->SetDown(true);
  auto* autoset = make.Button(box, c.AutosetName, "Autoset", 0, left + kRangeW + 4, onTop, kRangeW);
  // The hidden companion of "On": down while the channel is hidden.
  auto* off = make.Button(box, n.Off, "OFF", n.OffGroup, left, onTop, kRangeW);
  off->SetAllowAllUp(true);
  off->SetVisible(false);
  p.*c.On = on;
  p.*c.Autoset = autoset;
  p.*c.Off = off;

  p.*c.Bar = OffsetBar(make, box, n.Bar, left + 2 * kRangeW + 10, -128, 127, 0);
}

void BuildTrigger(ControlMaker& make, FrontPanelControls& p) {
  TWinControl* box = p.Trigger;
  const int l = 8, l2 = l + kTrigW + 4, l3 = l2 + kTrigW + 4;
  p.SpeedButton3 = make.Button(box, "SpeedButton3", "Ch1", 5, l, 20, kTrigW);
  p.SpeedButton4 = make.Button(box, "SpeedButton4", "Ch2", 5, l2, 20, kTrigW);
  p.SpeedButton_ext = make.Button(box, "SpeedButton_ext", "Ext", 5, l3, 20, kTrigW);
  p.SpeedButton_ext->SetVisible(false);
  p.SpeedButton3->SetDown(true);

  p.SpeedButton5 = make.Button(box, "SpeedButton5", "", 6, l, 20 + kRowStep, kTrigW, kButtonH, DrawRising);
  p.SpeedButton6 = make.Button(box, "SpeedButton6", "", 6, l2, 20 + kRowStep, kTrigW, kButtonH, DrawFalling);
  p.SpeedButton5->SetDown(true);

  p.SpeedButton7 = make.Button(box, "SpeedButton7", "On", 7, l, 20 + 2 * kRowStep, kTrigW);
  p.SpeedButton8 = make.Button(box, "SpeedButton8", "Off", 7, l2, 20 + 2 * kRowStep, kTrigW);
  p.SpeedButton8->SetDown(true);

  p.SpeedButton24 = make.Button(box, "SpeedButton24", "", 0, l, 20 + 3 * kRowStep + 4, 2 * kTrigW + 4, kButtonH,
                                DrawCentre);

  p.TrackBar3 = OffsetBar(make, box, "TrackBar3", kTriggerW - 40, 0, 255, 128);

  p.Panel2 = new TPanel(box->Owner());
  p.Panel2->Name = "Panel2";
  p.Panel2->SetParent(box);
  p.Panel2->SetBevelOuter(bvLowered);
  p.Panel2->SetBounds(l, kChannelsH - 40, kTriggerW - 56, 30);
  p.Panel2->SetCaption("");
  p.Label3 = make.Label(p.Panel2, "Label3", "Trigger off", 6, 8);
}

void BuildTimeBase(ControlMaker& make, FrontPanelControls& p) {
  // Seven to a row, slowest at the top left; the span buttons take the same
  // places in the spectrum box, "6M" and "12M" after "3M".
  const char* timeNames[21] = {
      "SpeedButton500ms", "SpeedButton200ms", "SpeedButton50us", "SpeedButton01s",  "SpeedButton50ms",
      "SpeedButton20ms",  "SpeedButton10ms",  "SpeedButton5ms",  "SpeedButton2ms",  "SpeedButton1ms",
      "SpeedButton05ms",  "SpeedButton02ms",  "SpeedButton01ms", "SpeedButton20us", "SpeedButton10us",
      "SpeedButton5us",   "SpeedButton2us",   "SpeedButton1us",  "SpeedButton05us", "SpeedButton02us",
      "SpeedButton01us"};
  const char* timeCaptions[21] = {"500ms", "200ms", "100ms", "50ms", "20ms", "10ms", "5ms",
                                  "2ms",   "1ms",   "0.5ms", "0.2ms", "0.1ms", "50us", "20us",
                                  "10us",  "5us",   "2us",   "1us",   "0.5us", "0.2us", "0.1us"};
  TGrSpeedButton** spanSlots[17] = {
      &p.SpeedButton120Hz, &p.SpeedButton300Hz, &p.SpeedButton01, &p.SpeedButton1,  &p.SpeedButton2,
      &p.SpeedButton9,     &p.SpeedButton10,    &p.SpeedButton11, &p.SpeedButton12, &p.SpeedButton13,
      &p.SpeedButton14,    &p.SpeedButton15,    &p.SpeedButton16, &p.SpeedButton18, &p.SpeedButton17,
      &p.SpeedButton19,    &p.SpeedButton20};
  const char* spanNames[17] = {"SpeedButton120Hz", "SpeedButton300Hz", "SpeedButton01", "SpeedButton1",
                               "SpeedButton2",     "SpeedButton9",     "SpeedButton10", "SpeedButton11",
                               "SpeedButton12",    "SpeedButton13",    "SpeedButton14", "SpeedButton15",
                               "SpeedButton16",    "SpeedButton18",    "SpeedButton17", "SpeedButton19",
                               "SpeedButton20"};
  const char* spanCaptions[17] = {"120Hz", "300Hz", "600Hz", "1.2k", "3k", "6k",  "12k", "30k", "60k",
                                  "120k",  "300k",  "0.6M",  "1.2M", "3M", "6M", "12M", "25M"};
  auto place = [](int i, int& x, int& y) {
    x = 8 + (i % 7) * kTimeStep;
    y = 18 + (i / 7) * kRowStep;
  };

  int stepIndex = 0;
  for (const auto& row : engine::TimeBaseTable) {
    if (!row.Button) continue;
    int x = 0, y = 0;
    place(stepIndex, x, y);
    p.*row.Button = make.Button(p.Time_div, timeNames[stepIndex], timeCaptions[stepIndex], 4, x, y, kTimeW);
    ++stepIndex;
  }
  p.SpeedButton2ms->SetDown(true);

  for (int i = 0; i < 17; ++i) {
    int x = 0, y = 0;
    place(i, x, y);
    *spanSlots[i] = make.Button(p.Freq_Range, spanNames[i], spanCaptions[i], 22, x, y, kTimeW);
  }
  p.SpeedButton13->SetDown(true);
  p.SpeedButton20->SetVisible(false);

  // "S/L" at the end of the fastest row, where it matters.
  const int slLeft = 8 + 7 * kTimeStep;
  p.SpeedButton005us = make.Button(p.Time_div, "SpeedButton005us", "S/L", 8, slLeft, 18 + 2 * kRowStep,
                                   kTimeGroupW - slLeft - 8);
  p.SpeedButton005us->SetAllowAllUp(true);
  p.SpeedButton005us->SetEnabled(false);
}

}  // namespace

std::array<TGrSpeedButton*, 6> FrontPanelControls::RangeButtons(int channel) const {
  if (channel == 1)
    return {SpeedButton28, SpeedButton15v1, SpeedButton5v1, SpeedButton1p5v1, SpeedButton05v1, SpeedButton015v1};
  return {SpeedButton29, SpeedButton15v2, SpeedButton5v2, SpeedButton1p5v2, SpeedButton05v2, SpeedButton015v2};
}

void BuildFrontPanel(TForm* owner, TWinControl* parent, FrontPanelControls& panel, const display::DisplaySharedState& display) {
  ControlMaker make(owner);
  FrontPanelControls& p = panel;

  p.GroupBox1 = make.Group(parent, "GroupBox1", "Volts/Div.", 0, 0, kChannelsW, kChannelsH);
  BuildChannel(make, p, display, 1, 8);
  BuildChannel(make, p, display, 2, 8 + kChannelsW / 2);

  p.Trigger = make.Group(parent, "Trigger", "Trigger", kTriggerLeft, 0, kTriggerW, kChannelsH);
  BuildTrigger(make, p);

  p.Time_div = make.Group(parent, "Time_div", "Time/Div.", 0, kTimeTop, kTimeGroupW, kTimeGroupH);
  p.Freq_Range = make.Group(parent, "Freq_Range", "Freq. Range", 0, kTimeTop, kTimeGroupW, kTimeGroupH);
  p.Freq_Range->SetVisible(false);
  BuildTimeBase(make, p);

  // Run and Single: large, beside the time base; each stays down while its
  // capture loop runs and releases on its own click.
  const int runH = 32;
  p.SpeedButtonRun = make.Button(parent, "SpeedButtonRun", "Run", 1, kRunLeft, kTimeTop + 8, kRunW, runH);
  p.SpeedButtonRun->SetAllowAllUp(true);
  p.SpeedButtonSingle =
      make.Button(parent, "SpeedButtonSingle", "Single", 2, kRunLeft, kTimeTop + 16 + runH, kRunW, runH);
  p.SpeedButtonSingle->SetAllowAllUp(true);
  for (TGrSpeedButton* b : {p.SpeedButtonRun, p.SpeedButtonSingle}) {
    b->Font().Style = fsBold;
    b->Font().Size = 10;
    b->FontChanged();
  }
}
