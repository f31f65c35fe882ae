// The persistence controls that the main window and the twin panel both
// carry: the "Persist" button (the front panel's SpeedButton23) and the
// persistence items of the "Options" menu. Built once by the same code for
// both windows.
#pragma once

#include <array>

#include "engine/front_panel.h"
#include "platform/ui/vcl.h"

struct PersistenceControls {
  TMenuItem* NormalPersistence1 = nullptr;                // "Infinite Persistence"
  TMenuItem* PersistencewithIntensityGrading1 = nullptr;  // "Color Graded Persistence"
  TMenuItem* VariablePersistence1 = nullptr;              // "Variable Persistence"
  TMenuItem* PersistenceOptions1 = nullptr;               // "Persistence Options..."

  // The three mode items, mode 1 first.
  std::array<TMenuItem*, 3> PersistenceModeItems() const {
    return {NormalPersistence1, PersistencewithIntensityGrading1, VariablePersistence1};
  }
};

// Width of the "Persist" button.
constexpr int kPersistButtonWidth = 64;

// Creates "Persist" at (left, top) of `parent` and the menu items under
// `options`; binds no handler. Owned by `owner` under the names above.
void BuildPersistenceControls(TForm* owner, TWinControl* parent, int left, int top, TMenuItem* options,
                              PersistenceControls& c, FrontPanelControls& panel);
