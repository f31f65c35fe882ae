// The states the scope window and its companions work on. The program's
// start-up makes each once and hands them over together.
#pragma once

#include "display/display_state.h"
#include "display/history_state.h"
#include "display/persistence_state.h"
#include "engine/scope_state.h"

namespace engine {

struct ScopeStates {
  ScopeSharedState& Scope;
  display::DisplaySharedState& Display;
  display::HistorySharedState& History;
  display::PersistenceSharedState& Persistence;
};

// A window that works on the scope's states keeps them under these names.
struct WithScopeStates {
  explicit WithScopeStates(const ScopeStates& states)
      : ScopeState(states.Scope),
        DisplayState(states.Display),
        HistoryState(states.History),
        PersistenceState(states.Persistence) {}
  ScopeSharedState& ScopeState;
  display::DisplaySharedState& DisplayState;
  display::HistorySharedState& HistoryState;
  display::PersistenceSharedState& PersistenceState;
};

}  // namespace engine
