// The settings packet as the scope builds it: the seven control bytes from
// the engine state, the offset DACs, and the two apply operations through
// which every front-panel change reaches the device and the picture.
#include <algorithm>
#include <optional>

#include "engine/add_text.h"
#include "engine/big_screen.h"
#include "engine/control_panel.h"
#include "engine/main_form.h"
#include "device/scope_device.h"
#include "engine/scope_state.h"
#include "engine/settings_packet.h"
#include "platform/os/numeric.h"
#include "engine/instrument_links.h"
#include "display/display_state.h"

namespace {

// Sum of the offset terms in 8-bit arithmetic: each term and the sum wrap.
std::uint8_t OffsetByte(std::int32_t cal, std::int32_t rangeTrim, std::int32_t rateTrim,
                        std::int32_t position) {
  const std::uint32_t sum = static_cast<std::uint32_t>(cal) + static_cast<std::uint32_t>(rangeTrim) +
                            static_cast<std::uint32_t>(rateTrim) + static_cast<std::uint32_t>(position);
  return static_cast<std::uint8_t>(sum & 0xFF);
}

}  // namespace

// ---------------------------------------------------------------- settings packet

engine::ScopeSettings TForm1::CurrentScopeSettings() const {
  engine::ScopeSettings s = ScopeState.Settings;
  s.Sticky = PacketBits;
  s.Sticky.TimeBaseRegister = ScopeState.TimeBaseRegister;
  return s;
}

void TForm1::Set500() {
  const engine::ScopeSettings settings = engine::DeviceFrontEnd(ScopeState, CurrentScopeSettings());
  const engine::SettingsPacket packet = engine::EncodeSettingsPacket(settings);
  PacketBits = engine::NextStickyBits(settings);
  ScopeState.TimeBaseRegister = PacketBits.TimeBaseRegister;
  std::copy(packet.begin() + engine::kSettingsPacketHead.size(), packet.end(), ScopeState.ScopeControlBlock.begin());
  if (!ScopeState.DemoMode) asetus_1();
}

void TForm1::asetus_1() {
  if (ScopeState.DemoMode || !device_.IsOpen()) return;
  engine::SettingsPacket packet{};
  std::copy(engine::kSettingsPacketHead.begin(), engine::kSettingsPacketHead.end(), packet.begin());
  std::copy(ScopeState.ScopeControlBlock.begin(), ScopeState.ScopeControlBlock.end(),
            packet.begin() + engine::kSettingsPacketHead.size());
  device_.SendSettings(packet);
}

void TForm1::Set_DACs() {
  ScopeState.Settings.Ch1OffsetDacByte = OffsetByte(ScopeState.Ch1OffsetCal, ScopeState.Ch1RangeTrim, ScopeState.Ch1RateTrim, ScopeState.Ch1PositionDac);
  ScopeState.Settings.Ch2OffsetDacByte = OffsetByte(ScopeState.Ch2OffsetCal, ScopeState.Ch2RangeTrim, ScopeState.Ch2RateTrim, ScopeState.Ch2PositionDac);
  Set500();
}

// ---------------------------------------------------------------- apply operations

void TForm1::asetus(const std::string& label, int kind) {
  if (kind == 0) ScopeState.CaptureCount = 0;
  putsataanko();
  if (ScopeState.SpectrumMode) kursoridb();

  if (kind == 1 || kind == 2) {
    if (ScopeState.Settings.TriggerSource == (kind == 1 ? 16 : 0)) ScopeState.CaptureCount = 0;
    ShowRangeLabel(kind, label);
  }

  Set_DACs();
  ScopeState.SettingsChanged = 1;
  if (ScopeState.DemoMode) tee_demo();
  ClearHiddenReadouts();
  ScopeState.AverageBlend = 10;
}

void TForm1::AsetaAika(int pixelStep, const std::string& label) {
  putsataanko();
  poisto();
  if (ScopeState.ScopeNoteShown && Form_9) Form_9->note();
  if (ScopeState.ParametersOnScreen && Form_9) Form_9->note_1();
  ScopeState.PlotMethod = 0;

  if (ScopeState.SpectrumMode) {
    f_alue();
    kursoritaajuus();
    if (ScopeState.ShownTimePerDiv == ScopeState.TimePerDiv) piirrot();
  } else {
    ShowTimeBaseLabels(label, NextSampleRateText);
    ScopeState.PixelStep = static_cast<std::uint16_t>(pixelStep);
  }

  // A stopped trace is stretched to the new time base; a capture taken at a
  // time base that gives no usable factor (or none yet) shows at 100.
  double magnification = static_cast<double>(ScopeState.TimePerDiv) / ScopeState.ShownTimePerDiv * ScopeState.SampleStep;
  if (!(magnification < 65535.0)) magnification = 100.0;
  ScopeState.Magnification = magnification;

  const int m = ScrollBar2->Position() - 32;
  const double u = ScopeState.SampleStep / (ScopeState.PixelStep * (ScopeState.Settings.DigitalMode ? 20.0 : 5.0));
  std::int64_t start = numeric::Round(m * u * 32) + 1024;
  if (ScopeState.Settings.DigitalMode) start = 1024;
  ScopeState.DisplayStart = static_cast<std::int32_t>(std::clamp<std::int64_t>(start, 1, 4066));

  if (ScopeState.Magnification > 0.4 && ScopeState.Magnification < 80) piirrot();

  const int barMin = numeric::Round32((u * 1024 - 1024) / (u * 32));
  const int barMax = numeric::Round32((u * 1024 + 3072) / (u * 32));
  for (TScrollBar* bar : {ScrollBar2, Form10 ? Form10->ScrollBar2 : nullptr}) {
    if (!bar) continue;
    bar->SetMin(barMin);
    bar->SetMax(barMax);
  }
  kursoriaika();

  ScopeState.SettingsChanged = 1;
  if (ScopeState.DemoMode && ScopeState.DataFileName.empty()) tee_demo();

  // "S/L" chooses the interpolation of the two finest steps only; the bit
  // view keeps it as it is.
  const bool interpolated = ScopeState.Settings.TimeBaseRow >= engine::kTimeBase02us;
  for (TSpeedButton* sl : {SpeedButton005us, TwinControl(&FrontPanelControls::SpeedButton005us)}) {
    if (!sl) continue;
    if (!interpolated) sl->SetEnabled(false);
    else if (!ScopeState.Settings.DigitalMode) sl->SetEnabled(true);
  }
}

// ---------------------------------------------------------------- front-panel rows

void TForm1::ms500off() {
  for (FrontPanelControls* panel : {static_cast<FrontPanelControls*>(this), static_cast<FrontPanelControls*>(Form11)}) {
    if (!panel) continue;
    for (TControl* c : {panel->Autoset1, panel->Autoset2})
      if (c) c->SetEnabled(true);
  }
  if (GrSpeedButton15) GrSpeedButton15->SetEnabled(!ScopeState.SpectrumMode);
  if (Form11 && Form11->Digi) Form11->Digi->SetEnabled(!ScopeState.SpectrumMode);
}

void TForm1::ApplyTimeBaseStep(const engine::TimeBaseStep& step) {
  const auto row = static_cast<std::uint8_t>(&step - engine::TimeBaseTable.data());
  ms500off();
  if (step.RateText) NextSampleRateText = step.RateText;
  // A row without a button of the view leaves that view's row as it was.
  if (ScopeState.SpectrumMode) {
    if (step.SpanButton) ScopeState.Settings.SpanRow = row;
    ScopeState.TimePerDiv = step.SpectrumTimePerDiv;
    ScopeState.Settings.TimeBaseCode = step.SpectrumCode;
    ScopeState.SampleStep = step.SpectrumSampleStep;
  } else {
    if (step.Button) ScopeState.Settings.TimeBaseRow = row;
    ScopeState.TimePerDiv = step.TimePerDiv;
    ScopeState.Settings.TimeBaseCode = step.Code;
    ScopeState.SampleStep = step.SampleStep;
  }
  ShowTimeBase(*this);
  ScopeState.Ch1RateTrim = 0;
  ScopeState.Ch2RateTrim = 0;
  asetus("", 0);
  AsetaAika(step.PixelStep, step.Label);
}

void TForm1::ApplyRangeStep(int channel, const engine::RangeStep& step) {
  const bool ch1 = channel == 1;
  ScopeState.Settings.GainCode(channel) = step.Code;
  ShowChannelSettings(*this, channel);
  (ch1 ? ScopeState.Ch1RangeTrim : ScopeState.Ch2RangeTrim) =
      step.CalibratedTrim ? (ch1 ? ScopeState.Ch1V5Offset : ScopeState.Ch2V5Offset) : 0;
  asetus((ch1 ? ScopeState.Settings.Ch1X10 : ScopeState.Settings.Ch2X10) ? step.LabelX10 : step.LabelX1, channel);
  kursorivoltit();
  if (ch1 && ScopeState.OtherInstruments.BodeRangeChosen) {
    std::optional<std::size_t> index;
    if (const engine::RangeStep* row = engine::RangeRowOfCode(step.Code))
      index = static_cast<std::size_t>(row - engine::RangeTable.data());
    ScopeState.OtherInstruments.BodeRangeChosen(index);
  }
}

void TForm1::SpeedButton15v1Click(TObject* /*Sender*/) {
  ApplyRangeStep(1, engine::RangeTable[engine::kRange1V]);
}

void TForm1::SpeedButton15v2Click(TObject* /*Sender*/) {
  ApplyRangeStep(2, engine::RangeTable[engine::kRange1V]);
}

void TForm1::SpeedButton2msClick(TObject* /*Sender*/) {
  ApplyTimeBaseStep(engine::TimeBaseTable[engine::kTimeBase1ms]);
}

// ---------------------------------------------------------------- controls

void TForm1::CreateDeviceControls() {
  // The horizontal position under the picture; 32 shows the trigger point
  // at the first division.
  ScrollBar2 = new TScrollBar(this);
  ScrollBar2->Name = "ScrollBar2";
  ScrollBar2->SetParent(this);
  ScrollBar2->SetBounds(Image1->Left(), Image1->Top() + Image1->Height() + 4, Image1->Width(), 17);
  ScrollBar2->SetParams(32, 0, 127);
  ScrollBar2->OnChange = [this](TObject* s) { ScrollBar2Change(s); };

  LoadingPanel = new TPanel(this);
  LoadingPanel->Name = "LoadingPanel";
  LoadingPanel->SetParent(this);
  LoadingPanel->SetBounds(Image1->Left() + Image1->Width() / 2 - 120,
                          Image1->Top() + Image1->Height() / 2 - 20, 240, 40);
  LoadingPanel->SetCaption("Loading, please wait...");
  LoadingPanel->SetVisible(false);
}
