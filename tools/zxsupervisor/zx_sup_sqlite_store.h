// ZxSupSqliteStore: the job store of the local supervisor in one SQLite
// database file (or in memory).
//
// Tables: "meta" holds the schema version and the next job id; "jobs" holds
// one row per job: the columns selections test (id, owner, status, name,
// pid, pgrp, priority, cluster, cpus), the due time of the simulation, and
// the job's packed binary form in three parts (head, subjobs, agenda; see
// ZxSupStore). The id counter is read and advanced inside the transaction
// that inserts the jobs, so an id is never handed out twice.
//
// Durability. The database runs in WAL mode. Synchronous FULL (the
// default) syncs the log at every commit: an accepted job survives a power
// loss, not only the supervisor being killed. NORMAL syncs only at
// checkpoints: still nothing is lost when the process dies (kill -9), since
// the operating system keeps what was written, but a power loss may take
// the last commits. FULL costs one sync per commit; group commit (below)
// shares it among all the requests that arrive meanwhile.
//
// Group commit. Changes run as tasks. The first caller that finds no batch
// running takes every task queued so far (up to kMaxBatch), runs them in
// one transaction, each inside a savepoint of its own (a task that fails
// undoes only itself), commits once and wakes the callers; the others wait
// for their task to be done. When the commit fails, every task of the batch
// fails. So a caller returns only after its change is durable, and many
// concurrent callers pay for one sync between them.
//
// Reads of a file database use read-only connections of their own (WAL
// lets them read the last commit while a batch is being written); a memory
// database has one connection, so its reads run as tasks too.
//
// Ownership: the store owns its connections; close() or the destructor
// closes them. All operations are safe from many threads.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "zx_sup_store.h"

struct sqlite3;

namespace zxsup {

class SqliteStore : public Store {
 public:
  enum Sync { kSyncFull, kSyncNormal };

  // The schema this program writes and reads.
  static constexpr int kSchemaVersion = 1;
  // At most this many tasks share one transaction: enough to take in every
  // request of a busy moment, few enough that no transaction grows large.
  static constexpr int kMaxBatch = 256;
  // Idle read connections kept open for the next reads.
  static constexpr int kMaxIdleReaders = 8;
  // How long a statement waits for a lock another connection holds.
  static constexpr int kBusyTimeoutMs = 10000;

  SqliteStore() = default;
  SqliteStore(const SqliteStore&) = delete;
  SqliteStore& operator=(const SqliteStore&) = delete;
  ~SqliteStore() override;

  // Opens (creating when missing) the database at `path`, or a private one
  // in memory for ":memory:". False with `error` when it cannot be opened,
  // is not a database of this program, or has a schema of another version.
  bool open(const std::string& path, Sync sync, ZxString& error);
  void close();

  bool addJobs(int count, const Build& build, ZxString& error) override;
  bool readJobs(const Selection& selection, int parts, long long maxBytes, ZxJobList& out,
                ZxString& error) override;
  bool anyDue(int64_t time, ZxString& error) override;
  bool changeJobs(const Selection& selection, const Update& update, ZxString& error) override;
  int nextId() override;

  // The number of stored jobs (for tests and the benchmark).
  long long jobCount();
  // The transactions committed so far (group commit makes this smaller
  // than the number of changes).
  long long commits() const;

 private:
  struct Task;

  // Runs `work` on the writing connection inside a transaction shared with
  // other tasks (see Group commit); true once committed.
  bool runTask(const std::function<bool(sqlite3*, ZxString&)>& work, ZxString& error);
  void runBatch(std::vector<Task*>& batch);
  // A read connection (the writing one for a memory database, through a task).
  bool withReader(const std::function<bool(sqlite3*, ZxString&)>& work, ZxString& error);

  std::string path_;
  bool memory_ = false;
  sqlite3* writer_ = nullptr;

  mutable std::mutex queueMutex_;
  std::condition_variable queueDone_;
  std::deque<Task*> queue_;
  bool batchRunning_ = false;
  long long commits_ = 0;

  std::mutex readersMutex_;
  std::vector<sqlite3*> idleReaders_;
};

}  // namespace zxsup
