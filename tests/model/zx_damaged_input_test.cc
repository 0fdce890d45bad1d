// Damaged inputs: every record and container kind decodes mutated and
// truncated bytes and texts without fault (the sanitizers watch), and a
// good input still decodes to the same values afterwards.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "model/zx_job_id_list.h"
#include "model/zx_string_hash.h"
#include "serial/zx_pack_support.h"
#include "model/zx_string_list.h"

namespace {

class JobIdHash : public ZxHash<ZxJobId> {
 public:
  int typeId() const override { return 174; }
  const char* typeName() const override { return "job_id_hash"; }
};

// Packs a filled object of each kind and hands its bytes and text to `f`.
template <class F>
void forEachKind(F f) {
  zxtest::Outer o;
  o.head = 3;
  o.inner.name = "inner";
  o.tail = "tail";
  f(o, [] { return std::unique_ptr<ZxPack>(new zxtest::Outer); });
  ZxStringList s;
  for (const char* x : {"a", "bb", "<&>"}) s.add(x);
  f(s, [] { return std::unique_ptr<ZxPack>(new ZxStringList); });
  ZxJobIdList ids;
  for (int i = 0; i < 4; ++i) ids.append(new ZxJobId(i, i - 2));
  f(ids, [] { return std::unique_ptr<ZxPack>(new ZxJobIdList); });
  ZxStringHash h;
  h.insert("k1", "v1");
  h.insert("k2", "v2");
  f(h, [] { return std::unique_ptr<ZxPack>(new ZxStringHash); });
  JobIdHash j;
  j.insert(new ZxString("x"), new ZxJobId(9, 1));
  f(j, [] { return std::unique_ptr<ZxPack>(new JobIdHash); });
}

TEST(DamagedInput, MutatedBytesAndTexts) {
  std::mt19937 rng(12345);
  forEachKind([&rng](ZxPack& good, auto make) {
    good.pack();
    const std::string bytes(good.buffer(), good.used());
    const std::string text = std::string("<pack>\n") + good.toText() + "\n</pack>";
    for (int round = 0; round < 400; ++round) {
      std::string b = bytes, t = text;
      int flips = 1 + static_cast<int>(rng() % 4);
      for (int k = 0; k < flips; ++k) {
        b[4 + rng() % (b.size() - 4)] = static_cast<char>(rng());
        t[rng() % t.size()] = static_cast<char>(32 + rng() % 95);
      }
      b.resize(4 + rng() % (b.size() - 3));
      EXPECT_EQ(make()->unpack(b.data(), static_cast<int>(b.size())) == ZxPack::kTooShort, b.size() < 4);
      make()->fromText(t.c_str(), static_cast<int>(t.size()));
    }
    // Every truncated prefix of the good bytes, then the whole again.
    for (size_t n = 0; n <= bytes.size(); ++n) make()->unpack(bytes.data(), static_cast<int>(n));
    auto back = make();
    ASSERT_EQ(back->unpack(bytes.data(), static_cast<int>(bytes.size())), ZxPack::kOk);
    back->pack();
    EXPECT_EQ(std::string(back->buffer(), back->used()).size(), bytes.size()) << good.typeName();
  });
}

}  // namespace
