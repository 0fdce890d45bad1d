// Tests of the subjob and work item records: their binary layout written
// from the field tables, their status tests, and the work hash.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "model/zx_subjob.h"
#include "model/zx_work.h"
#include "zx_job_fixture.h"
#include "zx_record_checks.h"

namespace {

std::string be16(int v) { return {static_cast<char>((v >> 8) & 0xFF), static_cast<char>(v & 0xFF)}; }
std::string be32(int64_t v) {
  uint32_t u = static_cast<uint32_t>(v);
  return {static_cast<char>(u >> 24), static_cast<char>((u >> 16) & 0xFF), static_cast<char>((u >> 8) & 0xFF),
          static_cast<char>(u & 0xFF)};
}
std::string I(int id, int v) { return be16(id) + be16(1) + be32(v); }
std::string S(int id, const std::string& v) {
  return be16(id) + be16(3) + be32(static_cast<int64_t>(v.size())) + v;
}
std::string O(int id, int cls, const std::string& body) {
  return be16(id) + be16(4) + be32(cls) + be32(static_cast<int64_t>(body.size())) + body;
}

TEST(ZxSubjobAndWork, BinaryLayouts) {
  const std::string zero = I(1, 0);
  const std::string mac = S(1, "00:1A:2B:3C:4D:5E");
  ZxSubjob s;
  s.setHost("node");
  s.setMacAddress(ZxMacAddress(ZxString("0:1a:2b:3c:4d:5e")));
  s.setSeq(3);
  EXPECT_EQ(zxtest::packed(s), be32(1) + I(1, 0) + I(2, -1) + S(3, "node") + O(4, 2, zero) + O(5, 13, zero) +
                                   S(7, "") + S(8, "") + O(9, 155, mac) + I(10, 0) + I(11, 0) +
                                   O(6, 33, zero) + I(12, 3) + O(13, 33, zero) + O(14, 33, zero));

  ZxWork w;
  w.setName("0001");
  w.setPercent(40);
  EXPECT_EQ(zxtest::packed(w), be32(1) + S(1, "0001") + I(2, -1) + S(3, "") + O(4, 2, zero) + O(5, 13, zero) +
                                   I(6, -1) + S(7, "") + I(8, -1) + S(9, "") + I(10, 0) + I(11, 0) +
                                   S(12, "") + I(13, 40) + O(14, 33, zero) + I(15, 0) + O(16, 33, zero) +
                                   O(17, 33, zero) + O(18, 155, S(1, "")));
}

// Status and times are kept as plain values and read from their nested
// records; odd nested bodies read as the records themselves would.
TEST(ZxSubjobAndWork, NestedValueBodies) {
  struct Case {
    const char* what;
    std::string fields;
    int status, lastUpdate, percent;
  } cases[] = {
      {"plain", O(4, 2, I(1, 16)) + O(14, 33, I(1, 5)) + I(13, 7), 16, 5, 7},
      {"other field in the body", O(4, 2, I(2, 99)) + I(13, 7), 0, 0, 7},
      {"longer body", O(4, 2, I(7, 1) + I(1, 336)) + I(13, 7), 336, 0, 7},
      {"string in the body", O(4, 2, S(1, "abcd")) + I(13, 7), 0, 0, 7},
      {"class mismatch drops the rest", O(4, 33, I(1, 16)) + I(13, 7), 0, 0, 0},
      {"count beyond the end", be16(4) + be16(4) + be32(2) + be32(9) + I(1, 16), 0, 0, 0},
      {"body cut short", be16(4) + be16(4) + be32(2) + be32(8) + be16(1), 0, 0, 0},
      {"not an object", I(4, 336) + I(13, 7), 0, 0, 7},
  };
  for (const Case& c : cases) {
    ZxWork w;
    std::string bytes = be32(1) + c.fields;
    EXPECT_EQ(w.unpack(bytes.data(), static_cast<int>(bytes.size())), ZxPack::kOk) << c.what;
    EXPECT_EQ(w.statusCode(), c.status) << c.what;
    EXPECT_EQ(w.lastUpdate().value(), c.lastUpdate) << c.what;
    EXPECT_EQ(w.percent(), c.percent) << c.what;
  }
  ZxWork* w = zxtest::makeWork(3);
  zxtest::expectPrefixesDecode(*w);
  delete w;
}

TEST(ZxSubjobAndWork, StatusTestsAndForms) {
  struct Case {
    int code;
    bool active, done, assigned, running, complete, badlogin;
  } cases[] = {
      {336, true, false, true, true, false, false},  {16, false, true, false, false, true, false},
      {325, true, false, false, false, false, true}, {304, true, false, true, false, false, false},
      {0, false, true, false, false, false, false},
  };
  for (const Case& c : cases) {
    ZxSubjob s;
    s.setStatus(ZxStatus(c.code));
    EXPECT_EQ(s.isActive(), c.active) << c.code;
    EXPECT_EQ(s.isDone(), c.done) << c.code;
    EXPECT_EQ(s.isAssigned(), c.assigned) << c.code;
    EXPECT_EQ(s.isRunning(), c.running) << c.code;
    EXPECT_EQ(s.isComplete(), c.complete) << c.code;
    EXPECT_EQ(s.isBadlogin(), c.badlogin) << c.code;
    ZxWork w;
    w.setStatusCode(c.code);
    EXPECT_EQ(w.isActive(), c.active) << c.code;
    EXPECT_EQ(w.isAssigned(), c.assigned) << c.code;
    EXPECT_EQ(w.isComplete(), c.complete) << c.code;
  }

  ZxSubjob* s = zxtest::makeSubjob(1);
  ZxWork* w = zxtest::makeWork(1);
  ZxSubjob sText;
  ZxWork wText;
  zxtest::expectTextRoundTrip(*s, sText);
  zxtest::expectTextRoundTrip(*w, wText);
  EXPECT_EQ(sText, *s);
  EXPECT_EQ(wText, *w);
  EXPECT_EQ(s->pidModulo(7), 501 % 7);

  ZxWorkHash hash, back;
  const ZxWork kept(*w);
  hash.insert(new ZxString(w->key()), w);  // the hash takes w's contents
  zxtest::expectBinaryRoundTrip(hash, back);
  ASSERT_NE(back.find("500:101"), nullptr);
  EXPECT_EQ(*back.find("500:101"), kept);
  delete s;
}

}  // namespace
