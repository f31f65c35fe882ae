// The history of captures, and the main window's history bars.
#include "display/history.h"

#include <algorithm>
#include <cstdint>

#include "display/big_screen.h"
#include "display/history_state.h"
#include "engine/main_form.h"
#include "engine/scope_state.h"

namespace display {

void StoreCaptureInHistory() {
  const std::size_t columns = kHistoryColumns;
  HistoryLength = std::clamp<std::int32_t>(HistoryLength, 0, static_cast<std::int32_t>(columns) - 1);
  if (HistoryIndex < 0 || HistoryIndex > HistoryLength) HistoryIndex = 0;
  if (HistoryStoreOn) {
    const auto column = static_cast<std::size_t>(HistoryIndex);
    for (std::size_t k = 0; k < engine::kSampleBlockEntries; ++k)
      HistoryBuffer[k * columns + column] = static_cast<std::uint8_t>(engine::ScopeSampleBlock[k] & 0xFF);
    HistoryViewIndex = HistoryIndex;
    ++HistoryIndex;
    if (HistoryIndex > HistoryLength) HistoryIndex = 0;
  }
  HistoryStoreOn = 1;
}

void ResetHistory() {
  HistoryLength = 1000;
  HistoryIndex = HistoryViewIndex = 0;
  HistoryStoreOn = 1;
}

}  // namespace display

void TForm1::SetHistoryBarsEnabled(bool enabled) {
  for (TScrollBar* bar : {ScrollBar1, Form10 ? Form10->ScrollBar1 : nullptr})
    if (bar) bar->SetEnabled(enabled);
}

void TForm1::StartHistoryRecording() {
  SetHistoryBarsEnabled(false);
  display::HistoryStoreOn = 1;
}

void TForm1::ShowNewestHistory() {
  using namespace display;
  SetHistoryBarsEnabled(true);
  // The program moves the bars; their change handler must not take it for
  // the user choosing a trace.
  HistorySliderArmed = 0;
  for (TScrollBar* bar : {ScrollBar1, Form10 ? Form10->ScrollBar1 : nullptr})
    if (bar) bar->SetPosition(HistoryLength);
  HistorySliderArmed = 1;
}
