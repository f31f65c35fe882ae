#include "display/persistence.h"

#include "display/persistence_state.h"

namespace display {

void ResetPersistence() {
  LiveTraceOn = 1;
  PersistenceMode = 1;
  VariablePersistenceMask = 15;
  GradedPersistenceMask = 31;
  HighColorCount = 32;
  LowColorCount = 1;
}

}  // namespace display
