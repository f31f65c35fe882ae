// The "Average..." menu on the main window: waveform averaging off, or the
// mean of the last 2 .. 128 captures (the unpacker keeps the ring).
#include "engine/control_panel.h"
#include "engine/scope_state.h"
#include "engine/spectrum/analysis_controls.h"
#include "engine/spectrum/spectrum_controller.h"

namespace engine::spectrum {

void SpectrumController::CheckAverageItem(std::size_t index) {
  for (AnalysisControls* a : {&analysis_, static_cast<AnalysisControls*>(Form11)}) {
    if (!a) continue;
    const auto items = a->AverageItems();
    for (std::size_t i = 0; i < items.size(); ++i) items[i]->SetChecked(i == index);
  }
}

void SpectrumController::Off1Click(TObject*) {
  ScopeState.AveragingOn = 0;
  ScopeState.AverageRunning = 0;
  ScopeState.AverageCount = 0;
  ScopeState.AverageLength = 4;
  CheckAverageItem(0);
}

void SpectrumController::AverageLengthClick(std::size_t index, std::int32_t length) {
  ScopeState.AverageLength = length;
  ScopeState.AverageCount = 0;
  ScopeState.AveragingOn = 1;
  ScopeState.AverageRunning = 1;
  CheckAverageItem(index);
}

void SpectrumController::N21Click(TObject*) { AverageLengthClick(1, 2); }
void SpectrumController::N41Click(TObject*) { AverageLengthClick(2, 4); }
void SpectrumController::N81Click(TObject*) { AverageLengthClick(3, 8); }
void SpectrumController::N161Click(TObject*) { AverageLengthClick(4, 16); }
void SpectrumController::N321Click(TObject*) { AverageLengthClick(5, 32); }
void SpectrumController::N641Click(TObject*) { AverageLengthClick(6, 64); }
void SpectrumController::N1281Click(TObject*) { AverageLengthClick(7, 128); }

}  // namespace engine::spectrum
