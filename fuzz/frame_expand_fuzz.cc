// Fuzz target: expansion of range texts and name patterns
// (FrameList::expand), with the default bounds and with tight ones.
// Properties: the bounds on strings and bytes hold; a pure range text
// expands to one plain decimal string per parsed frame.
#include "fuzz_support.h"
#include "util/zx_frame_list.h"
#include "model/zx_string_list.h"

namespace {
// Counts the strings of an expansion and, for a pure range text, compares
// each with the decimal text of the frame at its position.
struct Checker : FrameList::Sink {
  explicit Checker(const FrameList* list) : frames(list) {}
  bool take(const char* piece, int n) override {
    if (frames) {
      char expected[24];
      int length = std::snprintf(expected, sizeof expected, "%d", frames->frameAt(strings));
      ZX_FUZZ_CHECK(length == n && std::memcmp(expected, piece, static_cast<size_t>(n)) == 0);
    }
    ++strings;
    bytes += n;
    return true;
  }
  const FrameList* frames;
  int strings = 0;
  long long bytes = 0;
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ZxString input = zxfuzz::text(data, size);
  FrameList frames;
  // With the default bounds the strings are checked as they come, so that a
  // ten-byte text asking for millions of frames stays quick to fuzz.
  FrameList parsed;
  const bool range = FrameList::isRangeText(input);
  if (range) parsed.parse(input);
  Checker checker(range ? &parsed : nullptr);
  frames.expand(input, checker,
                FrameList::ExpandLimits{FrameList::kMaxExpandStrings, FrameList::kMaxExpandBytes});
  ZX_FUZZ_CHECK(checker.strings <= FrameList::kMaxExpandStrings);
  ZX_FUZZ_CHECK(checker.bytes <= FrameList::kMaxExpandBytes);
  if (range) ZX_FUZZ_CHECK(checker.strings == parsed.count());

  const FrameList::ExpandLimits tight{64, 4096};
  ZxStringList few;
  frames.expand(input, few, tight);
  ZX_FUZZ_CHECK(few.count() <= tight.strings);
  long long bytes = 0;
  for (int i = 0; i < few.count(); ++i) bytes += few.get(i)->length();
  ZX_FUZZ_CHECK(bytes <= tight.bytes);
  return 0;
}
