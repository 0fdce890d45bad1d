// Tests of ZxStatus: construction from codes and names, the class tests
// (active, done, assigned), name matching and name output.
#include "model/zx_status.h"

#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>

namespace {

TEST(ZxStatus, ConstructionAndNames) {
  EXPECT_EQ(ZxStatus().code(), 0);
  EXPECT_STREQ(ZxStatus().name(), "none");
  EXPECT_EQ(ZxStatus(336).code(), 336);
  EXPECT_EQ(ZxStatus("waiting").code(), 323);
  EXPECT_EQ(ZxStatus(ZxString("bogus")).code(), 0);
  EXPECT_STREQ(ZxStatus(999).name(), "none");

  ZxStatus s(16);
  ZxStatus copy(s);
  s.setName("killed");
  EXPECT_EQ(s.code(), 48);
  EXPECT_EQ(copy.code(), 16);  // copies are independent
  copy = s;
  EXPECT_EQ(copy, s);
  s.setCode(5);
  EXPECT_TRUE(s.isSaved());
  s.setName("done");  // a class name is no status
  EXPECT_TRUE(s.isNone());
}

TEST(ZxStatus, NameOutput) {
  std::ostringstream os;
  os << ZxStatus(304) << '|' << ZxStatus(7);
  EXPECT_EQ(os.str(), "suspended|none");
  ZxString text("state=");
  ZxStatus(21).appendTo(text).append('.');
  EXPECT_EQ(text, "state=warning.");
}

// Every code with the names it must match, class names included.
TEST(ZxStatus, ClassesAndMatching) {
  struct Case {
    int code;
    std::set<std::string> matches;
  } cases[] = {
      {0, {"none", "done"}},
      {5, {"saved", "done"}},
      {16, {"complete", "done"}},
      {21, {"warning", "done"}},
      {32, {"failed", "done"}},
      {48, {"killed", "done"}},
      {272, {"blocked", "active"}},
      {293, {"paused", "active"}},
      {304, {"suspended", "active", "assigned"}},
      {320, {"pending", "active"}},
      {323, {"waiting", "active", "assigned"}},
      {325, {"badlogin", "active"}},
      {336, {"running", "active", "assigned"}},
      {0x101, {"none", "active"}},  // unknown active code: its name is "none"
      {999, {"none", "active"}},    // 999 = 0x3E7 has the active bit
      {0x3000, {"none", "done"}},
  };
  const char* names[] = {"none",   "saved",     "complete", "warning", "failed",   "killed",  "blocked",
                         "paused", "suspended", "pending",  "waiting", "badlogin", "running", "done",
                         "active", "assigned",  "Running",  "",        "bogus"};
  for (const Case& c : cases) {
    ZxStatus s(c.code);
    EXPECT_EQ(s.isActive(), c.matches.count("active") == 1) << c.code;
    EXPECT_EQ(s.isDone(), !s.isActive()) << c.code;
    EXPECT_EQ(s.isAssigned(), c.matches.count("assigned") == 1) << c.code;
    for (const char* name : names) {
      EXPECT_EQ(s.matches(name), c.matches.count(name) == 1) << c.code << " " << name;
    }
  }
}

TEST(ZxStatus, OneTestPerCode) {
  using Predicate = bool (ZxStatus::*)() const;
  struct Case {
    int code;
    Predicate test;
  } cases[] = {
      {0, &ZxStatus::isNone},      {5, &ZxStatus::isSaved},     {16, &ZxStatus::isComplete},
      {21, &ZxStatus::isWarning},  {32, &ZxStatus::isFailed},   {48, &ZxStatus::isKilled},
      {272, &ZxStatus::isBlocked}, {293, &ZxStatus::isPaused},  {304, &ZxStatus::isSuspended},
      {320, &ZxStatus::isPending}, {323, &ZxStatus::isWaiting}, {325, &ZxStatus::isBadlogin},
      {336, &ZxStatus::isRunning},
  };
  for (const Case& row : cases) {
    for (const Case& other : cases) {
      EXPECT_EQ((ZxStatus(other.code).*row.test)(), other.code == row.code)
          << row.code << " on " << other.code;
    }
  }
}

}  // namespace

namespace {

std::string bytesOf(const char* p, int n) { return std::string(p, static_cast<size_t>(n)); }

// The binary form: version word 1, then the code as int field 1.
TEST(ZxStatusEncoding, BinaryGoldenBytesAndPrefixes) {
  const unsigned char golden[] = {0x00, 0x00, 0x00, 0x01, 0x00, 0x01, 0x00, 0x01, 0x00, 0x00, 0x01, 0x50};
  const std::string expected(reinterpret_cast<const char*>(golden), sizeof golden);
  ZxStatus running(336);
  EXPECT_EQ(running.typeId(), 2);
  EXPECT_STREQ(running.typeName(), "status");
  ASSERT_EQ(running.pack(), 12);
  EXPECT_EQ(bytesOf(running.buffer(), running.used()), expected);

  ZxStatus negative(-1);
  negative.pack();
  EXPECT_EQ(bytesOf(negative.buffer(), negative.used()), std::string("\0\0\0\1\0\1\0\1\xFF\xFF\xFF\xFF", 12));

  ZxStatus back(16);
  EXPECT_EQ(back.unpack(golden, sizeof golden), 0);
  EXPECT_EQ(back.code(), 336);

  // Every truncated prefix: the header results, then a damaged field that
  // leaves the code as it was.
  for (int n = 0; n < static_cast<int>(sizeof golden); ++n) {
    ZxStatus s(16);
    int expectedResult = n < 4 ? 1 : (n == 4 ? 2 : 0);
    EXPECT_EQ(s.unpack(golden, n), expectedResult) << n;
    EXPECT_EQ(s.code(), 16) << n;
  }

  // An unknown string field before the code is skipped; a field of the
  // wrong type under id 1 is not taken as the code.
  const unsigned char extra[] = {0, 0, 0, 1, 0, 9, 0, 3, 0, 0, 0, 2, 'h', 'i', 0, 1, 0, 1, 0, 0, 1, 0x30};
  ZxStatus s;
  EXPECT_EQ(s.unpack(extra, sizeof extra), 0);
  EXPECT_EQ(s.code(), 304);
  const unsigned char wrongType[] = {0, 0, 0, 1, 0, 1, 0, 6, 1};
  EXPECT_EQ(s.unpack(wrongType, sizeof wrongType), 0);
  EXPECT_EQ(s.code(), 304);
}

TEST(ZxStatusEncoding, TextForm) {
  ZxStatus waiting(323);
  EXPECT_STREQ(waiting.toText(),
               "<version>1</version>\n<object type = 'status'>\n\t<value>323</value>\n</object>");

  std::string wrapped = std::string("<pack>\n") + waiting.toText() + "\n</pack>";
  ZxStatus back;
  EXPECT_EQ(back.fromText(wrapped.c_str(), static_cast<int>(wrapped.size())), 0);
  EXPECT_EQ(back.code(), 323);

  // A text without the element leaves the code in place.
  std::string noValue = "<pack>\n<version>1</version>\n<object type = 'status'>\n</object>\n</pack>";
  ZxStatus kept(48);
  EXPECT_EQ(kept.fromText(noValue.c_str(), static_cast<int>(noValue.size())), 0);
  EXPECT_EQ(kept.code(), 48);
}

}  // namespace
