// The scope's states as the program's start-up makes them, for tests that set
// them up or read them back; fresh after every ResetProgramState.
#pragma once

#include "engine/scope_states.h"

engine::ScopeSharedState& ScopeState();
display::DisplaySharedState& DisplayState();
display::HistorySharedState& HistoryState();
display::PersistenceSharedState& PersistenceState();
// All four, for the functions that work on a window's states.
engine::WithScopeStates States();
