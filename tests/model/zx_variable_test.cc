// Tests of ZxVariable: the key text in both directions and its encoded
// forms.
#include "model/zx_variable.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "zx_record_checks.h"

namespace {

TEST(ZxVariable, KeyTexts) {
  struct Case {
    int pid, scope;
    const char* name;
    const char* key;
  } cases[] = {
      {12, VariableScope::kJob, "frame", "12-job.frame"},
      {12, VariableScope::kGlobal, "quota", "global.quota"},
      {7, VariableScope::kHost, "load", "7-host.load"},
      {7, VariableScope::kScoped, "a.b", "7-scoped.a.b"},
      {-1, VariableScope::kJob, "frame", "-1-job.frame"},
      {3, 0, "x", "3-unknown.x"},
      {3, VariableScope::kJob, "", "3-job."},
  };
  for (const Case& c : cases) {
    ZxVariable v(c.pid);
    v.setScope(c.scope);
    v.setName(c.name);
    EXPECT_EQ(std::string(v.keyText().c_str()), c.key);

    ZxVariable back(99);
    back.fromKeyText(c.key);
    EXPECT_EQ(std::string(back.name().c_str()), c.name) << c.key;
    EXPECT_EQ(back.scope(), c.scope) << c.key;
    EXPECT_EQ(back.pid(), c.scope == VariableScope::kGlobal ? 99 : c.pid) << c.key;
  }

  struct Read {
    const char* key;
    int pid, scope;
    const char* name;
  } reads[] = {
      {"global.quota", 5, 2, "quota"},  // the job number is kept
      {"job-x", 5, 1, "x"},
      {"12", 12, 0, ""},
      {"quota", 5, 0, ""},
      {"", 5, 0, ""},
      {"12.job.x", 12, 1, "x"},  // either separator may follow the number
  };
  for (const Read& r : reads) {
    ZxVariable v(5);
    v.fromKeyText(r.key);
    EXPECT_EQ(v.pid(), r.pid) << r.key;
    EXPECT_EQ(v.scope(), r.scope) << r.key;
    EXPECT_EQ(std::string(v.name().c_str()), r.name) << r.key;
  }
}

TEST(ZxVariable, EncodedFormsAndOutput) {
  ZxVariable v(ZxString("42"));
  v.setPid(12);
  v.setName("frame");
  v.setScopeText("job");
  v.setLastUpdate(ZxTime(1234));
  std::ostringstream os;
  os << v;
  EXPECT_EQ(os.str(), "42");
  EXPECT_STREQ(v.scopeText(), "job");

  ZxVariable a, b;
  zxtest::expectBinaryRoundTrip(v, a);
  zxtest::expectTextRoundTrip(v, b);
  EXPECT_EQ(a, v);
  EXPECT_EQ(b, v);
  EXPECT_EQ(b.lastUpdate().value(), 1234);
  zxtest::expectPrefixesDecode(v);

  ZxVariableList list, listBack;
  list.append(new ZxVariable(v));
  list.append(new ZxVariable(3));
  zxtest::expectBinaryRoundTrip(list, listBack);
  ASSERT_EQ(listBack.count(), 2);
  EXPECT_EQ(*listBack.get(0), v);
  EXPECT_EQ(ZxVariableHash().typeId(), 122);
}

}  // namespace
