// Tests of the query and command operations against a scripted supervisor:
// queryJobs and its failure lines, runCommand with the accepted codes, the
// bump form, new and old answers and refusals, the per-command operations
// and modifyJobs, the command name table, the process-wide overrides, and
// that every operation gives the caller's record back intact.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "client/zx_client_overrides.h"
#include "client/zx_command_code.h"
#include "client/zx_job_operations.h"
#include "client/zx_job_query.h"
#include "client/zx_last_error.h"
#include "client/zx_modify_jobs.h"
#include "client/zx_run_command.h"
#include "client/zx_submit.h"
#include "model/zx_bump_command.h"
#include "model/zx_err.h"
#include "model/zx_error_record.h"
#include "net/zx_client_fixture.h"
#include "net/zx_scripted_supervisor.h"
#include "serial/zx_log_capture.h"

namespace {

using zxtest::Answer;
using zxtest::ScriptedSupervisor;
using zxtest::str;

ZxJobIdList* ids(std::initializer_list<int> numbers) {
  ZxJobIdList* list = new ZxJobIdList;
  for (int n : numbers) list->append(new ZxJobId(n));
  return list;
}

ZxResult* resultWith(std::initializer_list<int> numbers) {
  ZxResult* r = new ZxResult;
  for (int n : numbers) r->jobIdList().append(new ZxJobId(n));
  return r;
}

std::string idText(const ZxJobIdList& list) {
  std::string out;
  for (int i = 0; i < list.count(); ++i) out += (i ? "," : "") + std::to_string(list.get(i)->id());
  return out;
}

class OperationsTest : public zxtest::ClientTest {
 protected:
  // A supervisor answering `answers` in order, configured as the only one.
  void serve(std::vector<Answer> answers) {
    server_.reset(new ScriptedSupervisor);
    for (Answer& a : answers) server_->add(std::move(a));
    writeConf(server_->port());
    env_.set("ZX_SUPERVISOR", "127.0.0.1");
  }
  void serveNobody() {
    server_.reset();
    writeConf(zxtest::refusingPort());
    env_.set("ZX_SUPERVISOR", "127.0.0.1");
  }
  std::unique_ptr<ZxMessage> sent(int i = 0) {
    return server_->received().at(static_cast<size_t>(i)).message();
  }

  std::unique_ptr<ScriptedSupervisor> server_;
};

// ---- queries -----------------------------------------------------------------------

ZxJobList* jobs(int firstId, int n) {
  ZxJobList* list = new ZxJobList;
  for (int i = 0; i < n; ++i) {
    ZxJob* job = new ZxJob;
    job->setId(firstId + i);
    list->append(job);
  }
  return list;
}

TEST_F(OperationsTest, AQueryHandsBackTheMatchingJobsInOrder) {
  serve({zxtest::reply(101, jobs(7, 3)), zxtest::reply(101, jobs(20, 2))});
  ZxQuery query;
  query.filterList().append(makeFilter("id", "7,8,9"));
  ZxJobList found;
  ASSERT_TRUE(queryJobs(query, found));
  ASSERT_TRUE(queryJobs(query, found));  // appended after the first answer
  ASSERT_EQ(found.count(), 5);
  const int expected[] = {7, 8, 9, 20, 21};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(found.get(i)->id(), expected[i]);
  std::unique_ptr<ZxMessage> request = sent();
  EXPECT_EQ(request->tag(), 100);
  const ZxQuery* wire = dynamic_cast<const ZxQuery*>(request->content());
  ASSERT_NE(wire, nullptr);
  ASSERT_EQ(wire->filterList().count(), 1);
  EXPECT_EQ(wire->filterList().get(0)->fields().count(), 3);
  EXPECT_EQ(query.filterList().count(), 1);
}

TEST_F(OperationsTest, AFailedQueryNamesItsReason) {
  struct Case {
    const char* name;
    std::function<Answer()> answer;  // null: nobody listens
    std::string line;                // on standard error
    int code;                        // of the last error
    std::string message;
  };
  const std::vector<Case> cases = {
      {"supervisor down", nullptr, "ERROR: unable to contact supervisor.\n", 35, "unable to connect to host"},
      {"refusal with text", [] { return zxtest::reply(4, new ZxErrorRecord("queue closed")); }, "", 100000,
       "queue closed"},
      {"refusal with an error record", [] { return zxtest::reply(4, new ZxErr(3063)); }, "", 3063,
       "couldn't find jobs(s)."},
      {"bare refusal", [] { return zxtest::reply(4); }, "", 2051, "unspecifed error"},
      {"no content", [] { return zxtest::reply(101); }, "ERROR: data returned blank\n", 2052,
       "ERROR: data returned blank"},
      {"declared type differs", [] { return zxtest::reply(101, jobs(1, 1), 530, 21); },
       "ERROR: list object returned invalid. - 21\n", 2053, "general error"},
      {"not a job list", [] { return zxtest::reply(3, new ZxErr(3057)); },
       "ERROR: list object returned invalid. - 175\n", 2053, "general error"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.answer)
      serve({c.answer()});
    else
      serveNobody();
    lastError() = ZxErr(1);
    ZxQuery query;
    ZxJobList found;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(queryJobs(query, found));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), c.line);
    EXPECT_EQ(found.count(), 0);
    EXPECT_EQ(lastError().code(), c.code);
    EXPECT_EQ(str(ZxErr(lastError()).message()), c.message);
  }
}

// ---- commands ----------------------------------------------------------------------

TEST(CommandCodes, NamesAndTheAcceptedSet) {
  struct Named {
    const char* name;
    int code;
  };
  const Named names[] = {{"ZX_COMMAND_REMOVE_JOB", 201},  {"ZX_COMMAND_KILL_JOB", 207},
                         {"ZX_COMMAND_MODIFY_JOB", 211},  {"ZX_COMMAND_RESET_JOB", 231},
                         {"ZX_COMMAND_RETRY_WORK", 604},  {"ZX_COMMAND_RETIRE_WORK", 615},
                         {"ZX_COMMAND_INTERRUPT_JOB", 0}, {"zx_command_kill_job", 0},
                         {"ZX_COMMAND_KILL_JOB ", 0},     {"", 0}};
  for (const Named& n : names) {
    SCOPED_TRACE(n.name);
    EXPECT_EQ(commandCode(n.name), n.code);
  }
  EXPECT_EQ(commandCode(ZxString("ZX_COMMAND_KILL_JOB\0x", 21)), 0);

  const int accepted[] = {201, 207, 208, 209, 210, 211, 215, 216, 217, 219, 220, 221,
                          223, 224, 225, 226, 227, 231, 290, 291, 604, 609, 615, 802};
  const int refused[] = {0, 200, 202, 206, 212, 214, 218, 222, 228, 230, 232, 289, 292, 603, 616, 801, 803};
  for (int code : accepted) EXPECT_TRUE(isAcceptedCommand(code)) << code;
  for (int code : refused) EXPECT_FALSE(isAcceptedCommand(code)) << code;
}

TEST_F(OperationsTest, AnUnknownCodeIsLoggedAndNothingIsSent) {
  serve({zxtest::reply(230, resultWith({1}))});
  ZxCommand command(212);
  ZxResult result;
  ZxLogCapture log;
  EXPECT_FALSE(runCommand(command, result));
  const std::string text = log.text();
  const std::string tail = "ERROR: unknown command: 212\n";
  ASSERT_GE(text.size(), tail.size());
  EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
  EXPECT_EQ(text[0], '[');  // stamped
  EXPECT_EQ(server_->count(), 0);
}

TEST_F(OperationsTest, JobCommandsHandBackTheIdsOfTheResultInOrder) {
  struct Case {
    const char* name;
    Answer answer;
    bool ok;
    std::string ids;
  };
  const std::vector<std::function<Case()>> cases = {
      [] {
        return Case{"new supervisor", zxtest::reply(230, resultWith({12, 11})), true, "12,11"};
      },
      [] {
        return Case{"old supervisor, bare ids", zxtest::reply(230, ids({4, 5}), 529), true, "4,5"};
      },
      [] {
        return Case{"old supervisor, other content ignored", zxtest::reply(230, new ZxTime(3), 529), true,
                    ""};
      },
      [] {
        return Case{"old supervisor, no content", zxtest::reply(230, nullptr, 529, 18), false, ""};
      },
      [] {
        return Case{"old supervisor, nothing", zxtest::reply(230, nullptr, 529), true, ""};
      },
  };
  for (const auto& make : cases) {
    const Case c = make();
    SCOPED_TRACE(c.name);
    serve({c.answer});
    ZxCommand command;
    command.jobIdList().append(new ZxJobId(12));
    command.jobIdList().append(new ZxJobId(11));
    ZxJobIdList affected;
    affected.append(new ZxJobId(1));
    testing::internal::CaptureStderr();
    EXPECT_EQ(killJobs(command, affected), c.ok);
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(idText(affected), c.ids.empty() ? "1" : "1," + c.ids);
    std::unique_ptr<ZxMessage> request = sent();
    EXPECT_EQ(request->tag(), 207);
    const ZxCommand* wire = dynamic_cast<const ZxCommand*>(request->content());
    ASSERT_NE(wire, nullptr);
    EXPECT_EQ(wire->action(), 207);
    EXPECT_EQ(idText(wire->jobIdList()), "12,11");
  }
}

TEST_F(OperationsTest, MalformedAnswersFailWithTheirLine) {
  struct Case {
    const char* name;
    std::function<Answer()> answer;
    std::string line;
    int code;
  };
  const std::vector<Case> cases = {
      {"no content", [] { return zxtest::reply(230); }, "ERROR: data returned blank\n", 2052},
      {"declared type differs", [] { return zxtest::reply(230, resultWith({1}), 530, 18); },
       "ERROR: report object returned invalid. - 18\n", 2053},
      {"not a result", [] { return zxtest::reply(230, ids({1})); },
       "ERROR: report object returned invalid. - 18\n", 2053},
      {"old supervisor, declared ids but other content",
       [] { return zxtest::reply(230, new ZxTime(1), 529, 18); },
       "ERROR: report object returned invalid. - 18\n", 2053},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    serve({c.answer()});
    ZxCommand command;
    ZxJobIdList affected;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(suspendJobs(command, affected));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), c.line);
    EXPECT_EQ(affected.count(), 0);
    EXPECT_EQ(lastError().code(), c.code);
  }
}

TEST_F(OperationsTest, ARefusedCommandIsAFailureWithTheSupervisorsReason) {
  struct Case {
    const char* name;
    std::function<Answer()> answer;  // null: nobody listens
    int code;
    std::string message;
  };
  const std::vector<Case> cases = {
      {"refusal with an error record", [] { return zxtest::reply(4, new ZxErr(2054)); }, 2054,
       "access denied"},
      {"refusal with text", [] { return zxtest::reply(3, new ZxErrorRecord("not your job")); }, 100000,
       "not your job"},
      {"bare refusal", [] { return zxtest::reply(4); }, 2051, "unspecifed error"},
      {"supervisor down", nullptr, 35, "unable to connect to host"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.answer)
      serve({c.answer()});
    else
      serveNobody();
    lastError() = ZxErr(1);
    ZxCommand command;
    command.jobIdList().append(new ZxJobId(3));
    ZxJobIdList affected;
    EXPECT_FALSE(killJobs(command, affected));
    EXPECT_EQ(affected.count(), 0);
    EXPECT_EQ(lastError().code(), c.code);
    EXPECT_EQ(str(ZxErr(lastError()).message()), c.message);
  }
}

TEST_F(OperationsTest, BumpsTravelAsBumpCommandsWithTheirDirection) {
  struct Case {
    int code;
    int direction;
  };
  for (const Case& c : {Case{290, 1}, Case{291, 2}}) {
    SCOPED_TRACE(c.code);
    serve({zxtest::reply(230, resultWith({6}))});
    ZxCommand command;
    command.jobIdList().append(new ZxJobId(6));
    ZxJobIdList affected;
    ASSERT_TRUE(runJobCommand(c.code, command, affected));
    EXPECT_EQ(idText(affected), "6");
    std::unique_ptr<ZxMessage> request = sent();
    EXPECT_EQ(request->tag(), 223);
    const ZxBumpCommand* bump = dynamic_cast<const ZxBumpCommand*>(request->content());
    ASSERT_NE(bump, nullptr);
    EXPECT_EQ(bump->direction(), c.direction);
    EXPECT_EQ(idText(bump->jobIdList()), "6");
  }
}

TEST_F(OperationsTest, WorkAndCallbackOperationsCollectTheirOwnLists) {
  ZxResult* work = new ZxResult;
  work->workIdList().append(new ZxWorkId(3, "frame9"));
  work->jobIdList().append(new ZxJobId(3));
  ZxWorkIdList* oldWork = new ZxWorkIdList;
  oldWork->append(new ZxWorkId(4, "frame1"));
  ZxResult* callbacks = new ZxResult;
  callbacks->callbackIdList().append(new ZxCallbackId(5, 2));
  serve({zxtest::reply(230, work), zxtest::reply(230, oldWork, 529), zxtest::reply(230, callbacks)});

  ZxCommand command;
  ZxWorkIdList workIds;
  ASSERT_TRUE(retireWork(command, workIds));
  ASSERT_TRUE(killWork(command, workIds));
  ASSERT_EQ(workIds.count(), 2);
  EXPECT_EQ(str(workIds.get(0)->idText()), "3:frame9");
  EXPECT_EQ(str(workIds.get(1)->idText()), "4:frame1");
  ZxCallbackIdList callbackIds;
  ASSERT_TRUE(callbackCommand(command, callbackIds));
  ASSERT_EQ(callbackIds.count(), 1);
  EXPECT_EQ(callbackIds.get(0)->callId(), 2);
  EXPECT_EQ(sent(0)->tag(), 615);
  EXPECT_EQ(sent(1)->tag(), 605);
  EXPECT_EQ(sent(2)->tag(), 802);
}

TEST_F(OperationsTest, ModifySendsItsRecordAndHandsBackTheChangedJobs) {
  serve({zxtest::reply(211, resultWith({8})), zxtest::reply(211, ids({9}), 529),
         zxtest::reply(211, new ZxTime(1), 529), zxtest::reply(4, new ZxErr(2054))});
  ZxModifyCommand modify;
  modify.jobIdList().append(new ZxJobId(8));
  modify.job().setPriority(70);
  modify.fields().append(new ZxField("priority", 0));
  ZxJobIdList changed;
  ASSERT_TRUE(modifyJobs(modify, changed));
  ASSERT_TRUE(modifyJobs(modify, changed));
  ASSERT_TRUE(modifyJobs(modify, changed));  // an old answer of another kind
  EXPECT_EQ(idText(changed), "8,9");
  EXPECT_FALSE(modifyJobs(modify, changed));
  EXPECT_EQ(lastError().code(), 2054);

  std::unique_ptr<ZxMessage> request = sent();
  EXPECT_EQ(request->tag(), 211);
  const ZxModifyCommand* wire = dynamic_cast<const ZxModifyCommand*>(request->content());
  ASSERT_NE(wire, nullptr);
  EXPECT_EQ(wire->action(), 211);
  EXPECT_EQ(wire->job().priority(), 70);
  ASSERT_EQ(wire->fields().count(), 1);
  EXPECT_EQ(str(wire->fields().get(0)->name()), "priority");
}

// ---- overrides and the caller's records --------------------------------------------

TEST_F(OperationsTest, TheOverridesReplaceTheSupervisorAndTheTimeLimit) {
  ScriptedSupervisor other(0x7F000002u);
  serve({});
  writeConf(other.port());  // the configured 127.0.0.1 has nobody on this port
  other.add(zxtest::reply(230, resultWith({1})));
  setSupervisorOverride("127.0.0.2");
  setTimeoutOverride(3000);
  ZxCommand command;
  ZxJobIdList affected;
  EXPECT_TRUE(resumeJobs(command, affected));
  EXPECT_EQ(other.count(), 1);
  EXPECT_EQ(str(supervisorOverride()), "127.0.0.2");
  EXPECT_EQ(timeoutOverride(), 3000);
  setSupervisorOverride("");
  setTimeoutOverride(0);
}

// Every operation lends the caller's record to its request and takes it
// back: the record is whole afterwards (under AddressSanitizer a record
// destroyed with the message would show here as a use after free).
TEST_F(OperationsTest, EveryOperationGivesTheCallersRecordBack) {
  using JobOp = bool (*)(ZxCommand&, ZxJobIdList&);
  using WorkOp = bool (*)(ZxCommand&, ZxWorkIdList&);
  const JobOp jobOps[] = {removeJobs,  killJobs,    interruptJobs, preemptJobs, blockJobs,
                          unblockJobs, suspendJobs, resumeJobs,    requeueJobs, retryJobs,
                          migrateJobs, shoveJobs,   retireJobs,    resetJobs};
  const WorkOp workOps[] = {retryWork,   killWork,   interruptWork, preemptWork,  blockWork, unblockWork,
                            suspendWork, resumeWork, requeueWork,   completeWork, retireWork};
  std::vector<Answer> answers;
  const int rounds = 2 + 14 + 11 + 4;
  for (int i = 0; i < rounds; ++i) answers.push_back(zxtest::reply(230, resultWith({})));
  answers[0] = zxtest::reply(201, jobs(1, 1));
  answers[1] = zxtest::reply(101, jobs(1, 1));
  serve(std::move(answers));

  ZxJobList toSubmit;
  toSubmit.append(new ZxJob);
  toSubmit.get(0)->setName("mine");
  ZxJobList accepted;
  EXPECT_TRUE(submit(toSubmit, accepted));
  EXPECT_EQ(str(toSubmit.get(0)->name()), "mine");

  ZxQuery query;
  query.filterList().append(makeFilter("user", "alice"));
  ZxJobList found;
  EXPECT_TRUE(queryJobs(query, found));
  EXPECT_EQ(str(query.filterList().get(0)->name()), "user");

  auto checkCommand = [](const ZxCommand& command, int code) {
    EXPECT_EQ(command.action(), code);
    ASSERT_EQ(command.jobIdList().count(), 1);
    EXPECT_EQ(command.jobIdList().get(0)->id(), 42);
  };
  for (JobOp op : jobOps) {
    ZxCommand command;
    command.jobIdList().append(new ZxJobId(42));
    ZxJobIdList out;
    EXPECT_TRUE(op(command, out));
    checkCommand(command, command.action());
    EXPECT_NE(command.action(), 0);
  }
  for (WorkOp op : workOps) {
    ZxCommand command;
    command.jobIdList().append(new ZxJobId(42));
    ZxWorkIdList out;
    EXPECT_TRUE(op(command, out));
    checkCommand(command, command.action());
  }
  {
    ZxCommand command;
    command.jobIdList().append(new ZxJobId(42));
    ZxCallbackIdList out;
    EXPECT_TRUE(callbackCommand(command, out));
    checkCommand(command, 802);
  }
  {
    ZxCommand command(290);
    command.jobIdList().append(new ZxJobId(42));
    ZxResult result;
    EXPECT_TRUE(runCommand(command, result));
    checkCommand(command, 290);
  }
  {
    ZxModifyCommand modify;
    modify.jobIdList().append(new ZxJobId(42));
    modify.job().setName("new name");
    ZxJobIdList out;
    EXPECT_TRUE(modifyJobs(modify, out));
    checkCommand(modify, 211);
    EXPECT_EQ(str(modify.job().name()), "new name");
  }
  {
    ZxCommand command(220);
    command.jobIdList().append(new ZxJobId(42));
    ZxResult result;
    EXPECT_TRUE(runCommand(command, result));
    checkCommand(command, 220);
  }
  EXPECT_EQ(server_->count(), rounds);
}

}  // namespace
