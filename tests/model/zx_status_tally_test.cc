// Tests of ZxStatusTally: counting by status, the totals, the compact text
// in both directions, and its binary form with field ids from 0.
#include "model/zx_status_tally.h"

#include <gtest/gtest.h>

#include <string>

#include "zx_record_checks.h"

namespace {

std::string compact(const ZxStatusTally& t) { return t.toCompactText().c_str(); }

TEST(ZxStatusTally, CountsByStatusAndTotals) {
  ZxStatusTally t;
  t.add(336, 2);
  t.add(16, 1);
  t.add(5, 4);  // saved is not counted on its own
  EXPECT_EQ(t.running(), 2);
  EXPECT_EQ(t.complete(), 1);
  EXPECT_EQ(t.unknown(), 4);
  EXPECT_EQ(t.total(), 7);
  EXPECT_EQ(t.doneTotal(), 1);
  EXPECT_EQ(t.activeTotal(), 2);
  EXPECT_EQ(t.assignedTotal(), 2);
  EXPECT_EQ(compact(t), "2 0 1 0 0 0 0 0 4 0 0");

  // Every code with the counter it lands in and the totals it counts in.
  struct Case {
    int code;
    int position;
    bool done, active, assigned;
  } cases[] = {
      {336, ZxStatusTally::kRunning, false, true, true},
      {272, ZxStatusTally::kBlocked, false, true, false},
      {16, ZxStatusTally::kComplete, true, false, false},
      {320, ZxStatusTally::kPending, false, true, false},
      {304, ZxStatusTally::kSuspended, false, true, true},
      {32, ZxStatusTally::kFailed, true, false, false},
      {48, ZxStatusTally::kKilled, true, false, false},
      {323, ZxStatusTally::kWaiting, false, true, true},
      {21, ZxStatusTally::kWarning, true, false, false},
      {325, ZxStatusTally::kBadlogin, false, false, false},
      {0, ZxStatusTally::kUnknown, false, false, false},
      {293, ZxStatusTally::kUnknown, false, false, false},  // paused
      {999, ZxStatusTally::kUnknown, false, false, false},
      {-1, ZxStatusTally::kUnknown, false, false, false},
  };
  for (const Case& c : cases) {
    ZxStatusTally one;
    one.add(c.code, 3);
    EXPECT_EQ(one.counter(c.position), 3) << c.code;
    EXPECT_EQ(one.count(c.code), 3) << c.code;
    EXPECT_EQ(one.total(), 3) << c.code;
    EXPECT_EQ(one.doneTotal(), c.done ? 3 : 0) << c.code;
    EXPECT_EQ(one.activeTotal(), c.active ? 3 : 0) << c.code;
    EXPECT_EQ(one.assignedTotal(), c.assigned ? 3 : 0) << c.code;
  }

  ZxStatusTally sum;
  sum.add(t);
  sum.add(t);
  EXPECT_EQ(compact(sum), "4 0 2 0 0 0 0 0 8 0 0");
  sum.clear();
  EXPECT_EQ(sum.total(), 0);
}

TEST(ZxStatusTally, CompactTextReading) {
  struct Case {
    const char* text;
    const char* counters;
  } cases[] = {
      {"1  2 3", "1 2 3 0 0 0 0 0 0 0 0"},
      {"1,2", "1 0 0 0 0 0 0 0 0 0 0"},  // the comma stops the reading
      {"", "0 0 0 0 0 0 0 0 0 0 0"},
      {"1 2 3 4 5 6 7 8 9 10 11", "1 2 3 4 5 6 7 8 9 10 11"},
      {"1 2 3 4 5 6 7 8 9 10 11 12  ", "1 2 3 4 5 6 7 8 9 10 11"},  // extra text ignored
      {" 5 6", "0 5 6 0 0 0 0 0 0 0 0"},  // no blanks are skipped before the first counter
      {"-3 4", "0 0 0 0 0 0 0 0 0 0 0"},  // no sign
      {"7\t8", "7 0 0 0 0 0 0 0 0 0 0"},  // only spaces separate
      {"2147483647 1", "2147483647 1 0 0 0 0 0 0 0 0 0"},
  };
  for (const Case& c : cases) {
    ZxStatusTally t;
    t.setFailed(99);  // every counter is written, read or not
    t.fromCompactText(c.text);
    EXPECT_EQ(compact(t), c.counters) << "'" << c.text << "'";
  }
}

TEST(ZxStatusTally, BinaryFormUsesIdsFromZero) {
  ZxStatusTally t;
  t.setRunning(7);
  t.setBadlogin(-2);
  std::string bytes = zxtest::packed(t);
  ASSERT_EQ(bytes.size(), 4u + 11u * 8u);
  // version word, then "running" as field 0 and "badlogin" as field 10
  EXPECT_EQ(bytes.substr(0, 12), std::string("\0\0\0\1\0\0\0\1\0\0\0\7", 12));
  EXPECT_EQ(bytes.substr(4 + 10 * 8), std::string("\0\x0a\0\1\xff\xff\xff\xfe", 8));

  ZxStatusTally back;
  ASSERT_EQ(back.unpack(bytes.data(), static_cast<int>(bytes.size())), ZxPack::kOk);
  EXPECT_EQ(back.running(), 7);
  EXPECT_EQ(back.badlogin(), -2);
  EXPECT_EQ(back, t);

  ZxStatusTally fromText;
  zxtest::expectTextRoundTrip(t, fromText);
  EXPECT_NE(std::string(t.toText()).find("<running>7</running>"), std::string::npos);
}

}  // namespace
