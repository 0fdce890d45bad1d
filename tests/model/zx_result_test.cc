// Command results and faults: both encoded forms, the fault's two lists
// that share one binary field id, and damaged input.
// Built only where the error record (client/zx_err.h) is part of the tree.
#if __has_include("client/zx_err.h")
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/zx_fault.h"
#include "model/zx_result.h"
#include "zx_record_checks.h"

namespace {

std::string str(const ZxString& s) { return std::string(s.c_str(), static_cast<size_t>(s.length())); }

std::string bytesOf(std::initializer_list<int> values) {
  std::string out;
  for (int v : values) out += static_cast<char>(v);
  return out;
}

ZxFault sampleFault() {
  ZxFault f;
  f.error().setCode(17);
  f.error().setValue("ERROR", "reset by peer");
  f.jobIdList().append(new ZxJobId(12, 3));
  f.workIdList().append(new ZxWorkId(12, ZxString("frame7")));
  f.hostNameList().append(new ZxHostName(ZxString("node1"), 50001, 1));
  f.hostNameList().append(new ZxHostName(ZxString("node2"), 50002, 2));
  return f;
}

TEST(Fault, BothListsShareFieldThreeAndReadBackApart) {
  ZxFault f = sampleFault();
  std::string bytes = zxtest::packed(f);
  EXPECT_EQ(zxtest::fieldIds(bytes), (std::vector<int>{1, 2, 3, 3}));

  ZxFault back;
  zxtest::expectBinaryRoundTrip(f, back);
  EXPECT_EQ(back.error().code(), 17);
  ASSERT_EQ(back.workIdList().count(), 1);
  EXPECT_EQ(str(back.workIdList().get(0)->name()), "frame7");
  ASSERT_EQ(back.hostNameList().count(), 2);
  EXPECT_EQ(str(back.hostNameList().get(1)->host()), "node2");
  EXPECT_EQ(back.jobIdList().get(0)->subId(), 3);

  ZxFault txt;
  zxtest::expectTextRoundTrip(f, txt);
  EXPECT_EQ(txt.workIdList().count(), 1);
  EXPECT_EQ(txt.hostNameList().count(), 2);
  ASSERT_NE(txt.error().value("ERROR"), nullptr);
  EXPECT_EQ(str(*txt.error().value("ERROR")), "reset by peer");
  zxtest::expectPrefixesDecode(f);
}

TEST(Fault, FieldThreeOfAnotherClassEndsTheFault) {
  const std::string emptyListBody = bytesOf({0, 0, 0, 8, 0, 1, 0, 1, 0, 0, 0, 0});
  const std::string error17 =
      bytesOf({0, 1, 0, 4, 0, 0, 0, 0xAF, 0, 0, 0, 8, 0, 1, 0, 1, 0, 0, 0, 17});  // field 1, a ZxErr
  struct Case {
    int classNumber;
    int code;  // the error after decoding: 0 when the rest was dropped
  };
  const Case cases[] = {{60, 17}, {64, 17}, {18, 0}, {23, 0}};
  for (const Case& c : cases) {
    std::string input = bytesOf({0, 0, 0, 1, 0, 3, 0, 4, 0, 0, 0, c.classNumber}) + emptyListBody + error17;
    ZxFault f;
    ASSERT_EQ(f.unpack(input.data(), static_cast<int>(input.size())), ZxPack::kOk);
    EXPECT_EQ(f.error().code(), c.code) << c.classNumber;
  }

  // Items land in the list named by the class number.
  ZxHostNameList hosts;
  hosts.append(new ZxHostName(ZxString("h"), 1, 2));
  ZxFault holder;
  holder.hostNameList() = hosts;
  std::string packed = zxtest::packed(holder);
  ZxFault back;
  ASSERT_EQ(back.unpack(packed.data(), static_cast<int>(packed.size())), ZxPack::kOk);
  EXPECT_EQ(back.workIdList().count(), 0);
  EXPECT_EQ(back.hostNameList().count(), 1);
}

TEST(Result, EmptyAfterConstructionAndFieldOrder) {
  ZxResult r;
  EXPECT_EQ(r.faultList().count(), 0);
  EXPECT_EQ(r.jobIdList().count(), 0);
  EXPECT_EQ(r.workIdList().count(), 0);
  EXPECT_EQ(r.hostNameList().count(), 0);
  EXPECT_EQ(r.callbackIdList().count(), 0);
  EXPECT_EQ(r.error().code(), 0);
  EXPECT_EQ(zxtest::fieldIds(zxtest::packed(r)), (std::vector<int>{3, 1, 2, 4, 5, 6}));
  std::string text = r.toText();
  EXPECT_LT(text.find("fault_list"), text.find("job_id_list"));
  EXPECT_LT(text.find("error"), text.find("hostname_list"));
}

TEST(Result, EncodedFormsRoundTrip) {
  ZxResult r;
  r.faultList().append(new ZxFault(sampleFault()));
  r.faultList().append(new ZxFault());
  r.jobIdList().append(new ZxJobId(12, -2));
  r.workIdList().append(new ZxWorkId(12, ZxString("f1")));
  r.error().setCode(2051);
  r.hostNameList().append(new ZxHostName(ZxString("node9"), 7, 9));
  r.callbackIdList().append(new ZxCallbackId(12, 4));

  ZxResult bin;
  zxtest::expectBinaryRoundTrip(r, bin);
  ASSERT_EQ(bin.faultList().count(), 2);
  EXPECT_EQ(bin.faultList().get(0)->hostNameList().count(), 2);
  EXPECT_EQ(bin.error().code(), 2051);
  EXPECT_EQ(bin.callbackIdList().get(0)->callId(), 4);
  ZxResult txt;
  zxtest::expectTextRoundTrip(r, txt);
  EXPECT_EQ(txt.faultList().get(0)->workIdList().count(), 1);
  EXPECT_EQ(str(txt.hostNameList().get(0)->host()), "node9");
  zxtest::expectPrefixesDecode(r);

  ZxResult copy(r);
  r.faultList().clear();
  EXPECT_EQ(copy.faultList().count(), 2);  // deep copy
}

}  // namespace

#endif  // __has_include("client/zx_err.h")
