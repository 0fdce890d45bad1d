// ZxJobId texts, ZxTime conversions and texts, ZxAddress dotted texts.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <sstream>
#include <string>

#include "model/zx_address.h"
#include "model/zx_job_id.h"
#include "model/zx_time.h"

namespace {

TEST(ZxJobId, IdText) {
  struct Case {
    int id, sub;
    const char* text;
  };
  const Case cases[] = {{12, -1, "12"}, {12, 3, "12.3"}, {12, -2, "12.*"},
                        {12, -5, "12"}, {0, 0, "0.0"},   {-1, -1, "-1"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    ZxJobId j(c.id, c.sub);
    EXPECT_EQ(std::string(j.idText().c_str()), c.text);
    std::ostringstream os;
    os << j;
    EXPECT_EQ(os.str(), c.text);
    ZxString s("job ");
    j.appendTo(s);
    EXPECT_EQ(std::string(s.c_str()), std::string("job ") + c.text);
  }
  ZxJobId d;
  EXPECT_EQ(d.id(), -1);
  EXPECT_EQ(d.subId(), -1);
  EXPECT_EQ(ZxJobId(17).idModulo(5), 2);
  EXPECT_EQ(ZxJobId(17).idModulo(0), 0);
}

TEST(ZxJobId, FromIdText) {
  struct Case {
    const char* text;
    int id, sub;
  };
  const Case cases[] = {{"12.*", 12, -2}, {"12.", 12, -1}, {"12", 12, -1}, {"12.x", 12, 0},
                        {".5", 0, 5},     {"7.3", 7, 3},   {"", 0, -1},    {"3.4.5", 3, 4}};
  for (const Case& c : cases) {
    ZxJobId j(99, 99);
    j.fromIdText(c.text);
    EXPECT_EQ(j.id(), c.id) << c.text;
    EXPECT_EQ(j.subId(), c.sub) << c.text;
  }
  EXPECT_EQ(ZxJobId(ZxString("4.1")), ZxJobId(4, 1));
}

TEST(ZxJobId, EncodedForms) {
  ZxJobId j(5, -2);
  j.pack();
  const unsigned char expected[] = {0, 0, 0, 1, 0, 1, 0, 1, 0, 0, 0, 5, 0, 2, 0, 1, 0xFF, 0xFF, 0xFF, 0xFE};
  ASSERT_EQ(j.used(), static_cast<int>(sizeof expected));
  EXPECT_EQ(std::string(j.buffer(), j.used()),
            std::string(reinterpret_cast<const char*>(expected), sizeof expected));
  EXPECT_STREQ(
      j.toText(),
      "<version>1</version>\n<object type = 'job_id'>\n\t<id>5</id>\n\t<sub_id>-2</sub_id>\n</object>");
  ZxTime t(86400);
  EXPECT_STREQ(t.toText(), "<version>1</version>\n<object type = 'time'>\n\t<value>86400</value>\n</object>");
  ZxAddress a(ZxString("10.0.0.7"));
  a.pack();
  ZxAddress b;
  ASSERT_EQ(b.unpack(a.buffer(), a.used()), ZxPack::kOk);
  EXPECT_EQ(b.number(), 167772167u);
  EXPECT_EQ(ZxTime().typeId(), 33);
  EXPECT_EQ(ZxAddress().typeId(), 13);
  EXPECT_EQ(j.typeId(), 19);
}

class ZxTimeTest : public testing::Test {
 protected:
  void SetUp() override {
    const char* tz = std::getenv("TZ");
    saved_ = tz ? tz : "";
    hadTz_ = tz != nullptr;
    setenv("TZ", "UTC", 1);
    tzset();
  }
  void TearDown() override {
    if (hadTz_)
      setenv("TZ", saved_.c_str(), 1);
    else
      unsetenv("TZ");
    tzset();
  }
  std::string saved_;
  bool hadTz_ = false;
};

TEST_F(ZxTimeTest, EpochAndDateText) {
  ZxTime t;
  t.fromUnix(946702800);
  EXPECT_EQ(t.value(), 0);
  EXPECT_EQ(std::string(t.dateText().c_str()), "None");
  struct Case {
    int value;
    const char* date;
    const char* weekday;
    int hour;
  };
  const Case cases[] = {
      {86400, "Jan 2, 2000 5:00:00", "Sun", 5},
      {1, "Jan 1, 2000 5:00:01", "Sat", 5},
      {289368303, "Mar 3, 2009 9:05:03", "Tues", 9},  // Unix 1236071103
      {-3600, "Jan 1, 2000 4:00:00", "Sat", 4},
  };
  for (const Case& c : cases) {
    ZxTime x(c.value);
    EXPECT_EQ(x.toUnix(), c.value + 946702800LL);
    EXPECT_EQ(std::string(x.dateText().c_str()), c.date) << c.value;
    EXPECT_STREQ(x.weekdayName(), c.weekday) << c.value;
    EXPECT_EQ(x.hour(), c.hour) << c.value;
    std::ostringstream os;
    os << x;
    EXPECT_EQ(os.str(), c.date);
    ZxTime back(777);
    back.fromDateText(c.date);
    EXPECT_EQ(back.value(), c.value) << c.date;
  }
  EXPECT_EQ(ZxTime(1230000000, true).value(), 1230000000 - 946702800);
}

TEST_F(ZxTimeTest, FromDateTextShapes) {
  struct Case {
    const char* text;
    int value;  // preset 777
  };
  const Case cases[] = {
      {"Jan 2, 2000", 86400 - 5 * 3600},
      {"Jan 2 , 2000 5", 86400},
      {"\tJan  2,\r\n2000 5:00:30", 86430},
      {"Xyz 2, 2000 5:00:00", 86400},  // unknown month: January
      {"Jan 2 2000 5:00:00", 777},     // third token is not ","
      {"Jan 2,", 777},                 // too few tokens
      {"", 777},
      {"Jan 1 , -2147483648", 777},  // years outside 1..9999 are refused
      {"Jan 1 , 0", 777},
      {"Jan 1 , 10000", 777},
      {"Jan 2, 2000 5:00:00 , , , , , , , , ,", 86400},  // tokens past the ninth are ignored
  };
  for (const Case& c : cases) {
    ZxTime t(777);
    t.fromDateText(c.text);
    EXPECT_EQ(t.value(), c.value) << c.text;
  }
}

TEST(ZxTime, DurationText) {
  struct Case {
    int seconds;
    const char* text;
  };
  const Case cases[] = {{0, "0 s"},        {119, "119 s"},  {120, "2.0 m"},  {3599, "59.9 m"},
                        {7199, "119.9 m"}, {7200, "2.0 h"}, {9000, "2.5 h"}, {-5, "-5 s"}};
  for (const Case& c : cases) EXPECT_EQ(std::string(ZxTime(c.seconds).durationText().c_str()), c.text);
}

TEST(ZxAddress, DottedText) {
  struct Case {
    const char* text;
    bool ok;
    uint32_t number;
    const char* out;
  };
  const Case cases[] = {
      {"10.0.0.7", true, 167772167u, "10.0.0.7"},
      {"255.255.255.254", true, 0xFFFFFFFEu, "255.255.255.254"},
      {"127.0.0.1", true, 0x7F000001u, "127.0.0.1"},
      {"1.2", true, 0x01020000u, "1.2.0.0"},
      {"1.2.3.4.5", false, 0, "0.0.0.0"},
      {"1.2.3.4.", false, 0, "0.0.0.0"},
  };
  for (const Case& c : cases) {
    ZxAddress a;
    EXPECT_TRUE(a.isNotSet());
    EXPECT_EQ(a.fromDottedText(c.text), c.ok) << c.text;
    EXPECT_EQ(a.isNotSet(), !c.ok) << c.text;
    EXPECT_EQ(a.number(), c.number) << c.text;
    EXPECT_EQ(std::string(a.dottedText().c_str()), c.out) << c.text;
  }
  ZxAddress n(0u);
  EXPECT_FALSE(n.isNotSet());
  ZxAddress copy(n);
  EXPECT_FALSE(copy.isNotSet());
  ZxAddress unset;
  ZxAddress copyUnset(unset);
  EXPECT_TRUE(copyUnset.isNotSet());
}

}  // namespace
