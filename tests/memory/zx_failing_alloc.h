// Allocations that fail on purpose, for the out-of-memory tests: this test
// executable replaces the global operator new and delete (see
// zx_failing_alloc_support.cc) with versions that can be told to fail.
// Nothing fails until a test arms a failure, and every arming ends with the
// scope that made it.
#pragma once

#include <cstddef>

namespace zxtest {

// While it lives: the n-th allocation after its construction (n = 1 is the
// next one) fails, once, and later ones succeed. With n = 0 nothing fails
// and the scope only counts. Only allocations of the thread that made the
// scope are counted.
class FailNthAllocation {
 public:
  explicit FailNthAllocation(long long n);
  ~FailNthAllocation();
  FailNthAllocation(const FailNthAllocation&) = delete;
  FailNthAllocation& operator=(const FailNthAllocation&) = delete;
  // Allocations asked for since the scope began, the failed one included.
  long long count() const;
  // Whether the armed allocation was reached (and failed).
  bool fired() const;
};

// While it lives: every allocation of at least `bytes` fails, as a large
// block does when the address space or the machine's memory is used up.
class FailLargeAllocations {
 public:
  explicit FailLargeAllocations(size_t bytes);
  ~FailLargeAllocations();
  FailLargeAllocations(const FailLargeAllocations&) = delete;
  FailLargeAllocations& operator=(const FailLargeAllocations&) = delete;
  // Whether an allocation was refused.
  bool fired() const;
};

}  // namespace zxtest
