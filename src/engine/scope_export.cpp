// The scope window's side of the sample export: after every capture it
// hands the capture to the export block.
#include "engine/main_form.h"
#include "engine/picture_settings.h"
#include "engine/scope_state.h"
#include "display/capture.h"
#include "io/sample_export.h"
#include "io/shared_blocks.h"

void TForm1::SaveShareData(const display::Capture& taken) {
  if (!io::SampleExportBlock) return;
  // The export carries the trace as shown.
  const display::SampleBlockView shown = engine::ShownSamples(*this, taken);
  io::SampleExport capture;
  capture.TimeBaseCode = taken.Settings.TimeBaseCode;
  capture.Ch1GainCode = taken.Settings.Ch1GainCode;
  capture.Ch2GainCode = taken.Settings.Ch2GainCode;
  capture.Ch1GroundLevel = taken.Settings.Ch1GroundLevel;
  capture.Ch2GroundLevel = taken.Settings.Ch2GroundLevel;
  capture.Ch1 = shown.subspan<display::kChannelSamples, display::kChannelSamples>();
  capture.Ch2 = shown.first<display::kChannelSamples>();
  // Another program of the user may have made the block smaller; written
  // beyond its end, the capture would end the whole program.
  io::UseSharedBlock(
      io::SampleExportBlock, [&] { io::WriteSampleExport(*io::SampleExportBlock, capture); },
      "Sample export stopped: another program made ",
      "\rOther programs get no more captures until the Darvik48 software is started again.");
}

std::int32_t TForm1::GetShareData(int index) {
  return io::SampleExportBlock && index >= 0 ? io::SampleExportBlock->Get(static_cast<std::size_t>(index)) : 0;
}

void TForm1::SetShareData(int index, std::int32_t value) {
  if (io::SampleExportBlock && index >= 0) io::SampleExportBlock->Set(static_cast<std::size_t>(index), value);
}

std::int32_t TForm1::GetShareData1(int index) {
  std::int32_t word = 0;
  if (index >= 0)
    io::UseGeneratorMailbox([&] { word = io::GeneratorMailboxBlock->Get(static_cast<std::size_t>(index)); });
  return word;
}

void TForm1::SetShareData1(int index, std::int32_t value) {
  if (index >= 0)
    io::UseGeneratorMailbox([&] { io::GeneratorMailboxBlock->Set(static_cast<std::size_t>(index), value); });
}
