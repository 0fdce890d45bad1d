// The command boundary: what stands between Maya and every command's doIt.
//
// Maya must never see an exception from a plug-in, and a command must never
// report success with less than it was asked for. ZxGuarded<C, kName> is the
// class that the command table registers in place of C: its doIt runs C's
// inside an out-of-memory watch (util/zx_out_of_memory.h) and a catch of
// std::bad_alloc and std::length_error (what the standard library and the
// Maya API throw when memory runs out). Either way the command fails as a
// whole: its result is cleared and "<name>: out of memory" is shown. Any
// other exception ends the command as "<name>: internal error" rather than
// Maya's process.
#pragma once

#include <maya/MArgList.h>
#include <maya/MStatus.h>

#include <new>
#include <stdexcept>

#include "util/zx_out_of_memory.h"

// Clears the result, shows "<name>: <what>" and answers kFailure. Never throws.
MStatus zxCommandFailed(const char* name, const char* what);

template <class C, const char* kName>
class ZxGuarded final : public C {
 public:
  static void* creator() { return new (std::nothrow) ZxGuarded; }

  MStatus doIt(const MArgList& args) override {
    ZxOutOfMemory::Watch watch;
    try {
      MStatus status = C::doIt(args);
      if (!watch.failed()) return status;
    } catch (const std::bad_alloc&) {
    } catch (const std::length_error&) {
    } catch (...) {
      return zxCommandFailed(kName, "internal error");
    }
    return zxCommandFailed(kName, "out of memory");
  }
};
