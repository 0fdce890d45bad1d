// Tests of the supervisor's filters, read into selections and run against
// a store of six jobs: every field and sign, negation, several filters
// together, id lists with subjobs, and the filters that are refused.
#include "zx_sup_filters.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "model/zx_field.h"
#include "model/zx_filter.h"
#include "model/zx_flags.h"
#include "zx_sup_sqlite_store.h"

namespace {

using zxsup::Store;

std::string str(const ZxString& s) { return std::string(s.c_str(), static_cast<size_t>(s.length())); }

struct Row {
  const char* user;
  const char* name;
  int status, pid, pgrp, priority;
  const char* cluster;
  int cpus;
};

// Jobs 1 to 6.
const Row kRows[] = {
    {"alice", "shot_010", StatusCode::kPending, -1, 1, 50, "/fx", 1},
    {"bob", "Shot_020", StatusCode::kRunning, 1, 1, 80, "/fx/big", 4},
    {"alice", "lighting", StatusCode::kComplete, -1, 3, 10, "", 2},
    {"carol", "shot_030 final", StatusCode::kKilled, 1, 1, 50, "/comp", 1},
    {"bob", "comp", StatusCode::kSuspended, -1, 5, -1, "/comp", 8},
    {"alice", "100", StatusCode::kBlocked, -1, 6, 5, "/fx", 1},
};

class SupervisorFilters : public testing::Test {
 protected:
  void SetUp() override {
    ZxString error;
    ASSERT_TRUE(store_.open(":memory:", zxsup::SqliteStore::kSyncFull, error));
    std::vector<std::unique_ptr<ZxJob>> jobs;
    for (const Row& r : kRows) {
      std::unique_ptr<ZxJob> j(new ZxJob);
      j->setUser(r.user);
      j->setName(r.name);
      j->status().setCode(r.status);
      j->setPid(r.pid);
      j->setPgrp(r.pgrp);
      j->setPriority(r.priority);
      j->setCluster(r.cluster);
      j->setCpus(r.cpus);
      jobs.push_back(std::move(j));
    }
    ASSERT_TRUE(store_.addJobs(
        static_cast<int>(jobs.size()),
        [&](int first, std::vector<Store::NewJob>& out, ZxString&) {
          for (size_t i = 0; i < jobs.size(); ++i) {
            jobs[i]->setId(first + static_cast<int>(i));
            out.push_back({jobs[i].get(), -1});
          }
          return true;
        },
        error));
  }

  // The ids of the jobs the filter list lets through.
  std::vector<int> match(const ZxFilterList& filters, zxsup::Filters* read = nullptr) {
    zxsup::Filters f;
    ZxString error;
    EXPECT_TRUE(zxsup::readFilters(filters, f, error)) << str(error);
    zxsup::Selection sel;
    sel.conditions = f.conditions;
    ZxJobList out;
    EXPECT_TRUE(store_.readJobs(sel, Store::kHead, 0, out, error)) << str(error);
    std::vector<int> ids;
    for (int i = 0; i < out.count(); ++i) ids.push_back(out.get(i)->id());
    if (read) *read = f;
    return ids;
  }

  zxsup::SqliteStore store_;
};

// A filter whose values are read from `text` as a job command reads them
// (split at commas, each with its own leading sign).
ZxFilter* filter(const char* name, const char* text, bool neg = false) {
  ZxFilter* f = makeFilter(ZxString(name), ZxString(text));
  if (f) f->setNeg(neg);
  return f;
}

// A filter with one value taken whole (a job listing's id filter).
ZxFilter* single(const char* name, const char* value, char filterSign = '=') {
  ZxFilter* f = new ZxFilter(ZxString(name));
  f->setSign(filterSign);
  f->fields().append(new ZxField(ZxString(value), 0));
  return f;
}

TEST_F(SupervisorFilters, EveryFieldAndSign) {
  struct Case {
    const char* name;
    const char* text;
    bool whole;  // the text is one value, not split
    bool neg;
    std::vector<int> ids;
  } cases[] = {
      {"id", "2", true, false, {2}},
      {"id", "1,3", true, false, {1, 3}},
      {"id", "1, 3", true, false, {1, 3}},
      {"id", "2.1", true, false, {2}},
      {"id", "5.*", true, false, {5}},
      {"id", ">4", false, false, {5, 6}},
      {"id", "<2,>5", false, false, {1, 6}},
      {"id", "4", true, true, {1, 2, 3, 5, 6}},
      {"user", "alice", false, false, {1, 3, 6}},
      {"user", "alice,bob", false, false, {1, 2, 3, 5, 6}},
      {"user", "alice", false, true, {2, 4, 5}},
      {"user", "Alice", false, false, {}},
      {"user", "~Alice", false, false, {1, 3, 6}},
      {"status", "running", false, false, {2}},
      {"status", "336", false, false, {2}},
      {"status", "16,0", false, false, {3}},
      {"status", "active", false, false, {1, 2, 5, 6}},
      {"status", "done", false, false, {3, 4}},
      {"status", "assigned", false, false, {2, 5}},
      {"status", ">300", false, false, {1, 2, 5}},
      {"status", "complete,killed", false, false, {3, 4}},
      {"name", "%shot", false, false, {1, 4}},
      {"name", "*shot_0?0", false, false, {1}},
      {"name", "~shot_*", false, false, {1, 2, 4}},
      {"name", "100", false, false, {6}},
      {"name", ">s", false, false, {1, 4}},
      {"pid", "1", false, false, {2, 4}},
      {"pgrp", "1", false, false, {1, 2, 4}},
      {"priority", ">40", false, false, {1, 2, 4}},
      {"priority", "<0", false, false, {5}},
      {"priority", "%5", false, false, {1, 4, 6}},
      {"priority", "abc", false, false, {}},
      {"cpus", ">1", false, false, {2, 3, 5}},
      {"cluster", "*/fx*", false, false, {1, 2, 6}},
      {"cluster", "", true, false, {3}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.name) + (c.neg ? " not " : " ") + c.text);
    ZxFilterList list;
    ZxFilter* f = c.whole ? single(c.name, c.text) : filter(c.name, c.text, c.neg);
    ASSERT_TRUE(f);
    f->setNeg(c.neg);
    list.append(f);
    EXPECT_EQ(match(list), c.ids);
  }
}

TEST_F(SupervisorFilters, FiltersTogetherAndTheFiltersOwnSign) {
  ZxFilterList both;
  both.append(filter("user", "alice"));
  both.append(filter("status", "active"));
  EXPECT_EQ(match(both), (std::vector<int>{1, 6}));

  // Values without a sign take the filter's.
  ZxFilterList greater;
  greater.append(single("priority", "40", '>'));
  EXPECT_EQ(match(greater), (std::vector<int>{1, 2, 4}));

  // A filter without values lets everything through.
  ZxFilterList empty;
  empty.append(new ZxFilter(ZxString("user")));
  EXPECT_EQ(match(empty).size(), 6u);
}

TEST_F(SupervisorFilters, IdsNamedBySubjobsOnly) {
  ZxFilterList list;
  list.append(single("id", "2.1,2.3,5,5.0,12."));
  zxsup::Filters read;
  EXPECT_EQ(match(list, &read), (std::vector<int>{2, 5}));
  ASSERT_EQ(read.subjobsNamed.size(), 2u);
  EXPECT_EQ(read.subjobsNamed[2], (std::set<int>{1, 3}));
  EXPECT_EQ(read.subjobsNamed[12], (std::set<int>{0})) << "'12.' names subjob 0";
  EXPECT_EQ(read.subjobsNamed.count(5), 0u) << "job 5 was named whole too";
}

TEST(SupervisorFilterErrors, RefusedRatherThanIgnored) {
  struct Case {
    const char* name;
    const char* value;
    char sign;
    const char* message;
  } cases[] = {
      {"colour", "red", '=', "unknown filter: colour"},
      {"status", "runing", '=', "unknown status: runing"},
      {"status", "run", '%', "status compares with =, > or < only"},
      {"status", "active", '>', "the status class active compares with = only"},
      {"id", "abc", '=', "not a job id: abc"},
      {"id", "2.x", '=', "not a job id: 2.x"},
      {"id", "-3", '=', "not a job id: -3"},
      {"user", "bob", '!', "filter user: unknown comparison '!'"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    ZxFilterList list;
    ZxFilter* f = new ZxFilter(ZxString(c.name));
    f->fields().append(new ZxField(ZxString(c.value), c.sign));
    list.append(f);
    zxsup::Filters out;
    ZxString error;
    EXPECT_FALSE(zxsup::readFilters(list, out, error));
    EXPECT_EQ(str(error), c.message);
  }
  // More values than a statement can carry.
  ZxFilterList many;
  ZxFilter* f = new ZxFilter(ZxString("pid"));
  for (int i = 0; i <= zxsup::kMaxSelectionValues; ++i) f->fields().append(new ZxField(ZxString(i), 0));
  many.append(f);
  zxsup::Filters out;
  ZxString error;
  EXPECT_FALSE(zxsup::readFilters(many, out, error));
  EXPECT_NE(str(error).find("too many filter values"), std::string::npos);
}

TEST_F(SupervisorFilters, TheLargestSelectionStillRuns) {
  // As many values as allowed, as text values (one IN list) and as
  // patterns (one OR tree, which must stay within SQLite's nesting limit).
  for (char sign : {'=', '%'}) {
    SCOPED_TRACE(sign);
    ZxFilterList list;
    ZxFilter* f = new ZxFilter(ZxString("name"));
    for (int i = 0; i < zxsup::kMaxSelectionValues - 1; ++i)
      f->fields().append(new ZxField(ZxString("nothing-").appendInt(i), sign));
    f->fields().append(new ZxField(ZxString("comp"), sign));
    list.append(f);
    EXPECT_EQ(match(list), std::vector<int>{5});
  }
}

}  // namespace
