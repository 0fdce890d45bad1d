// Fuzz target: the frame range reader (FrameList::parse) and chunking.
// The first byte picks the chunk size (1 to 256); the rest is the range text.
// Properties: the frame cap holds; every chunk holds at most `size` frames;
// the chunks parsed back cover exactly the sorted unique frames, in order;
// chunks worked out from the ranges (chunkRanges) are the same chunks.
#include <algorithm>
#include <vector>

#include "fuzz_support.h"
#include "util/zx_frame_list.h"
#include "model/zx_string_list.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  int chunkSize = data[0] + 1;
  FrameList frames;
  const ZxString text = zxfuzz::text(data + 1, size - 1);
  const bool whole = frames.parse(text);
  ZX_FUZZ_CHECK(frames.count() <= FrameList::kMaxFrames);

  // The chunk check builds and parses one string per chunk; past this many
  // frames it only repeats the same paths slowly under the sanitizers (the
  // large lists are timed and measured outside the fuzzer).
  constexpr int kMaxCheckedFrames = 20000;
  if (frames.count() > kMaxCheckedFrames) return 0;

  std::vector<int> expected;
  expected.reserve(static_cast<size_t>(frames.count()));
  for (int i = 0; i < frames.count(); ++i) expected.push_back(frames.frameAt(i));
  std::sort(expected.begin(), expected.end());
  expected.erase(std::unique(expected.begin(), expected.end()), expected.end());

  ZxStringList chunks;
  frames.chunk(chunkSize, chunks);
  std::vector<int> covered;
  covered.reserve(expected.size());
  FrameList one;
  for (int c = 0; c < chunks.count(); ++c) {
    one.parse(*chunks.get(c));
    ZX_FUZZ_CHECK(one.count() >= 1 && one.count() <= chunkSize);
    for (int i = 0; i < one.count(); ++i) covered.push_back(one.frameAt(i));
  }
  ZX_FUZZ_CHECK(covered == expected);

  if (whole) {
    ZxStringList fromRanges;
    ZX_FUZZ_CHECK(FrameList::chunkRanges(text, chunkSize, fromRanges) == FrameList::Outcome::kComplete);
    ZX_FUZZ_CHECK(fromRanges.count() == chunks.count());
    for (int c = 0; c < chunks.count(); ++c) ZX_FUZZ_CHECK(*fromRanges.get(c) == *chunks.get(c));
  }
  return 0;
}
