// Fuzz target: fromText() of a job and of a job list (the text file form).
// The first byte picks which. Property: toText() of what was read is a
// fixed point.
#include "model/zx_job.h"
#include "pack_roundtrip.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  if (data[0] & 1)
    zxfuzz::checkText<ZxJobList>(data + 1, size - 1);
  else
    zxfuzz::checkText<ZxJob>(data + 1, size - 1);
  return 0;
}
