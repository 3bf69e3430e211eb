// A replaced global operator new that counts allocations and live bytes, and
// can be told to fail the k-th allocation.  The tests that use it are
// single-threaded.
#pragma once

#include <cstddef>

namespace tavo::test {

struct Allocations {
  long count = 0;             // allocations since Reset()
  long fail_at = -1;          // index of the allocation to fail, -1 for none
  long live = 0;              // blocks not yet freed
  size_t live_bytes = 0;
  size_t peak_bytes = 0;      // highest live_bytes since Reset()
};

Allocations& TheAllocations();

// Starts counting afresh; `fail_at` as in Allocations.
void ResetAllocations(long fail_at = -1);

}  // namespace tavo::test
