// The generator engine: creation, the base-table builders, the output-table
// computation with its previews, and the send sequences through the scope's
// device link.
#include <algorithm>
#include <filesystem>

#include "engine/main_form.h"
#include "bode/bode_state.h"
#include "engine/scope_state.h"
#include "generator/generator_form.h"
#include "generator/generator_panel.h"
#include "generator/generator_state.h"
#include "generator/packets.h"
#include "generator/panel_rules.h"
#include "generator/preview.h"
#include "generator/synthesis.h"
#include "generator/wave_editor.h"
#include "platform/os/numeric.h"

namespace {

constexpr int kApplyDelayMs = 1000;
constexpr int kBodeSettleMs = 700;

TTimer* MakeTimer(TForm1_fgen* form, const char* name, int interval, TNotifyEvent handler) {
  auto* timer = new TTimer(form);
  timer->Name = name;
  timer->SetEnabled(false);
  timer->SetInterval(static_cast<unsigned>(interval));
  timer->OnTimer = std::move(handler);
  return timer;
}

}  // namespace

TForm1_fgen::TForm1_fgen(TComponent* owner) : TForm(owner), noise_random_(std::random_device{}()) {
  Name = "Form1_fgen";
  SetCaption("Function Generator ");
  Timer8 = MakeTimer(this, "Timer8", kApplyDelayMs, [this](TObject* s) { Timer8Timer(s); });
  Timer7 = MakeTimer(this, "Timer7", kBodeSettleMs, [this](TObject* s) { Timer7Timer(s); });
  OpenDialog2 = new TOpenDialog(this);
  OpenDialog2->Name = "OpenDialog2";
  OpenDialog2->SetFilter("Library File|*.LIB|All Files|*.*");
  OpenDialog2->SetDefaultExt("*.lib");
  OnClose = [this](TObject* s, TCloseAction& action) { FormClose(s, action); };
  FormCreate(this);
}

void TForm1_fgen::FormCreate(TObject* /*Sender*/) {
  using namespace generator;
  // The panel's defaults: nothing chosen, output off, the "500Hz" range.
  WaveShape = kShapeNone;
  const FrequencyRange& range = FrequencyRanges[kRange500Hz];
  RangeCode = range.Code;
  RangeDecimals = range.Decimals;
  RangeBits = range.Bits;
  RangeMin = range.Min;
  RangeMax = range.Max;
  FreqUnitText = range.Unit;
  GenFrequency = 500;
  GenAmplitude = 5;
  OffsetDac = 127;
  DutyCycle = 50;
  LastDutyCycle = 0;
  PeakOffsetMode = 0;
  AutoOffsetMode = 0;
  FilterChoice = 7;
  OffsetOnlyChange = 0;
  FreqReadoutVisible = 1;
  SendBusy = 0;
  AttenuatorRange = 1;
  PrevAttenuatorRange = 1;
  AmplitudeScale = 0.86;
  GainTrim = 3;
  OffsetTrim = 0;
  SyncMode = 0;
  OutputEnableCode = 1;
  generator::GeneratorHardware = 8016;
  generator::GenOutputOff = 1;
  OutputTable.assign(kTableEntries, 0);
  ReadGeneratorSettings();

  for (GeneratorPanel* p : Panels) {
    if (!p->Edit3->Text().empty()) {
      const SweepSettings sweep = SanitizeSweep(p->Edit3->Text(), p->Edit4->Text(), p->Edit9->Text());
      SweepStartHz = sweep.StartHz;
      SweepStopHz = sweep.StopHz;
      SweepTime = sweep.TimeS;
    }
    for (TImage* image : {p->Image5, p->Image9, p->Image7, p->Image8, p->Image2})
      GeneratorPanel::PaintReadout(image, 0, 0, "", GeneratorPanel::kReadoutColor);
  }

  sine_count();
  creating_ = true;
  Timer8Timer(this);
  creating_ = false;
}

void TForm1_fgen::Timer7Timer(TObject* /*Sender*/) {
  Timer7->SetEnabled(false);
  Timer7Fired = 1;
}

// ---------------------------------------------------------------- base tables

void TForm1_fgen::sine_count() {
  generator::BaseTable = generator::SineTable();
  generator::SineInBaseTable = 1;
}

void TForm1_fgen::skew_count() {
  generator::BaseTable = generator::SquareTable(generator::DutyCycle);
  generator::SineInBaseTable = 0;
}

void TForm1_fgen::dcp_count() {
  generator::BaseTable = generator::DcTable(true);
  generator::SineInBaseTable = 0;
}

void TForm1_fgen::dcn_count() {
  generator::BaseTable = generator::DcTable(false);
  generator::SineInBaseTable = 0;
}

void TForm1_fgen::sinxx_count() {
  generator::BaseTable = generator::SincTable();
  generator::SineInBaseTable = 0;
}

void TForm1_fgen::noise_count() {
  generator::BaseTable = generator::NoiseTable(noise_random_);
  generator::SineInBaseTable = 0;
}

void TForm1_fgen::sweep_count() {
  generator::BaseTable = generator::ChirpTable(generator::SweepStartHz, generator::SweepStopHz);
  generator::SineInBaseTable = 0;
}

// ---------------------------------------------------------------- output table

void TForm1_fgen::laske() {
  using namespace generator;
  int pass = 0;
  double k = 0;
  do {
    if (WaveShape == kShapeSweep) {
      if (pass == 0) sweep_count();
      else sine_count();
    }
    ++pass;

    if (WaveShape == kShapeSquare && DutyCycle != LastDutyCycle) skew_count();
    LastDutyCycle = DutyCycle;

    std::string caption = "Function Generator ";
    if (WaveShape == kShapeLibrary) caption += std::filesystem::path(LibraryFileName).filename().string();
    SetCaption(caption);
    for (GeneratorPanel* p : Panels) p->Image9->SetVisible(FreqReadoutVisible);

    PrevAttenuatorRange = AttenuatorRange;
    const Attenuation att = ChooseAttenuator(GenAmplitude);
    AttenuatorRange = att.Range;
    k = att.K * (bode::BodeSweepRunning ? 0.95 : AmplitudeScale);

    ShapeOutput(BaseTable, {WaveShape, k, RangeCode, GenFrequency, pass}, OutputTable);
    if (PeakOffsetMode) ApplyPeakOffset(OutputTable, k, WaveShape == kShapeSine);
    if (AutoOffsetMode) OffsetDac = AutoOffsetDac(AttenuatorRange, k);

    if (pass == 1) {
      Curve();
      curve_rec();
      if (!creating_) Application->ProcessMessages();
      if (AutoOffsetMode) OffsetDac = AutoOffsetDac(AttenuatorRange, k);
    }
  } while (WaveShape == kShapeSweep && pass == 1);

  ComposeSettings();
  SendBusy = 1;
  ApplyPolarityAndPhase(OutputTable, WaveShape);
  if (generator::GenOutputOff) timer99();
  else timer77();

  for (GeneratorPanel* p : Panels) {
    p->Image5->SetVisible(FreqReadoutVisible);
    p->Image9->SetVisible(false);
  }
}

void TForm1_fgen::laske_1() {
  generator::EditorPreviewTable = generator::EditorPreview(generator::EditorTable);
  if (Wave_editor1) Wave_editor1->curve_1();
}

void TForm1_fgen::Curve() {
  using namespace generator;
  const PreviewInput in{WaveShape, generator::GenOutputOff != 0, AttenuatorRange, OffsetDac, DutyCycle,
                        PeakOffsetMode != 0};
  for (GeneratorPanel* p : Panels) {
    if (!p->ScopeWindow()) continue;
    DrawPreview(*p->Image6->Canvas(), p->Image6->Width(), p->Image6->Height(), in, OutputTable);
    p->Image6->Invalidate();
  }
}

void TForm1_fgen::curve_rec() {
  using namespace generator;
  const PreviewInput in{WaveShape, generator::GenOutputOff != 0, AttenuatorRange, OffsetDac, DutyCycle,
                        PeakOffsetMode != 0};
  for (GeneratorPanel* p : Panels) {
    if (p->ScopeWindow()) continue;
    DrawPreview(*p->Image6->Canvas(), p->Image6->Width(), p->Image6->Height(), in, OutputTable);
    p->Image6->Invalidate();
  }
}

// ---------------------------------------------------------------- packets

void TForm1_fgen::ComposeSettings() {
  using namespace generator;
  FilterChoice = ChooseFilter({WaveShape, RangeCode, GenFrequency, bode::BodeSweepRunning != 0, FilterChoice});
  OutputEnableCode = generator::GenOutputOff ? 1 : 2;
  SettingInput in;
  in.Shape = WaveShape;
  in.OutputOff = generator::GenOutputOff != 0;
  in.OffsetDac = OffsetDac;
  in.OffsetTrim = OffsetTrim;
  in.RangeBits = RangeBits;
  in.AttenuatorRange = AttenuatorRange;
  in.SyncMode = SyncMode;
  in.GainTrim = GainTrim;
  in.OutputEnableCode = OutputEnableCode;
  in.SweepRunning = generator::SweepRunning;
  in.FilterChoice = FilterChoice;
  GeneratorSettingBytes = ComposeSettingBytes(in);
}

bool TForm1_fgen::MaySend() const {
  return generator::GeneratorHardware > 0 && engine::DeviceOpen && !engine::DemoMode && Form1;
}

void TForm1_fgen::WriteOut(const std::uint8_t* bytes, std::size_t length, std::uint32_t timeoutMs) {
  if (!Form1 || engine::DemoMode || !engine::DeviceOpen) return;
  Form1->MPUSBWrite(engine::UsbOutHandle, bytes, static_cast<std::uint32_t>(length), &engine::UsbSentCount,
                    timeoutMs);
}

void TForm1_fgen::Send_5Click(TObject* /*Sender*/) {
  using namespace generator;
  const std::uint8_t command = kWaveCommand;
  WriteOut(&command, 1, kCommandTimeoutMs);
  const WaveBlockBytes block = WaveBlock(OutputTable);
  WriteOut(block.data(), block.size(), kWaveBlockTimeoutMs);
}

void TForm1_fgen::Button1Click(TObject* /*Sender*/) {
  using namespace generator;
  if (engine::DemoMode || !engine::DeviceOpen) return;
  if (generator::GenOutputOff) {
    const std::uint8_t command = kWaveCommand;
    WriteOut(&command, 1, kCommandTimeoutMs);
    const WaveBlockBytes silent = SilentWaveBlock();
    WriteOut(silent.data(), silent.size(), kWaveBlockTimeoutMs);
    GeneratorSettingBytes[0] = 128;
    GeneratorSettingBytes[1] = 0;
    GeneratorSettingBytes[3] = static_cast<std::uint8_t>(generator::SweepRunning * 8 + 7);
  }
  const SettingsPacketBytes packet = SettingsPacket(GeneratorSettingBytes);
  WriteOut(packet.data(), packet.size(), kCommandTimeoutMs);
}

void TForm1_fgen::Button2Click(TObject* /*Sender*/) {
  using namespace generator;
  FrequencyInput in;
  in.Shape = WaveShape;
  in.RangeCode = RangeCode;
  in.Frequency = GenFrequency;
  in.SweepStartHz = SweepStartHz;
  in.SweepStopHz = SweepStopHz;
  in.SweepTime = SweepTime;
  in.Log = SweepLog != 0;
  in.FilterChoice = FilterChoice;
  const FrequencyPacketBytes packet = FrequencyPacket(ComputeFrequencyFields(in));
  WriteOut(packet.data(), packet.size(), kCommandTimeoutMs);
}

void TForm1_fgen::Button3Click(TObject* /*Sender*/) {
  const std::uint8_t command = generator::kApplyCommand;
  WriteOut(&command, 1, generator::kCommandTimeoutMs);
}

// ---------------------------------------------------------------- send sequences

void TForm1_fgen::asetus() {
  ComposeSettings();
  if (!generator::GenOutputOff) timer66();
  else generator::SendBusy = 0;
}

void TForm1_fgen::timer66() {
  if (MaySend()) {
    Button1Click(this);
    Button3Click(this);
  }
  generator::SendBusy = 0;
}

void TForm1_fgen::timer77() {
  using namespace generator;
  if (MaySend() && !OffsetOnlyChange) {
    // A rising attenuator range takes the new wave before its new setting,
    // a falling one the other way round.
    if (PrevAttenuatorRange < AttenuatorRange) {
      Send_5Click(this);
      Button1Click(this);
    } else {
      Button1Click(this);
      Send_5Click(this);
    }
    Button2Click(this);
    Button3Click(this);
    if (bode::BodeSweepRunning) {
      Timer7Fired = 0;
      Timer7->SetEnabled(true);
      Application->ProcessMessagesUntil([this] { return Timer7Fired != 0; });
    }
  }
  SendBusy = 0;
}

void TForm1_fgen::timer99() {
  generator::GeneratorSettingBytes[1] = 0;
  timer66();
}

void TForm1_fgen::Disable() {
  using namespace generator;
  GeneratorSettingBytes[1] = 0;
  OutputEnableCode = std::min(OutputEnableCode, 1);
  GeneratorSettingBytes[2] = static_cast<std::uint8_t>(OutputEnableCode * 16 + std::clamp(GainTrim, 0, 7));
  timer66();
  SendBusy = 0;
  Curve();
  curve_rec();
}

void TForm1_fgen::SendOutputAndWait() {
  laske();
  WaitWhileSending();
}

void TForm1_fgen::WaitWhileSending() {
  Application->ProcessMessagesUntil([] { return generator::SendBusy == 0; });
}
