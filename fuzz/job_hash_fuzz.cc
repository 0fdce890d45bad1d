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

void checkJob(const ZxString& input) {
  std::unique_ptr<ZxJob> first(hashToJob(input));
  if (!first) return;  // out of memory
  ZxString once;
  ZX_FUZZ_CHECK(jobToHash(first.get(), once));
  if (!ordinary(once, input.length())) return;
  std::unique_ptr<ZxJob> second(hashToJob(once));
  if (!second) return;
  ZxString twice;
  ZX_FUZZ_CHECK(jobToHash(second.get(), twice));
  std::unique_ptr<ZxJob> third(hashToJob(twice));
  if (!third) return;
  ZxString thrice;
  ZX_FUZZ_CHECK(jobToHash(third.get(), thrice));
  ZX_FUZZ_CHECK(zxfuzz::same(twice, thrice));
}

void checkWork(const ZxString& input) {
  std::unique_ptr<ZxWork> first(hashToWork(input));
  if (!first) return;
  ZxString once;
  ZX_FUZZ_CHECK(workToHash(first.get(), once));
  if (!ordinary(once, input.length())) return;
  std::unique_ptr<ZxWork> second(hashToWork(once));
  if (!second) return;
  ZxString twice;
  ZX_FUZZ_CHECK(workToHash(second.get(), twice));
  std::unique_ptr<ZxWork> third(hashToWork(twice));
  if (!third) return;
  ZxString thrice;
  ZX_FUZZ_CHECK(workToHash(third.get(), thrice));
  ZX_FUZZ_CHECK(zxfuzz::same(twice, thrice));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  ZxString input = zxfuzz::text(data + 1, size - 1);
  switch (data[0] & 3) {
    case 0: checkJob(input); break;
    case 1: checkWork(input); break;
    case 2: delete hashToCallback(input); break;
    default: delete hashToModifyRequest(input); break;
  }
  return 0;
}
