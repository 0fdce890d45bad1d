// The out-of-memory note: how an operation learns that some allocation made
// on its behalf failed.
//
// The library reports a failed allocation by return value where it happens
// (a null pointer, a false, a string or list left as it was), and nothing
// throws across its interface. Such a failure deep inside a builder (one
// element of a list, one append to a text) would otherwise leave a result
// that is merely shorter than asked for. So every allocation failure in the
// library also calls note(), which sets a flag of the calling thread; an
// operation that builds a result opens a Watch first and asks it at the end
// whether anything failed, and then fails as a whole (the plug-in's commands
// do this at their boundary: an empty result and an "out of memory" error).
//
// A request too large to be held at all (a string past INT_MAX bytes) is
// noted the same way: it fails for want of memory the type can address.
#pragma once

namespace ZxOutOfMemory {

// Marks the calling thread's flag.
void note();
// Whether the flag is set.
bool noted();

// Watches one operation: clears the flag on construction and, on
// destruction, sets it again if it was set before, so watches nest (an
// outer watch still sees what failed inside an inner one).
class Watch {
 public:
  Watch();
  ~Watch();
  Watch(const Watch&) = delete;
  Watch& operator=(const Watch&) = delete;

  // Whether an allocation failed since the watch began.
  bool failed() const { return noted(); }

 private:
  bool before_;
};

}  // namespace ZxOutOfMemory

#include <cstddef>
#include <new>
#include <utility>

// A new T, or null (with the failure noted) when memory runs out.
template <class T, class... Args>
T* zxNew(Args&&... args) {
  T* p = new (std::nothrow) T(std::forward<Args>(args)...);
  if (!p) ZxOutOfMemory::note();
  return p;
}

// A new array of n default-initialised T, or null (with the failure noted).
template <class T>
T* zxNewArray(size_t n) {
  T* p = new (std::nothrow) T[n];
  if (!p) ZxOutOfMemory::note();
  return p;
}
