// Tests of submission: the completion of every job (template path, parent
// job, zx.conf and job type defaults with their precedence, callbacks,
// environment and drive rules, children first) and submit() against a
// scripted supervisor (accepted jobs, refusals and malformed answers with
// the last error each leaves).
#include "client/zx_submit.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "client/zx_job_completion.h"
#include "client/zx_last_error.h"
#include "model/zx_err.h"
#include "model/zx_error_record.h"
#include "model/zx_flags.h"
#include "model/zx_job_id_list.h"
#include "net/zx_client_fixture.h"
#include "net/zx_scripted_supervisor.h"

namespace {

using zxtest::ScriptedSupervisor;
using zxtest::str;

class SubmitTest : public zxtest::ClientTest {
 protected:
  // A job type folder `name` under types/ holding `conf` as its job.conf;
  // ZXPATH points at types/.
  void jobType(const std::string& name, const std::string& conf) {
    tmp_.mkdir("types");
    tmp_.mkdir("types/" + name);
    tmp_.write("types/" + name + "/job.conf", conf);
    env_.set("ZXPATH", tmp_.file("types"));
  }

  std::string variable(const ZxJob& job, const std::string& name) {
    const ZxEnv& env = job.env();
    for (int i = 0; i < env.keys().count(); ++i)
      if (str(*env.keys().get(i)) == name) return str(*env.values().get(i));
    return "<unset>";
  }
};

TEST_F(SubmitTest, TheTemplatePathComesFromZxpathAndTheUserFile) {
  struct Case {
    const char* name;
    const char* zxpath;    // null: unset
    const char* userFile;  // null: no ~/.zx.conf
    const char* expected;
  };
  const Case cases[] = {
      {"variable only", "/p", nullptr, "/p"},
      {"both", "/p", "template_path = /t\n", "/p:/t"},
      {"file only", nullptr, "template_path = /t\n", ":/t"},
      {"file without the key", "/p", "other = 1\n", "/p:"},
      {"neither", nullptr, nullptr, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.zxpath)
      env_.set("ZXPATH", c.zxpath);
    else
      env_.unset("ZXPATH");
    ::unlink((home_ + "/.zx.conf").c_str());
    if (c.userFile) tmp_.write("home/.zx.conf", c.userFile);
    EXPECT_EQ(str(submitTemplatePath(ZxEnvSnapshot())), c.expected);
    writeConf(1);
    ZxJob job;
    completeJob(job, submitTemplatePath(ZxEnvSnapshot()));
    EXPECT_EQ(str(job.path()), c.expected);
  }
}

TEST_F(SubmitTest, ACallersValueBeatsZxConfWhichBeatsTheJobType) {
  jobType("render",
          "job_account = typeacct\njob_priority = 30\njob_cluster = /type\njob_requirements = req\n"
          "job_restrictions = /typerestr\njob_reservations = res\njob_kind = kindt\njob_label = lab\n"
          "job_hosts = h1\njob_groups = g1\njob_flags = \"elite\"\njob_cpus = 4\njob_name = typename\n");
  writeConf(1,
            "client_account = confacct\nclient_priority = 80\nclient_cluster = /conf\n"
            "client_mail_address = a@b\nclient_job_flags = 0\n");
  struct Case {
    const char* name;
    std::function<void(ZxJob&)> setUp;
    std::function<void(const ZxJob&)> check;
  };
  const std::vector<Case> cases = {
      {"an empty job takes zx.conf first, then the type", [](ZxJob& j) { j.setPrototype("render"); },
       [](const ZxJob& j) {
         EXPECT_EQ(str(j.account()), "confacct");
         EXPECT_EQ(j.priority(), 80);
         EXPECT_EQ(str(j.cluster()), "/conf");
         EXPECT_EQ(str(j.mailAddress()), "a@b");
         EXPECT_EQ(str(j.restrictions()), "/typerestr");
         EXPECT_EQ(str(j.requirements()), "req");
         EXPECT_EQ(str(j.reservations()), "res");
         EXPECT_EQ(str(j.kind()), "kindt");
         EXPECT_EQ(str(j.label()), "lab");
         EXPECT_EQ(str(j.hosts()), "h1");
         EXPECT_EQ(str(j.groups()), "g1");
         EXPECT_EQ(str(j.name()), "typename");
         EXPECT_EQ(j.flags(), JobFlag::kElite);
       }},
      {"the caller's values stay",
       [](ZxJob& j) {
         j.setPrototype("render");
         j.setPriority(5);
         j.setAccount("mine");
         j.setName("myjob");
         j.setKind("k");
       },
       [](const ZxJob& j) {
         EXPECT_EQ(j.priority(), 5);
         EXPECT_EQ(str(j.account()), "mine");
         EXPECT_EQ(str(j.name()), "myjob");
         EXPECT_EQ(str(j.kind()), "k");
       }},
      {"an unknown type leaves zx.conf alone", [](ZxJob& j) { j.setPrototype("nosuchtype"); },
       [](const ZxJob& j) {
         EXPECT_EQ(str(j.account()), "confacct");
         EXPECT_EQ(str(j.kind()), "");
         EXPECT_EQ(str(j.name()), "");
         EXPECT_EQ(j.flags(), 0);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ZxJob job;
    c.setUp(job);
    completeJob(job, "");
    c.check(job);
  }
}

TEST_F(SubmitTest, TheTypeGivesThePriorityWhenZxConfDoesNot) {
  jobType("render", "job_priority = 30\n");
  writeConf(1);
  ZxJob job;
  job.setPrototype("render");
  completeJob(job, "");
  EXPECT_EQ(job.priority(), 30);
}

TEST_F(SubmitTest, TheTypesCallbackLibraryIsLoaded) {
  tmp_.mkdir("types");
  tmp_.mkdir("types/render");
  tmp_.write("types/render/callbacks.conf", "[done-job-self]\nlanguage = python\ncode = \"notify()\"\n");
  tmp_.write("types/render/job.conf", "callback_library = callbacks.conf\n");
  tmp_.mkdir("types/plain");
  tmp_.write("types/plain/job.conf", "job_kind = plain\n");
  env_.set("ZXPATH", tmp_.file("types"));
  writeConf(1);
  ZxJob withLibrary;
  withLibrary.setPrototype("render");
  completeJob(withLibrary, "");
  ASSERT_EQ(withLibrary.callbacks().count(), 1);
  EXPECT_EQ(str(withLibrary.callbacks().get(0)->triggers()), "done-job-self");
  EXPECT_EQ(str(withLibrary.callbacks().get(0)->code()), "notify()");
  ZxJob without;
  without.setPrototype("plain");
  completeJob(without, "");
  EXPECT_EQ(without.callbacks().count(), 0);
}

TEST_F(SubmitTest, TheEnvironmentTravelsByTheJobFlags) {
  env_.set("ZX_TEST_MARK", "here");
  struct Case {
    const char* name;
    const char* jobFlags;  // client_job_flags
    bool variables;
  };
  const Case cases[] = {
      {"default (auto_mount)", nullptr, false},
      {"none", "0", false},
      {"export_environment", "export_environment", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string more =
        "client_drive_map = {Y:|//srv/proj\nX:|/data}\nclient_path_map = {[direct]\na = b\n}\n";
    if (c.jobFlags) more += std::string("client_job_flags = ") + c.jobFlags + "\n";
    writeConf(1, more);
    ZxJob job;
    completeJob(job, "");
    EXPECT_EQ(variable(job, "ZX_TEST_MARK"), c.variables ? "here" : "<unset>");
    EXPECT_FALSE(job.env().cwd().isEmpty());
    ASSERT_EQ(job.env().mounts().count(), 2);
    ASSERT_NE(job.env().mounts().find("Y:"), nullptr);
    EXPECT_EQ(str(*job.env().mounts().find("Y:")), "//srv/proj");
    ASSERT_NE(job.pathMap().directMap().find("a"), nullptr);
    EXPECT_EQ(str(*job.pathMap().directMap().find("a")), "b");
  }
}

TEST_F(SubmitTest, ChildrenAreCompletedFirstEachWithItsOwnReading) {
  jobType("render", "job_kind = typekind\n");
  writeConf(1, "client_account = acct\n");
  ZxJob parent;
  parent.setPrototype("render");
  ZxJob* child = new ZxJob;
  ZxJob* grandchild = new ZxJob;
  grandchild->setPrototype("render");
  child->children().append(grandchild);
  parent.children().append(child);
  completeJob(parent, "/t");
  const ZxJob* c = parent.children().get(0);
  const ZxJob* g = c->children().get(0);
  for (const ZxJob* j : {static_cast<const ZxJob*>(&parent), c, g}) {
    EXPECT_EQ(str(j->path()), "/t");
    EXPECT_EQ(str(j->account()), "acct");
  }
  EXPECT_EQ(str(parent.kind()), "typekind");
  EXPECT_EQ(str(c->kind()), "");
  EXPECT_EQ(str(g->kind()), "typekind");
}

// ---- submit against a supervisor ---------------------------------------------------

ZxJobList* acceptedList(int firstId, int n) {
  ZxJobList* list = new ZxJobList;
  for (int i = 0; i < n; ++i) {
    ZxJob* job = new ZxJob;
    job->setId(firstId + i);
    job->setName(ZxString("job").appendInt(i));
    list->append(job);
  }
  return list;
}

TEST_F(SubmitTest, AcceptedJobsComeBackWithTheirIdsInsideARunningJob) {
  ScriptedSupervisor s;
  writeConf(s.port());
  env_.set("ZX_SUPERVISOR", "127.0.0.1").set("ZXJOBID", "12").set("ZXPGRPID", "12").set("ZXPATH", "/p");
  s.add(zxtest::reply(201, acceptedList(500, 2)));
  ZxJobList jobs;
  jobs.append(new ZxJob);
  jobs.append(new ZxJob);
  jobs.get(1)->setPriority(5);
  ZxJobList accepted;
  accepted.append(new ZxJob);  // appended after what the caller holds
  ASSERT_TRUE(submit(jobs, accepted));
  ASSERT_EQ(accepted.count(), 3);
  EXPECT_EQ(accepted.get(1)->id(), 500);
  EXPECT_EQ(accepted.get(2)->id(), 501);
  EXPECT_EQ(str(accepted.get(2)->name()), "job1");

  // The caller's jobs are still there, completed, and went out as such.
  ASSERT_EQ(jobs.count(), 2);
  std::unique_ptr<ZxMessage> sent = s.received()[0].message();
  EXPECT_EQ(sent->tag(), 200);
  const ZxJobList* wire = dynamic_cast<const ZxJobList*>(sent->content());
  ASSERT_NE(wire, nullptr);
  ASSERT_EQ(wire->count(), 2);
  for (int i = 0; i < 2; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(jobs.get(i)->pid(), 12);
    EXPECT_EQ(jobs.get(i)->pgrp(), 12);
    EXPECT_EQ(wire->get(i)->pid(), 12);
    EXPECT_EQ(str(wire->get(i)->path()), "/p");
  }
  EXPECT_EQ(wire->get(1)->priority(), 5);
}

TEST_F(SubmitTest, EveryFailureLeavesItsReasonInTheLastError) {
  struct Case {
    const char* name;
    std::function<zxtest::Answer()> answer;  // null: nobody listens
    std::string message;
    int code;
  };
  const std::vector<Case> cases = {
      {"free text refusal", [] { return zxtest::reply(4, new ZxErrorRecord("queue closed")); },
       "queue closed", 100000},
      {"error record refusal", [] { return zxtest::reply(3, new ZxErr(3057)); },
       "supervisor not accepting jobs.", 3057},
      {"bare refusal", [] { return zxtest::reply(3); }, "unspecifed error", 2051},
      {"no content", [] { return zxtest::reply(201); }, "ERROR: data returned blank", 2052},
      {"declared type differs", [] { return zxtest::reply(201, acceptedList(1, 1), 530, 18); },
       "general error", 2053},
      {"not a job list", [] { return zxtest::reply(201, new ZxJobIdList); }, "general error", 2053},
      {"closed without answer", [] { return zxtest::closeAnswer(); }, "blank message", 16},
      {"nobody listens", nullptr, "unable to connect to host", 35},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::unique_ptr<ScriptedSupervisor> s;
    int port = zxtest::refusingPort();
    if (c.answer) {
      s.reset(new ScriptedSupervisor);
      s->add(c.answer());
      port = s->port();
    }
    writeConf(port);
    env_.set("ZX_SUPERVISOR", "127.0.0.1");
    lastError() = ZxErr(1);
    ZxJobList jobs;
    jobs.append(new ZxJob);
    ZxJobList accepted;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(submit(jobs, accepted));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(accepted.count(), 0);
    EXPECT_EQ(jobs.count(), 1);
    const ZxErr shown(lastError());
    EXPECT_EQ(shown.code(), c.code);
    EXPECT_EQ(str(shown.message()), c.message);
    if (c.code == 2053) {
      ASSERT_NE(shown.value("ID"), nullptr);
    }
  }
}

TEST_F(SubmitTest, EachSubmissionReadsItsJobTypesAfresh) {
  ScriptedSupervisor s;
  writeConf(s.port());
  env_.set("ZX_SUPERVISOR", "127.0.0.1");
  jobType("render", "job_kind = one\n");
  auto submitTwo = [&](const char* expected) {
    s.add(zxtest::reply(201, acceptedList(1, 2)));
    ZxJobList jobs, accepted;
    for (int i = 0; i < 2; ++i) {
      jobs.append(new ZxJob);
      jobs.get(i)->setPrototype("render");
    }
    ASSERT_TRUE(submit(jobs, accepted));
    for (int i = 0; i < 2; ++i) EXPECT_EQ(str(jobs.get(i)->kind()), expected);
  };
  submitTwo("one");
  tmp_.write("types/render/job.conf", "job_kind = two\n");
  submitTwo("two");
}

TEST_F(SubmitTest, AnEmptyListIsStillSent) {
  ScriptedSupervisor s;
  writeConf(s.port());
  env_.set("ZX_SUPERVISOR", "127.0.0.1");
  s.add(zxtest::reply(3, new ZxErr(3056)));
  ZxJobList jobs, accepted;
  EXPECT_FALSE(submit(jobs, accepted));
  EXPECT_EQ(s.count(), 1);
  EXPECT_EQ(str(ZxErr(lastError()).message()), "no jobs specifed to submit.");
}

}  // namespace
