// The device command set and the settings packet: capture-control commands,
// the seven control bytes built from the engine state, the offset DACs, and
// the two apply operations through which every front-panel change reaches
// the device and the picture.
#include <algorithm>
#include <optional>

#include "bode/bode_plot.h"
#include "display/add_text.h"
#include "display/big_screen.h"
#include "engine/control_panel.h"
#include "engine/main_form.h"
#include "engine/scope_state.h"
#include "generator/fine_tune.h"
#include "platform/os/numeric.h"

namespace {

constexpr std::uint32_t kPacketTimeoutMs = 10;
constexpr std::size_t kLabelChars = 50;  // labels are short strings
constexpr int kTopTextY = 3;

// Gain bits of c0/c1 per range code.
std::uint8_t GainBits(std::uint8_t code) {
  switch (code) {
    case 1: return 0x08;   // 3 V/div
    case 27: return 0x28;  // 1 V/div
    case 11: return 0x04;  // 0.3 V/div
    case 29: return 0x24;  // 0.1 V/div
    case 13: return 0x02;  // 30 mV/div
    case 30: return 0x22;  // 10 mV/div
    default: return 0x00;
  }
}

// The time-base register per code; codes 0 and 153 come from the math modes
// and the recorder. Other codes leave the register as it is.
std::optional<std::uint8_t> TimeBaseRegisterFor(std::uint8_t code) {
  switch (code) {
    case 5: return 0xC1;
    case 2: return 0xC2;
    case 93: return 0xE0;
    case 64: return 0xE1;
    case 65: return 0xE2;
    case 32: return 0x40;
    case 66: return 0xF0;
    case 80: return 0xF1;
    case 81: return 0xF2;
    case 82: return 0xF8;
    case 88: return 0xF9;
    case 0: return 0x00;
    case 89: return 0xFA;
    case 90: return 0xFC;
    case 92: return 0xFD;
    case 85: return 0xFE;
    case 94: return 0x80;
    case 153: return 0x02;
    default: return std::nullopt;
  }
}

// Sum of the offset terms in 8-bit arithmetic: each term and the sum wrap.
std::uint8_t OffsetByte(std::int32_t cal, std::int32_t rangeTrim, std::int32_t rateTrim,
                        std::int32_t position) {
  const std::uint32_t sum = static_cast<std::uint32_t>(cal) + static_cast<std::uint32_t>(rangeTrim) +
                            static_cast<std::uint32_t>(rateTrim) + static_cast<std::uint32_t>(position);
  return static_cast<std::uint8_t>(sum & 0xFF);
}

std::string Short(const std::string& s) { return s.substr(0, kLabelChars); }

void PressIfPresent(TComponent* owner, const char* name) {
  if (auto* b = FindOwned<TSpeedButton>(owner, name)) b->SetDown(true);
}

}  // namespace

// ---------------------------------------------------------------- commands

void TForm1::Reset_500(std::uint8_t state, std::uint8_t armed) {
  std::uint8_t command = 0;
  if (state == 0 && armed == 0) command = 9;
  else if (state == 1 && armed == 0) command = 10;
  else if (state == 1 && armed == 1) command = 11;
  else if (state == 2 && armed == 0) command = 12;
  else if (state == 3 && armed == 0) command = 13;
  else return;
  if (engine::DemoMode) return;
  SendDeviceCommand(command);
}

void TForm8::Resetoi_500() {
  using namespace engine;
  AcqState = 0;
  AcqArmed = 0;
  Form1->Reset_500(0, 0);
  AcqState = 1;
  AcqArmed = 1;
  Form1->Reset_500(1, 1);
}

// ---------------------------------------------------------------- settings packet

void TForm1::Set500() {
  using namespace engine;
  if (const auto reg = TimeBaseRegisterFor(TimeBaseCode)) TimeBaseRegister = *reg;

  // The trigger bits stay as they were for values they do not know (an
  // external source keeps the bit of the last internal one).
  if (TriggerSource == 16) TriggerCh2Bit = 0;
  else if (TriggerSource == 0) TriggerCh2Bit = 1;
  if (TriggerOff == 0) TriggerOnBit = 1;
  else if (TriggerOff == 64) TriggerOnBit = 0;
  if (TriggerSlope == 32) FallingEdgeBit = 0;
  else if (TriggerSlope == 0) FallingEdgeBit = 1;

  const auto channelByte = [](std::uint8_t code, std::uint8_t inputOn, std::uint8_t ac) {
    std::uint8_t c = GainBits(code);
    if (!inputOn) c |= 0x10;  // grounded
    if (!ac) c |= 0x01;       // DC coupled
    return c;
  };
  ScopeControlBlock[0] = channelByte(Ch1GainCode, Ch1InputOn, Ch1Ac);
  ScopeControlBlock[1] = channelByte(Ch2GainCode, Ch2InputOn, Ch2Ac);
  ScopeControlBlock[2] = Ch1OffsetDacByte;
  ScopeControlBlock[3] = Ch2OffsetDacByte;
  ScopeControlBlock[4] = static_cast<std::uint8_t>(255 - DeviceTriggerLevel);
  ScopeControlBlock[5] = TimeBaseRegister;
  ScopeControlBlock[6] = static_cast<std::uint8_t>(TriggerCh2Bit | (TriggerOnBit << 1) |
                                                   (FallingEdgeBit << 2) | (DigitalMode ? 0x08 : 0));
  if (!DemoMode) asetus_1();
}

void TForm1::asetus_1() {
  using namespace engine;
  if (DemoMode || !DeviceOpen) return;
  std::array<std::uint8_t, 10> packet{14, 128, 7};
  std::copy(ScopeControlBlock.begin(), ScopeControlBlock.end(), packet.begin() + 3);
  MPUSBWrite(UsbOutHandle, packet.data(), static_cast<std::uint32_t>(packet.size()), &UsbSentCount,
             kPacketTimeoutMs);
}

void TForm1::Set_DACs() {
  using namespace engine;
  Ch1OffsetDacByte = OffsetByte(Ch1OffsetCal, Ch1RangeTrim, Ch1RateTrim, Ch1PositionDac);
  Ch2OffsetDacByte = OffsetByte(Ch2OffsetCal, Ch2RangeTrim, Ch2RateTrim, Ch2PositionDac);
  Set500();
}

// ---------------------------------------------------------------- apply operations

void TForm1::asetus(const std::string& label, int kind) {
  using namespace engine;
  if (kind == 0) CaptureCount = 0;
  putsataanko();
  if (SpectrumMode) kursoridb();

  if (kind == 1 || kind == 2) {
    const bool ch1 = kind == 1;
    if (TriggerSource == (ch1 ? 16 : 0)) CaptureCount = 0;
    const int x = ScreenX0 + (ch1 ? 10 : 70);
    std::string& shown = ch1 ? Ch1RangeText : Ch2RangeText;
    TulostaTeksti(shown, x, kTopTextY, BackgroundColor);
    // The coupling buttons re-apply the label through here, so it is kept bare.
    (ch1 ? Ch1RangeLabel : Ch2RangeLabel) = Short(label);
    std::string text = label;
    if (ch1 ? Ch1Ac : Ch2Ac) text += "~";
    text = Short(text);
    if (ch1 && Ch1On) TulostaTeksti(text, x, kTopTextY, Ch1Color);
    if (!ch1 && Ch2On) {
      TulostaTeksti(text, x, kTopTextY, Ch2Color);
      if (InvertCh2Mode && !MathOff) TulostaTeksti(text, x, kTopTextY, Math2Color);
    }
    shown = text;
  }

  Set_DACs();
  SettingsChanged = 1;
  if (DemoMode) tee_demo();
  if (!RmsOn) TulostaTeksti(RmsText, ScreenX0 + 510, TextLineY, BackgroundColor);
  if (!DbmOn) TulostaTeksti(DbmText, ScreenX0 + 595, TextLineY, BackgroundColor);
  AverageBlend = 10;
}

void TForm1::AsetaAika(int pixelStep, const std::string& label) {
  using namespace engine;
  putsataanko();
  poisto();
  if (ScopeNoteShown && Form_9) Form_9->note();
  if (ParametersOnScreen && Form_9) Form_9->note_1();
  PlotMethod = 0;

  if (SpectrumMode) {
    f_alue();
    kursoritaajuus();
    if (ShownTimePerDiv == TimePerDiv) piirrot();
  } else {
    TulostaTeksti(TimeDivText, ScreenX0 + 592, kTopTextY, BackgroundColor);
    TimeDivText = Short(label);
    TulostaTeksti(TimeDivText, ScreenX0 + 592, kTopTextY, TimeMarkerColor);
    TulostaTeksti(SampleRateText, ScreenX0 + 492, kTopTextY, BackgroundColor);
    SampleRateText = Short(NextSampleRateText);
    if (SampleRateOn) TulostaTeksti(SampleRateText, ScreenX0 + 492, kTopTextY, TimeMarkerColor);
    PixelStep = static_cast<std::uint16_t>(pixelStep);
  }

  // A stopped trace is stretched to the new time base; a capture taken at a
  // time base that gives no usable factor (or none yet) shows at 100.
  double magnification = static_cast<double>(TimePerDiv) / ShownTimePerDiv * SampleStep;
  if (!(magnification < 65535.0)) magnification = 100.0;
  Magnification = magnification;

  const int m = ScrollBar2->Position() - 32;
  const double u = SampleStep / (PixelStep * (DigitalMode ? 20.0 : 5.0));
  std::int64_t start = numeric::Round(m * u * 32) + 1024;
  if (DigitalMode) start = 1024;
  DisplayStart = static_cast<std::int32_t>(std::clamp<std::int64_t>(start, 1, 4066));

  if (Magnification > 0.4 && Magnification < 80) piirrot();

  const int barMin = numeric::Round32((u * 1024 - 1024) / (u * 32));
  const int barMax = numeric::Round32((u * 1024 + 3072) / (u * 32));
  for (TComponent* owner : {static_cast<TComponent*>(this), static_cast<TComponent*>(Form10)}) {
    if (auto* bar = FindOwned<TScrollBar>(owner, "ScrollBar2")) {
      bar->SetMin(barMin);
      bar->SetMax(barMax);
    }
  }
  kursoriaika();

  SettingsChanged = 1;
  if (DemoMode && DataFileName.empty()) tee_demo();

  // "S/L" chooses the interpolation of the two finest steps only; the bit
  // view keeps it as it is.
  const auto* step02 = FindOwned<TSpeedButton>(this, "SpeedButton02us");
  const auto* step01 = FindOwned<TSpeedButton>(this, "SpeedButton01us");
  const bool interpolated = (step02 && step02->Down()) || (step01 && step01->Down());
  for (TComponent* owner : {static_cast<TComponent*>(this), static_cast<TComponent*>(Form11)}) {
    if (auto* sl = FindOwned<TSpeedButton>(owner, "SpeedButton005us")) {
      if (!interpolated) sl->SetEnabled(false);
      else if (!DigitalMode) sl->SetEnabled(true);
    }
  }
}

// ---------------------------------------------------------------- front-panel rows

void TForm1::ms500off() {
  using namespace engine;
  for (TComponent* owner : {static_cast<TComponent*>(this), static_cast<TComponent*>(Form11)}) {
    for (const char* name : {"Autoset1", "Autoset2"})
      if (auto* c = FindOwned<TControl>(owner, name)) c->SetEnabled(true);
  }
  if (auto* c = FindOwned<TControl>(this, "GrSpeedButton15")) c->SetEnabled(!SpectrumMode);
  if (auto* c = FindOwned<TControl>(Form11, "Digi")) c->SetEnabled(!SpectrumMode);
}

void TForm1::ApplyTimeBaseStep(const engine::TimeBaseStep& step) {
  using namespace engine;
  PressIfPresent(Form11, step.Button);
  ms500off();
  if (step.RateText) NextSampleRateText = step.RateText;
  if (SpectrumMode) {
    PressIfPresent(this, step.SpanButton);
    PressIfPresent(Form11, step.SpanButton);
    TimePerDiv = step.SpectrumTimePerDiv;
    TimeBaseCode = step.SpectrumCode;
    SampleStep = step.SpectrumSampleStep;
  } else {
    PressIfPresent(this, step.Button);
    TimePerDiv = step.TimePerDiv;
    TimeBaseCode = step.Code;
    SampleStep = step.SampleStep;
  }
  Ch1RateTrim = 0;
  Ch2RateTrim = 0;
  asetus("", 0);
  AsetaAika(step.PixelStep, step.Label);
}

void TForm1::ApplyRangeStep(int channel, const engine::RangeStep& step) {
  using namespace engine;
  const bool ch1 = channel == 1;
  const char* button = ch1 ? step.Ch1Button : step.Ch2Button;
  PressIfPresent(this, button);
  PressIfPresent(Form11, button);
  (ch1 ? Ch1GainCode : Ch2GainCode) = step.Code;
  (ch1 ? Ch1RangeTrim : Ch2RangeTrim) =
      step.CalibratedTrim ? (ch1 ? Ch1V5Offset : Ch2V5Offset) : 0;
  asetus((ch1 ? Ch1X10 : Ch2X10) ? step.LabelX10 : step.LabelX1, channel);
  kursorivoltit();
  if (ch1 && Bode_plot) {
    if (auto* radio = FindOwned<TRadioButton>(Bode_plot, step.BodeRadio)) radio->SetChecked(true);
    if (!BodeAutoScaleActive) Bode_plot->draw();
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
