// Tests of FrameList: the range grammar, the pure range test, name-pattern
// expansion, chunking, and the bounds that keep hostile range texts from
// exhausting memory or looping.
#include "util/zx_frame_list.h"
#include "model/zx_string_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<int> framesOf(const FrameList& l) {
  std::vector<int> v;
  for (int i = 0; i < l.count(); ++i) v.push_back(l.frameAt(i));
  return v;
}

std::vector<std::string> itemsOf(const ZxStringList& l) {
  std::vector<std::string> v;
  for (int i = 0; i < l.count(); ++i) v.push_back(std::string(l.get(i)->c_str(), l.get(i)->length()));
  return v;
}

std::vector<int> parsed(const std::string& text) {
  FrameList l;
  l.parse(ZxString(text.c_str(), static_cast<int>(text.size())));
  return framesOf(l);
}

TEST(FrameList, ParseGrammar) {
  struct Case {
    const char* text;
    std::vector<int> frames;
  };
  const Case cases[] = {
      {"1-5", {1, 2, 3, 4, 5}},
      {"5-1", {5, 4, 3, 2, 1}},
      {"-3-3", {-3, -2, -1, 0, 1, 2, 3}},
      {"1--3", {1, 0, -1, -2, -3}},
      {"-3--5", {-3, -4, -5}},
      {"1-10x3", {1, 4, 7, 10}},
      {"1-9x3", {1, 4, 7}},
      {"10-1x3", {10, 7, 4, 1}},
      {"1-10x-3", {1, 4, 7, 10}},
      {"1-10x0", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}},
      {"1-10X3", {2, 3, 5, 6, 8, 9}},
      {"10-1X3", {9, 8, 6, 5, 3, 2}},
      {"1-10X1", {}},
      {"1-10X0", {}},
      {"7", {7}},
      {"4-4", {4}},
      {"1-3, 7", {1, 2, 3, 7}},
      {"1,1,1", {1, 1, 1}},  // duplicates are kept
      {"3-1,2", {3, 2, 1, 2}},
      {" \t\n1 -\t3 ,\n 7 x 2", {1, 2, 3, 7}},  // gaps before numbers and separators
      {"1 - 10 x 3", {1, 4, 7, 10}},
      // Reading stops where the grammar is not met, keeping what was read.
      {"1-3;7", {1, 2, 3}},
      {"1-3 7", {1, 2, 3}},
      {"5x2", {5}},
      {"1-3,", {1, 2, 3}},
      {"1-3,,5", {1, 2, 3}},
      {"1-3,5-", {1, 2, 3}},
      {"1-3,5-9x", {1, 2, 3}},
      {"1-3,5-9x,7", {1, 2, 3}},
      {"1-3\r,5", {1, 2, 3}},  // a carriage return is not a gap
      {"1-3,\r5", {1, 2, 3}},
      {"- 3", {}},  // no gap between a sign and its digits
      {"", {}},
      {"abc", {}},
      {"x5", {}},
      // 32-bit limits; a number beyond them is not read.
      {"2147483647", {2147483647}},
      {"-2147483648", {-2147483648}},
      {"2147483646-2147483647", {2147483646, 2147483647}},
      {"-2147483647--2147483648", {-2147483647, -2147483648}},
      {"1,2147483648", {1}},
      {"1,4294967297", {1}},
      {"1,-2147483649", {1}},
      {"1-99999999999999999999999", {}},
      {"00000000000000000000000005", {5}},  // leading zeros do not overflow
  };
  for (const Case& c : cases) EXPECT_EQ(parsed(c.text), c.frames) << "text: " << c.text;
}

TEST(FrameList, ParseSetsPadWidthFromFirstNumberAndEmptiesFirst) {
  struct Case {
    const char* text;
    int padWidth;
  };
  const Case cases[] = {
      {"001-003", 3}, {"-0007", 4}, {"7-0009", 1}, {" 0010", 4}, {"abc", 0}, {"", 0}, {"x12", 0},
  };
  for (const Case& c : cases) {
    FrameList l;
    l.parse("0001");
    l.parse(c.text);
    EXPECT_EQ(l.padWidth(), c.padWidth) << c.text;
  }
  FrameList l;
  l.parse("1-5");
  l.parse("9");
  EXPECT_EQ(framesOf(l), (std::vector<int>{9}));
}

TEST(FrameList, AddFrameAtSortUniqueAndCopy) {
  FrameList l;
  EXPECT_EQ(l.typeId(), 89);
  EXPECT_EQ(l.count(), 0);
  EXPECT_EQ(l.frameAt(0), 0);
  for (int f : std::vector<int>{5, -1, 5, 3, -1, 2147483647, -2147483647 - 1}) EXPECT_TRUE(l.add(f));
  EXPECT_EQ(framesOf(l), (std::vector<int>{5, -1, 5, 3, -1, 2147483647, -2147483648}));
  EXPECT_EQ(l.frameAt(-1), 0);
  EXPECT_EQ(l.frameAt(7), 0);

  FrameList copy(l);
  l.sortUnique();
  EXPECT_EQ(framesOf(l), (std::vector<int>{-2147483648, -1, 3, 5, 2147483647}));
  EXPECT_EQ(copy.count(), 7);  // the copy has its own frames
  copy = l;
  EXPECT_EQ(framesOf(copy), framesOf(l));
  copy = copy;
  EXPECT_EQ(copy.count(), 5);
}

TEST(FrameList, LongAgendasGrowInLinearTime) {
  // Growing by one slot per addition made this quadratic (terabytes copied).
  FrameList l;
  const int n = 3000000;
  for (int i = 0; i < n; ++i) ASSERT_TRUE(l.add(i));
  ASSERT_EQ(l.count(), n);
  EXPECT_EQ(l.frameAt(0), 0);
  EXPECT_EQ(l.frameAt(n / 2), n / 2);
  EXPECT_EQ(l.frameAt(n - 1), n - 1);
}

TEST(FrameList, IsRangeText) {
  struct Case {
    const char* text;
    bool range;
  };
  const Case cases[] = {
      {"1-100", true},  {"1-10x3", true},   {"1-10X3,20", true}, {" 1 - 3 ,\t7\n", true},
      {"-5", true},     {"1-3;7", false},   {"1-3\r", false},    {"shot.[1-3].exr", false},
      {"abc", false},   {"1-3,abc", false}, {"x1-3", false},     {"X1", false},
      {",1", false},    {"", false},        {" \t\n", false},    {" x1", true},  // only the first byte counts
      {"1-3y2", false},
  };
  for (const Case& c : cases) EXPECT_EQ(FrameList::isRangeText(c.text), c.range) << "text: " << c.text;
}

TEST(FrameList, Expand) {
  struct Case {
    const char* text;
    std::vector<std::string> strings;
  };
  const Case cases[] = {
      // Pure range texts: plain decimal, no zero fill, duplicates kept.
      {"001-003", {"1", "2", "3"}},
      {"3-1,2", {"3", "2", "1", "2"}},
      {"1-3, 7", {"1", "2", "3", "7"}},
      // Name patterns.
      {"shot.[001-003].exr", {"shot.001.exr", "shot.002.exr", "shot.003.exr"}},
      {"a.[1-2].b,c.tif", {"a.1.b", "a.2.b", "c.tif"}},
      {"1-3,abc", {"1-3", "abc"}},
      {"f.[08-11]", {"f.08", "f.09", "f.10", "f.11"}},
      {"f[-005--3]", {"f-05", "f-04", "f-03"}},
      {"f.[1,3-4].x,g", {"f.1.x", "f.3.x", "f.4.x", "g"}},  // commas inside brackets do not split
      {" a . [ 1-2 ] . b ", {"a.1.b", "a.2.b"}},            // blanks dropped inside and out
      {"a\r\n.tif", {"a.tif"}},
      {"a[1-2]b[3-4]c", {"a1b[3-4]c", "a2b[3-4]c"}},  // only the first group is expanded
      {"a[1-2 z]b", {"a1]b", "a2]b"}},                // the token after the range is dropped
      {"a,,b", {"a", "", "b"}},                       // an empty item before a comma is kept
      {"a,", {"a"}},                                  // nothing after a final comma
      {",", {""}},
      {"f.[abc].x,g", {"g"}},  // a range that yields no frames contributes nothing
      {"f.[].x", {}},
      {"f.[", {"f.["}},              // "[" with nothing after it: the item as it is
      {"f.[1-2,g", {"f.1", "f.2"}},  // an unclosed "[" runs to the end of the text
      {"a]b", {"a]b"}},
      {"", {}},
      {"1-3;7", {"1-3;7"}},
  };
  for (const Case& c : cases) {
    ZxStringList out;
    FrameList l;
    l.expand(c.text, out);
    EXPECT_EQ(itemsOf(out), c.strings) << "text: " << c.text;
  }
  // Expansion appends to what the list already holds.
  ZxStringList out;
  out.add("first");
  FrameList l;
  l.expand("1-2", out);
  EXPECT_EQ(itemsOf(out), (std::vector<std::string>{"first", "1", "2"}));
}

std::vector<std::string> chunked(const std::string& text, int size) {
  FrameList l;
  l.parse(text.c_str());
  ZxStringList out;
  l.chunk(size, out);
  return itemsOf(out);
}

TEST(FrameList, Chunk) {
  struct Case {
    const char* frames;
    int size;
    std::vector<std::string> chunks;
  };
  const Case cases[] = {
      {"1-10", 3, {"1-3", "4-6", "7-9", "10"}},
      {"1-20x2", 4, {"1-7x2", "9-15x2", "17-19x2"}},
      {"1,2,3,7,8,9", 2, {"1-2", "3", "7-8", "9"}},
      {"1,5,20", 10, {"1", "5", "20"}},
      {"1,5", 10, {"1-5x4"}},
      {"3,1,2,2", 5, {"1-3"}},
      {"1-6", 3, {"1-3", "4-6"}},
      {"1-6", 100, {"1-6"}},
      {"1-3", 1, {"1", "2", "3"}},
      {"1-9x2", 2, {"1-3x2", "5-7x2", "9x2"}},  // a lone last chunk of a spaced run keeps the spacing
      {"7", 3, {"7"}},
      {"7,7,7", 3, {"7"}},
      {"1,5", 1, {"1", "5"}},
      {"1,2", 10, {"1-2"}},
      {"1,3", 10, {"1-3x2"}},
      // A frame that ends a run does not start another: 3 belongs to 1-3, so 3,5,7 is no run.
      {"1,2,3,5,7", 10, {"1-3", "5", "7"}},
      {"1-4,10,12,14,15", 10, {"1-4", "10-14x2", "15"}},
      {"10-1", 4, {"1-4", "5-8", "9-10"}},
      // No chunks.
      {"1-10", 0, {}},
      {"1-10", -3, {}},
      {"", 5, {}},
      // Spacings beyond 32 bits: no step text reads back past 2^31 - 1, so
      // two frames that far apart are a chunk each.
      {"-2147483648,2147483647", 2, {"-2147483648", "2147483647"}},
      {"-2147483648,2147483647", 1, {"-2147483648", "2147483647"}},
      {"-2147483648,-1,2147483646", 5, {"-2147483648-2147483646x2147483647"}},
      {"-2147483648,-1,2147483646", 1, {"-2147483648x2147483647", "-1x2147483647", "2147483646x2147483647"}},
      {"-2147483648,0,2147483647", 5, {"-2147483648", "0", "2147483647"}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(chunked(c.frames, c.size), c.chunks) << "frames: " << c.frames << " by " << c.size;
}

TEST(FrameList, ChunkSortsAndDeduplicatesTheList) {
  FrameList l;
  l.parse("5,1,3,1");
  ZxStringList out;
  l.chunk(2, out);
  EXPECT_EQ(framesOf(l), (std::vector<int>{1, 3, 5}));
  EXPECT_EQ(itemsOf(out), (std::vector<std::string>{"1-3x2", "5x2"}));
}

// Hostile range texts: each must stop at the frame bound instead of
// allocating gigabytes or walking billions of values.
TEST(FrameList, ParseStopsAtTheFrameBound) {
  struct Case {
    const char* text;
    int count;
    int first, last;
  };
  const int kMax = FrameList::kMaxFrames;
  const Case cases[] = {
      {"1-2000000000", kMax, 1, kMax},
      {"-2147483648-2147483647", kMax, -2147483648, -2147483648 + kMax - 1},
      {"2147483647--2147483648", kMax, 2147483647, 2147483647 - (kMax - 1)},
      {"1-300000,1-300000", kMax, 1, kMax - 300000},  // the bound counts the whole text
      {"1-10000000,5", kMax, 1, kMax},                // reading ends at the bound
      {"-2147483648-2147483647X2", kMax, -2147483647, -2147483647 + 2 * (kMax - 1)},
      {"-2147483648-2147483647X1", 0, 0, 0},  // nothing to take: no walk at all
      {"-2147483648-2147483647x2147483647", 3, -2147483648, 2147483646},
      {"2147483647--2147483648x-2147483648", 2, 2147483647, -1},
      {"0-2147483647x2147483647", 2, 0, 2147483647},
      {"-2147483648-2147483647x1", kMax, -2147483648, -2147483648 + kMax - 1},
  };
  for (const Case& c : cases) {
    FrameList l;
    l.parse(c.text);
    EXPECT_EQ(l.count(), c.count) << c.text;
    EXPECT_EQ(l.frameAt(0), c.first) << c.text;
    EXPECT_EQ(l.frameAt(l.count() - 1), c.last) << c.text;
  }
}

TEST(FrameList, ExpandOfPatternsIsBoundedInTotalAndSaysSo) {
  // Several items, each asking for billions of frames of a long name.
  std::string name(4000, 'n');
  std::string text;
  for (int i = 0; i < 5; ++i) text += name + ".[1-2000000000].exr,";
  ZxStringList out;
  FrameList l;
  EXPECT_EQ(l.expand(text.c_str(), out), FrameList::Outcome::kTooManyBytes);
  long long bytes = 0;
  for (int i = 0; i < out.count(); ++i) bytes += out.get(i)->length();
  EXPECT_GT(out.count(), 0);
  EXPECT_LE(bytes, FrameList::kMaxExpandBytes);
  EXPECT_LT(out.count(), 9000);  // 32 MB of 4008-byte names
  EXPECT_EQ(std::string(out.get(0)->c_str()), name + ".1.exr");
}

// How each expansion ends: whole, or at the bound it met first.
TEST(FrameList, ExpandTellsWhyItStopped) {
  using O = FrameList::Outcome;
  struct Case {
    const char* text;
    FrameList::ExpandLimits limits;
    O outcome;
  } cases[] = {
      {"1-10,a[1-3]", {100, 1000}, O::kComplete},
      {"1-400001", {FrameList::kMaxExpandStrings, FrameList::kMaxExpandBytes}, O::kTooManyFrames},
      {"a[1-400001]", {FrameList::kMaxExpandStrings, FrameList::kMaxExpandBytes}, O::kTooManyFrames},
      {"a[1-600],b[1-600]", {1000, 1 << 20}, O::kTooManyStrings},
      {"1-10", {9, 1000}, O::kTooManyStrings},
      {"ab[1-9]", {100, 26}, O::kTooManyBytes},
      {"ab[1-9]", {100, 27}, O::kComplete},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    ZxStringList out;
    FrameList l;
    EXPECT_EQ(l.expand(c.text, out, c.limits), c.outcome);
  }
}

TEST(FrameList, ExpandStopsAtTighterLimits) {
  struct Case {
    const char* text;
    FrameList::ExpandLimits limits;
    std::vector<std::string> strings;
  };
  const Case cases[] = {
      {"[1-9000000],[1-9000000]", {3, 1000}, {"1", "2", "3"}},
      {"a[1-2],b[1-2],c", {3, 1000}, {"a1", "a2", "b1"}},
      {"1-2000000000", {2, 1000}, {"1", "2"}},
      {"ab[1-9],cd[1-9]", {100, 7}, {"ab1", "ab2"}},  // the next one would make 9 bytes
      {"1-10", {100, 3}, {"1", "2", "3"}},
      {"a,,b", {100, 1}, {"a", ""}},
      {"1-3", {0, 1000}, {}},
      {"1-3", {-5, 1000}, {}},
  };
  for (const Case& c : cases) {
    ZxStringList out;
    FrameList l;
    l.expand(c.text, out, c.limits);
    EXPECT_EQ(itemsOf(out), c.strings) << "text: " << c.text;
  }
}

TEST(FrameList, ExpandStopsWhenTheSinkRefuses) {
  // Takes `room` strings, then refuses; counts every call.
  struct Refusing : FrameList::Sink {
    int room, calls = 0;
    std::vector<std::string> got;
    explicit Refusing(int r) : room(r) {}
    bool take(const char* bytes, int n) override {
      ++calls;
      if (static_cast<int>(got.size()) == room) return false;
      got.emplace_back(bytes, n);
      return true;
    }
  };
  const FrameList::ExpandLimits limits{FrameList::kMaxExpandStrings, FrameList::kMaxExpandBytes};
  for (const char* text : {"1-2000000000", "a[1-9000000],b[1-5]"}) {
    Refusing sink(2);
    FrameList l;
    l.expand(text, sink, limits);
    EXPECT_EQ(sink.got.size(), 2u) << text;
    EXPECT_EQ(sink.calls, 3) << text;
  }
}

// chunkRanges() works from the ranges, chunk() from the frames: they must
// agree on every text. Random texts of every item shape (descending,
// stepped, excepted, overlapping, repeated) over a small span, so that the
// runs meet, overlap and touch in every way, and some large ones that the
// frame bound still lets chunk() list.
TEST(FrameList, ChunksFromRangesEqualChunksFromFrames) {
  unsigned int seed = 12345;
  auto next = [&seed](int n) {
    seed = seed * 1103515245u + 12345u;
    return static_cast<int>((seed >> 16) % static_cast<unsigned int>(n));
  };
  std::vector<std::string> texts = {"1-399000",
                                    "399000-1x3",
                                    "1-300000,5,100000-200000x7",
                                    "-2147483648--2147088648",
                                    "1-300000X4",
                                    "2147483647,-2147483648,0"};
  for (int t = 0; t < 1500; ++t) {
    std::string text;
    int items = 1 + next(6);
    for (int i = 0; i < items; ++i) {
      if (i > 0) text += ",";
      int a = next(40) - 15, b = next(40) - 15;
      switch (next(4)) {
        case 0:
          text += std::to_string(a);
          break;
        case 1:
          text += std::to_string(a) + "-" + std::to_string(b);
          break;
        case 2:
          text += std::to_string(a) + "-" + std::to_string(b) + "x" + std::to_string(next(6) - 1);
          break;
        default:
          text += std::to_string(a) + "-" + std::to_string(b) + "X" + std::to_string(next(6));
          break;
      }
    }
    texts.push_back(text);
  }
  for (size_t t = 0; t < texts.size(); ++t) {
    const std::string& text = texts[t];
    // The large texts by coarse sizes only: by 1 they only repeat the paths slowly.
    for (int size : {1, 2, 3, 5, 1000}) {
      if (t < 6 && size < 5) continue;
      SCOPED_TRACE(text + " by " + std::to_string(size));
      FrameList frames;
      ASSERT_TRUE(frames.parse(ZxString(text.c_str())));
      ZxStringList expected, got;
      frames.chunk(size, expected);
      ASSERT_EQ(FrameList::chunkRanges(ZxString(text.c_str()), size, got), FrameList::Outcome::kComplete);
      ASSERT_EQ(itemsOf(got), itemsOf(expected));
    }
  }
}

// Ranges far past the frame bound are chunked from the ranges alone; an
// answer past the chunk bound, or a text of too many separate ranges, fails
// and appends nothing.
TEST(FrameList, ChunkRangesBounds) {
  using O = FrameList::Outcome;
  std::string manyRanges;
  for (int i = 0; i <= FrameList::kMaxRanges; ++i) manyRanges += std::to_string(3 * i) + ",";
  std::string continued;  // items that continue each other make one range
  for (int i = 0; i < 500000; ++i) continued += std::to_string(i) + ",";
  struct Case {
    std::string text;
    int size;
    O outcome;
    int count;
    std::string last;
  } cases[] = {
      {"1-2000000000", 10000, O::kComplete, 200000, "1999990001-2000000000"},
      {"-2147483648-2147483647x2", 100000, O::kComplete, 21475, "2147316352-2147483646x2"},
      {"1-2000000000", 1000, O::kTooManyChunks, 0, ""},
      {"1-2000000000X3", 5, O::kTooManyRanges, 0, ""},
      {manyRanges, 5, O::kTooManyRanges, 0, ""},
      {continued, 1000, O::kComplete, 500, "499000-499999"},
      {"1-300000x2,2-300000x2,1", 1000, O::kComplete, 300, "299001-300000"},
      {"1-900000x2,2-300000x3", 10, O::kTooManyFrames, 0, ""},  // stepped overlaps: frame by frame
      {"1-10", 0, O::kComplete, 0, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text.substr(0, 40));
    ZxStringList out;
    EXPECT_EQ(FrameList::chunkRanges(ZxString(c.text.c_str()), c.size, out), c.outcome);
    ASSERT_EQ(out.count(), c.count);
    if (c.count > 0) {
      EXPECT_EQ(std::string(out.get(c.count - 1)->c_str()), c.last);
    }
  }
}

TEST(FrameList, ChunkOfTheLargestListStaysLinear) {
  FrameList l;
  l.parse("-2147483648-2147483647");
  ZxStringList out;
  l.chunk(1000, out);
  ASSERT_EQ(out.count(), FrameList::kMaxFrames / 1000);
  EXPECT_EQ(std::string(out.get(0)->c_str()), "-2147483648--2147482649");
}

}  // namespace
