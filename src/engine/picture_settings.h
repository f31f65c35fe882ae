// The settings the scope pictures are drawn with, gathered from the scope's
// state for each drawing step.
#pragma once

#include "display/picture_settings.h"

namespace engine {

// The persistence that applies to the next trace: 0 while "Persist" is up,
// else the persistence mode (1 normal, 2 graded, 3 variable).
int ActivePersistence();

// The samples and settings as they are now.
display::PictureSettings CurrentPictureSettings();

}  // namespace engine
