// The replaceable global operator new and delete of the out-of-memory test
// executable. They allocate with malloc and free (so AddressSanitizer still
// watches every block and every leak), count allocations, and fail the ones
// a test armed (zx_failing_alloc.h).
#include <atomic>
#include <cstdlib>
#include <new>

#include "memory/zx_failing_alloc.h"

namespace {

std::atomic<long long> g_count{0};   // allocations since the counting scope began
std::atomic<long long> g_failAt{0};  // 0: none; else the count at which to fail once
std::atomic<bool> g_fired{false};
std::atomic<size_t> g_largeLimit{0};  // 0: none; else the size from which to fail
// Whether this thread armed a FailNthAllocation: only its own allocations
// are counted, so a helper thread (a test's server) cannot take the failure.
thread_local bool t_counting = false;

void* allocate(size_t n) {
  if (t_counting) {
    long long k = ++g_count;
    long long at = g_failAt.load();
    if (at != 0 && k == at) {
      g_fired = true;
      return nullptr;
    }
  }
  size_t limit = g_largeLimit.load();
  if (limit != 0 && n >= limit) {
    g_fired = true;
    return nullptr;
  }
  return std::malloc(n ? n : 1);
}

void* allocateOrThrow(size_t n) {
  void* p = allocate(n);
  if (!p) throw std::bad_alloc();
  return p;
}

}  // namespace

namespace zxtest {

FailNthAllocation::FailNthAllocation(long long n) {
  g_fired = false;
  g_count = 0;
  g_failAt = n;
  t_counting = true;
}
FailNthAllocation::~FailNthAllocation() {
  g_failAt = 0;
  t_counting = false;
}
long long FailNthAllocation::count() const { return g_count.load(); }
bool FailNthAllocation::fired() const { return g_fired.load(); }

FailLargeAllocations::FailLargeAllocations(size_t bytes) {
  g_fired = false;
  g_largeLimit = bytes;
}
FailLargeAllocations::~FailLargeAllocations() { g_largeLimit = 0; }
bool FailLargeAllocations::fired() const { return g_fired.load(); }

}  // namespace zxtest

void* operator new(size_t n) { return allocateOrThrow(n); }
void* operator new[](size_t n) { return allocateOrThrow(n); }
void* operator new(size_t n, const std::nothrow_t&) noexcept { return allocate(n); }
void* operator new[](size_t n, const std::nothrow_t&) noexcept { return allocate(n); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }
void operator delete[](void* p, size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
