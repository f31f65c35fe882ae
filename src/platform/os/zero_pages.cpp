#include "platform/os/zero_pages.h"

#include <sys/mman.h>

namespace os {

void* ReserveZeroPages(std::size_t bytes) {
  if (bytes == 0) return nullptr;
  void* p = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  return p == MAP_FAILED ? nullptr : p;
}

void ReleaseZeroPages(void* p, std::size_t bytes) {
  if (p && bytes) munmap(p, bytes);
}

}  // namespace os
