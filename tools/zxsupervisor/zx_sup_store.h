// ZxSupStore: where the local supervisor keeps its jobs, and the selection
// that picks jobs out of it.
//
// A store holds jobs by number. Numbers come from a counter that only ever
// grows, inside the same transaction that stores the jobs made with them,
// so a number is never given twice: not after a removal, not after a
// restart, not after the process was killed between any two instructions.
//
// Every change is one transaction; a call that changes jobs returns true
// only once its transaction is durable, so the caller may tell a client
// "accepted" as soon as it returns.
//
// Children are not kept inside their parent: each child of a submitted job
// is a job of its own (its "pid" names the parent), and a stored job's
// "children" list is always empty.
//
// Stored jobs come back in three parts: the head (every field but the
// subjobs and the agenda), the subjobs, and the agenda. Listings read the
// heads alone, which stay small however many work items a job has.
//
// A store is used by many threads at once; every operation is safe to call
// concurrently.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "model/zx_job.h"
#include "util/zx_string.h"

namespace zxsup {

// The columns a selection can test.
enum class Column { kId, kUser, kStatus, kName, kPid, kPgrp, kPriority, kCluster, kCpus };

// Whether a column holds numbers (compared by value) or text (compared
// byte by byte).
bool isNumericColumn(Column c);

// One test of a column's value.
struct Test {
  enum Op {
    kEqual,          // = the value
    kGreater,        // > the value
    kLess,           // < the value
    kContains,       // the text (numbers: their decimal text) holds the value
    kPattern,        // the text matches a shell pattern (* any run, ? one character, [set])
    kPatternNoCase,  // the same, ignoring the case of ASCII letters
    kActive,         // status: an active state (bit 0x100)
    kDone,           // status: a done state
    kAssigned,       // status: running, waiting or suspended
    kNever,          // matches nothing (a number test given a value that is no number)
  };
  Op op = kEqual;
  long long number = 0;  // the value of number tests on numeric columns
  std::string text;      // the value of text tests, and of kContains/kPattern* on any column
};

// One filter: a column and its tests; a job passes when any test holds
// (none when negated). A condition without tests passes every job.
struct Condition {
  Column column = Column::kId;
  bool negated = false;
  std::vector<Test> tests;
};

// Which jobs an operation visits.
struct Selection {
  // With byIds, only the jobs with these numbers (in any order, repeats
  // allowed); otherwise every job.
  bool byIds = false;
  std::vector<int> ids;
  // Every condition must hold. For changeJobs() with byIds the conditions
  // do not narrow the visit: each visited job is told whether it passed.
  std::vector<Condition> conditions;
  // When 0 or more: only jobs whose due time is set and at most this.
  int64_t dueBy = -1;
};

// The most values one selection may carry in its conditions: the store
// binds each value as one statement parameter, and SQLite allows at most
// 32766 of them; no command or query of the client names more than a few.
constexpr int kMaxSelectionValues = 30000;

class Store {
 public:
  // The parts readJobs() fills (a bit mask; the head always).
  enum Parts { kHead = 0, kSubjobs = 1, kAgenda = 2, kAllParts = 3 };

  // A job to add and its due time (when the simulation should look at it
  // next, in Unix seconds; -1: never).
  struct NewJob {
    ZxJob* job = nullptr;
    int64_t due = -1;
  };
  // Makes the jobs for the ids firstId to firstId + count - 1 (every job
  // must carry one of them); false with `error` refuses them all. The jobs
  // are only borrowed: they must stay until addJobs() returns.
  using Build = std::function<bool(int firstId, std::vector<NewJob>& jobs, ZxString& error)>;

  // What changeJobs() does with a visited job, and its new due time.
  enum Change { kKeep, kWrite, kRemove };
  struct Outcome {
    Change change = kKeep;
    int64_t due = -1;
  };
  // Gets a job with all its parts and whether it passed the selection's
  // conditions; may change it in place.
  using Update = std::function<Outcome(ZxJob& job, bool passed)>;

  virtual ~Store() = default;

  // Reserves `count` (1 or more) fresh ids, lets `build` make the jobs and
  // stores them, all in one transaction. False (with `error`) when build
  // refused, the ids ran out or storing failed; nothing is then kept and
  // no id is used up.
  virtual bool addJobs(int count, const Build& build, ZxString& error) = 0;

  // Appends to `out`, in id order, every job the selection picks, with the
  // parts asked for. False with `error` when reading failed or the jobs'
  // stored bytes would pass `maxBytes` (0: no limit); `out` then holds what
  // was read before.
  virtual bool readJobs(const Selection& selection, int parts, long long maxBytes, ZxJobList& out,
                        ZxString& error) = 0;

  // Whether any job is due by `time` (a cheap look before a change).
  virtual bool anyDue(int64_t time, ZxString& error) = 0;

  // Visits, in id order and in one transaction, every job the selection
  // picks (see Selection for byIds) and stores what `update` made of it.
  // False (with `error`, and nothing changed) when the transaction failed.
  virtual bool changeJobs(const Selection& selection, const Update& update, ZxString& error) = 0;

  // The id the next added job will get (for tests and the log).
  virtual int nextId() = 0;
};

}  // namespace zxsup
