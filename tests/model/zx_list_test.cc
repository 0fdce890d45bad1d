// Packable lists: golden bytes, the count-then-items decoding, text "item"
// elements, and deep copies.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/zx_job_id_list.h"
#include "model/zx_string_list.h"

namespace {

using Bytes = std::vector<unsigned char>;

Bytes bytesOf(const ZxPack& p) {
  const unsigned char* b = reinterpret_cast<const unsigned char*>(p.buffer());
  return Bytes(b, b + p.used());
}

std::vector<std::string> itemsOf(const ZxStringList& l) {
  std::vector<std::string> out;
  for (int i = 0; i < l.count(); ++i) out.push_back(l.get(i) ? l.get(i)->c_str() : "<null>");
  return out;
}

std::string wrapped(const char* text) { return std::string("<pack>\n") + text + "\n</pack>"; }

TEST(ZxList, GoldenBytes) {
  ZxStringList empty;
  empty.pack();
  EXPECT_EQ(bytesOf(empty), (Bytes{0, 0, 0, 1, 0, 1, 0, 1, 0, 0, 0, 0}));

  ZxStringList strings;
  strings.add("a");
  strings.add("bc");
  strings.pack();
  EXPECT_EQ(bytesOf(strings), (Bytes{0, 0, 0, 1, 0,   1, 0,  1, 0, 0, 0, 2, 0, 10,  0,  3,
                                     0, 0, 0, 1, 'a', 0, 10, 0, 3, 0, 0, 0, 2, 'b', 'c'}));
  EXPECT_EQ(strings.typeId(), 55);
  EXPECT_STREQ(strings.typeName(), "string_list");

  ZxJobIdList ids;
  ids.append(new ZxJobId(12, 3));
  ids.pack();
  EXPECT_EQ(bytesOf(ids), (Bytes{0, 0,  0, 1, 0, 1, 0, 1,  0, 0, 0, 1,   // count 1
                                 0, 10, 0, 4, 0, 0, 0, 19, 0, 0, 0, 16,  // job_id, 16 bytes
                                 0, 1,  0, 1, 0, 0, 0, 12, 0, 2, 0, 1,  0, 0, 0, 3}));
}

TEST(ZxList, RoundTripsKeepOrder) {
  ZxStringList strings;
  for (const char* s : {"first", "", "third & <last>"}) strings.add(s);
  strings.pack();
  ZxStringList back;
  ASSERT_EQ(back.unpack(strings.buffer(), strings.used()), ZxPack::kOk);
  EXPECT_EQ(itemsOf(back), (std::vector<std::string>{"first", "", "third & <last>"}));

  std::string text = wrapped(strings.toText());
  ZxStringList fromText;
  ASSERT_EQ(fromText.fromText(text.c_str(), static_cast<int>(text.size())), ZxPack::kOk);
  EXPECT_EQ(itemsOf(fromText), itemsOf(back));

  ZxJobIdList ids;
  ids.append(new ZxJobId(1));
  ids.append(new ZxJobId(2, 0));
  ids.append(new ZxJobId(3, -2));
  ids.pack();
  ZxJobIdList idsBack;
  ASSERT_EQ(idsBack.unpack(ids.buffer(), ids.used()), ZxPack::kOk);
  ASSERT_EQ(idsBack.count(), 3);
  text = wrapped(ids.toText());
  ZxJobIdList idsText;
  ASSERT_EQ(idsText.fromText(text.c_str(), static_cast<int>(text.size())), ZxPack::kOk);
  ASSERT_EQ(idsText.count(), 3);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(*idsBack.get(i), *ids.get(i));
    EXPECT_EQ(*idsText.get(i), *ids.get(i));
  }
}

TEST(ZxList, TextLayout) {
  ZxStringList strings;
  strings.add("x");
  strings.add("y");
  EXPECT_STREQ(
      strings.toText(),
      "<version>1</version>\n<object type = 'string_list'>\n\t<item>x</item>\n\t<item>y</item>\n</object>");
  ZxJobIdList ids;
  ids.append(new ZxJobId(4));
  EXPECT_STREQ(ids.toText(),
               "<version>1</version>\n<object type = 'job_id_list'>\n\t<item>\n\t\t<object type = 'job_id'>\n"
               "\t\t\t<id>4</id>\n\t\t\t<sub_id>-1</sub_id>\n\t\t</object>\n\t</item>\n</object>");
}

// The count only opens the body; the fields decide how many items arrive.
TEST(ZxList, DecodingTakesTheBodyNotTheCount) {
  struct Case {
    const char* what;
    Bytes body;
    std::vector<std::string> items;
  };
  const Bytes itemA = {0, 10, 0, 3, 0, 0, 0, 1, 'a'};
  auto body = [](std::initializer_list<Bytes> parts) {
    Bytes out{0, 0, 0, 1};
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
  };
  const Case cases[] = {
      {"count 1, two items", body({{0, 1, 0, 1, 0, 0, 0, 1}, itemA, itemA}), {"a", "a"}},
      {"count 5, one item", body({{0, 1, 0, 1, 0, 0, 0, 5}, itemA}), {"a"}},
      {"count 0", body({{0, 1, 0, 1, 0, 0, 0, 0}, itemA}), {}},
      {"count -1", body({{0, 1, 0, 1, 0xFF, 0xFF, 0xFF, 0xFF}, itemA}), {}},
      {"no count", body({itemA}), {}},
      {"other field: empty item",
       body({{0, 1, 0, 1, 0, 0, 0, 2}, {0, 7, 0, 1, 0, 0, 0, 0}, itemA}),
       {"", "a"}},
      {"run of items broken by another field",
       body({{0, 1, 0, 1, 0, 0, 0, 4}, itemA, itemA, {0, 7, 0, 1, 0, 0, 0, 0}, itemA}),
       {"a", "a", "", "a"}},
      {"item id with an int type: empty item, the run goes on",
       body({{0, 1, 0, 1, 0, 0, 0, 3}, itemA, {0, 10, 0, 1, 0, 0, 0, 5}, itemA}),
       {"a", "", "a"}},
      {"damaged item ends the list",
       body({{0, 1, 0, 1, 0, 0, 0, 2}, itemA, {0, 10, 0, 3, 0, 0, 0, 9, 'b'}}),
       {"a", ""}},
  };
  for (const Case& c : cases) {
    ZxStringList l;
    ASSERT_EQ(l.unpack(c.body.data(), static_cast<int>(c.body.size())), ZxPack::kOk) << c.what;
    EXPECT_EQ(itemsOf(l), c.items) << c.what;
  }
}

TEST(ZxList, StringsOfEveryShortLengthPackExactly) {
  // Short texts are written as a fixed block; the bytes after each must
  // still be exactly the next field.
  ZxStringList l;
  std::string text;
  for (int n = 0; n <= 40; ++n) {
    l.add(ZxString(text.c_str(), n));
    text += static_cast<char>('a' + n % 26);
  }
  ASSERT_GT(l.pack(), 0);
  Bytes expected = {0, 0, 0, 1, 0, 1, 0, 1, 0, 0, 0, 41};
  for (int n = 0; n <= 40; ++n) {
    expected.insert(expected.end(), {0, 10, 0, 3, 0, 0, 0, static_cast<unsigned char>(n)});
    expected.insert(expected.end(), text.begin(), text.begin() + n);
  }
  EXPECT_EQ(bytesOf(l), expected);
  ZxStringList back;
  ASSERT_EQ(back.unpack(l.buffer(), l.used()), ZxPack::kOk);
  EXPECT_EQ(itemsOf(back), itemsOf(l));
}

TEST(ZxList, DecodedAndCopiedItemsLiveAndDieWithTheirList) {
  // Decoded items and copies share blocks the list owns; appended items are
  // separate. Every item must be released once, whatever mix the list holds,
  // after sorting, moving, copying and clearing (the sanitizers check).
  ZxStringList source;
  for (int i = 0; i < 3000; ++i)
    source.add(i % 3 == 0 ? ZxString("a text longer than the inline buffer ").appendInt(i)
                          : ZxString("s").appendInt(i));
  ASSERT_GT(source.pack(), 0);
  ZxStringList decoded;
  decoded.add("appended before");
  ASSERT_EQ(decoded.unpack(source.buffer(), source.used()), ZxPack::kOk);
  decoded.add("appended after");
  ASSERT_EQ(decoded.count(), 3002);
  EXPECT_EQ(std::string(decoded.get(1)->c_str()), "a text longer than the inline buffer 0");
  EXPECT_EQ(std::string(decoded.get(3000)->c_str()), "s2999");

  decoded.sort();
  ZxStringList copy(decoded);
  EXPECT_EQ(itemsOf(copy), itemsOf(decoded));
  copy.get(0)->assign("changed");
  EXPECT_NE(itemsOf(copy), itemsOf(decoded));

  ZxStringList moved(std::move(decoded));
  ASSERT_EQ(moved.count(), 3002);
  ZxStringList assigned;
  assigned.add("x");
  assigned = std::move(moved);
  ASSERT_EQ(assigned.count(), 3002);
  assigned.clear();
  EXPECT_EQ(assigned.count(), 0);
  // A cleared list takes new items again.
  ASSERT_EQ(assigned.unpack(source.buffer(), source.used()), ZxPack::kOk);
  EXPECT_EQ(itemsOf(assigned), itemsOf(source));

  // Records decode into blocks the same way.
  ZxJobIdList ids;
  for (int i = 0; i < 100; ++i) ids.append(new ZxJobId(i, i % 3));
  ASSERT_GT(ids.pack(), 0);
  ZxJobIdList idsBack;
  ASSERT_EQ(idsBack.unpack(ids.buffer(), ids.used()), ZxPack::kOk);
  ZxJobIdList idsCopy(idsBack);
  ASSERT_EQ(idsCopy.count(), 100);
  EXPECT_EQ(idsCopy.get(99)->id(), 99);
}

TEST(ZxList, CopiesAreDeep) {
  ZxJobIdList a;
  a.append(new ZxJobId(7, 1));
  ZxJobIdList b(a);
  b.get(0)->setId(8);
  EXPECT_EQ(a.get(0)->id(), 7);
  ZxJobIdList c;
  c.append(new ZxJobId(1));
  c = b;
  ASSERT_EQ(c.count(), 1);
  EXPECT_EQ(c.get(0)->id(), 8);
  ZxStringList s;
  s.add("k");
  ZxStringList t;
  t = s;
  s.get(0)->assign("changed");
  EXPECT_EQ(itemsOf(t), (std::vector<std::string>{"k"}));
  ZxStringList moved(std::move(t));
  EXPECT_EQ(itemsOf(moved), (std::vector<std::string>{"k"}));
}

}  // namespace
