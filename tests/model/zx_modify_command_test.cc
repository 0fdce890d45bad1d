// Modify commands: the command fields, then the job with the new values
// and the names of the fields to change.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/zx_job.h"
#include "model/zx_modify_command.h"
#include "zx_record_checks.h"

namespace {

std::string str(const ZxString& s) { return std::string(s.c_str(), static_cast<size_t>(s.length())); }

TEST(ModifyCommand, CommandFieldsThenJobAndFieldNames) {
  ZxModifyCommand d;
  EXPECT_EQ(d.typeId(), 48);
  EXPECT_TRUE(d.restrictions());
  EXPECT_EQ(d.fields().count(), 0);
  EXPECT_EQ(d.job().priority(), ZxJob().priority());

  ZxModifyCommand m;
  m.setAction(3);
  m.setRestrictions(false);
  m.jobIdList().append(new ZxJobId(12));
  m.job().setPriority(80);
  m.job().setName("renamed & more");
  m.fields().append(new ZxField(ZxString("priority")));
  m.fields().append(new ZxField(ZxString("name")));

  std::string bytes = zxtest::packed(m);
  EXPECT_EQ(zxtest::fieldIds(bytes), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));

  ZxModifyCommand bin;
  zxtest::expectBinaryRoundTrip(m, bin);
  EXPECT_EQ(bin.job().priority(), 80);
  EXPECT_EQ(str(bin.job().name()), "renamed & more");
  ASSERT_EQ(bin.fields().count(), 2);
  EXPECT_EQ(str(bin.fields().get(1)->name()), "name");
  EXPECT_FALSE(bin.restrictions());
  ZxModifyCommand txt;
  zxtest::expectTextRoundTrip(m, txt);
  EXPECT_EQ(txt.job().priority(), 80);
  EXPECT_EQ(txt.fields().count(), 2);
  EXPECT_EQ(txt.action(), 3);
  zxtest::expectPrefixesDecode(m);

  // A plain command reads the same bytes and skips fields 10 and 11.
  ZxCommand plain;
  ASSERT_EQ(plain.unpack(bytes.data(), static_cast<int>(bytes.size())), ZxPack::kOk);
  EXPECT_EQ(plain.action(), 3);
  EXPECT_FALSE(plain.restrictions());
  EXPECT_EQ(plain.jobIdList().count(), 1);
  EXPECT_EQ(zxtest::fieldIds(zxtest::packed(plain)), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9}));

  ZxModifyCommand copy(m);
  m.fields().clear();
  m.job().setPriority(1);
  EXPECT_EQ(copy.fields().count(), 2);  // deep copy
  EXPECT_EQ(copy.job().priority(), 80);
}

}  // namespace
