// Tests of the job hash conversions: the readers' keys and pair rules, the
// time-limit callback, package and data, the writers' keys and shapes, and
// large or deeply nested input.
#include "plugin/zx_job_hash.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "plugin/zx_package_string.h"
#include "plugin/zx_package_tree.h"
#include "model/zx_string_list.h"

namespace {

std::string str(const ZxString& s) { return std::string(s.c_str(), static_cast<size_t>(s.length())); }
ZxString zx(const std::string& s) { return ZxString(s.c_str(), static_cast<int>(s.size())); }

std::unique_ptr<ZxJob> job(const std::string& hash) { return std::unique_ptr<ZxJob>(hashToJob(zx(hash))); }

std::string hashOf(const ZxJob& j) {
  ZxString out;
  EXPECT_TRUE(jobToHash(&j, out));
  return str(out);
}

// One level of a package string: the type word, then the elements.
std::vector<std::string> level(const std::string& text) {
  ZxStringList list;
  parsePackage(zx(text), list);
  std::vector<std::string> items;
  for (int i = 0; i < list.count(); ++i) items.push_back(str(*list.get(i)));
  return items;
}

// The keys of a hash in order, and its values by key.
struct Hash {
  std::vector<std::string> keys;
  std::map<std::string, std::string> values;
};
Hash hashParts(const std::string& text) {
  std::vector<std::string> items = level(text);
  Hash h;
  EXPECT_EQ(items.at(0), "hash") << text;
  for (size_t i = 1; i + 1 < items.size(); i += 2) {
    h.keys.push_back(items[i]);
    h.values[items[i]] = items[i + 1];
  }
  return h;
}

void expectTimelimitCallback(const ZxCallback* c) {
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->language(), 4);
  EXPECT_EQ(str(c->triggers()), "timeout-subjob-self-*");
  EXPECT_EQ(str(c->code()), "fail-subjob-self");
  EXPECT_EQ(c->id(), -1);
  EXPECT_EQ(c->pid(), -1);
  EXPECT_EQ(c->maximum(), -1);
  EXPECT_EQ(c->count(), 0);
  EXPECT_EQ(str(c->ready()), "0");
}

TEST(JobHash, ReadingRulesAndEdgeCases) {
  struct Case {
    const char* hash;
    const char* name;
    int cpus;
    int timeout;
    int callbacks;
    const char* data;
    std::vector<std::string> agenda;  // work item names
  };
  const Case cases[] = {
      {"{name test cpus 0}", "test", 1, -1, 0, "", {}},
      {"{cpus abc}", "", 1, -1, 0, "", {}},
      {"{cpus 4}", "", 4, -1, 0, "", {}},
      {"{timelimit 3600}", "", 1, 3600, 1, "", {}},
      {"{timelimit 0}", "", 1, 0, 1, "", {}},
      {"{timelimit -1}", "", 1, -1, 0, "", {}},
      {"{package \"{a 1}\"}", "", 1, -1, 0, "(=(a=1))", {}},
      // "data" and "package" set one field: the later pair wins.
      {"{data raw package \"{a 1}\"}", "", 1, -1, 0, "(=(a=1))", {}},
      {"{package \"{a 1}\" data raw}", "", 1, -1, 0, "raw", {}},
      {R"x({agenda "(\"{name 1}\" \"{name 2}\")"})x", "", 1, -1, 0, "", {"1", "2"}},
      {"{agenda \"{name 1}\"}", "", 1, -1, 0, "", {}},
      {"{agenda ()}", "", 1, -1, 0, "", {}},
      // Scalars and other non-hash texts give a default job.
      {"hello", "", 1, -1, 0, "", {}},
      {"", "", 1, -1, 0, "", {}},
      {"\"{name x}\"", "", 1, -1, 0, "", {}},
      // An array is read as pairs; a final key alone and unknown keys are ignored.
      {"(name arr cpus 3)", "arr", 3, -1, 0, "", {}},
      {"{cpus 2 name}", "", 2, -1, 0, "", {}},
      {"{colour red name z}", "z", 1, -1, 0, "", {}},
      {"{name a name b}", "b", 1, -1, 0, "", {}},
      {"{name \"my job\"}", "my job", 1, -1, 0, "", {}},
      {"{}", "", 1, -1, 0, "", {}},
      // A later list replaces an earlier one; a value that is no array changes nothing.
      {R"x({agenda "(\"{name 1}\")" agenda "(\"{name 2}\" \"{name 3}\")"})x", "", 1, -1, 0, "", {"2", "3"}},
      {R"x({agenda "(\"{name 1}\")" agenda x})x", "", 1, -1, 0, "", {"1"}},
      // One time-limit callback at most; the last time limit wins.
      {"{timelimit 10 timelimit 20}", "", 1, 20, 1, "", {}},
      {"{timelimit 10 timelimit -5}", "", 1, 10, 1, "", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.hash);
    auto j = job(c.hash);
    ASSERT_NE(j, nullptr);
    EXPECT_EQ(str(j->name()), c.name);
    EXPECT_EQ(j->cpus(), c.cpus);
    EXPECT_EQ(j->timeout(), c.timeout);
    EXPECT_EQ(j->callbacks().count(), c.callbacks);
    EXPECT_EQ(str(j->data()), c.data);
    std::vector<std::string> names;
    for (int i = 0; i < j->agenda().count(); ++i) names.push_back(str(j->agenda().get(i)->name()));
    EXPECT_EQ(names, c.agenda);
    EXPECT_EQ(j->id(), 1);
    EXPECT_EQ(j->priority(), -1);
  }
}

TEST(JobHash, TimelimitCallbackAndUserCallbacksKeepTheirOrder) {
  auto only = job("{timelimit 3600}");
  ASSERT_EQ(only->callbacks().count(), 1);
  expectTimelimitCallback(only->callbacks().get(0));

  const char* user = R"x((\"{code a language perl}\" \"{code b language python}\"))x";
  auto before = job(std::string("{timelimit 60 callbacks \"") + user + "\"}");
  ASSERT_EQ(before->callbacks().count(), 3);
  expectTimelimitCallback(before->callbacks().get(0));
  EXPECT_EQ(str(before->callbacks().get(1)->code()), "a");
  EXPECT_EQ(str(before->callbacks().get(2)->code()), "b");

  // A second callbacks array replaces the first; the time limit came before it.
  auto after =
      job(std::string("{callbacks \"(\\\"{code old}\\\")\" timelimit 60 callbacks \"") + user + "\"}");
  ASSERT_EQ(after->callbacks().count(), 3);
  expectTimelimitCallback(after->callbacks().get(0));
  EXPECT_EQ(str(after->callbacks().get(1)->code()), "a");

  auto last = job(std::string("{callbacks \"") + user + "\" timelimit 60}");
  ASSERT_EQ(last->callbacks().count(), 3);
  EXPECT_EQ(str(last->callbacks().get(0)->code()), "a");
  EXPECT_EQ(last->callbacks().get(0)->language(), 1);
  EXPECT_EQ(last->callbacks().get(1)->language(), 2);
  expectTimelimitCallback(last->callbacks().get(2));

  EXPECT_EQ(job("{callbacks \"{code a}\"}")->callbacks().count(), 0);  // not an array
}

// Every key of the job table, read and written back.
TEST(JobHash, EveryJobKeyReadsAndTheWrittenKeysComeBack) {
  const std::string hash =
      "{id 12 pid 7 pgrp 3 priority 50 user alice domain corp status running subjobstatus pending "
      "agendastatus blocked name \"my job\" label lab kind render account acc requirements req "
      "restrictions res reservations \"host.processors=1\" cluster /c groups g1 omitgroups g2 hosts h1 "
      "omithosts h2 hostorder +host.memory cpus 4 prototype maya retrysubjob 2 retrywork 3 "
      "mailaddress a@b dependency \"link-done-job-x\" timelimit 600 flags 1028 package \"{a 1 b \\\"x "
      "y\\\"}\" "
      R"x(agenda "(\"{name 1}\" \"{name 2}\")" callbacks "(\"{code c1}\")"})x";
  auto j = job(hash);
  ASSERT_NE(j, nullptr);
  EXPECT_EQ(j->id(), 12);
  EXPECT_EQ(j->pid(), 7);
  EXPECT_EQ(j->pgrp(), 3);
  EXPECT_EQ(j->priority(), 50);
  EXPECT_EQ(str(j->user()), "alice");
  EXPECT_EQ(str(j->domain()), "corp");
  EXPECT_EQ(j->status().code(), 336);
  EXPECT_EQ(j->subjobStatus().code(), 320);
  EXPECT_EQ(j->agendaStatus().code(), 272);
  EXPECT_EQ(str(j->name()), "my job");
  EXPECT_EQ(str(j->label()), "lab");
  EXPECT_EQ(str(j->kind()), "render");
  EXPECT_EQ(str(j->account()), "acc");
  EXPECT_EQ(str(j->requirements()), "req");
  EXPECT_EQ(str(j->restrictions()), "res");
  EXPECT_EQ(str(j->reservations()), "host.processors=1");
  EXPECT_EQ(str(j->cluster()), "/c");
  EXPECT_EQ(str(j->groups()), "g1");
  EXPECT_EQ(str(j->omitGroups()), "g2");
  EXPECT_EQ(str(j->hosts()), "h1");
  EXPECT_EQ(str(j->omitHosts()), "h2");
  EXPECT_EQ(str(j->hostOrder()), "+host.memory");
  EXPECT_EQ(j->cpus(), 4);
  EXPECT_EQ(str(j->prototype()), "maya");
  EXPECT_EQ(j->retrySubjob(), 2);
  EXPECT_EQ(j->retryWork(), 3);
  EXPECT_EQ(str(j->mailAddress()), "a@b");
  EXPECT_EQ(str(j->dependency()), "link-done-job-x");
  EXPECT_EQ(j->timeout(), 600);
  EXPECT_EQ(j->flags(), 0x404);
  EXPECT_EQ(str(j->data()), "(=(a=1)(b=x y))");
  EXPECT_EQ(j->agenda().count(), 2);
  ASSERT_EQ(j->callbacks().count(), 2);
  expectTimelimitCallback(j->callbacks().get(0));
  EXPECT_EQ(str(j->callbacks().get(1)->code()), "c1");

  Hash h = hashParts(hashOf(*j));
  const std::vector<std::string> keys = {
      "id",           "pid",          "pgrp",      "priority",  "user",         "status",
      "subjobstatus", "agendastatus", "name",      "label",     "requirements", "restrictions",
      "reservations", "cluster",      "groups",    "hosts",     "cpus",         "prototype",
      "data",         "package",      "cpustally", "todotally", "agenda"};
  EXPECT_EQ(h.keys, keys);
  const std::map<std::string, std::string> expected = {
      {"id", "12"},
      {"pid", "7"},
      {"pgrp", "3"},
      {"priority", "50"},
      {"user", "alice"},
      {"status", "running"},
      {"subjobstatus", "pending"},
      {"agendastatus", "blocked"},
      {"name", "my job"},
      {"label", "lab"},
      {"requirements", "req"},
      {"restrictions", "res"},
      {"reservations", "host.processors=1"},
      {"cluster", "/c"},
      {"groups", "g1"},
      {"hosts", "h1"},
      {"cpus", "4"},
      {"prototype", "maya"},
      {"data", "(=(a=1)(b=x y))"},
      {"package", "{a 1 b \"x y\"}"},
  };
  for (const auto& kv : expected) EXPECT_EQ(h.values[kv.first], kv.second) << kv.first;
  std::vector<std::string> agenda = level(h.values["agenda"]);
  ASSERT_EQ(agenda.size(), 3u);
  EXPECT_EQ(hashParts(agenda[1]).values["name"], "1");
  EXPECT_EQ(hashParts(agenda[2]).values["name"], "2");

  // The written hash reads back into the same job values. (Its work items
  // come back with the compact text of an empty package as their data.)
  auto again = job(hashOf(*j));
  Hash h2 = hashParts(hashOf(*again));
  EXPECT_EQ(h2.keys, keys);
  for (const std::string& key : keys) {
    if (key == "agenda") continue;
    EXPECT_EQ(h2.values[key], h.values[key]) << key;
  }
  EXPECT_EQ(str(again->agenda().get(1)->data()), "(=)");
  auto third = job(hashOf(*again));
  EXPECT_EQ(hashOf(*third), hashOf(*again));
}

TEST(JobHash, DefaultJobHashIsExact) {
  ZxJob j;
  const std::string tally =
      "\"{running 0 blocked 0 complete 0 pending 0 suspended 0 failed 0 killed 0 waiting 0 unknown 0}\"";
  EXPECT_EQ(hashOf(j),
            "{id 1 pid -1 pgrp -1 priority -1 user \"\" status none subjobstatus none agendastatus none "
            "name \"\" label \"\" requirements \"\" restrictions \"\" reservations \"\" cluster \"\" "
            "groups \"\" hosts \"\" cpus 1 prototype \"\" data \"\" package \"\" cpustally " +
                tally + " todotally " + tally + "}");

  ZxString out;
  EXPECT_TRUE(tallyToHash(&j.cpusTally(), out));
  EXPECT_EQ(str(out),
            "{running 0 blocked 0 complete 0 pending 0 suspended 0 failed 0 killed 0 waiting 0 unknown 0}");
}

TEST(JobHash, PackageIsShownQuotedBesideItsCompactData) {
  auto j = job("{package \"{a 1}\"}");
  Hash h = hashParts(hashOf(*j));
  EXPECT_EQ(h.values["data"], "(=(a=1))");
  EXPECT_EQ(h.values["package"], "{a 1}");
  EXPECT_NE(hashOf(*j).find("data (=(a=1)) package \"{a 1}\""), std::string::npos) << hashOf(*j);

  // Data that is not compact text shows an empty package.
  auto raw = job("{data hello}");
  EXPECT_EQ(hashParts(hashOf(*raw)).values["package"], "");
}

TEST(JobHash, TallyHashCountsInOrderWithoutWarningAndBadlogin) {
  ZxStatusTally t;
  t.add(336, 2);
  t.add(16, 1);
  t.add(5, 4);
  t.add(21, 7);   // warning: not shown
  t.add(325, 9);  // badlogin: not shown
  t.setWaiting(-3);
  ZxString out;
  ASSERT_TRUE(tallyToHash(&t, out));
  EXPECT_EQ(str(out),
            "{running 2 blocked 0 complete 1 pending 0 suspended 0 failed 0 killed 0 waiting -3 unknown 4}");
}

TEST(JobHash, WorkHashReadsEveryKeyAndWritesItsOrder) {
  std::unique_ptr<ZxWork> w(
      hashToWork("{pid 12 id 5 subid 2 address 3232235777 name frame7 host node1 status complete data d "
                 "result r package \"{k v}\" resultpackage \"(x y)\"}"));
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->pid(), 12);
  EXPECT_EQ(w->id(), 5);
  EXPECT_EQ(w->subId(), 2);
  EXPECT_EQ(w->address().number(), 3232235777u);  // 192.168.1.1
  EXPECT_EQ(str(w->name()), "frame7");
  EXPECT_EQ(str(w->host()), "node1");
  EXPECT_EQ(w->status().code(), 16);
  EXPECT_EQ(str(w->data()), "(=(k=v))");  // the later "package" won over "data"
  EXPECT_EQ(str(w->result()), "(=(=x)(=y))");
  ZxString out;
  ASSERT_TRUE(workToHash(w.get(), out));
  EXPECT_EQ(str(out),
            "{pid 12 id 5 subid 2 address 3232235777 status complete name frame7 host node1 "
            "data (=(k=v)) result (=(=x)(=y)) package \"{k v}\" resultpackage \"(x y)\"}");

  std::unique_ptr<ZxWork> d(hashToWork("{data d result r}"));
  EXPECT_EQ(str(d->data()), "d");
  EXPECT_EQ(str(d->result()), "r");
  EXPECT_EQ(d->subId(), -1);
  EXPECT_TRUE(d->address().isNotSet());
  std::unique_ptr<ZxWork> neg(hashToWork("{address -1 status bogus}"));
  EXPECT_EQ(neg->address().number(), 0xFFFFFFFFu);
  EXPECT_EQ(neg->status().code(), 0);
}

TEST(JobHash, CallbackHashReadsEveryKey) {
  std::unique_ptr<ZxCallback> c(hashToCallback(
      "{id 3 pid 9 code \"print 1\" triggers \"done-job-self\" user bob language python count 2 "
      "maximum 5 ready 7x}"));
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->id(), 3);
  EXPECT_EQ(c->pid(), 9);
  EXPECT_EQ(str(c->code()), "print 1");
  EXPECT_EQ(str(c->triggers()), "done-job-self");
  EXPECT_EQ(str(c->user()), "bob");
  EXPECT_EQ(c->language(), 2);
  EXPECT_EQ(c->count(), 2);
  EXPECT_EQ(c->maximum(), 5);
  EXPECT_EQ(str(c->ready()), "7");

  struct Case {
    const char* hash;
    int language;
    const char* ready;
  };
  const Case cases[] = {
      {"{language zexa}", 4, "0"}, {"{language klingon}", 5, "0"},
      {"{ready abc}", 5, "0"},     {"{ready -2}", 5, "-2"},
      {"nothing", 5, "0"},
  };
  for (const Case& k : cases) {
    std::unique_ptr<ZxCallback> r(hashToCallback(k.hash));
    EXPECT_EQ(r->language(), k.language) << k.hash;
    EXPECT_EQ(str(r->ready()), k.ready) << k.hash;
  }
}

TEST(JobHash, ModifyHashSetsTheJobAndNamesEachChangedFieldOnce) {
  struct Case {
    const char* hash;
    std::vector<std::string> fields;
  };
  const Case cases[] = {
      {"{priority 80 name \"new name\" colour red hostorder +host.memory cpus 0 timeout 30 priority 90}",
       {"priority", "name", "hostorder", "cpus", "timeout"}},
      {"{cluster /c kind k account a restrictions r requirements q reservations s groups g hosts h}",
       {"cluster", "kind", "account", "restrictions", "requirements", "reservations", "groups", "hosts"}},
      // Job keys that a modification cannot change, and texts that are no hash.
      {"{label x user y status running timelimit 5 omithosts z}", {}},
      {"hello", {}},
      {"{priority}", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.hash);
    ZxJob j;
    ZxStringList fields;
    readModifyHash(c.hash, j, fields);
    std::vector<std::string> names;
    for (int i = 0; i < fields.count(); ++i) names.push_back(str(*fields.get(i)));
    EXPECT_EQ(names, c.fields);
  }

  ZxJob j;
  ZxStringList fields;
  readModifyHash(cases[0].hash, j, fields);
  EXPECT_EQ(j.priority(), 90);
  EXPECT_EQ(str(j.name()), "new name");
  EXPECT_EQ(str(j.hostOrder()), "+host.memory");
  EXPECT_EQ(j.cpus(), 1);
  EXPECT_EQ(j.timeout(), 30);
  EXPECT_EQ(j.callbacks().count(), 0);

  ZxJob k;
  readModifyHash(cases[1].hash, k, fields);
  EXPECT_EQ(str(k.cluster()), "/c");
  EXPECT_EQ(str(k.kind()), "k");
  EXPECT_EQ(str(k.account()), "a");
  EXPECT_EQ(str(k.restrictions()), "r");
  EXPECT_EQ(str(k.requirements()), "q");
  EXPECT_EQ(str(k.reservations()), "s");
  EXPECT_EQ(str(k.groups()), "g");
  EXPECT_EQ(str(k.hosts()), "h");

  ZxJob ignored;
  readModifyHash(cases[2].hash, ignored, fields);
  EXPECT_EQ(str(ignored.label()), "");
  EXPECT_EQ(ignored.timeout(), -1);
  EXPECT_EQ(ignored.status().code(), 0);
}

TEST(JobHash, ModifyRequestCarriesTheJobAndTheChangedFields) {
  std::unique_ptr<ZxModifyCommand> r(hashToModifyRequest("{priority 10 name new}"));
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->job().priority(), 10);
  EXPECT_EQ(str(r->job().name()), "new");
  ASSERT_EQ(r->fields().count(), 2);
  EXPECT_EQ(str(r->fields().get(0)->name()), "priority");
  EXPECT_EQ(str(r->fields().get(1)->name()), "name");
  EXPECT_EQ(r->fields().get(0)->sign(), 0);
  // The request travels: it reads back through its binary form.
  ASSERT_GT(r->pack(), 0);
  ZxModifyCommand back;
  ASSERT_EQ(back.unpack(r->buffer(), r->used()), 0);
  EXPECT_EQ(back.job().priority(), 10);
  ASSERT_EQ(back.fields().count(), 2);
  EXPECT_EQ(str(back.fields().get(1)->name()), "name");
  std::unique_ptr<ZxModifyCommand> empty(hashToModifyRequest("hello"));
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(empty->fields().count(), 0);
}

TEST(JobHash, SubjobsOnlyWhenPresentAgendaOnlyWhenNotEmpty) {
  ZxJob j;
  for (int i = 0; i < 3; ++i) {
    ZxSubjob* s = new ZxSubjob;
    s->setId(i);
    s->setPid(40);
    s->setHost(zx("node" + std::to_string(i)));
    s->setAddress(ZxAddress(0x7F000001u));
    s->setStatus(ZxStatus(336));
    s->setData(zx("(=(f=" + std::to_string(i) + "))"));
    j.subjobs().append(s);
  }
  Hash h = hashParts(hashOf(j));
  EXPECT_EQ(h.values.count("agenda"), 0u);
  ASSERT_EQ(h.keys.back(), "subjobs");
  std::vector<std::string> subjobs = level(h.values["subjobs"]);
  ASSERT_EQ(subjobs.size(), 4u);
  EXPECT_EQ(subjobs[0], "array");
  EXPECT_EQ(subjobs[3],
            "{id 2 pid 40 address 2130706433 status running host node2 data (=(f=2)) result \"\" "
            "package \"{f 2}\" resultpackage \"\"}");
  ZxString out;
  ASSERT_TRUE(subjobToHash(j.subjobs().get(2), out));
  EXPECT_EQ(str(out), subjobs[3]);

  ZxJob plain;
  plain.agenda().append(new ZxWork);
  Hash p = hashParts(hashOf(plain));
  EXPECT_EQ(p.values.count("subjobs"), 0u);
  EXPECT_EQ(p.keys.back(), "agenda");
  EXPECT_EQ(level(p.values["agenda"]).size(), 2u);
}

TEST(JobHash, WritersRefuseNoRecordAndLeaveTheOutputAlone) {
  ZxString out("kept");
  EXPECT_FALSE(jobToHash(nullptr, out));
  EXPECT_FALSE(subjobToHash(nullptr, out));
  EXPECT_FALSE(workToHash(nullptr, out));
  EXPECT_FALSE(tallyToHash(nullptr, out));
  EXPECT_EQ(str(out), "kept");
}

// A job hash of several megabytes: 100,000 work hashes with packages.
TEST(JobHash, LargeAgendaConvertsBothWays) {
  const int kItems = 100000;
  ZxStringList work;
  work.add("array");
  for (int i = 0; i < kItems; ++i) {
    ZxStringList item;
    item.add("hash");
    item.add("name");
    item.add(ZxString(i));
    item.add("package");
    item.add("{frame \"a b\"}");
    ZxString text;
    writePackage(item, text);
    work.add(text);
  }
  ZxString agenda;
  writePackage(work, agenda);
  ZxStringList top;
  top.add("hash");
  top.add("name");
  top.add("big");
  top.add("agenda");
  top.add(agenda);
  ZxString hash;
  writePackage(top, hash);
  ASSERT_GT(hash.length(), 3 * 1000 * 1000);

  std::unique_ptr<ZxJob> j(hashToJob(hash));
  ASSERT_EQ(j->agenda().count(), kItems);
  EXPECT_EQ(str(j->agenda().get(kItems - 1)->name()), std::to_string(kItems - 1));
  EXPECT_EQ(str(j->agenda().get(0)->data()), "(=(frame=a b))");

  ZxString out;
  ASSERT_TRUE(jobToHash(j.get(), out));
  std::unique_ptr<ZxJob> back(hashToJob(out));
  ASSERT_EQ(back->agenda().count(), kItems);
  EXPECT_EQ(str(back->agenda().get(kItems - 1)->data()), "(=(frame=a b))");
}

TEST(JobHash, DeeplyNestedPackagesReturnNormally) {
  // Package strings nest through quoting; build one 20 levels deep.
  ZxString inner("leaf");
  for (int i = 0; i < 20; ++i) {
    ZxStringList l;
    l.add("hash");
    l.add("k");
    l.add(inner);
    ZxString next;
    writePackage(l, next);
    inner = next;
  }
  ZxStringList top;
  top.add("hash");
  top.add("package");
  top.add(inner);
  ZxString hash;
  writePackage(top, hash);
  std::unique_ptr<ZxJob> j(hashToJob(hash));
  ASSERT_NE(j, nullptr);
  EXPECT_EQ(str(j->data()).substr(0, 12), "(=(k=(k=(k=(");
  ZxString out;
  ASSERT_TRUE(jobToHash(j.get(), out));
  EXPECT_EQ(hashParts(str(out)).values["data"], str(j->data()));

  // Stored compact data nests without quoting: a million levels.
  std::string deep(1000000, '(');
  deep += std::string(1000000, ')');
  std::unique_ptr<ZxJob> d(hashToJob(zx("{data " + deep + "}")));
  ASSERT_EQ(d->data().length(), 2000000);
  ASSERT_TRUE(jobToHash(d.get(), out));
  EXPECT_GT(out.length(), 2000000);
}

}  // namespace

TEST(JobHash, ManyDeepPackagesShareOneBoundInAHash) {
  // A quote 21 levels deep in compact text takes 2^20 backslashes (1 MiB)
  // as a package string, 8 MiB once quoted inside a job hash. Each package
  // of a hash was bounded on its own, so a job of twelve such work items (a
  // few hundred bytes of data) wrote a hash of 96 MiB, and more items wrote
  // more; the packages of one hash now share one bound.
  std::string compact;
  for (int i = 0; i < 21; ++i) compact += "(=";
  compact += "\"";
  for (int i = 0; i < 21; ++i) compact += ")";
  ZxJob j;
  for (int i = 0; i < 12; ++i) {
    ZxWork* work = new ZxWork;
    work->setData(zx(compact));
    j.agenda().append(work);
  }
  ZxString out;
  ASSERT_TRUE(jobToHash(&j, out));
  const long long dataBytes = 12LL * static_cast<long long>(compact.size());
  // Each level of quoting doubles the escapes again: a work item's package
  // is quoted three times in the job hash (work hash, agenda array, job
  // hash), the job's own once.
  EXPECT_LE(out.length(), 2 * kPackageTextBase + 8 * kPackageTextPerByte * dataBytes + 65536);
  // The first packages still fit and are written whole.
  std::unique_ptr<ZxJob> back(hashToJob(out));
  ASSERT_EQ(back->agenda().count(), 12);
  EXPECT_EQ(str(back->agenda().get(0)->data()), compact);
}
