// Packable lists: golden bytes, the count-then-items decoding, text "item"
// elements, and deep copies.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/zx_job_id_list.h"
#include "util/zx_string_list.h"

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
