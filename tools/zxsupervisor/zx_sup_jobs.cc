// The life of a job: admitting, settling and simulating.
#include "zx_sup_jobs.h"

#include <new>

#include "model/zx_flags.h"

namespace zxsup {

namespace {

bool isActive(int code) { return (code & StatusCode::kActiveBit) != 0; }
bool isHeld(int code) { return code == StatusCode::kBlocked || code == StatusCode::kSuspended; }

// The status of a job whose work items are all done.
int doneStatus(const ZxJob& job) {
  bool failed = false, killed = false, warning = false;
  for (int i = 0; i < job.agenda().count(); ++i) {
    const int c = job.agenda().get(i)->statusCode();
    failed = failed || c == StatusCode::kFailed;
    killed = killed || c == StatusCode::kKilled;
    warning = warning || c == StatusCode::kWarning;
  }
  // A kill is somebody's decision about the whole job, so it names the job
  // even when some items had failed before.
  if (killed) return StatusCode::kKilled;
  if (failed) return StatusCode::kFailed;
  if (warning) return StatusCode::kWarning;
  return StatusCode::kComplete;
}

// The status the work items give the job.
int derivedStatus(const ZxJob& job) {
  bool running = false, waiting = false;
  for (int i = 0; i < job.agenda().count(); ++i) {
    const int c = job.agenda().get(i)->statusCode();
    running = running || c == StatusCode::kRunning;
    waiting = waiting || (isActive(c) && c != StatusCode::kRunning);
  }
  if (running) return StatusCode::kRunning;
  if (waiting) return StatusCode::kPending;
  return doneStatus(job);
}

}  // namespace

ZxTime stamp(int64_t unixTime) {
  ZxTime t;
  t.fromUnix(unixTime);
  return t;
}

ZxSubjob* findSubjob(ZxJob& job, int id) {
  ZxSubjobList& list = job.subjobs();
  // Subjobs are numbered by their place, so the place is tried first.
  if (ZxSubjob* s = list.get(id))
    if (s->id() == id) return s;
  for (int i = 0; i < list.count(); ++i)
    if (ZxSubjob* s = list.get(i))
      if (s->id() == id) return s;
  return nullptr;
}

void admitJob(ZxJob& job, int id, int parent, int group, const ZxString& user, const ZxString& domain,
              int64_t now) {
  job.setId(id);
  if (parent >= 0) job.setPid(parent);
  if (group >= 0)
    job.setPgrp(group);
  else if (job.pgrp() < 0)
    job.setPgrp(id);
  job.setUser(user);
  job.setDomain(domain);
  job.setCpus(job.cpus());
  job.setTimeSubmit(stamp(now));
  job.setLastUpdate(stamp(now));
  job.setTimeStart(ZxTime());
  job.setTimeComplete(ZxTime());
  job.status().setCode(job.status().code() == StatusCode::kBlocked ? StatusCode::kBlocked
                                                                   : StatusCode::kPending);

  job.subjobs().clear();
  for (int i = 0; i < job.cpus(); ++i) {
    ZxSubjob* s = new (std::nothrow) ZxSubjob;
    if (!s) break;
    s->setId(i);
    s->setPid(id);
    s->setStatusCode(StatusCode::kPending);
    s->setLastUpdate(stamp(now));
    job.subjobs().append(s);
  }
  const int itemStatus =
      job.agendaStatus().code() == StatusCode::kBlocked ? StatusCode::kBlocked : StatusCode::kPending;
  for (int i = 0; i < job.agenda().count(); ++i) {
    ZxWork* w = job.agenda().get(i);
    if (!w) continue;
    w->setId(i);
    w->setPid(id);
    w->setSubId(-1);
    w->setHost(ZxString());
    w->setStatusCode(itemStatus);
    w->setPercent(0);
    w->setCount(0);
    w->setTimeStart(ZxTime());
    w->setTimeComplete(ZxTime());
    w->setLastUpdate(stamp(now));
  }
  settle(job, now);
}

void settle(ZxJob& job, int64_t now) {
  ZxStatusTally todo;
  for (int i = 0; i < job.agenda().count(); ++i)
    if (const ZxWork* w = job.agenda().get(i)) todo.add(w->statusCode(), 1);
  job.setTodoTally(todo);
  job.setTodo(job.agenda().count());

  const int before = job.status().code();
  const int after = !isHeld(before) && job.agenda().count() > 0 ? derivedStatus(job) : before;
  if (after != before) {
    job.status().setCode(after);
    job.setLastUpdate(stamp(now));
  }
  if (after == StatusCode::kRunning && !job.timeStart().isSet()) job.setTimeStart(stamp(now));
  if (isActive(after)) {
    job.setTimeComplete(ZxTime());
  } else if (isActive(before) || !job.timeComplete().isSet()) {
    job.setTimeComplete(stamp(now));
  }
  // The instances of a finished job finish with it; a finished job that has
  // work again (a retry) gets its instances back.
  const bool finished = !isActive(after);
  const bool revived = isActive(after) && !isActive(before);
  const int subjobEnd =
      after == StatusCode::kKilled || after == StatusCode::kFailed ? after : StatusCode::kComplete;
  ZxStatusTally cpus;
  for (int i = 0; i < job.subjobs().count(); ++i) {
    ZxSubjob* s = job.subjobs().get(i);
    if (!s) continue;  // a decoder's placeholder counts as nothing
    if (finished && isActive(s->statusCode())) {
      s->setStatusCode(subjobEnd);
      s->setTimeComplete(stamp(now));
      s->setLastUpdate(stamp(now));
    } else if (revived && !isActive(s->statusCode())) {
      s->setStatusCode(StatusCode::kPending);
      s->setHost(ZxString());
      s->setTimeComplete(ZxTime());
      s->setLastUpdate(stamp(now));
    }
    cpus.add(s->statusCode(), 1);
  }
  job.setCpusTally(cpus);
}

int64_t dueTime(const ZxJob& job, int64_t now, int seconds) {
  const int code = job.status().code();
  if (!isActive(code) || code == StatusCode::kSuspended) return -1;
  const bool blocked = code == StatusCode::kBlocked;
  if (job.agenda().count() == 0) {
    if (blocked) return -1;
    if (code == StatusCode::kRunning) return job.timeStart().toUnix() + seconds;
    return now;
  }
  int64_t due = -1;
  bool pending = false;
  for (int i = 0; i < job.agenda().count(); ++i) {
    const ZxWork* w = job.agenda().get(i);
    if (!w) continue;
    if (w->statusCode() == StatusCode::kRunning) {
      const int64_t end = w->timeStart().toUnix() + seconds;
      if (due < 0 || end < due) due = end;
    }
    pending = pending || w->statusCode() == StatusCode::kPending;
  }
  if (pending && !blocked) {
    for (int i = 0; i < job.subjobs().count(); ++i) {
      const ZxSubjob* s = job.subjobs().get(i);
      if (s && s->statusCode() == StatusCode::kPending) return now;
    }
  }
  return due;
}

bool simulate(ZxJob& job, int64_t now, int seconds) {
  const int code = job.status().code();
  if (!isActive(code) || code == StatusCode::kSuspended) return false;
  const bool blocked = code == StatusCode::kBlocked;
  bool changed = false;

  if (job.agenda().count() == 0) {
    if (blocked) return false;
    if (code == StatusCode::kPending) {
      job.status().setCode(StatusCode::kRunning);
      job.setTimeStart(stamp(now));
      job.setLastUpdate(stamp(now));
      for (int i = 0; i < job.subjobs().count(); ++i) {
        ZxSubjob* s = job.subjobs().get(i);
        if (!s || s->statusCode() != StatusCode::kPending) continue;
        s->setStatusCode(StatusCode::kRunning);
        s->setHost(kSimulatedHost);
        s->setTimeStart(stamp(now));
        s->setCount(s->count() + 1);
        s->setLastUpdate(stamp(now));
      }
      changed = true;
    } else if (code == StatusCode::kRunning && job.timeStart().toUnix() + seconds <= now) {
      job.status().setCode(StatusCode::kComplete);
      job.setTimeComplete(stamp(now));
      job.setLastUpdate(stamp(now));
      for (int i = 0; i < job.subjobs().count(); ++i) {
        ZxSubjob* s = job.subjobs().get(i);
        if (!s || !isActive(s->statusCode())) continue;
        s->setStatusCode(StatusCode::kComplete);
        s->setTimeComplete(stamp(now));
        s->setLastUpdate(stamp(now));
      }
      changed = true;
    }
    settle(job, now);
    return changed;
  }

  // Work whose time is up completes and frees its subjob.
  for (int i = 0; i < job.agenda().count(); ++i) {
    ZxWork* w = job.agenda().get(i);
    if (!w || w->statusCode() != StatusCode::kRunning || w->timeStart().toUnix() + seconds > now) continue;
    w->setStatusCode(StatusCode::kComplete);
    w->setPercent(100);
    w->setTimeComplete(stamp(now));
    w->setLastUpdate(stamp(now));
    if (ZxSubjob* s = findSubjob(job, w->subId())) {
      if (s->statusCode() == StatusCode::kRunning) {
        s->setStatusCode(StatusCode::kPending);
        s->setLastUpdate(stamp(now));
      }
    }
    changed = true;
  }
  // Idle subjobs take the next pending items, in agenda order.
  if (!blocked) {
    int next = 0;
    for (int i = 0; i < job.subjobs().count(); ++i) {
      ZxSubjob* s = job.subjobs().get(i);
      if (!s || s->statusCode() != StatusCode::kPending) continue;
      ZxWork* w = nullptr;
      for (; next < job.agenda().count(); ++next) {
        ZxWork* candidate = job.agenda().get(next);
        if (candidate && candidate->statusCode() == StatusCode::kPending) {
          w = candidate;
          ++next;
          break;
        }
      }
      if (!w) break;
      w->setStatusCode(StatusCode::kRunning);
      w->setSubId(s->id());
      w->setHost(kSimulatedHost);
      w->setPercent(0);
      w->setCount(w->count() + 1);
      w->setTimeStart(stamp(now));
      w->setTimeComplete(ZxTime());
      w->setLastUpdate(stamp(now));
      s->setStatusCode(StatusCode::kRunning);
      s->setHost(kSimulatedHost);
      if (!s->timeStart().isSet()) s->setTimeStart(stamp(now));
      s->setCount(s->count() + 1);
      s->setLastUpdate(stamp(now));
      changed = true;
    }
  }
  settle(job, now);
  return changed;
}

}  // namespace zxsup
