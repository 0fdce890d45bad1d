// The job and work commands and the modify request's fields.
#include "zx_sup_commands.h"

#include <initializer_list>
#include <new>

#include "model/zx_flags.h"
#include "model/zx_subjob.h"
#include "model/zx_work.h"
#include "zx_sup_jobs.h"

namespace zxsup {

namespace {

bool isActive(int code) { return (code & StatusCode::kActiveBit) != 0; }
bool isOneOf(int code, std::initializer_list<int> codes) {
  for (int c : codes)
    if (c == code) return true;
  return false;
}

struct Name {
  int code;
  const char* name;
};
constexpr Name kNames[] = {
    {Code::kRemoveJob, "remove"},
    {Code::kKillJob, "kill"},
    {Code::kInterruptJob, "interrupt"},
    {Code::kPreemptJob, "preempt"},
    {Code::kBlockJob, "block"},
    {Code::kModifyJob, "modify"},
    {Code::kUnblockJob, "unblock"},
    {Code::kSuspendJob, "suspend"},
    {Code::kResumeJob, "resume"},
    {Code::kRequeueJob, "requeue"},
    {Code::kRetryJob, "retry"},
    {Code::kResubmitJob, "resubmit"},
    {Code::kBumpJob, "bump"},
    {Code::kMigrateJob, "migrate"},
    {Code::kShoveJob, "shove"},
    {Code::kFailJob, "fail"},
    {Code::kRetireJob, "retire"},
    {Code::kResetJob, "reset"},
    {Code::kRetryWork, "retry work"},
    {Code::kKillWork, "kill work"},
    {Code::kInterruptWork, "interrupt work"},
    {Code::kPreemptWork, "preempt work"},
    {Code::kBlockWork, "block work"},
    {Code::kModifyWork, "modify work"},
    {Code::kUnblockWork, "unblock work"},
    {Code::kSuspendWork, "suspend work"},
    {Code::kResumeWork, "resume work"},
    {Code::kRequeueWork, "requeue work"},
    {Code::kCompleteWork, "complete work"},
    {Code::kRetireWork, "retire work"},
};

// Work back to waiting: unassigned, no progress.
void toWaiting(ZxWork& w, int64_t now) {
  w.setStatusCode(StatusCode::kPending);
  w.setSubId(-1);
  w.setPercent(0);
  w.setTimeComplete(ZxTime());
  w.setLastUpdate(stamp(now));
}

// The subjob that ran `w` goes idle.
void freeSubjob(ZxJob& job, ZxWork& w, int64_t now) {
  if (ZxSubjob* s = findSubjob(job, w.subId())) {
    if (s->statusCode() == StatusCode::kRunning) {
      s->setStatusCode(StatusCode::kPending);
      s->setLastUpdate(stamp(now));
    }
  }
  w.setSubId(-1);
}

void endWork(ZxWork& w, int code, int64_t now) {
  w.setStatusCode(code);
  w.setTimeComplete(stamp(now));
  w.setLastUpdate(stamp(now));
}

void setSubjob(ZxSubjob& s, int code, int64_t now) {
  s.setStatusCode(code);
  if (!isActive(code)) s.setTimeComplete(stamp(now));
  s.setLastUpdate(stamp(now));
}

// The running and suspended work of subjob `id` goes back to waiting.
void releaseWork(ZxJob& job, int id, int64_t now) {
  for (int i = 0; i < job.agenda().count(); ++i) {
    ZxWork* w = job.agenda().get(i);
    if (w && w->subId() == id && isOneOf(w->statusCode(), {StatusCode::kRunning, StatusCode::kSuspended}))
      toWaiting(*w, now);
  }
}

// Every item and instance of the job starts over.
void startOver(ZxJob& job, bool resetCounters, int64_t now) {
  for (int i = 0; i < job.agenda().count(); ++i) {
    ZxWork* w = job.agenda().get(i);
    if (!w) continue;
    toWaiting(*w, now);
    w->setHost(ZxString());
    w->setTimeStart(ZxTime());
    if (resetCounters) {
      w->setCount(0);
      w->setRetry(0);
    }
  }
  for (int i = 0; i < job.subjobs().count(); ++i) {
    ZxSubjob* s = job.subjobs().get(i);
    if (!s) continue;
    s->setStatusCode(StatusCode::kPending);
    s->setHost(ZxString());
    s->setTimeStart(ZxTime());
    s->setTimeComplete(ZxTime());
    s->setLastUpdate(stamp(now));
    if (resetCounters) {
      s->setCount(0);
      s->setRetry(0);
    }
  }
  job.status().setCode(StatusCode::kPending);
  job.setTimeStart(ZxTime());
  job.setTimeComplete(ZxTime());
  job.setLastUpdate(stamp(now));
}

bool endJob(ZxJob& job, int code, int64_t now) {
  if (!isActive(job.status().code())) return false;
  for (int i = 0; i < job.agenda().count(); ++i) {
    ZxWork* w = job.agenda().get(i);
    if (w && isActive(w->statusCode())) endWork(*w, code, now);
  }
  for (int i = 0; i < job.subjobs().count(); ++i) {
    ZxSubjob* s = job.subjobs().get(i);
    if (s && isActive(s->statusCode())) setSubjob(*s, code, now);
  }
  job.status().setCode(code);
  job.setLastUpdate(stamp(now));
  return true;
}

bool retryJob(ZxJob& job, int64_t now) {
  bool retried = false;
  for (int i = 0; i < job.agenda().count(); ++i) {
    ZxWork* w = job.agenda().get(i);
    if (!w || !isOneOf(w->statusCode(), {StatusCode::kFailed, StatusCode::kKilled})) continue;
    toWaiting(*w, now);
    w->setRetry(w->retry() + 1);
    retried = true;
  }
  const int code = job.status().code();
  if (job.agenda().count() == 0 && isOneOf(code, {StatusCode::kFailed, StatusCode::kKilled})) {
    retried = true;
    job.setTimeStart(ZxTime());
  }
  if (!retried) return false;
  if (!isActive(code)) {
    // The job was over: it and its instances wait again.
    for (int i = 0; i < job.subjobs().count(); ++i) {
      ZxSubjob* s = job.subjobs().get(i);
      if (!s || isActive(s->statusCode())) continue;
      s->setHost(ZxString());
      s->setTimeComplete(ZxTime());
      setSubjob(*s, StatusCode::kPending, now);
    }
    job.status().setCode(StatusCode::kPending);
    job.setLastUpdate(stamp(now));
  }
  return true;
}

bool retireJob(ZxJob& job, int64_t now) {
  const int code = job.status().code();
  if (!isActive(code)) return false;
  for (int i = 0; i < job.agenda().count(); ++i) {
    ZxWork* w = job.agenda().get(i);
    if (w && isOneOf(w->statusCode(), {StatusCode::kPending, StatusCode::kBlocked, StatusCode::kSuspended,
                                       StatusCode::kWaiting}))
      endWork(*w, StatusCode::kKilled, now);
  }
  if (job.agenda().count() == 0) {
    // Nothing started yet ends now; a running job finishes its run.
    if (code != StatusCode::kRunning) job.status().setCode(StatusCode::kKilled);
  } else {
    // Held or not, the job now only waits for its running work.
    job.status().setCode(StatusCode::kPending);
  }
  job.setLastUpdate(stamp(now));
  return true;
}

}  // namespace

const char* commandName(int code) {
  for (const Name& n : kNames)
    if (n.code == code) return n.name;
  return nullptr;
}

bool isJobCommand(int code) { return code >= 201 && code <= 231 && commandName(code); }
bool isWorkCommand(int code) { return code >= 604 && code <= 615 && commandName(code); }

bool applyToJob(int code, ZxJob& job, int64_t now) {
  const int status = job.status().code();
  switch (code) {
    case Code::kKillJob:
      return endJob(job, StatusCode::kKilled, now);
    case Code::kFailJob:
      return endJob(job, StatusCode::kFailed, now);
    case Code::kInterruptJob:
    case Code::kPreemptJob:
    case Code::kMigrateJob:
      if (!isActive(status)) return false;
      for (int i = 0; i < job.agenda().count(); ++i) {
        ZxWork* w = job.agenda().get(i);
        if (w && w->statusCode() == StatusCode::kRunning) toWaiting(*w, now);
      }
      for (int i = 0; i < job.subjobs().count(); ++i) {
        ZxSubjob* s = job.subjobs().get(i);
        if (s && s->statusCode() == StatusCode::kRunning) setSubjob(*s, StatusCode::kPending, now);
      }
      if (status == StatusCode::kRunning) job.status().setCode(StatusCode::kPending);
      return true;
    case Code::kBlockJob:
      if (!isOneOf(status, {StatusCode::kPending, StatusCode::kRunning, StatusCode::kWaiting})) return false;
      job.status().setCode(StatusCode::kBlocked);
      return true;
    case Code::kUnblockJob:
      if (status != StatusCode::kBlocked) return false;
      job.status().setCode(StatusCode::kPending);
      return true;
    case Code::kSuspendJob:
      if (!isActive(status) || status == StatusCode::kSuspended) return false;
      for (int i = 0; i < job.agenda().count(); ++i) {
        ZxWork* w = job.agenda().get(i);
        if (w && w->statusCode() == StatusCode::kRunning) {
          w->setStatusCode(StatusCode::kSuspended);
          w->setLastUpdate(stamp(now));
        }
      }
      for (int i = 0; i < job.subjobs().count(); ++i) {
        ZxSubjob* s = job.subjobs().get(i);
        if (s && s->statusCode() == StatusCode::kRunning) setSubjob(*s, StatusCode::kSuspended, now);
      }
      job.status().setCode(StatusCode::kSuspended);
      return true;
    case Code::kResumeJob:
      if (status != StatusCode::kSuspended) return false;
      for (int i = 0; i < job.agenda().count(); ++i) {
        ZxWork* w = job.agenda().get(i);
        if (w && w->statusCode() == StatusCode::kSuspended) toWaiting(*w, now);
      }
      for (int i = 0; i < job.subjobs().count(); ++i) {
        ZxSubjob* s = job.subjobs().get(i);
        if (s && s->statusCode() == StatusCode::kSuspended) setSubjob(*s, StatusCode::kPending, now);
      }
      job.status().setCode(job.agenda().count() == 0 && job.timeStart().isSet() ? StatusCode::kRunning
                                                                                : StatusCode::kPending);
      return true;
    case Code::kRequeueJob:
    case Code::kResubmitJob:
      startOver(job, false, now);
      return true;
    case Code::kResetJob:
      startOver(job, true, now);
      return true;
    case Code::kRetryJob:
      return retryJob(job, now);
    case Code::kRetireJob:
      return retireJob(job, now);
    default:
      return false;
  }
}

bool applyToSubjob(int code, ZxJob& job, ZxSubjob& s, int64_t now) {
  const int status = s.statusCode();
  switch (code) {
    case Code::kKillJob:
    case Code::kFailJob:
      if (!isActive(status)) return false;
      releaseWork(job, s.id(), now);
      setSubjob(s, code == Code::kKillJob ? StatusCode::kKilled : StatusCode::kFailed, now);
      return true;
    case Code::kInterruptJob:
    case Code::kPreemptJob:
    case Code::kMigrateJob:
      if (status != StatusCode::kRunning) return false;
      releaseWork(job, s.id(), now);
      setSubjob(s, StatusCode::kPending, now);
      return true;
    case Code::kBlockJob:
      if (!isOneOf(status, {StatusCode::kPending, StatusCode::kRunning})) return false;
      releaseWork(job, s.id(), now);
      setSubjob(s, StatusCode::kBlocked, now);
      return true;
    case Code::kUnblockJob:
      if (status != StatusCode::kBlocked) return false;
      setSubjob(s, StatusCode::kPending, now);
      return true;
    case Code::kSuspendJob:
      if (!isOneOf(status, {StatusCode::kPending, StatusCode::kRunning})) return false;
      for (int i = 0; i < job.agenda().count(); ++i) {
        ZxWork* w = job.agenda().get(i);
        if (w && w->subId() == s.id() && w->statusCode() == StatusCode::kRunning) {
          w->setStatusCode(StatusCode::kSuspended);
          w->setLastUpdate(stamp(now));
        }
      }
      setSubjob(s, StatusCode::kSuspended, now);
      return true;
    case Code::kResumeJob:
      if (status != StatusCode::kSuspended) return false;
      releaseWork(job, s.id(), now);
      setSubjob(s, StatusCode::kPending, now);
      return true;
    case Code::kRequeueJob:
    case Code::kResubmitJob:
    case Code::kResetJob:
      releaseWork(job, s.id(), now);
      s.setHost(ZxString());
      s.setTimeStart(ZxTime());
      s.setTimeComplete(ZxTime());
      if (code == Code::kResetJob) {
        s.setCount(0);
        s.setRetry(0);
      }
      setSubjob(s, StatusCode::kPending, now);
      return true;
    case Code::kRetryJob:
      if (!isOneOf(status, {StatusCode::kFailed, StatusCode::kKilled})) return false;
      s.setRetry(s.retry() + 1);
      s.setTimeComplete(ZxTime());
      setSubjob(s, StatusCode::kPending, now);
      return true;
    case Code::kRetireJob:
      if (!isActive(status)) return false;
      releaseWork(job, s.id(), now);
      setSubjob(s, StatusCode::kComplete, now);
      return true;
    default:
      return false;
  }
}

bool applyToWork(int code, ZxJob& job, ZxWork& w, int64_t now) {
  const int status = w.statusCode();
  switch (code) {
    case Code::kRetryWork:
      if (!isOneOf(status, {StatusCode::kFailed, StatusCode::kKilled})) return false;
      toWaiting(w, now);
      w.setRetry(w.retry() + 1);
      return true;
    case Code::kKillWork:
      if (!isActive(status)) return false;
      freeSubjob(job, w, now);
      endWork(w, StatusCode::kKilled, now);
      return true;
    case Code::kInterruptWork:
    case Code::kPreemptWork:
      if (status != StatusCode::kRunning) return false;
      freeSubjob(job, w, now);
      toWaiting(w, now);
      return true;
    case Code::kBlockWork:
      if (status != StatusCode::kPending) return false;
      w.setStatusCode(StatusCode::kBlocked);
      w.setLastUpdate(stamp(now));
      return true;
    case Code::kUnblockWork:
      if (status != StatusCode::kBlocked) return false;
      toWaiting(w, now);
      return true;
    case Code::kSuspendWork:
      if (!isOneOf(status, {StatusCode::kPending, StatusCode::kRunning})) return false;
      freeSubjob(job, w, now);
      w.setStatusCode(StatusCode::kSuspended);
      w.setLastUpdate(stamp(now));
      return true;
    case Code::kResumeWork:
      if (status != StatusCode::kSuspended) return false;
      toWaiting(w, now);
      return true;
    case Code::kRequeueWork:
      freeSubjob(job, w, now);
      toWaiting(w, now);
      w.setHost(ZxString());
      w.setTimeStart(ZxTime());
      return true;
    case Code::kCompleteWork:
      if (!isActive(status)) return false;
      freeSubjob(job, w, now);
      w.setPercent(100);
      endWork(w, StatusCode::kComplete, now);
      return true;
    case Code::kRetireWork:
      if (!isOneOf(status, {StatusCode::kPending, StatusCode::kBlocked, StatusCode::kSuspended,
                            StatusCode::kWaiting}))
        return false;
      endWork(w, StatusCode::kKilled, now);
      return true;
    default:
      return false;
  }
}

bool bumpJob(ZxJob& job, int direction, int diff, int64_t now) {
  if (direction != 1 && direction != 2) return false;
  const long long step = diff > 0 ? diff : 1;
  const long long from = job.priority() > 0 ? job.priority() : 0;
  long long to = direction == 1 ? from + step : from - step;
  if (to < 0) to = 0;
  if (to > 0x7FFFFFFF) to = 0x7FFFFFFF;
  job.setPriority(static_cast<int>(to));
  job.setLastUpdate(stamp(now));
  return true;
}

// ---- modify -----------------------------------------------------------------------------------

namespace {

using Copy = void (*)(ZxJob& job, const ZxJob& v);

struct ModifyField {
  const char* name;
  Copy copy;  // null: cpus, which needs more than a copy
};

const ModifyField kModifyFields[] = {
    {"priority", [](ZxJob& j, const ZxJob& v) { j.setPriority(v.priority()); }},
    {"name", [](ZxJob& j, const ZxJob& v) { j.setName(v.name()); }},
    {"cluster", [](ZxJob& j, const ZxJob& v) { j.setCluster(v.cluster()); }},
    {"kind", [](ZxJob& j, const ZxJob& v) { j.setKind(v.kind()); }},
    {"account", [](ZxJob& j, const ZxJob& v) { j.setAccount(v.account()); }},
    {"restrictions", [](ZxJob& j, const ZxJob& v) { j.setRestrictions(v.restrictions()); }},
    {"requirements", [](ZxJob& j, const ZxJob& v) { j.setRequirements(v.requirements()); }},
    {"reservations", [](ZxJob& j, const ZxJob& v) { j.setReservations(v.reservations()); }},
    {"groups", [](ZxJob& j, const ZxJob& v) { j.setGroups(v.groups()); }},
    {"hosts", [](ZxJob& j, const ZxJob& v) { j.setHosts(v.hosts()); }},
    {"hostorder", [](ZxJob& j, const ZxJob& v) { j.setHostOrder(v.hostOrder()); }},
    {"host_order", [](ZxJob& j, const ZxJob& v) { j.setHostOrder(v.hostOrder()); }},
    {"timeout", [](ZxJob& j, const ZxJob& v) { j.setTimeout(v.timeout()); }},
    {"cpus", nullptr},
    {"label", [](ZxJob& j, const ZxJob& v) { j.setLabel(v.label()); }},
    {"notes", [](ZxJob& j, const ZxJob& v) { j.setNotes(v.notes()); }},
    {"mail_address", [](ZxJob& j, const ZxJob& v) { j.setMailAddress(v.mailAddress()); }},
    {"mailaddress", [](ZxJob& j, const ZxJob& v) { j.setMailAddress(v.mailAddress()); }},
    {"flags", [](ZxJob& j, const ZxJob& v) { j.setFlags(v.flags()); }},
    {"queue", [](ZxJob& j, const ZxJob& v) { j.setQueue(v.queue()); }},
    {"dependency", [](ZxJob& j, const ZxJob& v) { j.setDependency(v.dependency()); }},
    {"omit_hosts", [](ZxJob& j, const ZxJob& v) { j.setOmitHosts(v.omitHosts()); }},
    {"omit_groups", [](ZxJob& j, const ZxJob& v) { j.setOmitGroups(v.omitGroups()); }},
    {"retry_work", [](ZxJob& j, const ZxJob& v) { j.setRetryWork(v.retryWork()); }},
    {"retry_subjob", [](ZxJob& j, const ZxJob& v) { j.setRetrySubjob(v.retrySubjob()); }},
    {"local_order", [](ZxJob& j, const ZxJob& v) { j.setLocalOrder(v.localOrder()); }},
    {"global_order", [](ZxJob& j, const ZxJob& v) { j.setGlobalOrder(v.globalOrder()); }},
    {"deadline", [](ZxJob& j, const ZxJob& v) { j.setDeadline(v.deadline()); }},
};

const ModifyField* findModifyField(const ZxString& name) {
  for (const ModifyField& f : kModifyFields)
    if (name == f.name) return &f;
  return nullptr;
}

// Gives the job `n` instances: new ones wait, removed ones give their work back.
bool resizeJob(ZxJob& job, int n, int64_t now, ZxString& error) {
  if (n < 1 || n > kMaxCpus) {
    error = ZxString("cpus must be 1 to ").append(ZxString(kMaxCpus));
    return false;
  }
  job.setCpus(n);
  ZxSubjobList kept;
  for (int i = 0; i < job.subjobs().count(); ++i) {
    const ZxSubjob* s = job.subjobs().get(i);
    if (!s) continue;
    if (s->id() >= n) {
      releaseWork(job, s->id(), now);
      continue;
    }
    if (ZxSubjob* copy = new (std::nothrow) ZxSubjob(*s)) kept.append(copy);
  }
  for (int id = kept.count(); id < n; ++id) {
    ZxSubjob* s = new (std::nothrow) ZxSubjob;
    if (!s) break;
    s->setId(id);
    s->setPid(job.id());
    s->setStatusCode(isActive(job.status().code()) ? StatusCode::kPending : StatusCode::kComplete);
    s->setLastUpdate(stamp(now));
    kept.append(s);
  }
  job.subjobs() = std::move(kept);
  return true;
}

}  // namespace

bool checkModifyFields(const ZxFieldList& fields, ZxString& error) {
  for (int i = 0; i < fields.count(); ++i) {
    const ZxField* f = fields.get(i);
    if (f && findModifyField(f->name())) continue;
    error = ZxString("unknown job field to modify: ").append(f ? f->name() : ZxString());
    return false;
  }
  return true;
}

bool applyModify(ZxJob& job, const ZxJob& values, const ZxFieldList& fields, int64_t now, ZxString& error) {
  if (!checkModifyFields(fields, error)) return false;
  for (int i = 0; i < fields.count(); ++i) {
    const ModifyField* f = findModifyField(fields.get(i)->name());
    if (f->copy) {
      f->copy(job, values);
    } else if (!resizeJob(job, values.cpus(), now, error)) {
      return false;
    }
  }
  job.setLastUpdate(stamp(now));
  return true;
}

}  // namespace zxsup
