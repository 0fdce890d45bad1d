// Job hashes to records and back: the key tables of the job, work,
// callback and modify hashes, the "timelimit" callback, and the writers of
// the job, subjob, work and tally hashes.
#include "plugin/zx_job_hash.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

#include "model/zx_flags.h"
#include "plugin/zx_package_string.h"
#include "plugin/zx_package_tree.h"
#include "model/zx_string_list.h"
#include "util/zx_out_of_memory.h"

namespace {

// ---- Reading -----------------------------------------------------------------

// One value of a hash pair: a view into the text being read, or into the
// element reader's own buffer; valid until the reader moves on.
struct Value {
  const char* bytes;
  int n;

  ZxString text() const { return ZxString(bytes, n); }
  int toInt() const { return text().toInt(); }
  int status() const { return StatusCode::valueOf(text()); }
  ZxString compact() const { return packageToCompact(bytes, n); }
  // An IPv4 number in decimal. Read wider than int so that addresses from
  // 128.0.0.0 up (written unsigned) come back whole on every platform; a
  // negative number is taken modulo 2^32, as a signed reading would give.
  uint32_t address() const {
    ZxString t = text();
    return static_cast<uint32_t>(std::strtoll(t.c_str(), nullptr, 10));
  }
};

bool sameKey(const ZxString& key, const char* name) {
  size_t n = std::strlen(name);
  return static_cast<size_t>(key.length()) == n && std::memcmp(key.c_str(), name, n) == 0;
}

// Calls apply(key, value) for every pair of the hash (or array) `bytes`, in
// order. Any other text has no pairs; a final key without a value is dropped.
template <class Apply>
void forEachPair(const char* bytes, int n, Apply&& apply) {
  PackageElementReader reader(bytes, n);
  if (reader.kind() == PackageKind::kScalar) return;
  ZxString key;
  const char* b = nullptr;
  int len = 0;
  while (reader.next(b, len)) {
    key.assign(b, len);  // the value's view may reuse the reader's buffer
    if (!reader.next(b, len)) return;
    apply(key, Value{b, len});
  }
}

// Calls item(bytes, n) for every element of `value` when it is an array
// package; answers whether it was one.
template <class Item>
bool forEachArrayElement(const Value& value, Item&& item) {
  PackageElementReader reader(value.bytes, value.n);
  if (reader.kind() != PackageKind::kArray) return false;
  const char* b = nullptr;
  int len = 0;
  while (reader.next(b, len)) item(b, len);
  return true;
}

// One row of a key table: the hash key and what its value does to the record.
template <class R>
struct Key {
  const char* name;
  void (*apply)(R& record, const Value& value);
};

template <class R, size_t N>
const Key<R>* findKey(const Key<R> (&table)[N], const ZxString& key) {
  for (const Key<R>& row : table)
    if (sameKey(key, row.name)) return &row;
  return nullptr;
}

#define ZX_INT_KEY(R, key, setter)                         \
  {                                                        \
    key, [](R& r, const Value& v) { r.setter(v.toInt()); } \
  }
#define ZX_TEXT_KEY(R, key, setter)                           \
  {                                                           \
    key, [](R& r, const Value& v) { r.setter(v.bytes, v.n); } \
  }
#define ZX_STATUS_KEY(R, key, setter)                                 \
  {                                                                   \
    key, [](R& r, const Value& v) { r.setter(ZxStatus(v.status())); } \
  }

// The job keys that set one field each; "timelimit", "agenda" and
// "callbacks" are read by readJob() itself.
const Key<ZxJob> kJobKeys[] = {
    ZX_INT_KEY(ZxJob, "id", setId),
    ZX_INT_KEY(ZxJob, "pid", setPid),
    ZX_INT_KEY(ZxJob, "pgrp", setPgrp),
    ZX_INT_KEY(ZxJob, "priority", setPriority),
    ZX_TEXT_KEY(ZxJob, "user", setUser),
    ZX_TEXT_KEY(ZxJob, "domain", setDomain),
    ZX_STATUS_KEY(ZxJob, "status", setStatus),
    ZX_STATUS_KEY(ZxJob, "subjobstatus", setSubjobStatus),
    ZX_STATUS_KEY(ZxJob, "agendastatus", setAgendaStatus),
    ZX_TEXT_KEY(ZxJob, "name", setName),
    ZX_TEXT_KEY(ZxJob, "label", setLabel),
    ZX_TEXT_KEY(ZxJob, "kind", setKind),
    ZX_TEXT_KEY(ZxJob, "account", setAccount),
    ZX_TEXT_KEY(ZxJob, "requirements", setRequirements),
    ZX_TEXT_KEY(ZxJob, "restrictions", setRestrictions),
    ZX_TEXT_KEY(ZxJob, "reservations", setReservations),
    ZX_TEXT_KEY(ZxJob, "cluster", setCluster),
    ZX_TEXT_KEY(ZxJob, "groups", setGroups),
    ZX_TEXT_KEY(ZxJob, "omitgroups", setOmitGroups),
    ZX_TEXT_KEY(ZxJob, "hosts", setHosts),
    ZX_TEXT_KEY(ZxJob, "omithosts", setOmitHosts),
    ZX_TEXT_KEY(ZxJob, "hostorder", setHostOrder),
    ZX_INT_KEY(ZxJob, "cpus", setCpus),
    ZX_TEXT_KEY(ZxJob, "prototype", setPrototype),
    ZX_INT_KEY(ZxJob, "retrysubjob", setRetrySubjob),
    ZX_INT_KEY(ZxJob, "retrywork", setRetryWork),
    ZX_TEXT_KEY(ZxJob, "mailaddress", setMailAddress),
    ZX_TEXT_KEY(ZxJob, "dependency", setDependency),
    // Numbers only: zxjobflagint turns flag names into the number.
    ZX_INT_KEY(ZxJob, "flags", setFlags),
    // "data" and "package" both set the data field; the later pair wins.
    ZX_TEXT_KEY(ZxJob, "data", setData),
    {"package", [](ZxJob& j, const Value& v) { j.setData(v.compact()); }},
};

const Key<ZxWork> kWorkKeys[] = {
    ZX_INT_KEY(ZxWork, "pid", setPid),
    ZX_INT_KEY(ZxWork, "id", setId),
    ZX_INT_KEY(ZxWork, "subid", setSubId),
    {"address", [](ZxWork& w, const Value& v) { w.setAddress(ZxAddress(v.address())); }},
    ZX_TEXT_KEY(ZxWork, "name", setName),
    ZX_TEXT_KEY(ZxWork, "host", setHost),
    ZX_STATUS_KEY(ZxWork, "status", setStatus),
    ZX_TEXT_KEY(ZxWork, "data", setData),
    {"package", [](ZxWork& w, const Value& v) { w.setData(v.compact()); }},
    ZX_TEXT_KEY(ZxWork, "result", setResult),
    {"resultpackage", [](ZxWork& w, const Value& v) { w.setResult(v.compact()); }},
};

const Key<ZxCallback> kCallbackKeys[] = {
    ZX_INT_KEY(ZxCallback, "id", setId),
    ZX_INT_KEY(ZxCallback, "pid", setPid),
    {"code", [](ZxCallback& c, const Value& v) { c.setCode(v.text()); }},
    {"triggers", [](ZxCallback& c, const Value& v) { c.setTriggers(v.text()); }},
    {"user", [](ZxCallback& c, const Value& v) { c.setUser(v.text()); }},
    // An unknown language name stores 5, "unknown".
    {"language", [](ZxCallback& c, const Value& v) { c.setLanguage(CallbackLanguage::valueOf(v.text())); }},
    ZX_INT_KEY(ZxCallback, "count", setCount),
    ZX_INT_KEY(ZxCallback, "maximum", setMaximum),
    // Held as text, but read as a number: "ready" is always a decimal.
    {"ready", [](ZxCallback& c, const Value& v) { c.setReady(ZxString(v.toInt())); }},
};

// The keys of a modify hash, each named as the field to change.
const Key<ZxJob> kModifyKeys[] = {
    ZX_INT_KEY(ZxJob, "priority", setPriority),
    ZX_TEXT_KEY(ZxJob, "name", setName),
    ZX_TEXT_KEY(ZxJob, "cluster", setCluster),
    ZX_TEXT_KEY(ZxJob, "kind", setKind),
    ZX_TEXT_KEY(ZxJob, "account", setAccount),
    ZX_TEXT_KEY(ZxJob, "restrictions", setRestrictions),
    ZX_TEXT_KEY(ZxJob, "requirements", setRequirements),
    ZX_TEXT_KEY(ZxJob, "reservations", setReservations),
    ZX_TEXT_KEY(ZxJob, "groups", setGroups),
    ZX_TEXT_KEY(ZxJob, "hosts", setHosts),
    ZX_TEXT_KEY(ZxJob, "hostorder", setHostOrder),
    ZX_INT_KEY(ZxJob, "timeout", setTimeout),
    ZX_INT_KEY(ZxJob, "cpus", setCpus),
};

#undef ZX_INT_KEY
#undef ZX_TEXT_KEY
#undef ZX_STATUS_KEY

template <class R, size_t N>
void readRecord(const char* bytes, int n, const Key<R> (&table)[N], R& record) {
  forEachPair(bytes, n, [&](const ZxString& key, const Value& value) {
    if (const Key<R>* row = findKey(table, key)) row->apply(record, value);
  });
}

// The callback that a job's time limit becomes: fail the subjob that runs
// out of time.
ZxCallback* newTimelimitCallback() {
  ZxCallback* c = zxNew<ZxCallback>();
  if (!c) return nullptr;
  c->setLanguage(CallbackLanguage::kZexa);
  c->setTriggers("timeout-subjob-self-*");
  c->setCode("fail-subjob-self");
  return c;
}

void readJob(const char* bytes, int n, ZxJob& job) {
  // A later pair of a key wins over an earlier one, lists included: a later
  // "agenda" array replaces the work items of an earlier one, a later
  // "callbacks" array the callbacks of an earlier one, and a later time
  // limit the earlier time limit, so the job carries one time-limit
  // callback at most. The time-limit callback keeps its place before or
  // after the "callbacks" pair that wins.
  ZxCallbackList callbacks;
  int pair = 0;
  int callbacksAt = 0;  // pair number of the winning "callbacks", 0 when none
  int timelimitAt = 0;  // pair number of the winning time limit, 0 when none
  forEachPair(bytes, n, [&](const ZxString& key, const Value& value) {
    ++pair;
    if (sameKey(key, "timelimit")) {
      int limit = value.toInt();
      if (limit < 0) return;  // no time limit: changes nothing
      job.setTimeout(limit);
      timelimitAt = pair;
    } else if (sameKey(key, "agenda")) {
      ZxWorkList items;
      bool isArray = forEachArrayElement(value, [&](const char* b, int len) {
        ZxWork* work = zxNew<ZxWork>();
        if (!work) return;
        readRecord(b, len, kWorkKeys, *work);
        items.append(work);
      });
      if (isArray) job.agenda() = std::move(items);
    } else if (sameKey(key, "callbacks")) {
      ZxCallbackList items;
      bool isArray = forEachArrayElement(value, [&](const char* b, int len) {
        ZxCallback* callback = zxNew<ZxCallback>();
        if (!callback) return;
        readRecord(b, len, kCallbackKeys, *callback);
        items.append(callback);
      });
      if (isArray) {
        callbacks = std::move(items);
        callbacksAt = pair;
      }
    } else if (const Key<ZxJob>* row = findKey(kJobKeys, key)) {
      row->apply(job, value);
    }
  });

  ZxCallbackList& out = job.callbacks();
  auto appendTimelimit = [&out] {
    if (ZxCallback* c = newTimelimitCallback()) out.append(c);
  };
  if (timelimitAt > 0 && timelimitAt < callbacksAt) appendTimelimit();
  for (int i = 0; i < callbacks.count(); ++i) out.append(callbacks.get(i));
  callbacks.forget();  // the job owns them now
  if (timelimitAt > callbacksAt) appendTimelimit();
}

// ---- Writing -----------------------------------------------------------------

// Writes one level: "{" or "(", the quoted elements separated by one blank,
// then "}" or ")". The same text as writePackage() of the list headed by
// "hash" or "array", without building the list.
class LevelWriter {
 public:
  LevelWriter(ZxString& out, bool hash) : out_(out), close_(hash ? '}' : ')') {
    out_.append(hash ? '{' : '(');
  }
  LevelWriter(const LevelWriter&) = delete;
  LevelWriter& operator=(const LevelWriter&) = delete;

  void element(const char* bytes, int n) {
    separate();
    appendQuotedElement(bytes, n, out_);
  }
  void element(const ZxString& s) { element(s.c_str(), s.length()); }
  void pair(const char* key, const ZxString& value) {
    element(key, static_cast<int>(std::strlen(key)));
    element(value);
  }
  void pair(const char* key, const char* value) {
    element(key, static_cast<int>(std::strlen(key)));
    element(value, static_cast<int>(std::strlen(value)));
  }
  void pair(const char* key, long long number) {
    char digits[24];
    int n = std::snprintf(digits, sizeof digits, "%lld", number);
    element(key, static_cast<int>(std::strlen(key)));
    element(digits, n);
  }
  void finish() { out_.append(close_); }

 private:
  void separate() {
    if (any_) out_.append(' ');
    any_ = true;
  }
  ZxString& out_;
  char close_;
  bool any_ = false;
};

// The package string of a compact text; "" for an empty one. The packages
// of one hash (a job's, its subjobs' and its work items') share one
// allowance for the escapes that deep nesting multiplies, so that a hash of
// many small hostile packages stays as bounded as one package. Every level
// of quoting around a package doubles its escapes again: a work item's
// package sits two levels deeper in a job hash (in the work hash, in the
// agenda array) than the job's own, so it is charged `weight` 4 there.
ZxString packageOf(const ZxString& compact, long long& allowance, int weight) {
  if (compact.isEmpty()) return ZxString();
  long long share = allowance / weight;
  const long long before = share;
  ZxString package = compactToPackage(compact, share);
  allowance -= (before - share) * weight;
  return package;
}

// Weight of the packages of subjobs and work items written inside a job hash.
constexpr int kNestedWeight = 4;

void appendTally(const ZxStatusTally& t, ZxString& out) {
  LevelWriter w(out, true);
  w.pair("running", t.running());
  w.pair("blocked", t.blocked());
  w.pair("complete", t.complete());
  w.pair("pending", t.pending());
  w.pair("suspended", t.suspended());
  w.pair("failed", t.failed());
  w.pair("killed", t.killed());
  w.pair("waiting", t.waiting());
  w.pair("unknown", t.unknown());
  w.finish();
}

void appendSubjob(const ZxSubjob& s, ZxString& out, long long& allowance, int weight) {
  LevelWriter w(out, true);
  w.pair("id", s.id());
  w.pair("pid", s.pid());
  w.pair("address", static_cast<long long>(s.address().number()));
  w.pair("status", s.status().name());
  w.pair("host", s.host());
  w.pair("data", s.data());
  w.pair("result", s.result());
  w.pair("package", packageOf(s.data(), allowance, weight));
  w.pair("resultpackage", packageOf(s.result(), allowance, weight));
  w.finish();
}

void appendWork(const ZxWork& work, ZxString& out, long long& allowance, int weight) {
  LevelWriter w(out, true);
  w.pair("pid", work.pid());
  w.pair("id", work.id());
  w.pair("subid", work.subId());
  w.pair("address", static_cast<long long>(work.address().number()));
  w.pair("status", work.status().name());
  w.pair("name", work.name());
  w.pair("host", work.host());
  w.pair("data", work.data());
  w.pair("result", work.result());
  w.pair("package", packageOf(work.data(), allowance, weight));
  w.pair("resultpackage", packageOf(work.result(), allowance, weight));
  w.finish();
}

// Writes the array of the hashes of `list`'s items with `appendItem`; one
// scratch string is reused for every item.
template <class List, class AppendItem>
ZxString arrayOf(const List& list, AppendItem appendItem) {
  ZxString array;
  LevelWriter w(array, false);
  ZxString item;
  for (int i = 0; i < list.count(); ++i) {
    item.clear();
    if (const auto* record = list.get(i)) appendItem(*record, item);
    w.element(item);
  }
  w.finish();
  return array;
}

void appendJob(const ZxJob& job, ZxString& out, long long& allowance) {
  // The package string is made before the hash is begun, so that the tree
  // it is written from is gone before the hash (which holds the stored
  // "data" text as well) grows: the two largest parts never meet.
  const ZxString package = packageOf(job.data(), allowance, 1);
  LevelWriter w(out, true);
  w.pair("id", job.id());
  w.pair("pid", job.pid());
  w.pair("pgrp", job.pgrp());
  w.pair("priority", job.priority());
  w.pair("user", job.user());
  w.pair("status", job.status().name());
  w.pair("subjobstatus", job.subjobStatus().name());
  w.pair("agendastatus", job.agendaStatus().name());
  w.pair("name", job.name());
  w.pair("label", job.label());
  w.pair("requirements", job.requirements());
  w.pair("restrictions", job.restrictions());
  w.pair("reservations", job.reservations());
  w.pair("cluster", job.cluster());
  w.pair("groups", job.groups());
  w.pair("hosts", job.hosts());
  w.pair("cpus", job.cpus());
  w.pair("prototype", job.prototype());
  w.pair("data", job.data());
  w.pair("package", package);
  ZxString tally;
  appendTally(job.cpusTally(), tally);
  w.pair("cpustally", tally);
  tally.clear();
  appendTally(job.todoTally(), tally);
  w.pair("todotally", tally);
  if (job.subjobs().count() > 0)
    w.pair("subjobs", arrayOf(job.subjobs(), [&](const ZxSubjob& s, ZxString& item) { appendSubjob(s, item, allowance, kNestedWeight); }));
  if (job.agenda().count() > 0)
    w.pair("agenda", arrayOf(job.agenda(), [&](const ZxWork& work, ZxString& item) { appendWork(work, item, allowance, kNestedWeight); }));
  w.finish();
}

}  // namespace

ZxJob* hashToJob(const ZxString& text) {
  ZxJob* job = zxNew<ZxJob>();
  if (job) readJob(text.c_str(), text.length(), *job);
  return job;
}

ZxWork* hashToWork(const ZxString& text) {
  ZxWork* work = zxNew<ZxWork>();
  if (work) readRecord(text.c_str(), text.length(), kWorkKeys, *work);
  return work;
}

ZxCallback* hashToCallback(const ZxString& text) {
  ZxCallback* callback = zxNew<ZxCallback>();
  if (callback) readRecord(text.c_str(), text.length(), kCallbackKeys, *callback);
  return callback;
}

void readModifyHash(const ZxString& text, ZxJob& job, ZxStringList& fieldNames) {
  forEachPair(text.c_str(), text.length(), [&](const ZxString& key, const Value& value) {
    const Key<ZxJob>* row = findKey(kModifyKeys, key);
    if (!row) return;
    row->apply(job, value);
    // A key given twice changes its field once, to the later value, so it
    // is named once.
    for (int i = 0; i < fieldNames.count(); ++i) {
      const ZxString* name = fieldNames.get(i);
      if (name && sameKey(*name, row->name)) return;
    }
    fieldNames.add(row->name);
  });
}

ZxModifyCommand* hashToModifyRequest(const ZxString& text) {
  ZxModifyCommand* request = zxNew<ZxModifyCommand>();
  if (!request) return nullptr;
  ZxJob job;
  ZxStringList names;
  readModifyHash(text, job, names);
  for (int i = 0; i < names.count(); ++i)
    if (ZxField* field = zxNew<ZxField>(*names.get(i), '\0')) request->fields().append(field);
  request->job() = job;
  return request;
}

bool jobToHash(const ZxJob* job, ZxString& out) {
  if (!job) return false;
  out.clear();
  long long allowance = kPackageTextBase;
  appendJob(*job, out, allowance);
  return true;
}

bool subjobToHash(const ZxSubjob* subjob, ZxString& out) {
  if (!subjob) return false;
  out.clear();
  long long allowance = kPackageTextBase;
  appendSubjob(*subjob, out, allowance, 1);
  return true;
}

bool workToHash(const ZxWork* work, ZxString& out) {
  if (!work) return false;
  out.clear();
  long long allowance = kPackageTextBase;
  appendWork(*work, out, allowance, 1);
  return true;
}

bool tallyToHash(const ZxStatusTally* tally, ZxString& out) {
  if (!tally) return false;
  out.clear();
  appendTally(*tally, out);
  return true;
}
