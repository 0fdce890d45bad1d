// Tests of ZxString: representation, growth sizes, wiping and the operations.
#include "util/zx_string.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <utility>
#include <vector>

namespace {

TEST(ZxString, DefaultIsEmptyAndNeverNull) {
  ZxString s;
  ASSERT_NE(s.c_str(), nullptr);
  EXPECT_STREQ(s.c_str(), "");
  EXPECT_EQ(s.length(), 0);
  EXPECT_EQ(s.capacity(), 0);
  EXPECT_EQ(s.charAt(0), 0);
  EXPECT_EQ(s.typeId(), 72);
}

TEST(ZxString, GrowthSizes) {
  ZxString a;
  a.append('x');
  EXPECT_EQ(a.capacity(), 16);  // max(16, 4*0+8)
  ZxString b;
  b.assign("abcdefghijklmnopqrst");  // 20 characters
  EXPECT_EQ(b.capacity(), 84);       // 4*20+4
  b.clear();
  EXPECT_EQ(b.capacity(), 84);  // clear keeps the buffer
  EXPECT_EQ(b.length(), 0);
  ZxString c("0123456789abcde");  // 15 + NUL fits 16... 4*15+4 = 64
  EXPECT_EQ(c.capacity(), 64);
  c.append("0123456789", 10);  // 25 needed + NUL > 64? no: fits
  EXPECT_EQ(c.capacity(), 64);
  c.append(std::string(40, 'z').c_str());  // 65 + NUL > 64: 4*65+4
  EXPECT_EQ(c.capacity(), 264);
  EXPECT_EQ(c.length(), 65);
  ZxString d;
  d.assign("");  // an empty text still gets a buffer
  EXPECT_EQ(d.capacity(), 16);
  ZxString e;
  e.assign("abc", 0);  // zero bytes: clear, no buffer
  EXPECT_EQ(e.capacity(), 0);
}

std::vector<std::vector<char>> g_released;
void recordRelease(const char* buffer, int size) { g_released.emplace_back(buffer, buffer + size); }

TEST(ZxString, SecureStringsWipeEveryReleasedBuffer) {
  g_released.clear();
  ZxString::setReleaseObserver(recordRelease);
  {
    ZxString s;
    s.setSecure(true);
    s.assign("secret");
    s.append("-more-secret-text-that-grows-the-buffer");  // growth releases the first buffer
  }  // destruction releases the second
  ZxString::setReleaseObserver(nullptr);
  ASSERT_EQ(g_released.size(), 2u);
  for (const auto& buf : g_released)
    for (char c : buf) EXPECT_EQ(c, 0);
}

TEST(ZxString, PlainStringsAreNotWiped) {
  g_released.clear();
  ZxString::setReleaseObserver(recordRelease);
  { ZxString s("visible"); }
  ZxString::setReleaseObserver(nullptr);
  ASSERT_EQ(g_released.size(), 1u);
  EXPECT_EQ(std::memcmp(g_released[0].data(), "visible", 7), 0);
}

TEST(ZxString, AssignFromOwnBufferIsNoOpAndCopyTakesSecureFlag) {
  ZxString s("hello");
  s.assign(s.c_str());
  EXPECT_EQ(s, "hello");
  s.assign(s.c_str() + 1);  // inside the buffer: copied safely
  EXPECT_EQ(s, "ello");
  s.append(s.c_str(), s.length());  // append of itself
  EXPECT_EQ(s, "elloello");
  ZxString secret("pw");
  secret.setSecure(true);
  ZxString copy;
  copy = secret;
  EXPECT_TRUE(copy.isSecure());
  EXPECT_EQ(copy, "pw");
}

TEST(ZxString, EmbeddedNulCountsInLength) {
  ZxString s("ab");
  s.append('\0');
  EXPECT_EQ(s.length(), 3);
  EXPECT_STREQ(s.c_str(), "ab");
}

TEST(ZxString, Formatting) {
  struct Case {
    ZxString got;
    const char* want;
  };
  Case cases[] = {
      {ZxString(42), "42"},
      {ZxString(-7), "-7"},
      {ZxString(1.5f), "1.500000"},
      {ZxString().appendPadded(7, 3), "007"},
      {ZxString().appendPadded(-7, 4), "-007"},
      {ZxString().appendPadded(-7, 4, ' '), "  -7"},
      {ZxString().appendPadded(12345, 3, '0'), "12345"},
      {ZxString().appendHexByte(171), "AB"},
      {ZxString().appendHexByte(0x1ff), "FF"},
      {ZxString("a").appendInt(INT_MIN), "a-2147483648"},
  };
  for (const auto& c : cases) EXPECT_STREQ(c.got.c_str(), c.want);
}

TEST(ZxString, Conversions) {
  struct Case {
    const char* text;
    int toInt;
    unsigned hexValue, hexByte;
    bool isInteger, isNumber;
  };
  const Case cases[] = {
      {"", 0, 0, 0, false, false},       {"-", 0, 0, 0, true, true},
      {"007", 7, 7, 0, true, true},       {"+1", 1, 1, 1, false, true},
      {"1.0", 1, 256, 16, false, true},     {".5", 0, 5, 5, false, true},
      {"+1.", 1, 16, 1, false, true},     {"1.2.3", 1, 0x10203, 16, false, false},
      {"1G", 1, 16, 16, false, false},    {"ff", 0, 255, 255, false, false},
      {"a", 0, 10, 10, false, false},     {"-12x", -12, 0x12 << 4, 1, false, false},
  };
  for (const auto& c : cases) {
    ZxString s(c.text);
    EXPECT_EQ(s.toInt(), c.toInt) << c.text;
    EXPECT_EQ(s.hexValue(), c.hexValue) << c.text;
    EXPECT_EQ(s.hexByte(), c.hexByte) << c.text;
    EXPECT_EQ(s.isInteger(), c.isInteger) << c.text;
    EXPECT_EQ(s.isNumber(), c.isNumber) << c.text;
  }
  // Numbers beyond the int range saturate instead of wrapping to the other sign.
  const std::pair<const char*, int> bounds[] = {
      {"2147483647", INT_MAX}, {"2147483648", INT_MAX}, {"99999999999999999999", INT_MAX},
      {"-2147483648", INT_MIN}, {"-2147483649", INT_MIN}, {"4294967297", INT_MAX},
  };
  for (const auto& b : bounds) EXPECT_EQ(ZxString(b.first).toInt(), b.second) << b.first;
  EXPECT_FLOAT_EQ(ZxString("2.5").toFloat(), 2.5f);
  EXPECT_FLOAT_EQ(ZxString().toFloat(), 0.0f);
}

TEST(ZxString, Searching) {
  ZxString s("a b\tc");
  EXPECT_TRUE(s.contains('b'));
  EXPECT_FALSE(s.contains('z'));
  EXPECT_TRUE(s.contains(ZxString()));
  EXPECT_TRUE(s.contains(ZxString("b\tc")));
  EXPECT_FALSE(s.contains(ZxString("a b\tc!")));
  EXPECT_TRUE(s.hasWhitespace());
  EXPECT_FALSE(s.hasLineBreak());
  EXPECT_TRUE(ZxString("x\ry").hasLineBreak());
  EXPECT_FALSE(ZxString("xy").hasWhitespace());
}

TEST(ZxString, ReplaceAllAndPrintable) {
  struct Case {
    const char *text, *from, *to, *want;
  };
  const Case cases[] = {
      {"aaa", "aa", "b", "ba"},
      {"abcabc", "b", "", "acac"},
      {"abc", "", "x", "abc"},
      {"", "a", "b", ""},
      {"a.b.c", ".", "::", "a::b::c"},
  };
  for (const auto& c : cases) EXPECT_EQ(ZxString(c.text).replaceAll(c.from, c.to), c.want) << c.text;
  const char raw[] = "ok\x01\t\r\n\x7f\x80\xff!";
  EXPECT_EQ(ZxString(raw, sizeof raw - 1).printable(), "ok\t\r\n!");
}

TEST(ZxString, Comparisons) {
  ZxString empty, a("a"), b("b"), abc("abc"), ABC("ABC");
  EXPECT_TRUE(empty == ZxString(""));
  EXPECT_TRUE(empty < a);
  EXPECT_FALSE(a < empty);
  EXPECT_FALSE(empty < empty);
  EXPECT_TRUE(a < b);
  EXPECT_TRUE(b > a);
  EXPECT_FALSE(a > a);
  EXPECT_TRUE(a <= a);
  EXPECT_TRUE(a >= a);
  EXPECT_TRUE(abc.equals(ABC, 1));
  EXPECT_FALSE(abc.equals(ABC, 0));
  EXPECT_FALSE(abc.equals(abc, 2));
  EXPECT_TRUE(empty.equals(empty, 7));
  EXPECT_FALSE(abc == ABC);
  EXPECT_EQ(empty.compare(empty), 0);
  EXPECT_EQ(a.compare(empty), 1);
  EXPECT_EQ(empty.compare(a), -1);
  EXPECT_EQ(a.compare(b), -1);
  EXPECT_EQ(b.compare(a), 1);
}

TEST(ZxString, CharAccessAndDuplicate) {
  ZxString s("abc");
  EXPECT_EQ(s.charAt(-1), 0);
  EXPECT_EQ(s.charAt(3), 0);
  s.setCharAt(1, 'X');
  s.setCharAt(5, 'Y');
  EXPECT_EQ(s, "aXc");
  char* d = s.duplicate();
  EXPECT_STREQ(d, "aXc");
  delete[] d;
  char* e = ZxString().duplicate();
  EXPECT_STREQ(e, "");
  delete[] e;
}

}  // namespace
