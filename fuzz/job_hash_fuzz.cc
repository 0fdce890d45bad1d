// Fuzz target: the job hash readers (hashToJob and, picked by the first
// byte, hashToWork, hashToCallback and hashToModifyRequest) on arbitrary
// text, as a MEL script may pass it to zxsubmit, zxarchivejob or zxmodify.
// Property: once a job has been written as a hash, reading that hash and
// writing it again gives the same text (the hash form is a fixed point
// after one trip); the work hash likewise. A package nested deep around a
// quote is written with its escapes doubled at every level, up to the
// package tree's bound of megabytes; reading such a text back only repeats
// the same paths slowly, so the trips are checked on hashes of ordinary size.
#include <memory>

#include "fuzz_support.h"
#include "plugin/zx_job_hash.h"

namespace {

// Whether a hash written from `inputSize` bytes is small enough to read back.
bool ordinary(const ZxString& hash, size_t inputSize) {
  return static_cast<long long>(hash.length()) <= 64LL * static_cast<long long>(inputSize) + 65536;
}

// Reads `input` with `read`, writes it with `write`, and checks that the
// written hash, read and written twice more, stays the same.
template <class R>
void checkFixedPoint(const ZxString& input, R* (*read)(const ZxString&), bool (*write)(const R*, ZxString&)) {
  std::unique_ptr<R> first(read(input));
  if (!first) return;  // out of memory
  ZxString once;
  ZX_FUZZ_CHECK(write(first.get(), once));
  if (!ordinary(once, input.length())) return;
  std::unique_ptr<R> second(read(once));
  if (!second) return;
  ZxString twice;
  ZX_FUZZ_CHECK(write(second.get(), twice));
  std::unique_ptr<R> third(read(twice));
  if (!third) return;
  ZxString thrice;
  ZX_FUZZ_CHECK(write(third.get(), thrice));
  ZX_FUZZ_CHECK(zxfuzz::same(twice, thrice));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  ZxString input = zxfuzz::text(data + 1, size - 1);
  switch (data[0] & 3) {
    case 0: checkFixedPoint<ZxJob>(input, hashToJob, jobToHash); break;
    case 1: checkFixedPoint<ZxWork>(input, hashToWork, workToHash); break;
    case 2: delete hashToCallback(input); break;
    default: delete hashToModifyRequest(input); break;
  }
  return 0;
}
