// The "Average..." menu on the main window: waveform averaging off, or the
// mean of the last 2 .. 128 captures (the unpacker keeps the ring).
#include "engine/analysis_controls.h"
#include "engine/control_panel.h"
#include "engine/main_form.h"
#include "engine/scope_state.h"

void TForm1::CheckAverageItem(std::size_t index) {
  for (AnalysisControls* a : {static_cast<AnalysisControls*>(this), static_cast<AnalysisControls*>(Form11)}) {
    if (!a) continue;
    const auto items = a->AverageItems();
    for (std::size_t i = 0; i < items.size(); ++i) items[i]->SetChecked(i == index);
  }
}

void TForm1::Off1Click(TObject*) {
  ScopeState.AveragingOn = 0;
  ScopeState.AverageRunning = 0;
  ScopeState.AverageCount = 0;
  ScopeState.AverageLength = 4;
  CheckAverageItem(0);
}

void TForm1::AverageLengthClick(std::size_t index, std::int32_t length) {
  ScopeState.AverageLength = length;
  ScopeState.AverageCount = 0;
  ScopeState.AveragingOn = 1;
  ScopeState.AverageRunning = 1;
  CheckAverageItem(index);
}

void TForm1::N21Click(TObject*) { AverageLengthClick(1, 2); }
void TForm1::N41Click(TObject*) { AverageLengthClick(2, 4); }
void TForm1::N81Click(TObject*) { AverageLengthClick(3, 8); }
void TForm1::N161Click(TObject*) { AverageLengthClick(4, 16); }
void TForm1::N321Click(TObject*) { AverageLengthClick(5, 32); }
void TForm1::N641Click(TObject*) { AverageLengthClick(6, 64); }
void TForm1::N1281Click(TObject*) { AverageLengthClick(7, 128); }
