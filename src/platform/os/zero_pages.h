// Memory that reads as zeros and costs nothing until it is written: the
// system maps each page only when it is first touched.
#pragma once

#include <cstddef>

namespace os {

// `bytes` of zeros, or nullptr when the system has no room.
void* ReserveZeroPages(std::size_t bytes);
// Gives back what ReserveZeroPages returned (nullptr is ignored).
void ReleaseZeroPages(void* p, std::size_t bytes);

}  // namespace os
