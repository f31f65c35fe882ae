#include "support/program_states.h"

#include "app/windows.h"

engine::ScopeSharedState& ScopeState() { return CreatedScopeStates().Scope; }
display::DisplaySharedState& DisplayState() { return CreatedScopeStates().Display; }
display::HistorySharedState& HistoryState() { return CreatedScopeStates().History; }
display::PersistenceSharedState& PersistenceState() { return CreatedScopeStates().Persistence; }
engine::WithScopeStates States() { return engine::WithScopeStates(CreatedScopeStates()); }
