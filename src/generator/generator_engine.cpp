// The generator engine: creation, the base-table builders, the output-table
// computation with its previews, and the send sequences through the scope's
// device link.
#include <algorithm>
#include <filesystem>

#include "device/scope_device.h"
#include "engine/scope_window.h"
#include "engine/instrument_links.h"
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

TForm1_fgen::TForm1_fgen(TComponent* owner, device::ScopeDevice& device, generator::GeneratorSharedState& state,
                         const engine::ScopeSharedState& scope)
    : TForm(owner), GeneratorState(state), ScopeState(scope), noise_random_(std::random_device{}()), device_(&device) {
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
  // The panel's defaults: nothing chosen, output off, the "500Hz" range.
  GeneratorState.WaveShape = generator::kShapeNone;
  const generator::FrequencyRange& range = generator::FrequencyRanges[generator::kRange500Hz];
  GeneratorState.RangeCode = range.Code;
  GeneratorState.RangeDecimals = range.Decimals;
  GeneratorState.RangeBits = range.Bits;
  GeneratorState.RangeMin = range.Min;
  GeneratorState.RangeMax = range.Max;
  GeneratorState.FreqUnitText = range.Unit;
  GeneratorState.GenFrequency = 500;
  GeneratorState.GenAmplitude = 5;
  GeneratorState.OffsetDac = 127;
  GeneratorState.DutyCycle = 50;
  GeneratorState.LastDutyCycle = 0;
  GeneratorState.PeakOffsetMode = 0;
  GeneratorState.AutoOffsetMode = 0;
  GeneratorState.FilterChoice = 7;
  GeneratorState.OffsetOnlyChange = 0;
  GeneratorState.FreqReadoutVisible = 1;
  GeneratorState.SendBusy = 0;
  GeneratorState.AttenuatorRange = 1;
  GeneratorState.PrevAttenuatorRange = 1;
  GeneratorState.AmplitudeScale = 0.86;
  GeneratorState.GainTrim = 3;
  GeneratorState.OffsetTrim = 0;
  GeneratorState.SyncMode = 0;
  GeneratorState.OutputEnableCode = 1;
  GeneratorState.GeneratorHardware = 8016;
  GeneratorState.GenOutputOff = 1;
  GeneratorState.OutputTable.assign(generator::kTableEntries, 0);
  ReadGeneratorSettings();

  for (GeneratorPanel* p : GeneratorState.Panels) {
    if (!p->Edit3->Text().empty()) {
      const generator::SweepSettings sweep =
          generator::SanitizeSweep(p->Edit3->Text(), p->Edit4->Text(), p->Edit9->Text());
      GeneratorState.SweepStartHz = sweep.StartHz;
      GeneratorState.SweepStopHz = sweep.StopHz;
      GeneratorState.SweepTime = sweep.TimeS;
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
  GeneratorState.BaseTable = generator::SineTable();
  GeneratorState.SineInBaseTable = 1;
}

void TForm1_fgen::skew_count() {
  GeneratorState.BaseTable = generator::SquareTable(GeneratorState.DutyCycle);
  GeneratorState.SineInBaseTable = 0;
}

void TForm1_fgen::dcp_count() {
  GeneratorState.BaseTable = generator::DcTable(true);
  GeneratorState.SineInBaseTable = 0;
}

void TForm1_fgen::dcn_count() {
  GeneratorState.BaseTable = generator::DcTable(false);
  GeneratorState.SineInBaseTable = 0;
}

void TForm1_fgen::sinxx_count() {
  GeneratorState.BaseTable = generator::SincTable();
  GeneratorState.SineInBaseTable = 0;
}

void TForm1_fgen::noise_count() {
  GeneratorState.BaseTable = generator::NoiseTable(noise_random_);
  GeneratorState.SineInBaseTable = 0;
}

void TForm1_fgen::sweep_count() {
  GeneratorState.BaseTable = generator::ChirpTable(GeneratorState.SweepStartHz, GeneratorState.SweepStopHz);
  GeneratorState.SineInBaseTable = 0;
}

// ---------------------------------------------------------------- output table

void TForm1_fgen::laske() {
  int pass = 0;
  double k = 0;
  do {
    if (GeneratorState.WaveShape == generator::kShapeSweep) {
      if (pass == 0) sweep_count();
      else sine_count();
    }
    ++pass;

    if (GeneratorState.WaveShape == generator::kShapeSquare && GeneratorState.DutyCycle != GeneratorState.LastDutyCycle) skew_count();
    GeneratorState.LastDutyCycle = GeneratorState.DutyCycle;

    std::string caption = "Function Generator ";
    if (GeneratorState.WaveShape == generator::kShapeLibrary) caption += std::filesystem::path(GeneratorState.LibraryFileName).filename().string();
    SetCaption(caption);
    for (GeneratorPanel* p : GeneratorState.Panels) p->Image9->SetVisible(GeneratorState.FreqReadoutVisible);

    GeneratorState.PrevAttenuatorRange = GeneratorState.AttenuatorRange;
    const generator::Attenuation att = generator::ChooseAttenuator(GeneratorState.GenAmplitude);
    GeneratorState.AttenuatorRange = att.Range;
    k = att.K * (engine::BodeSweepRunning(ScopeState.OtherInstruments) ? 0.95 : GeneratorState.AmplitudeScale);

    generator::ShapeOutput(GeneratorState.BaseTable, {GeneratorState.WaveShape, k, GeneratorState.RangeCode, GeneratorState.GenFrequency, pass}, GeneratorState.OutputTable);
    if (GeneratorState.PeakOffsetMode) generator::ApplyPeakOffset(GeneratorState.OutputTable, k, GeneratorState.WaveShape == generator::kShapeSine);
    if (GeneratorState.AutoOffsetMode)
      GeneratorState.OffsetDac = generator::AutoOffsetDac(GeneratorState.AttenuatorRange, k);

    if (pass == 1) {
      Curve();
      curve_rec();
      if (!creating_) Application->ProcessMessages();
      if (GeneratorState.AutoOffsetMode)
        GeneratorState.OffsetDac = generator::AutoOffsetDac(GeneratorState.AttenuatorRange, k);
    }
  } while (GeneratorState.WaveShape == generator::kShapeSweep && pass == 1);

  ComposeSettings();
  GeneratorState.SendBusy = 1;
  generator::ApplyPolarityAndPhase(GeneratorState.OutputTable, GeneratorState.WaveShape);
  if (GeneratorState.GenOutputOff) timer99();
  else timer77();

  for (GeneratorPanel* p : GeneratorState.Panels) {
    p->Image5->SetVisible(GeneratorState.FreqReadoutVisible);
    p->Image9->SetVisible(false);
  }
}

void TForm1_fgen::laske_1() {
  GeneratorState.EditorPreviewTable = generator::EditorPreview(GeneratorState.EditorTable);
  if (Wave_editor1) Wave_editor1->curve_1();
}

namespace {

// The panel's preview, drawn when it is next seen: most of the time the
// recorder's panel is hidden, and the scope's one too until the generator is used.
void DrawPreviewOnPanel(GeneratorPanel& panel, const generator::PreviewInput& in, std::span<const std::int32_t> outputTable) {
  const int w = panel.Image6->Width(), h = panel.Image6->Height();
  std::vector<TPoint> wave = generator::PreviewWave(w, h, in, outputTable);
  panel.Image6->Picture()->DrawWhenUsed(
      [w, h, wave = std::move(wave)](TBitmap& b) { generator::DrawPreviewWave(*b.Canvas(), w, h, wave); }, true);
  panel.Image6->Invalidate();
}

}  // namespace

void TForm1_fgen::Curve() {
  const generator::PreviewInput in{GeneratorState.WaveShape, GeneratorState.GenOutputOff != 0, GeneratorState.AttenuatorRange, GeneratorState.OffsetDac, GeneratorState.DutyCycle,
                                   GeneratorState.PeakOffsetMode != 0};
  for (GeneratorPanel* p : GeneratorState.Panels) {
    if (!p->ScopeWindow()) continue;
    DrawPreviewOnPanel(*p, in, GeneratorState.OutputTable);
  }
}

void TForm1_fgen::curve_rec() {
  const generator::PreviewInput in{GeneratorState.WaveShape, GeneratorState.GenOutputOff != 0, GeneratorState.AttenuatorRange, GeneratorState.OffsetDac, GeneratorState.DutyCycle,
                                   GeneratorState.PeakOffsetMode != 0};
  for (GeneratorPanel* p : GeneratorState.Panels) {
    if (p->ScopeWindow()) continue;
    DrawPreviewOnPanel(*p, in, GeneratorState.OutputTable);
  }
}

// ---------------------------------------------------------------- packets

void TForm1_fgen::ComposeSettings() {
  GeneratorState.FilterChoice = generator::ChooseFilter({GeneratorState.WaveShape, GeneratorState.RangeCode, GeneratorState.GenFrequency, engine::BodeSweepRunning(ScopeState.OtherInstruments), GeneratorState.FilterChoice});
  GeneratorState.OutputEnableCode = GeneratorState.GenOutputOff ? 1 : 2;
  generator::SettingInput in;
  in.Shape = GeneratorState.WaveShape;
  in.OutputOff = GeneratorState.GenOutputOff != 0;
  in.OffsetDac = GeneratorState.OffsetDac;
  in.OffsetTrim = GeneratorState.OffsetTrim;
  in.RangeBits = GeneratorState.RangeBits;
  in.AttenuatorRange = GeneratorState.AttenuatorRange;
  in.SyncMode = GeneratorState.SyncMode;
  in.GainTrim = GeneratorState.GainTrim;
  in.OutputEnableCode = GeneratorState.OutputEnableCode;
  in.SweepRunning = GeneratorState.SweepRunning;
  in.FilterChoice = GeneratorState.FilterChoice;
  GeneratorState.GeneratorSettingBytes = generator::ComposeSettingBytes(in);
}

bool TForm1_fgen::MaySend() const {
  return GeneratorState.GeneratorHardware > 0 && Device().IsOpen() && !ScopeState.DemoMode && engine::TheScopeWindow();
}

void TForm1_fgen::WriteOut(const std::uint8_t* bytes, std::size_t length, std::uint32_t timeoutMs) {
  if (!engine::TheScopeWindow() || ScopeState.DemoMode || !Device().IsOpen()) return;
  Device().SendBytes(bytes, static_cast<std::uint32_t>(length), timeoutMs);
}

void TForm1_fgen::Send_5Click(TObject* /*Sender*/) {
  const std::uint8_t command = generator::kWaveCommand;
  WriteOut(&command, 1, generator::kCommandTimeoutMs);
  const generator::WaveBlockBytes block = generator::WaveBlock(GeneratorState.OutputTable);
  WriteOut(block.data(), block.size(), generator::kWaveBlockTimeoutMs);
}

void TForm1_fgen::Button1Click(TObject* /*Sender*/) {
  if (ScopeState.DemoMode || !Device().IsOpen()) return;
  if (GeneratorState.GenOutputOff) {
    const std::uint8_t command = generator::kWaveCommand;
    WriteOut(&command, 1, generator::kCommandTimeoutMs);
    const generator::WaveBlockBytes silent = generator::SilentWaveBlock();
    WriteOut(silent.data(), silent.size(), generator::kWaveBlockTimeoutMs);
    GeneratorState.GeneratorSettingBytes[0] = 128;
    GeneratorState.GeneratorSettingBytes[1] = 0;
    GeneratorState.GeneratorSettingBytes[3] = static_cast<std::uint8_t>(GeneratorState.SweepRunning * 8 + 7);
  }
  const generator::SettingsPacketBytes packet = generator::SettingsPacket(GeneratorState.GeneratorSettingBytes);
  WriteOut(packet.data(), packet.size(), generator::kCommandTimeoutMs);
}

void TForm1_fgen::Button2Click(TObject* /*Sender*/) {
  generator::FrequencyInput in;
  in.Shape = GeneratorState.WaveShape;
  in.RangeCode = GeneratorState.RangeCode;
  in.Frequency = GeneratorState.GenFrequency;
  in.SweepStartHz = GeneratorState.SweepStartHz;
  in.SweepStopHz = GeneratorState.SweepStopHz;
  in.SweepTime = GeneratorState.SweepTime;
  in.Log = GeneratorState.SweepLog != 0;
  in.FilterChoice = GeneratorState.FilterChoice;
  const generator::FrequencyPacketBytes packet = generator::FrequencyPacket(generator::ComputeFrequencyFields(in));
  WriteOut(packet.data(), packet.size(), generator::kCommandTimeoutMs);
}

void TForm1_fgen::Button3Click(TObject* /*Sender*/) {
  const std::uint8_t command = generator::kApplyCommand;
  WriteOut(&command, 1, generator::kCommandTimeoutMs);
}

// ---------------------------------------------------------------- send sequences

void TForm1_fgen::asetus() {
  ComposeSettings();
  if (!GeneratorState.GenOutputOff) timer66();
  else GeneratorState.SendBusy = 0;
}

void TForm1_fgen::timer66() {
  if (MaySend()) {
    Button1Click(this);
    Button3Click(this);
  }
  GeneratorState.SendBusy = 0;
}

void TForm1_fgen::timer77() {
  if (MaySend() && !GeneratorState.OffsetOnlyChange) {
    // A rising attenuator range takes the new wave before its new setting,
    // a falling one the other way round.
    if (GeneratorState.PrevAttenuatorRange < GeneratorState.AttenuatorRange) {
      Send_5Click(this);
      Button1Click(this);
    } else {
      Button1Click(this);
      Send_5Click(this);
    }
    Button2Click(this);
    Button3Click(this);
    if (engine::BodeSweepRunning(ScopeState.OtherInstruments)) {
      Timer7Fired = 0;
      Timer7->SetEnabled(true);
      Application->ProcessMessagesUntil([this] { return Timer7Fired != 0; });
    }
  }
  GeneratorState.SendBusy = 0;
}

void TForm1_fgen::timer99() {
  GeneratorState.GeneratorSettingBytes[1] = 0;
  timer66();
}

void TForm1_fgen::Disable() {
  GeneratorState.GeneratorSettingBytes[1] = 0;
  GeneratorState.OutputEnableCode = std::min(GeneratorState.OutputEnableCode, 1);
  GeneratorState.GeneratorSettingBytes[2] = static_cast<std::uint8_t>(GeneratorState.OutputEnableCode * 16 + std::clamp(GeneratorState.GainTrim, 0, 7));
  timer66();
  GeneratorState.SendBusy = 0;
  Curve();
  curve_rec();
}

void TForm1_fgen::SendOutputAndWait() {
  laske();
  WaitWhileSending();
}

void TForm1_fgen::WaitWhileSending() {
  Application->ProcessMessagesUntil([&state = GeneratorState] { return state.SendBusy == 0; });
}
