// The scope window's words of the sample export block and of the generator
// mailbox, for the programs that read or write them one at a time.
#include "engine/main_form.h"
#include "io/shared_blocks.h"

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
