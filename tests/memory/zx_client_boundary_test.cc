// The client operations under memory that runs out: every allocation an
// operation makes on the caller's thread is failed in turn, against a
// scripted supervisor on loopback. Each run must either succeed with the
// whole answer or fail with the last error reading "out of memory"; no
// exception may leave the operation, nothing may leak, and the caller's
// record must come back whole (AddressSanitizer watches every run).
#include <gtest/gtest.h>

#include <string>

#include "client/zx_job_operations.h"
#include "client/zx_job_query.h"
#include "client/zx_last_error.h"
#include "client/zx_submit.h"
#include "memory/zx_failing_alloc.h"
#include "model/zx_command.h"
#include "model/zx_job.h"
#include "model/zx_job_id_list.h"
#include "model/zx_query.h"
#include "model/zx_result.h"
#include "net/zx_client_fixture.h"
#include "net/zx_scripted_supervisor.h"

namespace {

using zxtest::Answer;
using zxtest::ScriptedSupervisor;

ZxJobList* threeJobs() {
  ZxJobList* list = new ZxJobList;
  for (int i = 0; i < 3; ++i) {
    ZxJob* job = new ZxJob;
    job->setId(40 + i);
    job->setName(ZxString("a job name longer than the inline buffer"));
    list->append(job);
  }
  return list;
}

ZxResult* resultOf(int first, int n) {
  ZxResult* r = new ZxResult;
  for (int i = 0; i < n; ++i) r->jobIdList().append(new ZxJobId(first + i));
  return r;
}

class ClientBoundary : public zxtest::ClientTest {
 protected:
  // Runs `operation` with its n-th allocation failed, against a supervisor
  // that answers `answer`; true when the run succeeded. `whole` tells a
  // successful run's result apart from a shortened one.
  template <class Operation, class Whole>
  void failEachAllocation(const char* name, Answer (*answer)(), Operation operation, Whole whole) {
    SCOPED_TRACE(name);
    long long undisturbed = 0;
    for (long long n = 0;; ++n) {
      SCOPED_TRACE(testing::Message() << "allocation " << n);
      ScriptedSupervisor server;
      server.add(answer());
      writeConf(server.port());
      env_.set("ZX_SUPERVISOR", "127.0.0.1");
      lastError() = ZxErr(1);
      bool ok = false;
      long long count = 0;
      bool fired = false;
      {
        zxtest::FailNthAllocation failing(n);
        ok = operation();
        count = failing.count();
        fired = failing.fired();
      }
      if (n == 0) {
        ASSERT_TRUE(ok) << lastError().message().c_str();
        ASSERT_TRUE(whole());
        undisturbed = count;
        continue;
      }
      if (!fired) break;  // past the last allocation of the operation
      if (ok) {
        EXPECT_TRUE(whole()) << "a shortened answer reported as success";
      } else {
        EXPECT_EQ(std::string(lastError().message().c_str()), "out of memory");
      }
      ASSERT_LE(n, undisturbed + 100) << "the operation allocates without end";
    }
  }
};

TEST_F(ClientBoundary, QueryFailsWholeOrAnswersWhole) {
  ZxQuery query;
  query.filterList().append(makeFilter("id", "40,41,42"));
  ZxJobList found;
  failEachAllocation(
      "query", [] { return zxtest::reply(101, threeJobs()); },
      [&] {
        found.clear();
        return queryJobs(query, found);
      },
      [&] { return found.count() == 3 && found.get(2) && found.get(2)->id() == 42; });
  // The caller's query was lent to every request and handed back each time.
  ASSERT_EQ(query.filterList().count(), 1);
  EXPECT_EQ(query.filterList().get(0)->fields().count(), 3);
}

TEST_F(ClientBoundary, SubmitFailsWholeOrAnswersWhole) {
  ZxJobList jobs;
  jobs.append(new ZxJob);
  ZxJobList accepted;
  failEachAllocation(
      "submit", [] { return zxtest::reply(101, threeJobs()); },
      [&] {
        accepted.clear();
        return submit(jobs, accepted);
      },
      [&] { return accepted.count() == 3; });
  EXPECT_EQ(jobs.count(), 1);
}

TEST_F(ClientBoundary, JobCommandFailsWholeOrAnswersWhole) {
  ZxCommand command;
  command.jobIdList().append(new ZxJobId(12));
  ZxJobIdList affected;
  failEachAllocation(
      "kill", [] { return zxtest::reply(230, resultOf(12, 2)); },
      [&] {
        affected.clear();
        return killJobs(command, affected);
      },
      [&] { return affected.count() == 2; });
  EXPECT_EQ(command.jobIdList().count(), 1);
}

}  // namespace
