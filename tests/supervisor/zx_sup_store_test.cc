// Tests of the supervisor's SQLite job store: ids that never come back
// (after removals, reopening, refused builds and hand-edited files), the
// parts a job is stored in, changes and removals, refusing foreign files,
// and group commit under many threads.
#include "zx_sup_sqlite_store.h"

#include <sqlite3.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include "zx_sup_client.h"
#include "zx_sup_process.h"

namespace {

using zxsup::SqliteStore;
using zxsup::Store;

std::string str(const ZxString& s) { return std::string(s.c_str(), static_cast<size_t>(s.length())); }

// Adds one job named `name` (items work items, `children` child jobs) and
// answers its id, or -1.
int addOne(Store& store, const std::string& name, int items = 0, int children = 0) {
  std::unique_ptr<ZxJob> job(zxsup::makeJob(ZxString(name.c_str()), items));
  for (int i = 0; i < children; ++i) job->children().append(zxsup::makeJob(ZxString("child"), 0));
  int id = -1;
  ZxString error;
  const bool ok = store.addJobs(
      1,
      [&](int first, std::vector<Store::NewJob>& jobs, ZxString&) {
        id = first;
        job->setId(first);
        jobs.push_back({job.get(), -1});
        return true;
      },
      error);
  EXPECT_TRUE(ok) << str(error);
  return ok ? id : -1;
}

std::vector<int> idsOf(const ZxJobList& jobs) {
  std::vector<int> ids;
  for (int i = 0; i < jobs.count(); ++i) ids.push_back(jobs.get(i)->id());
  return ids;
}

std::vector<int> allIds(Store& store) {
  ZxJobList jobs;
  ZxString error;
  EXPECT_TRUE(store.readJobs(zxsup::Selection(), Store::kHead, 0, jobs, error)) << str(error);
  return idsOf(jobs);
}

TEST(SupervisorStore, IdsOnlyGrowAcrossRemovalsAndReopening) {
  zxtest::TempFolder folder;
  const std::string db = folder.file("jobs.db");
  {
    SqliteStore store;
    ZxString error;
    ASSERT_TRUE(store.open(db, SqliteStore::kSyncFull, error)) << str(error);
    EXPECT_EQ(addOne(store, "a"), 1);
    EXPECT_EQ(addOne(store, "b"), 2);
    EXPECT_EQ(addOne(store, "c"), 3);
    // Removing the newest job must not give its number out again.
    zxsup::Selection last;
    last.byIds = true;
    last.ids = {3};
    ASSERT_TRUE(store.changeJobs(
        last,
        [](ZxJob&, bool) {
          return Store::Outcome{Store::kRemove, -1};
        },
        error));
    EXPECT_EQ(allIds(store), (std::vector<int>{1, 2}));
    EXPECT_EQ(addOne(store, "d"), 4);
  }
  SqliteStore again;
  ZxString error;
  ASSERT_TRUE(again.open(db, SqliteStore::kSyncFull, error)) << str(error);
  EXPECT_EQ(again.nextId(), 5);
  EXPECT_EQ(addOne(again, "e"), 5);
  EXPECT_EQ(allIds(again), (std::vector<int>{1, 2, 4, 5}));
}

TEST(SupervisorStore, ARefusedBuildKeepsNothingAndUsesNoId) {
  SqliteStore store;
  ZxString error;
  ASSERT_TRUE(store.open(":memory:", SqliteStore::kSyncFull, error));
  std::unique_ptr<ZxJob> job(zxsup::makeJob("x", 2));
  const bool ok = store.addJobs(
      2,
      [&](int first, std::vector<Store::NewJob>& jobs, ZxString& why) {
        job->setId(first);
        jobs.push_back({job.get(), -1});
        why = "no thanks";
        return false;
      },
      error);
  EXPECT_FALSE(ok);
  EXPECT_EQ(str(error), "no thanks");
  EXPECT_EQ(store.jobCount(), 0);
  EXPECT_EQ(store.nextId(), 1);
  // A build that hands back a job without one of its ids is refused too.
  EXPECT_FALSE(store.addJobs(
      1,
      [&](int, std::vector<Store::NewJob>& jobs, ZxString&) {
        job->setId(77);
        jobs.push_back({job.get(), -1});
        return true;
      },
      error));
  EXPECT_EQ(store.jobCount(), 0);
  EXPECT_EQ(addOne(store, "y"), 1);
}

TEST(SupervisorStore, JobsComeBackInTheirParts) {
  SqliteStore store;
  ZxString error;
  ASSERT_TRUE(store.open(":memory:", SqliteStore::kSyncFull, error));
  std::unique_ptr<ZxJob> job(zxsup::makeJob("parts", 3, 2));
  job->children().append(zxsup::makeJob("kid", 0));
  for (int i = 0; i < 2; ++i) {
    ZxSubjob* s = new ZxSubjob;
    s->setId(i);
    job->subjobs().append(s);
  }
  job->setNotes("kept");
  ASSERT_TRUE(store.addJobs(
      1,
      [&](int first, std::vector<Store::NewJob>& jobs, ZxString&) {
        job->setId(first);
        jobs.push_back({job.get(), 100});
        return true;
      },
      error));
  // The caller's job is whole again after storing.
  EXPECT_EQ(job->agenda().count(), 3);
  EXPECT_EQ(job->subjobs().count(), 2);
  EXPECT_EQ(job->children().count(), 1);

  struct Case {
    int parts;
    int subjobs, items;
  } cases[] = {
      {Store::kHead, 0, 0}, {Store::kSubjobs, 2, 0}, {Store::kAgenda, 0, 3}, {Store::kAllParts, 2, 3}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.parts);
    ZxJobList out;
    ASSERT_TRUE(store.readJobs(zxsup::Selection(), c.parts, 0, out, error)) << str(error);
    ASSERT_EQ(out.count(), 1);
    EXPECT_EQ(str(out.get(0)->name()), "parts");
    EXPECT_EQ(str(out.get(0)->notes()), "kept");
    EXPECT_EQ(out.get(0)->subjobs().count(), c.subjobs);
    EXPECT_EQ(out.get(0)->agenda().count(), c.items);
    EXPECT_EQ(out.get(0)->children().count(), 0) << "children are jobs of their own";
  }
  ZxJobList whole;
  ASSERT_TRUE(store.readJobs(zxsup::Selection(), Store::kAllParts, 0, whole, error));
  EXPECT_EQ(str(whole.get(0)->agenda().get(2)->name()), "3");
  // The byte limit stops a read that would pass it.
  ZxJobList capped;
  EXPECT_FALSE(store.readJobs(zxsup::Selection(), Store::kAllParts, 10, capped, error));
  EXPECT_NE(str(error).find("MiB"), std::string::npos) << str(error);
}

TEST(SupervisorStore, ChangesSeeTheVerdictOfTheConditionsAndTheirDueTimes) {
  SqliteStore store;
  ZxString error;
  ASSERT_TRUE(store.open(":memory:", SqliteStore::kSyncFull, error));
  for (const char* n : {"a", "b", "c", "d"}) addOne(store, n);
  zxsup::Selection sel;
  sel.byIds = true;
  sel.ids = {4, 2, 9, 2};  // any order, repeats and unknown ids allowed
  zxsup::Condition c;
  c.column = zxsup::Column::kName;
  zxsup::Test t;
  t.text = "b";
  c.tests.push_back(t);
  sel.conditions.push_back(c);
  std::vector<std::pair<int, bool>> seen;
  ASSERT_TRUE(store.changeJobs(
      sel,
      [&](ZxJob& job, bool passed) {
        seen.emplace_back(job.id(), passed);
        job.setNotes("changed");
        return Store::Outcome{passed ? Store::kWrite : Store::kKeep, job.id() == 2 ? 50 : -1};
      },
      error))
      << str(error);
  EXPECT_EQ(seen, (std::vector<std::pair<int, bool>>{{2, true}, {4, false}}));
  ZxJobList out;
  ASSERT_TRUE(store.readJobs(zxsup::Selection(), Store::kHead, 0, out, error));
  for (int i = 0; i < out.count(); ++i)
    EXPECT_EQ(str(out.get(i)->notes()), out.get(i)->id() == 2 ? "changed" : "") << out.get(i)->id();

  // Due times select jobs for the simulation.
  EXPECT_FALSE(store.anyDue(49, error));
  EXPECT_TRUE(store.anyDue(50, error));
  zxsup::Selection due;
  due.dueBy = 60;
  std::vector<int> dueIds;
  ASSERT_TRUE(store.changeJobs(
      due,
      [&](ZxJob& job, bool) {
        dueIds.push_back(job.id());
        return Store::Outcome{};
      },
      error));
  EXPECT_EQ(dueIds, std::vector<int>{2});

  // Without ids the conditions select: only "b" is visited.
  zxsup::Selection byName;
  byName.conditions.push_back(c);
  std::vector<int> named;
  ASSERT_TRUE(store.changeJobs(
      byName,
      [&](ZxJob& job, bool passed) {
        EXPECT_TRUE(passed);
        named.push_back(job.id());
        return Store::Outcome{};
      },
      error));
  EXPECT_EQ(named, std::vector<int>{2});
}

TEST(SupervisorStore, RefusesFilesItDidNotWrite) {
  zxtest::TempFolder folder;
  ZxString error;
  {
    std::ofstream(folder.file("text.db")) << "these are not the jobs you are looking for\n";
    SqliteStore store;
    EXPECT_FALSE(store.open(folder.file("text.db"), SqliteStore::kSyncFull, error));
    EXPECT_NE(str(error).find("not a database"), std::string::npos) << str(error);
  }
  {
    const std::string db = folder.file("newer.db");
    SqliteStore store;
    ASSERT_TRUE(store.open(db, SqliteStore::kSyncFull, error));
    store.close();
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open(db.c_str(), &raw), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(raw, "UPDATE meta SET value = 2 WHERE key = 'schema_version'", nullptr, nullptr,
                           nullptr),
              SQLITE_OK);
    sqlite3_close(raw);
    EXPECT_FALSE(store.open(db, SqliteStore::kSyncFull, error));
    EXPECT_NE(str(error).find("schema version 2"), std::string::npos) << str(error);
  }
}

TEST(SupervisorStore, ACounterBehindTheStoredIdsMovesPastThem) {
  zxtest::TempFolder folder;
  const std::string db = folder.file("edited.db");
  ZxString error;
  {
    SqliteStore store;
    ASSERT_TRUE(store.open(db, SqliteStore::kSyncFull, error));
    for (int i = 0; i < 5; ++i) addOne(store, "j");
  }
  sqlite3* raw = nullptr;
  ASSERT_EQ(sqlite3_open(db.c_str(), &raw), SQLITE_OK);
  ASSERT_EQ(
      sqlite3_exec(raw, "UPDATE meta SET value = 2 WHERE key = 'next_job_id'", nullptr, nullptr, nullptr),
      SQLITE_OK);
  sqlite3_close(raw);
  SqliteStore store;
  ASSERT_TRUE(store.open(db, SqliteStore::kSyncFull, error));
  EXPECT_EQ(addOne(store, "after"), 6);
}

TEST(SupervisorStore, ConcurrentAddsShareCommitsAndNeverShareIds) {
  zxtest::TempFolder folder;
  SqliteStore store;
  ZxString error;
  ASSERT_TRUE(store.open(folder.file("busy.db"), SqliteStore::kSyncFull, error)) << str(error);
  constexpr int kThreads = 12, kEach = 15;
  std::mutex mutex;
  std::vector<int> ids;
  int failures = 0;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < kEach; ++i) {
        // Every fifth build of one thread refuses: the others of its batch must not notice.
        std::unique_ptr<ZxJob> job(zxsup::makeJob("job", 5));
        ZxString why;
        const bool refuse = t == 0 && i % 5 == 0;
        int got = -1;
        const bool ok = store.addJobs(
            1,
            [&](int first, std::vector<Store::NewJob>& jobs, ZxString& e) {
              got = first;
              job->setId(first);
              jobs.push_back({job.get(), -1});
              if (refuse) e = "refused";
              return !refuse;
            },
            why);
        std::lock_guard<std::mutex> lock(mutex);
        if (ok) ids.push_back(got);
        if (ok == refuse) ++failures;
      }
    });
  }
  for (std::thread& t : threads) t.join();
  EXPECT_EQ(failures, 0);
  const int accepted = kThreads * kEach - 3;
  ASSERT_EQ(static_cast<int>(ids.size()), accepted);
  std::sort(ids.begin(), ids.end());
  EXPECT_EQ(std::adjacent_find(ids.begin(), ids.end()), ids.end()) << "an id was given twice";
  EXPECT_EQ(allIds(store), ids);
  EXPECT_EQ(store.jobCount(), accepted);
  // Refused builds used up no id: the accepted ones are 1..accepted.
  EXPECT_EQ(ids.back(), accepted);
  EXPECT_LT(store.commits(), accepted) << "concurrent changes should share commits";
}

}  // namespace
