// Tests of ZxMacAddress: normalisation of the texts it is set from, its
// output with the default text, and that decoding keeps the stored text.
#include "model/zx_mac_address.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "zx_record_checks.h"

namespace {

TEST(ZxMacAddress, SettingNormalises) {
  struct Case {
    const char* text;
    const char* value;
  } cases[] = {
      {"0:1a:2b:3c:4d:5e", "00:1A:2B:3C:4D:5E"},
      {"00:1A:2B:3C:4D:5E", "00:1A:2B:3C:4D:5E"},
      {"00:00:00:00:00:00", ""},  // all zero: unknown
      {"", ""},
      {"::", ""},
      {"abc:1", "AB:01"},       // only the first two characters of a piece count
      {"g1:zz:7", "01:00:07"},  // other characters add 0
      {"ff", "FF"},
      {"1:", "01:00"},
  };
  for (const Case& c : cases) {
    ZxMacAddress a;
    a.setValue(c.text);
    EXPECT_EQ(std::string(a.value().c_str()), c.value) << c.text;
    EXPECT_EQ(std::string(ZxMacAddress(ZxString(c.text)).value().c_str()), c.value) << c.text;
  }
}

TEST(ZxMacAddress, OutputAndDecoding) {
  std::ostringstream os;
  os << ZxMacAddress() << ' ' << ZxMacAddress(ZxString("a:b:c:d:e:f"));
  EXPECT_EQ(os.str(), "00:00:00:00:00:00 0A:0B:0C:0D:0E:0F");

  // A stored text arrives as it was written, unnormalised.
  const char bytes[] = "\0\0\0\1\0\1\0\3\0\0\0\3a:b";
  ZxMacAddress a;
  ASSERT_EQ(a.unpack(bytes, sizeof bytes - 1), ZxPack::kOk);
  EXPECT_EQ(a.value(), "a:b");

  ZxMacAddress full(ZxString("1:2:3:4:5:6")), back;
  zxtest::expectBinaryRoundTrip(full, back);
  EXPECT_EQ(back, full);
}

}  // namespace
