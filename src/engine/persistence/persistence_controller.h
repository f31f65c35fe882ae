// Persistence and the history view of the main window: "Persist" and its
// three modes, and the history bar with its pop-up menu and files.
#pragma once

#include <array>

#include "display/scope_view.h"
#include "engine/front_panel.h"
#include "engine/persistence/persistence_host.h"
#include "engine/persistence_controls.h"
#include "engine/scope_states.h"
#include "platform/ui/vcl.h"

class ControlMaker;

namespace engine::persistence {

// Width of the Big Screen's position bar beside its history bar.
inline constexpr int kBigPositionBarWidth = 729;

// Shortens `positionBar` to `positionWidth` and makes the history bar
// "ScrollBar1" of `window` beside it, up to the picture's right edge, at the
// newest trace.
TScrollBar* MakeHistoryBar(const engine::WithScopeStates& states, ControlMaker& make, TForm* window,
                           TScrollBar* positionBar, const TImage* picture, int positionWidth);

class PersistenceController : public engine::WithScopeStates {
 public:
  // `window` owns the controls; `positionBar` is its horizontal position bar,
  // which the history bar shares a row with.
  PersistenceController(const engine::WithScopeStates& states, PersistenceHost& host, TForm& window,
                        PersistenceControls& persistence, FrontPanelControls& panel, HistoryControls& history,
                        display::ScopeView& view, TImage& picture, TScrollBar& positionBar);

  // "Persist" and the modes: 1 "Infinite Persistence", 2 "Color Graded
  // Persistence", 3 "Variable Persistence".
  void SpeedButton23Click(TObject* Sender);
  void PersistenceModeClick(int mode);
  void NormalPersistence1Click(TObject* Sender);
  void PersistencewithIntensityGrading1Click(TObject* Sender);
  void VariablePersistence1Click(TObject* Sender);
  void PersistenceOptions1Click(TObject* Sender);
  // "Persist" released (its handler run) when it is down.
  void ReleasePersist();
  // A running persistence starts again: released and pressed, each with its handler.
  void RestartPersist();
  // The graded and variable mode items on both windows (a math trace has no use for them).
  void SetPersistenceModeItemsEnabled(bool enabled);

  // Builds the history bar beside the position bar, its pop-up menu,
  // "History" and the file dialogs, and binds them.
  void BuildHistoryControls();
  void ScrollBar1Change(TObject* Sender);
  void ClearHistory1Click(TObject* Sender);
  void SaveHistory1Click(TObject* Sender);
  void OpenHistory1Click(TObject* Sender);
  void HideHistoryBar1Click(TObject* Sender);
  void HistoryClick(TObject* Sender);
  void ShowHint1Click(TObject* Sender);
  // The history bars of both windows shown, or hidden with "History" in their place.
  void ShowHistoryBars(bool shown);

  // Recording: the bars off while the capture loop runs (the next capture is
  // stored), then on at the newest trace.
  void SetHistoryBarsEnabled(bool enabled);
  void StartHistoryRecording();
  void ShowNewestHistory();

 private:
  // Both history bars at the newest trace, then that trace shown as the user's choice.
  void ShowNewestHistoryTrace();
  // Both windows' persistence items, where they are built.
  std::array<PersistenceControls*, 2> PersistencePanels() const;

  PersistenceHost& host_;
  TForm& window_;
  PersistenceControls& persistence_;
  FrontPanelControls& panel_;
  HistoryControls& history_;
  display::ScopeView& view_;
  TImage& picture_;
  TScrollBar& positionBar_;
};

}  // namespace engine::persistence
