// Request records: fields and their operator texts, filters and
// makeFilter, queries, commands and bump commands, work ids, callback ids
// and host names.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "model/zx_bump_command.h"
#include "model/zx_callback_id.h"
#include "model/zx_command.h"
#include "model/zx_domain.h"
#include "model/zx_field.h"
#include "model/zx_filter.h"
#include "model/zx_host_name.h"
#include "model/zx_query.h"
#include "model/zx_work_id.h"
#include "zx_record_checks.h"

namespace {

std::string str(const ZxString& s) { return std::string(s.c_str(), static_cast<size_t>(s.length())); }

std::string hex(const std::string& bytes) {
  static const char digits[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : bytes) {
    if (!out.empty()) out += ' ';
    out += digits[c >> 4];
    out += digits[c & 15];
  }
  return out;
}

TEST(Field, OperatorTexts) {
  struct Case {
    const char* text;
    char sign;
    const char* name;
  };
  const Case cases[] = {
      {">5", '>', "5"},     {"5", 0, "5"},     {"", 0, ""},        {"=320", '=', "320"},
      {"~ab*", '~', "ab*"}, {"<", '<', ""},    {"%x", '%', "x"},   {"*", '*', ""},
      {"!5", 0, "!5"},      {" >5", 0, " >5"}, {">>5", '>', ">5"},
  };
  for (const Case& c : cases) {
    ZxField f;
    f.setSign('*');
    f.setName("old");
    f.fromOperatorText(c.text);
    EXPECT_EQ(f.sign(), c.sign) << c.text;
    EXPECT_EQ(str(f.name()), c.name) << c.text;
    ZxField built{ZxString(c.text)};
    EXPECT_EQ(built.sign(), c.sign) << c.text;
  }
  EXPECT_EQ(ZxField().sign(), 0);
}

TEST(Field, SignSurvivesBothForms) {
  for (char sign : {'\0', '~', '=', '>', '<', '%', '*'}) {
    ZxField f(ZxString("v&1"), sign);
    ZxField bin;
    zxtest::expectBinaryRoundTrip(f, bin);
    EXPECT_EQ(bin.sign(), sign);
    ZxField txt;
    txt.setSign('~');
    zxtest::expectTextRoundTrip(f, txt);
    EXPECT_EQ(txt.sign(), sign);
    EXPECT_EQ(str(txt.name()), "v&1");
  }
}

TEST(Filter, Constructors) {
  ZxFilter d;
  EXPECT_EQ(str(d.name()), "");
  EXPECT_FALSE(d.neg());
  EXPECT_EQ(d.sign(), '=');
  EXPECT_EQ(d.fields().count(), 0);

  ZxFilter named{ZxString("user")};
  EXPECT_EQ(str(named.name()), "user");
  EXPECT_EQ(named.sign(), '=');
  EXPECT_EQ(named.fields().count(), 0);

  ZxFilter status(ZxString("status"), ZxString("=320"));
  EXPECT_EQ(status.sign(), '=');
  ASSERT_EQ(status.fields().count(), 1);
  EXPECT_EQ(status.fields().get(0)->sign(), '=');
  EXPECT_EQ(str(status.fields().get(0)->name()), "320");

  ZxFilter withSign(ZxString("priority"), '>', ZxString("<50"));
  EXPECT_EQ(withSign.sign(), '>');
  ASSERT_EQ(withSign.fields().count(), 1);
  EXPECT_EQ(withSign.fields().get(0)->sign(), '<');
  EXPECT_EQ(str(withSign.fields().get(0)->name()), "50");

  ZxFilter copy(status);
  status.fields().clear();
  ASSERT_EQ(copy.fields().count(), 1);  // deep copy
  EXPECT_EQ(str(copy.fields().get(0)->name()), "320");
}

std::string values(const ZxFilter& f) {
  std::string out;
  for (int i = 0; i < f.fields().count(); ++i) {
    const ZxField* v = f.fields().get(i);
    if (i) out += "|";
    if (v->sign()) out += std::string(1, v->sign()) + ":";
    out += str(v->name());
  }
  return out;
}

TEST(Filter, MakeFilterSplitsValues) {
  struct Case {
    const char* text;
    const char* values;  // "|"-joined, a sign shown as "s:" before the name
  };
  const Case cases[] = {
      {"1,2,,3", "1|2|3"}, {"1, 2", "1| 2"},      {">100", ">:100"}, {"a\tb\nc", "a|b|c"}, {",,a,,", "a"},
      {",", ""},           {"x y,~z", "x y|~:z"}, {"=", "=:"},       {"a\r,b", "a\r|b"},
  };
  for (const Case& c : cases) {
    std::unique_ptr<ZxFilter> f(makeFilter("id", c.text));
    ASSERT_TRUE(f) << c.text;
    EXPECT_EQ(str(f->name()), "id");
    EXPECT_EQ(f->sign(), '=');
    EXPECT_FALSE(f->neg());
    EXPECT_EQ(values(*f), c.values) << c.text;
  }
  EXPECT_EQ(makeFilter("id", ""), nullptr);
}

TEST(Filter, EncodedFormsRoundTrip) {
  std::unique_ptr<ZxFilter> f(makeFilter("status", "16,>0,%320"));
  f->setNeg(true);
  f->setSign('~');
  ZxFilter bin;
  zxtest::expectBinaryRoundTrip(*f, bin);
  EXPECT_TRUE(bin.neg());
  EXPECT_EQ(values(bin), "16|>:0|%:320");
  ZxFilter txt;
  zxtest::expectTextRoundTrip(*f, txt);
  EXPECT_EQ(txt.sign(), '~');
  EXPECT_EQ(values(txt), "16|>:0|%:320");
  zxtest::expectPrefixesDecode(*f);
}

TEST(Query, FieldListIsWrittenFirst) {
  ZxQuery q;
  q.fieldList().append(new ZxField(ZxString("subjobs")));
  q.filterList().append(makeFilter("id", "1,2"));
  q.filterList().append(makeFilter("user", "ann"));
  std::string bytes = zxtest::packed(q);
  // Version word, then the header of field 2 (an object of class 23).
  EXPECT_EQ(hex(bytes.substr(0, 12)), "00 00 00 01 00 02 00 04 00 00 00 17");
  EXPECT_EQ(std::string(q.toText()).find("field_list") < std::string(q.toText()).find("filter_list"), true);

  ZxQuery bin;
  zxtest::expectBinaryRoundTrip(q, bin);
  ASSERT_EQ(bin.filterList().count(), 2);
  EXPECT_EQ(values(*bin.filterList().get(0)), "1|2");
  EXPECT_EQ(str(bin.fieldList().get(0)->name()), "subjobs");
  ZxQuery txt;
  zxtest::expectTextRoundTrip(q, txt);
  EXPECT_EQ(str(txt.filterList().get(1)->name()), "user");
  zxtest::expectPrefixesDecode(q);
}

TEST(Command, DefaultEncodingGoldenBytes) {
  ZxCommand c;
  EXPECT_TRUE(c.restrictions());
  EXPECT_TRUE(c.background());
  EXPECT_EQ(c.limit(), 0);
  EXPECT_EQ(c.action(), 0);
  const std::string emptyList = " 00 00 00 08 00 01 00 01 00 00 00 00";
  const std::string golden =
      "00 00 00 01"
      " 00 01 00 04 00 00 00 15" +
      emptyList +                               // filter_list, class 21
      " 00 02 00 04 00 00 00 12" + emptyList +  // job_id_list, class 18
      " 00 03 00 04 00 00 00 3C" + emptyList +  // work_id_list, class 60
      " 00 04 00 04 00 00 00 37" + emptyList +  // group_list, class 55
      " 00 05 00 06 01"                         // restrictions
      " 00 06 00 01 00 00 00 00"                // limit
      " 00 07 00 06 01"                         // background
      " 00 08 00 01 00 00 00 00"                // action
      " 00 09 00 04 00 00 00 C6" +
      emptyList;  // callback_id_list, class 198
  EXPECT_EQ(hex(zxtest::packed(c)), golden);
  EXPECT_EQ(ZxCommand(12).action(), 12);
}

ZxCommand sampleCommand() {
  ZxCommand c(7);
  c.setRestrictions(false);
  c.setBackground(false);
  c.setLimit(5);
  c.filterList().append(makeFilter("user", "ann,bob"));
  c.jobIdList().append(new ZxJobId(12, -2));
  c.jobIdList().append(new ZxJobId(13, 4));
  c.workIdList().append(new ZxWorkId(12, ZxString("frame7")));
  c.groupList().add("render");
  c.callbackIdList().append(new ZxCallbackId(12, 3));
  return c;
}

TEST(Command, EncodedFormsRoundTrip) {
  ZxCommand c = sampleCommand();
  ZxCommand bin;
  zxtest::expectBinaryRoundTrip(c, bin);
  EXPECT_FALSE(bin.restrictions());
  EXPECT_FALSE(bin.background());
  EXPECT_EQ(bin.limit(), 5);
  EXPECT_EQ(bin.action(), 7);
  ASSERT_EQ(bin.jobIdList().count(), 2);
  EXPECT_EQ(bin.jobIdList().get(0)->subId(), -2);
  EXPECT_EQ(str(bin.workIdList().get(0)->name()), "frame7");
  EXPECT_EQ(str(*bin.groupList().get(0)), "render");
  EXPECT_EQ(bin.callbackIdList().get(0)->callId(), 3);
  ZxCommand txt;
  zxtest::expectTextRoundTrip(c, txt);
  EXPECT_FALSE(txt.restrictions());
  EXPECT_EQ(txt.callbackIdList().count(), 1);
  zxtest::expectPrefixesDecode(c);
}

TEST(BumpCommand, CommandFieldsThenDiffAndDirection) {
  ZxBumpCommand d;
  EXPECT_EQ(d.diff(), 0);
  EXPECT_EQ(d.direction(), 0);
  EXPECT_TRUE(d.restrictions());
  EXPECT_EQ(d.typeId(), 69);

  ZxBumpCommand b(sampleCommand());
  EXPECT_EQ(b.action(), 7);
  EXPECT_EQ(b.jobIdList().count(), 2);
  b.setDiff(-3);
  b.setDirection(2);
  ZxBumpCommand bin;
  zxtest::expectBinaryRoundTrip(b, bin);
  EXPECT_EQ(bin.diff(), -3);
  EXPECT_EQ(bin.direction(), 2);
  EXPECT_EQ(bin.limit(), 5);
  ZxBumpCommand txt;
  zxtest::expectTextRoundTrip(b, txt);
  EXPECT_EQ(txt.direction(), 2);
  zxtest::expectPrefixesDecode(b);

  // The bump fields come last: a plain command reads the same bytes and
  // skips them.
  std::string bytes = zxtest::packed(b);
  EXPECT_EQ(hex(bytes.substr(bytes.size() - 16)), "00 0A 00 01 FF FF FF FD 00 0B 00 01 00 00 00 02");
  ZxCommand plain;
  ASSERT_EQ(plain.unpack(bytes.data(), static_cast<int>(bytes.size())), ZxPack::kOk);
  ZxCommand expected = sampleCommand();
  EXPECT_EQ(zxtest::packed(plain), zxtest::packed(expected));
}

TEST(WorkId, IdTexts) {
  EXPECT_EQ(str(ZxWorkId(12, ZxString("frame7")).idText()), "12:frame7");
  EXPECT_EQ(str(ZxWorkId(12, ZxString("")).idText()), "12");
  EXPECT_EQ(str(ZxWorkId().idText()), "-1");

  struct Case {
    const char* text;
    int id;
    const char* name;
  };
  const Case cases[] = {
      {"12:frame7", 12, "frame7"}, {"12", 12, ""}, {"12:", 12, ""}, {":x", 0, "x"},
      {"12:a:b", 12, "a:b"},       {"", 0, ""},    {"x:y", 0, "y"},
  };
  for (const Case& c : cases) {
    ZxWorkId w(1, ZxString("old"));
    w.setWorkId(8);
    w.fromIdText(c.text);
    EXPECT_EQ(w.id(), c.id) << c.text;
    EXPECT_EQ(str(w.name()), c.name) << c.text;  // replaced, not appended to
    EXPECT_EQ(w.workId(), 8) << c.text;
    ZxWorkId built{ZxString(c.text)};
    EXPECT_EQ(str(built.name()), c.name) << c.text;
  }
}

TEST(SmallRecords, DefaultsAndRoundTrips) {
  ZxWorkId w;
  EXPECT_EQ(w.id(), -1);
  EXPECT_EQ(w.workId(), -1);
  ZxCallbackId cb;
  EXPECT_EQ(cb.id(), -1);
  EXPECT_EQ(cb.callId(), -1);
  EXPECT_EQ(ZxCallbackId(4).callId(), -1);

  ZxWorkId work(12, ZxString("frame 7"));
  work.setWorkId(3);
  ZxWorkId workBin, workTxt;
  zxtest::expectBinaryRoundTrip(work, workBin);
  zxtest::expectTextRoundTrip(work, workTxt);
  EXPECT_EQ(workTxt.workId(), 3);
  zxtest::expectPrefixesDecode(work);

  ZxCallbackId call(12, 5);
  ZxCallbackId callBin, callTxt;
  zxtest::expectBinaryRoundTrip(call, callBin);
  zxtest::expectTextRoundTrip(call, callTxt);
  EXPECT_EQ(callTxt.callId(), 5);

  ZxHostName host(ZxString("node-7"), 50001, 9);
  ZxHostName hostBin, hostTxt;
  zxtest::expectBinaryRoundTrip(host, hostBin);
  zxtest::expectTextRoundTrip(host, hostTxt);
  EXPECT_EQ(str(hostTxt.host()), "node-7");
  EXPECT_EQ(hostTxt.port(), 50001);
  zxtest::expectPrefixesDecode(host);

  // The discovery question: name, number (unset), region.
  ZxDomain domain(ZxString("farm"), ZxString("east"));
  EXPECT_EQ(zxtest::packed(domain), std::string("\0\0\0\1"
                                                "\0\1\0\3\0\0\0\4farm"
                                                "\0\2\0\1\xff\xff\xff\xff"
                                                "\0\3\0\3\0\0\0\4east",
                                                36));
  ZxDomain domainBin, domainTxt;
  zxtest::expectBinaryRoundTrip(domain, domainBin);
  zxtest::expectTextRoundTrip(domain, domainTxt);
  EXPECT_EQ(str(domainTxt.region()), "east");
  EXPECT_EQ(domainTxt.id(), -1);
  zxtest::expectPrefixesDecode(domain);
}

}  // namespace
