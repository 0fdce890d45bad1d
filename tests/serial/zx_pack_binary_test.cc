// Binary form: golden bytes of every field kind, the decoding loop's rules
// for unknown, damaged and mistyped fields, truncation and deep nesting.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "serial/zx_pack.h"
#include "zx_pack_support.h"

using namespace zxtest;

namespace {

// Writes exactly the fields a case asks for.
class Writer : public ZxPack {
 public:
  std::function<void(Writer&)> body;
  int typeId() const override { return 999; }
  void encodeFields() override { body(*this); }
  void decodeField() override {}
  void encodeTextFields() override {}
  void decodeTextFields() override {}
  using ZxPack::putBool;
  using ZxPack::putChar;
  using ZxPack::putInt;
  using ZxPack::putObject;
  using ZxPack::putString;
};

Bytes packed(std::function<void(Writer&)> body) {
  Writer w;
  w.body = std::move(body);
  w.pack();
  return bytesOf(w);
}

TEST(PackBinary, GoldenBytesOfEachFieldKind) {
  struct Case {
    const char* what;
    std::function<void(Writer&)> body;
    Bytes expected;
  };
  Sample inner;
  inner.number = 2;
  inner.letter = 'x';
  inner.flag = true;
  const Case cases[] = {
      {"no fields", [](Writer&) {}, kVersionWord},
      {"string abc, id 2", [](Writer& w) { w.putString(2, "abc"); },
       cat({kVersionWord, hex({0, 2, 0, 3, 0, 0, 0, 3, 0x61, 0x62, 0x63})})},
      {"int -1, id 1", [](Writer& w) { w.putInt(1, -1); },
       cat({kVersionWord, hex({0, 1, 0, 1, 0xFF, 0xFF, 0xFF, 0xFF})})},
      {"int 0x12345678, id 0x1234", [](Writer& w) { w.putInt(0x1234, 0x12345678); },
       cat({kVersionWord, hex({0x12, 0x34, 0, 1, 0x12, 0x34, 0x56, 0x78})})},
      {"char, id 7", [](Writer& w) { w.putChar(7, '\xE9'); }, cat({kVersionWord, hex({0, 7, 0, 2, 0xE9})})},
      {"bools", [](Writer& w) { w.putBool(3, true), w.putBool(4, false); },
       cat({kVersionWord, hex({0, 3, 0, 6, 1, 0, 4, 0, 6, 0})})},
      {"empty string", [](Writer& w) { w.putString(9, ""); }, cat({kVersionWord, hex({0, 9, 0, 3, 0, 0, 0, 0})})},
      {"nested object",
       [&inner](Writer& w) {
         w.putObject(5, inner);
         w.putInt(6, 1);
       },
       cat({kVersionWord, hex({0, 5, 0, 4, 0, 0, 0x03, 0xE8, 0, 0, 0, 26}),  // class 1000, 26 bytes
            hex({0, 1, 0, 1, 0, 0, 0, 2, 0, 2, 0, 2, 'x', 0, 3, 0, 3, 0, 0, 0, 0, 0, 4, 0, 6, 1}),
            hex({0, 6, 0, 1, 0, 0, 0, 1})})},
  };
  for (const Case& c : cases) EXPECT_EQ(packed(c.body), c.expected) << c.what;
}

TEST(PackBinary, NestedObjectsNestInPlaceAndLeaveTheirOwnBufferAlone) {
  // Three levels: the counts of the outer levels include the inner ones.
  Node root;
  root.value = 1;
  root.child = new Node;
  root.child->value = 2;
  root.child->child = new Node;
  root.child->child->value = 3;
  root.child->child->pack();  // its own buffer holds its own form ...
  Bytes own = bytesOf(*root.child->child);
  root.pack();
  EXPECT_EQ(bytesOf(*root.child->child), own);  // ... and keeps it
  Bytes leaf = hex({0, 1, 0, 1, 0, 0, 0, 3, 0, 3, 0, 1, 0, 0, 0, 0});
  Bytes mid = cat({hex({0, 1, 0, 1, 0, 0, 0, 2, 0, 2, 0, 4, 0, 0, 0x03, 0xEA, 0, 0, 0, 16}), leaf,
                   hex({0, 3, 0, 1, 0, 0, 0, 0})});
  Bytes expected =
      cat({kVersionWord, hex({0, 1, 0, 1, 0, 0, 0, 1, 0, 2, 0, 4, 0, 0, 0x03, 0xEA, 0, 0, 0, 44}), mid,
           hex({0, 3, 0, 1, 0, 0, 0, 0})});
  EXPECT_EQ(bytesOf(root), expected);
  Node back;
  ASSERT_EQ(back.unpack(expected.data(), static_cast<int>(expected.size())), ZxPack::kOk);
  ASSERT_TRUE(back.child && back.child->child);
  EXPECT_EQ(back.child->value, 2);
  EXPECT_EQ(back.child->child->value, 3);
  EXPECT_EQ(back.buffer(), nullptr);  // the input was only borrowed
}

TEST(PackBinary, UnpackHeaderResults) {
  struct Case {
    Bytes input;
    int result;
  };
  const Case cases[] = {
      {{}, ZxPack::kTooShort},
      {{0, 0, 1}, ZxPack::kTooShort},
      {{0, 0, 0, 1}, ZxPack::kNoFields},
      {{0, 0, 0, 2}, ZxPack::kBadVersion},
      {{0, 0, 0, 2, 0, 1, 0, 1, 0, 0, 0, 5}, ZxPack::kBadVersion},
      {{0, 0, 0, 1, 0}, ZxPack::kOk},  // a partial header is just the end
  };
  for (const Case& c : cases) {
    Sample s;
    EXPECT_EQ(s.unpack(c.input.data(), static_cast<int>(c.input.size())), c.result) << c.input.size();
  }
  Sample s;
  s.number = 5;
  s.pack();
  EXPECT_NE(s.buffer(), nullptr);
  EXPECT_EQ(s.unpack(nullptr, 0), ZxPack::kTooShort);
  EXPECT_EQ(s.buffer(), nullptr);  // released before the header is looked at
}

struct Fields {
  int number;
  char letter;
  std::string name;
  bool flag;
};

Fields fieldsOf(const Sample& s) { return Fields{s.number, s.letter, s.name.c_str(), s.flag}; }

// Every rule of the decoding loop, applied to a Sample preset with
// recognisable values (number 100, letter 'p', name "pre", flag false).
TEST(PackBinary, DecodingLoopRules) {
  struct Case {
    const char* what;
    Bytes body;  // after the version word
    Fields expected;
  };
  const Bytes number7 = hex({0, 1, 0, 1, 0, 0, 0, 7});
  const Bytes flagOn = hex({0, 4, 0, 6, 1});
  const Case cases[] = {
      {"all fields",
       cat({number7, hex({0, 2, 0, 2, 'q', 0, 3, 0, 3, 0, 0, 0, 2, 'h', 'i'}), flagOn}),
       {7, 'q', "hi", true}},
      {"any order", cat({flagOn, number7}), {7, 'p', "pre", true}},
      {"unknown id, int", cat({hex({0, 9, 0, 1, 1, 2, 3, 4}), number7}), {7, 'p', "pre", false}},
      {"unknown id, char", cat({hex({0, 9, 0, 2, 'z'}), number7}), {7, 'p', "pre", false}},
      {"unknown id, string", cat({hex({0, 9, 0, 3, 0, 0, 0, 2, 'z', 'z'}), number7}), {7, 'p', "pre", false}},
      {"unknown id, object",
       cat({hex({0, 9, 0, 4, 0, 0, 0, 77, 0, 0, 0, 1, 0xAA}), number7}),
       {7, 'p', "pre", false}},
      {"unknown id, flag", cat({hex({0, 9, 0, 6, 1}), number7}), {7, 'p', "pre", false}},
      {"known id, other type: skipped",
       cat({hex({0, 1, 0, 3, 0, 0, 0, 1, 'x'}), flagOn}),
       {100, 'p', "pre", true}},
      {"type 5 ends the object", cat({flagOn, hex({0, 1, 0, 5}), number7}), {100, 'p', "pre", true}},
      {"type 7 ends the object",
       cat({flagOn, hex({0, 9, 0, 7, 0, 0, 0, 0}), number7}),
       {100, 'p', "pre", true}},
      {"empty string keeps the text", cat({hex({0, 3, 0, 3, 0, 0, 0, 0}), number7}), {7, 'p', "pre", false}},
      {"string count beyond the end",
       cat({flagOn, hex({0, 3, 0, 3, 0, 0, 0, 9, 'a'})}),
       {100, 'p', "pre", true}},
      {"string count negative",
       cat({hex({0, 3, 0, 3, 0xFF, 0xFF, 0xFF, 0xFF}), number7}),
       {100, 'p', "pre", false}},
      {"huge string count",
       cat({hex({0, 3, 0, 3, 0x7F, 0xFF, 0xFF, 0xFF, 'a'}), number7}),
       {100, 'p', "pre", false}},
      {"truncated int", cat({flagOn, hex({0, 1, 0, 1, 0, 0})}), {100, 'p', "pre", true}},
      {"truncated char", cat({flagOn, hex({0, 2, 0, 2})}), {100, 'p', "pre", true}},
      {"skipped object with negative count",
       cat({hex({0, 9, 0, 4, 0, 0, 0, 1, 0xFF, 0xFF, 0xFF, 0xF0}), number7}),
       {100, 'p', "pre", false}},
      {"skipped object beyond the end",
       cat({hex({0, 9, 0, 4, 0, 0, 0, 1, 0, 0, 1, 0}), number7}),
       {100, 'p', "pre", false}},
      {"skipped string beyond the end",
       cat({hex({0, 9, 0, 3, 0, 0, 0, 20}), number7}),
       {100, 'p', "pre", false}},
      {"skipped int truncated", hex({0, 9, 0, 1, 0}), {100, 'p', "pre", false}},
      {"id 0xFFFF is not id -1's field",
       cat({hex({0xFF, 0xFF, 0, 1, 0, 0, 0, 3}), number7}),
       {7, 'p', "pre", false}},
  };
  for (const Case& c : cases) {
    Sample s;
    s.number = 100;
    s.letter = 'p';
    s.name = "pre";
    Bytes in = cat({kVersionWord, c.body});
    ASSERT_EQ(s.unpack(in.data(), static_cast<int>(in.size())), ZxPack::kOk) << c.what;
    Fields got = fieldsOf(s);
    EXPECT_EQ(got.number, c.expected.number) << c.what;
    EXPECT_EQ(got.letter, c.expected.letter) << c.what;
    EXPECT_EQ(got.name, c.expected.name) << c.what;
    EXPECT_EQ(got.flag, c.expected.flag) << c.what;
  }
}

// Damage inside a nested object ends only that object; damage in its frame
// (class number, count) ends the enclosing one.
TEST(PackBinary, NestedObjectRules) {
  struct Case {
    const char* what;
    Bytes body;
    int head, innerNumber;
    std::string tail;
  };
  const Bytes head5 = hex({0, 1, 0, 1, 0, 0, 0, 5});
  const Bytes tailZ = hex({0, 3, 0, 3, 0, 0, 0, 1, 'z'});
  const Bytes innerOk = hex({0, 2, 0, 4, 0, 0, 0x03, 0xE8, 0, 0, 0, 8, 0, 1, 0, 1, 0, 0, 0, 9});
  const Case cases[] = {
      {"good", cat({head5, innerOk, tailZ}), 5, 9, "z"},
      {"wrong class",
       cat({hex({0, 2, 0, 4, 0, 0, 0x03, 0xE9, 0, 0, 0, 8, 0, 1, 0, 1, 0, 0, 0, 9}), tailZ, head5}), 0, 0,
       ""},
      {"negative count", cat({head5, hex({0, 2, 0, 4, 0, 0, 0x03, 0xE8, 0xFF, 0xFF, 0xFF, 0xFF}), tailZ}), 5,
       0, ""},
      {"count beyond the end", cat({head5, hex({0, 2, 0, 4, 0, 0, 0x03, 0xE8, 0, 0, 0, 99}), tailZ}), 5, 0,
       ""},
      {"frame truncated", cat({head5, hex({0, 2, 0, 4, 0, 0, 0x03})}), 5, 0, ""},
      {"damage inside stays inside",
       cat({head5, hex({0, 2, 0, 4, 0, 0, 0x03, 0xE8, 0, 0, 0, 12, 0, 1, 0, 1, 0, 0, 0, 9, 0, 4, 0, 5}),
            tailZ}),
       5, 9, "z"},
      {"inner count cannot read past its object",
       cat({head5, hex({0, 2, 0, 4, 0, 0, 0x03, 0xE8, 0, 0, 0, 8, 0, 3, 0, 3, 0, 0, 0, 9}), tailZ}), 5, 0,
       "z"},
  };
  for (const Case& c : cases) {
    Outer o;
    Bytes in = cat({kVersionWord, c.body});
    ASSERT_EQ(o.unpack(in.data(), static_cast<int>(in.size())), ZxPack::kOk) << c.what;
    EXPECT_EQ(o.head, c.head) << c.what;
    EXPECT_EQ(o.inner.number, c.innerNumber) << c.what;
    EXPECT_EQ(std::string(o.tail.c_str()), c.tail) << c.what;
  }
}

// Every prefix of a good input decodes without harm; each field is either
// untouched or fully read, and fields are read in order.
TEST(PackBinary, EveryTruncatedPrefix) {
  Outer full;
  full.head = 0x01020304;
  full.inner.number = -7;
  full.inner.letter = 'k';
  full.inner.name = "inner name";
  full.inner.flag = true;
  full.tail = "the tail";
  full.pack();
  Bytes good = bytesOf(full);
  for (size_t n = 0; n <= good.size(); ++n) {
    Outer o;
    int r = o.unpack(good.data(), static_cast<int>(n));
    if (n < 4) {
      EXPECT_EQ(r, ZxPack::kTooShort);
      continue;
    }
    EXPECT_EQ(r, n == 4 ? ZxPack::kNoFields : ZxPack::kOk);
    EXPECT_TRUE(o.head == 0 || o.head == full.head) << n;
    EXPECT_TRUE(o.inner.name.isEmpty() || o.inner.name == full.inner.name) << n;
    EXPECT_TRUE(o.tail.isEmpty() || o.tail == full.tail) << n;
    if (!o.tail.isEmpty()) {
      EXPECT_EQ(o.inner.name, full.inner.name) << n;
    }
    if (n == good.size()) {
      EXPECT_EQ(o.tail, full.tail);
      EXPECT_EQ(o.inner.number, -7);
      EXPECT_TRUE(o.inner.flag);
    }
  }
}

// Builds a chain of `levels` nested nodes by hand, each with an "after"
// field behind its child. Level k's body is 28 bytes longer than level
// k + 1's (value field, child frame, after field); the innermost is 16.
Bytes nestedChain(int levels) {
  Bytes out = kVersionWord;
  out.reserve(static_cast<size_t>(levels) * 28 + 16);
  for (int k = 0; k + 1 < levels; ++k) {
    uint32_t n = 16u + 28u * static_cast<uint32_t>(levels - k - 2);
    Bytes frame = hex({0, 1, 0, 1, 0, 0, 0, 1, 0, 2, 0, 4, 0, 0, 0x03, 0xEA});
    frame.push_back(n >> 24), frame.push_back(n >> 16), frame.push_back(n >> 8), frame.push_back(n);
    out.insert(out.end(), frame.begin(), frame.end());
  }
  Bytes innermost = hex({0, 1, 0, 1, 0, 0, 0, 1, 0, 3, 0, 1, 0, 0, 0, 1});
  out.insert(out.end(), innermost.begin(), innermost.end());
  Bytes after = hex({0, 3, 0, 1, 0, 0, 0, 1});
  for (int k = 0; k + 1 < levels; ++k) out.insert(out.end(), after.begin(), after.end());
  return out;
}

TEST(PackBinary, NestingDepthIsBounded) {
  // Within the bound everything is read.
  {
    Bytes in = nestedChain(ZxPack::kMaxNesting + 1);
    Node n;
    ASSERT_EQ(n.unpack(in.data(), static_cast<int>(in.size())), ZxPack::kOk);
    EXPECT_EQ(n.depth(), ZxPack::kMaxNesting);
    EXPECT_EQ(n.after, 1);
  }
  // One level deeper: the too-deep object and the rest of its holder go.
  {
    Bytes in = nestedChain(ZxPack::kMaxNesting + 2);
    Node n;
    ASSERT_EQ(n.unpack(in.data(), static_cast<int>(in.size())), ZxPack::kOk);
    EXPECT_EQ(n.depth(), ZxPack::kMaxNesting);
    const Node* holder = &n;
    while (holder->child && holder->child->value == 1) holder = holder->child;
    EXPECT_EQ(holder->after, 0);  // its rest was dropped
    EXPECT_EQ(n.after, 1);        // the levels above are whole
  }
  // A crafted input of several megabytes returns normally.
  {
    Bytes in = nestedChain(100000);
    Node n;
    ASSERT_EQ(n.unpack(in.data(), static_cast<int>(in.size())), ZxPack::kOk);
    EXPECT_EQ(n.depth(), ZxPack::kMaxNesting);
  }
}

}  // namespace
