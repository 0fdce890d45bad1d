// Regression tests from fuzzing FrameList: chunk texts must read back to the
// frames they were made from, whatever the distance between the frames.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "util/zx_frame_list.h"
#include "model/zx_string_list.h"

namespace {

std::vector<int> framesOfChunks(const ZxStringList& chunks) {
  std::vector<int> v;
  FrameList one;
  for (int c = 0; c < chunks.count(); ++c) {
    one.parse(*chunks.get(c));
    for (int i = 0; i < one.count(); ++i) v.push_back(one.frameAt(i));
  }
  return v;
}

TEST(FrameListRegression, ChunksOfDistantFramesReadBack) {
  struct Case {
    std::vector<int> frames;
    int size;
    std::vector<std::string> chunks;
  };
  const Case cases[] = {
      // More than 2^31 - 1 apart: a step that far cannot be read, so one chunk each.
      {{-2000000000, 2000000000}, 5, {"-2000000000", "2000000000"}},
      {{-2147483648, 2147483647}, 2, {"-2147483648", "2147483647"}},
      // Exactly 2^31 - 1 apart: the step still reads.
      {{0, 2147483647}, 2, {"0-2147483647x2147483647"}},
      {{-1, 2147483646}, 2, {"-1-2147483646x2147483647"}},
  };
  for (const Case& c : cases) {
    FrameList l;
    for (int f : c.frames) l.add(f);
    ZxStringList out;
    l.chunk(c.size, out);
    std::vector<std::string> texts;
    for (int i = 0; i < out.count(); ++i) texts.emplace_back(out.get(i)->c_str(), out.get(i)->length());
    EXPECT_EQ(texts, c.chunks) << c.chunks[0];
    EXPECT_EQ(framesOfChunks(out), c.frames) << c.chunks[0];
  }
}

}  // namespace
