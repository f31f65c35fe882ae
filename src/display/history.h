// The history of captures: storing each capture in the ring, and the
// defaults of a new session.
#pragma once

namespace display {

// Appends the sample block to the history ring when storing is on (a caller
// skips exactly one capture by clearing HistoryStoreOn), then turns storing on.
void StoreCaptureInHistory();
// An empty ring of 1000 captures with storing on.
void ResetHistory();

}  // namespace display
