// Tests of the supervisor's answers, in-process over a memory store with a
// clock of the test's: submit (numbering, admitting, refusals), query
// (parts, subjobs named by id, refusals), the job command state machine,
// subjob and work targets, faults and errors of commands, modify, bump,
// time, discovery domains, the simulation, and requests that do not decode.
#include "zx_sup_handler.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "message/zx_message.h"
#include "model/zx_bump_command.h"
#include "model/zx_command.h"
#include "model/zx_err.h"
#include "model/zx_fault.h"
#include "model/zx_field.h"
#include "model/zx_filter.h"
#include "model/zx_flags.h"
#include "model/zx_job_id.h"
#include "model/zx_modify_command.h"
#include "model/zx_query.h"
#include "model/zx_result.h"
#include "model/zx_time.h"
#include "model/zx_work_id.h"
#include "zx_sup_client.h"
#include "zx_sup_jobs.h"
#include "zx_sup_sqlite_store.h"

namespace {

using zxsup::Store;

std::string str(const ZxString& s) { return std::string(s.c_str(), static_cast<size_t>(s.length())); }

constexpr int64_t kT0 = 1700000000;  // the clock's start, Unix seconds

// One letter per status, for compact expectations of work items.
char letter(int code) {
  switch (code) {
    case StatusCode::kPending:
      return 'P';
    case StatusCode::kRunning:
      return 'R';
    case StatusCode::kSuspended:
      return 'S';
    case StatusCode::kBlocked:
      return 'B';
    case StatusCode::kComplete:
      return 'C';
    case StatusCode::kKilled:
      return 'K';
    case StatusCode::kFailed:
      return 'F';
    default:
      return '?';
  }
}

// A handler over a fresh memory store, with simulated work of ten seconds.
class Supe {
 public:
  explicit Supe(int simulate = 10, const char* domain = "") {
    ZxString error;
    EXPECT_TRUE(store.open(":memory:", zxsup::SqliteStore::kSyncFull, error));
    settings.simulateSeconds = simulate;
    settings.domain = domain;
    settings.admins.push_back("root");
    handler.reset(new zxsup::Handler(store, settings, [this] { return now; }));
  }

  // Sends `content` (lent; may be null) with `tag` from `user`.
  void ask(int tag, ZxPack* content, ZxMessage& reply, const char* user = "alice") {
    ZxMessage request(tag);
    request.setUser(user);
    request.setDomain("studio");
    request.setContent(content);
    ZxString summary;
    handler->handle(request, reply, summary);
    // A submit hands its jobs on to the reply; anything else is given back.
    if (request.content() == content) request.setContent(nullptr);
    EXPECT_FALSE(summary.isEmpty());
  }

  // Submits the jobs; the accepted ids (empty on a refusal).
  std::vector<int> submit(std::vector<ZxJob*> jobs, const char* user = "alice") {
    ZxJobList* list = new ZxJobList;
    for (ZxJob* j : jobs) list->append(j);
    ZxMessage reply;
    ask(200, list, reply, user);
    std::vector<int> ids;
    if (reply.tag() != zxsup::kReplyDone || !reply.content() || reply.content()->typeId() != 5) {
      delete list;
      return ids;
    }
    const ZxJobList& accepted = *static_cast<ZxJobList*>(reply.content());
    for (int i = 0; i < accepted.count(); ++i) ids.push_back(accepted.get(i)->id());
    return ids;
  }
  int submitOne(int items, int cpus = 1) { return submit({zxsup::makeJob("job", items, cpus)}).at(0); }

  // A job as stored, with all its parts.
  std::unique_ptr<ZxJob> job(int id) {
    zxsup::Selection sel;
    sel.byIds = true;
    sel.ids = {id};
    ZxJobList out;
    ZxString error;
    EXPECT_TRUE(store.readJobs(sel, Store::kAllParts, 0, out, error));
    if (out.count() != 1) return nullptr;
    return std::unique_ptr<ZxJob>(new ZxJob(*out.get(0)));
  }
  std::string items(int id) {
    std::unique_ptr<ZxJob> j = job(id);
    std::string s;
    for (int i = 0; j && i < j->agenda().count(); ++i) s += letter(j->agenda().get(i)->statusCode());
    return s;
  }
  std::string subjobs(int id) {
    std::unique_ptr<ZxJob> j = job(id);
    std::string s;
    for (int i = 0; j && i < j->subjobs().count(); ++i) s += letter(j->subjobs().get(i)->statusCode());
    return s;
  }
  int status(int id) {
    std::unique_ptr<ZxJob> j = job(id);
    return j ? j->status().code() : -1;
  }

  // Runs a command (its ids from texts "12", "12.3", "12.*"; work ids
  // "12:name" or "12#number"); the result record.
  ZxResult command(int code, std::vector<std::string> ids, ZxCommand* cmd = nullptr,
                   const char* user = "alice") {
    std::unique_ptr<ZxCommand> own(cmd ? cmd : new ZxCommand);
    own->setAction(code);
    own->setRestrictions(false);
    for (const std::string& t : ids) {
      const size_t colon = t.find(':'), hash = t.find('#');
      if (colon != std::string::npos) {
        own->workIdList().append(new ZxWorkId(ZxString(t.c_str())));
      } else if (hash != std::string::npos) {
        ZxWorkId* w = new ZxWorkId(std::stoi(t.substr(0, hash)));
        w->setWorkId(std::stoi(t.substr(hash + 1)));
        own->workIdList().append(w);
      } else {
        own->jobIdList().append(new ZxJobId(ZxString(t.c_str())));
      }
    }
    ZxMessage reply;
    ask(code, own.get(), reply, user);
    EXPECT_EQ(reply.tag(), zxsup::kReplyDone);
    EXPECT_EQ(reply.version(), 530);
    EXPECT_EQ(reply.contentType(), 188);
    if (!reply.content() || reply.content()->typeId() != 188) return ZxResult();
    return *static_cast<ZxResult*>(reply.content());
  }

  void tick() {
    ZxString summary;
    handler->tick(summary);
  }

  zxsup::SqliteStore store;
  zxsup::HandlerSettings settings;
  std::unique_ptr<zxsup::Handler> handler;
  int64_t now = kT0;
};

std::vector<std::string> affected(const ZxResult& r) {
  std::vector<std::string> ids;
  for (int i = 0; i < r.jobIdList().count(); ++i) ids.push_back(str(r.jobIdList().get(i)->idText()));
  for (int i = 0; i < r.workIdList().count(); ++i) ids.push_back(str(r.workIdList().get(i)->idText()));
  return ids;
}

// "code: id id" per fault.
std::vector<std::string> faults(const ZxResult& r) {
  std::vector<std::string> out;
  for (int i = 0; i < r.faultList().count(); ++i) {
    const ZxFault* f = r.faultList().get(i);
    std::string s = std::to_string(f->error().code()) + ":";
    for (int k = 0; k < f->jobIdList().count(); ++k) s += " " + str(f->jobIdList().get(k)->idText());
    for (int k = 0; k < f->workIdList().count(); ++k) s += " " + str(f->workIdList().get(k)->idText());
    out.push_back(s);
  }
  return out;
}

int refusalCode(const ZxMessage& reply) {
  if (reply.tag() != zxsup::kReplyRefused || !reply.content() || reply.content()->typeId() != 175) return -1;
  return static_cast<ZxErr*>(reply.content())->code();
}

// ---- submit -------------------------------------------------------------------------------------

TEST(SupervisorSubmit, NumbersParentsBeforeChildrenAndAdmitsEveryJob) {
  Supe s;
  ZxJob* parent = zxsup::makeJob("parent", 3, 2);
  parent->setUser("mallory");  // the message says who submits
  parent->children().append(zxsup::makeJob("child", 1));
  ZxJob* second = zxsup::makeJob("second", 0);
  second->setPid(12);  // submitted from inside job 12
  second->setPgrp(12);
  ZxJobList* list = new ZxJobList;
  list->append(parent);
  list->append(second);
  ZxMessage reply;
  s.ask(200, list, reply);
  ASSERT_EQ(reply.tag(), zxsup::kReplyDone);
  EXPECT_EQ(reply.version(), 530);
  ASSERT_EQ(reply.contentType(), 5);
  const ZxJobList& accepted = *static_cast<ZxJobList*>(reply.content());
  ASSERT_EQ(accepted.count(), 2);
  const ZxJob& p = *accepted.get(0);
  EXPECT_EQ(p.id(), 1);
  EXPECT_EQ(p.children().get(0)->id(), 2);
  EXPECT_EQ(accepted.get(1)->id(), 3);

  struct Case {
    int id;
    const char* name;
    int pid, pgrp, items, cpus;
  } cases[] = {{1, "parent", -1, 1, 3, 2}, {2, "child", 1, 1, 1, 1}, {3, "second", 12, 12, 0, 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::unique_ptr<ZxJob> j = s.job(c.id);
    ASSERT_TRUE(j);
    EXPECT_EQ(str(j->name()), c.name);
    EXPECT_EQ(j->pid(), c.pid);
    EXPECT_EQ(j->pgrp(), c.pgrp);
    EXPECT_EQ(str(j->user()), "alice");
    EXPECT_EQ(str(j->domain()), "studio");
    EXPECT_EQ(j->timeSubmit().toUnix(), kT0);
    EXPECT_EQ(j->status().code(), StatusCode::kPending);
    EXPECT_EQ(j->children().count(), 0);
    EXPECT_EQ(j->todo(), c.items);
    EXPECT_EQ(j->todoTally().count(StatusCode::kPending), c.items);
    EXPECT_EQ(j->cpusTally().count(StatusCode::kPending), c.cpus);
    ASSERT_EQ(j->subjobs().count(), c.cpus);
    for (int i = 0; i < c.cpus; ++i) {
      EXPECT_EQ(j->subjobs().get(i)->id(), i);
      EXPECT_EQ(j->subjobs().get(i)->pid(), c.id);
    }
    for (int i = 0; i < c.items; ++i) {
      const ZxWork* w = j->agenda().get(i);
      EXPECT_EQ(w->id(), i);
      EXPECT_EQ(w->pid(), c.id);
      EXPECT_EQ(w->subId(), -1);
      EXPECT_EQ(w->statusCode(), StatusCode::kPending);
    }
  }
  EXPECT_EQ(s.submitOne(0), 4);
}

TEST(SupervisorSubmit, HeldSubmissionsStayHeld) {
  Supe s;
  ZxJob* held = zxsup::makeJob("held", 2);
  held->status().setCode(StatusCode::kBlocked);
  ZxJob* heldWork = zxsup::makeJob("held work", 2);
  heldWork->agendaStatus().setCode(StatusCode::kBlocked);
  ZxJob* odd = zxsup::makeJob("odd", 0);
  odd->status().setCode(StatusCode::kComplete);  // a status a new job cannot have
  EXPECT_EQ(s.submit({held, heldWork, odd}), (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(s.status(1), StatusCode::kBlocked);
  EXPECT_EQ(s.items(1), "PP");
  EXPECT_EQ(s.items(2), "BB");
  EXPECT_EQ(s.status(3), StatusCode::kPending);
}

TEST(SupervisorSubmit, Refusals) {
  struct Case {
    const char* what;
    int content;  // 0 none, 1 an empty list, 2 a query, 3 one job
    const char* user;
    int flags, cpus, code;
  } cases[] = {
      {"no content", 0, "alice", 0, 1, 3055},
      {"not a job list", 2, "alice", 0, 1, 3055},
      {"an empty list", 1, "alice", 0, 1, 3056},
      {"no user", 3, "", 0, 1, 3058},
      {"elite from a user", 3, "alice", JobFlag::kElite, 1, 3064},
      {"too many cpus", 3, "alice", 0, zxsup::kMaxCpus + 1, 3060},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Supe s;
    std::unique_ptr<ZxPack> content;
    if (c.content == 1) content.reset(new ZxJobList);
    if (c.content == 2) content.reset(new ZxQuery);
    if (c.content == 3) {
      ZxJobList* list = new ZxJobList;
      ZxJob* j = zxsup::makeJob("j", 1, c.cpus);
      j->setFlags(c.flags);
      list->append(j);
      content.reset(list);
    }
    ZxMessage reply;
    s.ask(200, content.get(), reply, c.user);
    EXPECT_EQ(refusalCode(reply), c.code);
    EXPECT_EQ(s.store.jobCount(), 0);
    EXPECT_EQ(s.store.nextId(), 1);
  }
  // An administrator may submit elite jobs.
  Supe s;
  ZxJob* elite = zxsup::makeJob("elite", 0);
  elite->setFlags(JobFlag::kElite);
  EXPECT_EQ(s.submit({elite}, "root"), std::vector<int>{1});
}

// ---- query ---------------------------------------------------------------------------------------

TEST(SupervisorQuery, PartsAndSubjobsNamedById) {
  Supe s;
  s.submitOne(2, 3);
  s.submitOne(1, 1);
  struct Case {
    std::vector<const char*> fields;
    const char* id;  // one value, as a job listing sends it ("" for no filter)
    std::vector<int> ids;
    int subjobs, items;  // of the first job answered
  } cases[] = {
      {{}, "", {1, 2}, 0, 0},
      {{"subjobs"}, "", {1, 2}, 3, 0},
      {{"agenda"}, "", {1, 2}, 0, 2},
      {{"work"}, "1", {1}, 0, 2},
      {{"*"}, "1", {1}, 3, 2},
      {{"all", "nonsense"}, "1", {1}, 3, 2},
      {{"subjobs"}, "1.2", {1}, 1, 0},
      {{"subjobs"}, "1.2,1", {1}, 3, 0},
      {{"subjobs"}, "2,1.0", {1, 2}, 1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.fields.size() << " fields, id " << c.id);
    ZxQuery q;
    for (const char* f : c.fields) q.fieldList().append(new ZxField(ZxString(f), 0));
    if (*c.id) {
      ZxFilter* f = new ZxFilter(ZxString("id"));
      f->fields().append(new ZxField(ZxString(c.id), 0));
      q.filterList().append(f);
    }
    ZxMessage reply;
    s.ask(100, &q, reply);
    ASSERT_EQ(reply.tag(), zxsup::kReplyDone);
    ASSERT_EQ(reply.contentType(), 5);
    const ZxJobList& jobs = *static_cast<ZxJobList*>(reply.content());
    std::vector<int> ids;
    for (int i = 0; i < jobs.count(); ++i) ids.push_back(jobs.get(i)->id());
    EXPECT_EQ(ids, c.ids);
    ASSERT_GT(jobs.count(), 0);
    EXPECT_EQ(jobs.get(0)->subjobs().count(), c.subjobs);
    EXPECT_EQ(jobs.get(0)->agenda().count(), c.items);
    EXPECT_EQ(jobs.get(0)->todo(), 2) << "the counts travel without the parts";
    if (std::string(c.id) == "1.2") {
      EXPECT_EQ(jobs.get(0)->subjobs().get(0)->id(), 2);
    }
  }
}

TEST(SupervisorQuery, Refusals) {
  Supe s;
  ZxQuery bad;
  bad.filterList().append(makeFilter("colour", "red"));
  ZxMessage reply;
  s.ask(100, &bad, reply);
  ASSERT_EQ(refusalCode(reply), ZxErr::kFreeText);
  EXPECT_EQ(str(static_cast<ZxErr*>(reply.content())->message()), "unknown filter: colour");
  ZxMessage none;
  s.ask(100, nullptr, none);
  EXPECT_EQ(refusalCode(none), 3055);
  ZxJobList wrong;
  ZxMessage wrongReply;
  s.ask(100, &wrong, wrongReply);
  EXPECT_EQ(refusalCode(wrongReply), 3055);
}

// ---- job commands --------------------------------------------------------------------------------

// Brings job 1 (three items, one instance) into a starting state.
void prepare(Supe& s, const std::string& state) {
  s.submitOne(3);
  if (state == "pending") return;
  s.tick();  // one item runs
  if (state == "running") return;
  if (state == "blocked") {
    s.command(210, {"1"});
  } else if (state == "suspended") {
    s.command(216, {"1"});
  } else if (state == "complete") {
    s.command(614, {"1"});
  } else if (state == "killed") {
    s.command(207, {"1"});
  } else if (state == "failed") {
    s.command(226, {"1"});
  } else {
    ADD_FAILURE() << "no state " << state;
  }
}

TEST(SupervisorCommands, WhatEachCommandDoesToAWholeJob) {
  struct Case {
    const char* from;
    int code;
    bool affected;
    int status;         // -1: the job is gone
    const char* items;  // the work items afterwards
  } cases[] = {
      {"pending", 207, true, StatusCode::kKilled, "KKK"},
      {"running", 207, true, StatusCode::kKilled, "KKK"},
      {"complete", 207, false, StatusCode::kComplete, "CCC"},
      {"running", 226, true, StatusCode::kFailed, "FFF"},
      {"running", 208, true, StatusCode::kPending, "PPP"},
      {"running", 209, true, StatusCode::kPending, "PPP"},
      {"running", 224, true, StatusCode::kPending, "PPP"},
      {"complete", 208, false, StatusCode::kComplete, "CCC"},
      {"running", 210, true, StatusCode::kBlocked, "RPP"},
      {"blocked", 210, false, StatusCode::kBlocked, "RPP"},
      {"blocked", 215, true, StatusCode::kRunning, "RPP"},
      {"pending", 215, false, StatusCode::kPending, "PPP"},
      {"running", 216, true, StatusCode::kSuspended, "SPP"},
      {"suspended", 216, false, StatusCode::kSuspended, "SPP"},
      {"suspended", 217, true, StatusCode::kPending, "PPP"},
      {"running", 217, false, StatusCode::kRunning, "RPP"},
      {"killed", 219, true, StatusCode::kPending, "PPP"},
      {"complete", 219, true, StatusCode::kPending, "PPP"},
      {"running", 221, true, StatusCode::kPending, "PPP"},
      {"running", 231, true, StatusCode::kPending, "PPP"},
      {"killed", 220, true, StatusCode::kPending, "PPP"},
      {"failed", 220, true, StatusCode::kPending, "PPP"},
      {"complete", 220, false, StatusCode::kComplete, "CCC"},
      {"running", 227, true, StatusCode::kRunning, "RKK"},
      {"complete", 227, false, StatusCode::kComplete, "CCC"},
      {"running", 201, true, -1, ""},
      {"complete", 201, true, -1, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.code << " on a " << c.from << " job");
    Supe s;
    prepare(s, c.from);
    const ZxResult r = s.command(c.code, {"1"});
    EXPECT_EQ(affected(r), c.affected ? std::vector<std::string>{"1"} : std::vector<std::string>{});
    EXPECT_TRUE(faults(r).empty());
    EXPECT_EQ(r.error().code(), 0);
    EXPECT_EQ(s.status(1), c.status);
    EXPECT_EQ(s.items(1), c.items);
  }
}

TEST(SupervisorCommands, EndedJobsAreStampedAndRestartedOnesCleared) {
  Supe s;
  prepare(s, "running");
  s.now = kT0 + 5;
  s.command(207, {"1"});
  std::unique_ptr<ZxJob> killed = s.job(1);
  EXPECT_EQ(killed->timeComplete().toUnix(), kT0 + 5);
  EXPECT_EQ(killed->timeStart().toUnix(), kT0);
  EXPECT_EQ(killed->todoTally().count(StatusCode::kKilled), 3);
  EXPECT_EQ(s.subjobs(1), "K");
  s.command(220, {"1"});
  std::unique_ptr<ZxJob> retried = s.job(1);
  EXPECT_FALSE(retried->timeComplete().isSet());
  EXPECT_EQ(retried->agenda().get(0)->retry(), 1);
  EXPECT_EQ(s.subjobs(1), "P") << "the instances come back with the work";
  s.tick();
  EXPECT_EQ(s.status(1), StatusCode::kRunning);
}

TEST(SupervisorCommands, SubjobTargets) {
  Supe s;
  s.submitOne(4, 2);
  s.tick();  // items 0 and 1 run on subjobs 0 and 1
  EXPECT_EQ(s.items(1), "RRPP");
  ZxResult r = s.command(207, {"1.1"});
  EXPECT_EQ(affected(r), std::vector<std::string>{"1.1"});
  EXPECT_EQ(s.subjobs(1), "RK");
  EXPECT_EQ(s.items(1), "RPPP") << "the killed instance's work waits again";
  EXPECT_EQ(s.status(1), StatusCode::kRunning);
  s.now += 10;
  s.tick();
  EXPECT_EQ(s.items(1), "CRPP") << "only the live instance takes work";

  r = s.command(216, {"1.*"});
  EXPECT_EQ(affected(r), std::vector<std::string>{"1.0"}) << "the killed one cannot be suspended";
  EXPECT_EQ(s.items(1), "CSPP");
  r = s.command(217, {"1.0"});
  EXPECT_EQ(affected(r), std::vector<std::string>{"1.0"});
  EXPECT_EQ(s.items(1), "CPPP");
  r = s.command(220, {"1.1", "1.9"});
  EXPECT_EQ(affected(r), std::vector<std::string>{"1.1"});
  EXPECT_EQ(faults(r), std::vector<std::string>{"3063: 1.9"});
  EXPECT_EQ(s.subjobs(1), "PP");
}

TEST(SupervisorCommands, WorkTargets) {
  Supe s;
  s.submitOne(3);  // items named "1", "2", "3", numbered 0 to 2
  s.tick();
  struct Step {
    int code;
    std::vector<std::string> targets;
    std::vector<std::string> affected;
    const char* items;
  } steps[] = {
      {605, {"1:2"}, {"1:2"}, "RKP"}, {604, {"1:2"}, {"1:2"}, "RPP"},
      {608, {"1#2"}, {"1:3"}, "RPB"}, {610, {"1:3"}, {"1:3"}, "RPP"},
      {606, {"1:1"}, {"1:1"}, "PPP"}, {611, {"1:1", "1:2"}, {"1:1", "1:2"}, "SSP"},
      {612, {"1:1"}, {"1:1"}, "PSP"}, {615, {"1"}, {"1:1", "1:2", "1:3"}, "KKK"},
      {613, {"1:3"}, {"1:3"}, "KKP"}, {614, {"1"}, {"1:3"}, "KKC"},
  };
  for (const Step& st : steps) {
    SCOPED_TRACE(st.code);
    const ZxResult r = s.command(st.code, st.targets);
    EXPECT_EQ(affected(r), st.affected);
    EXPECT_EQ(s.items(1), st.items);
  }
  EXPECT_EQ(s.status(1), StatusCode::kKilled);
  const ZxResult r = s.command(605, {"1:nope", "1#7", "9:1"});
  EXPECT_TRUE(affected(r).empty());
  EXPECT_EQ(faults(r), std::vector<std::string>{"3063: 1:nope 1 9:1"});
}

TEST(SupervisorCommands, FaultsAndErrors) {
  Supe s;
  s.submitOne(1);                                 // alice's job 1
  s.submit({zxsup::makeJob("bob's", 1)}, "bob");  // bob's job 2
  ZxResult r = s.command(207, {"7", "1", "8"});
  EXPECT_EQ(affected(r), std::vector<std::string>{"1"});
  EXPECT_EQ(faults(r), std::vector<std::string>{"3063: 7 8"});

  // Restrictions keep a user to her own jobs; an administrator has none.
  ZxCommand* own = new ZxCommand;
  own->setRestrictions(true);
  ZxMessage reply;
  own->jobIdList().append(new ZxJobId(2));
  own->setAction(216);
  s.ask(216, own, reply, "alice");
  ASSERT_EQ(reply.contentType(), 188);
  r = *static_cast<ZxResult*>(reply.content());
  EXPECT_TRUE(affected(r).empty());
  EXPECT_EQ(faults(r), std::vector<std::string>{"2054: 2"});
  ZxMessage adminReply;
  s.ask(216, own, adminReply, "root");
  EXPECT_EQ(affected(*static_cast<ZxResult*>(adminReply.content())), std::vector<std::string>{"2"});
  delete own;

  EXPECT_EQ(faults(s.command(225, {"2"})), std::vector<std::string>{"3061: 2"});
  EXPECT_EQ(faults(s.command(201, {"2.0"})), std::vector<std::string>{"100000: 2"});
  EXPECT_EQ(s.status(2), StatusCode::kSuspended) << "a subjob id removes nothing";

  struct Case {
    const char* what;
    int code;
    ZxCommand* record;
    int error;
  } cases[] = {
      {"no such command", 212, new ZxCommand, 3055},
      {"modify work", 609, new ZxCommand, 3055},
      {"callbacks", 802, new ZxCommand, 3055},
      {"modify without a modify record", 211, new ZxCommand, 3055},
      {"bump without a bump record", 223, new ZxCommand, 3055},
      {"nothing named", 207, new ZxCommand, 3063},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    r = s.command(c.code, c.code == 207 ? std::vector<std::string>{} : std::vector<std::string>{"1"},
                  c.record);
    EXPECT_EQ(r.error().code(), c.error);
    EXPECT_TRUE(affected(r).empty());
  }
  ZxCommand* unknownFilter = new ZxCommand;
  unknownFilter->filterList().append(makeFilter("colour", "red"));
  r = s.command(207, {"1"}, unknownFilter);
  EXPECT_EQ(r.error().code(), ZxErr::kFreeText);
  EXPECT_EQ(str(r.error().message()), "unknown filter: colour");
  EXPECT_EQ(s.status(1), StatusCode::kKilled);
}

TEST(SupervisorCommands, FiltersNarrowAndLimitCaps) {
  Supe s;
  for (int i = 0; i < 4; ++i) s.submitOne(1);
  s.command(216, {"2"});  // suspended
  s.command(210, {"3"});  // blocked
  // Ids and filters together: only the named jobs that pass.
  ZxCommand* pendingOnly = new ZxCommand;
  pendingOnly->filterList().append(makeFilter("status", "pending"));
  EXPECT_EQ(affected(s.command(210, {"1", "2"}, pendingOnly)), std::vector<std::string>{"1"});
  // Filters alone pick the jobs.
  ZxCommand* held = new ZxCommand;
  held->filterList().append(makeFilter("status", "blocked,suspended"));
  EXPECT_EQ(affected(s.command(207, {}, held)), (std::vector<std::string>{"1", "2", "3"}));
  // The limit caps what is acted on.
  ZxCommand* limited = new ZxCommand;
  limited->setLimit(1);
  EXPECT_EQ(affected(s.command(219, {"3", "2", "4"}, limited)), std::vector<std::string>{"2"});
}

TEST(SupervisorCommands, ModifyFieldByField) {
  Supe s;
  s.submitOne(3, 1);
  s.tick();
  ZxModifyCommand* m = new ZxModifyCommand;
  m->job().setPriority(10);
  m->job().setName("renamed");
  m->job().setNotes("not named, not changed");
  m->job().setCpus(3);
  for (const char* f : {"priority", "name", "cpus"}) m->fields().append(new ZxField(ZxString(f), 0));
  EXPECT_EQ(affected(s.command(211, {"1"}, m)), std::vector<std::string>{"1"});
  std::unique_ptr<ZxJob> j = s.job(1);
  EXPECT_EQ(j->priority(), 10);
  EXPECT_EQ(str(j->name()), "renamed");
  EXPECT_EQ(str(j->notes()), "");
  EXPECT_EQ(s.subjobs(1), "RPP");
  s.tick();
  EXPECT_EQ(s.items(1), "RRR") << "the new instances take work";

  // Fewer instances: the ones removed give their work back.
  ZxModifyCommand* fewer = new ZxModifyCommand;
  fewer->job().setCpus(1);
  fewer->fields().append(new ZxField(ZxString("cpus"), 0));
  s.command(211, {"1"}, fewer);
  EXPECT_EQ(s.subjobs(1), "R");
  EXPECT_EQ(s.items(1), "RPP");

  // An out-of-range value changes nothing of that job.
  ZxModifyCommand* tooMany = new ZxModifyCommand;
  tooMany->job().setCpus(zxsup::kMaxCpus + 1);
  tooMany->job().setPriority(99);
  tooMany->fields().append(new ZxField(ZxString("priority"), 0));
  tooMany->fields().append(new ZxField(ZxString("cpus"), 0));
  ZxResult r = s.command(211, {"1"}, tooMany);
  EXPECT_TRUE(affected(r).empty());
  EXPECT_EQ(faults(r), std::vector<std::string>{"100000: 1"});
  EXPECT_EQ(s.job(1)->priority(), 10);

  // An unknown field refuses the whole request.
  ZxModifyCommand* unknown = new ZxModifyCommand;
  unknown->job().setPriority(1);
  unknown->fields().append(new ZxField(ZxString("priority"), 0));
  unknown->fields().append(new ZxField(ZxString("colour"), 0));
  r = s.command(211, {"1"}, unknown);
  EXPECT_EQ(str(r.error().message()), "unknown job field to modify: colour");
  EXPECT_EQ(s.job(1)->priority(), 10);
}

TEST(SupervisorCommands, Bump) {
  Supe s;
  s.submitOne(0);  // priority -1: none
  struct Step {
    int direction, diff, priority;
  } steps[] = {{1, 0, 1}, {1, 5, 6}, {2, 2, 4}, {2, 10, 0}};
  for (const Step& st : steps) {
    SCOPED_TRACE(testing::Message() << st.direction << " by " << st.diff);
    ZxBumpCommand* b = new ZxBumpCommand;
    b->setDirection(st.direction);
    b->setDiff(st.diff);
    EXPECT_EQ(affected(s.command(223, {"1"}, b)), std::vector<std::string>{"1"});
    EXPECT_EQ(s.job(1)->priority(), st.priority);
  }
  ZxBumpCommand* sideways = new ZxBumpCommand;
  sideways->setDirection(3);
  EXPECT_EQ(s.command(223, {"1"}, sideways).error().code(), ZxErr::kFreeText);
}

// ---- time, discovery, unknown requests ---------------------------------------------------------------

TEST(SupervisorRequests, TimeDiscoveryAndUnknownTags) {
  Supe s(-1, "studio");
  ZxMessage time;
  s.ask(107, nullptr, time);
  ASSERT_EQ(time.contentType(), 33);
  EXPECT_EQ(static_cast<ZxTime*>(time.content())->toUnix(), kT0);

  ZxMessage found;
  s.ask(401, nullptr, found);
  EXPECT_EQ(found.tag(), zxsup::kReplyDone);
  EXPECT_EQ(str(found.zexaDomain()), "studio");

  struct Case {
    const char* serves;
    const char* asked;
    bool answers;
  } cases[] = {
      {"studio", "", true}, {"studio", "studio", true}, {"studio", "other", false}, {"", "other", true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.serves) + " asked for " + c.asked);
    Supe d(-1, c.serves);
    ZxMessage request(401);
    request.setZexaDomain(c.asked);
    EXPECT_EQ(d.handler->servesDomainOf(request), c.answers);
  }

  for (int tag : {0, 5, 7, 150, 300}) {
    SCOPED_TRACE(tag);
    ZxMessage reply;
    s.ask(tag, nullptr, reply);
    EXPECT_EQ(refusalCode(reply), 3055);
  }
}

// ---- the simulation ---------------------------------------------------------------------------------

TEST(SupervisorSimulation, WorkRunsOnTheInstancesAndCompletes) {
  Supe s;  // ten seconds per item
  s.submitOne(3, 2);
  s.submitOne(0, 1);
  struct Step {
    int64_t at;
    const char* items;
    int status1, status2;
  } steps[] = {
      {0, "RRP", StatusCode::kRunning, StatusCode::kRunning},
      {9, "RRP", StatusCode::kRunning, StatusCode::kRunning},
      {10, "CCR", StatusCode::kRunning, StatusCode::kComplete},
      {19, "CCR", StatusCode::kRunning, StatusCode::kComplete},
      {20, "CCC", StatusCode::kComplete, StatusCode::kComplete},
  };
  for (const Step& st : steps) {
    SCOPED_TRACE(st.at);
    s.now = kT0 + st.at;
    s.tick();
    EXPECT_EQ(s.items(1), st.items);
    EXPECT_EQ(s.status(1), st.status1);
    EXPECT_EQ(s.status(2), st.status2);
  }
  std::unique_ptr<ZxJob> done = s.job(1);
  EXPECT_EQ(done->timeStart().toUnix(), kT0);
  EXPECT_EQ(done->timeComplete().toUnix(), kT0 + 20);
  EXPECT_EQ(done->agenda().get(2)->subId(), 0);
  EXPECT_EQ(str(done->agenda().get(2)->host()), zxsup::kSimulatedHost);
  EXPECT_EQ(done->agenda().get(2)->percent(), 100);
  EXPECT_EQ(s.subjobs(1), "CC");
  EXPECT_EQ(done->todoTally().count(StatusCode::kComplete), 3);
  ZxString error;
  EXPECT_FALSE(s.store.anyDue(kT0 + 1000, error)) << "finished jobs are never due";
}

TEST(SupervisorSimulation, HeldJobs) {
  Supe s;
  s.submitOne(2);
  s.submitOne(2);
  s.tick();
  s.command(216, {"1"});  // suspended: nothing moves
  s.command(210, {"2"});  // blocked: running work finishes, nothing starts
  s.now += 30;
  s.tick();
  EXPECT_EQ(s.items(1), "SP");
  EXPECT_EQ(s.items(2), "CP");
  EXPECT_EQ(s.status(2), StatusCode::kBlocked);
  s.command(217, {"1"});
  s.command(215, {"2"});
  s.tick();
  EXPECT_EQ(s.items(1), "RP");
  EXPECT_EQ(s.items(2), "CR");
}

TEST(SupervisorSimulation, OffMeansNothingMoves) {
  Supe s(-1);
  s.submitOne(2);
  s.now += 100;
  ZxString summary;
  EXPECT_FALSE(s.handler->tick(summary));
  EXPECT_EQ(s.items(1), "PP");
}

// ---- requests as bytes ---------------------------------------------------------------------------------

TEST(SupervisorBytes, EveryPrefixOfARequestIsAnswered) {
  Supe s;
  ZxMessage request(200);
  request.setUser("alice");
  ZxJobList* list = new ZxJobList;
  list->append(zxsup::makeJob("bytes", 2));
  request.setContent(list);
  const int n = request.pack();
  ASSERT_GT(n, 0);
  const std::string bytes(request.buffer(), static_cast<size_t>(n));
  int accepted = 0;
  for (size_t cut = 0; cut <= bytes.size(); ++cut) {
    SCOPED_TRACE(cut);
    ZxByteBuffer out;
    ZxString summary;
    ASSERT_TRUE(s.handler->handleBytes(bytes.data(), cut, out, summary));
    ZxMessage reply;
    ASSERT_EQ(reply.unpack(out.data(), static_cast<int>(out.size())), ZxPack::kOk);
    ASSERT_TRUE(reply.tag() == zxsup::kReplyDone || reply.tag() == zxsup::kReplyRefused) << reply.tag();
    if (reply.tag() == zxsup::kReplyDone) ++accepted;
    EXPECT_FALSE(summary.isEmpty());
  }
  EXPECT_GE(accepted, 1) << "the whole request is accepted";
  EXPECT_EQ(s.store.jobCount(), accepted) << "one job per accepted answer, none for a refusal";

  ZxByteBuffer out;
  ZxString summary;
  ASSERT_TRUE(s.handler->handleBytes("garbage", 7, out, summary));
  ZxMessage reply;
  reply.unpack(out.data(), static_cast<int>(out.size()));
  EXPECT_EQ(refusalCode(reply), 3055);
  EXPECT_EQ(str(summary), "refused: the request does not decode");
}

}  // namespace
