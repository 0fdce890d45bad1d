// ZxSupHandler: dispatching requests, submit, query, commands, time,
// discovery and the simulation step.
#include "zx_sup_handler.h"

#include <map>
#include <new>
#include <set>
#include <utility>

#include "model/zx_bump_command.h"
#include "model/zx_err.h"
#include "model/zx_fault.h"
#include "model/zx_flags.h"
#include "model/zx_job_id.h"
#include "model/zx_modify_command.h"
#include "model/zx_query.h"
#include "model/zx_time.h"
#include "model/zx_work_id.h"
#include "net/zx_frame.h"
#include "zx_sup_commands.h"
#include "zx_sup_filters.h"
#include "zx_sup_jobs.h"

namespace zxsup {

namespace {

// Supervisor error codes (texts in ZxErr's table).
enum ErrCode : int {
  kMessageInvalid = 3055,
  kNoJobs = 3056,
  kNoAuthorization = 3058,
  kSubmitDenied = 3060,
  kNoHosts = 3061,
  kNoSuchJobs = 3063,
  kEliteDenied = 3064,
};

// Every job of a submitted tree, parents before their children.
bool collect(ZxJobList& list, std::vector<ZxJob*>& out) {
  for (int i = 0; i < list.count(); ++i) {
    ZxJob* job = list.get(i);
    if (!job) return false;
    out.push_back(job);
    if (!collect(job->children(), out)) return false;
  }
  return true;
}

// Numbers the tree from `next` on, parents first, and admits every job.
void admitTree(ZxJobList& list, int parent, int group, int& next, const ZxString& user,
               const ZxString& domain, int64_t now, int seconds, std::vector<Store::NewJob>& out) {
  for (int i = 0; i < list.count(); ++i) {
    ZxJob* job = list.get(i);
    admitJob(*job, next++, parent, group, user, domain, now);
    out.push_back({job, dueTime(*job, now, seconds)});
    admitTree(job->children(), job->id(), job->pgrp(), next, user, domain, now, seconds, out);
  }
}

void addFault(ZxResult& result, int code, const ZxString& text, const std::vector<ZxJobId>& jobs,
              const std::vector<ZxWorkId>& work) {
  if (jobs.empty() && work.empty()) return;
  ZxFault* fault = new (std::nothrow) ZxFault;
  if (!fault) return;
  ZxErr error(code);
  if (!text.isEmpty()) error.setValue("ERROR", text);
  fault->setError(error);
  for (const ZxJobId& id : jobs)
    if (ZxJobId* copy = new (std::nothrow) ZxJobId(id)) fault->jobIdList().append(copy);
  for (const ZxWorkId& id : work)
    if (ZxWorkId* copy = new (std::nothrow) ZxWorkId(id)) fault->workIdList().append(copy);
  result.faultList().append(fault);
}

// What a command names in one job.
struct Target {
  bool whole = false;       // the job itself
  bool allSubjobs = false;  // ".*"
  std::set<int> subjobs;    // single subjobs
  bool allWork = false;     // every item (a job id given to a work command)
  std::vector<ZxWorkId> work;
};

// The items of `job` that a work id names.
std::vector<ZxWork*> itemsNamed(ZxJob& job, const ZxWorkId& id) {
  std::vector<ZxWork*> items;
  for (int i = 0; i < job.agenda().count(); ++i) {
    ZxWork* w = job.agenda().get(i);
    if (!w) continue;
    const bool match =
        id.workId() >= 0 ? w->id() == id.workId() : (id.name().isEmpty() || w->name() == id.name());
    if (match) items.push_back(w);
  }
  return items;
}

ZxWorkId workIdOf(const ZxJob& job, const ZxWork& w) {
  ZxWorkId id(job.id(), w.name());
  id.setWorkId(w.id());
  return id;
}

}  // namespace

void refuse(ZxMessage& reply, int code, const ZxString& text) {
  reply.releaseContent();
  reply.setTag(kReplyRefused);
  ZxErr* error = new (std::nothrow) ZxErr(code);
  if (!error) return;
  if (!text.isEmpty()) error->setValue("ERROR", text);
  reply.setContent(error);
}

Handler::Handler(Store& store, const HandlerSettings& settings, Clock clock)
    : store_(store), settings_(settings), clock_(std::move(clock)) {}

bool Handler::isAdmin(const ZxString& user) const {
  for (const ZxString& a : settings_.admins)
    if (a == user) return true;
  return false;
}

bool Handler::servesDomainOf(const ZxMessage& request) const {
  return settings_.domain.isEmpty() || request.zexaDomain().isEmpty() ||
         request.zexaDomain() == settings_.domain;
}

void Handler::handle(ZxMessage& request, ZxMessage& reply, ZxString& summary) {
  reply.releaseContent();
  reply.setTag(kReplyDone);
  reply.setVersion(ZxMessage::kProtocolVersion);
  reply.setZexaDomain(settings_.domain);
  const int tag = request.tag();
  switch (tag) {
    case Request::kSubmit:
      submit(request, reply, summary);
      return;
    case Request::kQuery:
      query(request, reply, summary);
      return;
    case Request::kTime: {
      ZxTime* now = new (std::nothrow) ZxTime(stamp(clock_()));
      if (!now) {
        refuse(reply, kMessageInvalid, "out of memory");
        return;
      }
      reply.setContent(now);
      summary = "time";
      return;
    }
    case Request::kDiscover:
      summary = "discovery";
      return;
    default:
      break;
  }
  if ((tag >= 201 && tag <= 231) || (tag >= 604 && tag <= 615) || tag == Request::kCallbackCommand) {
    command(request, reply, summary);
    return;
  }
  refuse(reply, kMessageInvalid, ZxString("unknown request ").appendInt(tag));
  summary = ZxString("refused: unknown request ").appendInt(tag);
}

bool Handler::handleBytes(const char* data, size_t n, ZxByteBuffer& out, ZxString& summary) {
  out.clear();
  ZxMessage request;
  ZxMessage reply;
  // What a frame can carry; anything longer never arrives as one request.
  const bool decoded =
      n <= ZxFrame::kMaxFrameBytes && request.unpack(data, static_cast<int>(n)) == ZxPack::kOk;
  if (!decoded) {
    refuse(reply, kMessageInvalid, "the request does not decode");
    summary = "refused: the request does not decode";
  } else {
    ZxString done;
    handle(request, reply, done);
    // The log line names who asked.
    summary = request.user().isEmpty() ? ZxString("(no user)") : request.user();
    summary.append(": ").append(done);
  }
  int bytes = reply.pack();
  if (bytes <= 0 || static_cast<unsigned>(bytes) > ZxFrame::kMaxFrameBytes) {
    ZxMessage small;
    refuse(small, kMessageInvalid, "the answer is too large to send");
    summary.append(" (answer too large to send)");
    bytes = small.pack();
    return bytes > 0 && out.append(small.buffer(), static_cast<size_t>(bytes));
  }
  return out.append(reply.buffer(), static_cast<size_t>(bytes));
}

// ---- submit ------------------------------------------------------------------------------------

void Handler::submit(ZxMessage& request, ZxMessage& reply, ZxString& summary) {
  ZxPack* content = request.content();
  if (!content || content->typeId() != 5) {
    refuse(reply, kMessageInvalid);
    summary = "submit refused: no job list";
    return;
  }
  ZxJobList& list = *static_cast<ZxJobList*>(content);
  if (list.count() == 0) {
    refuse(reply, kNoJobs);
    summary = "submit refused: no jobs";
    return;
  }
  if (request.user().isEmpty()) {
    refuse(reply, kNoAuthorization);
    summary = "submit refused: no user";
    return;
  }
  std::vector<ZxJob*> all;
  if (!collect(list, all)) {
    refuse(reply, kMessageInvalid);
    summary = "submit refused: an empty list item";
    return;
  }
  const bool admin = isAdmin(request.user());
  for (const ZxJob* job : all) {
    ZxString why;
    if (job->isElite() && !admin) {
      refuse(reply, kEliteDenied);
      summary = "submit refused: elite job from a user who is not an administrator";
      return;
    }
    if (job->cpus() > kMaxCpus)
      why = ZxString("a job asks for ").appendInt(job->cpus()).append(" cpus; at most ").appendInt(kMaxCpus);
    else if (job->agenda().count() > kMaxWorkItems)
      why = ZxString("a job has ")
                .appendInt(job->agenda().count())
                .append(" work items; at most ")
                .appendInt(kMaxWorkItems);
    if (!why.isEmpty()) {
      refuse(reply, kSubmitDenied, why);
      summary = ZxString("submit refused: ").append(why);
      return;
    }
  }

  const int64_t now = clock_();
  const int seconds = settings_.simulateSeconds > 0 ? settings_.simulateSeconds : 0;
  const long long maxAnswer = settings_.maxAnswerBytes;
  int firstId = 0;
  Store::Build build = [&](int first, std::vector<Store::NewJob>& jobs, ZxString& error) {
    firstId = first;
    int next = first;
    admitTree(list, -1, -1, next, request.user(), request.domain(), now, seconds, jobs);
    // The answer carries the accepted jobs back: they must fit one frame.
    const int bytes = list.pack();
    list.releaseBuffer();
    if (bytes <= 0 || bytes > maxAnswer) {
      error = "the accepted jobs would not fit one answer";
      return false;
    }
    return true;
  };
  ZxString error;
  if (!store_.addJobs(static_cast<int>(all.size()), build, error)) {
    refuse(reply, kSubmitDenied, error);
    summary = ZxString("submit refused: ").append(error);
    return;
  }
  reply.setContent(request.takeContent());
  summary = ZxString("submit: accepted ").appendInt(static_cast<int>(all.size()));
  summary.append(all.size() == 1 ? " job (id " : " jobs (ids ").appendInt(firstId);
  if (all.size() > 1) summary.append("-").appendInt(firstId + static_cast<int>(all.size()) - 1);
  summary.append(")");
}

// ---- query ---------------------------------------------------------------------------------------

void Handler::query(ZxMessage& request, ZxMessage& reply, ZxString& summary) {
  ZxPack* content = request.content();
  if (!content || content->typeId() != 24) {
    refuse(reply, kMessageInvalid);
    summary = "query refused: no query record";
    return;
  }
  const ZxQuery& q = *static_cast<ZxQuery*>(content);
  Filters filters;
  ZxString error;
  if (!readFilters(q.filterList(), filters, error)) {
    refuse(reply, ZxErr::kFreeText, error);
    summary = ZxString("query refused: ").append(error);
    return;
  }
  int parts = Store::kHead;
  for (int i = 0; i < q.fieldList().count(); ++i) {
    const ZxField* f = q.fieldList().get(i);
    if (!f) continue;
    if (f->name() == "subjobs") parts |= Store::kSubjobs;
    if (f->name() == "agenda" || f->name() == "work") parts |= Store::kAgenda;
    if (f->name() == "all" || f->name() == "*") parts |= Store::kAllParts;
  }
  Selection selection;
  selection.conditions = std::move(filters.conditions);
  ZxJobList* jobs = new (std::nothrow) ZxJobList;
  if (!jobs) {
    refuse(reply, kMessageInvalid, "out of memory");
    summary = "query refused: out of memory";
    return;
  }
  if (!store_.readJobs(selection, parts, settings_.maxAnswerBytes, *jobs, error)) {
    delete jobs;
    refuse(reply, ZxErr::kFreeText, error);
    summary = ZxString("query refused: ").append(error);
    return;
  }
  // A job named only by some of its subjobs is answered with those.
  if (parts & Store::kSubjobs) {
    for (int i = 0; i < jobs->count(); ++i) {
      ZxJob* job = jobs->get(i);
      auto named = filters.subjobsNamed.find(job->id());
      if (named == filters.subjobsNamed.end()) continue;
      ZxSubjobList kept;
      for (int k = 0; k < job->subjobs().count(); ++k) {
        const ZxSubjob* s = job->subjobs().get(k);
        if (s && named->second.count(s->id()))
          if (ZxSubjob* copy = new (std::nothrow) ZxSubjob(*s)) kept.append(copy);
      }
      job->subjobs() = std::move(kept);
    }
  }
  summary = ZxString("query: ").appendInt(jobs->count()).append(jobs->count() == 1 ? " job" : " jobs");
  reply.setContent(jobs);
}

// ---- commands ------------------------------------------------------------------------------------

void Handler::command(ZxMessage& request, ZxMessage& reply, ZxString& summary) {
  const int code = request.tag();
  const char* name = commandName(code);
  ZxResult* result = new (std::nothrow) ZxResult;
  if (!result) {
    refuse(reply, kMessageInvalid, "out of memory");
    summary = "command refused: out of memory";
    return;
  }
  reply.setContent(result);
  const ZxString label = name ? ZxString(name) : ZxString("command ").appendInt(code);
  auto fail = [&](int errorCode, const ZxString& text) {
    ZxErr error(errorCode);
    if (!text.isEmpty()) error.setValue("ERROR", text);
    result->setError(error);
    summary = ZxString(label)
                  .append(" refused: ")
                  .append(text.isEmpty() ? ZxString(ZxErr::templateFor(errorCode)) : text);
  };

  ZxPack* content = request.content();
  const int type = content ? content->typeId() : 0;
  const bool isCommandRecord = type == 30 || type == 48 || type == 69;
  if (!name || code == Code::kModifyWork) {
    fail(kMessageInvalid, "this supervisor does not carry out this command");
    return;
  }
  if (!isCommandRecord || (code == Code::kModifyJob && type != 48) ||
      (code == Code::kBumpJob && type != 69)) {
    fail(kMessageInvalid, "the request holds no command record of the right kind");
    return;
  }
  ZxCommand& cmd = *static_cast<ZxCommand*>(content);
  Filters filters;
  ZxString error;
  if (!readFilters(cmd.filterList(), filters, error)) {
    fail(ZxErr::kFreeText, error);
    return;
  }
  const ZxModifyCommand* modify = code == Code::kModifyJob ? static_cast<ZxModifyCommand*>(content) : nullptr;
  if (modify && !checkModifyFields(modify->fields(), error)) {
    fail(ZxErr::kFreeText, error);
    return;
  }
  const ZxBumpCommand* bump = code == Code::kBumpJob ? static_cast<ZxBumpCommand*>(content) : nullptr;
  if (bump && bump->direction() != 1 && bump->direction() != 2) {
    fail(ZxErr::kFreeText, ZxString("unknown bump direction ").appendInt(bump->direction()));
    return;
  }
  const bool work = isWorkCommand(code);

  std::map<int, Target> targets;
  std::vector<ZxJobId> unknownJobs;
  std::vector<ZxWorkId> unknownWork;
  for (int i = 0; i < cmd.jobIdList().count(); ++i) {
    const ZxJobId* id = cmd.jobIdList().get(i);
    if (!id) continue;
    if (id->id() < 1) {
      unknownJobs.push_back(*id);
      continue;
    }
    Target& t = targets[id->id()];
    if (work)
      t.allWork = true;
    else if (id->subId() == ZxJobId::kAllSubjobs)
      t.allSubjobs = true;
    else if (id->subId() >= 0)
      t.subjobs.insert(id->subId());
    else
      t.whole = true;
  }
  if (work) {
    for (int i = 0; i < cmd.workIdList().count(); ++i) {
      const ZxWorkId* id = cmd.workIdList().get(i);
      if (!id) continue;
      if (id->id() < 1)
        unknownWork.push_back(*id);
      else
        targets[id->id()].work.push_back(*id);
    }
  }
  Selection selection;
  selection.conditions = filters.conditions;
  if (!targets.empty()) {
    selection.byIds = true;
    for (const auto& t : targets) selection.ids.push_back(t.first);
  } else if (filters.conditions.empty()) {
    fail(kNoSuchJobs, "the command names no jobs");
    addFault(*result, kNoSuchJobs, ZxString(), unknownJobs, unknownWork);
    return;
  }

  const int64_t now = clock_();
  const int seconds = settings_.simulateSeconds > 0 ? settings_.simulateSeconds : 0;
  const bool restricted = cmd.restrictions() && !isAdmin(request.user());
  const int limit = cmd.limit() > 0 ? cmd.limit() : 0;
  int acted = 0;
  std::set<int> seen;
  std::vector<ZxJobId> denied, unknownSubjobs, wholeOnly, shoved, modifyFailed;
  ZxString modifyError;
  std::vector<ZxJobId> affectedJobs;
  std::vector<ZxWorkId> affectedWork;

  Store::Update update = [&](ZxJob& job, bool passed) -> Store::Outcome {
    const int id = job.id();
    seen.insert(id);
    if (!passed) return {};
    if (restricted && job.user() != request.user()) {
      denied.push_back(ZxJobId(id));
      return {};
    }
    const bool room = limit == 0 || acted < limit;
    if (!room) return {};
    auto it = targets.find(id);
    Target filtered;
    filtered.whole = true;
    filtered.allWork = true;
    const Target& t = it != targets.end() ? it->second : filtered;
    bool changed = false;

    if (code == Code::kRemoveJob) {
      if (!t.subjobs.empty() || t.allSubjobs) wholeOnly.push_back(ZxJobId(id));
      if (!t.whole) return {};
      affectedJobs.push_back(ZxJobId(id));
      ++acted;
      return {Store::kRemove, -1};
    }
    if (code == Code::kShoveJob) {
      shoved.push_back(ZxJobId(id));
      return {};
    }
    if (modify || bump) {
      // Both change the job as a whole, whichever of its parts was named.
      ZxString why;
      if (modify && !applyModify(job, modify->job(), modify->fields(), now, why)) {
        modifyFailed.push_back(ZxJobId(id));
        modifyError = why;
        return {};
      }
      if (bump) bumpJob(job, bump->direction(), bump->diff(), now);
      affectedJobs.push_back(ZxJobId(id));
      ++acted;
      changed = true;
    } else if (work) {
      std::vector<ZxWork*> items;
      if (t.allWork) {
        for (int i = 0; i < job.agenda().count(); ++i)
          if (ZxWork* w = job.agenda().get(i)) items.push_back(w);
      }
      for (const ZxWorkId& wid : t.work) {
        std::vector<ZxWork*> named = itemsNamed(job, wid);
        if (named.empty()) unknownWork.push_back(wid);
        items.insert(items.end(), named.begin(), named.end());
      }
      std::set<const ZxWork*> done;
      for (ZxWork* w : items) {
        if (!done.insert(w).second || (limit && acted >= limit)) continue;
        if (!applyToWork(code, job, *w, now)) continue;
        affectedWork.push_back(workIdOf(job, *w));
        ++acted;
        changed = true;
      }
    } else {
      if (t.whole && applyToJob(code, job, now)) {
        affectedJobs.push_back(ZxJobId(id));
        ++acted;
        changed = true;
      }
      std::set<int> subjobs = t.subjobs;
      if (t.allSubjobs)
        for (int i = 0; i < job.subjobs().count(); ++i)
          if (const ZxSubjob* s = job.subjobs().get(i)) subjobs.insert(s->id());
      for (int sub : subjobs) {
        ZxSubjob* s = findSubjob(job, sub);
        if (!s) {
          unknownSubjobs.push_back(ZxJobId(id, sub));
          continue;
        }
        if ((limit && acted >= limit) || !applyToSubjob(code, job, *s, now)) continue;
        affectedJobs.push_back(ZxJobId(id, sub));
        ++acted;
        changed = true;
      }
    }
    if (!changed) return {};
    settle(job, now);
    return {Store::kWrite, dueTime(job, now, seconds)};
  };

  if (!store_.changeJobs(selection, update, error)) {
    // Nothing was changed: the lists the visit filled do not hold.
    fail(ZxErr::kFreeText, error);
    return;
  }
  for (const auto& t : targets) {
    if (seen.count(t.first)) continue;
    if (work && !t.second.work.empty()) {
      unknownWork.insert(unknownWork.end(), t.second.work.begin(), t.second.work.end());
      if (!t.second.allWork) continue;
    }
    unknownJobs.push_back(ZxJobId(t.first));
  }
  for (const ZxJobId& id : affectedJobs)
    if (ZxJobId* copy = new (std::nothrow) ZxJobId(id)) result->jobIdList().append(copy);
  for (const ZxWorkId& id : affectedWork)
    if (ZxWorkId* copy = new (std::nothrow) ZxWorkId(id)) result->workIdList().append(copy);
  unknownJobs.insert(unknownJobs.end(), unknownSubjobs.begin(), unknownSubjobs.end());
  addFault(*result, kNoSuchJobs, ZxString(), unknownJobs, unknownWork);
  addFault(*result, ZxErr::kAccessDenied, ZxString(), denied, {});
  addFault(*result, kNoHosts, ZxString(), shoved, {});
  addFault(*result, ZxErr::kFreeText, "remove applies to whole jobs only", wholeOnly, {});
  addFault(*result, ZxErr::kFreeText, modifyError, modifyFailed, {});

  summary = ZxString(label).append(": ").appendInt(acted).append(" affected");
  if (!unknownJobs.empty() || !unknownWork.empty())
    summary.append(", ")
        .appendInt(static_cast<int>(unknownJobs.size() + unknownWork.size()))
        .append(" unknown");
  if (!denied.empty()) summary.append(", ").appendInt(static_cast<int>(denied.size())).append(" denied");
}

// ---- simulation ------------------------------------------------------------------------------------

bool Handler::tick(ZxString& summary) {
  if (settings_.simulateSeconds < 0) return false;
  const int64_t now = clock_();
  ZxString error;
  if (!store_.anyDue(now, error)) {
    if (!error.isEmpty()) summary = ZxString("simulation: ").append(error);
    return false;
  }
  const int seconds = settings_.simulateSeconds;
  Selection selection;
  selection.dueBy = now;
  int moved = 0;
  Store::Update update = [&](ZxJob& job, bool) -> Store::Outcome {
    if (simulate(job, now, seconds)) ++moved;
    // Written even when nothing moved, to carry the new due time.
    return {Store::kWrite, dueTime(job, now, seconds)};
  };
  if (!store_.changeJobs(selection, update, error)) {
    summary = ZxString("simulation: ").append(error);
    return false;
  }
  if (moved == 0) return false;
  summary = ZxString("simulation: ").appendInt(moved).append(moved == 1 ? " job moved" : " jobs moved");
  return true;
}

}  // namespace zxsup
