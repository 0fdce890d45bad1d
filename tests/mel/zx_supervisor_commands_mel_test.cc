// The commands that talk to the supervisor, driven through melhost against a
// scripted supervisor on 127.0.0.1: what each command sent (the recorded
// request, decoded) and exactly what MEL got back, for zxsubmit, zxjobinfo
// and the twelve job control commands, their failure rows, and a job hash
// that travels through submit and "zxjobinfo -long" intact.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "mel/melhost_runner.h"
#include "message/zx_message.h"
#include "model/zx_command.h"
#include "model/zx_err.h"
#include "model/zx_error_record.h"
#include "model/zx_job.h"
#include "model/zx_modify_command.h"
#include "model/zx_query.h"
#include "model/zx_result.h"
#include "net/zx_client_fixture.h"
#include "net/zx_scripted_supervisor.h"
#include "os/zx_os_user.h"
#include "plugin/zx_job_hash.h"

namespace {

using meltest::MelRun;
using nlohmann::json;
using zxtest::Answer;
using zxtest::ScriptedSupervisor;
using zxtest::str;

// ---- what was sent, as text --------------------------------------------------------

std::string idText(const ZxJobId& id) {
  std::string s = std::to_string(id.id());
  if (id.subId() >= 0) s += "." + std::to_string(id.subId());
  if (id.subId() == ZxJobId::kAllSubjobs) s += ".*";
  return s;
}

std::string idsOf(const ZxJobIdList& list) {
  std::string s;
  for (int i = 0; i < list.count(); ++i) s += (i ? " " : "") + idText(*list.get(i));
  return s;
}

std::string fieldText(const ZxField& f) { return (f.sign() ? std::string(1, f.sign()) : "") + str(f.name()); }

// "user=bob; status=pending|running": each filter's name, sign and values.
std::string filtersOf(const ZxFilterList& list) {
  std::string s;
  for (int i = 0; i < list.count(); ++i) {
    const ZxFilter& f = *list.get(i);
    s += (i ? "; " : "") + std::string(f.neg() ? "!" : "") + str(f.name()) + std::string(1, f.sign());
    for (int k = 0; k < f.fields().count(); ++k) s += (k ? "|" : "") + fieldText(*f.fields().get(k));
  }
  return s;
}

std::string fieldsOf(const ZxFieldList& list) {
  std::string s;
  for (int i = 0; i < list.count(); ++i) s += (i ? " " : "") + fieldText(*list.get(i));
  return s;
}

std::string hashOf(const ZxJob& job) {
  ZxString h;
  jobToHash(&job, h);
  return str(h);
}

// A MEL string literal holding `text`.
std::string melQuoted(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + "\"";
}

// The binary form of a copy of `record`, for records without a comparison.
template <class R>
std::string packed(const R& record) {
  R copy(record);
  copy.pack();
  return std::string(copy.buffer(), static_cast<size_t>(copy.used()));
}

// ---- replies -----------------------------------------------------------------------

ZxResult* affected(std::vector<ZxJobId> ids) {
  ZxResult* r = new ZxResult;
  for (const ZxJobId& id : ids) r->jobIdList().append(new ZxJobId(id));
  return r;
}

ZxJobList* listOf(const std::vector<const ZxJob*>& jobs) {
  ZxJobList* list = new ZxJobList;
  for (const ZxJob* j : jobs) list->append(new ZxJob(*j));
  return list;
}

ZxJob job(int id, const char* name) {
  ZxJob j;
  j.setId(id);
  j.setName(name);
  j.setUser("bob");
  return j;
}

class MelSupervisorTest : public zxtest::ClientTest {
 protected:
  void serve(std::vector<Answer> answers) {
    server_.reset(new ScriptedSupervisor);
    for (Answer& a : answers) server_->add(std::move(a));
    writeConf(server_->port());
    env_.set("ZX_SUPERVISOR", "127.0.0.1");
  }
  // Connections to the configured supervisor are refused.
  void serveNobody() {
    server_.reset();
    writeConf(zxtest::refusingPort());
    env_.set("ZX_SUPERVISOR", "127.0.0.1");
  }
  static MelRun mel(const std::string& script) {
    return meltest::runMelhost({"-p", ZX_PLUGIN_PATH, "--json", "-c", script});
  }
  int requests() const { return server_ ? server_->count() : 0; }
  std::unique_ptr<ZxMessage> sent(int i) const {
    return server_->received().at(static_cast<size_t>(i)).message();
  }
  template <class T>
  static const T* contentOf(const ZxMessage& m) {
    return dynamic_cast<const T*>(m.content());
  }

  // Runs one statement that must fail and answers its JSON line.
  json failing(const std::string& statement) {
    MelRun r = mel(statement);
    std::vector<json> lines = r.json();
    EXPECT_EQ(r.status, 1) << r.out << r.err;
    if (lines.size() != 1) {
      ADD_FAILURE() << statement << "\n" << r.out << r.err;
      return json();
    }
    EXPECT_EQ(lines[0]["ok"], false);
    EXPECT_TRUE(lines[0]["result"].is_null());
    return lines[0];
  }

  std::unique_ptr<ScriptedSupervisor> server_;
};

// ---- the job control commands ------------------------------------------------------

TEST_F(MelSupervisorTest, EveryJobControlCommandSendsItsCodeAndAnswersTheAffectedIds) {
  struct Case {
    const char* command;
    int code;
  };
  const Case cases[] = {{"zxremove", 201},  {"zxkill", 207},    {"zxinterrupt", 208}, {"zxpreempt", 209},
                        {"zxblock", 210},   {"zxunblock", 215}, {"zxsuspend", 216},   {"zxresume", 217},
                        {"zxrequeue", 219}, {"zxretry", 220},   {"zxretire", 227},    {"zxmodify", 211}};
  std::vector<Answer> answers;
  std::string script;
  for (const Case& c : cases) {
    answers.push_back(zxtest::reply(230, affected({ZxJobId(12), ZxJobId(13, 2)})));
    script += std::string(c.command) + (c.code == 211 ? " \"{priority 10}\"" : "") + " 12 \"13.2\";\n";
  }
  serve(std::move(answers));
  MelRun r = mel(script);
  EXPECT_EQ(r.status, 0) << r.err;
  std::vector<json> lines = r.json();
  ASSERT_EQ(lines.size(), std::size(cases)) << r.out << r.err;
  ASSERT_EQ(requests(), static_cast<int>(std::size(cases)));
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(cases[i].command);
    EXPECT_EQ(lines[i]["command"], cases[i].command);
    EXPECT_EQ(lines[i]["result"], json({"12", "13.2"}));
    EXPECT_EQ(lines[i]["errors"], json::array());
    std::unique_ptr<ZxMessage> m = sent(static_cast<int>(i));
    EXPECT_EQ(m->tag(), cases[i].code);
    const ZxCommand* command = contentOf<ZxCommand>(*m);
    ASSERT_NE(command, nullptr);
    EXPECT_EQ(command->typeId(), cases[i].code == 211 ? 48 : 30);
    EXPECT_EQ(command->action(), cases[i].code);
    EXPECT_EQ(idsOf(command->jobIdList()), "12 13.2");
    EXPECT_EQ(filtersOf(command->filterList()), "");
    EXPECT_FALSE(command->restrictions());
  }
}

TEST_F(MelSupervisorTest, JobArgumentsBecomeIdsAndFiltersInTheirOrder) {
  struct Case {
    std::string statement;
    std::string ids;
    std::string filters;
  };
  const Case cases[] = {
      {"zxsuspend -user bob -running 12", "12", "user=bob; status=running"},
      {"zxremove 12 0 13 abc", "12", ""},
      {"zxkill \"12.\" \"12.*\" \"7.0\"", "12.0 12.0 7.0", ""},
      {"zxkill -status \"\" 12", "12", ""},
      {"zxkill -user \"a,b\" -status \">336\" 12", "12", "user=a|b; status=>336"},
      // Every text filter, in the fixed order, then the status filter: its
      // text values first, then the flags in the order complete, none,
      // pending, running.
      {"zxkill -running -cpus 4 -cluster /c -name n -user u -priority \">50\" -pgrp 2 -pid 1 "
       "-status \"pending,failed\" -none -complete 12",
       "12",
       "pid=1; pgrp=2; priority=>50; user=u; name=n; cluster=/c; cpus=4; "
       "status=pending|failed|complete|none|running"},
      {"zxkill -run --user bob 12", "12", "user=bob; status=running"},
      {"zxkill {\"12\", \"13.1\"}", "12 13.1", ""},
      // The filter alone names the jobs.
      {"zxkill -user bob 0 12", "", "user=bob"},
  };
  std::vector<Answer> answers;
  std::string script;
  for (const Case& c : cases) {
    answers.push_back(zxtest::reply(230, affected({})));
    script += c.statement + ";\n";
  }
  serve(std::move(answers));
  MelRun r = mel(script);
  EXPECT_EQ(r.status, 0) << r.err;
  std::vector<json> lines = r.json();
  ASSERT_EQ(lines.size(), std::size(cases)) << r.out << r.err;
  ASSERT_EQ(requests(), static_cast<int>(std::size(cases)));
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(cases[i].statement);
    // Nothing affected: an empty string array, not "no result".
    EXPECT_EQ(lines[i]["result"], json::array());
    std::unique_ptr<ZxMessage> m = sent(static_cast<int>(i));
    const ZxCommand* command = contentOf<ZxCommand>(*m);
    ASSERT_NE(command, nullptr);
    EXPECT_EQ(idsOf(command->jobIdList()), cases[i].ids);
    EXPECT_EQ(filtersOf(command->filterList()), cases[i].filters);
  }
}

TEST_F(MelSupervisorTest, ModifySendsTheHashFieldsAndTakesIdsFromTheSecondArgument) {
  serve({zxtest::reply(230, affected({ZxJobId(12)}))});
  MelRun r =
      mel("string $r[] = `zxmodify \"{priority 10 name new bogus 1 name newer}\" -user bob 12`;\n"
          "print (size($r) + \" \" + $r[0] + \"\\n\");");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("1 12\n"), std::string::npos) << r.out;
  ASSERT_EQ(requests(), 1);
  std::unique_ptr<ZxMessage> m = sent(0);
  EXPECT_EQ(m->tag(), 211);
  const ZxModifyCommand* modify = contentOf<ZxModifyCommand>(*m);
  ASSERT_NE(modify, nullptr);
  EXPECT_EQ(modify->job().priority(), 10);
  EXPECT_EQ(str(modify->job().name()), "newer");
  EXPECT_EQ(fieldsOf(modify->fields()), "priority name");
  EXPECT_EQ(idsOf(modify->jobIdList()), "12");
  EXPECT_EQ(filtersOf(modify->filterList()), "user=bob");
  EXPECT_FALSE(modify->restrictions());
}

TEST_F(MelSupervisorTest, JobControlFailureRows) {
  struct Case {
    std::string statement;
    std::vector<std::string> errors;
  };
  const Case refusedArguments[] = {
      {"zxremove -user bob", {"you must specify at least one jobid"}},
      {"zxmodify \"{priority 1}\"", {"you must specify at least one jobid"}},
      // Neither a job nor a condition: nothing is sent.
      {"zxkill 0 12", {"you must specify at least one jobid"}},
      {"zxkill -status \"\" 0", {"you must specify at least one jobid"}},
      {"zxkill -foo 12", {"ERROR: unknown option -foo\n"}},
      {"zxkill -p 12",
       {"ERROR: ambiguous option '-p'\n\tcould be:\n\t\t-pending\n\t\t-pid\n\t\t-pgrp\n\t\t-priority\n"}},
      {"zxkill 12 -cpus", {"'-cpus' is not a job id"}},
      {"zxkill -cpus", {"ERROR: parameter '-cpus' missing input\n"}},
      // Words that are not job ids are refused rather than read as job 0.
      {"zxkill abc", {"'abc' is not a job id"}},
      {"zxkill 12 12x", {"'12x' is not a job id"}},
      {"zxkill -4", {"'-4' is not a job id"}},
      {"zxkill \"00\"", {"'00' is not a job id"}},
      {"zxkill \"12.3x\"", {"'12.3x' is not a job id"}},
      {"zxkill \"12.-1\"", {"'12.-1' is not a job id"}},
      {"zxkill \"99999999999\"", {"'99999999999' is not a job id"}},
      {"zxkill \"\"", {"'' is not a job id"}},
  };
  serve({});
  for (const Case& c : refusedArguments) {
    SCOPED_TRACE(c.statement);
    EXPECT_EQ(failing(c.statement)["errors"], json(c.errors));
  }
  EXPECT_EQ(requests(), 0);

  serve({zxtest::reply(4, new ZxErrorRecord("not your job")), zxtest::reply(3, new ZxErr(3063))});
  EXPECT_EQ(failing("zxkill 12")["errors"], json({"couldn't obtain data from supervisor.", "not your job"}));
  EXPECT_EQ(failing("zxmodify \"{priority 1}\" 12")["errors"],
            json({"couldn't obtain data from supervisor.", "couldn't find jobs(s)."}));
  EXPECT_EQ(requests(), 2);

  serveNobody();
  EXPECT_EQ(failing("zxretry 12")["errors"],
            json({"couldn't obtain data from supervisor.", "unable to connect to host: Connection refused"}));
}

TEST_F(MelSupervisorTest, HelpAndVersionAnswerWithoutAsking) {
  serve({});
  MelRun r = mel("zxkill -help 12; zxjobinfo -version");
  EXPECT_EQ(r.status, 0) << r.err;
  std::vector<json> lines = r.json();
  ASSERT_EQ(lines.size(), 2u) << r.out << r.err;
  ASSERT_TRUE(lines[0]["result"].is_string());
  const std::string usage = lines[0]["result"];
  EXPECT_EQ(usage.rfind("usage: zxkill [options] [arguments]\n", 0), 0u) << usage;
  EXPECT_NE(usage.find("\t-priority <text>\n"), std::string::npos) << usage;
  EXPECT_EQ(lines[1]["result"], "5.4-0");
  EXPECT_EQ(requests(), 0);
  // "-help" after an error is no request for help.
  EXPECT_EQ(failing("zxkill -help -foo 12")["errors"], json({"ERROR: unknown option -foo\n"}));
}

// ---- zxjobinfo ---------------------------------------------------------------------

TEST_F(MelSupervisorTest, JobinfoQueriesAndAnswersOneHashPerJob) {
  ZxString me;
  ASSERT_TRUE(zxos::userName(me));
  const std::string self = "user=" + str(me);
  struct Case {
    std::string statement;
    std::string filters;
    std::string fields;
  };
  const Case cases[] = {
      {"zxjobinfo", self, ""},
      {"zxjobinfo -user all -running 12", "id=12; status=336", ""},
      {"zxjobinfo -p 12 \"13.1\"", "id=12,13.1; " + self + "; status=320", ""},
      {"zxjobinfo -running -pending -none -complete -user \"bob,ann\"", "user=bob|ann; status=16|0|320|336",
       ""},
      {"zxjobinfo -user \"\" -long 12", "id=12", "subjobs"},
      {"zxjobinfo -user all {\"3\", \"4\"} 5", "id=3,4,5", ""},
  };
  const ZxJob a = job(12, "first");
  ZxJob b = job(13, "second job");
  b.setData("(=(scene=/a.mb))");
  std::vector<Answer> answers;
  std::string script;
  for (const Case& c : cases) {
    answers.push_back(zxtest::reply(101, listOf({&a, &b})));
    script += c.statement + ";\n";
  }
  serve(std::move(answers));
  MelRun r = mel(script);
  EXPECT_EQ(r.status, 0) << r.err;
  std::vector<json> lines = r.json();
  ASSERT_EQ(lines.size(), std::size(cases)) << r.out << r.err;
  ASSERT_EQ(requests(), static_cast<int>(std::size(cases)));
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(cases[i].statement);
    EXPECT_EQ(lines[i]["result"], json({hashOf(a), hashOf(b)}));
    std::unique_ptr<ZxMessage> m = sent(static_cast<int>(i));
    EXPECT_EQ(m->tag(), 100);
    const ZxQuery* query = contentOf<ZxQuery>(*m);
    ASSERT_NE(query, nullptr);
    EXPECT_EQ(filtersOf(query->filterList()), cases[i].filters);
    EXPECT_EQ(fieldsOf(query->fieldList()), cases[i].fields);
  }
}

TEST_F(MelSupervisorTest, JobinfoWithNothingFoundIsAnEmptyArray) {
  serve({zxtest::reply(101, new ZxJobList)});
  MelRun r = mel("string $r[] = `zxjobinfo -user all`; print (\"found \" + size($r) + \"\\n\");");
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_NE(r.out.find("found 0\n"), std::string::npos) << r.out;
}

TEST_F(MelSupervisorTest, JobinfoFailureRows) {
  serve({zxtest::reply(4, new ZxErr(3063)), zxtest::reply(101)});
  EXPECT_EQ(failing("zxjobinfo -foo")["errors"], json({"ERROR: unknown option -foo\n"}));
  EXPECT_EQ(failing("zxjobinfo -user")["errors"], json({"ERROR: parameter '-user' missing input\n"}));
  EXPECT_EQ(requests(), 0);
  EXPECT_EQ(failing("zxjobinfo 12")["errors"],
            json({"couldn't obtain data from supervisor.", "couldn't find jobs(s)."}));
  EXPECT_EQ(failing("zxjobinfo 12")["errors"],
            json({"couldn't obtain data from supervisor.", "ERROR: data returned blank"}));
  serveNobody();
  EXPECT_EQ(failing("zxjobinfo")["errors"],
            json({"couldn't obtain data from supervisor.", "unable to connect to host: Connection refused"}));
}

// ---- zxsubmit ----------------------------------------------------------------------

TEST_F(MelSupervisorTest, SubmitSendsOneJobPerHashAndAnswersTheAcceptedJobs) {
  const ZxJob a = job(100, "a");
  const ZxJob b = job(101, "b");
  serve({zxtest::reply(201, listOf({&a, &b})), zxtest::reply(201, listOf({&a, &b, &b}))});
  MelRun r =
      mel("zxsubmit \"{name a}\" \"{name b}\";\n"
          "string $more[] = {\"{name c}\", \"{name d}\"};\n"
          "zxsubmit x $more;");
  EXPECT_EQ(r.status, 0) << r.err;
  std::vector<json> lines = r.json();
  ASSERT_EQ(lines.size(), 2u) << r.out << r.err;
  EXPECT_EQ(lines[0]["result"], json({hashOf(a), hashOf(b)}));
  EXPECT_EQ(lines[1]["result"], json({hashOf(a), hashOf(b), hashOf(b)}));
  ASSERT_EQ(requests(), 2);

  struct Sent {
    int request;
    std::vector<std::string> names;
  };
  // A text that is not a hash is a default job; an array gives one job per element.
  const Sent expected[] = {{0, {"a", "b"}}, {1, {"", "c", "d"}}};
  for (const Sent& e : expected) {
    SCOPED_TRACE(e.request);
    std::unique_ptr<ZxMessage> m = sent(e.request);
    EXPECT_EQ(m->tag(), 200);
    const ZxJobList* jobs = contentOf<ZxJobList>(*m);
    ASSERT_NE(jobs, nullptr);
    ASSERT_EQ(jobs->count(), static_cast<int>(e.names.size()));
    for (int i = 0; i < jobs->count(); ++i)
      EXPECT_EQ(str(jobs->get(i)->name()), e.names[static_cast<size_t>(i)]);
  }
}

TEST_F(MelSupervisorTest, SubmitFailureRows) {
  serve({zxtest::reply(3, new ZxErr(3057)), zxtest::reply(4, new ZxErrorRecord("queue closed"))});
  EXPECT_EQ(failing("zxsubmit")["errors"], json({"at least one job must be specified."}));
  EXPECT_EQ(requests(), 0);
  EXPECT_EQ(failing("zxsubmit \"{name a}\"")["errors"], json({"supervisor not accepting jobs."}));
  EXPECT_EQ(failing("zxsubmit \"{name a}\"")["errors"], json({"queue closed"}));
  serveNobody();
  EXPECT_EQ(failing("zxsubmit \"{name a}\"")["errors"],
            json({"unable to connect to host: Connection refused"}));
}

// A job hash with work items, callbacks and a time limit is sent field for
// field; the job the supervisor keeps (with its id, statuses and subjobs)
// comes back through zxsubmit and "zxjobinfo -long" as exactly its hash,
// and that hash reads back into the same work items.
TEST_F(MelSupervisorTest, AJobHashTravelsThroughSubmitAndJobinfo) {
  const std::string hash =
      "{name \"lighting v2\" priority 60 cpus 2 prototype cmdrange timelimit 600 package \"{scene /p/a.mb}\" "
      R"x(agenda "(\"{name 1 package \\\"{frame 1}\\\"}\" \"{name 2 package \\\"{frame 2}\\\"}\")" )x"
      R"x(callbacks "(\"{code mail triggers done-job-self language perl count 1 maximum 3}\")"})x";
  std::unique_ptr<ZxJob> built(hashToJob(hash.c_str()));
  ASSERT_EQ(built->agenda().count(), 2);
  ASSERT_EQ(built->callbacks().count(), 2);

  ZxJob kept(*built);
  kept.setId(4711);
  kept.setUser("bob");
  kept.setStatus(ZxStatus(336));
  kept.agenda().get(0)->setStatus(ZxStatus(16));
  kept.agenda().get(0)->setHost("node-1");
  kept.agenda().get(0)->setResult("(=(peak=18))");
  kept.agenda().get(1)->setResult("(=(peak=20))");
  for (int s = 0; s < 3; ++s) {
    ZxSubjob* sub = new ZxSubjob;
    sub->setId(s);
    sub->setPid(4711);
    sub->setHost(ZxString("node-").appendInt(s));
    sub->setStatus(ZxStatus(s == 0 ? 16 : 336));
    kept.subjobs().append(sub);
  }
  serve({zxtest::reply(201, listOf({&kept})), zxtest::reply(101, listOf({&kept}))});

  MelRun r =
      mel("string $hash = " + melQuoted(hash) + ";\nzxsubmit $hash;\nzxjobinfo -long -user all 4711;\n");
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  std::vector<json> lines = r.json();
  ASSERT_EQ(lines.size(), 2u) << r.out << r.err;
  EXPECT_EQ(lines[0]["result"], json({hashOf(kept)}));
  EXPECT_EQ(lines[1]["result"], json({hashOf(kept)}));
  const std::string returned = lines[1]["result"][0];
  EXPECT_NE(returned.find("subjobs"), std::string::npos);

  // What the supervisor received: the job as the hash describes it, each
  // work item and callback field for field (submission adds its
  // surroundings, such as the environment, to the job itself).
  ASSERT_EQ(requests(), 2);
  std::unique_ptr<ZxMessage> m = sent(0);
  const ZxJobList* jobs = contentOf<ZxJobList>(*m);
  ASSERT_NE(jobs, nullptr);
  ASSERT_EQ(jobs->count(), 1);
  const ZxJob& wire = *jobs->get(0);
  EXPECT_EQ(str(wire.name()), "lighting v2");
  EXPECT_EQ(wire.priority(), 60);
  EXPECT_EQ(wire.cpus(), 2);
  EXPECT_EQ(wire.timeout(), 600);
  EXPECT_EQ(str(wire.data()), str(built->data()));
  ASSERT_EQ(wire.agenda().count(), 2);
  for (int i = 0; i < 2; ++i) EXPECT_TRUE(*wire.agenda().get(i) == *built->agenda().get(i)) << i;
  ASSERT_EQ(wire.callbacks().count(), 2);
  for (int i = 0; i < 2; ++i)
    EXPECT_EQ(packed(*wire.callbacks().get(i)), packed(*built->callbacks().get(i))) << i;

  // The hash MEL got back reads into the work items the supervisor kept
  // (their data and results are packages, which the hash carries both as
  // stored and as package strings).
  std::unique_ptr<ZxJob> reread(hashToJob(returned.c_str()));
  ASSERT_EQ(reread->agenda().count(), 2);
  for (int i = 0; i < 2; ++i) EXPECT_TRUE(*reread->agenda().get(i) == *kept.agenda().get(i)) << i;
  EXPECT_EQ(reread->id(), 4711);
  EXPECT_EQ(str(reread->data()), str(kept.data()));
}

}  // namespace
