// ZxHash: the base-7 hash and probe positions, growth, replace and take,
// colliding keys beyond what the probes can place, copies, both encoded
// forms, and a record-valued instance.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "model/zx_job_id.h"
#include "model/zx_string_hash.h"
#include "model/zx_string_list.h"

namespace {

using Bytes = std::vector<unsigned char>;

Bytes bytesOf(const ZxPack& p) {
  const unsigned char* b = reinterpret_cast<const unsigned char*>(p.buffer());
  return Bytes(b, b + p.used());
}

std::string wrapped(const char* text) { return std::string("<pack>\n") + text + "\n</pack>"; }

class JobIdHash : public ZxHash<ZxJobId> {
 public:
  int typeId() const override { return 174; }
  const char* typeName() const override { return "job_id_hash"; }
};

// Up to `n` distinct keys of `len` (3 or 4) bytes whose hash is `h`: the
// later bytes run through their range, the first one makes up the sum.
// Four-byte keys are printable throughout (so that they survive the text
// form); three-byte keys may hold any non-zero byte.
std::vector<ZxString> collidingKeys(uint32_t h, int n, int len = 3) {
  std::vector<ZxString> keys;
  const int lo = len == 4 ? 33 : 1;
  for (int c3 = len == 4 ? 33 : 0; c3 < (len == 4 ? 127 : 1); ++c3)
    for (int c2 = lo; c2 < 127; ++c2)
      for (int c1 = lo; c1 < 127; ++c1) {
        if (static_cast<int>(keys.size()) >= n) return keys;
        int c0 = static_cast<int>(h) - 7 * c1 - 49 * c2 - 343 * c3;
        if (len == 4 ? (c0 < 33 || c0 > 126) : (c0 < -128 || c0 > 127 || c0 == 0)) continue;
        char k[4] = {static_cast<char>(c0), static_cast<char>(c1), static_cast<char>(c2),
                     static_cast<char>(c3)};
        keys.emplace_back(k, len);
      }
  return keys;
}

const ZxString* findString(const ZxStringHash& h, const ZxString& key) { return h.find(key); }

TEST(ZxHash, HashAndProbePositions) {
  EXPECT_EQ(ZxStringHash::hashOf("ab"), 783u);
  EXPECT_EQ(ZxStringHash::hashOf(""), 0u);
  EXPECT_EQ(ZxStringHash::hashOf("\xFF"), 0xFFFFFFFFu);  // bytes count as signed
  ZxStringHash h;
  EXPECT_EQ(h.size(), 17);
  // Keys that all hash to 783: probes 0, 4, 8, 16 from there.
  const char* keys[] = {"ab", "Zc", "Sd", "Le"};
  for (const char* k : keys) {
    EXPECT_EQ(ZxStringHash::hashOf(k), 783u) << k;
    h.insert(ZxString(k), ZxString(k));
  }
  const int slots[] = {1, 787 % 17, 791 % 17, 799 % 17};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(h.slotOf(keys[i]), slots[i]) << keys[i];
  EXPECT_EQ(h.count(), 4);
}

TEST(ZxHash, GrowsWhenTheProbesFail) {
  std::vector<ZxString> keys = collidingKeys(783, 9);
  ASSERT_EQ(keys.size(), 9u);
  ZxStringHash h;
  for (int i = 0; i < 8; ++i) h.insert(keys[i], ZxString(i));
  EXPECT_EQ(h.size(), 17);  // eight probes, eight slots
  h.insert(keys[8], ZxString(8));
  EXPECT_GE(h.size(), 69);
  EXPECT_LE(h.size(), 168);
  EXPECT_EQ(h.count(), 9);
  for (int i = 0; i < 9; ++i) {
    ASSERT_NE(h.find(keys[i]), nullptr);
    EXPECT_EQ(*h.find(keys[i]), ZxString(i));
    EXPECT_GE(h.slotOf(keys[i]), 0);  // all in the table proper
  }
}

TEST(ZxHash, ReplaceTakeAndCopy) {
  ZxStringHash h;
  h.insert("k", "1");
  h.insert("k", "2");
  EXPECT_EQ(h.count(), 1);
  EXPECT_EQ(*h.find("k"), "2");

  // Keys probed past a removed entry stay reachable, in copies too.
  const char* keys[] = {"ab", "Zc", "Sd"};
  for (const char* k : keys) h.insert(k, k);
  ZxString* v = h.take("ab");
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(*v, "ab");
  delete v;
  EXPECT_EQ(h.take("ab"), nullptr);
  EXPECT_EQ(h.find("ab"), nullptr);
  ZxStringHash copy(h);
  for (const ZxStringHash* x : {&h, &copy}) {
    EXPECT_EQ(x->count(), 3);
    EXPECT_NE(x->find("Zc"), nullptr);
    EXPECT_NE(x->find("Sd"), nullptr);
  }
  // Re-inserting a key that lies behind the removed slot replaces it.
  h.insert("Sd", "new");
  EXPECT_EQ(h.count(), 3);
  EXPECT_EQ(*h.find("Sd"), "new");
  EXPECT_EQ(*copy.find("Sd"), "Sd");  // the copy is independent
  h.insert("ab", "back");             // the removed slot is used again
  EXPECT_EQ(h.slotOf("ab"), 1);
  ZxStringHash assigned;
  assigned.insert("gone", "x");
  assigned = h;
  EXPECT_EQ(assigned.find("gone"), nullptr);
  EXPECT_EQ(*assigned.find("ab"), "back");

  ZxStringList keyList;
  h.keys(keyList);
  EXPECT_EQ(keyList.count(), 4);
  keyList.forget();  // borrowed
  h.clear();
  EXPECT_EQ(h.count(), 0);
  EXPECT_GE(h.size(), 17);
  EXPECT_EQ(h.find("k"), nullptr);
}

// More keys of one hash than its probe sequence has slots: every insert
// ends, memory stays proportional, and every key is found, taken, copied
// and encoded.
TEST(ZxHash, CollidingKeysBeyondTheProbes) {
  const int n = 1000;
  std::vector<ZxString> keys = collidingKeys(ZxStringHash::hashOf("PPPP"), n, 4);
  ASSERT_EQ(static_cast<int>(keys.size()), n);
  ZxIntHash h;
  for (int i = 0; i < n; ++i) ASSERT_TRUE(h.insert(keys[i], i));
  EXPECT_EQ(h.count(), n);
  EXPECT_LE(h.size(), 32 * (n + 1) + 1024);
  int outsideTheTable = 0;
  for (int i = 0; i < n; ++i) outsideTheTable += h.slotOf(keys[i]) < 0;
  EXPECT_GE(outsideTheTable, n - 33);  // the probes reach 33 slots at most
  for (int i = 0; i < n; ++i) {
    int* v = h.find(keys[i]);
    ASSERT_NE(v, nullptr) << i;
    EXPECT_EQ(*v, i);
  }
  for (int i = 0; i < n; i += 2) delete h.take(keys[i]);
  EXPECT_EQ(h.count(), n / 2);
  for (int i = 0; i < n; ++i) EXPECT_EQ(h.find(keys[i]) != nullptr, i % 2 == 1) << i;
  for (int i = 0; i < n; i += 2) h.insert(keys[i], -i);  // some land in freed slots
  for (int i = 0; i < n; i += 3) h.insert(keys[i], 7);   // replace, wherever they live
  EXPECT_EQ(h.count(), n);

  ZxStringList keyList;
  h.copyKeys(keyList);
  std::set<std::string> seen;
  for (int i = 0; i < keyList.count(); ++i) seen.insert(std::string(keyList.get(i)->c_str(), 4));
  EXPECT_EQ(static_cast<int>(seen.size()), n);

  ZxIntHash copy(h);
  h.pack();
  ZxIntHash decoded;
  ASSERT_EQ(decoded.unpack(h.buffer(), h.used()), ZxPack::kOk);
  std::string text = wrapped(h.toText());
  ZxIntHash fromText;
  ASSERT_EQ(fromText.fromText(text.c_str(), static_cast<int>(text.size())), ZxPack::kOk);
  for (const ZxIntHash* x : {&copy, &decoded, &fromText}) {
    ASSERT_EQ(x->count(), n);
    for (int i = 0; i < n; ++i) {
      int expected = i % 3 == 0 ? 7 : (i % 2 == 0 ? -i : i);
      ASSERT_NE(x->find(keys[i]), nullptr);
      EXPECT_EQ(*x->find(keys[i]), expected);
    }
  }
}

TEST(ZxHash, ManyDistinctKeys) {
  ZxStringHash h;
  const int n = 20000;
  for (int i = 0; i < n; ++i) h.insert(ZxString("key").appendInt(i), ZxString(i));
  EXPECT_EQ(h.count(), n);
  for (int i = 0; i < n; ++i) {
    const ZxString* v = findString(h, ZxString("key").appendInt(i));
    ASSERT_NE(v, nullptr) << i;
    EXPECT_EQ(v->toInt(), i);
  }
  EXPECT_EQ(h.find("key-1"), nullptr);
}

TEST(ZxHash, EncodedForms) {
  ZxStringHash s;
  s.insert("a", "1");
  s.pack();
  EXPECT_EQ(bytesOf(s), (Bytes{0, 0, 0, 1, 0, 1,   0, 1,  0, 0, 0, 1, 0, 10, 0,
                               3, 0, 0, 0, 1, 'a', 0, 30, 0, 3, 0, 0, 0, 1,  '1'}));
  EXPECT_STREQ(s.toText(),
               "<version>1</version>\n<object type = 'string_hash'>\n\t<key>a</key>\n\t<element>1</element>\n"
               "</object>");
  std::string text = wrapped(s.toText());
  ZxStringHash back;
  ASSERT_EQ(back.fromText(text.c_str(), static_cast<int>(text.size())), ZxPack::kOk);
  ASSERT_EQ(back.count(), 1);
  EXPECT_EQ(*back.find("a"), "1");

  ZxIntHash i;
  i.insert("n", -2);
  i.pack();
  EXPECT_EQ(bytesOf(i), (Bytes{0, 0, 0, 1, 0, 1,   0, 1,  0, 0, 0,    1,    0,    10,  0,
                               3, 0, 0, 0, 1, 'n', 0, 30, 0, 1, 0xFF, 0xFF, 0xFF, 0xFE}));
  EXPECT_EQ(i.typeId(), 176);
  EXPECT_STREQ(i.typeName(), "int_hash");

  JobIdHash j;
  j.insert(new ZxString("one"), new ZxJobId(1, 2));
  j.insert(new ZxString("two"), new ZxJobId(2));
  j.pack();
  JobIdHash jb;
  ASSERT_EQ(jb.unpack(j.buffer(), j.used()), ZxPack::kOk);
  text = wrapped(j.toText());
  JobIdHash jt;
  ASSERT_EQ(jt.fromText(text.c_str(), static_cast<int>(text.size())), ZxPack::kOk);
  for (const JobIdHash* x : {&jb, &jt}) {
    ASSERT_EQ(x->count(), 2);
    EXPECT_EQ(*x->find("one"), ZxJobId(1, 2));
    EXPECT_EQ(*x->find("two"), ZxJobId(2));
  }
}

TEST(ZxHash, DecodingRules) {
  struct Case {
    const char* what;
    Bytes body;
    int count;
  };
  const Bytes pairA = {0, 10, 0, 3, 0, 0, 0, 1, 'a', 0, 30, 0, 3, 0, 0, 0, 1, '1'};
  const Bytes pairB = {0, 10, 0, 3, 0, 0, 0, 1, 'b', 0, 30, 0, 3, 0, 0, 0, 1, '2'};
  auto body = [](std::initializer_list<Bytes> parts) {
    Bytes out{0, 0, 0, 1};
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
  };
  const Case cases[] = {
      {"count 1, two pairs", body({{0, 1, 0, 1, 0, 0, 0, 1}, pairA, pairB}), 2},
      {"count 0", body({{0, 1, 0, 1, 0, 0, 0, 0}, pairA}), 0},
      {"no count", body({pairA}), 0},
      {"key without value", body({{0, 1, 0, 1, 0, 0, 0, 1}, pairA, {0, 10, 0, 3, 0, 0, 0, 1, 'c'}}), 1},
      {"odd field as key: empty key",
       body({{0, 1, 0, 1, 0, 0, 0, 1}, {0, 5, 0, 1, 0, 0, 0, 0}, {0, 30, 0, 3, 0, 0, 0, 0}}), 1},
      {"truncated value",
       body({{0, 1, 0, 1, 0, 0, 0, 1}, pairA, {0, 10, 0, 3, 0, 0, 0, 1, 'c', 0, 30, 0, 3, 0, 0}}), 2},
  };
  for (const Case& c : cases) {
    ZxStringHash h;
    ASSERT_EQ(h.unpack(c.body.data(), static_cast<int>(c.body.size())), ZxPack::kOk) << c.what;
    EXPECT_EQ(h.count(), c.count) << c.what;
  }
}

}  // namespace
