// Memory that reads as zeros and costs nothing until it is written: the
// system maps each page only when it is first touched.
#pragma once

#include <cstddef>

namespace os {

// `bytes` of zeros, or nullptr when the system has no room.
void* ReserveZeroPages(std::size_t bytes);
// Gives back what ReserveZeroPages returned (nullptr is ignored).
void ReleaseZeroPages(void* p, std::size_t bytes);

// The same, laid in whole 2 MB blocks on 2 MB boundaries and offered to the
// system for its large pages: memory walked in a scattered order then needs
// one address translation per block instead of one per 4 KB. Give it back
// with ReleaseLargeZeroPages and the same `bytes`.
void* ReserveLargeZeroPages(std::size_t bytes);
void ReleaseLargeZeroPages(void* p, std::size_t bytes);

}  // namespace os
