// The counting operator new: every allocation of the process goes through it.
#include "counting_new.h"

#include <malloc.h>

#include <cstdlib>
#include <new>

namespace tavo::test {

Allocations& TheAllocations() {
  static Allocations a;
  return a;
}

void ResetAllocations(long fail_at) {
  Allocations& a = TheAllocations();
  a.count = 0;
  a.fail_at = fail_at;
  a.peak_bytes = a.live_bytes;
}

}  // namespace tavo::test

void* operator new(std::size_t size) {
  tavo::test::Allocations& a = tavo::test::TheAllocations();
  if (a.count++ == a.fail_at) throw std::bad_alloc();
  void* p = std::malloc(size ? size : 1);
  if (!p) throw std::bad_alloc();
  ++a.live;
  a.live_bytes += malloc_usable_size(p);
  if (a.live_bytes > a.peak_bytes) a.peak_bytes = a.live_bytes;
  return p;
}

void operator delete(void* p) noexcept {
  if (!p) return;
  tavo::test::Allocations& a = tavo::test::TheAllocations();
  --a.live;
  a.live_bytes -= malloc_usable_size(p);
  std::free(p);
}

void operator delete(void* p, std::size_t) noexcept { operator delete(p); }
