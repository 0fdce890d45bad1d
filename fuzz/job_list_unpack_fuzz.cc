// Fuzz target: unpack() of a job list (the content of submit and query
// replies, and of job archive files).
// Property: pack() of what was read is a fixed point.
#include "model/zx_job.h"
#include "pack_roundtrip.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  zxfuzz::checkBinary<ZxJobList>(data, size);
  return 0;
}
