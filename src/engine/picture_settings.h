// The settings the scope pictures are drawn with, gathered from the scope's
// state for each drawing step.
#pragma once

#include "display/capture.h"
#include "display/picture_settings.h"
#include "engine/scope_states.h"

namespace engine {

// The persistence that applies to the next trace: 0 while "Persist" is up,
// else the persistence mode (1 normal, 2 graded, 3 variable).
int ActivePersistence(const WithScopeStates& states);

// The samples and settings as they are now.
display::PictureSettings CurrentPictureSettings(const WithScopeStates& states);

// The colours the pictures are drawn in now.
display::ColorTable CurrentColorTable(const WithScopeStates& states);

// The settings a capture taken now is taken with.
display::CaptureSettings CurrentCaptureSettings(const WithScopeStates& states);

// The samples a capture's picture and export carry: its codes, or in
// spectrum mode and the bit view the levels and logic lines the scope made
// of them.
display::SampleBlockView ShownSamples(const WithScopeStates& states, const display::Capture& capture);

// A capture of what the scope holds now (a replayed data file): the spectrum
// input in spectrum mode, else the sample block.
void CaptureHeldSamples(const WithScopeStates& states, display::Capture& capture);

}  // namespace engine
