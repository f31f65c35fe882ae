#include "platform/os/zero_pages.h"

#include <sys/mman.h>

#include <cstdint>

namespace os {

void* ReserveZeroPages(std::size_t bytes) {
  if (bytes == 0) return nullptr;
  void* p = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  return p == MAP_FAILED ? nullptr : p;
}

void ReleaseZeroPages(void* p, std::size_t bytes) {
  if (p && bytes) munmap(p, bytes);
}

namespace {

constexpr std::size_t kLargePage = std::size_t{2} << 20;

std::size_t LargePagesOf(std::size_t bytes) { return (bytes + kLargePage - 1) / kLargePage * kLargePage; }

}  // namespace

void* ReserveLargeZeroPages(std::size_t bytes) {
  if (bytes == 0) return nullptr;
  const std::size_t size = LargePagesOf(bytes);
  // Map one block more than needed and give back what lies outside the
  // boundaries.
  void* p = mmap(nullptr, size + kLargePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (p == MAP_FAILED) return nullptr;
  const auto start = reinterpret_cast<std::uintptr_t>(p);
  const std::uintptr_t aligned = (start + kLargePage - 1) / kLargePage * kLargePage;
  if (aligned > start) munmap(p, aligned - start);
  if (const std::size_t tail = start + size + kLargePage - (aligned + size); tail > 0)
    munmap(reinterpret_cast<void*>(aligned + size), tail);
  // Only a wish: without large pages the memory is the same, only slower to reach.
  madvise(reinterpret_cast<void*>(aligned), size, MADV_HUGEPAGE);
  return reinterpret_cast<void*>(aligned);
}

void ReleaseLargeZeroPages(void* p, std::size_t bytes) {
  if (p && bytes) munmap(p, LargePagesOf(bytes));
}

}  // namespace os
