// Tests of ZxJob: defaults, setters with rules, flag and status helpers,
// deep copies, both encoded forms of a fully set job, the binary layout of
// a default job, tolerant decoding of foreign, damaged, truncated and
// deeply nested input, and the job file form.
#include "model/zx_job.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "zx_job_fixture.h"
#include "zx_record_checks.h"

namespace {

// Hand-written pieces of the binary form.
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
const std::string kVersion = be32(1);

std::string unpackInto(ZxJob& job, const std::string& bytes, int* result = nullptr) {
  int r = job.unpack(bytes.data(), static_cast<int>(bytes.size()));
  if (result) *result = r;
  return zxtest::packed(job);
}

void expectSameFields(ZxJob& expected, ZxJob& actual) {
  auto a = zxtest::fieldImages(expected);
  auto b = zxtest::fieldImages(actual);
  ASSERT_EQ(a.size(), b.size());
  for (size_t i = 0; i < a.size(); ++i) EXPECT_EQ(a[i].second, b[i].second) << "field " << a[i].first;
  EXPECT_EQ(expected, actual);
}

TEST(ZxJob, Defaults) {
  ZxJob j;
  EXPECT_EQ(j.id(), 1);
  EXPECT_EQ(j.pid(), -1);
  EXPECT_EQ(j.pgrp(), -1);
  EXPECT_EQ(j.priority(), -1);
  EXPECT_EQ(j.cpus(), 1);
  EXPECT_EQ(j.timeout(), -1);
  EXPECT_EQ(j.retrySubjob(), -1);
  EXPECT_EQ(j.retryWork(), -1);
  EXPECT_EQ(j.flags(), 0);
  EXPECT_EQ(j.serverId(), 0);
  EXPECT_EQ(j.todo(), 0);
  EXPECT_STREQ(j.status().name(), "none");
  EXPECT_TRUE(j.isNone());
  EXPECT_EQ(j.subjobs().count() + j.children().count() + j.agenda().count() + j.callbacks().count() +
                j.variables().count(),
            0);
  EXPECT_TRUE(j.sourceHost().isNotSet());
  EXPECT_EQ(j.cpusTally().total(), 0);
  EXPECT_EQ(j.timeSubmit().value(), 0);

  ZxSubjob s;
  EXPECT_EQ(s.id(), 0);
  EXPECT_EQ(s.pid(), -1);
  EXPECT_TRUE(s.isNone());
  ZxWork w;
  EXPECT_EQ(w.subId(), -1);
  EXPECT_EQ(w.pid(), -1);
  EXPECT_EQ(w.id(), -1);
  w.setName("7");
  EXPECT_EQ(w.key(), "-1:7");
  w.setPid(12);
  w.setName("frame 1-10");
  EXPECT_EQ(w.key(), "12:frame 1-10");
}

TEST(ZxJob, SettersAndHelpers) {
  struct CpusCase {
    int n, stored;
  } cpus[] = {{0, 1}, {-3, 1}, {1, 1}, {4, 4}};
  for (const CpusCase& c : cpus) {
    ZxJob j;
    j.setCpus(c.n);
    EXPECT_EQ(j.cpus(), c.stored) << c.n;
  }

  struct FlagCase {
    const char* text;
    int flags;
    const char* names;
  } flags[] = {{"1028", 0x404, "grid,mail"},
               {"grid, mail", 0x404, "grid,mail"},
               {"", 0, "0"},
               {"elite", 0x200, "elite"},
               {"128", 0x80, "0"}};
  for (const FlagCase& c : flags) {
    ZxJob j;
    j.setFlagsText(c.text);
    EXPECT_EQ(j.flags(), c.flags) << c.text;
    EXPECT_STREQ(j.flagsText().c_str(), c.names) << c.text;
  }

  struct GridCase {
    int flags, cpus;
    bool elite, multiGrid;
  } grids[] = {{0x4, 2, false, true},
               {0x4, 1, false, false},
               {0x200, 2, true, false},
               {0x204, 8, true, true},
               {0, 8, false, false}};
  for (const GridCase& c : grids) {
    ZxJob j;
    j.setFlags(c.flags);
    j.setCpus(c.cpus);
    EXPECT_EQ(j.isElite(), c.elite) << c.flags;
    EXPECT_EQ(j.isMultiCpuGrid(), c.multiGrid) << c.flags << " " << c.cpus;
  }

  ZxJob j;
  j.setStatus(ZxStatus(323));
  EXPECT_TRUE(j.isWaiting() && j.isAssigned() && !j.isPending() && !j.isNone());
  j.status().setCode(320);
  EXPECT_TRUE(j.isPending() && !j.isAssigned());
  j.setId(17);
  EXPECT_EQ(j.idModulo(5), 2);
  EXPECT_EQ(j.idModulo(0), 0);
  j.setName("abcdef", 3);
  EXPECT_EQ(j.name(), "abc");
}

TEST(ZxJob, CopiesAreDeep) {
  ZxJob full;
  zxtest::fillJob(full, 2);
  ZxJob copy(full);
  expectSameFields(full, copy);

  copy.children().get(0)->children().get(1)->agenda().get(0)->setName("changed");
  copy.env().mounts().insert("/mnt/c", "c");
  copy.subjobs().get(0)->setStatusCode(16);
  EXPECT_EQ(full.children().get(0)->children().get(1)->agenda().get(0)->name(), "100");
  EXPECT_EQ(full.env().mounts().count(), 2);
  EXPECT_EQ(full.subjobs().get(0)->status().code(), 336);
  EXPECT_NE(copy, full);

  ZxJob assigned;
  assigned.agenda().append(new ZxWork);  // replaced, not kept
  assigned = full;
  expectSameFields(full, assigned);
  EXPECT_EQ(assigned.serverId(), 7);
  EXPECT_EQ(assigned.agenda().count(), 2);
}

TEST(ZxJob, FullJobSurvivesBothForms) {
  ZxJob full;
  zxtest::fillJob(full, 2);
  ZxJob blank;
  auto fullImages = zxtest::fieldImages(full);
  auto blankImages = zxtest::fieldImages(blank);
  ASSERT_EQ(fullImages.size(), 60u);
  for (size_t i = 0; i < fullImages.size(); ++i)
    EXPECT_NE(fullImages[i].second, blankImages[i].second)
        << "fixture leaves " << fullImages[i].first << " default";
  ASSERT_EQ(full.children().get(1)->children().count(), 2);
  EXPECT_EQ(full.children().get(1)->children().get(0)->children().count(), 0);

  ZxJob fromBinary;
  std::string bytes = zxtest::packed(full);
  ASSERT_EQ(fromBinary.unpack(bytes.data(), static_cast<int>(bytes.size())), ZxPack::kOk);
  expectSameFields(full, fromBinary);
  EXPECT_EQ(fromBinary.serverId(), 7);
  EXPECT_EQ(fromBinary.children().get(1)->children().get(0)->id(), 500 + 21);
  // The address's "not set" flag is not encoded and keeps its default.
  EXPECT_TRUE(fromBinary.sourceHost().isNotSet());
  EXPECT_EQ(fromBinary.sourceHost().dottedText(), "10.1.2.3");

  ZxJob fromText;
  std::string text = zxtest::text(full);
  ASSERT_EQ(zxtest::readText(fromText, text), ZxPack::kOk);
  expectSameFields(full, fromText);
  EXPECT_EQ(fromText.name(), "shot_010 & lighting");
  EXPECT_EQ(zxtest::text(fromText), text);

  // A list of jobs carries them whole.
  ZxJobList list, back;
  list.append(new ZxJob(full));
  list.append(new ZxJob);
  zxtest::expectBinaryRoundTrip(list, back);
  ASSERT_EQ(back.count(), 2);
  expectSameFields(full, *back.get(0));
}

// The binary form of a default job, written from the field tables.
TEST(ZxJob, DefaultBinaryLayout) {
  const std::string zero = I(1, 0);  // status, time, address and empty list/hash bodies
  std::string tally;
  for (int id = 0; id <= 10; ++id) tally += I(id, 0);
  const std::string env = O(1, 55, zero) + O(2, 55, zero) + I(3, 0) + S(4, "") + O(5, 56, zero);
  const std::string pathMap = O(1, 56, zero) + O(2, 56, zero);
  const std::string expected =
      kVersion + I(1, 1) + I(2, -1) + I(4, -1) + I(31, 0) + I(32, 0) + I(3, -1) + S(5, "") + S(38, "") +
      S(35, "") + O(6, 2, zero) + O(7, 6, zero) + S(8, "") + I(12, 1) + I(20, 0) + S(9, "") + O(10, 5, zero) +
      O(11, 15, zero) + O(13, 47, zero) + S(14, "") + S(30, "") + S(34, "") + S(36, "") + S(37, "") +
      S(41, "") + S(15, "") + S(33, "") + S(16, "") + S(17, "") + S(18, "") + S(19, "") + O(21, 32, tally) +
      O(22, 32, tally) + O(23, 33, zero) + O(39, 33, zero) + O(24, 33, zero) + I(26, 0) + S(27, "") +
      S(28, "") + O(29, 49, env) + S(40, "") + I(42, 0) + O(43, 33, zero) + I(44, -1) + O(47, 121, zero) +
      O(48, 2, zero) + O(49, 2, zero) + O(50, 154, pathMap) + I(51, -1) + I(52, -1) + S(53, "") + S(60, "") +
      S(54, "") + O(55, 33, zero) + S(56, "") + S(57, "") + S(58, "") + O(59, 13, zero) + I(61, 0) +
      O(62, 2, zero) + O(63, 33, zero);
  ZxJob j;
  std::string bytes = zxtest::packed(j);
  ASSERT_EQ(bytes.size(), expected.size());
  for (size_t i = 0; i < bytes.size(); ++i) ASSERT_EQ(bytes[i], expected[i]) << "byte " << i;
}

TEST(ZxJob, DefaultTextElements) {
  const char* names[] = {"id",
                         "pid",
                         "priority",
                         "local_order",
                         "global_order",
                         "pgrp",
                         "user",
                         "domain",
                         "password",
                         "status",
                         "subjobs",
                         "name",
                         "cpus",
                         "todo",
                         "cluster",
                         "children",
                         "agenda",
                         "callbacks",
                         "requirements",
                         "reservations",
                         "restrictions",
                         "groups",
                         "hosts",
                         "host_order",
                         "data",
                         "queue",
                         "prototype",
                         "path",
                         "reason",
                         "logpath",
                         "cpus_tally",
                         "todo_tally",
                         "time_submit",
                         "time_start",
                         "time_complete",
                         "flags",
                         "label",
                         "account",
                         "env",
                         "kind",
                         "server_id",
                         "last_update",
                         "timeout",
                         "variables",
                         "agenda_status",
                         "subjob_status",
                         "path_map",
                         "retry_subjob",
                         "retry_work",
                         "omit_hosts",
                         "omit_groups",
                         "dependency",
                         "deadline",
                         "mail_address",
                         "notes",
                         "prototype_path",
                         "source_host",
                         "immediate_cpus",
                         "mask_status",
                         "eta"};
  ZxJob j;
  std::string text = zxtest::text(j);
  std::vector<std::string> found;  // elements directly inside the job (one tab deep)
  size_t pos = 0;
  while ((pos = text.find("\n\t<", pos)) != std::string::npos) {
    pos += 3;
    if (text[pos] == '/' || text[pos] == '\t') continue;
    found.push_back(text.substr(pos, text.find('>', pos) - pos));
  }
  ASSERT_EQ(found.size(), 60u) << text;
  for (size_t i = 0; i < found.size(); ++i) EXPECT_EQ(found[i], names[i]) << i;
  EXPECT_NE(
      text.find(
          "\t<status>\n\t\t<object type = 'status'>\n\t\t\t<value>0</value>\n\t\t</object>\n\t</status>"),
      std::string::npos);
  EXPECT_NE(text.find("<env>\n\t\t<object type = 'env'>"), std::string::npos);
  EXPECT_NE(text.find("<path_map>\n\t\t<object type = 'pathmap'>"), std::string::npos);
  EXPECT_NE(text.find("<cpus_tally>\n\t\t<object type = 'status_tally'>\n\t\t\t<running>0</running>"),
            std::string::npos);

  ZxJob fromText;
  const char flagsText[] = "<version>1</version>\n<object type = 'job'>\n\t<flags>1028</flags>\n</object>";
  ASSERT_EQ(zxtest::readText(fromText, flagsText), ZxPack::kOk);
  EXPECT_EQ(fromText.flags(), 0x404);
  EXPECT_STREQ(fromText.flagsText().c_str(), "grid,mail");
}

TEST(ZxJob, DecodingSkipsForeignFieldsAndStopsAtDamage) {
  ZxJob full;
  zxtest::fillJob(full, 1);
  const std::string fields = zxtest::packed(full).substr(4);

  // Unused ids of every known type, and a known id of the wrong type,
  // ahead of the real fields: all skipped.
  const std::string foreign = I(25, 5) + S(45, "x") + O(46, 999, I(1, 0)) + be16(99) + be16(2) + "c" +
                              be16(98) + be16(6) + std::string(1, '\1') + S(1, "not an int");
  ZxJob a;
  int result = -1;
  unpackInto(a, kVersion + foreign + fields, &result);
  EXPECT_EQ(result, ZxPack::kOk);
  expectSameFields(full, a);

  struct Damage {
    const char* what;
    std::string bytes;
  } damages[] = {
      {"type code 5", be16(70) + be16(5) + I(8, 0)},
      {"type code 7", be16(70) + be16(7)},
      {"string count beyond the end", be16(8) + be16(3) + be32(0x7FFFFFF0) + "ab"},
      {"negative string count", be16(8) + be16(3) + be32(-1) + "ab"},
      {"nested count beyond the end", be16(6) + be16(4) + be32(2) + be32(5000) + I(1, 0)},
      {"nested class mismatch", O(6, 33, I(1, 336))},
      {"int cut short", be16(12) + be16(1) + std::string("\0\0", 2)},
  };
  for (const Damage& d : damages) {
    ZxJob j;
    j.setName("kept");
    unpackInto(j, kVersion + I(1, 9) + d.bytes + fields, &result);
    EXPECT_EQ(result, ZxPack::kOk) << d.what;
    EXPECT_EQ(j.id(), 9) << d.what;         // read before the damage
    EXPECT_EQ(j.name(), "kept") << d.what;  // absent fields keep their values
    EXPECT_EQ(j.cpus(), 1) << d.what;       // nothing after the damage is read
    EXPECT_EQ(j.agenda().count(), 0) << d.what;
  }

  // Damage inside a nested work item ends that item only.
  ZxJob nested;
  std::string badWork = O(10, 14, S(1, "w1") + be16(2) + be16(9) + I(8, 5));
  unpackInto(nested, kVersion + O(11, 15, I(1, 1) + badWork) + I(12, 6), &result);
  ASSERT_EQ(nested.agenda().count(), 1);
  EXPECT_EQ(nested.agenda().get(0)->name(), "w1");
  EXPECT_EQ(nested.agenda().get(0)->id(), -1);
  EXPECT_EQ(nested.cpus(), 6);
}

TEST(ZxJob, TruncatedPrefixesDecode) {
  // Every nested list holds two items; one child job with an agenda of its
  // own keeps the input short enough to try every prefix.
  ZxJob full;
  zxtest::fillJob(full, 0);
  ZxJob* child = new ZxJob;
  child->agenda().append(zxtest::makeWork(1));
  full.children().append(child);
  zxtest::expectPrefixesDecode(full);
}

TEST(ZxJob, DeepNestingIsBounded) {
  std::string body = I(1, 1000);
  for (int level = 0; level < 300; ++level) body = I(1, level) + O(10, 5, I(1, 1) + O(10, 1, body));
  ZxJob j;
  int result = -1;
  unpackInto(j, kVersion + body, &result);
  EXPECT_EQ(result, ZxPack::kOk);
  int depth = 0;
  for (const ZxJob* p = &j; p->children().count() > 0; p = p->children().get(0)) ++depth;
  EXPECT_GT(depth, 10);
  EXPECT_LT(depth, 300);

  std::string text = "<version>1</version>\n<object type = 'job'>";
  for (int level = 0; level < 3000; ++level)
    text += "<children><object type = 'job_list'><item><object type = 'job'>";
  ZxJob t;
  zxtest::readText(t, text);  // not well formed (unclosed), and too deep: must end cleanly
  std::string closed = "<version>1</version>\n<object type = 'job'>";
  for (int level = 0; level < 3000; ++level)
    closed += "<children><object type = 'job_list'><item><object type = 'job'>";
  for (int level = 0; level < 3000; ++level) closed += "</object></item></object></children>";
  closed += "</object>";
  ZxJob u;
  zxtest::readText(u, closed);
}

TEST(ZxJob, RecordsMadePerInputByteAreBounded) {
  // An empty job item takes twelve bytes, a job record thousands: 1.2 MB
  // of them built half a gigabyte of records. Decoding now stops once the
  // records pass the decoding budget; genuine lists are never cut.
  const int kItems = 100000;
  std::string body = I(1, kItems);
  for (int i = 0; i < kItems; ++i) body += O(10, 1, "");
  const std::string bytes = kVersion + body;
  const long long budget = ZxPack::kBudgetBase + ZxPack::kBudgetPerByte * static_cast<long long>(bytes.size());
  ZxJobList hostile;
  ASSERT_EQ(hostile.unpack(bytes.data(), static_cast<int>(bytes.size())), ZxPack::kOk);
  EXPECT_GT(hostile.count(), 0);
  EXPECT_LT(hostile.count(), kItems);
  EXPECT_LE(static_cast<long long>(hostile.count()) * static_cast<long long>(sizeof(ZxJob)), budget);

  // The same in the text form.
  std::string text = "<version>1</version>\n<object type = 'job_list'>";
  for (int i = 0; i < kItems; ++i) text += "<item><object type = 'job'></object></item>";
  text += "</object>";
  ZxJobList fromText;
  zxtest::readText(fromText, text);
  EXPECT_GT(fromText.count(), 0);
  EXPECT_LT(fromText.count(), kItems);

  // Full jobs, children and agenda included, all come back.
  ZxJobList genuine;
  for (int i = 0; i < 2000; ++i) {
    ZxJob* j = new ZxJob;
    j->setId(i);
    j->children().append(new ZxJob);
    j->agenda().append(new ZxWork);
    genuine.append(j);
  }
  ASSERT_GT(genuine.pack(), 0);
  ZxJobList back;
  ASSERT_EQ(back.unpack(genuine.buffer(), genuine.used()), ZxPack::kOk);
  ASSERT_EQ(back.count(), 2000);
  EXPECT_EQ(back.get(1999)->id(), 1999);
  EXPECT_EQ(back.get(1999)->children().count(), 1);
}

TEST(ZxJob, JobFileForms) {
  ZxJob full;
  zxtest::fillJob(full, 1);
  const std::string dir = testing::TempDir();
  const std::string binary = dir + "zx_job_test.bin", text = dir + "zx_job_test.txt",
                    listText = dir + "zx_job_list_test.txt";

  ASSERT_GT(full.writeFile(binary.c_str(), ZxPack::kFormBinary), 0);
  ZxJob a;
  EXPECT_GT(a.readJobFile(binary.c_str()), 0);
  expectSameFields(full, a);

  ASSERT_GT(full.writeFile(text.c_str(), ZxPack::kFormText), 0);
  ZxJob b;
  EXPECT_GT(b.readFile(text.c_str(), ZxPack::kFormJob), 0);
  expectSameFields(full, b);

  ZxJobList list;
  list.append(new ZxJob(*full.children().get(1)));
  list.append(new ZxJob(full));
  ASSERT_GT(list.writeFile(listText.c_str(), ZxPack::kFormText), 0);
  ZxJob c;
  EXPECT_GT(c.readJobFile(listText.c_str()), 0);
  expectSameFields(*full.children().get(1), c);

  ZxJob d;
  EXPECT_EQ(d.readJobFile((dir + "zx_job_test_missing").c_str()), 0);
  EXPECT_EQ(d, ZxJob());
  std::remove(binary.c_str());
  std::remove(text.c_str());
  std::remove(listText.c_str());
}

}  // namespace
