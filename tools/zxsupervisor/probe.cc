// zxsupervisor_probe: sends single requests to a supervisor and prints
// what it answered, one line per item, for scripts, tests and people
// trying the protocol.
//
//   zxsupervisor_probe [--host H] [--port P] [--timeout MS] [--user U]
//                      [--zexa-domain D] [--write FILE] ACTION ...
//
//   submit [--name N] [--items K] [--cpus C] [--count J] [--blocked]
//                               "accepted ID NAME" per job
//   query [--id IDS] [--user U] [--status S] [--name N] [--long] [--agenda]
//                               "job ID STATUS NAME todo=... subjobs=..." per job
//                               ("  subjob ..." and "  work ..." lines follow with
//                               --long and --agenda)
//   command NAME|CODE ID...     "affected ID", then "fault CODE: TEXT: IDS"
//                               (IDS as "12", "12.3", "12.*"; work commands
//                               take "12:NAME" or "12#NUMBER")
//   modify ID FIELD VALUE ...   the same for a modify request
//   bump ID up|down [DIFF]      the same for a bump request
//   time                        "time UNIXSECONDS"
//   discover                    "answered by ADDRESS" (UDP to host:port)
//   load --repeat N [--items K] [--tag T]
//                               N rounds of one submit and one query of the
//                               job submitted; "accepted ID NAME" per round
//
// With --write FILE the request is written to FILE (the packed message a
// frame would carry) instead of being sent.
//
// Exit status: 0 answered, 1 refused or answered wrongly, 2 usage, 3 the
// exchange failed (no connection, no answer).
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "message/zx_message.h"
#include "model/zx_bump_command.h"
#include "model/zx_filter.h"
#include "model/zx_job_id.h"
#include "model/zx_modify_command.h"
#include "model/zx_work_id.h"
#include "zx_sup_client.h"
#include "zx_sup_commands.h"
#include "zx_sup_jobs.h"

namespace {

constexpr int kAnswered = 0, kRefused = 1, kUsage = 2, kNoExchange = 3;

std::string str(const ZxString& s) { return std::string(s.c_str(), static_cast<size_t>(s.length())); }

struct Args {
  std::vector<std::string> words;
  size_t at = 0;
  bool more() const { return at < words.size(); }
  std::string next() { return more() ? words[at++] : std::string(); }
};

int usage(const char* why) {
  std::fprintf(stderr, "zxsupervisor_probe: %s (see the comment at the top of probe.cc)\n", why);
  return kUsage;
}

int commandCode(const std::string& name) {
  const int n = std::atoi(name.c_str());
  if (n > 0) return n;
  std::string spaced = name;
  for (char& c : spaced)
    if (c == '-' || c == '_') c = ' ';
  for (int code = 200; code < 700; ++code) {
    const char* known = zxsup::commandName(code);
    if (known && spaced == known) return code;
  }
  return 0;
}

void printJob(const ZxJob& job, bool details) {
  std::printf("job %d %s %s todo=%d subjobs=%d priority=%d user=%s\n", job.id(), job.status().name(),
              str(job.name()).c_str(), job.todo(), job.subjobs().count(), job.priority(),
              str(job.user()).c_str());
  if (!details) return;
  for (int i = 0; i < job.subjobs().count(); ++i) {
    const ZxSubjob* s = job.subjobs().get(i);
    if (s)
      std::printf("  subjob %d.%d %s %s\n", job.id(), s->id(), s->status().name(), str(s->host()).c_str());
  }
  for (int i = 0; i < job.agenda().count(); ++i) {
    const ZxWork* w = job.agenda().get(i);
    if (w)
      std::printf("  work %d:%s #%d %s sub=%d %d%%\n", job.id(), str(w->name()).c_str(), w->id(),
                  w->status().name(), w->subId(), w->percent());
  }
}

int printResult(const ZxResult& r) {
  for (int i = 0; i < r.jobIdList().count(); ++i)
    std::printf("affected %s\n", str(r.jobIdList().get(i)->idText()).c_str());
  for (int i = 0; i < r.workIdList().count(); ++i)
    std::printf("affected %s #%d\n", str(r.workIdList().get(i)->idText()).c_str(),
                r.workIdList().get(i)->workId());
  for (int i = 0; i < r.faultList().count(); ++i) {
    const ZxFault* f = r.faultList().get(i);
    std::string ids;
    for (int k = 0; k < f->jobIdList().count(); ++k) ids += " " + str(f->jobIdList().get(k)->idText());
    for (int k = 0; k < f->workIdList().count(); ++k) ids += " " + str(f->workIdList().get(k)->idText());
    std::printf("fault %d: %s:%s\n", f->error().code(), str(f->error().message()).c_str(), ids.c_str());
  }
  if (r.error().code() != 0) {
    std::printf("error %d: %s\n", r.error().code(), str(r.error().message()).c_str());
    return kRefused;
  }
  return kAnswered;
}

// Reads the target ids of a command: job ids, or work ids for work commands.
bool readTargets(Args& a, ZxCommand& cmd, bool work) {
  while (a.more()) {
    const std::string t = a.next();
    const size_t colon = t.find(':'), hash = t.find('#');
    if (work && colon != std::string::npos) {
      cmd.workIdList().append(new ZxWorkId(ZxString(t.c_str())));
    } else if (work && hash != std::string::npos) {
      ZxWorkId* id = new ZxWorkId(std::atoi(t.substr(0, hash).c_str()));
      id->setWorkId(std::atoi(t.substr(hash + 1).c_str()));
      cmd.workIdList().append(id);
    } else {
      cmd.jobIdList().append(new ZxJobId(ZxString(t.c_str())));
    }
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  std::string host = "127.0.0.1", write;
  int port = 50001, timeout = 10000;
  ZxString user, zexaDomain;
  Args a;
  for (int i = 1; i < argc; ++i) a.words.push_back(argv[i]);
  while (a.more() && a.words[a.at].rfind("--", 0) == 0) {
    const std::string o = a.next();
    if (!a.more()) return usage("an option needs a value");
    const std::string v = a.next();
    if (o == "--host")
      host = v;
    else if (o == "--port")
      port = std::atoi(v.c_str());
    else if (o == "--timeout")
      timeout = std::atoi(v.c_str());
    else if (o == "--user")
      user = ZxString(v.c_str());
    else if (o == "--zexa-domain")
      zexaDomain = ZxString(v.c_str());
    else if (o == "--write")
      write = v;
    else
      return usage("unknown option");
  }
  if (!a.more()) return usage("no action");
  zxsup::Client client(host, port, timeout);
  if (!user.isEmpty()) client.setUser(user);
  client.setZexaDomain(zexaDomain);
  const std::string action = a.next();

  // --write: the request's bytes go to a file.
  auto written = [&](ZxMessage& request) {
    std::string bytes;
    if (!client.encode(request, bytes)) return kNoExchange;
    std::ofstream(write, std::ios::binary) << bytes;
    return kAnswered;
  };
  ZxString error;

  if (action == "submit") {
    std::string name = "probe";
    int items = 0, cpus = 1, count = 1;
    bool blocked = false;
    while (a.more()) {
      const std::string o = a.next();
      if (o == "--blocked") {
        blocked = true;
        continue;
      }
      const std::string v = a.next();
      if (o == "--name")
        name = v;
      else if (o == "--items")
        items = std::atoi(v.c_str());
      else if (o == "--cpus")
        cpus = std::atoi(v.c_str());
      else if (o == "--count")
        count = std::atoi(v.c_str());
      else
        return usage("unknown submit option");
    }
    ZxJobList jobs;
    for (int i = 0; i < count; ++i) {
      ZxJob* job = zxsup::makeJob(
          ZxString(count == 1 ? name.c_str() : (name + "-" + std::to_string(i)).c_str()), items, cpus);
      if (blocked) job->status().setCode(StatusCode::kBlocked);
      jobs.append(job);
    }
    if (!write.empty()) {
      ZxMessage request(200);
      request.setContent(&jobs);
      const int r = written(request);
      request.setContent(nullptr);
      return r;
    }
    std::unique_ptr<ZxJobList> accepted = client.submit(jobs, error);
    if (!accepted) {
      std::printf("error: %s\n", str(error).c_str());
      return client.lastTag() ? kRefused : kNoExchange;
    }
    for (int i = 0; i < accepted->count(); ++i)
      std::printf("accepted %d %s\n", accepted->get(i)->id(), str(accepted->get(i)->name()).c_str());
    return kAnswered;
  }

  if (action == "query") {
    ZxQuery q;
    bool details = false;
    while (a.more()) {
      const std::string o = a.next();
      if (o == "--long") {
        q.fieldList().append(new ZxField(ZxString("subjobs")));
        details = true;
        continue;
      }
      if (o == "--agenda") {
        q.fieldList().append(new ZxField(ZxString("agenda")));
        details = true;
        continue;
      }
      const std::string v = a.next();
      const char* field = o == "--id"       ? "id"
                          : o == "--user"   ? "user"
                          : o == "--status" ? "status"
                          : o == "--name"   ? "name"
                                            : nullptr;
      if (!field) return usage("unknown query option");
      // Ids go as one value, the way a job listing sends them; the others
      // are split at commas like any filter text.
      ZxFilter* f = nullptr;
      if (std::strcmp(field, "id") == 0) {
        f = new ZxFilter(ZxString("id"));
        f->fields().append(new ZxField(ZxString(v.c_str()), 0));
      } else {
        f = makeFilter(ZxString(field), ZxString(v.c_str()));
      }
      if (f) q.filterList().append(f);
    }
    if (!write.empty()) {
      ZxMessage request(100);
      request.setContent(&q);
      const int r = written(request);
      request.setContent(nullptr);
      return r;
    }
    std::unique_ptr<ZxJobList> jobs = client.query(q, error);
    if (!jobs) {
      std::printf("error: %s\n", str(error).c_str());
      return client.lastTag() ? kRefused : kNoExchange;
    }
    for (int i = 0; i < jobs->count(); ++i) printJob(*jobs->get(i), details);
    return kAnswered;
  }

  if (action == "command" || action == "modify" || action == "bump") {
    std::unique_ptr<ZxCommand> cmd;
    int code = 0;
    if (action == "command") {
      code = commandCode(a.next());
      if (!code) return usage("unknown command");
      cmd.reset(new ZxCommand(code));
      readTargets(a, *cmd, code >= 604 && code <= 615);
    } else if (action == "modify") {
      code = zxsup::Code::kModifyJob;
      ZxModifyCommand* m = new ZxModifyCommand;
      cmd.reset(m);
      cmd->jobIdList().append(new ZxJobId(ZxString(a.next().c_str())));
      while (a.more()) {
        const std::string field = a.next(), value = a.next();
        m->fields().append(new ZxField(ZxString(field.c_str()), 0));
        const ZxString v(value.c_str());
        if (field == "priority")
          m->job().setPriority(v.toInt());
        else if (field == "cpus")
          m->job().setCpus(v.toInt());
        else if (field == "timeout")
          m->job().setTimeout(v.toInt());
        else if (field == "name")
          m->job().setName(v);
        else if (field == "cluster")
          m->job().setCluster(v);
        else if (field == "notes")
          m->job().setNotes(v);
      }
    } else {
      code = zxsup::Code::kBumpJob;
      ZxBumpCommand* b = new ZxBumpCommand;
      cmd.reset(b);
      cmd->jobIdList().append(new ZxJobId(ZxString(a.next().c_str())));
      b->setDirection(a.next() == "down" ? 2 : 1);
      if (a.more()) b->setDiff(std::atoi(a.next().c_str()));
    }
    cmd->setRestrictions(false);
    if (!write.empty()) {
      cmd->setAction(code);
      ZxMessage request(code);
      request.setContent(cmd.get());
      const int r = written(request);
      request.setContent(nullptr);
      return r;
    }
    std::unique_ptr<ZxResult> result = client.command(code, *cmd, error);
    if (!result) {
      std::printf("error: %s\n", str(error).c_str());
      return client.lastTag() ? kRefused : kNoExchange;
    }
    return printResult(*result);
  }

  if (action == "time") {
    if (!write.empty()) {
      ZxMessage request(107);
      return written(request);
    }
    ZxTime t;
    if (!client.time(t, error)) {
      std::printf("error: %s\n", str(error).c_str());
      return client.lastTag() ? kRefused : kNoExchange;
    }
    std::printf("time %lld\n", static_cast<long long>(t.toUnix()));
    return kAnswered;
  }

  if (action == "discover") {
    if (!write.empty()) {
      ZxMessage request(401);
      return written(request);
    }
    ZxString from;
    if (!client.discover(from, error)) {
      std::printf("error: %s\n", str(error).c_str());
      return kNoExchange;
    }
    std::printf("answered by %s\n", str(from).c_str());
    return kAnswered;
  }

  if (action == "load") {
    int repeat = 1, items = 0;
    std::string tag = "load";
    while (a.more()) {
      const std::string o = a.next(), v = a.next();
      if (o == "--repeat")
        repeat = std::atoi(v.c_str());
      else if (o == "--items")
        items = std::atoi(v.c_str());
      else if (o == "--tag")
        tag = v;
      else
        return usage("unknown load option");
    }
    for (int i = 0; i < repeat; ++i) {
      const std::string name = tag + "-" + std::to_string(i);
      ZxJobList jobs;
      jobs.append(zxsup::makeJob(ZxString(name.c_str()), items));
      std::unique_ptr<ZxJobList> accepted = client.submit(jobs, error);
      if (!accepted) {
        std::printf("error: submit %s: %s\n", name.c_str(), str(error).c_str());
        std::fflush(stdout);
        return client.lastTag() ? kRefused : kNoExchange;
      }
      // The answer must be this request's: one job, with the name sent.
      if (accepted->count() != 1 || str(accepted->get(0)->name()) != name || accepted->get(0)->id() < 1) {
        std::printf("error: submit %s: a wrong answer\n", name.c_str());
        return kRefused;
      }
      const int id = accepted->get(0)->id();
      std::printf("accepted %d %s\n", id, name.c_str());
      std::fflush(stdout);
      ZxQuery q;
      ZxFilter* f = new ZxFilter(ZxString("id"));
      f->fields().append(new ZxField(ZxString(id), 0));
      q.filterList().append(f);
      std::unique_ptr<ZxJobList> found = client.query(q, error);
      if (!found) {
        std::printf("error: query %d: %s\n", id, str(error).c_str());
        return client.lastTag() ? kRefused : kNoExchange;
      }
      if (found->count() != 1 || found->get(0)->id() != id || str(found->get(0)->name()) != name) {
        std::printf("error: query %d: a wrong answer (%d jobs)\n", id, found->count());
        return kRefused;
      }
    }
    return kAnswered;
  }
  return usage("unknown action");
}
