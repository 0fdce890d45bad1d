// The life of a job in the local supervisor: admitting a submitted job
// (its number, owner, times, subjobs and work items), settling its status
// from its parts, and the simulation that moves its work along.
//
// A job has `cpus` subjobs (its instances), numbered from 0, and an agenda
// of work items, numbered from 0 in agenda order. The job's status follows
// its work items: running while one runs, pending while one waits, and,
// once all are done, killed, failed, warning or complete (in that order of
// precedence). Two states are held by command and kept until another
// command lifts them: blocked (no new work starts) and suspended (nothing
// moves). A job without work items keeps the status that the commands and
// the simulation give it.
//
// The simulation (when the supervisor runs with one) plays the part of the
// render hosts: each idle subjob of a pending or running job takes the
// next pending work item, which runs for the simulation's seconds on the
// host kSimulatedHost and then completes. A job without work items runs
// for that long as a whole.
//
// Times are Unix seconds; the records store them as ZxTime values.
#pragma once

#include <cstdint>

#include "model/zx_job.h"
#include "util/zx_string.h"

namespace zxsup {

// A job asks for at most this many instances: the supervisor keeps one
// subjob record for each, and every answer that carries subjobs sends them
// all; no farm gives one job more than a few hundred hosts.
constexpr int kMaxCpus = 1024;
// A job carries at most this many work items: the longest frame ranges
// rendered as one job run to a few tens of thousands of frames.
constexpr int kMaxWorkItems = 100000;
// The host the simulated work runs on.
constexpr const char* kSimulatedHost = "localhost";

// The stamp of a Unix time in a job's time fields.
ZxTime stamp(int64_t unixTime);

// Makes `job` an accepted job: number `id`, parent `parent` (-1 for a job
// submitted on its own: its pid stays what the client sent), job group
// `group` (-1: the job's own group when it sent none), owner and domain,
// submit time `now`, status pending (blocked when submitted blocked), one
// pending subjob per instance and every work item numbered, pending (or
// blocked when the job's agenda_status asks for it) and unassigned. The
// children are left as they are.
void admitJob(ZxJob& job, int id, int parent, int group, const ZxString& user, const ZxString& domain,
              int64_t now);

// Counts the subjobs and work items into the tallies and "todo", derives
// the job's status from its work items (see above) and stamps the start and
// completion times when the status crosses into running or done.
void settle(ZxJob& job, int64_t now);

// When the simulation should next look at the job, with work that runs
// `seconds`: now for a job with work to start, the end of its earliest
// running item, or -1 for a job that nothing moves (done or suspended).
int64_t dueTime(const ZxJob& job, int64_t now, int seconds);

// One step of the simulation at `now`: completes the work whose time is
// up and starts pending work on idle subjobs. True when the job changed.
bool simulate(ZxJob& job, int64_t now, int seconds);

// The subjob numbered `id`, or null.
ZxSubjob* findSubjob(ZxJob& job, int id);

}  // namespace zxsup
