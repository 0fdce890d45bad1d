// ZxSupSqliteStore: the schema, the translation of selections into SQL,
// group commit, and the reading and writing of job rows.
#include "zx_sup_sqlite_store.h"

#include <sqlite3.h>

#include <climits>
#include <new>
#include <utility>

namespace zxsup {

bool isNumericColumn(Column c) {
  return c == Column::kId || c == Column::kStatus || c == Column::kPid || c == Column::kPgrp ||
         c == Column::kPriority || c == Column::kCpus;
}

namespace {

const char* columnName(Column c) {
  switch (c) {
    case Column::kId:
      return "id";
    case Column::kUser:
      return "owner";
    case Column::kStatus:
      return "status";
    case Column::kName:
      return "name";
    case Column::kPid:
      return "pid";
    case Column::kPgrp:
      return "pgrp";
    case Column::kPriority:
      return "priority";
    case Column::kCluster:
      return "cluster";
    case Column::kCpus:
      return "cpus";
  }
  return "id";
}

// The columns of a job row after the id, in the order rows are written.
constexpr const char* kRowColumns =
    "owner, status, name, pid, pgrp, priority, cluster, cpus, due, head, subjobs, agenda";

const char* const kSchema[] = {
    "CREATE TABLE IF NOT EXISTS meta(key TEXT PRIMARY KEY, value INTEGER NOT NULL)",
    "CREATE TABLE IF NOT EXISTS jobs("
    " id INTEGER PRIMARY KEY,"
    " owner TEXT NOT NULL, status INTEGER NOT NULL, name TEXT NOT NULL,"
    " pid INTEGER NOT NULL, pgrp INTEGER NOT NULL, priority INTEGER NOT NULL,"
    " cluster TEXT NOT NULL, cpus INTEGER NOT NULL,"
    " due INTEGER,"
    " head BLOB NOT NULL, subjobs BLOB NOT NULL, agenda BLOB NOT NULL)",
    "CREATE INDEX IF NOT EXISTS jobs_owner ON jobs(owner)",
    "CREATE INDEX IF NOT EXISTS jobs_status ON jobs(status)",
    "CREATE INDEX IF NOT EXISTS jobs_pid ON jobs(pid)",
    "CREATE INDEX IF NOT EXISTS jobs_due ON jobs(due) WHERE due IS NOT NULL",
};

ZxString text(const std::string& s) { return ZxString(s.data(), static_cast<int>(s.size())); }

ZxString damaged(long long id) { return text("stored job " + std::to_string(id) + " cannot be read"); }

bool fail(ZxString& error, const std::string& what, sqlite3* db) {
  error = text(what + ": " + (db ? sqlite3_errmsg(db) : "no database"));
  return false;
}

// One prepared statement, finalized on destruction.
class Statement {
 public:
  Statement(sqlite3* db, const std::string& sql) {
    rc_ = sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &stmt_, nullptr);
  }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;
  ~Statement() { sqlite3_finalize(stmt_); }

  bool ok() const { return rc_ == SQLITE_OK && stmt_; }
  sqlite3_stmt* get() const { return stmt_; }
  // SQLITE_ROW, SQLITE_DONE or an error code.
  int step() { return sqlite3_step(stmt_); }
  void reset() {
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
  }
  bool bindInt(int i, long long v) { return sqlite3_bind_int64(stmt_, i, v) == SQLITE_OK; }
  bool bindNull(int i) { return sqlite3_bind_null(stmt_, i) == SQLITE_OK; }
  // Text and blobs are bound without a copy: they must outlive the step.
  bool bindText(int i, const char* p, int n) {
    return sqlite3_bind_text(stmt_, i, p, n, SQLITE_STATIC) == SQLITE_OK;
  }
  bool bindBlob(int i, const char* p, int n) {
    return sqlite3_bind_blob(stmt_, i, p, n, SQLITE_STATIC) == SQLITE_OK;
  }
  long long columnInt(int i) { return sqlite3_column_int64(stmt_, i); }
  const char* columnBlob(int i) { return static_cast<const char*>(sqlite3_column_blob(stmt_, i)); }
  int columnBytes(int i) { return sqlite3_column_bytes(stmt_, i); }

 private:
  sqlite3_stmt* stmt_ = nullptr;
  int rc_ = SQLITE_ERROR;
};

bool exec(sqlite3* db, const char* sql, ZxString& error) {
  char* message = nullptr;
  if (sqlite3_exec(db, sql, nullptr, nullptr, &message) == SQLITE_OK) return true;
  error = ZxString(message ? message : sqlite3_errmsg(db));
  sqlite3_free(message);
  return false;
}

// ---- selections in SQL ----------------------------------------------------------------

// A statement parameter: a number or a text.
struct Bind {
  bool isText = false;
  long long number = 0;
  std::string text;
};

struct Sql {
  std::string where;  // a boolean expression
  std::vector<Bind> binds;
};

std::string jsonNumbers(const std::vector<long long>& numbers) {
  std::string out = "[";
  for (size_t i = 0; i < numbers.size(); ++i) {
    if (i) out += ',';
    out += std::to_string(numbers[i]);
  }
  out += ']';
  return out;
}

// The terms joined with OR as a balanced tree: SQLite limits how deep an
// expression nests (1000 levels), which a flat chain of many terms passes.
std::string anyOf(const std::vector<std::string>& terms, size_t from, size_t to) {
  if (to - from == 1) return terms[from];
  const size_t middle = from + (to - from) / 2;
  return "(" + anyOf(terms, from, middle) + " OR " + anyOf(terms, middle, to) + ")";
}

void addText(Sql& sql, const std::string& t) {
  Bind b;
  b.isText = true;
  b.text = t;
  sql.binds.push_back(std::move(b));
}

void addNumber(Sql& sql, long long n) {
  Bind b;
  b.number = n;
  sql.binds.push_back(std::move(b));
}

std::string conditionSql(const Condition& c, Sql& sql) {
  if (c.tests.empty()) return "1";
  const std::string col = columnName(c.column);
  const bool numeric = isNumericColumn(c.column);
  const std::string asText = numeric ? "CAST(" + col + " AS TEXT)" : col;
  std::vector<std::string> terms;
  std::vector<long long> equalNumbers;
  std::vector<const std::string*> equalTexts;
  for (const Test& t : c.tests) {
    switch (t.op) {
      case Test::kEqual:
        if (numeric)
          equalNumbers.push_back(t.number);
        else
          equalTexts.push_back(&t.text);
        break;
      case Test::kGreater:
      case Test::kLess:
        terms.push_back(col + (t.op == Test::kGreater ? " > ?" : " < ?"));
        if (numeric)
          addNumber(sql, t.number);
        else
          addText(sql, t.text);
        break;
      case Test::kContains:
        terms.push_back("instr(" + asText + ", ?) > 0");
        addText(sql, t.text);
        break;
      case Test::kPattern:
        terms.push_back(asText + " GLOB ?");
        addText(sql, t.text);
        break;
      case Test::kPatternNoCase:
        terms.push_back("lower(" + asText + ") GLOB lower(?)");
        addText(sql, t.text);
        break;
      case Test::kActive:
        terms.push_back("(" + col + " & 256) != 0");
        break;
      case Test::kDone:
        terms.push_back("(" + col + " & 256) = 0");
        break;
      case Test::kAssigned:
        terms.push_back(col + " IN (336, 323, 304)");
        break;
      case Test::kNever:
        terms.push_back("0");
        break;
    }
  }
  if (!equalNumbers.empty()) {
    terms.push_back(col + " IN (SELECT value FROM json_each(?))");
    addText(sql, jsonNumbers(equalNumbers));
  }
  if (!equalTexts.empty()) {
    std::string in = col + " IN (";
    for (size_t i = 0; i < equalTexts.size(); ++i) {
      in += i ? ", ?" : "?";
      addText(sql, *equalTexts[i]);
    }
    terms.push_back(in + ")");
  }
  const std::string any = anyOf(terms, 0, terms.size());
  return c.negated ? "NOT " + any : any;
}

// The WHERE expression of a selection; with `conditions` false the
// conditions are left out (changeJobs() selects them as a column instead).
bool selectionSql(const Selection& s, bool conditions, Sql& sql, ZxString& error) {
  std::vector<std::string> all;
  if (s.byIds) {
    std::vector<long long> ids(s.ids.begin(), s.ids.end());
    all.push_back("id IN (SELECT value FROM json_each(?))");
    addText(sql, jsonNumbers(ids));
  }
  if (s.dueBy >= 0) {
    all.push_back("due IS NOT NULL AND due <= ?");
    addNumber(sql, s.dueBy);
  }
  if (conditions)
    for (const Condition& c : s.conditions) all.push_back(conditionSql(c, sql));
  if (sql.binds.size() > static_cast<size_t>(kMaxSelectionValues) + 2) {
    error = "the selection holds more values than one statement can carry";
    return false;
  }
  if (all.empty()) {
    sql.where = "1";
    return true;
  }
  sql.where = all[0];
  for (size_t i = 1; i < all.size(); ++i) sql.where += " AND " + all[i];
  return true;
}

// The expression that tells whether a row passes every condition.
bool passedSql(const Selection& s, Sql& sql, ZxString& error) {
  std::string expr;
  for (const Condition& c : s.conditions) {
    const std::string one = conditionSql(c, sql);
    expr = expr.empty() ? one : expr + " AND " + one;
  }
  if (sql.binds.size() > static_cast<size_t>(kMaxSelectionValues)) {
    error = "the selection holds more values than one statement can carry";
    return false;
  }
  sql.where = expr.empty() ? "1" : expr;
  return true;
}

bool bindAll(Statement& st, const std::vector<Bind>& binds, int first) {
  for (size_t i = 0; i < binds.size(); ++i) {
    const Bind& b = binds[i];
    const int at = first + static_cast<int>(i);
    const bool ok =
        b.isText ? st.bindText(at, b.text.data(), static_cast<int>(b.text.size())) : st.bindInt(at, b.number);
    if (!ok) return false;
  }
  return true;
}

// ---- rows ------------------------------------------------------------------------------

// Binds the columns of `job` from parameter `first` on, in kRowColumns
// order, and runs the statement. The packed parts live in the job and its
// moved-out lists until the step is over.
bool writeRow(Statement& st, ZxJob& job, int64_t due, int first, ZxString& error, sqlite3* db) {
  // Children are jobs of their own and never part of a stored row; they
  // are moved out (with the two other parts) and put back afterwards.
  ZxJobList children(std::move(job.children()));
  ZxSubjobList subjobs(std::move(job.subjobs()));
  ZxWorkList agenda(std::move(job.agenda()));
  const int headBytes = job.pack();
  const int subjobBytes = subjobs.pack();
  const int agendaBytes = agenda.pack();
  bool ok = headBytes > 0 && subjobBytes > 0 && agendaBytes > 0;
  if (!ok) error = "out of memory while packing a job";
  if (ok) {
    int i = first;
    ok = st.bindText(i++, job.user().c_str(), job.user().length()) && st.bindInt(i++, job.status().code()) &&
         st.bindText(i++, job.name().c_str(), job.name().length()) && st.bindInt(i++, job.pid()) &&
         st.bindInt(i++, job.pgrp()) && st.bindInt(i++, job.priority()) &&
         st.bindText(i++, job.cluster().c_str(), job.cluster().length()) && st.bindInt(i++, job.cpus()) &&
         (due >= 0 ? st.bindInt(i++, due) : st.bindNull(i++)) && st.bindBlob(i++, job.buffer(), headBytes) &&
         st.bindBlob(i++, subjobs.buffer(), subjobBytes) && st.bindBlob(i++, agenda.buffer(), agendaBytes);
    if (!ok) fail(error, "binding a job row", db);
  }
  if (ok && st.step() != SQLITE_DONE) ok = fail(error, "storing job " + std::to_string(job.id()), db);
  st.reset();
  job.releaseBuffer();
  subjobs.releaseBuffer();
  agenda.releaseBuffer();
  job.subjobs() = std::move(subjobs);
  job.agenda() = std::move(agenda);
  job.children() = std::move(children);
  return ok;
}

// Reads one part into `target`; a part that does not decode is damage.
bool readPart(ZxPack& target, Statement& st, int column, long long& bytes) {
  const int n = st.columnBytes(column);
  bytes += n;
  return n > 0 && target.unpack(st.columnBlob(column), n) == ZxPack::kOk;
}

std::string rowColumnsFor(int parts) {
  std::string cols = "id, head";
  cols += (parts & Store::kSubjobs) ? ", subjobs" : ", NULL";
  cols += (parts & Store::kAgenda) ? ", agenda" : ", NULL";
  return cols;
}

// Reads the row the statement stands on (columns id, head, subjobs,
// agenda) into a new job.
ZxJob* readRow(Statement& st, int parts, long long& bytes) {
  ZxJob* job = new (std::nothrow) ZxJob;
  if (!job) return nullptr;
  bool ok = readPart(*job, st, 1, bytes);
  if (ok && (parts & Store::kSubjobs)) ok = readPart(job->subjobs(), st, 2, bytes);
  if (ok && (parts & Store::kAgenda)) ok = readPart(job->agenda(), st, 3, bytes);
  if (ok) job->releaseBuffer();
  if (!ok) {
    delete job;
    return nullptr;
  }
  return job;
}

bool readNextId(sqlite3* db, long long& next, ZxString& error) {
  Statement st(db, "SELECT value FROM meta WHERE key = 'next_job_id'");
  if (!st.ok() || st.step() != SQLITE_ROW) return fail(error, "reading the id counter", db);
  next = st.columnInt(0);
  return true;
}

}  // namespace

// ---- group commit ------------------------------------------------------------------------

struct SqliteStore::Task {
  const std::function<bool(sqlite3*, ZxString&)>* work = nullptr;
  bool done = false;
  bool ok = false;
  ZxString error;
};

SqliteStore::~SqliteStore() { close(); }

long long SqliteStore::commits() const {
  std::lock_guard<std::mutex> lock(queueMutex_);
  return commits_;
}

bool SqliteStore::runTask(const std::function<bool(sqlite3*, ZxString&)>& work, ZxString& error) {
  Task task;
  task.work = &work;
  std::unique_lock<std::mutex> lock(queueMutex_);
  if (!writer_) {
    error = "the job store is closed";
    return false;
  }
  queue_.push_back(&task);
  while (!task.done) {
    if (batchRunning_) {
      queueDone_.wait(lock);
      continue;
    }
    batchRunning_ = true;
    std::vector<Task*> batch;
    while (!queue_.empty() && batch.size() < static_cast<size_t>(kMaxBatch)) {
      batch.push_back(queue_.front());
      queue_.pop_front();
    }
    lock.unlock();
    runBatch(batch);
    lock.lock();
    for (Task* t : batch) t->done = true;
    batchRunning_ = false;
    queueDone_.notify_all();
  }
  error = task.error;
  return task.ok;
}

void SqliteStore::runBatch(std::vector<Task*>& batch) {
  ZxString error;
  if (!exec(writer_, "BEGIN IMMEDIATE", error)) {
    for (Task* t : batch) {
      t->ok = false;
      t->error = ZxString("starting a transaction: ").append(error);
    }
    return;
  }
  for (Task* t : batch) {
    ZxString ignored;
    if (!exec(writer_, "SAVEPOINT task", t->error)) {
      t->ok = false;
      continue;
    }
    t->ok = (*t->work)(writer_, t->error);
    if (t->ok && !exec(writer_, "RELEASE task", t->error)) t->ok = false;
    if (!t->ok) {
      exec(writer_, "ROLLBACK TO task", ignored);
      exec(writer_, "RELEASE task", ignored);
    }
  }
  if (!exec(writer_, "COMMIT", error)) {
    ZxString ignored;
    exec(writer_, "ROLLBACK", ignored);
    for (Task* t : batch) {
      if (!t->ok) continue;
      t->ok = false;
      t->error = ZxString("committing: ").append(error);
    }
    return;
  }
  std::lock_guard<std::mutex> lock(queueMutex_);
  ++commits_;
}

bool SqliteStore::withReader(const std::function<bool(sqlite3*, ZxString&)>& work, ZxString& error) {
  if (memory_) return runTask(work, error);
  sqlite3* db = nullptr;
  {
    std::lock_guard<std::mutex> lock(readersMutex_);
    if (!idleReaders_.empty()) {
      db = idleReaders_.back();
      idleReaders_.pop_back();
    }
  }
  if (!db) {
    if (sqlite3_open_v2(path_.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
      fail(error, "opening a read connection", db);
      sqlite3_close_v2(db);
      return false;
    }
    sqlite3_busy_timeout(db, kBusyTimeoutMs);
  }
  const bool ok = work(db, error);
  std::lock_guard<std::mutex> lock(readersMutex_);
  if (idleReaders_.size() < static_cast<size_t>(kMaxIdleReaders))
    idleReaders_.push_back(db);
  else
    sqlite3_close_v2(db);
  return ok;
}

// ---- opening -------------------------------------------------------------------------------

bool SqliteStore::open(const std::string& path, Sync sync, ZxString& error) {
  close();
  path_ = path;
  memory_ = path == ":memory:";
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
    fail(error, "opening " + path, db);
    sqlite3_close_v2(db);
    return false;
  }
  sqlite3_busy_timeout(db, kBusyTimeoutMs);
  auto giveUp = [&](const std::string& what, const ZxString& why) {
    error = text(what + ": ").append(why);
    sqlite3_close_v2(db);
    return false;
  };
  ZxString why;
  // A file that is not a database fails here, at its first read.
  if (!exec(db, "PRAGMA journal_mode=WAL", why)) return giveUp("opening " + path, why);
  if (!exec(db, sync == kSyncFull ? "PRAGMA synchronous=FULL" : "PRAGMA synchronous=NORMAL", why))
    return giveUp("setting the sync mode", why);
  if (!exec(db, "BEGIN IMMEDIATE", why)) return giveUp("opening " + path, why);
  for (const char* statement : kSchema)
    if (!exec(db, statement, why)) return giveUp("creating the tables", why);
  if (!exec(db, "INSERT OR IGNORE INTO meta(key, value) VALUES('schema_version', 1)", why) ||
      !exec(db, "INSERT OR IGNORE INTO meta(key, value) VALUES('next_job_id', 1)", why))
    return giveUp("creating the tables", why);
  {
    Statement st(db, "SELECT value FROM meta WHERE key = 'schema_version'");
    if (!st.ok() || st.step() != SQLITE_ROW)
      return giveUp("reading the schema version", ZxString(sqlite3_errmsg(db)));
    const long long version = st.columnInt(0);
    if (version != kSchemaVersion)
      return giveUp(path, text("holds jobs of schema version " + std::to_string(version) +
                               ", this program reads version " + std::to_string(kSchemaVersion)));
  }
  // A counter behind the stored ids (a file put together by hand) moves past them.
  if (!exec(db,
            "UPDATE meta SET value = (SELECT max(value, coalesce((SELECT max(id) FROM jobs), 0) + 1) "
            "FROM meta WHERE key = 'next_job_id') WHERE key = 'next_job_id'",
            why) ||
      !exec(db, "COMMIT", why))
    return giveUp("opening " + path, why);
  std::lock_guard<std::mutex> lock(queueMutex_);
  writer_ = db;
  return true;
}

void SqliteStore::close() {
  {
    std::unique_lock<std::mutex> lock(queueMutex_);
    queueDone_.wait(lock, [this] { return !batchRunning_ && queue_.empty(); });
    if (writer_) sqlite3_close_v2(writer_);
    writer_ = nullptr;
  }
  std::lock_guard<std::mutex> lock(readersMutex_);
  for (sqlite3* db : idleReaders_) sqlite3_close_v2(db);
  idleReaders_.clear();
}

// ---- operations ----------------------------------------------------------------------------

bool SqliteStore::addJobs(int count, const Build& build, ZxString& error) {
  if (count < 1) {
    error = "no jobs to add";
    return false;
  }
  std::function<bool(sqlite3*, ZxString&)> work = [&](sqlite3* db, ZxString& err) {
    long long first = 0;
    if (!readNextId(db, first, err)) return false;
    if (first < 1 || first > static_cast<long long>(INT_MAX) - count + 1) {
      err = "job ids are used up";
      return false;
    }
    const int firstId = static_cast<int>(first);
    std::vector<NewJob> jobs;
    if (!build(firstId, jobs, err)) return false;
    Statement insert(db, std::string("INSERT INTO jobs(id, ") + kRowColumns +
                             ") VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    if (!insert.ok()) return fail(err, "preparing the insert", db);
    for (NewJob& j : jobs) {
      if (!j.job || j.job->id() < firstId || j.job->id() > firstId + count - 1) {
        err = "a job was built without one of the reserved ids";
        return false;
      }
      if (!insert.bindInt(1, j.job->id()) || !writeRow(insert, *j.job, j.due, 2, err, db)) return false;
    }
    Statement advance(db, "UPDATE meta SET value = ? WHERE key = 'next_job_id'");
    if (!advance.ok() || !advance.bindInt(1, first + count) || advance.step() != SQLITE_DONE)
      return fail(err, "advancing the id counter", db);
    return true;
  };
  return runTask(work, error);
}

bool SqliteStore::readJobs(const Selection& selection, int parts, long long maxBytes, ZxJobList& out,
                           ZxString& error) {
  Sql sql;
  if (!selectionSql(selection, true, sql, error)) return false;
  const std::string query =
      "SELECT " + rowColumnsFor(parts) + " FROM jobs WHERE " + sql.where + " ORDER BY id";
  std::function<bool(sqlite3*, ZxString&)> work = [&](sqlite3* db, ZxString& err) {
    Statement st(db, query);
    if (!st.ok() || !bindAll(st, sql.binds, 1)) return fail(err, "preparing a query", db);
    long long bytes = 0;
    for (;;) {
      const int rc = st.step();
      if (rc == SQLITE_DONE) return true;
      if (rc != SQLITE_ROW) return fail(err, "reading jobs", db);
      ZxJob* job = readRow(st, parts, bytes);
      if (!job) {
        err = damaged(st.columnInt(0));
        return false;
      }
      out.append(job);
      if (maxBytes > 0 && bytes > maxBytes) {
        err = ZxString("the answer would hold more than ")
                  .append(ZxString(static_cast<int>(maxBytes >> 20)))
                  .append(" MiB of jobs");
        return false;
      }
    }
  };
  return withReader(work, error);
}

bool SqliteStore::anyDue(int64_t time, ZxString& error) {
  bool due = false;
  std::function<bool(sqlite3*, ZxString&)> work = [&](sqlite3* db, ZxString& err) {
    Statement st(db, "SELECT 1 FROM jobs WHERE due IS NOT NULL AND due <= ? LIMIT 1");
    if (!st.ok() || !st.bindInt(1, time)) return fail(err, "preparing a query", db);
    const int rc = st.step();
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) return fail(err, "reading due jobs", db);
    due = rc == SQLITE_ROW;
    return true;
  };
  return withReader(work, error) && due;
}

bool SqliteStore::changeJobs(const Selection& selection, const Update& update, ZxString& error) {
  // The rows to visit are listed first (with the verdict of the conditions)
  // and then read, changed and written one by one, so that the scan never
  // runs over rows being changed under it and no more than one job's parts
  // are in memory at a time.
  Sql where;
  if (!selectionSql(selection, !selection.byIds, where, error)) return false;
  Sql passed;
  if (selection.byIds && !passedSql(selection, passed, error)) return false;
  const std::string list = "SELECT id, " + (selection.byIds ? passed.where : std::string("1")) +
                           " FROM jobs WHERE " + where.where + " ORDER BY id";
  std::function<bool(sqlite3*, ZxString&)> work = [&](sqlite3* db, ZxString& err) {
    std::vector<std::pair<int, bool>> rows;
    {
      Statement st(db, list);
      // The verdict's parameters come first in the text, then the WHERE's.
      if (!st.ok() || !bindAll(st, passed.binds, 1) ||
          !bindAll(st, where.binds, 1 + static_cast<int>(passed.binds.size())))
        return fail(err, "preparing a change", db);
      for (;;) {
        const int rc = st.step();
        if (rc == SQLITE_DONE) break;
        if (rc != SQLITE_ROW) return fail(err, "listing jobs to change", db);
        rows.emplace_back(static_cast<int>(st.columnInt(0)), st.columnInt(1) != 0);
      }
    }
    Statement read(db, "SELECT " + rowColumnsFor(kAllParts) + " FROM jobs WHERE id = ?");
    Statement write(db, std::string("UPDATE jobs SET (") + kRowColumns +
                            ") = (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?) WHERE id = ?");
    Statement remove(db, "DELETE FROM jobs WHERE id = ?");
    if (!read.ok() || !write.ok() || !remove.ok()) return fail(err, "preparing a change", db);
    for (const auto& row : rows) {
      read.reset();
      if (!read.bindInt(1, row.first) || read.step() != SQLITE_ROW) return fail(err, "reading a job", db);
      long long bytes = 0;
      ZxJob* job = readRow(read, kAllParts, bytes);
      read.reset();
      if (!job) {
        err = damaged(row.first);
        return false;
      }
      const int id = job->id();
      const Outcome outcome = update(*job, row.second);
      bool ok = true;
      if (outcome.change == kWrite) {
        job->setId(id);  // a row keeps its number whatever the update did
        ok = write.bindInt(13, id) && writeRow(write, *job, outcome.due, 1, err, db);
        write.reset();
      } else if (outcome.change == kRemove) {
        ok = remove.bindInt(1, id) && remove.step() == SQLITE_DONE;
        if (!ok) fail(err, "removing job " + std::to_string(id), db);
        remove.reset();
      }
      delete job;
      if (!ok) return false;
    }
    return true;
  };
  return runTask(work, error);
}

int SqliteStore::nextId() {
  long long next = -1;
  ZxString error;
  std::function<bool(sqlite3*, ZxString&)> work = [&](sqlite3* db, ZxString& err) {
    return readNextId(db, next, err);
  };
  withReader(work, error);
  return next > INT_MAX ? INT_MAX : static_cast<int>(next);
}

long long SqliteStore::jobCount() {
  long long n = -1;
  ZxString error;
  std::function<bool(sqlite3*, ZxString&)> work = [&](sqlite3* db, ZxString& err) {
    Statement st(db, "SELECT count(*) FROM jobs");
    if (!st.ok() || st.step() != SQLITE_ROW) return fail(err, "counting jobs", db);
    n = st.columnInt(0);
    return true;
  };
  withReader(work, error);
  return n;
}

}  // namespace zxsup
