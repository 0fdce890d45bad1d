// The boundary of the client operations: nothing thrown inside an operation
// leaves the library, and an operation during which an allocation failed
// fails as a whole instead of answering less than it was asked for.
//
// guardedOperation(body) runs `body` (answering true on success) inside an
// out-of-memory watch (util/zx_out_of_memory.h) and a catch of every
// exception. When the watch saw a failed allocation, or std::bad_alloc or
// std::length_error was thrown, the operation answers false with the last
// error reading "out of memory"; any other exception gives "internal
// error". Records the body had lent to a request message are handed back by
// the message's own destructor while the exception unwinds.
#pragma once

#include <new>
#include <stdexcept>

#include "util/zx_out_of_memory.h"

// Sets the last error to the free text `what` ("out of memory", "internal
// error"); never throws (when even that text cannot be stored, only the
// code is set).
void setLastErrorText(const char* what) noexcept;

template <class Body>
bool guardedOperation(Body&& body) noexcept {
  ZxOutOfMemory::Watch watch;
  try {
    const bool ok = body();
    if (!watch.failed()) return ok;
  } catch (const std::bad_alloc&) {
  } catch (const std::length_error&) {
  } catch (...) {
    setLastErrorText("internal error");
    return false;
  }
  setLastErrorText("out of memory");
  return false;
}
